// Brush engine state that the page creates and releases with itself.
#pragma once

#include <cstdint>

#include "page/page.h"

namespace rvl {

// The separate stroke layer: a LayerSlot followed by its changed rectangle.
struct PaintLayer {
  LayerSlot slot;
  int32_t minX, minY, maxX, maxY;  // max exclusive; empty is (pageWidth, pageHeight, 0, 0)
};

struct BrushState {
  PaintLayer paintLayer;
  // The tip-source cache: RGBA32 pixels of the last tip source, after rotation.
  uint8_t* shapeSourceImage;
  int32_t shapeSourceWidth;
  int32_t shapeSourceHeight;
  char shapeSourceName[1024];
  int32_t shapeSourceAngle;
};

extern BrushState brush;

// Releases the paint layer's pixels (painting returns to the current layer).
void releasePaintLayer();
// Releases the tip-source cache.
void releaseShapeSource();
// Builds the paper texture from the slot at index (a visible Texturize3 layer).
void createTexture(int32_t index);

void resetBrushState();

}  // namespace rvl
