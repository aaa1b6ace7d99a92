#include "brush/brush.h"

namespace rvl {

// The paper texture is built by the texture module of the image-brush work; until it
// exists there is no texture to build, and textureBuffer stays absent.
void createTexture(int32_t index) { (void)index; }

}  // namespace rvl
