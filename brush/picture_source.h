// Pictures the engine takes from outside for tips, grit, textures and backgrounds: an
// effect script rendered through the effect-script library, or a picture file read
// through the imaging library. Both arrive as RGBA32 owned by the engine allocator.
#pragma once

#include <cstdint>

namespace rvl {

struct Picture32 {
  uint8_t* pixels;  // RGBA32, width * 4 bytes per row
  int32_t width;
  int32_t height;
};

void releasePicture(Picture32& picture);

// Renders the script at path. loaded tells whether the library took the file as a script
// (then no picture file of that name is to be tried, even when rendering failed).
bool renderScriptPicture(const char* path, Picture32& out, bool& loaded);
// Reads a picture file.
bool readPictureFile(const char* path, Picture32& out);
// Rotates the picture in place by degrees with the library's rotation effect (the
// picture keeps its size). False when the library or the effect is not available.
bool rotatePicture(Picture32& picture, int32_t degrees);

}  // namespace rvl
