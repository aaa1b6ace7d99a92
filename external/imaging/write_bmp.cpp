// BMP writer and line writer: 8-bit (with colour table), 24-bit and 32-bit bitmaps with
// a 40-byte info header, rows bottom-up as the format stores them.
#include <cmath>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

struct BmpLines final : LineWriterData {
  DestinationHandle destination = nullptr;
  uint32_t bytesPerPixel = 0;
  Bytes row;  // one stored row with its padding

  bool start(uint32_t bitsPerPixel, uint32_t paletteColours, const uint8_t* palette,
             const LineResolution* res) {
    bytesPerPixel = bitsPerPixel / 8;
    const uint64_t stride = (uint64_t(width) * bytesPerPixel + 3) & ~uint64_t(3);
    const uint32_t tableEntries = bitsPerPixel == 8 ? paletteColours : 0;
    const uint64_t offBits = 14 + 40 + uint64_t(tableEntries) * 4;
    const uint64_t fileSize = offBits + stride * height;
    if (fileSize > UINT32_MAX) return setLastError(kBadArgument), false;
    row = Bytes(size_t(stride));
    if (!row) return setLastError(kOutOfMemory), false;
    std::memset(row.data(), 0, row.size());

    const auto perMetre = [&](double v) -> uint32_t {
      if (!res || !(v > 0)) return 0;
      const double m = res->unit == 1 ? v * 100 : v;
      return m >= 2147483647.0 ? 2147483647u : uint32_t(std::lround(m));
    };
    uint8_t header[14 + 40] = {};
    header[0] = 'B';
    header[1] = 'M';
    putLE32(header + 2, uint32_t(fileSize));
    putLE32(header + 10, uint32_t(offBits));
    uint8_t* info = header + 14;
    putLE32(info, 40);
    putLE32(info + 4, width);
    putLE32(info + 8, height);
    putLE16(info + 12, 1);
    putLE16(info + 14, bitsPerPixel);
    putLE32(info + 16, 0);  // uncompressed
    putLE32(info + 20, uint32_t(stride * height));
    putLE32(info + 24, perMetre(res ? res->x : 0));
    putLE32(info + 28, perMetre(res ? res->y : 0));
    putLE32(info + 32, tableEntries);
    if (!destinationWrite(destination, header, sizeof header)) return false;
    for (uint32_t i = 0; i < tableEntries; ++i) {
      const uint8_t entry[4] = {palette[3 * i + 2], palette[3 * i + 1], palette[3 * i], 0};
      if (!destinationWrite(destination, entry, 4)) return false;
    }
    return true;
  }
  bool writeLine(const uint8_t* in) override {
    if (bytesPerPixel == 1)
      std::memcpy(row.data(), in, width);
    else
      swapRedBlue(in, row.data(), width, bytesPerPixel);
    return destinationWrite(destination, row.data(), row.size());
  }
  bool finish() override { return !destination->failed; }
};

}  // namespace

LineWriterHandle IS3InitWriteBMPLines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t bitsPerPixel,
                                      uint32_t paletteColours, const uint8_t* palette,
                                      const LineResolution* resolution, uint32_t) {
  if (!destination || width < 1 || height < 1 || width > 0x7fffffff || height > 0x7fffffff ||
      (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) ||
      (bitsPerPixel == 8 && (!palette || paletteColours < 1 || paletteColours > 256)))
    return setLastError(kBadArgument), nullptr;
  BmpLines* writer = makeLineWriter<BmpLines>(width, height);
  if (!writer) return nullptr;
  writer->destination = destination;
  if (!writer->start(bitsPerPixel, paletteColours, palette, resolution)) {
    destroyLineWriter(writer);
    if (IS3GetLastError() == kNoError) setLastError(kLibraryFailure);
    return nullptr;
  }
  return writer;
}

uint32_t IS3WriteBMP(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t bitsPerPixel, uint32_t rowBytes,
                     uint32_t paletteColours, const uint8_t* palette,
                     const WriteResolution* resolution, uint32_t flags) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kGrey8 | kRGB24 | kRGBA32, rows))
    return failed(kBadArgument);
  LineResolution lines{};
  if (resolution) lines = LineResolution{double(resolution->x), double(resolution->y), resolution->unit};
  return writeAllLines(IS3InitWriteBMPLines(destination, width, height, bitsPerPixel,
                                            paletteColours, palette,
                                            resolution ? &lines : nullptr, flags),
                       rows, true);
}

}  // namespace rvl::imaging
