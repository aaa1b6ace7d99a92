#include "brush/brush.h"

namespace rvl {

// The paper texture is built by the texture module of the image-brush work; until it
// exists there is no texture to build, and textureBuffer stays absent.
void createTexture(int32_t index) { (void)index; }

namespace {
bool isTextureSource(const LayerSlot* slot) {
  return slot && slot->visible && slot->mergeMode == kMergeModeTexturize3;
}
}  // namespace

void textureLayerSelected(int32_t previous, int32_t index) {
  if (index != previous && isTextureSource(slotAt(previous))) createTexture(previous);
}

void textureLayerOptionsSet(int32_t index) {
  if (index != page.currentLayerIndex && isTextureSource(slotAt(index))) createTexture(index);
}

void releaseBrushPageBuffers() {
  releasePaintLayer();
  releaseShapeSource();
  // The grit position points into the grit buffers, which go with the page: the next
  // grit dab chooses a pattern in the new ones.
  brush.currentGrit = GritPosition{-1, 0};
}

}  // namespace rvl
