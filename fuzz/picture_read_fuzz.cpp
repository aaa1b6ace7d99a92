// Picture files are user input: any bytes go through the type guess, the generic
// readers, the header readers and (for metafiles) the metafile renderer, and, written to a
// file, through the engine's own RVL_ReadFromFile and RVL_GetDPIFromFile. Each must refuse
// what it cannot decode without reading outside its buffers, and what it does return must
// be a picture within the size limit whose block holds exactly width x height x bytes per
// pixel.
#include <cstdint>
#include <string>
#include <vector>

#include "external/imaging/file_io.h"
#include "external/imaging/imaging.h"
#include "platform/global_memory.h"
#include "ravelin.h"
#include "tests/support/file_scratch.h"

using namespace rvl::imaging;

namespace {

// A returned picture: null, or sides in 1..kMaxPictureSide and a block of exactly the
// picture's bytes. Releases the block.
void checkPicture(rvl::platform::GlobalBlock block, uint32_t width, uint32_t height, uint32_t bytesPerPixel) {
  if (!block) return;
  if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) __builtin_trap();
  if (rvl::platform::globalSize(block) != size_t(width) * height * bytesPerPixel) __builtin_trap();
  rvl::platform::globalFree(block);
}

// A small page, so that metafiles read by RVL_ReadFromFile render at 17 x 9.
bool pageReady() {
  RVL_CreateImage(nullptr, 17, 9, 8, 0);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  static const bool ready = pageReady();
  (void)ready;
  // One private folder for the run's files, removed when the run ends.
  static const rvl::test::Scratch scratch("picture_read_fuzz");
  static const std::string path = scratch.path("input");

  SourceHandle source = IS3OpenMemorySource(data, uint32_t(size));
  if (!source) return 0;
  const uint32_t type = IS3GuessFileType(source);
  IS3Seek(source, 0, 0);
  uint32_t width = 0, height = 0;
  rvl::platform::GlobalBlock block = IS3ReadImageToRGBA(source, &width, &height, 0);
  checkPicture(block, width, height, 4);
  IS3Seek(source, 0, 0);
  width = height = 0;
  block = IS3ReadImageToRGB(source, &width, &height, 0);
  checkPicture(block, width, height, 3);
  IS3Seek(source, 0, 0);
  Resolution resolution{};
  switch (type) {
    case kTypeBMP: IS3GetBMPDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypeJPEG: IS3GetJPGDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypePNG: IS3GetPNGDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypeTIFF: IS3GetTIFFDimensions(source, &width, &height, nullptr, &resolution); break;
    case kTypePSD: IS3GetPSDDimensions(source, &width, &height, nullptr, &resolution); break;
    default: break;
  }
  IS3CloseSource(source);

  rvl::test::writeBytes(path, data, size);
  if (type == kTypeEMF) {
    width = height = 0;
    block = IS3ReadMetafile(path.c_str(), 17, 9, 0x808080, 0, &width, &height);
    if (block && (width != 17 || height != 9)) __builtin_trap();
    checkPicture(block, width, height, 3);
  }

  // The engine's reader: what it accepts becomes the new RGBA of a size within the limit,
  // copied out whole into a buffer of exactly that size.
  if (RVL_ReadFromFile(path.c_str())) {
    const int32_t w = RVL_GetNewRGBAWidth(), h = RVL_GetNewRGBAHeight();
    if (w < 1 || h < 1 || w > int32_t(kMaxPictureSide) || h > int32_t(kMaxPictureSide)) __builtin_trap();
    std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
    RVL_GetNewRGBA32(rgba.data());
    RVL_DeleteNewRGBA();
  }
  // The resolution is always snapped to one of the standard values (72 when unknown).
  switch (RVL_GetDPIFromFile(path.c_str())) {
    case 72: case 96: case 150: case 200: case 300: case 450: case 600: break;
    default: __builtin_trap();
  }
  return 0;
}
