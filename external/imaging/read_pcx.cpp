// PCX reader: 8-bit pictures with the 256-colour palette at the end of the file (grey
// when it is missing) and 24-bit pictures as three 8-bit planes (a fourth plane is
// alpha); run-length coded or plain.
#include <algorithm>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {
// The most bytes n bytes of run-length data decode to: a run is two bytes for at most 63,
// a literal one byte for one.
uint64_t mostDecodedBytes(uint64_t n) { return n / 2 * 63 + n % 2; }
}  // namespace

bool decodePCX(ByteView file, Picture& out) {
  if (file.size() < 128 || file.u8(0) != 0x0A) return setLastError(kCorruptData), false;
  const uint32_t encoding = file.u8(2), bits = file.u8(3);
  const uint32_t xMin = file.le16(4), yMin = file.le16(6), xMax = file.le16(8), yMax = file.le16(10);
  const uint32_t planes = file.u8(65), bytesPerLine = file.le16(66);
  if (xMax < xMin || yMax < yMin || encoding > 1 || bits != 8 ||
      (planes != 1 && planes != 3 && planes != 4))
    return setLastError(kCorruptData), false;
  const uint32_t width = xMax - xMin + 1, height = yMax - yMin + 1;
  if (!pictureSizeOk(width, height) || bytesPerLine < width) return setLastError(kCorruptData), false;

  size_t dataEnd = file.size();
  uint8_t palette[256][3];
  for (uint32_t i = 0; i < 256; ++i) palette[i][0] = palette[i][1] = palette[i][2] = uint8_t(i);
  if (planes == 1 && file.size() >= 128 + 769 && file.u8(file.size() - 769) == 0x0C) {
    dataEnd = file.size() - 769;
    std::memcpy(palette, file.data() + dataEnd + 1, 768);
  }
  const uint64_t scan = uint64_t(planes) * bytesPerLine;
  const uint64_t dataSize = dataEnd - 128;
  // Data that cannot hold every line is refused before anything is allocated.
  if (scan * height > (encoding ? mostDecodedBytes(dataSize) : dataSize))
    return setLastError(kCorruptData), false;

  Bytes line(static_cast<size_t>(scan));
  if (!line) return setLastError(kOutOfMemory), false;
  if (!allocatePicture(out, width, height)) return false;
  const uint8_t* in = file.data() + 128;
  const uint8_t* end = file.data() + dataEnd;
  uint32_t run = 0;
  uint8_t runValue = 0;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint64_t i = 0; i < scan; ++i) {
      if (!encoding) {
        line.data()[i] = *in++;  // the size check above keeps this inside the data
        continue;
      }
      if (!run) {
        if (in >= end) {
          platform::globalFree(out.block);
          out.block = nullptr;
          return setLastError(kCorruptData), false;
        }
        const uint8_t b = *in++;
        if ((b & 0xC0) == 0xC0) {
          if (in >= end) {
            platform::globalFree(out.block);
            out.block = nullptr;
            return setLastError(kCorruptData), false;
          }
          run = b & 0x3F;
          runValue = *in++;
          if (!run) {
            --i;
            continue;
          }
        } else {
          run = 1;
          runValue = b;
        }
      }
      line.data()[i] = runValue;
      --run;
    }
    uint8_t* o = out.row(y);
    const uint8_t* l = line.data();
    for (uint32_t x = 0; x < width; ++x, o += 4) {
      if (planes == 1) {
        std::memcpy(o, palette[l[x]], 3);
        o[3] = 255;
      } else {
        o[0] = l[x];
        o[1] = l[bytesPerLine + x];
        o[2] = l[2 * size_t(bytesPerLine) + x];
        o[3] = planes == 4 ? l[3 * size_t(bytesPerLine) + x] : 255;
      }
    }
  }
  return true;
}

}  // namespace rvl::imaging
