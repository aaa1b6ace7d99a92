// Every merge mode against a small reference model written here in plain double
// precision, over a table of source pixels, destinations, opacities, mask pixels, both
// values of the same-mode flag and two alpha-layer opacities.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "compose/compose.h"
#include "page/merge_mode.h"
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

using RefRule = std::function<Ref(Ref, bool same, long k)>;

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
RefRule rule(std::function<Ref(Ref, long)> plain, std::function<Ref(Ref, long)> same = nullptr) {
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
  else if (p.a < 9215) p.h = codeOf(MergeMode::Multiply);
  else p = replacing(p);
  return p;
}

// Per alpha mode; modes that share a rule are listed with the same rule.
const std::map<MergeMode, RefRule>& alphaRules() {
  static const RefRule outline =
      rule([](Ref p, long k) { if (p.a > 0 && p.a < 65280) { p = withColour(p, 0); p.a = k; } return p; });
  static const RefRule outlineTint =
      rule([](Ref p, long k) { p.a = p.a >= 12287 ? k : (p.a > 0 ? 65535 - p.a : 0); return p; });
  static const std::map<MergeMode, RefRule> rules = {
      {MergeMode::AlphaNormal, rule([](Ref p, long k) { if (p.a > 0) p.a = k; return p; })},
      {MergeMode::AlphaFilter, rule([](Ref p, long) { p = withColour(p, 65535); p.a = 65535 - p.a; return p; })},
      {MergeMode::AlphaBlackOutline, outline},
      {MergeMode::AlphaOverlayOutline, outline},
      {MergeMode::AlphaOutlineTint1, outlineTint},
      {MergeMode::AlphaOutlineTint2, outlineTint},
      {MergeMode::AlphaInvert, rule([](Ref p, long) { if (p.a > 0) p.a = 65535 - p.a; return p; })},
      {MergeMode::AlphaShader, rule([](Ref p, long k) { if (p.a > 0) { p = withColour(p, p.a); p.a = k; } return p; })},
      {MergeMode::AlphaShaderColor, rule([](Ref p, long k) { if (p.a > 0) { p = shaded(p); p.a = k; } return p; })},
      {MergeMode::AlphaShaderTexture2, rule([](Ref p, long k) {
         if (p.a > 0) { p = shaded(p); p.a = k; p.h = codeOf(MergeMode::Texturize2); }
         return p;
       })},
      {MergeMode::AlphaHighlightTexture2, rule([](Ref p, long k) {
         if (p.a <= 0) return p;
         p.h = codeOf(MergeMode::Texturize2);
         if (p.a < 32767) {
           p.a = std::max(0L, p.a - 2 * (32767 - p.a));
         } else {
           for (long* c : {&p.r, &p.g, &p.b}) *c = std::min(65535L, *c + 2 * p.a - 65534);
           p.a = k;
         }
         return p;
       })},
      {MergeMode::AlphaSmooth, rule([](Ref p, long k) {
         if (p.a >= 32767) p.a = k;
         else if (p.a > 0) p.a = std::max(0L, p.a - 4 * (32767 - p.a));
         return p;
       })},
      {MergeMode::AlphaSmoothLum, rule([](Ref p, long k) { p = tone1(p); p.a = p.a >= 8191 ? k : 0; return p; }, lumSame)},
      {MergeMode::AlphaSmoothLum2, rule([](Ref p, long k) { p = tone2(p); p.a = p.a >= 8191 ? k : 0; return p; }, lumSame)},
      {MergeMode::AlphaSmoothLum3, rule([](Ref p, long k) { p = tone3(p); p.a = p.a >= 8191 ? k : 0; return p; }, lumSame)},
      {MergeMode::AlphaSmoothLum4, rule([](Ref p, long k) { p = tone3(p); p.a = rampOf(p.a, k); return p; }, rampSame)},
      {MergeMode::AlphaSmoothLum5, rule([](Ref p, long k) { p = tone1(p); p.a = rampOf(p.a, k); return p; }, rampSame)},
      {MergeMode::AlphaHighlight, rule([](Ref p, long) { if (p.a > 32512) p.a = 0; return p; },
                                       [](Ref p, long) { if (p.a <= 32512) { p.a = 0; return p; } return replacing(p); })},
      {MergeMode::LayerMask, [](Ref p, bool, long) { p.a = 0; return p; }},
      {MergeMode::LuminanceAlpha, [](Ref p, bool, long) { p.a = lum3(p); return withColour(p, 65535); }},
      {MergeMode::LuminanceAlphaInvert, [](Ref p, bool, long) { p.a = 65535 - lum3(p); return withColour(p, 0); }},
  };
  return rules;
}
Ref afterAlphaRule(int mode, Ref p, bool same, long k) {
  const auto it = alphaRules().find(MergeMode(mode));
  return it != alphaRules().end() ? it->second(p, same, k) : p;
}
bool isTexturize(int h) {
  return h == codeOf(MergeMode::Texturize) || h == codeOf(MergeMode::Texturize2) ||
         h == codeOf(MergeMode::Texturize3);
}

// Separable formulas on premultiplied channels s, d with alphas x (source) and y (destination).
using Formula = std::function<double(double s, double d, double x, double y)>;
const std::map<MergeMode, Formula>& formulas() {
  const Formula negation = [](double s, double d, double x, double y) {
    return s * y + d * x - 2 * s * d + s * (1 - y) + d * (1 - x);
  };
  static const std::map<MergeMode, Formula> f = {
      {MergeMode::Multiply, [](double s, double d, double x, double y) { return s * (1 - y) + d * (1 - x) + s * d; }},
      {MergeMode::Screen, [](double s, double d, double, double) { return s + d - s * d; }},
      {MergeMode::Darken, [](double s, double d, double x, double y) { return d * x <= s * y ? d + s * (1 - y) : s + d * (1 - x); }},
      {MergeMode::Lighten, [](double s, double d, double x, double y) { return d * x >= s * y ? d + s * (1 - y) : s + d * (1 - x); }},
      {MergeMode::Difference, [](double s, double d, double x, double y) { return s + d - 2 * std::min(s * y, d * x); }},
      {MergeMode::Negation, negation},
      {MergeMode::Exclusion, negation},
      {MergeMode::Overlay, [](double s, double d, double x, double y) {
         double v = y > 2 * d ? 2 * s * d : x * y - 2 * (x - s) * (y - d);
         return v + s * (1 - y) + d * (1 - x);
       }},
      {MergeMode::HardLight, [](double s, double d, double x, double y) {
         double v = x > 2 * s ? 2 * s * d : x * y - 2 * (x - s) * (y - d);
         return v + s * (1 - y) + d * (1 - x);
       }},
      {MergeMode::SoftLight, [](double s, double d, double x, double y) {
         const double m = d / y;
         double v;
         if (2 * s < x) v = d * (x + (1 - m) * (2 * s - x));
         else if (8 * d <= y) v = d * (x + (2 * s - x) * (1 - m) * (3 - 8 * m));
         else v = d * x + (2 * s - x) * (std::sqrt(m) * y - d);
         return v + s * (1 - y) + d * (1 - x);
       }},
      {MergeMode::Dodge, [](double s, double d, double x, double y) {
         if (s * y + d * x >= x * y) return x * y + s * (1 - y) + d * (1 - x);
         return d * x / (1 - s / x) + s * (1 - y) + d * (1 - x);
       }},
      {MergeMode::Burn, [](double s, double d, double x, double y) {
         if (s * y + d * x <= x * y) return s * (1 - y) + d * (1 - x);
         return x * (s * y + d * x - x * y) / s + s * (1 - y) + d * (1 - x);
       }},
      {MergeMode::Add, [](double s, double d, double, double) { return s + d; }},
      {MergeMode::Subtract, [](double s, double d, double x, double y) { return s + d - x * y; }},
  };
  return f;
}

struct Expected {
  Px px;
  bool inexact;  // went through the floating-point path
};

Expected reference(int mode, Px s, Px d, const Px* maskPixel, int opacity, bool same, long k) {
  long a = s[3];
  // The standard modes (every code below the first alpha mode) skip transparent pixels.
  if (a == 0 && mode < codeOf(MergeMode::AlphaNormal)) return {d, false};
  if (maskPixel && (*maskPixel)[3] != 0)
    a = (a * (((*maskPixel)[0] + (*maskPixel)[1] + (*maskPixel)[2]) / 3)) >> 16;
  if (opacity < 255) a = ((opacity + 1) * a) >> 8;
  const Ref p = afterAlphaRule(mode, Ref{s[0], s[1], s[2], a, mode, false}, same, k);

  if (d[3] == 0 || p.fresh) {
    if (isTexturize(p.h)) return {{0, 0, 0, 0}, false};
    return {{int(p.r), int(p.g), int(p.b), int(p.a)}, false};
  }
  if (p.a == 0) return {d, false};
  if (p.a >= 65280 && p.h == codeOf(MergeMode::Normal)) return {{int(p.r), int(p.g), int(p.b), int(p.a)}, false};

  const double x = p.a / 65535.0, y = d[3] / 65535.0;
  const double src[3] = {double(p.r), double(p.g), double(p.b)};
  double out[3];
  double alpha = x + y - x * y;
  const double light = (p.r + p.g + p.b) / 3.0 / 65280.0;
  for (int c = 0; c < 3; ++c) {
    const double S = src[c] / 65280.0 * x, D = d[c] / 65280.0 * y;
    const double plainD = D / y;
    switch (MergeMode(p.h)) {
      case MergeMode::Add:
      case MergeMode::Subtract:
        alpha = x + y;
        out[c] = formulas().at(MergeMode(p.h))(S, D, x, y);
        break;
      case MergeMode::Texturize: {
        double sum = 0;
        for (int q = 0; q < 3; ++q) sum += d[q] / 65280.0 + (light - 0.5) * x;
        out[c] = plainD + 1.75 * x * (sum / 3 - 0.5);
        alpha = y;
        break;
      }
      case MergeMode::Texturize2:
        out[c] = plainD + 1.75 * x * (light - 0.5);
        alpha = y;
        break;
      case MergeMode::Texturize3:
        out[c] = D;
        alpha = y;
        break;
      default: {
        auto it = formulas().find(MergeMode(p.h));
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

// The named codes.
std::vector<int> allModes() {
  std::vector<int> modes;
  for (const MergeModeInfo& row : kMergeModes)
    if (row.name) modes.push_back(codeOf(row.mode));
  return modes;
}

class MergeModeTable : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(MergeModeTable, MatchesTheReference) {
  const int mode = GetParam();
  const Px greyMask{32768, 32768, 32768, 65535};
  const Px hiddenMask{0, 0, 0, 0};  // alpha 0: changes nothing
  const Px darkMask{9000, 3000, 600, 100};
  const Px* masks[] = {nullptr, &greyMask, &hiddenMask, &darkMask};
  // Destination pixels with colour (alpha > 0) that the merge changed, and cases that went
  // through the floating-point path: a Layer Mask layer changes nothing by itself; every
  // other mode must change some and blend some, or the table would not test it.
  int changedUnderColour = 0, blended = 0;
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
                      n * 4, mode, mask ? kLayerMaskMode : 0, opacity, false, same);
          int i = 0;
          for (const Px& s : kSources)
            for (const Px& d : kDestinations) {
              const Expected e = reference(mode, s, d, mask, opacity, same, k);
              const int tolerance = e.inexact ? 1 : 0;
              blended += e.inexact;
              if (d[3] > 0 && !std::equal(d.begin(), d.end(), dst.begin() + i * 4,
                                          [](int want, uint16_t got) { return want == got; }))
                ++changedUnderColour;
              for (int c = 0; c < 4; ++c)
                ASSERT_LE(std::abs(int(dst[i * 4 + c]) - e.px[c]), tolerance)
                    << "mode " << mode << " channel " << c << " source " << s[0] << "," << s[1] << ","
                    << s[2] << "," << s[3] << " destination " << d[0] << "," << d[1] << "," << d[2]
                    << "," << d[3] << " opacity " << opacity << " same " << same << " mask "
                    << (mask ? (*mask)[0] : -1) << " k " << k << " got " << dst[i * 4 + c]
                    << " want " << e.px[c];
              ++i;
            }
        }
  }
  if (MergeMode(mode) == MergeMode::LayerMask) {
    EXPECT_EQ(changedUnderColour, 0);
    EXPECT_EQ(blended, 0);
  } else {
    EXPECT_GT(changedUnderColour, 0);
    EXPECT_GT(blended, 0);
  }
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
    MergePixels(sp, 0, 0, 1, 1, 4, mask ? mp : nullptr, dp, 0, 0, 4, mode, kLayerMaskMode, opacity, false,
                same);
    return {dp[0], dp[1], dp[2], dp[3]};
  }
};

TEST_F(MergePixelTest, PixelsWorthKnowingByHeart) {
  struct Case {
    const char* what;
    Px source, destination;
    MergeMode mode;
    int opacity;
    bool same;
    bool greyMask;  // a Layer Mask pixel of grey level 32768
    long k;         // alphaLayerOpacity
    Px want;
  };
  const Px white{65535, 65535, 65535, 65535};
  const Px dim{100, 100, 100, 65535};
  const Px clear{0, 0, 0, 0};
  const Case cases[] = {
      {"opaque Normal is an integer copy", {1000, 2000, 3000, 65535}, clear, MergeMode::Normal, 256, false, false, 65535, {1000, 2000, 3000, 65535}},
      {"opaque Normal is an integer copy", {1000, 2000, 3000, 65535}, white, MergeMode::Normal, 256, false, false, 65535, {1000, 2000, 3000, 65535}},
      {"opaque Normal is an integer copy", {1000, 2000, 3000, 65535}, {9, 8, 7, 6}, MergeMode::Normal, 256, false, false, 65535, {1000, 2000, 3000, 65535}},
      {"partial Normal over white is held at 65280", {65535, 65535, 65535, 32768}, white, MergeMode::Normal, 256, false, false, 65535, {65280, 65280, 65280, 65535}},
      {"opacity 128: A = (129 * 40000) >> 8", {100, 200, 300, 40000}, clear, MergeMode::Normal, 128, false, false, 65535, {100, 200, 300, 20156}},
      {"opacity 255 is full", {100, 200, 300, 40000}, clear, MergeMode::Normal, 255, false, false, 65535, {100, 200, 300, 40000}},
      {"opacity 0: A = 40000 >> 8", {100, 200, 300, 40000}, clear, MergeMode::Normal, 0, false, false, 65535, {100, 200, 300, 156}},
      {"a transparent Alpha Filter pixel paints opaque white", {500, 600, 700, 0}, clear, MergeMode::AlphaFilter, 256, false, false, 65535, white},
      {"... blended over colour, held at 65280", {500, 600, 700, 0}, {1000, 1000, 1000, 65535}, MergeMode::AlphaFilter, 256, false, false, 65535, {65280, 65280, 65280, 65535}},
      {"Alpha Normal: a counted pixel gets K", {1, 2, 3, 300}, clear, MergeMode::AlphaNormal, 128, false, false, 50000, {1, 2, 3, 50000}},
      {"Alpha Normal: scaled to 0, the pixel does not count", {1, 2, 3, 1}, clear, MergeMode::AlphaNormal, 128, false, false, 50000, {1, 2, 3, 0}},
      {"Luminance Alpha ignores opacity and mask", {30000, 30000, 30000, 10}, clear, MergeMode::LuminanceAlpha, 256, false, true, 65535, {65535, 65535, 65535, 30000}},
      {"Luminance Alpha ignores opacity and mask", {30000, 30000, 30000, 10}, clear, MergeMode::LuminanceAlpha, 100, false, true, 65535, {65535, 65535, 65535, 30000}},
      {"Luminance Alpha ignores opacity and mask", {30000, 30000, 30000, 10}, clear, MergeMode::LuminanceAlpha, 3, false, true, 65535, {65535, 65535, 65535, 30000}},
      {"Luminance Alpha Invert ignores opacity and mask", {30000, 30000, 30000, 10}, clear, MergeMode::LuminanceAlphaInvert, 256, false, true, 65535, {0, 0, 0, 35535}},
      {"Luminance Alpha Invert ignores opacity and mask", {30000, 30000, 30000, 10}, clear, MergeMode::LuminanceAlphaInvert, 3, false, true, 65535, {0, 0, 0, 35535}},
      {"opaque white Normal is copied", white, dim, MergeMode::Normal, 256, false, false, 65535, white},
      {"Reflect always blends", white, dim, MergeMode::Reflect, 256, false, false, 65535, {65280, 65280, 65280, 65535}},
      {"Glow always blends", white, dim, MergeMode::Glow, 256, false, false, 65535, {65280, 65280, 65280, 65535}},
      {"the same alpha mode replaces", {5, 6, 7, 1234}, {9, 9, 9, 65535}, MergeMode::AlphaNormal, 256, true, false, 65535, {5, 6, 7, 1234}},
      {"... but not with a transparent pixel", {5, 6, 7, 0}, {9, 9, 9, 65535}, MergeMode::AlphaNormal, 256, true, false, 65535, {9, 9, 9, 65535}},
      {"same Smooth Lum below 8191 keeps the destination", {5, 6, 7, 5000}, {9, 9, 9, 65535}, MergeMode::AlphaSmoothLum, 256, true, false, 65535, {9, 9, 9, 65535}},
  };
  const Px greyMask{32768, 32768, 32768, 65535};
  for (const Case& c : cases) {
    compose.alphaLayerOpacity = uint16_t(c.k);
    EXPECT_EQ(merge(c.source, c.destination, codeOf(c.mode), c.opacity, c.same, c.greyMask ? &greyMask : nullptr),
              c.want)
        << c.what << " (mode " << mergeModeName(codeOf(c.mode)) << ", opacity " << c.opacity << ")";
  }
}

TEST_F(MergePixelTest, TransparentSourcePixels) {
  // The standard modes, every code below the first alpha mode, leave the destination as
  // it is; the alpha modes do not skip (Alpha Filter above paints white).
  const Px d{1, 2, 3, 4};
  for (const MergeModeInfo& row : kMergeModes) {
    const bool standard = codeOf(row.mode) < codeOf(MergeMode::AlphaNormal);
    EXPECT_EQ(row.skipsTransparent, standard) << codeOf(row.mode);
    if (standard) {
      EXPECT_EQ(merge({500, 600, 700, 0}, d, codeOf(row.mode)), d) << codeOf(row.mode);
    }
  }
}

TEST_F(MergePixelTest, OverATransparentDestinationTheSourceIsCopied) {
  // ... except where the effective mode is a texturize mode: transparent black.
  const std::vector<MergeMode> cleared = {MergeMode::Texturize, MergeMode::Texturize2, MergeMode::Texturize3,
                                          MergeMode::AlphaShaderTexture2, MergeMode::AlphaHighlightTexture2};
  const Px s{30000, 20000, 10000, 40000};
  for (int mode : allModes()) {
    const Ref p = afterAlphaRule(mode, Ref{s[0], s[1], s[2], s[3], mode, false}, false, 65535);
    const bool clears = std::find(cleared.begin(), cleared.end(), MergeMode(mode)) != cleared.end();
    const Px want = clears ? Px{0, 0, 0, 0} : Px{int(p.r), int(p.g), int(p.b), int(p.a)};
    EXPECT_EQ(merge(s, {77, 88, 99, 0}, mode), want) << mode;
  }
}

// The 41 names byte for byte, at their codes; code 20 has none.
TEST(MergeModeNames, EveryCodeHasItsName) {
  const char* const names[kMergeModeCodes] = {
      "Normal", "Multiply", "Screen", "Darken", "Lighten", "Difference", "Negation", "Exclusion",
      "Overlay", "Hard Light", "Soft Light", "Dodge", "Burn", "Reflect", "Glow", "Add", "Subtract",
      "Texturize", "Texturize2", "Texturize3", nullptr, "Alpha Normal", "Alpha Filter",
      "Alpha Black Outline", "Alpha Outline Tint 1", "Alpha Outline Tint 2", "Alpha Invert",
      "Alpha Shader", "Alpha Shader Color", "Alpha Shader Texture2", "Alpha Highlight Texture2",
      "Alpha Smooth", "Alpha Smooth Lum", "Alpha Smooth Lum2", "Alpha Smooth Lum3",
      "Alpha Smooth Lum4", "Alpha Smooth Lum5", "Alpha Overlay Outline", "Alpha Highlight",
      "Layer Mask", "Luminance Alpha", "Luminance Alpha Invert"};
  int named = 0;
  for (int32_t code = 0; code < kMergeModeCodes; ++code) {
    EXPECT_EQ(codeOf(kMergeModes[code].mode), code);
    if (!names[code]) {
      EXPECT_EQ(mergeModeName(code), nullptr) << code;
      continue;
    }
    ++named;
    ASSERT_NE(mergeModeName(code), nullptr) << code;
    EXPECT_STREQ(mergeModeName(code), names[code]) << code;
    EXPECT_EQ(mergeModeCode(names[code]), code) << names[code];
  }
  EXPECT_EQ(named, 41);
  for (int32_t code : {-1, kMergeModeCodes, 1000}) EXPECT_EQ(mergeModeName(code), nullptr) << code;
  for (const char* name : {"", "normal", "Multiply ", "Alpha  Normal", "Texturize4"})
    EXPECT_EQ(mergeModeCode(name), 0) << name;
  EXPECT_EQ(mergeModeCode(nullptr), 0);
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
