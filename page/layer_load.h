// Writing host pictures into layers.
#pragma once

#include <cstdint>

namespace rvl {

// The central write of an RGBA32 picture into a slot at (x, y), clipped to the slot.
// With apply set and a mask or texture present, coverage from the texture and the mask
// blends the picture over the layer; otherwise it is stored as it is. A transparency
// lock keeps the layer's alpha.
void loadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool apply);

}  // namespace rvl
