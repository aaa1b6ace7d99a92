#include "brush/brush.h"
#include "frame/allocator.h"

namespace rvl {

void releaseShapeSource() {
  release(brush.shapeSourceImage);
  brush.shapeSourceWidth = brush.shapeSourceHeight = 0;
  brush.shapeSourceName[0] = 0;
  brush.shapeSourceAngle = 0;
}

}  // namespace rvl
