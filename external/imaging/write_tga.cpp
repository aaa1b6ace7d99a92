// TGA writer and line writer: 24-bit and 32-bit true colour, top row first (origin at
// the top left), plain or run-length coded.
#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

struct TgaLines final : LineWriterData {
  DestinationHandle destination = nullptr;
  uint32_t bytesPerPixel = 0;
  bool rle = false;
  Bytes row;     // the row in file order (blue, green, red, alpha)
  Bytes packed;  // its run-length form

  bool start(uint32_t bitsPerPixel, bool runLength) {
    bytesPerPixel = bitsPerPixel / 8;
    rle = runLength;
    row = Bytes(size_t(width) * bytesPerPixel);
    if (rle) packed = Bytes(size_t(width) * (bytesPerPixel + 1));
    if (!row || (rle && !packed)) return setLastError(kOutOfMemory), false;
    uint8_t header[18] = {};
    header[2] = rle ? 10 : 2;
    putLE16(header + 12, width);
    putLE16(header + 14, height);
    header[16] = uint8_t(bitsPerPixel);
    header[17] = uint8_t(0x20 | (bytesPerPixel == 4 ? 8 : 0));
    return destinationWrite(destination, header, sizeof header);
  }
  bool writeLine(const uint8_t* in) override {
    swapRedBlue(in, row.data(), width, bytesPerPixel);
    if (!rle) return destinationWrite(destination, row.data(), row.size());
    const uint8_t* p = row.data();
    const uint32_t n = bytesPerPixel;
    size_t out = 0;
    uint32_t x = 0;
    while (x < width) {
      uint32_t run = 1;
      while (x + run < width && run < 128 && std::memcmp(p + (x + run) * n, p + x * n, n) == 0) ++run;
      if (run >= 2) {
        packed.data()[out++] = uint8_t(0x80 | (run - 1));
        std::memcpy(packed.data() + out, p + x * n, n);
        out += n;
        x += run;
        continue;
      }
      // A literal packet up to the next run of two.
      uint32_t count = 1;
      while (x + count < width && count < 128 &&
             !(x + count + 1 < width &&
               std::memcmp(p + (x + count) * n, p + (x + count + 1) * n, n) == 0))
        ++count;
      packed.data()[out++] = uint8_t(count - 1);
      std::memcpy(packed.data() + out, p + x * n, size_t(count) * n);
      out += size_t(count) * n;
      x += count;
    }
    return destinationWrite(destination, packed.data(), out);
  }
  bool finish() override { return !destination->failed; }
};

}  // namespace

LineWriterHandle IS3InitWriteTGALines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t bitsPerPixel, uint32_t rle,
                                      uint32_t) {
  if (!destination || width < 1 || height < 1 || width > 65535 || height > 65535 ||
      (bitsPerPixel != 24 && bitsPerPixel != 32))
    return setLastError(kBadArgument), nullptr;
  TgaLines* writer = makeLineWriter<TgaLines>(width, height);
  if (!writer) return nullptr;
  writer->destination = destination;
  if (!writer->start(bitsPerPixel, rle != 0)) {
    destroyLineWriter(writer);
    return nullptr;
  }
  return writer;
}

uint32_t IS3WriteTGA(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel, uint32_t flags) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kRGB24 | kRGBA32, rows))
    return failed(kBadArgument);
  return writeAllLines(IS3InitWriteTGALines(destination, width, height, bitsPerPixel, 0, flags),
                       rows, false);
}

}  // namespace rvl::imaging
