// Reading picture files into the new RGBA or a caller's buffer, and a file's resolution.
#include <cstring>

#include "exchange/exchange.h"
#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

void readExchangePicture(const char* path, bool rgba, LibraryPicture& picture) {
  using namespace imaging;
  SourceHandle source = IS3OpenFileSource(path);
  if (!source) return;
  const uint32_t type = IS3GuessFileType(source);
  IS3Seek(source, 0, 0);
  if (type == kTypeWMF || type == kTypeEMF) {
    IS3CloseSource(source);
    picture.block = IS3ReadMetafile(path, uint32_t(page.pageWidth), uint32_t(page.pageHeight),
                                    brushColourValue(), 0, &picture.width, &picture.height);
    picture.rgb24 = true;
    return;
  }
  picture.block = rgba ? IS3ReadImageToRGBA(source, &picture.width, &picture.height, 0)
                       : IS3ReadImageToRGB(source, &picture.width, &picture.height, 0);
  picture.rgb24 = !rgba;
  IS3CloseSource(source);
}

namespace {

// Copies a picture into packed RGBA32, a three-byte one with alpha 255.
void copyAsRGBA32(const LibraryPicture& picture, uint8_t* out) {
  const size_t pixels = size_t(picture.width) * picture.height;
  if (!picture.rgb24) {
    std::memcpy(out, picture.pixels(), pixels * 4);
    return;
  }
  const uint8_t* in = picture.pixels();
  for (size_t i = 0; i < pixels; ++i, in += 3, out += 4) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
    out[3] = 255;
  }
}

// Dots per inch of a resolution value r with unit u in the file type's convention
// (truncated), or 72 when the type and unit give none.
int64_t dotsPerInch(uint32_t type, uint32_t r, uint32_t u) {
  constexpr double kPerCentimetre = 2.5400000025908, kPerMetre = 0.025400000025908;
  switch (type) {
    case imaging::kTypeBMP:
      if (u == 1) return int64_t(r * kPerCentimetre);
      if (u == 2) return int64_t(r * kPerMetre);
      break;
    case imaging::kTypeJPEG:
      if (u == 1) return r;
      if (u == 2) return int64_t(r * kPerCentimetre);
      break;
    case imaging::kTypePNG:
      if (u == 1) return int64_t(r * kPerMetre);
      break;
    case imaging::kTypeTIFF:
    case imaging::kTypePSD:
      if (u == 2) return r;
      if (u == 3) return int64_t(r * kPerCentimetre);
      break;
    default: break;
  }
  return 72;
}

int32_t snapResolution(int64_t d) {
  static constexpr int32_t kStandard[] = {72, 96, 150, 200, 300, 450, 600};
  for (int32_t s : kStandard)
    if (d >= s - 1 && d <= s + 1) return s;
  return 72;
}

int32_t readIntoBuffer(uint8_t* destination, int32_t width, int32_t height, const char* path,
                       bool rgba) {
  LibraryPicture picture;
  readExchangePicture(path, rgba, picture);
  if (!picture.block || !destination) return 0;
  if (int64_t(picture.width) != width || int64_t(picture.height) != height) return 0;
  if (rgba)
    copyAsRGBA32(picture, destination);
  else
    std::memcpy(destination, picture.pixels(), size_t(picture.width) * picture.height * 3);
  return 1;
}

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_ReadFromFile(const char* path) noexcept {
  return guarded("ReadFromFile Excpt", 0, [&]() -> int32_t {
    LibraryPicture picture;
    readExchangePicture(path, true, picture);
    if (!picture.block) return 0;
    if (!createNewRGBA(int32_t(picture.width), int32_t(picture.height))) return 0;
    copyAsRGBA32(picture, newRGBA.pixels);
    return 1;
  });
}

extern "C" int32_t RVL_ReadFromFileRGB24(uint8_t* destination, int32_t width, int32_t height,
                                         const char* path) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return readIntoBuffer(destination, width, height, path, false);
  });
}

extern "C" int32_t RVL_ReadFromFileRGBA32(uint8_t* destination, int32_t width, int32_t height,
                                          const char* path) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return readIntoBuffer(destination, width, height, path, true);
  });
}

extern "C" int32_t RVL_GetDPIFromFile(const char* path) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    using namespace imaging;
    SourceHandle source = IS3OpenFileSource(path);
    if (!source) return 72;
    const uint32_t type = IS3GuessFileType(source);
    IS3Seek(source, 0, 0);
    Resolution resolution{0, 0, 0};
    uint32_t read = 0;
    switch (type) {
      case kTypeBMP: read = IS3GetBMPDimensions(source, nullptr, nullptr, nullptr, &resolution); break;
      case kTypeJPEG: read = IS3GetJPGDimensions(source, nullptr, nullptr, nullptr, &resolution); break;
      case kTypePNG: read = IS3GetPNGDimensions(source, nullptr, nullptr, nullptr, &resolution); break;
      case kTypeTIFF: read = IS3GetTIFFDimensions(source, nullptr, nullptr, nullptr, &resolution); break;
      case kTypePSD: read = IS3GetPSDDimensions(source, nullptr, nullptr, nullptr, &resolution); break;
      default: break;
    }
    IS3CloseSource(source);
    if (!read) return 72;
    return snapResolution(dotsPerInch(type, resolution.x, resolution.unit));
  });
}
