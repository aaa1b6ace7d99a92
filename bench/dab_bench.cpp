// Dabs: round tips of 8 to 512 pixels, hard and soft, with and without grit, blend buffer
// and paint layer, on a 2048 x 2048 layer; and a 1000-dab stroke saved for undo. Items are
// painted pixels counted as the disc's area, pi * (size / 2)^2, as brush libraries count
// them.
#include <benchmark/benchmark.h>

#include <cmath>

#include "frame/frame.h"
#include "ravelin.h"

namespace {

constexpr int kPage = 2048;

enum Options { kHard = 0, kSoft = 1, kGrit = 2, kBlend = 4, kPaintLayer = 8 };

void setUpPage(int size, int options) {
  RVL_SetRandomSeed(1);
  RVL_CreateImage(nullptr, kPage, kPage, 1024, 0);
  RVL_CreateLayer(1, kPage, kPage);
  RVL_CreateLayer(2, kPage, kPage);
  RVL_SetLayerOptions(2, 1, 0, 100, "Normal");
  RVL_SetLayer(2);
  RVL_SetSize(size);
  RVL_SetTool(1.0f, (options & kGrit) ? 3 : 0, 160, 200, (options & kSoft) ? 255 : 0, 0, 50,
              (options & kBlend) ? 128 : 0, 40, (options & kBlend) ? 1 : 0, 0, 0, 0, "", "", 0);
  RVL_SetAlpha(100);
  RVL_SetDensity((options & kGrit) ? 128 : 256);
  if (options & kPaintLayer) RVL_CreatePaintLayer(80, "Normal");
}

void BM_Dab(benchmark::State& state) {
  const int size = int(state.range(0)), options = int(state.range(1));
  setUpPage(size, options);
  int i = 0;
  for (auto _ : state) {
    const int x = 600 + (i * 37) % 800, y = 600 + (i * 53) % 800;
    RVL_DrawDabGrit(x, y, 0x2000, 0x6000, 0xC000);
    RVL_DecDrawingLength();
    ++i;
  }
  const double area = M_PI * (size / 2.0) * (size / 2.0);
  state.SetItemsProcessed(int64_t(double(state.iterations()) * area));
  state.counters["dabs/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  rvl::resetEngine();
}
BENCHMARK(BM_Dab)
    ->ArgsProduct({{8, 32, 128, 512}, {kHard, kSoft}})
    ->ArgsProduct({{32, 128}, {kGrit, kBlend, kPaintLayer, kSoft | kGrit | kBlend}})
    ->Unit(benchmark::kMicrosecond);

// A stroke of 1000 dabs along a curve, then the step saved for undo.
void BM_StrokeWithUndo(benchmark::State& state) {
  const int size = int(state.range(0));
  setUpPage(size, kSoft);
  RVL_SetUndoLevels(20);
  RVL_SetUndoMB(512);
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      const double t = i / 1000.0;
      RVL_DrawDabGrit(int(300 + 1400 * t), int(1000 + 500 * std::sin(t * 6.28)), 0x2000, 0x6000, 0xC000);
    }
    RVL_SaveUndoBuffer(1, 0);
  }
  state.counters["strokes/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  rvl::resetEngine();
}
BENCHMARK(BM_StrokeWithUndo)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond);

}  // namespace
