// Page set-up costs: page creation (brush buffers, mask, back buffer, random arrays) and
// layer creation on a 4096 x 4096 page.
#include <benchmark/benchmark.h>

#include "frame/frame.h"
#include "ravelin.h"

static void BM_CreateImage4096(benchmark::State& state) {
  for (auto _ : state) {
    RVL_CreateImage(nullptr, 4096, 4096, 1000, 0);
    RVL_DeleteImage();
  }
  rvl::resetEngine();
}
BENCHMARK(BM_CreateImage4096)->Unit(benchmark::kMillisecond);

static void BM_ClearLayer4096(benchmark::State& state) {
  RVL_CreateImage(nullptr, 4096, 4096, 64, 0);
  for (auto _ : state) benchmark::DoNotOptimize(RVL_CreateLayer(2, 4096, 4096));
  state.SetBytesProcessed(int64_t(state.iterations()) * 4096 * 4096 * 8);
  rvl::resetEngine();
}
BENCHMARK(BM_ClearLayer4096)->Unit(benchmark::kMillisecond);

static void BM_RandomArrayRebuild(benchmark::State& state) {
  int32_t seed = 1;
  RVL_CreateImage(nullptr, 16, 16, 16, 0);
  for (auto _ : state) {
    RVL_SetRandomSeed(++seed);
    RVL_NewSize(nullptr, 16, 16, 16, 0);
  }
  rvl::resetEngine();
}
BENCHMARK(BM_RandomArrayRebuild)->Unit(benchmark::kMillisecond);
