// Installing a tool: its settings, grit patterns and tip in one call.
#include <algorithm>
#include <cstring>

#include "brush/brush.h"
#include "brush/paint_kinds.h"
#include "brush/picture_source.h"
#include "external/imaging/conversion.h"
#include "frame/allocator.h"
#include "frame/frame.h"
#include "frame/guard.h"
#include "frame/random.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

namespace {

constexpr int32_t kScriptCanvas = 600;
// A grit cell covers at most the whole grit square: the largest tip (the sample table's
// 1000) and the 25 pixels of pattern offset.
constexpr int32_t kMaxGritSize = kMaxSampleTable + 25;

// Grit cut from a grey version of a picture.
void gritFromPicture(const Picture32& picture) {
  uint8_t* grey = allocArray<uint8_t>(size_t(picture.width) * size_t(picture.height));
  if (!grey) return;
  if (imaging::IS3ImageToGrayScale8Bit(picture.pixels, uint32_t(picture.width), uint32_t(picture.height), 4,
                                       uint32_t(picture.width) * 4, grey, uint32_t(picture.width), 0))
    fillGritFromGrey(grey, picture.width, picture.height);
  engineFree(grey);
}

// A script's picture is tiled over a 600 x 600 canvas first, and the grit cut from that.
void gritFromScriptPicture(const Picture32& tile) {
  Picture32 canvas{allocArray<uint8_t>(size_t(kScriptCanvas) * kScriptCanvas * 4), kScriptCanvas, kScriptCanvas};
  if (!canvas.pixels) return;
  std::memset(canvas.pixels, 0, size_t(kScriptCanvas) * kScriptCanvas * 4);
  for (int32_t y = 0; y < kScriptCanvas; y += tile.height)
    for (int32_t x = 0; x < kScriptCanvas; x += tile.width)
      for (int32_t row = 0; row < tile.height && y + row < kScriptCanvas; ++row) {
        const int32_t columns = std::min(tile.width, kScriptCanvas - x);
        std::memcpy(canvas.pixels + (size_t(y + row) * kScriptCanvas + size_t(x)) * 4,
                    tile.pixels + size_t(row) * size_t(tile.width) * 4, size_t(columns) * 4);
      }
  gritFromPicture(canvas);
  releasePicture(canvas);
}

// Grit from an effect script or a picture file; every failure here is silent.
void gritFromSource(const char* source) {
  try {
    Picture32 picture{};
    bool wasScript = false;
    if (renderScriptPicture(source, picture, wasScript)) {
      gritFromScriptPicture(picture);
    } else if (!wasScript && readPictureFile(source, picture)) {
      gritFromPicture(picture);
    }
    releasePicture(picture);
  } catch (...) {
  }
}

}  // namespace

void setTool(float tipOpacity, int32_t gritSize, int32_t cellThreshold, int32_t pixelThreshold,
             int32_t softness, int32_t colourVary, int32_t drawingLength, int32_t blendStrength,
             int32_t primaryStrength, int32_t remix, int32_t unused11, int32_t invert, int32_t unused13,
             const char* gritSource, const char* tipSource, int32_t angle) {
  seedRandom(uint32_t(frame.randomSeed));
  // Every setting is held to its range where it is stored; in-range values are kept as given.
  brush.tipOpacity = tipOpacity >= 0.0f ? std::min(tipOpacity, 1.0f) : 0.0f;  // (NaN is 0)
  brush.gritSize = std::clamp(gritSize, 0, kMaxGritSize);
  brush.gritCellThreshold = std::clamp(cellThreshold, 0, 256);
  brush.gritPixelThreshold = std::clamp(pixelThreshold, 0, 256);
  brush.shapeSoftness = uint8_t(softness);
  brush.colourVary = std::max(colourVary, 0);
  brush.drawingLength = std::max(drawingLength, 0);
  brush.blendStrength = std::clamp(blendStrength, 0, 256);
  brush.primaryColourStrength = std::clamp(primaryStrength, 0, 256);
  brush.blendRemix = uint8_t(remix);
  brush.toolUnused11 = uint8_t(unused11);
  brush.shapeInvert = uint8_t(invert);
  brush.toolUnused13 = uint8_t(unused13);
  brush.toolAngle = angle;
  brush.mixKind = kKindNormal;

  if (brush.gritSize != 0) buildRandomGrit();
  if (gritSource && std::strlen(gritSource) > 1) gritFromSource(gritSource);

  setBrushShape(tipSource, angle, /*original=*/false);

  if (brush.blendStrength > 0) brush.blendStrengthInverse = 256 - brush.blendStrength;
  if (brush.primaryColourStrength > 0) brush.primaryColourStrengthInverse = 256 - brush.primaryColourStrength;
  brush.blendOffOnce = 0;
  brush.maskMakerOn = 0;
  brush.eraseModeOn = 0;
}

}  // namespace rvl

extern "C" void RVL_SetTool(float tipOpacity, int32_t gritSize, int32_t gritCellThreshold,
                            int32_t gritPixelThreshold, int32_t shapeSoftness, int32_t colourVary,
                            int32_t drawingLength, int32_t blendStrength, int32_t primaryColourStrength,
                            int32_t blendRemix, int32_t unused11, int32_t shapeInvert, int32_t unused13,
                            const char* gritSource, const char* tipSource, int32_t tipAngle) noexcept {
  rvl::guarded("SetTool Excpt", [&] {
    rvl::setTool(tipOpacity, gritSize, gritCellThreshold, gritPixelThreshold, shapeSoftness, colourVary,
                 drawingLength, blendStrength, primaryColourStrength, blendRemix, unused11, shapeInvert,
                 unused13, gritSource, tipSource, tipAngle);
  });
}
