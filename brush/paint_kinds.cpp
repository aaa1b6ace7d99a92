#include "brush/paint_kinds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "brush/brush.h"

namespace rvl {

namespace {

// The blend kinds on one channel, by the merge mode of their name.
uint32_t blendMode(MergeMode mode, int64_t c, int64_t d) {
  switch (mode) {
    case MergeMode::Screen: return clamp16(65535 - (((65535 - d) * (65535 - c)) >> 16));
    case MergeMode::Darken: return clamp16(std::min(d, c));
    case MergeMode::Lighten: return clamp16(std::max(d, c));
    case MergeMode::Difference: return clamp16(std::llabs(d - c));
    case MergeMode::Negation: return clamp16(65535 - std::llabs(65535 - d - c));
    case MergeMode::Exclusion: return clamp16(d + c - ((d * c) >> 15));
    case MergeMode::Overlay: return clamp16(d < 32767 ? (d * c) >> 15 : 65535 - (((65535 - d) * (65535 - c)) >> 15));
    case MergeMode::HardLight: return clamp16(c < 32767 ? (d * c) >> 15 : 65535 - (((65535 - d) * (65535 - c)) >> 15));
    case MergeMode::SoftLight: {
      const double cs = double(c) / 65535.0, ds = double(d) / 65535.0;
      const double r = cs < 0.5 ? ds * (2 * cs + (1 - 2 * cs) * ds) : std::sqrt(ds) * (2 * cs - 1) + 2 * ds * (1 - cs);
      return clamp16(int64_t(std::trunc(r * 65535.0)));
    }
    case MergeMode::Dodge: return c >= 65535 ? 65535 : clamp16(std::min<int64_t>(65535, (d * 65536) / (65535 - c)));
    case MergeMode::Burn: return c == 0 ? 0 : clamp16(std::max<int64_t>(0, 65535 - ((65535 - d) * 65536) / c));
    case MergeMode::Reflect: return c >= 65535 ? 65535 : clamp16(std::min<int64_t>(65535, (d * d) / (65535 - c)));
    case MergeMode::Glow: return d >= 65535 ? 65535 : clamp16(std::min<int64_t>(65535, (c * c) / (65535 - d)));
    case MergeMode::Add: return clamp16(std::min<int64_t>(65535, d + c));
    case MergeMode::Subtract: return clamp16(std::max<int64_t>(0, d + c - 65535));
    default: return uint32_t(c);  // Normal and Multiply: the colour itself
  }
}

uint32_t bank(int i, int channel) { return brush.colourBanks[channel * 4 + i]; }

enum class Tool { Colour, Keep };

// The tool kinds: M per channel, or "keep the destination". L is the brush luminance.
Tool toolKind(int32_t kind, uint32_t L, const uint32_t c[3], const uint32_t d[3], uint32_t M[3]) {
  auto fromBank = [&](int i) {
    for (int k = 0; k < 3; ++k) M[k] = bank(i, k);
    return Tool::Colour;
  };
  auto fromSource = [&] {
    for (int k = 0; k < 3; ++k) M[k] = c[k];
    return Tool::Colour;
  };
  auto fromDestination = [&] {
    for (int k = 0; k < 3; ++k) M[k] = d[k];
    return Tool::Colour;
  };
  switch (kind) {
    case kKindTwoTones: return fromBank(L < 32767 ? 0 : 1);
    case kKindThreeTones: return fromBank(L < 21845 ? 0 : L < 43690 ? 1 : 2);
    case kKindFourTones: return fromBank(L < 16383 ? 0 : L < 32767 ? 1 : L < 49151 ? 2 : 3);
    case kKindGradientMap:
      for (int k = 0; k < 3; ++k) {
        if (L < 32767) {
          const uint32_t t = (2 * L) >> 8;
          M[k] = (bank(1, k) * t + bank(0, k) * (256 - t)) >> 8;
        } else {
          const uint32_t t = (2 * L - 65534) >> 8;
          M[k] = (bank(2, k) * t + bank(1, k) * (256 - t)) >> 8;
        }
      }
      return Tool::Colour;
    case kKindDarkToBank: return L < 32767 ? fromBank(0) : fromDestination();
    case kKindLightToBank: return L > 32767 ? fromBank(0) : fromDestination();
    case kKindShadowsAndHighlights: return L < 20479 ? fromBank(0) : L > 49151 ? fromBank(1) : fromSource();
    case kKindSkipDark: return L < 20479 ? Tool::Keep : fromSource();
    case kKindSkipLight: return L > 49151 ? Tool::Keep : fromSource();
    case kKindMidtonesOnly: return (L < 20479 || L > 49151) ? Tool::Keep : fromSource();
    case kKindDarkOnlyToBank: return L > 12287 ? Tool::Keep : fromBank(0);
    case kKindLightOnlyToBank: return L >= 57343 ? fromBank(0) : Tool::Keep;
    case kKindPosterize4:
      for (int k = 0; k < 3; ++k) M[k] = c[k] < 10922 ? 0 : c[k] < 32767 ? 21845 : c[k] < 54613 ? 43690 : 65535;
      return Tool::Colour;
    case kKindPosterize3:
      for (int k = 0; k < 3; ++k) M[k] = c[k] < 21845 ? 0 : c[k] < 43690 ? 32767 : 65535;
      return Tool::Colour;
    case kKindDarkerByLuminance:
    case kKindLighterByLuminance: {
      const uint32_t lumD = (3 * d[0] + 4 * d[1] + d[2]) >> 3, lumS = (3 * c[0] + 4 * c[1] + c[2]) >> 3;
      const bool useDestination = kind == kKindDarkerByLuminance ? lumD < lumS : lumD > lumS;
      return useDestination ? fromDestination() : fromSource();
    }
    default: return fromSource();
  }
}

// The kinds toolKind has a rule for.
bool isToolKind(int32_t kind) {
  return (kind >= kKindTwoTones && kind <= kKindPosterize3) || kind == kKindDarkerByLuminance ||
         kind == kKindLighterByLuminance;
}

uint32_t bitDepth(uint32_t c, int32_t k) { return (k < 0 || k >= 16) ? 0 : (c >> k) << k; }

}  // namespace

bool hasPaintKindRule(int32_t kind) {
  return (kind >= kFirstBlendKind && kind <= kLastBlendKind) || isToolKind(kind) || kind == kKindBitDepth ||
         kind == kKindGreyWithLuminanceAlpha;
}

void applyPaintKind(int32_t kind, uint32_t Y, const uint32_t c[3], uint32_t A, uint32_t d[3], uint32_t f,
                    uint32_t o[3], uint32_t& Z) {
  // 1. Pull a transparent destination towards the brush.
  if (f == 0) {
    for (int k = 0; k < 3; ++k) d[k] = c[k];
  } else if (f < 65535) {
    const uint32_t t = std::min<uint32_t>(65535, (((65535 - f) * Y) >> 16) * 3);
    for (int k = 0; k < 3; ++k) d[k] = ((((65535 - t) * d[k]) >> 8) + ((t * c[k]) >> 8)) >> 8;
  }
  if (brush.eraseModeOn) A = 0;
  uint32_t Za = A;
  const int64_t a = brush.mixAmount;
  const uint32_t L = (c[0] + c[1] + c[2]) / 3;
  bool mixWithAmount = true;
  uint32_t M[3];
  if (kind <= kLastBlendKind) {
    for (int k = 0; k < 3; ++k) M[k] = blendMode(mergeModeOfKind(kind), c[k], d[k]);
  } else if (kind == kKindBitDepth) {
    for (int k = 0; k < 3; ++k) o[k] = bitDepth(c[k], brush.mixShift);
    mixWithAmount = false;
  } else if (kind == kKindGreyWithLuminanceAlpha) {
    for (int k = 0; k < 3; ++k) o[k] = d[k] = 32767;
    Za = L;
    mixWithAmount = false;
  } else if (toolKind(kind, L, c, d, M) == Tool::Keep) {
    for (int k = 0; k < 3; ++k) o[k] = d[k];
    Za = f;
    mixWithAmount = false;
  }
  if (mixWithAmount)
    for (int k = 0; k < 3; ++k) o[k] = clamp16((((((256 - a) * c[k]) >> 4) + ((a * M[k]) >> 4)) >> 4));
  // 6. Coverage.
  if (Y < 65535) {
    for (int k = 0; k < 3; ++k)
      o[k] = std::min<uint32_t>(65535, ((((Y * o[k]) >> 8) + (((65536 - Y) * d[k]) >> 8)) >> 8) + 1);
    Z = uint32_t((((uint64_t(Y) * Za) >> 8) + ((uint64_t(65536 - Y) * f) >> 8)) >> 8);
  } else {
    Z = Za;
  }
}

bool mixKindColour(int32_t kind, const uint32_t c[3], const uint32_t s[3], uint32_t M[3], uint32_t& alpha,
                   bool& keep) {
  keep = false;
  if (kind >= kKindMultiply && kind <= kLastBlendKind) {
    for (int k = 0; k < 3; ++k) M[k] = blendMode(mergeModeOfKind(kind), c[k], s[k]);
    return true;
  }
  const uint32_t L = (c[0] + c[1] + c[2]) / 3;
  if (kind == kKindGreyWithLuminanceAlpha) {
    for (int k = 0; k < 3; ++k) M[k] = 32767;
    alpha = L;
    return true;
  }
  if (kind == kKindBitDepth) {
    for (int k = 0; k < 3; ++k) M[k] = bitDepth(c[k], brush.mixShift & 31);
    return true;
  }
  if (kind == kKindGradientMap && L < 32767) {
    // Below the midpoint the mix measures the blend colour on a 0..510 scale.
    const uint32_t t = (c[0] + c[1] + c[2]) / 384;
    for (int k = 0; k < 3; ++k) M[k] = (bank(1, k) * t + bank(0, k) * (256 - std::min<uint32_t>(t, 256))) >> 8;
    return true;
  }
  if (isToolKind(kind)) {
    if (toolKind(kind, L, c, s, M) == Tool::Keep) {
      for (int k = 0; k < 3; ++k) M[k] = s[k];
      keep = true;
    }
    return true;
  }
  return false;
}

}  // namespace rvl
