// Writing host pictures into layers.
#pragma once

#include <cstdint>

namespace rvl {

// The central write of an RGBA32 picture into a slot at (x, y), clipped to the slot.
// With apply set and a mask or texture present, coverage from the texture and the mask
// blends the picture over the layer; otherwise it is stored as it is. A transparency
// lock keeps the layer's alpha.
void loadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool apply);

// Coverage of the paper texture byte t (65535 = full), as the filtered writes use it.
inline uint32_t textureCoverage(uint32_t t) {
  if (t == 0) return 0;
  if (t >= 128) return 65535;
  return ((2 * t + 1) * 65535) >> 8;
}

}  // namespace rvl
