// Every merge mode against a small reference model written here in plain double
// precision, over a table of source pixels, destinations, opacities, mask pixels, both
// values of the same-mode flag and two alpha-layer opacities.
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "compose/compose.h"
#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using Px = std::array<int, 4>;

// ---- The reference model ---------------------------------------------------------------

struct Ref {
  long r, g, b, a;
  int h;         // effective mode
  bool fresh;    // the source replaces the destination (destination alpha taken as 0)
};

using AlphaRule = std::function<Ref(Ref, bool same, long k)>;

long lum3(const Ref& p) { return (p.r + p.g + p.b) / 3; }
Ref withColour(Ref p, long v) {
  p.r = p.g = p.b = v;
  return p;
}
Ref replacing(Ref p) {
  if (p.a > 0) p.fresh = true;
  return p;
}
long keep16(double v) { return std::min(65535L, std::max(0L, long(std::trunc(v)))); }

// Tone curves: lighten above the pivot, darken at or below it.
Ref toned(Ref p, long pivot, double up, double down) {
  const auto adjust = [&](long c) {
    if (p.a > pivot) return keep16(c + (65535 - c) * ((p.a - pivot) * up));
    return keep16(c - c * ((pivot - p.a) * down));
  };
  p.r = adjust(p.r);
  p.g = adjust(p.g);
  p.b = adjust(p.b);
  return p;
}
Ref tone1(Ref p) { return toned(p, 32767, 1.0 / 32767, 1.0 / 32767); }
Ref tone2(Ref p) { return toned(p, 32767, 1.0 / 32767, 1.0 / 65535); }
Ref tone3(Ref p) { return toned(p, 36862, 1.0 / 28672, 1.0 / 30000); }

Ref shaded(Ref p) {
  const auto f = [&](long c) {
    return p.a < 32767 ? std::max(0L, c - 2 * (32767 - p.a)) : std::min(65535L, c + 2 * p.a - 65534);
  };
  p.r = f(p.r);
  p.g = f(p.g);
  p.b = f(p.b);
  return p;
}

long rampOf(long a, long k) {
  if (a == 0 || a < 8191) return 0;
  if (a >= 9215) return k;
  return 65535 - std::min(64 * (9215 - a), 65535L);
}

// Rules for F = 0 and F != 0 per alpha mode.
AlphaRule rule(std::function<Ref(Ref, long)> plain, std::function<Ref(Ref, long)> same = nullptr) {
  if (!same) same = [](Ref p, long) { return replacing(p); };
  return [plain, same](Ref p, bool f, long k) { return f ? same(p, k) : plain(p, k); };
}

Ref lumSame(Ref p, long) {
  if (p.a < 8191) {
    p.a = 0;
    return p;
  }
  return replacing(p);
}
Ref rampSame(Ref p, long) {
  if (p.a < 8191) p.a = 0;
  else if (p.a < 9215) p.h = 1;
  else p = replacing(p);
  return p;
}

const std::map<int, AlphaRule>& alphaRules() {
  static const std::map<int, AlphaRule> rules = {
      {21, rule([](Ref p, long k) { if (p.a > 0) p.a = k; return p; })},
      {22, rule([](Ref p, long) { p = withColour(p, 65535); p.a = 65535 - p.a; return p; })},
      {23, rule([](Ref p, long k) { if (p.a > 0 && p.a < 65280) { p = withColour(p, 0); p.a = k; } return p; })},
      {24, rule([](Ref p, long k) { p.a = p.a >= 12287 ? k : (p.a > 0 ? 65535 - p.a : 0); return p; })},
      {26, rule([](Ref p, long) { if (p.a > 0) p.a = 65535 - p.a; return p; })},
      {27, rule([](Ref p, long k) { if (p.a > 0) { p = withColour(p, p.a); p.a = k; } return p; })},
      {28, rule([](Ref p, long k) { if (p.a > 0) { p = shaded(p); p.a = k; } return p; })},
      {29, rule([](Ref p, long k) { if (p.a > 0) { p = shaded(p); p.a = k; p.h = 18; } return p; })},
      {30, rule([](Ref p, long k) {
         if (p.a <= 0) return p;
         p.h = 18;
         if (p.a < 32767) {
           p.a = std::max(0L, p.a - 2 * (32767 - p.a));
         } else {
           for (long* c : {&p.r, &p.g, &p.b}) *c = std::min(65535L, *c + 2 * p.a - 65534);
           p.a = k;
         }
         return p;
       })},
      {31, rule([](Ref p, long k) {
         if (p.a >= 32767) p.a = k;
         else if (p.a > 0) p.a = std::max(0L, p.a - 4 * (32767 - p.a));
         return p;
       })},
      {32, rule([](Ref p, long k) { p = tone1(p); p.a = p.a >= 8191 ? k : 0; return p; }, lumSame)},
      {33, rule([](Ref p, long k) { p = tone2(p); p.a = p.a >= 8191 ? k : 0; return p; }, lumSame)},
      {34, rule([](Ref p, long k) { p = tone3(p); p.a = p.a >= 8191 ? k : 0; return p; }, lumSame)},
      {35, rule([](Ref p, long k) { p = tone3(p); p.a = rampOf(p.a, k); return p; }, rampSame)},
      {36, rule([](Ref p, long k) { p = tone1(p); p.a = rampOf(p.a, k); return p; }, rampSame)},
      {38, rule([](Ref p, long) { if (p.a > 32512) p.a = 0; return p; },
                [](Ref p, long) { if (p.a <= 32512) { p.a = 0; return p; } return replacing(p); })},
      {39, [](Ref p, bool, long) { p.a = 0; return p; }},
      {40, [](Ref p, bool, long) { p.a = lum3(p); return withColour(p, 65535); }},
      {41, [](Ref p, bool, long) { p.a = 65535 - lum3(p); return withColour(p, 0); }},
  };
  return rules;
}
int ruleFor(int mode) {
  if (mode == 25) return 24;
  if (mode == 37) return 23;
  return mode;
}

// Separable formulas on premultiplied channels s, d with alphas x (source) and y (destination).
using Formula = std::function<double(double s, double d, double x, double y)>;
const std::map<int, Formula>& formulas() {
  static const std::map<int, Formula> f = {
      {1, [](double s, double d, double x, double y) { return s * (1 - y) + d * (1 - x) + s * d; }},
      {2, [](double s, double d, double, double) { return s + d - s * d; }},
      {3, [](double s, double d, double x, double y) { return d * x <= s * y ? d + s * (1 - y) : s + d * (1 - x); }},
      {4, [](double s, double d, double x, double y) { return d * x >= s * y ? d + s * (1 - y) : s + d * (1 - x); }},
      {5, [](double s, double d, double x, double y) { return s + d - 2 * std::min(s * y, d * x); }},
      {6, [](double s, double d, double x, double y) { return s * y + d * x - 2 * s * d + s * (1 - y) + d * (1 - x); }},
      {8, [](double s, double d, double x, double y) {
         double v = y > 2 * d ? 2 * s * d : x * y - 2 * (x - s) * (y - d);
         return v + s * (1 - y) + d * (1 - x);
       }},
      {9, [](double s, double d, double x, double y) {
         double v = x > 2 * s ? 2 * s * d : x * y - 2 * (x - s) * (y - d);
         return v + s * (1 - y) + d * (1 - x);
       }},
      {10, [](double s, double d, double x, double y) {
         const double m = d / y;
         double v;
         if (2 * s < x) v = d * (x + (1 - m) * (2 * s - x));
         else if (8 * d <= y) v = d * (x + (2 * s - x) * (1 - m) * (3 - 8 * m));
         else v = d * x + (2 * s - x) * (std::sqrt(m) * y - d);
         return v + s * (1 - y) + d * (1 - x);
       }},
      {11, [](double s, double d, double x, double y) {
         if (s * y + d * x >= x * y) return x * y + s * (1 - y) + d * (1 - x);
         return d * x / (1 - s / x) + s * (1 - y) + d * (1 - x);
       }},
      {12, [](double s, double d, double x, double y) {
         if (s * y + d * x <= x * y) return s * (1 - y) + d * (1 - x);
         return x * (s * y + d * x - x * y) / s + s * (1 - y) + d * (1 - x);
       }},
      {15, [](double s, double d, double, double) { return s + d; }},
      {16, [](double s, double d, double x, double y) { return s + d - x * y; }},
  };
  return f;
}

struct Expected {
  Px px;
  bool inexact;  // went through the floating-point path
};

Expected reference(int mode, Px s, Px d, const Px* maskPixel, int opacity, bool same, long k) {
  long a = s[3];
  if (a == 0 && mode <= 20) return {d, false};
  if (maskPixel && (*maskPixel)[3] != 0)
    a = (a * (((*maskPixel)[0] + (*maskPixel)[1] + (*maskPixel)[2]) / 3)) >> 16;
  if (opacity < 255) a = ((opacity + 1) * a) >> 8;
  Ref p{s[0], s[1], s[2], a, mode, false};
  if (auto it = alphaRules().find(ruleFor(mode)); it != alphaRules().end()) p = it->second(p, same, k);

  const bool texturize = p.h == 17 || p.h == 18 || p.h == 19;
  if (d[3] == 0 || p.fresh) {
    if (texturize) return {{0, 0, 0, 0}, false};
    return {{int(p.r), int(p.g), int(p.b), int(p.a)}, false};
  }
  if (p.a == 0) return {d, false};
  if (p.a >= 65280 && p.h == 0) return {{int(p.r), int(p.g), int(p.b), int(p.a)}, false};

  const double x = p.a / 65535.0, y = d[3] / 65535.0;
  const double src[3] = {double(p.r), double(p.g), double(p.b)};
  double out[3];
  double alpha = x + y - x * y;
  const double light = (p.r + p.g + p.b) / 3.0 / 65280.0;
  for (int c = 0; c < 3; ++c) {
    const double S = src[c] / 65280.0 * x, D = d[c] / 65280.0 * y;
    const double plainD = D / y;
    switch (p.h) {
      case 15:
      case 16:
        alpha = x + y;
        out[c] = formulas().at(p.h)(S, D, x, y);
        break;
      case 17: {
        double sum = 0;
        for (int q = 0; q < 3; ++q) sum += d[q] / 65280.0 + (light - 0.5) * x;
        out[c] = plainD + 1.75 * x * (sum / 3 - 0.5);
        alpha = y;
        break;
      }
      case 18:
        out[c] = plainD + 1.75 * x * (light - 0.5);
        alpha = y;
        break;
      case 19:
        out[c] = D;
        alpha = y;
        break;
      default: {
        auto it = formulas().find(p.h == 7 ? 6 : p.h);
        out[c] = it != formulas().end() ? it->second(S, D, x, y) : S + D * (1 - x);
      }
    }
  }
  alpha = std::clamp(alpha, 0.0, 1.0);
  Px result;
  for (int c = 0; c < 3; ++c) result[c] = int(std::clamp(out[c] / alpha, 0.0, 1.0) * 65280);
  result[3] = int(alpha * 65535);
  return {result, true};
}

// ---- The table ---------------------------------------------------------------------------

const std::vector<Px> kSources = {
    {1000, 2000, 3000, 0},        {40000, 20000, 5000, 65535}, {65535, 65535, 65535, 65535},
    {30000, 50000, 10000, 32768}, {12000, 60000, 33000, 65280}, {50000, 8000, 25000, 9000},
    {20000, 30000, 40000, 12000}, {60000, 45000, 100, 40000},  {7000, 7000, 7000, 4000},
    {36000, 26000, 16000, 50000},
};
const std::vector<Px> kDestinations = {
    {0, 0, 0, 0},         {5000, 10000, 15000, 0},     {65535, 65535, 65535, 65535},
    {20000, 40000, 60000, 65535}, {45000, 15000, 30000, 30000}, {10000, 50000, 25000, 52000},
};
const std::vector<int> kOpacities = {256, 255, 200, 128, 7};

std::vector<int> allModes() {
  std::vector<int> modes;
  for (int m = 0; m <= 41; ++m)
    if (m != 20) modes.push_back(m);
  return modes;
}

class MergeModeTable : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(MergeModeTable, MatchesTheReference) {
  const int mode = GetParam();
  const Px greyMask{32768, 32768, 32768, 65535};
  const Px hiddenMask{0, 0, 0, 0};  // alpha 0: changes nothing
  const Px darkMask{9000, 3000, 600, 100};
  const Px* masks[] = {nullptr, &greyMask, &hiddenMask, &darkMask};
  int checked = 0;
  for (long k : {65535L, 40000L}) {
    compose.alphaLayerOpacity = uint16_t(k);
    for (int opacity : kOpacities)
      for (bool same : {false, true})
        for (const Px* mask : masks) {
          std::vector<uint16_t> src, dst, msk;
          for (const Px& s : kSources)
            for (const Px& d : kDestinations) {
              src.insert(src.end(), s.begin(), s.end());
              dst.insert(dst.end(), d.begin(), d.end());
              if (mask) msk.insert(msk.end(), mask->begin(), mask->end());
            }
          const int n = int(src.size() / 4);
          MergePixels(src.data(), 0, 0, n, 1, n * 4, mask ? msk.data() : nullptr, dst.data(), 0, 0,
                      n * 4, mode, mask ? 39 : 0, opacity, false, same);
          int i = 0;
          for (const Px& s : kSources)
            for (const Px& d : kDestinations) {
              const Expected e = reference(mode, s, d, mask, opacity, same, k);
              const int tolerance = e.inexact ? 1 : 0;
              for (int c = 0; c < 4; ++c)
                ASSERT_LE(std::abs(int(dst[i * 4 + c]) - e.px[c]), tolerance)
                    << "mode " << mode << " channel " << c << " source " << s[0] << "," << s[1] << ","
                    << s[2] << "," << s[3] << " destination " << d[0] << "," << d[1] << "," << d[2]
                    << "," << d[3] << " opacity " << opacity << " same " << same << " mask "
                    << (mask ? (*mask)[0] : -1) << " k " << k << " got " << dst[i * 4 + c]
                    << " want " << e.px[c];
              ++i, ++checked;
            }
        }
  }
  EXPECT_EQ(checked, 2 * 5 * 2 * 4 * 60);
}

TEST_P(MergeModeTable, KeepDestinationAlphaWritesOnlyColour) {
  const int mode = GetParam();
  std::vector<uint16_t> src, dst;
  for (const Px& s : kSources)
    for (const Px& d : kDestinations) {
      src.insert(src.end(), s.begin(), s.end());
      dst.insert(dst.end(), d.begin(), d.end());
    }
  const int n = int(src.size() / 4);
  MergePixels(src.data(), 0, 0, n, 1, n * 4, nullptr, dst.data(), 0, 0, n * 4, mode, 0, 200, true, false);
  int i = 0;
  for (const Px& s : kSources)
    for (const Px& d : kDestinations) {
      const Expected e = reference(mode, s, d, nullptr, 200, false, 65535);
      EXPECT_EQ(dst[i * 4 + 3], d[3]);
      for (int c = 0; c < 3; ++c) EXPECT_LE(std::abs(int(dst[i * 4 + c]) - e.px[c]), e.inexact ? 1 : 0);
      ++i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllModes, MergeModeTable, ::testing::ValuesIn(allModes()),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Mode" + std::to_string(info.param);
                         });

// ---- Single pixels worth knowing by heart ------------------------------------------------

class MergePixelTest : public EngineTest {
 protected:
  static Px merge(Px s, Px d, int mode, int opacity = 256, bool same = false, const Px* mask = nullptr) {
    uint16_t sp[4], dp[4], mp[4];
    for (int c = 0; c < 4; ++c) {
      sp[c] = uint16_t(s[c]);
      dp[c] = uint16_t(d[c]);
      mp[c] = mask ? uint16_t((*mask)[c]) : 0;
    }
    MergePixels(sp, 0, 0, 1, 1, 4, mask ? mp : nullptr, dp, 0, 0, 4, mode, 39, opacity, false, same);
    return {dp[0], dp[1], dp[2], dp[3]};
  }
};

TEST_F(MergePixelTest, OpaqueNormalIsAnIntegerCopy) {
  for (Px d : {Px{0, 0, 0, 0}, Px{65535, 65535, 65535, 65535}, Px{9, 8, 7, 6}})
    EXPECT_EQ(merge({1000, 2000, 3000, 65535}, d, 0), (Px{1000, 2000, 3000, 65535}));
}

TEST_F(MergePixelTest, PartialNormalOverWhiteIsClampedAt65280) {
  EXPECT_EQ(merge({65535, 65535, 65535, 32768}, {65535, 65535, 65535, 65535}, 0),
            (Px{65280, 65280, 65280, 65535}));
}

TEST_F(MergePixelTest, OpacityScalesTheAlpha) {
  EXPECT_EQ(merge({100, 200, 300, 40000}, {0, 0, 0, 0}, 0, 128), (Px{100, 200, 300, (129 * 40000) >> 8}));
  EXPECT_EQ(merge({100, 200, 300, 40000}, {0, 0, 0, 0}, 0, 255), (Px{100, 200, 300, 40000}));
  EXPECT_EQ(merge({100, 200, 300, 40000}, {0, 0, 0, 0}, 0, 0), (Px{100, 200, 300, 40000 >> 8}));
}

TEST_F(MergePixelTest, TransparentSourcePixels) {
  const Px d{1, 2, 3, 4};
  for (int mode = 0; mode <= 20; ++mode) EXPECT_EQ(merge({500, 600, 700, 0}, d, mode), d) << mode;
  EXPECT_EQ(merge({500, 600, 700, 0}, {0, 0, 0, 0}, 22), (Px{65535, 65535, 65535, 65535}));
  EXPECT_EQ(merge({500, 600, 700, 0}, {1000, 1000, 1000, 65535}, 22), (Px{65280, 65280, 65280, 65535}));
}

TEST_F(MergePixelTest, OverATransparentDestinationTheSourceIsCopied) {
  const Px s{30000, 20000, 10000, 40000};
  for (int mode : allModes()) {
    Ref p{s[0], s[1], s[2], s[3], mode, false};
    if (auto it = alphaRules().find(ruleFor(mode)); it != alphaRules().end()) p = it->second(p, false, 65535);
    const bool cleared = mode == 17 || mode == 18 || mode == 19 || mode == 29 || mode == 30;
    const Px want = cleared ? Px{0, 0, 0, 0} : Px{int(p.r), int(p.g), int(p.b), int(p.a)};
    EXPECT_EQ(merge(s, {77, 88, 99, 0}, mode), want) << mode;
  }
}

TEST_F(MergePixelTest, AlphaNormalGivesEveryCountedPixelTheAlphaLayerOpacity) {
  compose.alphaLayerOpacity = 50000;
  EXPECT_EQ(merge({1, 2, 3, 300}, {0, 0, 0, 0}, 21, 128)[3], 50000);
  EXPECT_EQ(merge({1, 2, 3, 1}, {0, 0, 0, 0}, 21, 128)[3], 0) << "scaled to 0: does not count";
  const Px grey{32768, 32768, 32768, 65535};
  for (int opacity : {256, 100, 3}) {
    EXPECT_EQ(merge({30000, 30000, 30000, 10}, {0, 0, 0, 0}, 40, opacity, false, &grey),
              (Px{65535, 65535, 65535, 30000}));
    EXPECT_EQ(merge({30000, 30000, 30000, 10}, {0, 0, 0, 0}, 41, opacity, false, &grey),
              (Px{0, 0, 0, 35535}));
  }
}

TEST_F(MergePixelTest, ReflectAndGlowAlwaysBlend) {
  const Px white{65535, 65535, 65535, 65535};
  EXPECT_EQ(merge(white, {100, 100, 100, 65535}, 0), white);
  EXPECT_EQ(merge(white, {100, 100, 100, 65535}, 13), (Px{65280, 65280, 65280, 65535}));
  EXPECT_EQ(merge(white, {100, 100, 100, 65535}, 14), (Px{65280, 65280, 65280, 65535}));
}

TEST_F(MergePixelTest, SameModeReplaces) {
  EXPECT_EQ(merge({5, 6, 7, 1234}, {9, 9, 9, 65535}, 21, 256, true), (Px{5, 6, 7, 1234}));
  EXPECT_EQ(merge({5, 6, 7, 0}, {9, 9, 9, 65535}, 21, 256, true), (Px{9, 9, 9, 65535}));
  EXPECT_EQ(merge({5, 6, 7, 5000}, {9, 9, 9, 65535}, 32, 256, true), (Px{9, 9, 9, 65535}));
}

TEST(AlphaLayerOpacity, PercentIsScaledTo16Bits) {
  rvl::resetEngine();
  EXPECT_EQ(compose.alphaLayerOpacity, 65535);
  RVL_SetAlphaLayerOpacity(50);
  EXPECT_EQ(compose.alphaLayerOpacity, 32767);
  RVL_SetAlphaLayerOpacity(100);
  EXPECT_EQ(compose.alphaLayerOpacity, 65535);
  RVL_SetAlphaLayerOpacity(1000);
  EXPECT_EQ(compose.alphaLayerOpacity, 65535);
  RVL_SetAlphaLayerOpacity(-5);
  EXPECT_EQ(compose.alphaLayerOpacity, 0);
  rvl::resetEngine();
  EXPECT_EQ(compose.alphaLayerOpacity, 65535);
}

}  // namespace
}  // namespace rvl::test
