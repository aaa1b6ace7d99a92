// The end of a stroke painted into the paint layer: its changed rectangle merged into a
// layer with the paint layer's mode and opacity.
#include <algorithm>

#include "frame/guard.h"
#include "brush/brush.h"
#include "compose/compose.h"
#include "page/page.h"
#include "ravelin.h"

using namespace rvl;

extern "C" void RVL_MergePaintLayer(int32_t index) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot& s = brush.paintLayer.slot;
    LayerSlot* target = filledSlotAt(index);
    if (s.pixels && target) {
      // The changed rectangle, cut to what both the paint layer and the target hold.
      const PaintLayer& p = brush.paintLayer;
      const int32_t left = std::max(p.minX, 0), top = std::max(p.minY, 0);
      const int32_t right = std::min({p.maxX, s.width, target->width});
      const int32_t bottom = std::min({p.maxY, s.height, target->height});
      if (left < right && top < bottom)
        MergePixels(s.pixels, left, top, right - left, bottom - top, s.stride, nullptr, target->pixels, left, top,
                    target->stride, s.mergeMode, 0, s.opacity, false, false);
    }
    clearPaintLayer();
  });
}
