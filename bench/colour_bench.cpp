// Colour-space round trips over a 4096 x 4096 RGBA32 picture, one core: RGB to HSL and
// back, RGB to Lab (through XYZ) and back, each a row loop from one buffer into another,
// beside OpenCV's cv::cvtColor doing the same trips (COLOR_RGB2HLS / COLOR_HLS2RGB,
// COLOR_RGB2Lab / COLOR_Lab2RGB) on the same picture as 3-channel bytes, with OpenCV held
// to one thread. The row forms (rgbaRowToHsl and the others, bit for bit the per-pixel
// routines) run beside the per-pixel loops; the HSL rows once more held to their baseline
// SSE2 kernel. Rates are in picture pixels per second, both directions counted as one.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdint>
#include <vector>

#include "page/colour_space.h"

namespace {

constexpr int kSide = 4096;
constexpr size_t kPixels = size_t(kSide) * kSide;

// The picture, made once: random colours and alpha.
const std::vector<uint8_t>& picture() {
  static const std::vector<uint8_t> rgba = [] {
    std::vector<uint8_t> p(kPixels * 4);
    uint32_t v = 12345;
    for (size_t i = 0; i < kPixels; ++i) {
      v = v * 1664525u + 1013904223u;
      p[i * 4 + 0] = uint8_t(v >> 24);
      p[i * 4 + 1] = uint8_t(v >> 16);
      p[i * 4 + 2] = uint8_t(v >> 8);
      p[i * 4 + 3] = uint8_t(v);
    }
    return p;
  }();
  return rgba;
}

void setRate(benchmark::State& state) {
  state.counters["Mpixel/s"] = benchmark::Counter(double(state.iterations()) * double(kPixels) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

template <class Trip>
void roundTrip(benchmark::State& state, Trip trip) {
  const uint8_t* src = picture().data();
  std::vector<uint8_t> dst(kPixels * 4);
  for (auto _ : state) {
    for (int y = 0; y < kSide; ++y) {
      const uint8_t* s = src + size_t(y) * kSide * 4;
      uint8_t* d = dst.data() + size_t(y) * kSide * 4;
      for (int x = 0; x < kSide; ++x, s += 4, d += 4) {
        trip(s, d);
        d[3] = s[3];
      }
    }
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setRate(state);
}

void BM_HslRoundTrip(benchmark::State& state) {
  roundTrip(state, [](const uint8_t* s, uint8_t* d) {
    double h, sat, l;
    rvl::rgbToHsl(s[0], s[1], s[2], &h, &sat, &l);
    rvl::hslToRgb(h, sat, l, &d[0], &d[1], &d[2]);
  });
}
BENCHMARK(BM_HslRoundTrip)->Unit(benchmark::kMillisecond);

void BM_LabRoundTrip(benchmark::State& state) {
  roundTrip(state, [](const uint8_t* s, uint8_t* d) {
    double X, Y, Z, L, a, b;
    rvl::rgbToXyz(s[0], s[1], s[2], &X, &Y, &Z);
    rvl::xyzToLab(X, Y, Z, &L, &a, &b);
    rvl::labToRgb(L, a, b, &d[0], &d[1], &d[2]);
  });
}
BENCHMARK(BM_LabRoundTrip)->Unit(benchmark::kMillisecond);

// The row forms: each row into three planes of doubles and back.
template <class There, class Back>
void rowTrip(benchmark::State& state, There there, Back back) {
  const uint8_t* src = picture().data();
  std::vector<uint8_t> dst(kPixels * 4);
  std::vector<double> p(kSide), q(kSide), r(kSide);
  for (auto _ : state) {
    for (int y = 0; y < kSide; ++y) {
      const uint8_t* s = src + size_t(y) * kSide * 4;
      uint8_t* d = dst.data() + size_t(y) * kSide * 4;
      there(s, kSide, p.data(), q.data(), r.data());
      back(p.data(), q.data(), r.data(), kSide, d);
      for (int x = 0; x < kSide; ++x) d[x * 4 + 3] = s[x * 4 + 3];
    }
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  setRate(state);
}

void BM_HslRowsRoundTrip(benchmark::State& state) {
  rowTrip(state, rvl::rgbaRowToHsl, rvl::hslToRgbaRow);
}
BENCHMARK(BM_HslRowsRoundTrip)->Unit(benchmark::kMillisecond);

void BM_HslRowsRoundTripBaseline(benchmark::State& state) {
  rvl::testing::setColourRowsBaseline(true);
  rowTrip(state, rvl::rgbaRowToHsl, rvl::hslToRgbaRow);
  rvl::testing::setColourRowsBaseline(false);
}
BENCHMARK(BM_HslRowsRoundTripBaseline)->Unit(benchmark::kMillisecond);

void BM_LabRowsRoundTrip(benchmark::State& state) {
  rowTrip(state, rvl::rgbaRowToLab, rvl::labToRgbaRow);
}
BENCHMARK(BM_LabRowsRoundTrip)->Unit(benchmark::kMillisecond);

void openCvRoundTrip(benchmark::State& state, int there, int back) {
  const int threads = cv::getNumThreads();
  cv::setNumThreads(1);
  cv::Mat rgba(kSide, kSide, CV_8UC4, const_cast<uint8_t*>(picture().data()));
  cv::Mat rgb, other, out;
  cv::cvtColor(rgba, rgb, cv::COLOR_RGBA2RGB);
  for (auto _ : state) {
    cv::cvtColor(rgb, other, there);
    cv::cvtColor(other, out, back);
    benchmark::DoNotOptimize(out.data);
    benchmark::ClobberMemory();
  }
  setRate(state);
  cv::setNumThreads(threads);
}

void BM_OpenCvHlsRoundTrip(benchmark::State& state) {
  openCvRoundTrip(state, cv::COLOR_RGB2HLS, cv::COLOR_HLS2RGB);
}
BENCHMARK(BM_OpenCvHlsRoundTrip)->Unit(benchmark::kMillisecond);

void BM_OpenCvLabRoundTrip(benchmark::State& state) {
  openCvRoundTrip(state, cv::COLOR_RGB2Lab, cv::COLOR_Lab2RGB);
}
BENCHMARK(BM_OpenCvLabRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace
