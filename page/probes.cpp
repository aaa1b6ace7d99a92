// Single-pixel probes of layers, the back buffer, the trace layer and the mask.
#include <algorithm>
#include <cstring>

#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"
#include "undo/undo.h"

namespace rvl {

namespace {

// A picture the probes can index: pixels with the width and height they really have.
struct Picture {
  const uint16_t* pixels;
  int32_t width, height;
};

// Host buffers and the back buffer are page-sized; a slot is as large as it is, and only
// the part inside the page counts.
Picture pagePicture(const uint16_t* pixels) { return {pixels, page.pageWidth, page.pageHeight}; }
Picture slotPicture(const LayerSlot* slot) {
  if (!slot || !slot->pixels) return {nullptr, 0, 0};
  return {slot->pixels, std::min(slot->width, page.pageWidth), std::min(slot->height, page.pageHeight)};
}
const uint16_t* pixelAt(const Picture& p, int32_t x, int32_t y, int32_t stride) {
  return p.pixels + size_t(y) * size_t(stride) + size_t(x) * 4;
}

uint32_t rgbaPacking(const uint16_t* p) {
  return uint32_t(p[0] >> 8) << 24 | uint32_t(p[1] >> 8) << 16 | uint32_t(p[2] >> 8) << 8 | uint32_t(p[3] >> 8);
}
uint32_t colourPacking(const uint16_t* p) {
  return uint32_t(p[3] >> 8) << 24 | uint32_t(p[0] >> 8) << 16 | uint32_t(p[1] >> 8) << 8 | uint32_t(p[2] >> 8);
}

int32_t rgbaAt(const Picture& p, int32_t stride, int32_t x, int32_t y) {
  if (!p.pixels || p.width <= 0 || p.height <= 0) return 0;
  x = std::clamp(x, 0, p.width - 1);
  y = std::clamp(y, 0, p.height - 1);
  return int32_t(rgbaPacking(pixelAt(p, x, y, stride)));
}

constexpr int32_t kOutside = 0xFFFFFF;

int32_t colourAt(const Picture& p, int32_t stride, int32_t x, int32_t y) {
  if (!p.pixels) return 0;
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return kOutside;
  return int32_t(colourPacking(pixelAt(p, x, y, stride)));
}

const LayerSlot* traceSlot() {
  return (page.traceLayer && page.traceLayer->pixels) ? page.traceLayer : nullptr;
}

uint16_t channelAt(int32_t x, int32_t y, int channel) {
  const LayerSlot* slot = currentSlot();
  if (!slot) return 0;
  const Picture p = slotPicture(slot);
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return 0;
  return pixelAt(p, x, y, slot->stride)[channel];
}

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_GetRed64(int32_t x, int32_t y) { return channelAt(x, y, 0); }
extern "C" int32_t RVL_GetGreen64(int32_t x, int32_t y) { return channelAt(x, y, 1); }
extern "C" int32_t RVL_GetBlue64(int32_t x, int32_t y) { return channelAt(x, y, 2); }
extern "C" int32_t RVL_GetAlpha64(int32_t x, int32_t y) { return channelAt(x, y, 3); }

extern "C" int32_t RVL_GetRGBAAt(int32_t x, int32_t y, const uint16_t* buffer) {
  return rgbaAt(pagePicture(buffer), page.pageStride, x, y);
}
extern "C" int32_t RVL_GetRGBAAtSurface(int32_t x, int32_t y) {
  const LayerSlot* slot = currentSlot();
  return slot ? rgbaAt(slotPicture(slot), slot->stride, x, y) : 0;
}
extern "C" int32_t RVL_GetRGBAAtUnderLayer(int32_t x, int32_t y) {
  return rgbaAt(pagePicture(page.backBuffer.pixels), page.pageStride, x, y);
}
extern "C" int32_t RVL_GetRGBAAtLayer(int32_t x, int32_t y, int32_t index) {
  const LayerSlot* slot = filledSlotAt(index);
  return slot ? rgbaAt(slotPicture(slot), slot->stride, x, y) : 0;
}
extern "C" int32_t RVL_GetRGBAAtTrace(int32_t x, int32_t y) {
  const LayerSlot* slot = traceSlot();
  return slot ? rgbaAt(slotPicture(slot), slot->stride, x, y) : 0;
}

extern "C" int32_t RVL_GetColorAt(int32_t x, int32_t y, const uint16_t* buffer) {
  return colourAt(pagePicture(buffer), page.pageStride, x, y);
}
extern "C" int32_t RVL_GetColorAtSurface(int32_t x, int32_t y) {
  const LayerSlot* slot = currentSlot();
  return slot ? colourAt(slotPicture(slot), slot->stride, x, y) : 0;
}
extern "C" int32_t RVL_GetColorAtUnderLayer(int32_t x, int32_t y) {
  return colourAt(pagePicture(page.backBuffer.pixels), page.pageStride, x, y);
}
extern "C" int32_t RVL_GetColorAtLayer(int32_t x, int32_t y, int32_t index) {
  const LayerSlot* slot = filledSlotAt(index);
  return slot ? colourAt(slotPicture(slot), slot->stride, x, y) : 0;
}
extern "C" int32_t RVL_GetColorAtTrace(int32_t x, int32_t y) {
  const LayerSlot* slot = traceSlot();
  return slot ? colourAt(slotPicture(slot), slot->stride, x, y) : 0;
}
extern "C" int32_t RVL_GetColorAtHistory(int32_t x, int32_t y) {
  if (!RVL_CanUndo()) return 0;
  return colourAt(pagePicture(page.backBuffer.pixels), page.pageStride, x, y);
}

extern "C" int32_t RVL_GetColorAtMerged(int32_t x, int32_t y) {
  return guarded("RVL_GetColorAtMerged Excpt", 0, [&]() -> int32_t {
    if (x < 0 || y < 0 || x >= page.pageWidth || y >= page.pageHeight) return kOutside;
    uint16_t* pixel = allocArray<uint16_t>(4);
    if (!pixel) return 0;
    RVL_MergeRect(pixel, x, y, 1, 1);
    const int32_t colour = int32_t(colourPacking(pixel));
    engineFree(pixel);
    return colour;
  });
}

extern "C" int32_t RVL_GetMask64(int32_t x, int32_t y) {
  if (!currentSlot() || !page.maskEnabled || !page.mask) return 0;
  if (x < 0 || y < 0 || x >= page.pageWidth || y >= page.pageHeight) return 0;
  return 65535 - page.mask[size_t(y) * size_t(page.pageWidth) + size_t(x)];
}

extern "C" int32_t RVL_GetMaskData16(uint16_t* destination) {
  const int32_t bytes = int32_t(pagePixels() * 2);
  if (destination && page.mask) std::memcpy(destination, page.mask, size_t(bytes));
  return bytes;
}

extern "C" int32_t RVL_SetMaskData16(const uint16_t* source) {
  const int32_t bytes = int32_t(pagePixels() * 2);
  if (source && page.mask) std::memcpy(page.mask, source, size_t(bytes));
  return bytes;
}
