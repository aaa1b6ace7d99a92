// Coverage: how much of a new pixel the selection mask and the paper texture let through,
// and how a new value is laid over the old one by that coverage. Every write that the
// mask and the texture restrict uses these functions: filtered loads into layers, masked
// clears, dabs, the blend buffer's pick-up, and every effect, filter, fill and script
// result on its way back into a layer.
//
// Coverage runs from 0 (nothing of the new pixel) to 65535 (the new pixel as it is).
// Inputs are the texture byte t (0..255) and the 16-bit mask value m of the page pixel.
// A missing texture reads as white paper, t = kNoTexture (255), and a disabled mask as
// fully selected, m = kNoMask (65535): under every rule below these two leave the coverage
// as it is, so a caller passes them instead of testing for the buffers pixel by pixel
// (CoverageMaps does it for the page's own buffers).
//
// All arithmetic is unsigned 32-bit and every shift truncates; no product below can pass
// 2^32 for inputs in range. Only restrictedAlpha uses floating point.
//
// The rules:
//
//   loadCoverage(t, m)        a filtered load of a picture into a layer (RGBA32, RGB24):
//                               texture: t = 0 gives 0; t >= 128 gives 65535;
//                                        otherwise f = ((2t + 1) * 65535) >> 8
//                               mask, by its high byte h = m >> 8: h = 0 gives 0;
//                                        1 <= h <= 254 gives f = ((h + 1) * f) >> 8;
//                                        h = 255 keeps f
//   restrictionFactor(t, m)   the restriction of a result's alpha, and the alpha-only load:
//                               texture: 2t < 255 gives f = (2t * 65535) >> 8, else 65535
//                               mask: m < 65535 gives f = (m * f) >> 16, else f is kept
//   dabCoverage(Y, t, m)      a dab pixel's tip coverage Y scaled by paper and selection:
//                               t < 255 gives Y = (t * Y) >> 8;
//                               m < 65535 gives Y = (m * Y) >> 16
//   blendByCoverage(v, c, f)  a new 16-bit value v over the old value c at coverage f:
//                               f = 65535 gives v; f = 0 gives c; otherwise
//                               ((v * f) >> 8 + (c * (65535 - f)) >> 8) >> 8
//                             (an 8-bit source byte s enters as v = s * 256);
//                             blendByPartialCoverage is that last formula alone, for a
//                             caller that has decided the two ends once for a whole pixel
//   restrictedAlpha(a, f)     an alpha a restricted by a factor f: trunc(f / 65535 * a),
//                             computed in double precision
//
// A computed result (effect, filter, fill, script, paste) is restricted pixel by pixel with
// restrictedAlpha(alpha, restrictionFactor(t, m)) and then written with loadRGBA32Layer,
// whose apply flag lays it over the layer by loadCoverage and blendByCoverage.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "page/page.h"

namespace rvl {

inline constexpr uint32_t kFullCoverage = 65535;
inline constexpr uint32_t kNoTexture = 255;  // white paper: the texture lets everything through
inline constexpr uint32_t kNoMask = 65535;   // fully selected: the mask lets everything through

// Coverage of a filtered load at texture byte t and mask value m (65535 = full).
inline uint32_t loadCoverage(uint32_t t, uint32_t m) noexcept {
  uint32_t f = kFullCoverage;
  if (t == 0)
    f = 0;
  else if (t < 128)
    f = ((2 * t + 1) * 65535) >> 8;
  const uint32_t h = m >> 8;
  if (h == 0) return 0;
  if (h < 255) f = ((h + 1) * f) >> 8;
  return f;
}

// Restriction factor at texture byte t and mask value m (65535 = no restriction).
inline uint32_t restrictionFactor(uint32_t t, uint32_t m) noexcept {
  uint32_t f = kFullCoverage;
  if (2 * t < 255) f = (2 * t * 65535) >> 8;
  if (m < 65535) f = (m * f) >> 16;
  return f;
}

// A dab's coverage Y (0..65535) after the texture byte t and the mask value m.
inline uint32_t dabCoverage(uint32_t Y, uint32_t t, uint32_t m) noexcept {
  if (t < 255) Y = (t * Y) >> 8;
  if (m < 65535) Y = (m * Y) >> 16;
  return Y;
}

// The new value v (0..65535) laid over the old value c at a coverage 0 < f < 65535.
inline uint32_t blendByPartialCoverage(uint32_t v, uint32_t c, uint32_t f) noexcept {
  return (((v * f) >> 8) + ((c * (65535 - f)) >> 8)) >> 8;
}

// The new value v (0..65535) laid over the old value c at coverage f.
inline uint32_t blendByCoverage(uint32_t v, uint32_t c, uint32_t f) noexcept {
  if (f >= kFullCoverage) return v;
  if (f == 0) return c;
  return blendByPartialCoverage(v, c, f);
}

// An alpha restricted by the factor f: trunc(f / 65535 * a).
inline uint32_t restrictedAlpha(uint32_t a, uint32_t f) noexcept { return uint32_t(std::trunc(double(f) / 65535.0 * a)); }

// The page's texture and selection mask as the rules read them: null where there is no
// texture or the mask is disabled, sampled at page index i = x + y * pageWidth.
struct CoverageMaps {
  const uint8_t* texture;
  const uint16_t* mask;
  uint32_t textureAt(size_t i) const { return texture ? texture[i] : kNoTexture; }
  uint32_t maskAt(size_t i) const { return mask ? mask[i] : kNoMask; }
};

inline CoverageMaps pageCoverageMaps() noexcept {
  const uint8_t* texture = page.textureBuffer;
  const uint16_t* mask = page.mask;
  return CoverageMaps{texture, page.maskEnabled ? mask : nullptr};
}

}  // namespace rvl
