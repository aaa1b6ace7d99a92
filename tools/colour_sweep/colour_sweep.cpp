// colour_sweep: every one of the 2^24 RGB colours through the HSV, HSL and Lab round trips
// (rgbToHsv then hsvToRgb, rgbToHsl then hslToRgb, rgbToXyz, xyzToLab then labToRgb),
// with a histogram of the worst channel difference per colour for each trip; and the row
// forms (rgbaRowToHsl, hslToRgbaRow on both kernels, rgbaRowToLab, labToRgbaRow) checked
// bit for bit against the per-pixel routines on the same colours.
//
//   colour_sweep            prints the three histograms and the row checks; exit status 0
//                           when every row value matched, 1 otherwise
//
// The histogram lines are "difference: colours", the largest difference last; then how
// many colours came back with a channel higher than it went in (truncation only ever
// loses), and the first colour that reached the largest difference with what came back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "page/colour_space.h"

namespace {

constexpr int kMaxDifference = 255;

struct Histogram {
  const char* name;
  uint64_t count[kMaxDifference + 1] = {};
  int worst = -1;
  uint32_t worstColour = 0;
  uint8_t worstOut[3] = {};
  uint64_t above = 0;  // colours with a channel that came back higher than it went in

  void add(uint32_t colour, int r, int g, int b, const uint8_t out[3]) {
    int d = std::abs(out[0] - r);
    if (std::abs(out[1] - g) > d) d = std::abs(out[1] - g);
    if (std::abs(out[2] - b) > d) d = std::abs(out[2] - b);
    ++count[d];
    if (out[0] > r || out[1] > g || out[2] > b) ++above;
    if (d > worst) {
      worst = d;
      worstColour = colour;
      for (int c = 0; c < 3; ++c) worstOut[c] = out[c];
    }
  }

  void print() const {
    std::printf("%s round trip, worst channel difference per colour:\n", name);
    for (int d = 0; d <= kMaxDifference; ++d)
      if (count[d] != 0) std::printf("  %3d: %8llu\n", d, static_cast<unsigned long long>(count[d]));
    std::printf("  colours with a channel that came back higher: %llu\n",
                static_cast<unsigned long long>(above));
    std::printf("  largest %d, first at (%u, %u, %u) -> (%u, %u, %u)\n", worst,
                (worstColour >> 16) & 255, (worstColour >> 8) & 255, worstColour & 255,
                worstOut[0], worstOut[1], worstOut[2]);
  }
};

}  // namespace

// One row per red and green: the 256 blues as RGBA32 pixels.
constexpr int kRow = 256;

uint64_t differingBits(const double* a, const double* b, int n) {
  return std::memcmp(a, b, sizeof(double) * size_t(n)) != 0;
}

// The row forms against the per-pixel routines over every colour; returns the number of
// rows with any value that differs.
uint64_t checkRows(bool baseline) {
  rvl::testing::setColourRowsBaseline(baseline);
  uint64_t bad = 0;
  std::vector<uint8_t> rgba(kRow * 4), back(kRow * 4), want(kRow * 4);
  std::vector<double> p(kRow), q(kRow), s(kRow), wp(kRow), wq(kRow), ws(kRow);
  for (int rg = 0; rg < 65536; ++rg) {
    for (int b = 0; b < kRow; ++b) {
      rgba[b * 4] = uint8_t(rg >> 8);
      rgba[b * 4 + 1] = uint8_t(rg);
      rgba[b * 4 + 2] = uint8_t(b);
      rgba[b * 4 + 3] = uint8_t(b ^ rg);
    }
    back = rgba;
    want = rgba;
    rvl::rgbaRowToHsl(rgba.data(), kRow, p.data(), q.data(), s.data());
    rvl::hslToRgbaRow(p.data(), q.data(), s.data(), kRow, back.data());
    for (int x = 0; x < kRow; ++x) {
      rvl::rgbToHsl(rgba[x * 4], rgba[x * 4 + 1], rgba[x * 4 + 2], &wp[x], &wq[x], &ws[x]);
      rvl::hslToRgb(wp[x], wq[x], ws[x], &want[x * 4], &want[x * 4 + 1], &want[x * 4 + 2]);
    }
    bad += differingBits(p.data(), wp.data(), kRow) || differingBits(q.data(), wq.data(), kRow) ||
           differingBits(s.data(), ws.data(), kRow) || back != want;
    if (baseline) continue;  // the Lab rows have one kernel

    back = rgba;
    want = rgba;
    rvl::rgbaRowToLab(rgba.data(), kRow, p.data(), q.data(), s.data());
    rvl::labToRgbaRow(p.data(), q.data(), s.data(), kRow, back.data());
    for (int x = 0; x < kRow; ++x) {
      double X, Y, Z;
      rvl::rgbToXyz(rgba[x * 4], rgba[x * 4 + 1], rgba[x * 4 + 2], &X, &Y, &Z);
      rvl::xyzToLab(X, Y, Z, &wp[x], &wq[x], &ws[x]);
      rvl::labToRgb(wp[x], wq[x], ws[x], &want[x * 4], &want[x * 4 + 1], &want[x * 4 + 2]);
    }
    bad += differingBits(p.data(), wp.data(), kRow) || differingBits(q.data(), wq.data(), kRow) ||
           differingBits(s.data(), ws.data(), kRow) || back != want;
  }
  rvl::testing::setColourRowsBaseline(false);
  return bad;
}

int main() {
  Histogram hsv{"HSV"}, hsl{"HSL"}, lab{"Lab"};
  for (uint32_t colour = 0; colour < (1u << 24); ++colour) {
    const int r = int(colour >> 16), g = int((colour >> 8) & 255), b = int(colour & 255);
    double p, q, s;
    uint8_t out[3];

    rvl::rgbToHsv(r, g, b, &p, &q, &s);
    rvl::hsvToRgb(p, q, s, &out[0], &out[1], &out[2]);
    hsv.add(colour, r, g, b, out);

    rvl::rgbToHsl(r, g, b, &p, &q, &s);
    rvl::hslToRgb(p, q, s, &out[0], &out[1], &out[2]);
    hsl.add(colour, r, g, b, out);

    double X, Y, Z;
    rvl::rgbToXyz(r, g, b, &X, &Y, &Z);
    rvl::xyzToLab(X, Y, Z, &p, &q, &s);
    rvl::labToRgb(p, q, s, &out[0], &out[1], &out[2]);
    lab.add(colour, r, g, b, out);
  }
  hsv.print();
  hsl.print();
  lab.print();

  const uint64_t widest = checkRows(false), baseline = checkRows(true);
  std::printf("Row forms against the per-pixel routines, rows of 256 colours with a value that "
              "differs:\n  HSL and Lab rows (widest kernel): %llu of 65536\n"
              "  HSL rows (baseline kernel): %llu of 65536\n",
              static_cast<unsigned long long>(widest), static_cast<unsigned long long>(baseline));
  return widest == 0 && baseline == 0 ? 0 : 1;
}
