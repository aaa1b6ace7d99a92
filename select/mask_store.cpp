// The mask store: overlay options, invert, clear, save and load through RGB24, and the
// transfers between the mask and the current layer's grey or alpha.
#include <algorithm>

#include "compose/compose.h"
#include "frame/guard.h"
#include "frame/parallel_rows.h"
#include "page/mask_grey.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"
#include "select/select.h"

namespace rvl {

void fillMask(uint16_t* mask, size_t count, uint16_t value) { std::fill(mask, mask + count, value); }

void invertMask(uint16_t* mask, size_t count) {
  for (size_t i = 0; i < count; ++i) mask[i] = uint16_t(65535 - mask[i]);
}

void saveMaskRGB24(const uint16_t* mask, int32_t maskPitch, int32_t columns, int32_t rows, uint8_t* rgb,
                   int64_t rgbPitch) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    const uint16_t* m = mask + row * size_t(maskPitch);
    uint8_t* d = rgb + int64_t(row) * rgbPitch;
    for (int32_t i = 0; i < columns; ++i, d += 3) d[0] = d[1] = d[2] = uint8_t(255 - (m[i] >> 8));
  });
}

void loadMaskRGB24(const uint8_t* rgb, int64_t rgbPitch, int32_t columns, int32_t rows, uint16_t* mask,
                   int32_t maskPitch) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    const uint8_t* s = rgb + int64_t(row) * rgbPitch;
    uint16_t* m = mask + row * size_t(maskPitch);
    for (int32_t i = 0; i < columns; ++i, s += 3)
      m[i] = uint16_t(maskGreyOfLevel(((uint32_t(s[0]) + s[1] + s[2]) / 3) * 256));
  });
}

void imageFromMask(const uint16_t* mask, int32_t maskPitch, int32_t columns, int32_t rows, uint16_t* pixels,
                   int32_t pixelPitch) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    const uint16_t* m = mask + row * size_t(maskPitch);
    uint16_t* d = pixels + row * size_t(pixelPitch);
    for (int32_t i = 0; i < columns; ++i, d += 4) {
      const uint16_t grey = m[i] > 254 ? uint16_t(65535 - m[i]) : uint16_t(65280);
      d[0] = d[1] = d[2] = grey;
      d[3] = 65535;
    }
  });
}

void alphaFromMask(const uint16_t* mask, int32_t maskPitch, int32_t columns, int32_t rows, uint16_t* pixels,
                   int32_t pixelPitch) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    const uint16_t* m = mask + row * size_t(maskPitch);
    uint16_t* d = pixels + row * size_t(pixelPitch);
    for (int32_t i = 0; i < columns; ++i) d[size_t(i) * 4 + 3] = m[i];
  });
}

void maskFromAlpha(const uint16_t* pixels, int32_t pixelPitch, int32_t columns, int32_t rows, uint16_t* mask,
                   int32_t maskPitch) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    const uint16_t* s = pixels + row * size_t(pixelPitch);
    uint16_t* m = mask + row * size_t(maskPitch);
    for (int32_t i = 0; i < columns; ++i) m[i] = s[size_t(i) * 4 + 3];
  });
}

void maskFromImage(const uint16_t* pixels, int32_t pixelPitch, int32_t columns, int32_t rows, uint16_t* mask,
                   int32_t maskPitch) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    const uint16_t* s = pixels + row * size_t(pixelPitch);
    uint16_t* m = mask + row * size_t(maskPitch);
    for (int32_t i = 0; i < columns; ++i, s += 4) m[i] = uint16_t(maskGrey(s[0], s[1], s[2]));
  });
}

}  // namespace rvl

using namespace rvl;

namespace {

// The current layer and the page part it holds, when it and the mask exist.
struct LayerAndMask {
  LayerSlot* slot;
  PageWalk walk;
};
LayerAndMask layerAndMask() noexcept {
  LayerSlot* slot = currentSlot();
  if (!slot || !page.mask) return {nullptr, {0, 0}};
  return {slot, pageWalk(*slot)};
}

// A host width or height cut to 0 .. the page's side.
int32_t clipToPage(int32_t value, int32_t pageSide) noexcept { return std::clamp(value, 0, std::max(pageSide, 0)); }

}  // namespace

extern "C" void RVL_SetMaskOptions(int32_t r1, int32_t g1, int32_t b1, int32_t r2, int32_t g2, int32_t b2,
                                   int32_t full) noexcept {
  const int32_t a[3] = {r1, g1, b1}, b[3] = {r2, g2, b2};
  for (int c = 0; c < 3; ++c) {
    compose.maskOverlayColourA[c] = uint16_t(uint8_t(a[c]) << 8);
    compose.maskOverlayColourB[c] = uint16_t(uint8_t(b[c]) << 8);
  }
  compose.maskOverlayFull = full;
}

extern "C" void RVL_InvertMask(void) noexcept {
  rvl::guarded(nullptr, [] {
    if (!page.mask) return;
    invertMask(page.mask, pagePixels());
  });
}

extern "C" void RVL_ClearMask(int32_t red, int32_t green, int32_t blue) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!page.mask) return;
    fillMask(page.mask, pagePixels(), uint16_t(maskGrey(uint16_t(red), uint16_t(green), uint16_t(blue))));
  });
}

extern "C" void RVL_SaveMask(uint8_t* destination, int32_t pitch) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!destination || !page.mask || pitch < 0) return;
    saveMaskRGB24(page.mask, page.pageWidth, page.pageWidth, page.pageHeight, destination, pitch);
  });
}

extern "C" void RVL_LoadMask(const uint8_t* source, int32_t pitch, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!source || !page.mask || pitch < 0) return;
    loadMaskRGB24(source, pitch, clipToPage(width, page.pageWidth), clipToPage(height, page.pageHeight), page.mask,
                  page.pageWidth);
  });
}

extern "C" void RVL_CreateImageFromMask(void) noexcept {
  rvl::guarded(nullptr, [] {
    const LayerAndMask at = layerAndMask();
    if (!at.slot) return;
    imageFromMask(page.mask, page.pageWidth, int32_t(at.walk.columns), int32_t(at.walk.rows), at.slot->pixels,
                  at.slot->width * 4);
  });
}

extern "C" void RVL_CreateAlphaFromMask(void) noexcept {
  rvl::guarded(nullptr, [] {
    const LayerAndMask at = layerAndMask();
    if (!at.slot) return;
    alphaFromMask(page.mask, page.pageWidth, int32_t(at.walk.columns), int32_t(at.walk.rows), at.slot->pixels,
                  at.slot->width * 4);
  });
}

extern "C" void RVL_CreateMaskFromAlpha(void) noexcept {
  rvl::guarded(nullptr, [] {
    const LayerAndMask at = layerAndMask();
    if (!at.slot) return;
    maskFromAlpha(at.slot->pixels, at.slot->width * 4, int32_t(at.walk.columns), int32_t(at.walk.rows), page.mask,
                  page.pageWidth);
  });
}

extern "C" void RVL_CreateMaskFromImage(void) noexcept {
  rvl::guarded(nullptr, [] {
    const LayerAndMask at = layerAndMask();
    if (!at.slot) return;
    maskFromImage(at.slot->pixels, at.slot->width * 4, int32_t(at.walk.columns), int32_t(at.walk.rows), page.mask,
                  page.pageWidth);
  });
}
