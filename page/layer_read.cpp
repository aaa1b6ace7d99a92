// Layers out to host pictures; none of these changes a layer.
#include <algorithm>
#include <climits>
#include <cstring>

#include "frame/guard.h"
#include "page/layer_read.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

namespace rvl {

// Reduces the slot's page-sized walk into a host buffer, one row converter per format.
template <class RowConverter>
int32_t readLayer(const LayerSlot* slot, uint8_t* destination, int32_t pitch, RowConverter convert) {
  if (!slot || !destination) return 0;
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row)
    convert(slotRow(*slot, row), destination + int64_t(row) * pitch, walk.columns);
  return page.pageHeight;
}

int32_t getRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t index) {
  return readLayer(filledSlotAt(index), destination, pitch, reduceRowRGBA32);
}

}  // namespace rvl

using namespace rvl;

namespace {

void alphaRowGrey(const uint16_t* s, uint8_t* d, size_t count) {
  for (size_t i = 0; i < count; ++i, s += 4, d += 3) d[0] = d[1] = d[2] = uint8_t(s[3] >> 8);
}

// Reduces height rows of width pixels from a source whose first pixel is given.
template <class RowConverter>
void reduceRect(uint8_t* destination, int32_t destinationPitch, const uint16_t* source,
                int32_t sourcePitch, int32_t width, int32_t height, RowConverter convert) {
  if (!destination || !source || width <= 0 || height <= 0) return;
  const uint8_t* s = reinterpret_cast<const uint8_t*>(source);
  for (int32_t row = 0; row < height; ++row)
    convert(reinterpret_cast<const uint16_t*>(s + int64_t(row) * sourcePitch),
            destination + int64_t(row) * destinationPitch, size_t(width));
}

// A rectangle at pixel (x, y) of a source whose rows are sourceWidth pixels long, reduced
// into a packed destination of bytesPerPixel bytes a pixel. The packed forms compute their
// pitches from the widths: widths whose pitch would not fit 32 bits are refused.
template <class RowConverter>
void reducePackedRect(const uint16_t* source, int32_t x, int32_t y, int32_t width, int32_t height,
                      int32_t sourceWidth, uint8_t* destination, int32_t bytesPerPixel, RowConverter convert) {
  if (!source || x < 0 || y < 0 || sourceWidth <= 0 || sourceWidth > INT32_MAX / 8 || width > INT32_MAX / 8) return;
  reduceRect(destination, width * bytesPerPixel, source + (int64_t(y) * sourceWidth + x) * 4, sourceWidth * 8,
             width, height, convert);
}

}  // namespace

extern "C" int32_t RVL_GetRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t index) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return getRGBA32Layer(destination, pitch, index);
  });
}

extern "C" int32_t RVL_GetRGBA32(uint8_t* destination, int32_t pitch) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return readLayer(currentSlot(), destination, pitch, reduceRowRGBA32);
  });
}

extern "C" int32_t RVL_GetRGB24Layer(uint8_t* destination, int32_t pitch, int32_t index) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return readLayer(filledSlotAt(index), destination, pitch, reduceRowRGB24);
  });
}

extern "C" int32_t RVL_GetRGB24(uint8_t* destination, int32_t pitch) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return readLayer(currentSlot(), destination, pitch, reduceRowRGB24);
  });
}

extern "C" void RVL_GetRGB24FromAlpha(uint8_t* destination, int32_t pitch) noexcept {
  rvl::guarded(nullptr, [&] {
    readLayer(currentSlot(), destination, pitch, alphaRowGrey);
  });
}

extern "C" void RVL_GetRGBA64LayerRect(uint16_t* destination, int32_t pitch, int32_t index, int32_t x,
                                       int32_t y, int32_t width, int32_t height) noexcept {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !destination || width <= 0 || height <= 0) return;
  // Only the part of the rectangle inside the slot is copied; the rest of the
  // destination is left as it is.
  const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t(x) + width, slot->width);
  const int64_t bottom = std::min<int64_t>(int64_t(y) + height, slot->height);
  if (left >= right || top >= bottom) return;
  uint8_t* d = reinterpret_cast<uint8_t*>(destination);
  for (int64_t row = top; row < bottom; ++row)
    std::memcpy(d + (row - y) * pitch + (left - x) * 8, slotRow(*slot, size_t(row)) + left * 4,
                size_t(right - left) * 8);
}

extern "C" void RVL_GetRGBA64Layer(uint16_t* destination, int32_t pitch, int32_t index) noexcept {
  RVL_GetRGBA64LayerRect(destination, pitch, index, 0, 0, page.pageWidth, page.pageHeight);
}

extern "C" void RVL_GetLayerData(void* destination, int32_t index) noexcept {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !destination) return;
  const size_t bytes = std::min(pagePixels(), size_t(slot->width) * size_t(slot->height)) * 8;
  std::memcpy(destination, slot->pixels, bytes);
}

extern "C" void RVL_RGBA64RectToRGBA32(const uint16_t* source, int32_t x, int32_t y, int32_t width,
                                       int32_t height, int32_t sourceWidth, int32_t /*ignored*/,
                                       uint8_t* destination) noexcept {
  rvl::guarded(nullptr, [&] {
    reducePackedRect(source, x, y, width, height, sourceWidth, destination, 4, reduceRowRGBA32);
  });
}

extern "C" void RVL_RGBA64RectToRGBA24(const uint16_t* source, int32_t x, int32_t y, int32_t width,
                                       int32_t height, int32_t sourceWidth, int32_t /*ignored*/,
                                       uint8_t* destination) noexcept {
  rvl::guarded(nullptr, [&] {
    reducePackedRect(source, x, y, width, height, sourceWidth, destination, 3, reduceRowRGB24);
  });
}

// The source address is the rectangle's first pixel: x and y do not move it.
extern "C" void RVL_GetRGBA32FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                            const uint16_t* source, int32_t sourcePitch, int32_t /*x*/,
                                            int32_t /*y*/, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    reduceRect(destination, destinationPitch, source, sourcePitch, width, height, reduceRowRGBA32);
  });
}

extern "C" void RVL_GetRGBA32FromRGBA64(uint8_t* destination, int32_t destinationPitch, int32_t width,
                                        int32_t height, const uint16_t* source, int32_t sourcePitch) noexcept {
  rvl::guarded(nullptr, [&] {
    reduceRect(destination, destinationPitch, source, sourcePitch, width, height, reduceRowRGBA32);
  });
}

extern "C" void RVL_GetRGB24FromRGBA64Rect(uint8_t* destination, int32_t destinationPitch,
                                           const uint16_t* source, int32_t sourcePitch, int32_t /*x*/,
                                           int32_t /*y*/, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    reduceRect(destination, destinationPitch, source, sourcePitch, width, height, reduceRowRGB24);
  });
}

extern "C" void RVL_GetRGB24FromRGBA64(uint8_t* destination, int32_t destinationPitch,
                                       const uint16_t* source, int32_t sourcePitch) noexcept {
  rvl::guarded(nullptr, [&] {
    reduceRect(destination, destinationPitch, source, sourcePitch, page.pageWidth, page.pageHeight,
               reduceRowRGB24);
  });
}

extern "C" void RVL_FindDataExtentsLayer(int32_t index, int32_t* left, int32_t* top, int32_t* right,
                                         int32_t* bottom) noexcept {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !left || !top || !right || !bottom) return;
  *left = page.pageWidth;
  *top = page.pageHeight;
  *right = 0;
  *bottom = 0;
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row) {
    const uint16_t* p = slotRow(*slot, row);
    for (size_t col = 0; col < walk.columns; ++col) {
      if (!p[col * 4 + 3]) continue;
      *left = std::min(*left, int32_t(col));
      *right = std::max(*right, int32_t(col));
      *top = std::min(*top, int32_t(row));
      *bottom = std::max(*bottom, int32_t(row));
    }
  }
}
