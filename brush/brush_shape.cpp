// The brush tip: brushSize x brushSize 16-bit coverage values in shapeBuffer (row pitch
// brushBufferSize), either a round tip with a soft edge or an image tip taken from an
// effect script or a picture file, rotated, scaled and turned into grey.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "brush/brush.h"
#include "brush/picture_source.h"
#include "external/imaging/conversion.h"
#include "external/imaging/geometry.h"
#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

namespace {

constexpr size_t kNameSize = sizeof(BrushState::shapeSourceName);

void clearShapeBuffer() {
  if (!page.shapeBuffer) return;
  const size_t b = size_t(std::max(page.brushBufferSize, 0));
  std::memset(page.shapeBuffer, 0, b * b * 2);
}

// Loads the tip source into the cache (rotated); false when it cannot be had.
bool loadShapeSource(const char* name, int32_t angle, bool original) {
  Picture32 picture{};
  bool wasScript = false;
  bool loaded = !original && renderScriptPicture(name, picture, wasScript);
  if (!loaded && !wasScript) loaded = readPictureFile(name, picture);
  if (!loaded) return false;
  rotatePicture(picture, angle);
  brush.shapeSourceImage.reset(picture.pixels);
  brush.shapeSourceWidth = picture.width;
  brush.shapeSourceHeight = picture.height;
  std::memcpy(brush.shapeSourceName, name, std::strlen(name) + 1);
  brush.shapeSourceAngle = angle;
  return true;
}

// Scales the cached source to S x S and writes its grey levels into shapeBuffer.
bool imageTip(bool blur) {
  (void)blur;  // the blur of an image tip comes with the built-in filters
  const int32_t S = tipSize();
  const int32_t W = brush.shapeSourceWidth, H = brush.shapeSourceHeight;
  if (S < 1 || !page.shapeBuffer) {
    brush.drawingLengthLeft = brush.drawingLength;
    return false;
  }
  uint8_t* scaled = allocArray<uint8_t>(size_t(S) * size_t(S) * 4);
  uint8_t* grey = allocArray<uint8_t>(size_t(S) * size_t(S));
  bool done = false;
  if (scaled && grey) {
    const uint8_t* source = brush.shapeSourceImage;
    const uint32_t ok =
        S < W ? imaging::IS3DecimateImage(source, uint32_t(W), uint32_t(H), uint32_t(W) * 4, scaled, uint32_t(S),
                                          uint32_t(S), uint32_t(S) * 4, 4, 1)
              : imaging::IS3ResizeImage(source, uint32_t(W), uint32_t(H), uint32_t(W) * 4, scaled, uint32_t(S),
                                        uint32_t(S), uint32_t(S) * 4, 4);
    if (ok && imaging::IS3ImageToGrayScale8Bit(scaled, uint32_t(S), uint32_t(S), 4, uint32_t(S) * 4, grey,
                                               uint32_t(S), 0)) {
      const size_t b = size_t(page.brushBufferSize);
      for (int32_t row = 0; row < S; ++row)
        for (int32_t col = 0; col < S; ++col)
          page.shapeBuffer[size_t(row) * b + size_t(col)] =
              uint16_t(std::clamp(std::trunc(double(grey[size_t(row) * S + col]) * 256.0 * brush.tipOpacity), 0.0, 65535.0));
      done = true;
    }
  }
  brush.drawingLengthLeft = brush.drawingLength;
  engineFree(scaled);
  engineFree(grey);
  return done;
}

}  // namespace

void buildRoundTip() {
  if (!page.shapeBuffer) return;
  const int32_t S = tipSize();
  const size_t b = size_t(page.brushBufferSize);
  const double R = S * 0.5;
  const int32_t c = S / 2;
  const double F = R * brush.shapeSoftness / 255.0;
  const double I = R - F;
  for (int32_t y = 0; y < S; ++y)
    for (int32_t x = 0; x < S; ++x) {
      const double d = std::fabs(std::trunc(std::sqrt(double((x - c) * (x - c) + (y - c) * (y - c)))));
      if (d > R) continue;
      double v = 65535.0;
      if (brush.shapeSoftness > 0 && d > I) v = std::clamp((F - (d - I)) / F * 65535.0, 0.0, 65535.0);
      if (brush.shapeInvert) v = 65535.0 - std::trunc(v);
      page.shapeBuffer[size_t(y) * b + size_t(x)] = uint16_t(std::clamp(std::trunc(v * brush.tipOpacity), 0.0, 65535.0));
    }
}

void setBrushShape(const char* name, int32_t angle, bool original) {
  clearShapeBuffer();
  const size_t length = name ? strnlen(name, kNameSize) : 0;
  if (length > 1 && length < kNameSize) {
    bool cached = brush.shapeSourceImage && std::strcmp(name, brush.shapeSourceName) == 0 &&
                  angle == brush.shapeSourceAngle;
    if (!cached && brush.shapeSourceImage) releaseShapeSource();
    bool haveImage = cached;
    if (!cached) {
      try {
        haveImage = loadShapeSource(name, angle, original);
      } catch (...) {
        haveImage = false;
      }
    }
    bool done = false;
    if (haveImage) {
      try {
        done = imageTip(!original && brush.shapeBlur >= 1);
      } catch (...) {
        done = false;
      }
    }
    if (done) return;
    clearShapeBuffer();
  }
  buildRoundTip();
}

}  // namespace rvl

extern "C" void RVL_SetBrushShape(const char* name, int32_t angle) noexcept {
  rvl::guarded("SetBrushShape Excpt", [&] { rvl::setBrushShape(name, angle, false); });
}

extern "C" void RVL_SetBrushShape_ORIGINAL(const char* name, int32_t angle) noexcept {
  rvl::guarded("SetBrushShape Excpt", [&] { rvl::setBrushShape(name, angle, true); });
}
