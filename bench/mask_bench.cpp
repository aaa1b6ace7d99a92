// Masks on a 4096 x 4096 page: the colour-range builder, the pre / post filter pair around
// a filter, and the restriction of a result by mask and texture, in pixels per second
// (items). Each runs on one thread ("/threads:1" style argument 1) and with the row split
// (argument 0: the machine's workers).
#include <benchmark/benchmark.h>

#include <vector>

#include "frame/frame.h"
#include "frame/parallel_rows.h"
#include "page/page.h"
#include "ravelin.h"

namespace {

constexpr int32_t kSide = 4096;
constexpr int64_t kPixels = int64_t(kSide) * kSide;

// A picture of every kind of colour and alpha, from a fixed sequence.
std::vector<uint8_t> testPicture() {
  std::vector<uint8_t> p(size_t(kPixels) * 4);
  uint32_t v = 12345;
  for (uint8_t& b : p) {
    v = v * 1664525u + 1013904223u;
    b = uint8_t(v >> 24);
  }
  return p;
}

void setUp(benchmark::State& state) {
  RVL_CreateImage(nullptr, kSide, kSide, 64, 0);
  rvl::testing::setParallelRowWorkers(int32_t(state.range(0)));
}

void tearDown(benchmark::State& state) {
  state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
  rvl::testing::setParallelRowWorkers(0);
  rvl::resetEngine();
}

void BM_MaskColourRange(benchmark::State& state) {
  setUp(state);
  const std::vector<uint8_t> picture = testPicture();
  for (auto _ : state) {
    RVL_CreateMaskFromRGBAImageColorRange(picture.data(), 128, 64, 200, 30, 0);
    benchmark::ClobberMemory();
  }
  tearDown(state);
}
BENCHMARK(BM_MaskColourRange)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PreAndPostFilter(benchmark::State& state) {
  setUp(state);
  std::vector<uint8_t> picture = testPicture();
  for (auto _ : state) {
    RVL_AdjustRGBA32PreFilter(picture.data(), kSide, kSide);
    RVL_AdjustRGBA32PostFilter(picture.data(), kSide, kSide);
    benchmark::ClobberMemory();
  }
  tearDown(state);
}
BENCHMARK(BM_PreAndPostFilter)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// Restriction with a texture and a mask of every value (a fresh copy of the result each
// round, its cost measured apart in BM_RestrictCopyOnly).
void BM_AdjustByMaskAndTexture(benchmark::State& state) {
  setUp(state);
  const std::vector<uint8_t> source = testPicture();
  std::vector<uint8_t> picture = source;
  rvl::page.textureBuffer.allocate(size_t(kPixels));
  for (int64_t i = 0; i < kPixels; ++i) {
    rvl::page.textureBuffer[size_t(i)] = source[size_t(i) * 4];
    rvl::page.mask[size_t(i)] = uint16_t(source[size_t(i) * 4 + 1] * 257);
  }
  for (auto _ : state) {
    state.PauseTiming();
    picture = source;
    state.ResumeTiming();
    RVL_AdjustRGBA32ByMaskAndTexture(picture.data(), kSide, kSide);
    benchmark::ClobberMemory();
  }
  tearDown(state);
}
BENCHMARK(BM_AdjustByMaskAndTexture)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
