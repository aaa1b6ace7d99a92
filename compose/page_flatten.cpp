// Flattening the visible layers into a host buffer.
#include <algorithm>
#include <cstring>

#include "frame/guard.h"
#include "compose/compose.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

void mergeRect(uint16_t* destination, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!destination || width <= 0 || height <= 0 || width > INT32_MAX / 4) return;
  std::memset(destination, 0, size_t(width) * size_t(height) * 8);
  // The background is copied as it is (its mode and opacity do not apply), where it holds
  // pixels inside the page.
  const LayerSlot* background = filledSlotAt(kBackgroundSlot);
  if (background && background->visible == 1) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>({int64_t(x) + width, page.pageWidth, background->width});
    const int64_t bottom =
        std::min<int64_t>({int64_t(y) + height, page.pageHeight, background->height});
    for (int64_t row = top; row < bottom && left < right; ++row)
      std::memcpy(destination + ((row - y) * width + (left - x)) * 4,
                  background->pixels + (row * background->width + left) * 4,
                  size_t(right - left) * 8);
  }
  for (int32_t index = kBackgroundSlot + 1; index < kLayerSlots; ++index) {
    const LayerSlot& slot = page.layerTable[index];
    if (slot.pixels && slot.visible) mergeLayerIntoRect(index, destination, x, y, width, height);
  }
}

}  // namespace rvl

extern "C" void RVL_MergeRect(uint16_t* destination, int32_t x, int32_t y, int32_t width,
                              int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    rvl::mergeRect(destination, x, y, width, height);
  });
}

extern "C" void RVL_Merge(uint16_t* destination) noexcept {
  rvl::guarded(nullptr, [&] {
    rvl::mergeRect(destination, 0, 0, rvl::page.pageWidth, rvl::page.pageHeight);
  });
}
