// PCX writer: version 5, run-length coded; 24 bits as three planes per line, 8 bits as
// indices followed by the 256-colour palette.
#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

// Run-length codes count bytes into out (room for 2 × count); returns the bytes written.
size_t packLine(const uint8_t* in, size_t count, uint8_t* out) {
  size_t o = 0;
  for (size_t i = 0; i < count;) {
    size_t run = 1;
    while (i + run < count && run < 63 && in[i + run] == in[i]) ++run;
    if (run > 1 || (in[i] & 0xC0) == 0xC0) out[o++] = uint8_t(0xC0 | run);
    out[o++] = in[i];
    i += run;
  }
  return o;
}

}  // namespace

uint32_t IS3WritePCX(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                     const uint8_t* palette, uint32_t) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kGrey8 | kRGB24, rows) ||
      !destination || width > 65534 || height > 65535 || (bitsPerPixel != 8 && bitsPerPixel != 24) ||
      (bitsPerPixel == 8 && !palette))
    return failed(kBadArgument);
  const uint32_t planes = bitsPerPixel / 8;
  const uint32_t bytesPerLine = (width + 1) & ~1u;
  uint8_t header[128] = {};
  header[0] = 0x0A;
  header[1] = 5;
  header[2] = 1;
  header[3] = 8;
  putLE16(header + 8, width - 1);
  putLE16(header + 10, height - 1);
  putLE16(header + 12, 72);
  putLE16(header + 14, 72);
  header[65] = uint8_t(planes);
  putLE16(header + 66, bytesPerLine);
  putLE16(header + 68, planes == 1 ? 2 : 1);
  Bytes line(size_t(bytesPerLine) * planes), packed(size_t(bytesPerLine) * 2);
  if (!line || !packed) return failed(kOutOfMemory);
  std::memset(line.data(), 0, line.size());
  bool ok = destinationWrite(destination, header, sizeof header);
  for (uint32_t y = 0; ok && y < height; ++y) {
    const uint8_t* in = rows.row(y);
    for (uint32_t p = 0; p < planes; ++p) {
      uint8_t* plane = line.data() + size_t(p) * bytesPerLine;
      for (uint32_t x = 0; x < width; ++x) plane[x] = in[size_t(x) * planes + p];
      // Each plane line is coded on its own, so no run crosses into the next.
      ok = ok && destinationWrite(destination, packed.data(), packLine(plane, bytesPerLine, packed.data()));
    }
  }
  if (ok && planes == 1) {
    const uint8_t mark = 0x0C;
    ok = destinationWrite(destination, &mark, 1) && destinationWrite(destination, palette, 768);
  }
  return ok ? 1 : failed(kLibraryFailure);
}

}  // namespace rvl::imaging
