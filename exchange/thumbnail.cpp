// Thumbnails (24-bit BMP, longer side given) and web pictures (JPEG fitted into a box)
// made from picture files.
#include <cmath>
#include <cstring>

#include "exchange/exchange.h"
#include "external/imaging/conversion.h"
#include "external/imaging/file_write.h"
#include "external/imaging/geometry.h"
#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

namespace {

using namespace imaging;

// A picture file read as RGBA32 into an engine block.
struct Source {
  uint8_t* pixels = nullptr;
  uint32_t width = 0;
  uint32_t height = 0;
  Source() = default;
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  ~Source() { release(pixels); }
};

// Reads the file through the generic RGBA32 reader; false when it cannot be opened or
// read. The library's block is freed once copied.
bool readSource(const char* path, Source& source) {
  SourceHandle handle = IS3OpenFileSource(path);
  if (!handle) return false;
  LibraryPicture picture;
  picture.block = IS3ReadImageToRGBA(handle, &picture.width, &picture.height, 0);
  IS3CloseSource(handle);
  if (!picture.block) return false;
  const size_t bytes = size_t(picture.width) * picture.height * 4;
  source.pixels = allocArrayOrThrow<uint8_t>(bytes);
  std::memcpy(source.pixels, picture.pixels(), bytes);
  source.width = picture.width;
  source.height = picture.height;
  return true;
}

// The picture without alpha, resampled to nw × nh: the averaging reducer when both sides
// shrink, the general resizer otherwise. Null result when the library refused.
bool resampleRGB(const Source& source, uint32_t nw, uint32_t nh, EngineBuffer& out) {
  const uint32_t w = source.width, h = source.height;
  EngineBuffer rgb(size_t(w) * h * 3);
  if (!IS3RGBAToRGBPlusAlpha(source.pixels, w, h, w * 4, rgb.data(), w * 3, nullptr, 0))
    return false;
  return nw < w && nh < h
             ? IS3DecimateImage(rgb.data(), w, h, w * 3, out.data(), nw, nh, nw * 3, 3,
                                kDecimateAverage) != 0
             : IS3ResizeImage(rgb.data(), w, h, w * 3, out.data(), nw, nh, nw * 3, 3) != 0;
}

// A side of at least one pixel (very long, thin pictures would otherwise lose a side).
uint32_t atLeastOne(double side) { return side < 1 ? 1 : uint32_t(side); }

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_MakeThumbnail(const char* sourcePath, const char* destinationPath,
                                     int32_t size) noexcept {
  guarded("MakeThumbnails Excpt", [&] {
    if (size < 1 || size > kMaxPageSide) return;
    Source source;
    if (!readSource(sourcePath, source)) return;
    RVL_SetColorAlphaRGBABuf(source.pixels, int32_t(source.width), int32_t(source.height), 255,
                             255, 255);
    const double w = source.width, h = source.height, s = size;
    uint32_t nw, nh;
    if (source.width > source.height) {
      nw = uint32_t(size);
      nh = atLeastOne(std::trunc(s / w * h));
    } else {
      nh = uint32_t(size);
      nw = atLeastOne(std::trunc(s / h * w));
    }
    EngineBuffer out(size_t(nw) * nh * 3);
    if (!resampleRGB(source, nw, nh, out)) return;
    DestinationHandle destination = IS3OpenFileDest(destinationPath, 0);
    if (!destination) return;
    IS3WriteBMP(destination, out.data(), nw, nh, 24, nw * 3, 0, nullptr, nullptr, 0);
    IS3CloseDest(destination);
  });
  return 0;
}

extern "C" int32_t RVL_MakeWebPic(const char* sourcePath, const char* destinationPath,
                                  int32_t largestWidth, int32_t largestHeight) noexcept {
  guarded("MakeWebPic Excpt", [&] {
    if (largestWidth < 1 || largestHeight < 1) return;
    Source source;
    if (!readSource(sourcePath, source)) return;
    const float w = float(source.width), h = float(source.height);
    const float W = float(largestWidth), H = float(largestHeight);
    uint32_t nw = source.width, nh = source.height;
    if (w / h < W / H) {
      if (h > H) {
        nh = uint32_t(largestHeight);
        nw = atLeastOne(std::trunc(w * (H / h)));
      }
    } else if (w > W) {
      nw = uint32_t(largestWidth);
      nh = atLeastOne(std::trunc(h * (W / w)));
    }
    EngineBuffer out(size_t(nw) * nh * 3);
    if (!resampleRGB(source, nw, nh, out)) return;
    DestinationHandle destination = IS3OpenFileDest(destinationPath, 0);
    if (!destination) return;
    IS3WriteJPG(destination, out.data(), nw, nh, nw * 3, 75, 24, nullptr, 0);
    IS3CloseDest(destination);
  });
  return 0;
}
