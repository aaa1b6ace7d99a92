// The image-processing working buffers: page-sized 8-bit copies of the current layer.
#pragma once

#include <cstdint>

#include "frame/buffer.h"

namespace rvl {

struct IplState {
  Buffer<uint8_t> iplSrcBuffer32;  // RGBA32, pageWidth * 4 bytes per row
  Buffer<uint8_t> iplDstBuffer32;
  Buffer<uint8_t> iplSrcBuffer24;  // RGB24, pageWidth * 3 bytes per row
  Buffer<uint8_t> iplDstBuffer24;
};

extern IplState ipl;

// Releases the four working buffers.
void releaseIplBuffers();

void resetIplState();

}  // namespace rvl
