// Results restricted by the selection mask and the paper texture before they go back into
// a layer, and the premultiply / restore pair around filters, for RGBA32 and RGBA64.
#include <algorithm>

#include "compose/compose.h"
#include "frame/guard.h"
#include "frame/parallel_rows.h"
#include "page/coverage.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"
#include "select/select.h"

namespace rvl {

namespace {

// One row of the restriction; the texture and the mask are decided once per row (an
// absent one is neutral at compile time).
template <bool Texture, bool Mask>
void restrictRow(uint8_t* p, const uint8_t* texture, const uint16_t* mask, int32_t count) {
  for (int32_t i = 0; i < count; ++i, p += 4) {
    const uint32_t f = restrictionFactor(Texture ? texture[i] : kNoTexture, Mask ? mask[i] : kNoMask);
    if (f == kFullCoverage) continue;  // trunc(1 x alpha) = alpha
    p[3] = uint8_t(restrictedAlpha(p[3], f));
  }
}

}  // namespace

void restrictByMaskAndTexture(uint8_t* rgba, int64_t rgbaPitch, const uint8_t* texture, const uint16_t* mask,
                              int32_t mapPitch, int32_t columns, int32_t rows) {
  if (!texture && !mask) return;
  parallelRows(rows, columns, kSplitPagePixels, [&](int32_t first, int32_t end, int32_t) {
    for (int32_t row = first; row < end; ++row) {
      uint8_t* p = rgba + int64_t(row) * rgbaPitch;
      const size_t at = size_t(row) * size_t(mapPitch);
      if (texture && mask)
        restrictRow<true, true>(p, texture + at, mask + at, columns);
      else if (texture)
        restrictRow<true, false>(p, texture + at, nullptr, columns);
      else
        restrictRow<false, true>(p, nullptr, mask + at, columns);
    }
  });
}

void unpremultiplyForAlphaComp(uint8_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 0) continue;
    for (int c = 0; c < 3; ++c) rgba[c] = uint8_t(std::min<uint32_t>(255, uint32_t(rgba[c]) * 255 / a));
  }
}

void preFilterRGBA32(uint8_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 0 || a == 255) continue;
    const double k = double(a) / 255.0;
    for (int c = 0; c < 3; ++c) rgba[c] = uint8_t(k * double(rgba[c] + 1));  // below 255 for a < 255
  }
}

void postFilterRGBA32(uint8_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 0 || a == 255) continue;
    for (int c = 0; c < 3; ++c) rgba[c] = uint8_t(std::min<uint32_t>(255, uint32_t(rgba[c]) * 255 / a));
  }
}

void preFilterRGBA64(uint16_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 0) continue;
    const double k = double(a) / 65535.0;
    for (int c = 0; c < 3; ++c) rgba[c] = uint16_t(k * double(rgba[c]));  // at most c
  }
}

void postFilterRGBA64(uint16_t* rgba, size_t count) {
  for (size_t i = 0; i < count; ++i, rgba += 4) {
    const uint32_t a = rgba[3];
    if (a == 0) continue;
    for (int c = 0; c < 3; ++c) rgba[c] = uint16_t(std::min<uint32_t>(65535, uint32_t(rgba[c]) * 65535 / a));
  }
}

}  // namespace rvl

using namespace rvl;

namespace {

// The restriction of a width x height RGBA32 picture placed at page (x, y): only its part
// inside the page, its rows w pixels apart whatever the clipping.
void restrictPlaced(uint8_t* buffer, int32_t x, int32_t y, int32_t width, int32_t height) {
  const CoverageMaps maps = pageCoverageMaps();
  if (!buffer || width <= 0 || height <= 0 || (!maps.texture && !maps.mask)) return;
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t(x) + width, page.pageWidth);
  const int64_t bottom = std::min<int64_t>(int64_t(y) + height, page.pageHeight);
  if (left >= right || top >= bottom) return;
  const int64_t pitch = int64_t(width) * 4;
  uint8_t* first = buffer + (top - y) * pitch + (left - x) * 4;
  const size_t at = size_t(top) * size_t(page.pageWidth) + size_t(left);
  restrictByMaskAndTexture(first, pitch, maps.texture ? maps.texture + at : nullptr, maps.mask ? maps.mask + at : nullptr,
                           page.pageWidth, int32_t(right - left), int32_t(bottom - top));
}

// Runs kernel(row start, pixels) over the part of a packed width x height picture that
// lies on the page from (0, 0), rows width pixels apart.
template <class T, class Kernel>
void eachPackedRow(T* buffer, int32_t width, int32_t height, int32_t channels, Kernel kernel) {
  if (!buffer || width <= 0 || height <= 0) return;
  const int32_t columns = std::min(width, page.pageWidth), rows = std::min(height, page.pageHeight);
  if (columns <= 0 || rows <= 0) return;
  parallelRows(rows, columns, kSplitPagePixels, [&](int32_t first, int32_t end, int32_t) {
    for (int32_t row = first; row < end; ++row)
      kernel(buffer + size_t(row) * size_t(width) * size_t(channels), size_t(columns));
  });
}

}  // namespace

extern "C" void RVL_AdjustRGBA32ByMaskAndTexture(uint8_t* buffer, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] { restrictPlaced(buffer, 0, 0, width, height); });
}

extern "C" void RVL_AdjustRGBA32RectByMaskAndTexture(uint8_t* buffer, int32_t x, int32_t y, int32_t width,
                                                     int32_t height) noexcept {
  rvl::guarded(nullptr, [&] { restrictPlaced(buffer, x, y, width, height); });
}

extern "C" void RVL_AdjustRGBA32ForAlphaComp(int32_t flag, uint8_t* buffer) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!uint8_t(flag)) return;
    eachPackedRow(buffer, page.pageWidth, page.pageHeight, 4, unpremultiplyForAlphaComp);
  });
}

extern "C" void RVL_AdjustRGBA32PreFilter(uint8_t* buffer, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] { eachPackedRow(buffer, width, height, 4, preFilterRGBA32); });
}

extern "C" void RVL_AdjustRGBA32PostFilter(uint8_t* buffer, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] { eachPackedRow(buffer, width, height, 4, postFilterRGBA32); });
}

extern "C" void RVL_AdjustRGBA64PreFilter(uint16_t* buffer, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] { eachPackedRow(buffer, width, height, 4, preFilterRGBA64); });
}

extern "C" void RVL_AdjustRGBA64PostFilter(uint16_t* buffer, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] { eachPackedRow(buffer, width, height, 4, postFilterRGBA64); });
}

// The superseded load of a page-sized picture: restricted (when apply is set), the
// current layer cleared through the mask, then the picture merged over the slot.
extern "C" void RVL_LoadRGBA32Layer_BAD(uint8_t* source, int32_t ignored, int32_t index, int32_t width,
                                        int32_t height, int32_t apply) noexcept {
  (void)ignored;
  rvl::guarded("LoadRGBA32Layer Excpt", [&] {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot || !source) return;
    if (uint8_t(apply)) restrictPlaced(source, 0, 0, width, height);
    // The clear empties the selected part of the layer the picture is merged into; a
    // picture for another slot leaves the current layer alone.
    if (slot == currentSlot()) RVL_ClearMasked(0, 0, 0, 0);
    mergeRGBA32IntoLayer(source, index, 0, 0, 255, slot->lockTransparency != 0);
  });
}
