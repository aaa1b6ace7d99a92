// Merging a computed page-sized RGBA32 picture over a layer.
#include <algorithm>

#include "compose/compose.h"
#include "frame/allocator.h"
#include "page/page.h"
#include "page/pixel_convert.h"

namespace rvl {

void mergeRGBA32IntoLayer(const uint8_t* picture, int32_t destinationIndex, int32_t mergeMode,
                          int32_t maskMode, int32_t opacity, bool keepAlpha) {
  LayerSlot* destination = filledSlotAt(destinationIndex);
  if (!picture || !destination) return;
  const int32_t width = std::min(page.pageWidth, destination->width);
  const int32_t height = std::min(page.pageHeight, destination->height);
  if (width <= 0 || height <= 0) return;
  uint16_t* wide = allocArray<uint16_t>(pagePixels() * 4);
  if (!wide) return;
  ExpandRGBA32ToRGBA64(picture, wide, page.pageWidth, page.pageHeight);
  MergePixels(wide, 0, 0, width, height, page.pageWidth * 4, nullptr, destination->pixels, 0, 0,
              destination->width * 4, mergeMode, maskMode, opacity, keepAlpha, false);
  release(wide);
}

}  // namespace rvl
