// Filling layers and host buffers with one colour.
#include <algorithm>
#include <array>

#include "frame/guard.h"
#include "frame/allocator.h"
#include "page/coverage.h"
#include "page/layer_load.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

using namespace rvl;

namespace {

// Fills rows pixels of columns four-channel pixels, rows pitch bytes apart, with one
// colour (8- or 16-bit channels).
template <class T>
void fillRows(void* destination, int64_t pitch, size_t columns, size_t rows, std::array<T, 4> colour) {
  uint8_t* base = static_cast<uint8_t*>(destination);
  for (size_t row = 0; row < rows; ++row) {
    T* d = reinterpret_cast<T*>(base + int64_t(row) * pitch);
    for (size_t i = 0; i < columns; ++i, d += 4)
      for (int c = 0; c < 4; ++c) d[c] = colour[size_t(c)];
  }
}

void fill32(uint8_t* destination, int64_t pitch, int32_t width, int32_t height, int32_t r, int32_t g,
            int32_t b, int32_t a) {
  if (!destination || width <= 0 || height <= 0) return;
  fillRows<uint8_t>(destination, pitch, size_t(width), size_t(height),
                    {uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)});
}

}  // namespace

extern "C" void RVL_Clear(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot* slot = currentSlot();
    if (!slot) return;
    const PageWalk walk = pageWalk(*slot);
    fillRows<uint16_t>(slot->pixels, int64_t(slot->width) * 8, walk.columns, walk.rows,
                       {uint16_t(uint8_t(red) << 8), uint16_t(uint8_t(green) << 8), uint16_t(uint8_t(blue) << 8),
                        uint16_t(uint8_t(alpha) << 8)});
  });
}

extern "C" void RVL_ClearRGBA64(uint16_t* destination, int32_t pitch, int32_t red, int32_t green,
                                int32_t blue, int32_t alpha) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!destination || page.pageWidth <= 0 || page.pageHeight <= 0) return;
    fillRows<uint16_t>(destination, pitch, size_t(page.pageWidth), size_t(page.pageHeight),
                       {uint16_t(red), uint16_t(green), uint16_t(blue), uint16_t(alpha)});
  });
}

extern "C" void RVL_ClearRGBA32(uint8_t* destination, int32_t pitch, int32_t red, int32_t green,
                                int32_t blue, int32_t alpha) noexcept {
  rvl::guarded(nullptr, [&] {
    fill32(destination, pitch, page.pageWidth, page.pageHeight, red, green, blue, alpha);
  });
}

extern "C" void RVL_ClearRGBA32Buf(uint8_t* destination, int32_t width, int32_t height, int32_t red,
                                   int32_t green, int32_t blue, int32_t alpha) noexcept {
  rvl::guarded(nullptr, [&] {
    fill32(destination, int64_t(width) * 4, width, height, red, green, blue, alpha);
  });
}

// Through the mask: the mask value is the coverage of the colour. A fully selected pixel
// takes the colour with its alpha, a partly selected one the colour blended by the mask
// and full alpha.
extern "C" void RVL_ClearMasked(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept {
  LayerSlot* slot = currentSlot();
  if (!slot) return;
  if (!page.maskEnabled || !page.mask) {
    RVL_Clear(red, green, blue, alpha);
    return;
  }
  const uint32_t v[3] = {uint32_t(uint8_t(red)) << 8, uint32_t(uint8_t(green)) << 8, uint32_t(uint8_t(blue)) << 8};
  const uint16_t a = uint16_t(uint8_t(alpha) << 8);
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row) {
    uint16_t* d = slotRow(*slot, row);
    const uint16_t* m = page.mask + row * size_t(page.pageWidth);
    for (size_t i = 0; i < walk.columns; ++i, d += 4) {
      const uint32_t g = m[i];
      if (g == 0) continue;
      if (g == kFullCoverage) {
        for (int c = 0; c < 3; ++c) d[c] = uint16_t(v[c]);
        d[3] = a;
        continue;
      }
      for (int c = 0; c < 3; ++c) d[c] = uint16_t(blendByPartialCoverage(v[c], d[c], g));
      d[3] = 65535;
    }
  }
}

extern "C" void RVL_ClearMaskedAlpha(int32_t red, int32_t green, int32_t blue, int32_t alpha) noexcept {
  rvl::guarded(nullptr, [&] {
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
  });
}
