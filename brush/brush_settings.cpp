// Brush settings the host sets one by one between dabs. Every setting is held to its range
// where it is stored (percentages 0..100, weights 0..256, 16-bit values 0..65535, flags 0 or
// 1, variations and sizes never negative), so that the dab renderer, the paint kinds and the
// blend buffer can rely on it whatever a host passes; in-range values are stored unchanged.
#include <algorithm>
#include <cmath>

#include "brush/brush.h"
#include "frame/allocator.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

// amount 0..256.
int32_t mixShiftFor(int32_t amount) noexcept {
  if (amount == 0) return -15;
  if (amount == 254) return 15;
  return int32_t(16 * (amount - 127) / 127);
}

void setSize(int32_t size) noexcept {
  // sampleTable holds kMaxSampleTable entries; the page's brush buffers bound the tip
  // where it is used (tipSize()).
  size = std::clamp(size, 0, kMaxSampleTable);
  brush.brushSize = size;
  brush.sampleCount = size;
  for (int32_t i = 0; i < size; ++i) brush.sampleTable[i] = i;
}

void setScaleSize(int32_t n) noexcept {
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
uint16_t byteTo16(int32_t v) noexcept { return uint16_t((v & 255) << 8); }
int32_t asFlag(int32_t v) noexcept { return v != 0 ? 1 : 0; }
int32_t weight(int32_t v) noexcept { return std::clamp(v, 0, 256); }
int32_t notNegative(int32_t v) noexcept { return std::max(v, 0); }
}  // namespace

extern "C" void RVL_SetColor(int32_t r, int32_t g, int32_t b) noexcept {
  brush.brushColour[0] = byteTo16(r);
  brush.brushColour[1] = byteTo16(g);
  brush.brushColour[2] = byteTo16(b);
  brush.brushColour[3] = 65535;
}

extern "C" void RVL_SetColor16(int32_t r, int32_t g, int32_t b) noexcept {
  brush.brushColour[0] = uint16_t(r);
  brush.brushColour[1] = uint16_t(g);
  brush.brushColour[2] = uint16_t(b);
  brush.brushColour[3] = 65535;
}

extern "C" void RVL_SetColorBanks(int32_t r0, int32_t g0, int32_t b0, int32_t r1, int32_t g1, int32_t b1,
                                  int32_t r2, int32_t g2, int32_t b2, int32_t r3, int32_t g3, int32_t b3) noexcept {
  const int32_t reds[4] = {r0, r1, r2, r3}, greens[4] = {g0, g1, g2, g3}, blues[4] = {b0, b1, b2, b3};
  for (int i = 0; i < 4; ++i) {
    brush.colourBanks[i] = byteTo16(reds[i]);
    brush.colourBanks[4 + i] = byteTo16(greens[i]);
    brush.colourBanks[8 + i] = byteTo16(blues[i]);
    brush.colourBanks[12 + i] = 65535;
  }
}

extern "C" void RVL_SetShapeBlur(int32_t blur) noexcept { brush.shapeBlur = std::clamp(blur, 0, 100); }

extern "C" void RVL_SetBlendStrength(int32_t s) noexcept {
  s = weight(s);
  brush.blendStrength = s;
  if (s > 0) brush.blendStrengthInverse = 256 - s;
}

extern "C" void RVL_SetBlendPrimaryColorStrength(int32_t s) noexcept {
  s = weight(s);
  brush.primaryColourStrength = s;
  if (s > 0) brush.primaryColourStrengthInverse = 256 - s;
}

extern "C" void RVL_SetBlendRemix(int32_t flag) noexcept { brush.blendRemix = uint8_t(flag); }
// Density 0 paints nowhere, 256 everywhere (grit bytes are 0..255).
extern "C" void RVL_SetDensity(int32_t density) noexcept { brush.densityThreshold = weight(density) - 1; }

// 100 % or more is full opacity, 0 % or less paints nothing.
extern "C" void RVL_SetAlpha(int32_t percent) noexcept {
  percent = std::clamp(percent, 0, 100);
  brush.alphaPercent = percent;
  brush.alphaScale = int32_t(double(percent) * 1.28);
}

extern "C" void RVL_SetColorVary(int32_t v) noexcept { brush.colourVary = notNegative(v); }
extern "C" void RVL_SetAlphaLocked(int32_t flag) noexcept { brush.alphaLocked = asFlag(flag); }
extern "C" void RVL_SetColorLocked(int32_t flag) noexcept { brush.colourLocked = asFlag(flag); }
extern "C" void RVL_SetBlobLocked(int32_t flag) noexcept { brush.blobLocked = asFlag(flag); }
// A 16-bit alpha; 0 (or less) leaves the painted alpha to the dab.
extern "C" void RVL_SetAlphaLevel(int32_t level) noexcept { brush.alphaLevel = std::clamp(level, 0, 65535); }
extern "C" void RVL_SetImageBrushMode(int32_t flag) noexcept { brush.imageBrushMode = asFlag(flag); }
extern "C" void RVL_SetSolidBrushMode(int32_t flag) noexcept { brush.solidBrushMode = asFlag(flag); }

extern "C" void RVL_SetRotateBrushMode(int32_t mode, int32_t degrees) noexcept {
  brush.rotateMode = mode;
  brush.rotateAngle = degrees;
  const float radians = float(double(degrees) * 0.005555555555555556 * 3.14159);
  brush.rotateSin = std::sin(radians);
  brush.rotateCos = std::cos(radians);
}

extern "C" void RVL_SetMixMode(int32_t kind, int32_t amount) noexcept {
  amount = weight(amount);
  brush.mixKind = kind;
  brush.mixAmount = amount;
  brush.mixAmountInverse = 256 - amount;
  brush.mixShift = mixShiftFor(amount);
}

extern "C" void RVL_SetSize(int32_t size) noexcept { setSize(size); }
extern "C" void RVL_SetScaleSize(int32_t n) noexcept { setScaleSize(n); }

extern "C" void RVL_SetPixColorVary(int32_t v) noexcept {
  v = notNegative(v);
  brush.pixColourVary = v;
  if (v > 0) makeRandArrayByte(brush.pixColourRandom, 1000, 3 * std::max(page.brushBufferSize, 0));
}

extern "C" void RVL_SetPixLumVary(int32_t v) noexcept {
  v = notNegative(v);
  brush.pixLumVary = v;
  if (v > 0) makeRandArrayByte(brush.pixLumRandom, 256, 3 * std::max(page.brushBufferSize, 0));
}

extern "C" void RVL_TempDisableBlend(void) noexcept { brush.blendOffOnce = 1; }
extern "C" void RVL_SetMaskMakerOn(void) noexcept { brush.maskMakerOn = 1; }
extern "C" void RVL_SetEraseModeOn(void) noexcept { brush.eraseModeOn = 1; }
extern "C" void RVL_DisplayMask(int32_t flag) noexcept { page.maskDisplayed = uint8_t(flag); }
extern "C" void RVL_EnableMask(int32_t flag) noexcept { page.maskEnabled = uint8_t(flag); }
// Counts down to 0: any count below 1 already makes the next dab pick a new pattern.
extern "C" void RVL_DecDrawingLength(void) noexcept {
  if (brush.drawingLengthLeft > 0) brush.drawingLengthLeft -= 1;
}
extern "C" void RVL_DeleteTexture(void) noexcept { release(page.textureBuffer); }

extern "C" void RVL_SetPixelRGB24(uint8_t* buffer, int32_t rowBytes, int32_t x, int32_t y, int32_t r,
                                  int32_t g, int32_t b) noexcept {
  if (!buffer || x < 0 || y < 0 || x >= page.pageWidth || y >= page.pageHeight) return;
  uint8_t* p = buffer + int64_t(y) * rowBytes + int64_t(x) * 3;
  p[0] = uint8_t(r >> 8);
  p[1] = uint8_t(g >> 8);
  p[2] = uint8_t(b >> 8);
}
