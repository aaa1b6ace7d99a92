#include "brush/brush.h"
#include "frame/allocator.h"

namespace rvl {

BrushState brush{};

void releasePaintLayer() { release(brush.paintLayer.slot.pixels); }

void resetBrushState() {
  releasePaintLayer();
  releaseShapeSource();
  brush = BrushState{};
}

}  // namespace rvl
