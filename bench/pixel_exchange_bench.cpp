// Host buffers to and from layers on a 4096 x 4096 page, next to a plain memcpy of the
// same host bytes. Items are pixels, so the rates read as pixels per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "frame/frame.h"
#include "page/page.h"
#include "ravelin.h"

namespace {

constexpr int kSide = 4096;
constexpr int64_t kPixels = int64_t(kSide) * kSide;

struct Page {
  Page() {
    RVL_CreateImage(nullptr, kSide, kSide, 64, 0);
    RVL_CreateLayer(1, kSide, kSide);
    RVL_CreateLayer(2, kSide, kSide);
    RVL_SetLayer(2);
    picture.resize(size_t(kPixels) * 4);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = uint8_t((i * 2654435761u) >> 24);
  }
  ~Page() { rvl::resetEngine(); }
  std::vector<uint8_t> picture;
};

void BM_Memcpy(benchmark::State& state) {
  std::vector<uint8_t> a(size_t(kPixels) * 4, 1), b(size_t(kPixels) * 4);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void BM_LoadRGBA32Layer(benchmark::State& state) {
  Page p;
  const int32_t apply = int32_t(state.range(0));
  for (auto _ : state) RVL_LoadRGBA32Layer(p.picture.data(), kSide * 4, 2, 0, 0, kSide, kSide, apply);
  state.SetItemsProcessed(state.iterations() * kPixels);
  state.SetLabel(apply ? "filtered (mask)" : "plain");
}
BENCHMARK(BM_LoadRGBA32Layer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GetRGBA32Layer(benchmark::State& state) {
  Page p;
  RVL_LoadRGBA32Layer(p.picture.data(), kSide * 4, 2, 0, 0, kSide, kSide, 0);
  for (auto _ : state) benchmark::DoNotOptimize(RVL_GetRGBA32Layer(p.picture.data(), kSide * 4, 2));
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_GetRGBA32Layer)->Unit(benchmark::kMillisecond);

// Every row of the layer through the RGBA32 run format and back; range(0) = 1 for a
// picture of long runs (a plain background), 0 for noise (one run per pixel).
void BM_LayerLinesRLE(benchmark::State& state) {
  Page p;
  if (state.range(0)) RVL_Clear(200, 180, 160, 255);
  else RVL_LoadRGBA32Layer(p.picture.data(), kSide * 4, 2, 0, 0, kSide, kSide, 0);
  std::vector<uint8_t> runs(size_t(kSide) * 5);
  for (auto _ : state)
    for (int row = 0; row < kSide; ++row) {
      RVL_GetRGBA32LayerLineRLE(runs.data(), 2, row);
      RVL_PutRGBA32LayerLineRLE(runs.data(), 2, row);
    }
  state.SetItemsProcessed(state.iterations() * kPixels);
  state.SetLabel(state.range(0) ? "flat" : "noise");
}
BENCHMARK(BM_LayerLinesRLE)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_MaskLinesRLE(benchmark::State& state) {
  Page p;
  std::vector<uint8_t> runs(size_t(kSide) * 2);
  for (auto _ : state)
    for (int row = 0; row < kSide; ++row) {
      RVL_GetMaskLineRLE(runs.data(), row);
      RVL_PutMaskLineRLE(runs.data(), row);
    }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_MaskLinesRLE)->Unit(benchmark::kMillisecond);

}  // namespace
