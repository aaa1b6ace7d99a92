// Reading layers out to host pictures.
#pragma once

#include <algorithm>
#include <cstdint>

#include "page/page.h"

namespace rvl {

// A page-sized RGBA64 picture to read from: pixels with the width and height they really
// have and the row stride in channel units; no pixels for an empty source.
struct PagePicture {
  const uint16_t* pixels;
  int32_t width, height, stride;
};

// A host buffer or the back buffer: page size and page pitch assumed.
inline PagePicture hostPicture(const uint16_t* pixels) noexcept {
  return {pixels, page.pageWidth, page.pageHeight, page.pageStride};
}

// A slot, where it lies on the page; no pixels for an empty slot or none.
inline PagePicture slotPicture(const LayerSlot* slot) noexcept {
  if (!slot || !slot->pixels) return {nullptr, 0, 0, 0};
  return {slot->pixels, std::min(slot->width, page.pageWidth), std::min(slot->height, page.pageHeight), slot->stride};
}

// Reduces the slot's page-sized walk to RGBA32; returns pageHeight, 0 for an empty slot.
int32_t getRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t index);

}  // namespace rvl
