// The mask grey of a colour: the selection a colour stands for when it is painted or
// cleared into the mask. Black selects, the 8-bit white 65280 (and anything whiter)
// protects fully, and the greys between fall linearly: the grey of level L is 65535 for
// L < 256, 65280 - L up to L = 65280 and 0 above. A colour's level is (R + G + B) / 3 of
// its 16-bit channels. The one rule for the mask clear, the mask-maker dab and the blend
// buffer's copy of the mask.
#pragma once

#include <cstdint>

namespace rvl {

// The mask grey of a level L (the mean of three 16-bit channels, or an 8-bit mean x 256).
constexpr uint32_t maskGreyOfLevel(uint32_t L) noexcept {
  if (L < 256) return 65535;
  return L >= 65280 ? 0 : 65280 - L;
}

// The mask grey of the 16-bit colour (r, g, b).
constexpr uint32_t maskGrey(uint32_t r, uint32_t g, uint32_t b) noexcept {
  return maskGreyOfLevel((r + g + b) / 3);
}

}  // namespace rvl
