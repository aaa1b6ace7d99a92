// The second half of the per-pixel merge arithmetic: what becomes of the destination
// pixel once the source pixel went through the alpha stage, and the floating-point
// compositing of the separable modes. MergePixels and the view renderer share it; they
// differ only in how they hold the destination (16-bit pixels or a float accumulator).
//
// Precision: the quantities as, ad, ias, iad, the premultiplied channels, the result alpha
// of most modes, the un-premultiplied destination of the texturize modes and the
// reciprocal of the result alpha are rounded to 32-bit floats when formed; everything else
// is computed in double precision.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "compose/alpha_stage.h"

namespace rvl {

enum class Outcome : uint8_t {
  Keep,        // the destination is left as it is
  Clear,       // transparent black (a texturize mode over a transparent destination)
  Copy,        // the staged source pixel as it is
  OpaqueCopy,  // an opaque Normal pixel: copied with integers
  Blend,       // the floating-point compositing
};

// destinationTransparent: the destination alpha is 0. skipTransparentSource: a source
// alpha of 0 leaves the destination alone (merging); the renderer blends it instead.
inline Outcome compositeOutcome(const StagedPixel& p, bool destinationTransparent,
                                bool skipTransparentSource) {
  if (destinationTransparent || p.replace) return isTexturizeMode(p.mode) ? Outcome::Clear : Outcome::Copy;
  if (p.a == 0 && skipTransparentSource) return Outcome::Keep;
  if (p.a >= 65280 && p.mode == codeOf(MergeMode::Normal)) return Outcome::OpaqueCopy;
  return Outcome::Blend;
}

// The destination as the floating-point path sees it: its alpha ad (normalised by 65535)
// and its premultiplied channels Dc (colour normalised by 65280, times ad).
struct Backdrop {
  float ad;
  float d[3];
};

// float(v / 65535.0) for every 16-bit v, formed by that same expression (an exhaustive test
// checks each entry against it).
struct UnitTable {
  float v[65536];
  UnitTable() {
    for (int32_t i = 0; i < 65536; ++i) v[i] = float(i / 65535.0);
  }
};
inline const UnitTable kUnit65535{};
inline float unit65535(int32_t v) { return kUnit65535.v[v]; }

// float(x / 65280.0) for 0 <= x < 2^32 without the division, the same float. q = x times
// the double nearest 1 / 65280 lies within a few units in the last place (of a double) of
// the double quotient x / 65280.0; both round to the same float unless a point halfway
// between two floats lies between them. q's low 29 mantissa bits tell how far q is from
// such a point: near one (within 64 units, far more than the error), the division is done.
inline float quotient65280(double x) {
  const double q = x * (1.0 / 65280.0);
  uint64_t bits;
  std::memcpy(&bits, &q, sizeof bits);
  const uint32_t low = uint32_t(bits) & 0x1FFFFFFFu;
  if (low - (0x10000000u - 64u) <= 128u) return float(x / 65280.0);
  return float(q);
}

// backdropFromPixel through the table and quotient65280 (the same floats).
inline Backdrop backdropFromPixelFast(const uint16_t* pixel);

inline Backdrop backdropFromPixel(const uint16_t* pixel) {
  Backdrop b;
  b.ad = float(pixel[3] / 65535.0);
  for (int c = 0; c < 3; ++c) b.d[c] = float(pixel[c] * double(b.ad) / 65280.0);
  return b;
}

inline Backdrop backdropFromPixelFast(const uint16_t* pixel) {
  Backdrop b;
  b.ad = unit65535(pixel[3]);
  for (int c = 0; c < 3; ++c) b.d[c] = quotient65280(pixel[c] * double(b.ad));
  return b;
}

// The result of the floating-point path: un-premultiplied colour in [0, 1] (times 65280
// gives 16 bits) and alpha in [0, 1] (times 65535).
struct Blended {
  double c[3];
  double a;
};

// Clamps to [0, 1]; a value that is not a number becomes 0.
inline double unitClamp(double v) { return v > 0 ? (v < 1 ? v : 1) : 0; }

// The blend body. Mode < 0: the staged pixel's mode, chosen per pixel (the reference
// path); otherwise the mode the caller already knows p.mode to be, so the choice of
// formulas is made once per run instead of once per pixel. Table: the source alpha is
// looked up instead of divided (the same float).
template <int32_t Mode, bool Table = (Mode >= 0)>
inline Blended blendPixelAs(const StagedPixel& p, const Backdrop& dst) {
  const int32_t mode = Mode >= 0 ? Mode : p.mode;
  const float as = Table ? unit65535(p.a) : float(p.a / 65535.0);
  const float ad = dst.ad;
  const float ias = float(1.0 - as);
  const float iad = float(1.0 - ad);
  const int32_t colour[3] = {p.r, p.g, p.b};
  float s[3];
  for (int c = 0; c < 3; ++c)
    s[c] = Table ? quotient65280(colour[c] * double(as)) : float(colour[c] * double(as) / 65280.0);
  const float* d = dst.d;
  double ar = float(double(iad) * as + ad);
  double rc[3];

  // S: premultiplied source channel, D: premultiplied destination channel.
  const auto each = [&](auto channel) {
    for (int c = 0; c < 3; ++c) rc[c] = channel(double(s[c]), double(d[c]));
  };
  const double sa = as, da = ad, isa = ias, ida = iad;
  switch (MergeMode(mode)) {
    case MergeMode::Multiply:
      each([&](double S, double D) { return S * ida + D * isa + S * D; });
      break;
    case MergeMode::Screen:
      each([&](double S, double D) { return S + D - S * D; });
      break;
    case MergeMode::Darken:
      each([&](double S, double D) { return D * sa <= S * da ? D + S * ida : S + D * isa; });
      break;
    case MergeMode::Lighten:
      each([&](double S, double D) { return D * sa >= S * da ? D + S * ida : S + D * isa; });
      break;
    case MergeMode::Difference:
      each([&](double S, double D) { return S + D - 2 * std::min(S * da, D * sa); });
      break;
    case MergeMode::Negation:
    case MergeMode::Exclusion:
      each([&](double S, double D) { return S * da + D * sa - 2 * S * D + S * ida + D * isa; });
      break;
    case MergeMode::Overlay:
    case MergeMode::HardLight:  // the same with the test on the source
      each([&](double S, double D) {
        const bool low = MergeMode(mode) == MergeMode::Overlay ? da > 2 * D : sa > 2 * S;
        const double rest = S * ida + D * isa;
        return low ? 2 * S * D + rest : sa * da - 2 * (sa - S) * (da - D) + rest;
      });
      break;
    case MergeMode::SoftLight:
      each([&](double S, double D) {
        const double m = D / da;
        const double rest = S * ida + D * isa;
        if (2 * S < sa) return D * (sa + (1 - m) * (2 * S - sa)) + rest;
        if (8 * D <= da) return D * (sa + (2 * S - sa) * (1 - m) * (3 - 8 * m)) + rest;
        return D * sa + (2 * S - sa) * (std::sqrt(m) * da - D) + rest;
      });
      break;
    case MergeMode::Dodge:
      each([&](double S, double D) {
        const double rest = S * ida + D * isa;
        if (S * da + D * sa >= sa * da) return sa * da + rest;
        return D * sa / (1 - S / sa) + rest;
      });
      break;
    case MergeMode::Burn:
      each([&](double S, double D) {
        const double rest = S * ida + D * isa;
        if (S * da + D * sa <= sa * da) return rest;
        return sa * (S * da + D * sa - sa * da) / S + rest;
      });
      break;
    case MergeMode::Add:
      each([&](double S, double D) { return S + D; });
      ar = da + sa;
      break;
    case MergeMode::Subtract:
      each([&](double S, double D) { return S + D - sa * da; });
      ar = da + sa;
      break;
    case MergeMode::Texturize:
    case MergeMode::Texturize2: {
      // The un-premultiplied destination and the lightness of the integer source colour.
      const double lightness = (p.r + p.g + p.b) / (3 * 65280.0);
      double du[3];
      for (int c = 0; c < 3; ++c) du[c] = float(d[c] / da);
      if (MergeMode(mode) == MergeMode::Texturize) {
        double x[3];
        for (int c = 0; c < 3; ++c) x[c] = du[c] + (lightness - 0.5) * sa;
        const double average = (x[0] + x[1] + x[2]) * (1.0 / 3);
        for (int c = 0; c < 3; ++c) rc[c] = du[c] + 1.75 * sa * (average - 0.5);
      } else {
        for (int c = 0; c < 3; ++c) rc[c] = du[c] + 1.75 * sa * (lightness - 0.5);
      }
      ar = da;
      break;
    }
    case MergeMode::Texturize3:  // the destination is kept
      for (int c = 0; c < 3; ++c) rc[c] = d[c];
      ar = da;
      break;
    default:  // Normal, and every mode that composites like it (Reflect, Glow, the alpha
              // modes unless the alpha stage picked another effective mode)
      each([&](double S, double D) { return S + D * isa; });
      break;
  }

  Blended out;
  out.a = unitClamp(ar);
  const float inverse = float(1.0 / out.a);
  for (int c = 0; c < 3; ++c) out.c[c] = unitClamp(rc[c] * inverse);
  return out;
}

// The reference: everything decided per pixel.
inline Blended blendPixel(const StagedPixel& p, const Backdrop& dst) {
  return blendPixelAs<-1, false>(p, dst);
}

}  // namespace rvl
