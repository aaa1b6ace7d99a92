// The undo store: saving and undoing a 512 x 512 rectangle of a 4096 x 4096 page, beside a
// memcpy of the same bytes (the rectangle's RGBA64 rows).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "frame/frame.h"
#include "page/page.h"
#include "ravelin.h"
#include "undo/undo.h"

namespace {

constexpr int kSide = 4096, kRect = 512, kLeft = 1000, kTop = 700;

struct UndoPage {
  UndoPage() {
    RVL_CreateImage(nullptr, kSide, kSide, 64, 0);
    RVL_CreateLayer(2, kSide, kSide);
    RVL_SetLayer(2);
    RVL_SetUndoLevels(20);
    RVL_SetUndoMB(512);
    RVL_SaveUndoBackBuffer(2);
  }
  ~UndoPage() { rvl::resetEngine(); }
  static void markRect() {
    rvl::undo.dirtyRect = rvl::DirtyRect{kLeft, kTop, kLeft + kRect - 1, kTop + kRect - 1};
  }
};

void rectBytes(benchmark::State& state) {
  state.counters["MB/s"] = benchmark::Counter(double(state.iterations()) * kRect * kRect * 8 / 1e6,
                                              benchmark::Counter::kIsRate);
}

void BM_UndoSave512(benchmark::State& state) {
  UndoPage page;
  for (auto _ : state) {
    UndoPage::markRect();
    RVL_SaveUndoBuffer(1, 0);
  }
  rectBytes(state);
}
BENCHMARK(BM_UndoSave512)->Unit(benchmark::kMicrosecond);

void BM_UndoUndo512(benchmark::State& state) {
  UndoPage page;
  for (auto _ : state) {
    state.PauseTiming();
    UndoPage::markRect();
    RVL_SaveUndoBuffer(1, 0);
    state.ResumeTiming();
    RVL_Undo();
  }
  rectBytes(state);
}
BENCHMARK(BM_UndoUndo512)->Unit(benchmark::kMicrosecond);

// The floor: the rectangle's rows copied out of a page-sized layer.
void BM_UndoBaselineMemcpy512(benchmark::State& state) {
  std::vector<uint16_t> layer(size_t(kSide) * kSide * 4, 7), copy(size_t(kRect) * kRect * 4);
  for (auto _ : state) {
    for (int r = 0; r < kRect; ++r)
      std::memcpy(copy.data() + size_t(r) * kRect * 4,
                  layer.data() + (size_t(kTop + r) * kSide + kLeft) * 4, size_t(kRect) * 8);
    benchmark::DoNotOptimize(copy.data());
  }
  rectBytes(state);
}
BENCHMARK(BM_UndoBaselineMemcpy512)->Unit(benchmark::kMicrosecond);

}  // namespace
