// Compositing on a 4096 x 4096 page of four layers (Normal opaque background, Normal with
// partial alpha, Multiply, Alpha Smooth): the 1920 x 1080 view at zoom 1, 4 and a shrink
// by 2, and the flattening of the whole page. Rates are in output (view) or page pixels.
#include <benchmark/benchmark.h>

#include <vector>

#include "compose/compose.h"
#include "frame/frame.h"
#include "page/page.h"
#include "ravelin.h"

namespace {

constexpr int kSide = 4096;
constexpr int kViewWidth = 1920, kViewHeight = 1080;

void fillLayer(int index, uint32_t seed, bool opaque) {
  const rvl::LayerSlot& s = rvl::page.layerTable[index];
  uint32_t v = seed;
  for (size_t i = 0; i < size_t(s.width) * s.height; ++i) {
    v = v * 1664525u + 1013904223u;
    uint16_t* p = s.pixels + i * 4;
    p[0] = uint16_t(v >> 8);
    p[1] = uint16_t(v >> 12);
    p[2] = uint16_t(v >> 16);
    // Partial layers: a quarter transparent, a quarter opaque, the rest in between.
    const uint32_t kind = (v >> 28) & 3;
    p[3] = opaque || kind == 0 ? 65535 : kind == 1 ? 0 : uint16_t(v);
  }
}

struct ComposePage {
  ComposePage() {
    RVL_CreateImage(nullptr, kSide, kSide, 64, 0);
    const char* modes[] = {"Normal", "Normal", "Multiply", "Alpha Smooth"};
    for (int i = 0; i < 4; ++i) {
      RVL_CreateLayer(i + 1, kSide, kSide);
      fillLayer(i + 1, 17 * (i + 1), i == 0);
      RVL_SetLayerOptions(i + 1, 1, 0, i == 2 ? 80 : 100, modes[i]);
    }
    RVL_SetLayer(2);
    RVL_SetViewSize(kViewWidth, kViewHeight);
  }
  ~ComposePage() { rvl::resetEngine(); }
};

void renderView(benchmark::State& state, int whole, float scale, int width, int height) {
  ComposePage page;
  RVL_SetScale(whole, scale);
  std::vector<uint8_t> view(size_t(kViewWidth) * kViewHeight * 3);
  for (auto _ : state) {
    RVL_Render(view.data(), kViewWidth * 3, 100, 100, width, height);
    benchmark::DoNotOptimize(view.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(
      double(state.iterations()) * kViewWidth * kViewHeight / 1e6, benchmark::Counter::kIsRate);
}

void BM_RenderZoom1(benchmark::State& state) { renderView(state, 1, 1.0f, kViewWidth, kViewHeight); }
void BM_RenderZoom4(benchmark::State& state) { renderView(state, 4, 1.0f, kViewWidth / 4, kViewHeight / 4); }
void BM_RenderShrink2(benchmark::State& state) {
  renderView(state, 1, 2.0f, kViewWidth * 2, kViewHeight * 2);
}
BENCHMARK(BM_RenderZoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderShrink2)->Unit(benchmark::kMillisecond);

void BM_MergeRectWholePage(benchmark::State& state) {
  ComposePage page;
  std::vector<uint16_t> flat(size_t(kSide) * kSide * 4);
  for (auto _ : state) {
    RVL_MergeRect(flat.data(), 0, 0, kSide, kSide);
    benchmark::DoNotOptimize(flat.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(double(state.iterations()) * kSide * kSide / 1e6,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MergeRectWholePage)->Unit(benchmark::kMillisecond);

}  // namespace

// ---- MergePixels over one 4096 x 4096 layer, beside a plain read-modify-write ----------
namespace {

struct MergeBuffers {
  std::vector<uint16_t> source, destination, pristine;
  MergeBuffers(bool opaqueSource) : source(size_t(kSide) * kSide * 4), destination(source.size()) {
    uint32_t v = 99;
    for (size_t i = 0; i < size_t(kSide) * kSide; ++i) {
      v = v * 1664525u + 1013904223u;
      uint16_t* s = source.data() + i * 4;
      s[0] = uint16_t(v >> 8);
      s[1] = uint16_t(v >> 12);
      s[2] = uint16_t(v >> 16);
      const uint32_t kind = (v >> 28) & 3;
      s[3] = opaqueSource || kind == 0 ? 65535 : kind == 1 ? 0 : uint16_t(v);
      v = v * 1664525u + 1013904223u;
      uint16_t* d = destination.data() + i * 4;
      d[0] = uint16_t(v >> 9);
      d[1] = uint16_t(v >> 13);
      d[2] = uint16_t(v >> 17);
      d[3] = uint16_t(40000 + (v >> 24) * 100);  // partial, never transparent
    }
    pristine = destination;
  }
};

// state.range(0): 1 lets large merges split their rows between threads, 0 forbids it.
void mergeRate(benchmark::State& state, int32_t mode, bool opaqueSource) {
  MergeBuffers b(opaqueSource);
  rvl::testing::setComposeThreads(state.range(0) != 0);
  for (auto _ : state) {
    state.PauseTiming();
    b.destination = b.pristine;  // the same work every round
    state.ResumeTiming();
    rvl::MergePixels(b.source.data(), 0, 0, kSide, kSide, kSide * 4, nullptr, b.destination.data(),
                     0, 0, kSide * 4, mode, 0, 256, false, false);
    benchmark::DoNotOptimize(b.destination.data());
  }
  rvl::testing::setComposeThreads(true);
  state.counters["Mpixel/s"] = benchmark::Counter(double(state.iterations()) * kSide * kSide / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void BM_MergeNormalOpaque(benchmark::State& state) { mergeRate(state, codeOf(rvl::MergeMode::Normal), true); }
void BM_MergeNormalPartial(benchmark::State& state) { mergeRate(state, codeOf(rvl::MergeMode::Normal), false); }
void BM_MergeMultiply(benchmark::State& state) { mergeRate(state, codeOf(rvl::MergeMode::Multiply), false); }
void BM_MergeOverlay(benchmark::State& state) { mergeRate(state, codeOf(rvl::MergeMode::Overlay), false); }
void BM_MergeSoftLight(benchmark::State& state) { mergeRate(state, codeOf(rvl::MergeMode::SoftLight), false); }
BENCHMARK(BM_MergeNormalOpaque)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeNormalPartial)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeMultiply)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeOverlay)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeSoftLight)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: reading the source and rewriting the destination, the same bytes.
void BM_MergeBaselineReadModifyWrite(benchmark::State& state) {
  MergeBuffers b(true);
  for (auto _ : state) {
    state.PauseTiming();
    b.destination = b.pristine;
    state.ResumeTiming();
    const uint16_t* s = b.source.data();
    uint16_t* d = b.destination.data();
    for (size_t i = 0; i < b.source.size(); ++i) d[i] = uint16_t(d[i] ^ s[i]);
    benchmark::DoNotOptimize(b.destination.data());
  }
  state.counters["Mpixel/s"] = benchmark::Counter(double(state.iterations()) * kSide * kSide / 1e6,
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MergeBaselineReadModifyWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- RVL_Render of eight visible layers of mixed alpha and modes ----------------------

struct EightLayerPage {
  EightLayerPage() {
    RVL_CreateImage(nullptr, kSide, kSide, 64, 0);
    const char* modes[] = {"Normal",  "Normal",     "Multiply", "Overlay",
                           "Screen",  "Soft Light", "Normal",   "Alpha Smooth"};
    const int opacities[] = {100, 100, 80, 100, 60, 100, 90, 100};
    for (int i = 0; i < 8; ++i) {
      RVL_CreateLayer(i + 1, kSide, kSide);
      fillLayer(i + 1, 31 * (i + 1), i == 0);
      RVL_SetLayerOptions(i + 1, 1, 0, opacities[i], modes[i]);
    }
    RVL_SetLayer(2);
    RVL_SetViewSize(kViewWidth, kViewHeight);
  }
  ~EightLayerPage() { rvl::resetEngine(); }
};

void renderEight(benchmark::State& state, int whole, float scale, int width, int height) {
  EightLayerPage page;
  rvl::testing::setComposeThreads(state.range(0) != 0);
  RVL_SetScale(whole, scale);
  std::vector<uint8_t> view(size_t(kViewWidth) * kViewHeight * 3);
  for (auto _ : state) {
    RVL_Render(view.data(), kViewWidth * 3, 100, 100, width, height);
    benchmark::DoNotOptimize(view.data());
  }
  rvl::testing::setComposeThreads(true);
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Render8Zoom1(benchmark::State& state) { renderEight(state, 1, 1.0f, kViewWidth, kViewHeight); }
void BM_Render8Zoom4(benchmark::State& state) {
  renderEight(state, 4, 1.0f, kViewWidth / 4, kViewHeight / 4);
}
void BM_Render8Shrink2(benchmark::State& state) {
  renderEight(state, 1, 2.0f, kViewWidth * 2, kViewHeight * 2);
}
BENCHMARK(BM_Render8Zoom1)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render8Zoom4)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render8Shrink2)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
