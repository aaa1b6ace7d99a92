// Alpha operations on layers and on RGBA32 buffers.
#include <algorithm>
#include <cmath>

#include "frame/guard.h"
#include "brush/brush.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

using namespace rvl;

namespace {

// Calls f on every pixel (four channels) of a filled slot, over its own size.
template <class F>
void forEachPixel(LayerSlot* slot, F f) {
  if (!slot) return;
  const size_t n = size_t(std::max(slot->width, 0)) * size_t(std::max(slot->height, 0));
  for (size_t i = 0; i < n; ++i) f(slot->pixels + i * 4);
}

}  // namespace

extern "C" void RVL_InvertAlpha(int32_t index) noexcept {
  rvl::guarded(nullptr, [&] {
    forEachPixel(filledSlotAt(index), [](uint16_t* p) { p[3] = uint16_t(65535 - p[3]); });
  });
}

extern "C" void RVL_InvertAlpha_RGBA32(uint8_t* buffer) noexcept {
  if (!buffer) return;
  for (size_t i = 0; i < pagePixels(); ++i) buffer[i * 4 + 3] = uint8_t(255 - buffer[i * 4 + 3]);
}

extern "C" void RVL_SetLayerAlpha(int32_t index, int32_t value) noexcept {
  rvl::guarded(nullptr, [&] {
    forEachPixel(filledSlotAt(index), [value](uint16_t* p) { p[3] = uint16_t(value); });
  });
}

extern "C" void RVL_NormalizeLayerAlpha(int32_t index) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot) return;
    const uint32_t opacity = slot->opacity;
    forEachPixel(slot, [opacity](uint16_t* p) { p[3] = uint16_t((opacity * p[3]) >> 8); });
    slot->opacity = 256;
  });
}

extern "C" void RVL_SetColorAlpha(int32_t r, int32_t g, int32_t b) noexcept {
  rvl::guarded(nullptr, [&] {
    const uint16_t red = uint16_t(uint8_t(r) * 257), green = uint16_t(uint8_t(g) * 257), blue = uint16_t(uint8_t(b) * 257);
    forEachPixel(currentSlot(), [=](uint16_t* p) {
      if (p[3] >= 256) return;
      p[0] = red;
      p[1] = green;
      p[2] = blue;
      p[3] = 0;
    });
  });
}

extern "C" void RVL_SetColorRGBABuf(uint8_t* buffer, int32_t width, int32_t height, int32_t r, int32_t g,
                                    int32_t b) noexcept {
  if (!buffer || width <= 0 || height <= 0) return;
  const size_t n = size_t(width) * size_t(height);
  for (size_t i = 0; i < n; ++i) {
    buffer[i * 4 + 0] = uint8_t(r);
    buffer[i * 4 + 1] = uint8_t(g);
    buffer[i * 4 + 2] = uint8_t(b);
  }
}

extern "C" void RVL_SetAlphaFromRGBAImageColor(uint8_t* buffer, int32_t r, int32_t g, int32_t b) noexcept {
  if (!buffer) return;
  for (size_t i = 0; i < pagePixels(); ++i) {
    uint8_t* p = buffer + i * 4;
    if (p[0] == uint8_t(r) && p[1] == uint8_t(g) && p[2] == uint8_t(b)) p[3] = 0;
  }
}

extern "C" void RVL_CreateBlobFromImage(int32_t index, int32_t mode) noexcept {
  rvl::guarded(nullptr, [&] {
    forEachPixel(filledSlotAt(index), [mode](uint16_t* p) {
      const int32_t L = (int32_t(p[0]) + p[1] + p[2]) / 3;
      if (mode != 1) {
        p[0] = p[1] = p[2] = 32767;
      } else if (L >= 32767) {
        const double u = double(L - 32767) / 65534.0;
        for (int c = 0; c < 3; ++c) p[c] = uint16_t(std::trunc(p[c] - p[c] * u));
      } else {
        const double u = double(32767 - L) / 65534.0;
        for (int c = 0; c < 3; ++c) p[c] = uint16_t(std::trunc((65535 - p[c]) * u + p[c]));
      }
      if (p[3] > 8191) p[3] = uint16_t(std::trunc(L * 0.843 + 10239));
    });
  });
}
