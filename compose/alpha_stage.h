// The first half of the per-pixel merge arithmetic: the source alpha scaled by a Layer
// Mask pixel and by the layer opacity, then the alpha stage of the alpha modes, which
// rewrites the source colour and alpha and may pick another effective mode.
// MergePixels and the view renderer both run every source pixel through these steps.
#pragma once

#include <algorithm>
#include <cstdint>

#include "page/merge_mode.h"

namespace rvl {

// A source pixel on its way through the merge.
struct StagedPixel {
  int32_t r, g, b;  // colour, 0 to 65535
  int32_t a;        // alpha, 0 to 65535
  int32_t mode;     // the effective mode h
  bool replace;     // the destination alpha counts as 0 for this pixel
};

// True when a transparent source pixel is skipped before any arithmetic.
// (The standard modes are one run of codes from 0: one comparison.)
inline bool skipsTransparent(int32_t mergeMode) { return mergeMode <= kLastStandardMode; }

// The grey level floor((R + G + B) / 3) of a Layer Mask pixel scales the alpha.
inline int32_t scaleByMaskPixel(int32_t a, const uint16_t* maskPixel) {
  const uint32_t grey = (uint32_t(maskPixel[0]) + maskPixel[1] + maskPixel[2]) / 3;
  return int32_t((uint32_t(a) * grey) >> 16);
}

// 255 and 256 both mean full opacity; below that A = ((opacity + 1) * A) >> 8.
inline int32_t scaleByOpacity(int32_t a, int32_t opacity) {
  if (opacity >= 255) return a;
  if (opacity < 0) opacity = 0;
  return ((opacity + 1) * a) >> 8;
}

namespace alpha_stage_detail {

inline constexpr double kInv32767 = 1.0 / 32767;
inline constexpr double kInv65535 = 1.0 / 65535;
inline constexpr double kInv28672 = 1.0 / 28672;
inline constexpr double kInv30000 = 1.0 / 30000;

// Results are held to 0 to 65535: the darkening factor of tone 3 passes 1 below alpha
// 6862 and the lightening factors reach just above 1, so an unheld channel could leave
// the 16-bit range.
inline int32_t toneLighten(int32_t c, double t) {
  return std::clamp(int32_t(c + (65535 - c) * t), 0, 65535);
}
inline int32_t toneDarken(int32_t c, double t) { return std::clamp(int32_t(c - c * t), 0, 65535); }

// Tone 1 and tone 2 (tone 2 darkens by 1/65535 per step instead of 1/32767).
inline void toneAround32767(StagedPixel& p, double darkenScale) {
  int32_t* channels[3] = {&p.r, &p.g, &p.b};
  if (p.a > 32767) {
    const double t = (p.a - 32767) * kInv32767;
    for (int32_t* c : channels) *c = toneLighten(*c, t);
  } else {
    const double t = (32767 - p.a) * darkenScale;
    for (int32_t* c : channels) *c = toneDarken(*c, t);
  }
}

inline void tone3(StagedPixel& p) {
  int32_t* channels[3] = {&p.r, &p.g, &p.b};
  if (p.a > 36862) {
    const double t = (p.a - 36862) * kInv28672;
    for (int32_t* c : channels) *c = toneLighten(*c, t);
  } else {
    const double t = (36862 - p.a) * kInv30000;
    for (int32_t* c : channels) *c = toneDarken(*c, t);
  }
}

inline void shade(StagedPixel& p) {
  int32_t* channels[3] = {&p.r, &p.g, &p.b};
  if (p.a < 32767) {
    for (int32_t* c : channels) *c = std::max(*c - 2 * (32767 - p.a), 0);
  } else {
    for (int32_t* c : channels) *c = std::min(*c + 2 * p.a - 65534, 65535);
  }
}

inline int32_t ramp(int32_t a, int32_t k) {
  if (a < 8191) return 0;  // (0 stays 0)
  if (a >= 9215) return k;
  return 65535 - std::min(64 * (9215 - a), 65535);
}

inline void setColour(StagedPixel& p, int32_t v) { p.r = p.g = p.b = v; }

template <Tone T>
inline void applyTone(StagedPixel& p) {
  static_assert(T != Tone::None);
  if constexpr (T == Tone::Tone1) toneAround32767(p, kInv32767);
  else if constexpr (T == Tone::Tone2) toneAround32767(p, kInv65535);
  else tone3(p);
}

}  // namespace alpha_stage_detail

// One alpha mode's rule, read from its row of the merge-mode table at compile time.
template <MergeMode M>
inline void applyAlphaRule(StagedPixel& p, bool sameMode, int32_t k) {
  using namespace alpha_stage_detail;
  constexpr MergeModeInfo info = mergeModeInfo(M);
  constexpr AlphaRule rule = info.alphaRule;
  constexpr int32_t effective = codeOf(info.effectiveMode);
  static_assert(rule != AlphaRule::None);
  int32_t& a = p.a;
  const auto replace = [&p] {
    if (p.a > 0) p.replace = true;
  };
  if constexpr (rule == AlphaRule::Normal) {
    if (sameMode) replace();
    else if (a > 0) a = k;
  } else if constexpr (rule == AlphaRule::Filter) {
    if (sameMode) replace();
    else {
      setColour(p, 65535);
      a = 65535 - a;
    }
  } else if constexpr (rule == AlphaRule::Outline) {
    if (sameMode) replace();
    else if (a > 0 && a < 65280) {
      setColour(p, 0);
      a = k;
    }
  } else if constexpr (rule == AlphaRule::OutlineTint) {
    if (sameMode) replace();
    else if (a >= 12287) a = k;
    else if (a > 0) a = 65535 - a;
  } else if constexpr (rule == AlphaRule::Invert) {
    if (sameMode) replace();
    else if (a > 0) a = 65535 - a;
  } else if constexpr (rule == AlphaRule::Shader) {
    if (sameMode) replace();
    else if (a > 0) {
      setColour(p, a);
      a = k;
    }
  } else if constexpr (rule == AlphaRule::ShaderColour) {
    if (sameMode) replace();
    else if (a > 0) {
      shade(p);
      a = k;
      p.mode = effective;
    }
  } else if constexpr (rule == AlphaRule::HighlightTexture) {
    if (sameMode) replace();
    else if (a > 0 && a < 32767) {
      a = std::max(a - 2 * (32767 - a), 0);
      p.mode = effective;
    } else if (a >= 32767) {
      p.r = std::min(p.r + 2 * a - 65534, 65535);
      p.g = std::min(p.g + 2 * a - 65534, 65535);
      p.b = std::min(p.b + 2 * a - 65534, 65535);
      a = k;
      p.mode = effective;
    }
  } else if constexpr (rule == AlphaRule::Smooth) {
    if (sameMode) replace();
    else if (a >= 32767) a = k;
    else if (a > 0) a = std::max(a - 4 * (32767 - a), 0);
  } else if constexpr (rule == AlphaRule::SmoothLum) {
    if (sameMode) {
      if (a < 8191) a = 0;
      else replace();
    } else {
      applyTone<info.tone>(p);
      a = a >= 8191 ? k : 0;
    }
  } else if constexpr (rule == AlphaRule::SmoothLumRamp) {
    if (sameMode) {
      if (a < 8191) a = 0;
      else if (a < 9215) p.mode = codeOf(MergeMode::Multiply);
      else replace();
    } else {
      applyTone<info.tone>(p);
      a = ramp(a, k);
    }
  } else if constexpr (rule == AlphaRule::Highlight) {
    if (sameMode) {
      if (a <= 32512) a = 0;
      else replace();
    } else if (a > 32512) {
      a = 0;
    }
  } else if constexpr (rule == AlphaRule::LayerMask) {
    a = 0;  // the layer itself changes nothing
  } else if constexpr (rule == AlphaRule::LuminanceAlpha) {
    a = (p.r + p.g + p.b) / 3;
    setColour(p, 65535);
  } else if constexpr (rule == AlphaRule::LuminanceAlphaInvert) {
    a = 65535 - (p.r + p.g + p.b) / 3;
    setColour(p, 0);
  }
}

// The alpha stage of the alpha modes (other modes pass unchanged). sameMode: source and
// destination carry the same alpha mode, so most modes merge by replacement.
// k is alphaLayerOpacity.
inline void alphaStage(StagedPixel& p, bool sameMode, int32_t k) {
  switch (MergeMode(p.mode)) {
    case MergeMode::AlphaNormal: return applyAlphaRule<MergeMode::AlphaNormal>(p, sameMode, k);
    case MergeMode::AlphaFilter: return applyAlphaRule<MergeMode::AlphaFilter>(p, sameMode, k);
    case MergeMode::AlphaBlackOutline: return applyAlphaRule<MergeMode::AlphaBlackOutline>(p, sameMode, k);
    case MergeMode::AlphaOutlineTint1: return applyAlphaRule<MergeMode::AlphaOutlineTint1>(p, sameMode, k);
    case MergeMode::AlphaOutlineTint2: return applyAlphaRule<MergeMode::AlphaOutlineTint2>(p, sameMode, k);
    case MergeMode::AlphaInvert: return applyAlphaRule<MergeMode::AlphaInvert>(p, sameMode, k);
    case MergeMode::AlphaShader: return applyAlphaRule<MergeMode::AlphaShader>(p, sameMode, k);
    case MergeMode::AlphaShaderColor: return applyAlphaRule<MergeMode::AlphaShaderColor>(p, sameMode, k);
    case MergeMode::AlphaShaderTexture2: return applyAlphaRule<MergeMode::AlphaShaderTexture2>(p, sameMode, k);
    case MergeMode::AlphaHighlightTexture2:
      return applyAlphaRule<MergeMode::AlphaHighlightTexture2>(p, sameMode, k);
    case MergeMode::AlphaSmooth: return applyAlphaRule<MergeMode::AlphaSmooth>(p, sameMode, k);
    case MergeMode::AlphaSmoothLum: return applyAlphaRule<MergeMode::AlphaSmoothLum>(p, sameMode, k);
    case MergeMode::AlphaSmoothLum2: return applyAlphaRule<MergeMode::AlphaSmoothLum2>(p, sameMode, k);
    case MergeMode::AlphaSmoothLum3: return applyAlphaRule<MergeMode::AlphaSmoothLum3>(p, sameMode, k);
    case MergeMode::AlphaSmoothLum4: return applyAlphaRule<MergeMode::AlphaSmoothLum4>(p, sameMode, k);
    case MergeMode::AlphaSmoothLum5: return applyAlphaRule<MergeMode::AlphaSmoothLum5>(p, sameMode, k);
    case MergeMode::AlphaOverlayOutline: return applyAlphaRule<MergeMode::AlphaOverlayOutline>(p, sameMode, k);
    case MergeMode::AlphaHighlight: return applyAlphaRule<MergeMode::AlphaHighlight>(p, sameMode, k);
    case MergeMode::LayerMask: return applyAlphaRule<MergeMode::LayerMask>(p, sameMode, k);
    case MergeMode::LuminanceAlpha: return applyAlphaRule<MergeMode::LuminanceAlpha>(p, sameMode, k);
    case MergeMode::LuminanceAlphaInvert:
      return applyAlphaRule<MergeMode::LuminanceAlphaInvert>(p, sameMode, k);
    default:
      return;  // the standard modes and numbers that are no code
  }
}

}  // namespace rvl
