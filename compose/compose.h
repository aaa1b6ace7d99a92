// Compositing: the merge engine shared by every layer merge, the page-buffer merge and
// the view renderer.
#pragma once

#include <cstdint>

namespace rvl {

struct ComposeState {
  // The alpha most alpha modes give the pixels they keep (65535 at load).
  uint16_t alphaLayerOpacity = 65535;
  // The renderer copies an output row that shows the same page row and mask row as the
  // row above instead of compositing it again (on at load; tests turn it off to compare
  // with the plain path).
  bool reuseViewRows = true;
  // Tests only: every merged pixel takes the plain per-pixel path (off at load).
  bool plainMergeOnly = false;
  // Large merges and renders split their rows between two threads (on at load).
  bool mergeThreads = true;
  // The view's mask overlay, set with the mask options: colours red, green, blue, each an
  // 8-bit value x 256, A on odd squares of the 32-pixel checkerboard, B on even ones;
  // non-zero maskOverlayFull draws it at full strength instead of half.
  uint16_t maskOverlayColourA[3] = {};
  uint16_t maskOverlayColourB[3] = {};
  int32_t maskOverlayFull = 0;
};

extern ComposeState compose;

void resetComposeState();

// Combines the width x height rectangle of source at (sourceX, sourceY) with destination
// at (destinationX, destinationY), pixel by pixel, rows top to bottom. Strides are in
// 16-bit channel units. maskLayer, when given and maskMode is 39 ("Layer Mask"), is laid
// out exactly like the source and scales the source alpha by its grey level. No clipping
// happens here: callers pass rectangles inside both buffers.
void MergePixels(const uint16_t* source, int32_t sourceX, int32_t sourceY, int32_t width,
                 int32_t height, int32_t sourceStride, const uint16_t* maskLayer,
                 uint16_t* destination, int32_t destinationX, int32_t destinationY,
                 int32_t destinationStride, int32_t mergeMode, int32_t maskMode, int32_t opacity,
                 bool keepDestinationAlpha, bool sameMode);

// The index of the first filled, visible slot above index (up to topLayerIndex) when it
// is a "Layer Mask" layer, else 0.
int32_t findMaskLayerAbove(int32_t index);

// The merge exports' bodies. Indexes of empty slots do nothing; rectangles are clipped to
// the page and to the layers they touch.
void mergeLayer(int32_t sourceIndex, int32_t destinationIndex);
void mergeLayerIntoRect(int32_t sourceIndex, uint16_t* destination, int32_t x, int32_t y,
                        int32_t width, int32_t height);
void mergeRect(uint16_t* destination, int32_t x, int32_t y, int32_t width, int32_t height);

// Merges a page-sized packed RGBA32 picture over the slot at destinationIndex with the
// given merge mode, mask mode, opacity (255 and 256 mean full) and keep-alpha flag: the
// picture is widened into a temporary RGBA64 buffer and merged where the slot and the
// page overlap. Nothing happens for an empty slot or when the buffer cannot be had.
void mergeRGBA32IntoLayer(const uint8_t* picture, int32_t destinationIndex, int32_t mergeMode,
                          int32_t maskMode, int32_t opacity, bool keepAlpha);

namespace testing {
// Turns the renderer's row copying on or off.
void setViewRowReuse(bool enabled);
// Sends every MergePixels call through the plain per-pixel path (or back to the fast
// paths).
void setPlainMergeOnly(bool enabled);
// Allows or forbids the row-split threads of large merges and renders.
void setComposeThreads(bool enabled);
}  // namespace testing

}  // namespace rvl
