// The same round dabs drawn by libmypaint into its fixed tiled surface, for comparison
// with BM_Dab (built when libmypaint is installed). libmypaint runs on one thread here.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <cmath>

extern "C" {
#include <mypaint-fixed-tiled-surface.h>
#include <mypaint-surface.h>
}

namespace {

void BM_MyPaintDab(benchmark::State& state) {
  omp_set_num_threads(1);
  const int size = int(state.range(0));
  const float hardness = state.range(1) ? 0.5f : 1.0f;  // soft: a linear falloff from the middle
  MyPaintFixedTiledSurface* tiled = mypaint_fixed_tiled_surface_new(2048, 2048);
  MyPaintSurface* surface = reinterpret_cast<MyPaintSurface*>(tiled);
  int i = 0;
  for (auto _ : state) {
    const float x = 600 + (i * 37) % 800, y = 600 + (i * 53) % 800;
    mypaint_surface_begin_atomic(surface);
    mypaint_surface_draw_dab(surface, x, y, size / 2.0f, 0.125f, 0.375f, 0.75f, 1.0f, hardness, 1.0f, 1.0f, 0.0f,
                             0.0f, 0.0f);
    MyPaintRectangle roi;
    mypaint_surface_end_atomic(surface, &roi);
    ++i;
  }
  const double area = M_PI * (size / 2.0) * (size / 2.0);
  state.SetItemsProcessed(int64_t(double(state.iterations()) * area));
  state.counters["dabs/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  mypaint_surface_unref(surface);
}
BENCHMARK(BM_MyPaintDab)->ArgsProduct({{8, 32, 128, 512}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace
