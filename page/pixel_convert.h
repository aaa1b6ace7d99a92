// Conversions between the 8-bit exchange formats and the layers' RGBA64 pixels:
// 8 to 16 bits is value * 256, 16 to 8 bits is the high byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "page/page.h"

namespace rvl {

// Packed buffers (rows follow each other directly).
void ExpandRGBA32ToRGBA64(const uint8_t* source, uint16_t* destination, int32_t width, int32_t height);
void ReduceRGBA64ToRGBA32(const uint16_t* source, uint8_t* destination, int32_t width, int32_t height);

// One row of count pixels.
void reduceRowRGBA32(const uint16_t* source, uint8_t* destination, size_t count);
void reduceRowRGB24(const uint16_t* source, uint8_t* destination, size_t count);

// The part of a page-sized walk that a slot really holds: the page size, cut to the
// slot's own size when the two differ (a layer not yet recreated after a resize).
struct PageWalk {
  size_t columns;
  size_t rows;
};
inline PageWalk pageWalk(const LayerSlot& slot) noexcept {
  auto cut = [](int32_t a, int32_t b) { return size_t(a < b ? (a > 0 ? a : 0) : (b > 0 ? b : 0)); };
  return PageWalk{cut(page.pageWidth, slot.width), cut(page.pageHeight, slot.height)};
}
inline uint16_t* slotRow(const LayerSlot& slot, size_t row) noexcept {
  return slot.pixels + row * size_t(slot.width) * 4;
}

// The current layer when one is selected and holds pixels, else null.
inline LayerSlot* currentSlot() noexcept {
  return (page.currentLayer && page.currentLayer->pixels) ? page.currentLayer : nullptr;
}

}  // namespace rvl
