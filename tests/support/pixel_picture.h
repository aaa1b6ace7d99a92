// A packed test picture with padded rows. Its storage ends right after the last pixel of
// the last row, so any access past the picture is caught under the sanitizers; the padding
// of the other rows holds a marker value to show writes outside the pixels.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace rvl::test {

struct Picture {
  static constexpr uint8_t kPadding = 0xA5;

  uint32_t width, height, bytesPerPixel, pitch;
  std::vector<uint8_t> bytes;

  Picture(uint32_t w, uint32_t h, uint32_t bpp, uint32_t pad = 6)
      : width(w),
        height(h),
        bytesPerPixel(bpp),
        pitch(w * bpp + pad),
        bytes(static_cast<size_t>(h - 1) * pitch + w * bpp, kPadding) {}

  uint8_t* data() { return bytes.data(); }
  uint8_t* at(uint32_t x, uint32_t y) { return bytes.data() + y * pitch + x * bytesPerPixel; }
  // Channel c of pixel (x, y) as a value (16-bit channels for 2 and 8 bytes per pixel).
  uint32_t channel(uint32_t x, uint32_t y, uint32_t c) {
    if (bytesPerPixel == 2 || bytesPerPixel == 8) {
      uint16_t v;
      std::memcpy(&v, at(x, y) + 2 * c, 2);
      return v;
    }
    return at(x, y)[c];
  }
  void setChannel(uint32_t x, uint32_t y, uint32_t c, uint32_t value) {
    if (bytesPerPixel == 2 || bytesPerPixel == 8) {
      uint16_t v = static_cast<uint16_t>(value);
      std::memcpy(at(x, y) + 2 * c, &v, 2);
    } else {
      at(x, y)[c] = static_cast<uint8_t>(value);
    }
  }
  uint32_t channels() const {
    return bytesPerPixel == 8 ? 4 : bytesPerPixel == 2 ? 1 : bytesPerPixel;
  }
  // Every channel of every pixel from f(x, y, c).
  template <class F>
  void fill(F f) {
    for (uint32_t y = 0; y < height; ++y)
      for (uint32_t x = 0; x < width; ++x)
        for (uint32_t c = 0; c < channels(); ++c) setChannel(x, y, c, f(x, y, c));
  }
  // True when every padding byte still holds the marker.
  bool paddingIntact() const {
    for (uint32_t y = 0; y + 1 < height; ++y)
      for (uint32_t i = width * bytesPerPixel; i < pitch; ++i)
        if (bytes[y * pitch + i] != kPadding) return false;
    return true;
  }
};

}  // namespace rvl::test
