// Argument checks shared by the pixel families (internal to the imaging library).
#pragma once

#include <cstddef>
#include <cstdint>

#include "external/imaging/library.h"

namespace rvl::imaging {

// The largest width or height any call accepts: sizes must stay positive as 32-bit
// signed values, which the resampler needs.
inline constexpr uint32_t kMaxSide = 0x7fffffffu;

// A packed image the caller gives: non-null, both sides in 1..kMaxSide, and rows of at
// least width × bytesPerPixel bytes. Images with 16-bit channels (wide) must also start
// and step on even addresses.
inline bool validImage(const void* data, uint32_t width, uint32_t height, uint32_t pitch,
                       uint32_t bytesPerPixel, bool wide = false) {
  if (!data || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
  if (static_cast<uint64_t>(width) * bytesPerPixel > pitch) return false;
  if (wide && ((reinterpret_cast<uintptr_t>(data) | pitch) & 1u)) return false;
  return true;
}

// The formats of the geometry family, by bytes per pixel: 1, 3, 4 with 8-bit channels,
// 2 and 8 with 16-bit channels (wide).
inline bool geometryFormat(uint32_t bytesPerPixel) {
  return bytesPerPixel == 1 || bytesPerPixel == 2 || bytesPerPixel == 3 || bytesPerPixel == 4 ||
         bytesPerPixel == 8;
}
inline bool wideFormat(uint32_t bytesPerPixel) { return bytesPerPixel == 2 || bytesPerPixel == 8; }

// Records a bad argument and gives the failure result.
inline uint32_t badArgument() {
  setLastError(kBadArgument);
  return 0;
}

}  // namespace rvl::imaging
