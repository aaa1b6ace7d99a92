// Brush settings the host sets one by one between dabs.
#include <algorithm>
#include <cmath>

#include "brush/brush.h"
#include "frame/allocator.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

int32_t mixShiftFor(int32_t amount) {
  if (amount == 0) return -15;
  if (amount == 254) return 15;
  return int32_t(16 * (amount - 127) / 127);
}

void setSize(int32_t size) {
  // sampleTable holds kMaxSampleTable entries; the page's brush buffers bound the tip
  // where it is used (tipSize()).
  size = std::clamp(size, 0, kMaxSampleTable);
  brush.brushSize = size;
  brush.sampleCount = size;
  for (int32_t i = 0; i < size; ++i) brush.sampleTable[i] = i;
}

void setScaleSize(int32_t n) {
  if (n < 1) n = 1;
  if (n > brush.brushSize) n = brush.brushSize;
  if (n > 999) n = 999;
  if (n < 1) {  // no tip at all: nothing to sample
    brush.sampleCount = 0;
    return;
  }
  brush.sampleCount = n;
  const float step = float(brush.brushSize) / float(n);
  float c = step * 0.5f;
  for (int32_t i = 0; i < n; ++i) {
    brush.sampleTable[i] = int32_t(c);
    c += step;
  }
}

}  // namespace rvl

using namespace rvl;

namespace {
uint16_t byteTo16(int32_t v) { return uint16_t((v & 255) << 8); }
}  // namespace

extern "C" void RVL_SetColor(int32_t r, int32_t g, int32_t b) {
  brush.brushColour[0] = byteTo16(r);
  brush.brushColour[1] = byteTo16(g);
  brush.brushColour[2] = byteTo16(b);
  brush.brushColour[3] = 65535;
}

extern "C" void RVL_SetColor16(int32_t r, int32_t g, int32_t b) {
  brush.brushColour[0] = uint16_t(r);
  brush.brushColour[1] = uint16_t(g);
  brush.brushColour[2] = uint16_t(b);
  brush.brushColour[3] = 65535;
}

extern "C" void RVL_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1,
                                  int32_t r2, int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3) {
  const int32_t reds[4] = {r0, r1, r2, r3}, greens[4] = {g0, g1, g2, g3}, blues[4] = {b0, b1, b2, b3};
  for (int i = 0; i < 4; ++i) {
    brush.colourBanks[i] = byteTo16(reds[i]);
    brush.colourBanks[4 + i] = byteTo16(greens[i]);
    brush.colourBanks[8 + i] = byteTo16(blues[i]);
    brush.colourBanks[12 + i] = 65535;
  }
}

extern "C" void RVL_SetShapeBlur(int32_t blur) { brush.shapeBlur = blur; }

extern "C" void RVL_SetBlendStrength(int32_t s) {
  brush.blendStrength = s;
  if (s > 0) brush.blendStrengthInverse = 256 - s;
}

extern "C" void RVL_SetBlendPrimaryColorStrength(int32_t s) {
  brush.primaryColourStrength = s;
  if (s > 0) brush.primaryColourStrengthInverse = 256 - s;
}

extern "C" void RVL_SetBlendRemix(int32_t flag) { brush.blendRemix = uint8_t(flag); }
extern "C" void RVL_SetDensity(int32_t density) { brush.densityThreshold = density - 1; }

extern "C" void RVL_SetAlpha(int32_t percent) {
  brush.alphaPercent = percent;
  brush.alphaScale = int32_t(double(percent) * 1.28);
}

extern "C" void RVL_SetColorVary(int32_t v) { brush.colourVary = v; }
extern "C" void RVL_SetAlphaLocked(int32_t flag) { brush.alphaLocked = flag; }
extern "C" void RVL_SetColorLocked(int32_t flag) { brush.colourLocked = flag; }
extern "C" void RVL_SetBlobLocked(int32_t flag) { brush.blobLocked = flag; }
extern "C" void RVL_SetAlphaLevel(int32_t level) { brush.alphaLevel = level; }
extern "C" void RVL_SetImageBrushMode(int32_t flag) { brush.imageBrushMode = flag; }
extern "C" void RVL_SetSolidBrushMode(int32_t flag) { brush.solidBrushMode = flag; }

extern "C" void RVL_SetRotateBrushMode(int32_t mode, int32_t degrees) {
  brush.rotateMode = mode;
  brush.rotateAngle = degrees;
  const float radians = float(double(degrees) * 0.005555555555555556 * 3.14159);
  brush.rotateSin = std::sin(radians);
  brush.rotateCos = std::cos(radians);
}

extern "C" void RVL_SetMixMode(int32_t kind, int32_t amount) {
  brush.mixKind = kind;
  brush.mixAmount = amount;
  brush.mixAmountInverse = 256 - amount;
  brush.mixShift = mixShiftFor(amount);
}

extern "C" void RVL_SetSize(int32_t size) { setSize(size); }
extern "C" void RVL_SetScaleSize(int32_t n) { setScaleSize(n); }

extern "C" void RVL_SetPixColorVary(int32_t v) {
  brush.pixColourVary = v;
  if (v > 0) makeRandArrayByte(brush.pixColourRandom, 1000, 3 * std::max(page.brushBufferSize, 0));
}

extern "C" void RVL_SetPixLumVary(int32_t v) {
  brush.pixLumVary = v;
  if (v > 0) makeRandArrayByte(brush.pixLumRandom, 256, 3 * std::max(page.brushBufferSize, 0));
}

extern "C" void RVL_TempDisableBlend(void) { brush.blendOffOnce = 1; }
extern "C" void RVL_SetMaskMakerOn(void) { brush.maskMakerOn = 1; }
extern "C" void RVL_SetEraseModeOn(void) { brush.eraseModeOn = 1; }
extern "C" void RVL_DisplayMask(int32_t flag) { page.maskDisplayed = uint8_t(flag); }
extern "C" void RVL_EnableMask(int32_t flag) { page.maskEnabled = uint8_t(flag); }
extern "C" void RVL_DecDrawingLength(void) { brush.drawingLengthLeft -= 1; }
extern "C" void RVL_DeleteTexture(void) { release(page.textureBuffer); }

extern "C" void RVL_SetPixelRGB24(uint8_t* buffer, int32_t rowBytes, int32_t x, int32_t y, int32_t r,
                                  int32_t g, int32_t b) {
  if (!buffer || x < 0 || y < 0 || x >= page.pageWidth || y >= page.pageHeight) return;
  uint8_t* p = buffer + int64_t(y) * rowBytes + int64_t(x) * 3;
  p[0] = uint8_t(r >> 8);
  p[1] = uint8_t(g >> 8);
  p[2] = uint8_t(b >> 8);
}
