// The new RGBA and its exports: size, copies out (whole, RGB24, resized), the
// transparency test and the load into the current layer.
#include <cstring>
#include <strings.h>

#include "brush/brush.h"
#include "exchange/exchange.h"
#include "external/imaging/file_write.h"
#include "external/imaging/geometry.h"
#include "frame/guard.h"
#include "page/layer_load.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

NewRGBA newRGBA{};

void deleteNewRGBA() { release(newRGBA.pixels); }

bool createNewRGBA(int32_t width, int32_t height) {
  return guarded("CreateNewRGBA Excpt", false, [&] {
    deleteNewRGBA();
    newRGBA.width = width;
    newRGBA.height = height;
    if (width < 1 || height < 1) throw OutOfMemory();
    newRGBA.pixels.allocateOrThrow(size_t(width) * size_t(height) * 4);
    return true;
  });
}

void resetExchangeState() {
  deleteNewRGBA();
  newRGBA = NewRGBA{};
  imaging::resetJPGSettings();
}

bool sameExtension(const char* extension, const char* wanted) {
  return extension && strcasecmp(extension, wanted) == 0;
}

uint32_t brushColourValue() {
  return uint32_t(brush.brushColour[0] >> 8) | uint32_t(brush.brushColour[1] >> 8) << 8 |
         uint32_t(brush.brushColour[2] >> 8) << 16;
}

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_GetNewRGBAWidth(void) noexcept { return newRGBA.width; }

extern "C" int32_t RVL_GetNewRGBAHeight(void) noexcept { return newRGBA.height; }

extern "C" int32_t RVL_DeleteNewRGBA(void) noexcept {
  return guarded("DeleteNewRGBA Excpt", 0, [] {
    deleteNewRGBA();
    return 0;
  });
}

extern "C" void RVL_GetNewRGBA32(uint8_t* destination) noexcept {
  if (!newRGBA.pixels || !destination) return;
  std::memcpy(destination, newRGBA.pixels, size_t(newRGBA.width) * size_t(newRGBA.height) * 4);
}

extern "C" void RVL_GetNewRGBA24(uint8_t* destination) noexcept {
  if (!newRGBA.pixels || !destination) return;
  const uint8_t* in = newRGBA.pixels;
  for (size_t i = 0, n = size_t(newRGBA.width) * size_t(newRGBA.height); i < n;
       ++i, in += 4, destination += 3) {
    destination[0] = in[0];
    destination[1] = in[1];
    destination[2] = in[2];
  }
}

extern "C" void RVL_GetResizedNewRGBA24(uint8_t* destination, int32_t newWidth, int32_t newHeight) noexcept {
  guarded("GetResizedNewRGB24 Excpt", [&] {
    if (!newRGBA.pixels || !destination || newWidth < 1 || newHeight < 1) return;
    const uint32_t w = uint32_t(newRGBA.width), h = uint32_t(newRGBA.height);
    const uint32_t nw = uint32_t(newWidth), nh = uint32_t(newHeight);
    EngineBuffer resized(size_t(nw) * nh * 4);
    const bool ok =
        newWidth < newRGBA.width && newHeight < newRGBA.height
            ? imaging::IS3DecimateImage(newRGBA.pixels, w, h, w * 4, resized.data(), nw, nh,
                                        nw * 4, 4, imaging::kDecimateAverage) != 0
            : imaging::IS3ResizeImage(newRGBA.pixels, w, h, w * 4, resized.data(), nw, nh,
                                      nw * 4, 4) != 0;
    if (!ok) return;
    const uint8_t* in = resized.data();
    for (size_t i = 0, n = size_t(nw) * nh; i < n; ++i, in += 4, destination += 3) {
      destination[0] = in[0];
      destination[1] = in[1];
      destination[2] = in[2];
    }
  });
}

extern "C" int32_t RVL_IsNewRGBA32Transparent(void) noexcept {
  if (!newRGBA.pixels) return 0;
  const uint8_t* p = newRGBA.pixels;
  for (size_t i = 0, n = size_t(newRGBA.width) * size_t(newRGBA.height); i < n; ++i)
    if (p[i * 4 + 3] < 255) return 1;
  return 0;
}

extern "C" void RVL_SetInNewRGBA(void) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!newRGBA.pixels) return;
    loadRGBA32Layer(newRGBA.pixels, newRGBA.width * 4, page.currentLayerIndex, 0, 0, newRGBA.width,
                    newRGBA.height, true);
  });
}
