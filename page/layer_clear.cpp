// Filling layers and host buffers with one colour.
#include <algorithm>

#include "frame/allocator.h"
#include "page/layer_load.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

using namespace rvl;

namespace {

void fillRow64(uint16_t* d, size_t count, uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
  for (size_t i = 0; i < count; ++i, d += 4) {
    d[0] = r;
    d[1] = g;
    d[2] = b;
    d[3] = a;
  }
}

void fillRow32(uint8_t* d, size_t count, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  for (size_t i = 0; i < count; ++i, d += 4) {
    d[0] = r;
    d[1] = g;
    d[2] = b;
    d[3] = a;
  }
}

void fill32(uint8_t* destination, int32_t pitch, int32_t width, int32_t height, int32_t r, int32_t g,
            int32_t b, int32_t a) {
  if (!destination || width <= 0 || height <= 0) return;
  for (int32_t row = 0; row < height; ++row)
    fillRow32(destination + int64_t(row) * pitch, size_t(width), uint8_t(r), uint8_t(g), uint8_t(b),
              uint8_t(a));
}

}  // namespace

extern "C" void RVL_Clear(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  LayerSlot* slot = currentSlot();
  if (!slot) return;
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row)
    fillRow64(slotRow(*slot, row), walk.columns, uint16_t(uint8_t(red) << 8), uint16_t(uint8_t(green) << 8),
              uint16_t(uint8_t(blue) << 8), uint16_t(uint8_t(alpha) << 8));
}

extern "C" void RVL_ClearRGBA64(uint16_t* destination, int32_t pitch, int32_t red, int32_t green,
                                int32_t blue, int32_t alpha) {
  if (!destination || page.pageWidth <= 0) return;
  uint8_t* d = reinterpret_cast<uint8_t*>(destination);
  for (int32_t row = 0; row < page.pageHeight; ++row)
    fillRow64(reinterpret_cast<uint16_t*>(d + int64_t(row) * pitch), size_t(page.pageWidth),
              uint16_t(red), uint16_t(green), uint16_t(blue), uint16_t(alpha));
}

extern "C" void RVL_ClearRGBA32(uint8_t* destination, int32_t pitch, int32_t red, int32_t green,
                                int32_t blue, int32_t alpha) {
  fill32(destination, pitch, page.pageWidth, page.pageHeight, red, green, blue, alpha);
}

extern "C" void RVL_ClearRGBA32Buf(uint8_t* destination, int32_t width, int32_t height, int32_t red,
                                   int32_t green, int32_t blue, int32_t alpha) {
  fill32(destination, width * 4, width, height, red, green, blue, alpha);
}

extern "C" void RVL_ClearMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  LayerSlot* slot = currentSlot();
  if (!slot) return;
  if (!page.maskEnabled || !page.mask) {
    RVL_Clear(red, green, blue, alpha);
    return;
  }
  const uint32_t v[3] = {uint8_t(red), uint8_t(green), uint8_t(blue)};
  const uint16_t a = uint16_t(uint8_t(alpha) << 8);
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row) {
    uint16_t* d = slotRow(*slot, row);
    const uint16_t* m = page.mask + row * size_t(page.pageWidth);
    for (size_t i = 0; i < walk.columns; ++i, d += 4) {
      const uint32_t g = m[i];
      if (g == 0) continue;
      if (g == 65535) {
        d[0] = uint16_t(v[0] << 8);
        d[1] = uint16_t(v[1] << 8);
        d[2] = uint16_t(v[2] << 8);
        d[3] = a;
        continue;
      }
      for (int c = 0; c < 3; ++c)
        d[c] = uint16_t((((v[c] * 256 * g) >> 8) + ((uint32_t(d[c]) * (65535 - g)) >> 8)) >> 8);
      d[3] = 65535;
    }
  }
}

extern "C" void RVL_ClearMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
  if (!page.maskEnabled) {
    RVL_Clear(red, green, blue, alpha);
    return;
  }
  LayerSlot* slot = currentSlot();
  if (!slot) return;
  uint8_t* buffer = allocArray<uint8_t>(pagePixels() * 4);
  if (!buffer) return;
  RVL_ClearRGBA32(buffer, page.pageWidth * 4, red, green, blue, alpha);
  // The page-sized colour goes through mask, texture and lock like any filtered write.
  loadRGBA32Layer(buffer, page.pageWidth * 4, page.currentLayerIndex, 0, 0,
                  std::min(slot->width, page.pageWidth), std::min(slot->height, page.pageHeight), true);
  engineFree(buffer);
}
