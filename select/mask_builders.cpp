// The mask builders: one row walk over a packed source and the mask, and a table of the
// per-pixel rules that decide which pixels it selects (exact colour, flood byte, byte
// difference, colour, alpha, luminance, hue and HSL ranges). A matching pixel's mask
// value becomes the builder value; the others keep theirs.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "frame/guard.h"
#include "frame/parallel_rows.h"
#include "page/colour_space.h"
#include "page/page.h"
#include "ravelin.h"
#include "select/select.h"

namespace rvl {

namespace {

// Rows of the walk go to several threads from this much work on (pixels times the rule's
// relative cost).
inline constexpr int64_t kSplitWork = 1 << 18;

// The rules. Each is made once from the MaskRule and asked per pixel; Bytes is its
// source pixel size and Cost its work per pixel relative to a byte compare.

// lo <= v <= hi for the range [reference - tolerance, reference + tolerance], as one
// unsigned compare (v - lo wraps above the span when v < lo). A tolerance below 0 holds
// nothing: its window starts far above every byte. References and tolerances stay within
// a few thousand, so nothing here overflows.
struct Window {
  int32_t lo;
  uint32_t span;
  Window(int32_t reference, int32_t tolerance)
      : lo(tolerance < 0 ? (1 << 20) : reference - tolerance), span(tolerance < 0 ? 0 : uint32_t(2 * tolerance)) {}
  bool holds(int32_t v) const { return uint32_t(v - lo) <= span; }
};

struct ColourRule {
  static constexpr int32_t Bytes = 4, Cost = 1;
  int32_t r, g, b;
  explicit ColourRule(const MaskRule& q) : r(q.r), g(q.g), b(q.b) {}
  bool operator()(const uint8_t* p, const uint8_t*) const { return p[0] == r && p[1] == g && p[2] == b; }
};

struct ColourRGB24Rule : ColourRule {
  static constexpr int32_t Bytes = 3;
  using ColourRule::ColourRule;
};

struct FloodRule {
  static constexpr int32_t Bytes = 1, Cost = 1;
  explicit FloodRule(const MaskRule&) {}
  bool operator()(const uint8_t* p, const uint8_t*) const { return p[0] == 1; }
};

struct DifferenceRule {
  static constexpr int32_t Bytes = 4, Cost = 1;
  explicit DifferenceRule(const MaskRule&) {}
  bool operator()(const uint8_t* p, const uint8_t* q) const {
    return p[0] != q[0] || p[1] != q[1] || p[2] != q[2] || p[3] != q[3];
  }
};

struct ColourRangeRule {
  static constexpr int32_t Bytes = 4, Cost = 1;
  Window r, g, b;
  explicit ColourRangeRule(const MaskRule& q) : r(q.r, q.tolerance), g(q.g, q.tolerance), b(q.b, q.tolerance) {}
  bool operator()(const uint8_t* p, const uint8_t*) const {
    return (uint32_t(p[0] - r.lo) <= r.span) & (uint32_t(p[1] - g.lo) <= g.span) & (uint32_t(p[2] - b.lo) <= b.span);
  }
};

struct AlphaRangeRule {
  static constexpr int32_t Bytes = 4, Cost = 1;
  Window a;
  explicit AlphaRangeRule(const MaskRule& q) : a(q.r, q.tolerance) {}
  bool operator()(const uint8_t* p, const uint8_t*) const { return a.holds(p[3]); }
};

// abs(S / 3 - L0) <= T for the byte sum S >= 0 is 3 (L0 - T) <= S <= 3 (L0 + T) + 2.
struct LuminanceRangeRule {
  static constexpr int32_t Bytes = 4, Cost = 1;
  int32_t lo, hi;
  explicit LuminanceRangeRule(const MaskRule& q) {
    const int32_t L0 = (q.r + q.g + q.b) / 3;
    lo = 3 * (L0 - q.tolerance);
    hi = 3 * (L0 + q.tolerance) + 2;
  }
  bool operator()(const uint8_t* p, const uint8_t*) const {
    const int32_t sum = int32_t(p[0]) + p[1] + p[2];
    return sum >= lo && sum <= hi;
  }
};

struct HueRangeRule {
  static constexpr int32_t Bytes = 4, Cost = 16;
  double H0 = 0;
  double tolerance;
  explicit HueRangeRule(const MaskRule& q) : tolerance(q.tolerance) {
    double S, V;
    rgbToHsv(q.r, q.g, q.b, &H0, &S, &V);
  }
  bool operator()(const uint8_t* p, const uint8_t*) const {
    double H, S, V;
    rgbToHsv(p[0], p[1], p[2], &H, &S, &V);
    return hueWithin(H, H0, tolerance);
  }
};

struct HslRangeRule {
  static constexpr int32_t Bytes = 4, Cost = 16;
  double H0 = 0, S0 = 0, L0 = 0;
  double hue, saturation, lightness;
  explicit HslRangeRule(const MaskRule& q)
      : hue(q.hueTolerance), saturation(q.saturationTolerance), lightness(q.lightnessTolerance) {
    rgbToHsl(q.r, q.g, q.b, &H0, &S0, &L0);
  }
  bool operator()(const uint8_t* p, const uint8_t*) const {
    double H, S, L;
    rgbToHsl(p[0], p[1], p[2], &H, &S, &L);
    return hueWithin(H, H0, hue) && std::fabs(S - S0) <= saturation && std::fabs(L - L0) <= lightness;
  }
};

// The one walk: every pixel of every row asks the rule.
template <class Rule>
void walk(const MaskRule& rule, const uint8_t* source, const uint8_t* second, uint16_t* mask, int32_t width,
          int32_t height, uint16_t value) {
  const Rule match(rule);
  constexpr size_t bytes = size_t(Rule::Bytes);
  parallelRows(height, int64_t(width) * Rule::Cost, kSplitWork, [&](int32_t first, int32_t end, int32_t) {
    for (int32_t row = first; row < end; ++row) {
      const size_t at = size_t(row) * size_t(width);
      const uint8_t* p = source + at * bytes;
      const uint8_t* q = second ? second + at * bytes : nullptr;
      uint16_t* m = mask + at;
      if (q)
        for (int32_t i = 0; i < width; ++i) m[i] = match(p + size_t(i) * bytes, q + size_t(i) * bytes) ? value : m[i];
      else
        for (int32_t i = 0; i < width; ++i) m[i] = match(p + size_t(i) * bytes, nullptr) ? value : m[i];
    }
  });
}

struct RuleEntry {
  MaskMatch match;
  int32_t bytes;
  void (*walk)(const MaskRule&, const uint8_t*, const uint8_t*, uint16_t*, int32_t, int32_t, uint16_t);
};

template <class Rule>
constexpr RuleEntry entry(MaskMatch match) {
  return RuleEntry{match, Rule::Bytes, &walk<Rule>};
}

// In MaskMatch order.
constexpr RuleEntry kRules[kMaskMatchKinds] = {
    entry<ColourRule>(MaskMatch::Colour),
    entry<ColourRGB24Rule>(MaskMatch::ColourRGB24),
    entry<FloodRule>(MaskMatch::Flood),
    entry<DifferenceRule>(MaskMatch::Difference),
    entry<ColourRangeRule>(MaskMatch::ColourRange),
    entry<AlphaRangeRule>(MaskMatch::AlphaRange),
    entry<LuminanceRangeRule>(MaskMatch::LuminanceRange),
    entry<HueRangeRule>(MaskMatch::HueRange),
    entry<HslRangeRule>(MaskMatch::HslRange),
};

constexpr bool tableInOrder() {
  for (int i = 0; i < kMaskMatchKinds; ++i)
    if (int(kRules[i].match) != i) return false;
  return true;
}
static_assert(tableInOrder(), "the rule table follows MaskMatch");

}  // namespace

int32_t maskRuleBytes(MaskMatch match) noexcept { return kRules[size_t(match)].bytes; }

void buildMask(const MaskRule& rule, const uint8_t* source, const uint8_t* second, uint16_t* mask, int32_t width,
               int32_t height, uint16_t value) {
  if (!source || !mask || width <= 0 || height <= 0) return;
  if (rule.match == MaskMatch::Difference && !second) return;
  kRules[size_t(rule.match)].walk(rule, source, rule.match == MaskMatch::Difference ? second : nullptr, mask, width,
                                  height, value);
}

bool hueWithin(double H, double H0, double tolerance) noexcept {
  // trunc as an int (NaN gives 0, huge values saturate), its distance taken in 64 bits.
  const auto distance = [](double d) { return double(std::llabs(int64_t(colour::truncToInt(d)))); };
  return tolerance >= distance(H - H0) || tolerance >= distance(H - (H0 - 360)) ||
         tolerance >= distance(H - 360 - H0);
}

void replaceAlphaRange(uint8_t* rgba, size_t count, int32_t alpha, int32_t tolerance, const uint8_t colour[4]) {
  MaskRule rule;
  rule.r = alpha;
  rule.tolerance = tolerance;
  const AlphaRangeRule match(rule);
  for (size_t i = 0; i < count; ++i, rgba += 4)
    if (match(rgba, nullptr))
      for (int c = 0; c < 4; ++c) rgba[c] = colour[c];
}

}  // namespace rvl

using namespace rvl;

namespace {

// Reference values and integer tolerances come from the host as any 32-bit value. Cut to
// these bounds they give the same answers for every byte (a distance between bytes is at
// most 255, and trunc(100 x 2.56) = 256 already takes everything in) and keep the
// arithmetic far inside 32 bits.
inline constexpr int32_t kReferenceBound = 1024;

int32_t reference(int32_t v) noexcept { return std::clamp(v, -kReferenceBound, kReferenceBound); }
int32_t byteReference(int32_t v) noexcept { return std::clamp(v, 0, 255); }

// trunc(tolerance x scale) for a percentage: below 0 nothing matches, above 100 it is 100
// (every pixel already matches there).
int32_t scaledTolerance(int32_t tolerance, double scale) noexcept {
  return int32_t(std::trunc(double(std::clamp(tolerance, -1, 100)) * scale));
}

// Builds into the page mask from a page-sized source.
void buildPageMask(const MaskRule& rule, const uint8_t* source, const uint8_t* second, uint16_t value) {
  if (!source || !page.mask) return;
  buildMask(rule, source, second, page.mask, page.pageWidth, page.pageHeight, value);
}

MaskRule rule(MaskMatch match, int32_t r, int32_t g, int32_t b, int32_t tolerance) noexcept {
  MaskRule q;
  q.match = match;
  q.r = reference(r);
  q.g = reference(g);
  q.b = reference(b);
  q.tolerance = tolerance;
  return q;
}

}  // namespace

extern "C" void RVL_CreateMaskFromDiff_RGBA32(const uint8_t* a, const uint8_t* b, int32_t value) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!b) return;
    buildPageMask(rule(MaskMatch::Difference, 0, 0, 0, 0), a, b, uint16_t(value));
  });
}

extern "C" void RVL_CreateMaskFromRGBAImageColor(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                 int32_t v) noexcept {
  rvl::guarded(nullptr, [&] { buildPageMask(rule(MaskMatch::Colour, r, g, b, 0), source, nullptr, builderValue(v)); });
}

extern "C" void RVL_CreateMaskFromRGB24ImageColor(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                  int32_t v) noexcept {
  rvl::guarded(nullptr,
               [&] { buildPageMask(rule(MaskMatch::ColourRGB24, r, g, b, 0), source, nullptr, builderValue(v)); });
}

extern "C" void RVL_CreateMaskFromFloodMask(const uint8_t* flood, int32_t v) noexcept {
  rvl::guarded(nullptr, [&] { buildPageMask(rule(MaskMatch::Flood, 0, 0, 0, 0), flood, nullptr, builderValue(v)); });
}

extern "C" void RVL_CreateMaskFromRGBAImageColorRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                      int32_t tolerance, int32_t v) noexcept {
  rvl::guarded(nullptr, [&] {
    const int32_t T = scaledTolerance(tolerance, 2.56);
    if (T < 0) return;
    buildPageMask(rule(MaskMatch::ColourRange, r, g, b, T), source, nullptr, builderValue(v));
  });
}

extern "C" void RVL_CreateMaskFromRGBAImageAlphaRange(const uint8_t* source, int32_t a, int32_t tolerance,
                                                      int32_t v) noexcept {
  rvl::guarded(nullptr, [&] {
    const int32_t T = scaledTolerance(tolerance, 2.56);
    if (T < 0) return;
    buildPageMask(rule(MaskMatch::AlphaRange, a, 0, 0, T), source, nullptr, builderValue(v));
  });
}

extern "C" void RVL_CreateMaskFromRGBAImageLuminanceRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                          int32_t tolerance, int32_t v) noexcept {
  rvl::guarded(nullptr, [&] {
    const int32_t T = scaledTolerance(tolerance, 2.56);
    if (T < 0) return;
    buildPageMask(rule(MaskMatch::LuminanceRange, r, g, b, T), source, nullptr, builderValue(v));
  });
}

extern "C" void RVL_CreateMaskFromRGBAImageHueRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                    int32_t tolerance, int32_t v) noexcept {
  rvl::guarded(nullptr, [&] {
    const int32_t T = scaledTolerance(tolerance, 1.8);
    if (T < 0) return;
    MaskRule q = rule(MaskMatch::HueRange, byteReference(r), byteReference(g), byteReference(b), T);
    buildPageMask(q, source, nullptr, builderValue(v));
  });
}

extern "C" void RVL_CreateMaskFromRGBAImageHSLRange(const uint8_t* source, int32_t r, int32_t g, int32_t b,
                                                    double hueTolerance, double saturationTolerance,
                                                    double lightnessTolerance, int32_t v) noexcept {
  rvl::guarded(nullptr, [&] {
    // A NaN tolerance compares false: nothing matches.
    MaskRule q = rule(MaskMatch::HslRange, byteReference(r), byteReference(g), byteReference(b), 0);
    q.hueTolerance = hueTolerance * 180;
    q.saturationTolerance = saturationTolerance;
    q.lightnessTolerance = lightnessTolerance;
    buildPageMask(q, source, nullptr, builderValue(v));
  });
}

extern "C" void RVL_ReplaceFromRGBAImageAlphaRange(uint8_t* buffer, int32_t a, int32_t tolerance, int32_t r, int32_t g,
                                                   int32_t b, int32_t newAlpha) noexcept {
  rvl::guarded(nullptr, [&] {
    const int32_t T = scaledTolerance(tolerance, 2.56);
    if (!buffer || T < 0) return;
    const uint8_t colour[4] = {uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(newAlpha)};
    replaceAlphaRange(buffer, pagePixels(), reference(a), T, colour);
  });
}
