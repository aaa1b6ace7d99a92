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

inline constexpr int kMaxSampleTable = 1000;

// A wide intermediate held to the 16-bit channel range.
inline uint32_t clamp16(int64_t v) noexcept { return uint32_t(v < 0 ? 0 : v > 65535 ? 65535 : v); }

struct GritPosition {
  int32_t buffer;  // 0..19, or -1 before the first pattern is chosen
  int32_t offset;  // rows * brushBufferSize + columns, each 0..24
};

struct BrushState {
  // Brush and tool settings: colours are 16-bit, an 8-bit host value v is (v & 255) * 256.
  uint16_t brushColour[4];   // R, G, B, A (A always 65535)
  uint16_t colourBanks[16];  // four reds, four greens, four blues, four alphas
  float tipOpacity;
  int32_t gritSize;
  int32_t gritCellThreshold;
  int32_t gritPixelThreshold;
  uint8_t shapeSoftness;
  int32_t colourVary;
  int32_t drawingLength;
  int32_t drawingLengthLeft;
  int32_t blendStrength;
  int32_t blendStrengthInverse;
  int32_t primaryColourStrength;
  int32_t primaryColourStrengthInverse;
  uint8_t blendRemix;
  uint8_t shapeInvert;
  int32_t shapeBlur;
  int32_t densityThreshold;
  int32_t alphaPercent;
  int32_t alphaScale;
  int32_t alphaLocked;
  int32_t colourLocked;
  int32_t blobLocked;
  int32_t alphaLevel;
  int32_t imageBrushMode;
  int32_t solidBrushMode;
  int32_t rotateMode;
  int32_t rotateAngle;
  float rotateSin;
  float rotateCos;
  int32_t mixKind;
  int32_t mixAmount;
  int32_t mixAmountInverse;
  int32_t mixShift;
  int32_t brushSize;
  int32_t sampleCount;
  int32_t sampleTable[kMaxSampleTable];
  int32_t pixColourVary;
  RandArray pixColourRandom;
  int32_t pixLumVary;
  RandArray pixLumRandom;
  uint8_t blendOffOnce;
  uint8_t maskMakerOn;
  uint8_t eraseModeOn;
  // The stored but unused bytes and angle copy of a tool.
  uint8_t toolUnused11;
  uint8_t toolUnused13;
  int32_t toolAngle;

  // Grit: the pattern the next dab reads, a position inside one of the twenty grit
  // buffers (kept as buffer and offset, so it never outlives the buffers).
  GritPosition currentGrit;

  PaintLayer paintLayer;
  // The tip-source cache: RGBA32 pixels of the last tip source, after rotation.
  Buffer<uint8_t> shapeSourceImage;
  int32_t shapeSourceWidth;
  int32_t shapeSourceHeight;
  char shapeSourceName[1024];
  int32_t shapeSourceAngle;
};

extern BrushState brush;

// The side of the tip the brush buffers really hold: brushSize, cut to the page's
// brushBufferSize when the host set a larger size than the buffers allow.
inline int32_t tipSize() noexcept {
  int32_t s = brush.brushSize < page.brushBufferSize ? brush.brushSize : page.brushBufferSize;
  return s > 0 ? s : 0;
}

// Grit patterns: random cells from the random arrays, or squares cut from a grey picture
// (tiled when it is smaller than the square).
void buildRandomGrit();
void fillGritFromGrey(const uint8_t* grey, int32_t width, int32_t height);

// Rebuilds shapeBuffer: an image tip from an effect script or a picture file (original:
// picture files only and no blur), else the round tip.
void setBrushShape(const char* name, int32_t angle, bool original);
void buildRoundTip();

// The paint layer: created page-sized (options set on every call), cleared to transparent
// black with an empty rectangle, released.
void createPaintLayer(int32_t percent, const char* name);
void clearPaintLayer();
void resetPaintLayerRect();
// Releases the paint layer's pixels (painting returns to the current layer).
void releasePaintLayer();
// Releases the tip-source cache.
void releaseShapeSource();
// Builds the paper texture from the slot at index (a visible Texturize3 layer).
void createTexture(int32_t index);

// Paints one dab centred on (x, y) with the 16-bit colour; a mask-maker dab paints the
// brush colour's grey into the mask.
void drawDab(int32_t x, int32_t y, uint32_t r, uint32_t g, uint32_t b);
void drawDabMask(int32_t x, int32_t y);

void resetBrushState();

// The brush's answers to the page's lifecycle (engine/lifecycle.cpp): the paint layer and
// the tip-source cache go with the page; the paper texture comes from a visible Texturize3
// layer that is not the current one, rebuilt when such a layer stops being current or
// has its options set.
void releaseBrushPageBuffers();
void textureLayerSelected(int32_t previous, int32_t index);
void textureLayerOptionsSet(int32_t index);

namespace testing {
// Lets tests run every dab through the general loop, to compare it with the fast one.
void setDabFastPath(bool enabled);
}  // namespace testing

}  // namespace rvl
