// Single-pixel probes of layers, the back buffer, the trace layer and the mask.
#include <algorithm>
#include <cstring>

#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/layer_read.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

namespace rvl {

namespace {

// Probes read page-sized pictures (hostPicture, slotPicture): host buffers and the back
// buffer are page-sized; a slot is as large as it is, and only the part inside the page
// counts.
const uint16_t* pixelAt(const PagePicture& p, int32_t x, int32_t y) noexcept {
  return p.pixels + size_t(y) * size_t(p.stride) + size_t(x) * 4;
}

uint32_t rgbaPacking(const uint16_t* p) noexcept {
  return uint32_t(p[0] >> 8) << 24 | uint32_t(p[1] >> 8) << 16 | uint32_t(p[2] >> 8) << 8 | uint32_t(p[3] >> 8);
}
uint32_t colourPacking(const uint16_t* p) noexcept {
  return uint32_t(p[3] >> 8) << 24 | uint32_t(p[0] >> 8) << 16 | uint32_t(p[1] >> 8) << 8 | uint32_t(p[2] >> 8);
}

// RGBA packing of the pixel, the position held to the picture; 0 without pixels.
int32_t rgbaAt(const PagePicture& p, int32_t x, int32_t y) noexcept {
  if (!p.pixels || p.width <= 0 || p.height <= 0) return 0;
  x = std::clamp(x, 0, p.width - 1);
  y = std::clamp(y, 0, p.height - 1);
  return int32_t(rgbaPacking(pixelAt(p, x, y)));
}

constexpr int32_t kOutside = 0xFFFFFF;

// Colour packing of the pixel, kOutside beyond the picture; 0 without pixels.
int32_t colourAt(const PagePicture& p, int32_t x, int32_t y) noexcept {
  if (!p.pixels) return 0;
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return kOutside;
  return int32_t(colourPacking(pixelAt(p, x, y)));
}

const LayerSlot* traceSlot() noexcept {
  return (page.traceLayer && page.traceLayer->pixels) ? page.traceLayer : nullptr;
}

uint16_t channelAt(int32_t x, int32_t y, int channel) noexcept {
  const PagePicture p = slotPicture(currentSlot());
  if (!p.pixels || x < 0 || y < 0 || x >= p.width || y >= p.height) return 0;
  return pixelAt(p, x, y)[channel];
}

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_GetRed64(int32_t x, int32_t y) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t { return channelAt(x, y, 0); });
}
extern "C" int32_t RVL_GetGreen64(int32_t x, int32_t y) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t { return channelAt(x, y, 1); });
}
extern "C" int32_t RVL_GetBlue64(int32_t x, int32_t y) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t { return channelAt(x, y, 2); });
}
extern "C" int32_t RVL_GetAlpha64(int32_t x, int32_t y) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t { return channelAt(x, y, 3); });
}

// Each source answers in both packings: RGBA (position held to the picture) and colour
// (kOutside beyond it). An empty source answers 0.
extern "C" int32_t RVL_GetRGBAAt(int32_t x, int32_t y, const uint16_t* buffer) noexcept { return rgbaAt(hostPicture(buffer), x, y); }
extern "C" int32_t RVL_GetColorAt(int32_t x, int32_t y, const uint16_t* buffer) noexcept { return colourAt(hostPicture(buffer), x, y); }
extern "C" int32_t RVL_GetRGBAAtSurface(int32_t x, int32_t y) noexcept { return rgbaAt(slotPicture(currentSlot()), x, y); }
extern "C" int32_t RVL_GetColorAtSurface(int32_t x, int32_t y) noexcept { return colourAt(slotPicture(currentSlot()), x, y); }
extern "C" int32_t RVL_GetRGBAAtUnderLayer(int32_t x, int32_t y) noexcept { return rgbaAt(hostPicture(page.backBuffer.pixels), x, y); }
extern "C" int32_t RVL_GetColorAtUnderLayer(int32_t x, int32_t y) noexcept { return colourAt(hostPicture(page.backBuffer.pixels), x, y); }
extern "C" int32_t RVL_GetRGBAAtLayer(int32_t x, int32_t y, int32_t index) noexcept { return rgbaAt(slotPicture(filledSlotAt(index)), x, y); }
extern "C" int32_t RVL_GetColorAtLayer(int32_t x, int32_t y, int32_t index) noexcept { return colourAt(slotPicture(filledSlotAt(index)), x, y); }
extern "C" int32_t RVL_GetRGBAAtTrace(int32_t x, int32_t y) noexcept { return rgbaAt(slotPicture(traceSlot()), x, y); }
extern "C" int32_t RVL_GetColorAtTrace(int32_t x, int32_t y) noexcept { return colourAt(slotPicture(traceSlot()), x, y); }

extern "C" int32_t RVL_GetColorAtHistory(int32_t x, int32_t y) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    if (!RVL_CanUndo()) return 0;
    return colourAt(hostPicture(page.backBuffer.pixels), x, y);
  });
}

extern "C" int32_t RVL_GetColorAtMerged(int32_t x, int32_t y) noexcept {
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

extern "C" int32_t RVL_GetMask64(int32_t x, int32_t y) noexcept {
  if (!currentSlot() || !page.maskEnabled || !page.mask) return 0;
  if (x < 0 || y < 0 || x >= page.pageWidth || y >= page.pageHeight) return 0;
  return 65535 - page.mask[size_t(y) * size_t(page.pageWidth) + size_t(x)];
}

extern "C" int32_t RVL_GetMaskData16(uint16_t* destination) noexcept {
  const int32_t bytes = int32_t(pagePixels() * 2);
  if (destination && page.mask) std::memcpy(destination, page.mask, size_t(bytes));
  return bytes;
}

extern "C" int32_t RVL_SetMaskData16(const uint16_t* source) noexcept {
  const int32_t bytes = int32_t(pagePixels() * 2);
  if (source && page.mask) std::memcpy(page.mask, source, size_t(bytes));
  return bytes;
}
