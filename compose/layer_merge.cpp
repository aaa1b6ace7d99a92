// Merging one layer into another layer or into a host buffer, with the Layer Mask layer
// that acts on it.
#include <algorithm>

#include "frame/guard.h"
#include "compose/compose.h"
#include "page/merge_mode.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

namespace {

// The pixels of the Layer Mask layer above the source, when there is one laid out like the
// source (a mask layer of another size, not yet recreated after a resize, is left out).
const uint16_t* maskPixelsFor(int32_t sourceIndex, const LayerSlot& source) {
  // findMaskLayerAbove answers 0 for "none": slot 0 is the trace layer, never a mask.
  const int32_t maskIndex = findMaskLayerAbove(sourceIndex);
  if (maskIndex == 0) return nullptr;
  const LayerSlot* mask = filledSlotAt(maskIndex);
  if (!mask || mask == &source) return nullptr;
  if (mask->width != source.width || mask->height != source.height) return nullptr;
  return mask->pixels;
}

}  // namespace

int32_t findMaskLayerAbove(int32_t index) {
  const int32_t top = std::min(page.topLayerIndex, kLayerSlots - 1);
  if (index < 0 || index >= top) return 0;
  for (int32_t i = index + 1; i <= top; ++i) {
    const LayerSlot& slot = page.layerTable[i];
    if (slot.pixels && slot.visible) return MergeMode(slot.mergeMode) == MergeMode::LayerMask ? i : 0;
  }
  return 0;
}

void mergeLayer(int32_t sourceIndex, int32_t destinationIndex) {
  const LayerSlot* source = filledSlotAt(sourceIndex);
  LayerSlot* destination = filledSlotAt(destinationIndex);
  if (!source || !destination) return;
  // The whole page, where both layers hold pixels; each layer is walked with its own row
  // length.
  const int32_t width = std::min({page.pageWidth, source->width, destination->width});
  const int32_t height = std::min({page.pageHeight, source->height, destination->height});
  if (width <= 0 || height <= 0) return;
  const uint16_t* mask = maskPixelsFor(sourceIndex, *source);
  // Two layers of the same alpha mode merge by replacement.
  const bool sameMode = source->mergeMode == destination->mergeMode && hasAlphaStage(source->mergeMode);
  MergePixels(source->pixels, 0, 0, width, height, source->width * 4, mask, destination->pixels,
              0, 0, destination->width * 4, source->mergeMode, mask ? kLayerMaskMode : 0,
              source->opacity, false, sameMode);
}

void mergeLayerIntoRect(int32_t sourceIndex, uint16_t* destination, int32_t x, int32_t y,
                        int32_t width, int32_t height) {
  const LayerSlot* source = filledSlotAt(sourceIndex);
  if (!source || !destination || width <= 0 || height <= 0) return;
  if (width > INT32_MAX / 4) return;  // no buffer of that many columns can be addressed
  // The part of the rectangle inside the page and the layer; it lands in the buffer at its
  // offset from the rectangle's corner.
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>({int64_t(x) + width, page.pageWidth, source->width});
  const int64_t bottom = std::min<int64_t>({int64_t(y) + height, page.pageHeight, source->height});
  if (right <= left || bottom <= top) return;
  MergePixels(source->pixels, int32_t(left), int32_t(top), int32_t(right - left),
              int32_t(bottom - top), source->width * 4, maskPixelsFor(sourceIndex, *source),
              destination, int32_t(left - x), int32_t(top - y), width * 4, source->mergeMode,
              kLayerMaskMode, source->opacity, false, false);
}

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_MergeLayer(int32_t sourceIndex, int32_t destinationIndex) noexcept {
  rvl::guarded(nullptr, [&] {
    mergeLayer(sourceIndex, destinationIndex);
  });
}

extern "C" void RVL_MergeLayerIntoRect(int32_t sourceIndex, uint16_t* destination, int32_t x,
                                       int32_t y, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    mergeLayerIntoRect(sourceIndex, destination, x, y, width, height);
  });
}

extern "C" void RVL_MergeLayerInto(int32_t sourceIndex, uint16_t* destination) noexcept {
  rvl::guarded(nullptr, [&] {
    mergeLayerIntoRect(sourceIndex, destination, 0, 0, page.pageWidth, page.pageHeight);
  });
}
