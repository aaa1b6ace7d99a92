// Writing RGB24 and RGBA32 buffers to picture files chosen by extension.
#include <cmath>

#include "exchange/exchange.h"
#include "external/imaging/file_write.h"
#include "frame/guard.h"
#include "ravelin.h"

namespace rvl {

namespace {

using namespace imaging;

// Pixels per metre of a dots-per-inch value, truncated.
uint32_t perMetre(int32_t dotsPerInch) {
  return dotsPerInch > 0 ? uint32_t(std::trunc(dotsPerInch * 39.3700787)) : 0;
}

uint32_t clampDots(int32_t dotsPerInch) { return dotsPerInch > 0 ? uint32_t(dotsPerInch) : 0; }

enum class Writer { None, BMP, PNG, JPEG, GIF, PCX, PSD, EMF, TGA, TIFF };

Writer rgb24Writer(const char* extension) {
  if (sameExtension(extension, ".bmp")) return Writer::BMP;
  if (sameExtension(extension, ".png")) return Writer::PNG;
  if (sameExtension(extension, ".jpg")) return Writer::JPEG;
  if (sameExtension(extension, ".gif")) return Writer::GIF;
  if (sameExtension(extension, ".pcx")) return Writer::PCX;
  if (sameExtension(extension, ".psd")) return Writer::PSD;
  if (sameExtension(extension, ".emf") || sameExtension(extension, ".wmf")) return Writer::EMF;
  return Writer::None;
}

Writer rgba32Writer(const char* extension) {
  if (sameExtension(extension, ".png")) return Writer::PNG;
  if (sameExtension(extension, ".tga")) return Writer::TGA;
  if (sameExtension(extension, ".tif")) return Writer::TIFF;
  return Writer::None;
}

bool usable(const uint8_t* pixels, int32_t width, int32_t height) {
  return pixels && width >= 1 && height >= 1 && width <= 0x3FFFFFFF / 4;
}

// The RGB24 writers; result receives the writer's result as soon as it is known.
void writeRGB24(Writer writer, DestinationHandle destination, const uint8_t* pixels,
                uint32_t w, uint32_t h, int32_t dotsPerInch, uint32_t& result) {
  const uint32_t p = perMetre(dotsPerInch), d = clampDots(dotsPerInch);
  switch (writer) {
    case Writer::BMP: {
      const WriteResolution resolution{p, p, 0};
      result = IS3WriteBMP(destination, pixels, w, h, 24, w * 3, 0, nullptr, &resolution, 0);
      break;
    }
    case Writer::PNG: {
      const WriteResolution resolution{p, p, 1};
      result = IS3WritePNG(destination, pixels, w, h, w * 3, 8, 0, nullptr, 2, 0, 0, &resolution, 0);
      break;
    }
    case Writer::JPEG: {
      const WriteResolution resolution{d, d, 1};
      result = IS3WriteJPG(destination, pixels, w, h, w * 3, 97, 24, &resolution, 0);
      break;
    }
    case Writer::GIF: {
      EngineBuffer indices(size_t(w) * h);
      uint8_t palette[768];
      if (IS3RGBToPalette(pixels, w, h, w * 3, indices.data(), w, 256, palette, 1, 20, 0))
        result = IS3WriteGIF(destination, indices.data(), w, h, w, 8, 256, palette, -1, 0);
      break;
    }
    case Writer::PCX: result = IS3WritePCX(destination, pixels, w, h, w * 3, 24, nullptr, 0); break;
    case Writer::PSD: result = IS3WritePSD(destination, pixels, w, h, w * 3, 24, nullptr, 0); break;
    case Writer::EMF: result = IS3WriteEMF(destination, pixels, w, h, w * 3, 24, 0); break;
    default: break;
  }
}

void writeRGBA32(Writer writer, DestinationHandle destination, const uint8_t* pixels,
                 uint32_t w, uint32_t h, int32_t dotsPerInch, uint32_t& result) {
  const uint32_t p = perMetre(dotsPerInch), d = clampDots(dotsPerInch);
  switch (writer) {
    case Writer::PNG: {
      const WriteResolution resolution{p, p, 1};
      result = IS3WritePNG(destination, pixels, w, h, w * 4, 8, 0, nullptr, 6, 0, 0, &resolution, 0);
      break;
    }
    case Writer::TGA: result = IS3WriteTGA(destination, pixels, w, h, w * 4, 32, 0); break;
    case Writer::TIFF: {
      const WriteResolution resolution{d, d, 2};
      result = IS3WriteTIFF(destination, pixels, w, h, w * 4, 32, 0, &resolution, 0);
      break;
    }
    default: break;
  }
}

// The frame both exports share: nothing is opened for an extension outside the table;
// otherwise open, write, close.
template <class Write>
int32_t writeFile(const char* failureText, Writer writer, const uint8_t* pixels, int32_t width,
                  int32_t height, const char* path, Write write) {
  uint32_t result = 0;
  if (writer == Writer::None || !usable(pixels, width, height)) return 0;
  guarded(failureText, [&] {
    DestinationHandle destination = IS3OpenFileDest(path, 0);
    if (!destination) return;
    struct Closer {
      DestinationHandle d;
      uint32_t* result;
      ~Closer() {
        if (!IS3CloseDest(d)) *result = 0;
      }
    } closer{destination, &result};
    write(destination, uint32_t(width), uint32_t(height), result);
  });
  return result ? 1 : 0;
}

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_WriteToFileRGB24(const uint8_t* pixels, int32_t width, int32_t height,
                                        const char* path, const char* extension,
                                        int32_t dotsPerInch) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    const Writer writer = rgb24Writer(extension);
    return writeFile("WriteToFileRGB24 Excpt", writer, pixels, width, height, path,
                     [&](imaging::DestinationHandle d, uint32_t w, uint32_t h, uint32_t& result) {
                       writeRGB24(writer, d, pixels, w, h, dotsPerInch, result);
                     });
  });
}

extern "C" int32_t RVL_WriteToFileRGBA32(const uint8_t* pixels, int32_t width, int32_t height,
                                         const char* path, const char* extension,
                                         int32_t dotsPerInch) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    const Writer writer = rgba32Writer(extension);
    return writeFile("WriteToFileRGB24 Excpt", writer, pixels, width, height, path,
                     [&](imaging::DestinationHandle d, uint32_t w, uint32_t h, uint32_t& result) {
                       writeRGBA32(writer, d, pixels, w, h, dotsPerInch, result);
                     });
  });
}
