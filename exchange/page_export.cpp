// Saving the merged page to a picture file row by row: each row is merged from the
// visible layers, reduced to 8 bits and handed to the imaging library's line writer, so
// only one RGBA64 row and one output row are ever held.
#include "exchange/exchange.h"
#include "external/imaging/file_write.h"
#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

namespace {

using namespace imaging;

enum class Lines { None, BMP, PNG, JPEG, TGA, TIFF };

Lines threeChannelLines(const char* extension) {
  if (sameExtension(extension, ".bmp")) return Lines::BMP;
  if (sameExtension(extension, ".png")) return Lines::PNG;
  if (sameExtension(extension, ".jpg")) return Lines::JPEG;
  return Lines::None;
}

Lines fourChannelLines(const char* extension) {
  if (sameExtension(extension, ".png")) return Lines::PNG;
  if (sameExtension(extension, ".tga")) return Lines::TGA;
  if (sameExtension(extension, ".tif")) return Lines::TIFF;
  return Lines::None;
}

LineWriterHandle startLines(Lines lines, DestinationHandle destination, bool four,
                            int32_t dotsPerInch) {
  const uint32_t w = uint32_t(page.pageWidth), h = uint32_t(page.pageHeight);
  const double perMetre = dotsPerInch * 39.3700787;
  const double dots = dotsPerInch;
  switch (lines) {
    case Lines::BMP: {
      const LineResolution resolution{perMetre, perMetre, 0};
      return IS3InitWriteBMPLines(destination, w, h, 24, 0, nullptr, &resolution, 0);
    }
    case Lines::PNG: {
      const LineResolution resolution{perMetre, perMetre, 1};
      return IS3InitWritePNGLines(destination, w, h, w * (four ? 4 : 3), 8, 0, nullptr,
                                  four ? 6 : 2, 0, 0, &resolution, 0);
    }
    case Lines::JPEG: {
      // No chroma subsampling; these settings stay for later JPEG writes.
      static const uint32_t kFactors[10] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
      IS3SetJPGDCTMethod(3);
      IS3SetJPGSmoothingFactor(0);
      IS3SetJPGSampleFactors(kFactors, kFactors);
      const LineResolution resolution{dots, dots, 1};
      return IS3InitWriteJPGLines(destination, w, h, 97, 24, &resolution, 0);
    }
    case Lines::TGA: return IS3InitWriteTGALines(destination, w, h, 32, 0, 0);
    case Lines::TIFF: {
      const LineResolution resolution{dots, dots, 2};
      return IS3InitWriteTIFFLines(destination, w, h, 32, nullptr, 8, &resolution, 0);
    }
    default: return nullptr;
  }
}

void savePage(const char* path, Lines lines, bool four, int32_t dotsPerInch) {
  // Nothing to save without a page, and no file for an extension outside the table.
  if (page.pageWidth < 1 || page.pageHeight < 1 || lines == Lines::None) return;
  const int32_t w = page.pageWidth;
  uint16_t* row = allocArray<uint16_t>(size_t(w) * 4);
  uint8_t* output = allocArray<uint8_t>(size_t(w) * (four ? 4 : 3));
  if (row && output) {
    DestinationHandle destination = IS3OpenFileDest(path, 0);
    LineWriterHandle writer = startLines(lines, destination, four, dotsPerInch);
    const bool bottomFirst = lines == Lines::BMP;
    for (int32_t i = 0; i < page.pageHeight; ++i) {
      const int32_t y = bottomFirst ? page.pageHeight - 1 - i : i;
      RVL_MergeRect(row, 0, y, w, 1);
      if (four)
        RVL_GetRGBA32FromRGBA64Rect(output, w * 4, row, w * 8, 0, 0, w, 1);
      else
        RVL_GetRGB24FromRGBA64Rect(output, w * 3, row, w * 8, 0, 0, w, 1);
      IS3WriteNextLine(writer, output);
    }
    IS3DestroyWriteLines(writer);
    IS3CloseDest(destination);
  }
  release(row);
  release(output);
}

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_SavePageToFileRGB24(const char* path, const char* extension,
                                           int32_t dotsPerInch) noexcept {
  guarded("RVL_SavePageToFileRGB24 Excpt",
          [&] { savePage(path, threeChannelLines(extension), false, dotsPerInch); });
  return 0;
}

extern "C" int32_t RVL_SavePageToFileRGB32(const char* path, const char* extension,
                                           int32_t dotsPerInch) noexcept {
  guarded("RVL_SavePageToFileRGB32 Excpt",
          [&] { savePage(path, fourChannelLines(extension), true, dotsPerInch); });
  return 0;
}
