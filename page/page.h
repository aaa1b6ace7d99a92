// The page: its size, the 64 layer slots, the mask, the back buffer and the brush's
// working buffers. Every subsystem reads and writes the page through these names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame/buffer.h"
#include "page/merge_mode.h"  // merge-mode codes and names
#include "platform/window.h"

namespace rvl {

inline constexpr int kLayerSlots = 64;
inline constexpr int kTraceSlot = 0;
inline constexpr int kBackgroundSlot = 1;
inline constexpr int kMaxPageSide = 10000;
inline constexpr int kMaxBrushBufferSize = 10000;
inline constexpr int kGritBuffers = 20;
inline constexpr int kModeNameSize = 50;
inline constexpr int kRandArrayLength = 1000000;

// One layer: RGBA64 pixels (red, green, blue, alpha; not premultiplied), rows top to
// bottom without padding. pixels == null means the slot is empty.
struct LayerSlot {
  Buffer<uint16_t> pixels;
  int32_t width;
  int32_t height;
  int32_t stride;  // channel units per row: width * 4
  uint8_t visible;
  uint8_t lockTransparency;
  uint16_t opacity;  // 0 to 256
  char modeName[kModeNameSize];
  int32_t mergeMode;
};

// A cached array of random bytes (see makeRandArrayByte).
struct RandArray {
  Buffer<uint8_t> data;
  int32_t modulus;
  int32_t seed;
  int32_t length;
};

// Record 0 of the undo store: the current layer and the mask as they were before the
// change in progress.
struct BackBuffer {
  Buffer<uint16_t> pixels;  // pageWidth * pageHeight RGBA64
  Buffer<uint16_t> mask;    // pageWidth * pageHeight values
};

struct PageState {
  platform::WindowHandle hostWindow;
  int32_t pageWidth;
  int32_t pageHeight;
  int32_t pageStride;
  int32_t brushBufferSize;
  int32_t brushStride;
  int32_t reserved;  // the fifth argument of page creation: kept, not used

  int32_t viewScaleWhole;
  float viewScale;
  int32_t viewOffsetX;
  int32_t viewOffsetY;
  int32_t viewWidth;
  int32_t viewHeight;

  LayerSlot layerTable[kLayerSlots];
  int32_t currentLayerIndex;
  LayerSlot* currentLayer;
  int32_t topLayerIndex;
  LayerSlot* traceLayer;
  uint8_t tracingMode;

  Buffer<uint16_t> mask;
  uint8_t maskEnabled;
  uint8_t maskDisplayed;
  BackBuffer backBuffer;
  Buffer<uint8_t> textureBuffer;

  Buffer<uint8_t> gritBuffers[kGritBuffers];
  Buffer<uint16_t> shapeBuffer;
  Buffer<uint16_t> blendBuffer;

  RandArray randArray255;
  RandArray randArray254;
};

extern PageState page;

// Number of pixels of the page.
inline size_t pagePixels() noexcept { return size_t(page.pageWidth) * size_t(page.pageHeight); }

// The slot at index, or null when the index is outside 0 to 63.
inline LayerSlot* slotAt(int32_t index) noexcept {
  return (index >= 0 && index < kLayerSlots) ? &page.layerTable[index] : nullptr;
}
// The slot at index when it holds pixels, else null.
inline LayerSlot* filledSlotAt(int32_t index) noexcept {
  LayerSlot* slot = slotAt(index);
  return (slot && slot->pixels) ? slot : nullptr;
}

// Fills the array with length bytes, each (next random value mod modulus) & 255, from
// the generator seeded with randomSeed; does nothing when it already holds exactly that.
void makeRandArrayByte(RandArray& array, int32_t modulus, int32_t length) noexcept;
void deleteRandArray(RandArray& array) noexcept;

// Page internals shared by the exports.
void createImage(platform::WindowHandle hostWindow, int32_t width, int32_t height, int32_t b,
                 int32_t reserved);
void newSize(platform::WindowHandle hostWindow, int32_t width, int32_t height, int32_t b,
             int32_t reserved);
void deleteImage();
int32_t createLayer(int32_t index, int32_t width, int32_t height);
void deleteLayer(int32_t index);
void setLayer(int32_t index);

// Returns the page to its load-time state (every buffer released, every field zero).
void resetPageState();

}  // namespace rvl
