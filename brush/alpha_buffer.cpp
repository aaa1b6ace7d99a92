// Alpha operations on packed RGBA32 buffers.
#include <cstddef>
#include <cstdint>

#include "ravelin.h"

extern "C" void RVL_SetColorAlphaRGBABuf(uint8_t* buffer, int32_t width, int32_t height,
                                         int32_t red, int32_t green, int32_t blue) noexcept {
  if (!buffer || width < 1 || height < 1) return;
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i, buffer += 4) {
    if (buffer[3] != 0) continue;
    buffer[0] = uint8_t(red);
    buffer[1] = uint8_t(green);
    buffer[2] = uint8_t(blue);
  }
}
