// TGA reader: colour-mapped (1, 9), true-colour (2, 10) and grey (3, 11) pictures,
// uncompressed or run-length coded, 8, 15, 16, 24 and 32 bits, any of the four origins.
#include <algorithm>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

// One stored value of bytes bytes as RGBA. grey: 8-bit grey or 16-bit grey and alpha.
void toRGBA(const uint8_t* p, uint32_t bytes, bool grey, bool alphaBit, uint8_t* o) {
  if (grey) {
    o[0] = o[1] = o[2] = p[0];
    o[3] = bytes == 2 ? p[1] : 255;
    return;
  }
  switch (bytes) {
    case 2: {
      const uint32_t v = uint32_t(p[0] | p[1] << 8);
      o[0] = uint8_t(((v >> 10) & 31) * 255 / 31);
      o[1] = uint8_t(((v >> 5) & 31) * 255 / 31);
      o[2] = uint8_t((v & 31) * 255 / 31);
      o[3] = alphaBit ? ((v & 0x8000) ? 255 : 0) : 255;
      break;
    }
    case 3:
      o[0] = p[2], o[1] = p[1], o[2] = p[0], o[3] = 255;
      break;
    default:
      o[0] = p[2], o[1] = p[1], o[2] = p[0], o[3] = p[3];
      break;
  }
}

}  // namespace

bool decodeTGA(ByteView file, Picture& out) {
  if (file.size() < 18) return setLastError(kCorruptData), false;
  const uint32_t idLength = file.u8(0), mapType = file.u8(1), type = file.u8(2);
  const uint32_t mapFirst = file.le16(3), mapLength = file.le16(5), mapDepth = file.u8(7);
  const uint32_t width = file.le16(12), height = file.le16(14), depth = file.u8(16);
  const uint32_t descriptor = file.u8(17);
  const bool mapped = type == 1 || type == 9, grey = type == 3 || type == 11;
  const bool rle = type >= 9;
  bool good = pictureSizeOk(width, height) && mapType <= 1 &&
              (mapped || grey || type == 2 || type == 10);
  if (mapped) good = good && mapType == 1 && depth == 8 &&
                     (mapDepth == 15 || mapDepth == 16 || mapDepth == 24 || mapDepth == 32);
  else if (grey) good = good && (depth == 8 || depth == 16);
  else good = good && (depth == 15 || depth == 16 || depth == 24 || depth == 32);
  if (!good) return setLastError(kCorruptData), false;

  const uint32_t bytes = (depth + 7) / 8;
  const uint32_t mapBytes = mapType ? (mapDepth + 7) / 8 : 0;
  const uint64_t mapAt = 18 + uint64_t(idLength);
  const uint64_t dataAt = mapAt + uint64_t(mapLength) * mapBytes;
  if (dataAt > file.size()) return setLastError(kCorruptData), false;
  const uint64_t pixels = uint64_t(width) * height;
  const uint64_t available = file.size() - dataAt;
  // Data that cannot hold every pixel is refused before anything is allocated. A
  // run-length packet of 1 + bytes bytes gives at most 128 pixels; literal packets give
  // fewer per byte.
  if (rle ? pixels > available / (1 + bytes) * 128 : pixels * bytes > available)
    return setLastError(kCorruptData), false;

  // The colour map as RGBA; indices outside it give opaque black.
  const bool alphaBit = (descriptor & 15) >= 1;
  uint8_t map[256][4] = {};
  if (mapped) {
    for (uint32_t i = 0; i < 256; ++i) {
      map[i][3] = 255;
      if (i < mapFirst || i - mapFirst >= mapLength) continue;
      toRGBA(file.data() + mapAt + uint64_t(i - mapFirst) * mapBytes, mapBytes, false,
             alphaBit && mapBytes == 2, map[i]);
    }
  }

  if (!allocatePicture(out, width, height)) return false;
  const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
  const uint8_t* in = file.data() + dataAt;
  const uint8_t* end = file.data() + file.size();
  uint8_t value[4] = {};
  uint32_t repeat = 0, literal = 0;  // pixels left in the current run-length packet
  bool anyAlpha = false;
  for (uint64_t i = 0; i < pixels; ++i) {
    const uint8_t* p;
    if (rle && !repeat && !literal) {
      if (in >= end) {
        platform::globalFree(out.block);
        out.block = nullptr;
        return setLastError(kCorruptData), false;
      }
      const uint32_t head = *in++;
      (head & 0x80 ? repeat : literal) = (head & 0x7F) + 1;
      if (repeat) {
        if (uint64_t(end - in) < bytes) {
          platform::globalFree(out.block);
          out.block = nullptr;
          return setLastError(kCorruptData), false;
        }
        std::memcpy(value, in, bytes);
        in += bytes;
      }
    }
    if (repeat) {
      p = value;
      --repeat;
    } else {
      if (uint64_t(end - in) < bytes) {
        platform::globalFree(out.block);
        out.block = nullptr;
        return setLastError(kCorruptData), false;
      }
      p = in;
      in += bytes;
      if (literal) --literal;
    }
    const uint32_t x = uint32_t(i % width), y = uint32_t(i / width);
    uint8_t* o = out.row(topDown ? y : height - 1 - y) + size_t(rightToLeft ? width - 1 - x : x) * 4;
    if (mapped)
      std::memcpy(o, map[p[0]], 4);
    else
      toRGBA(p, bytes, grey, alphaBit, o);
    if (bytes == 4 && o[3]) anyAlpha = true;
  }
  // 32-bit pictures whose alpha bytes are all zero hold no alpha.
  if (bytes == 4 && !grey && !anyAlpha) {
    uint8_t* o = out.pixels();
    for (uint64_t i = 0; i < pixels; ++i) o[i * 4 + 3] = 255;
  }
  return true;
}

}  // namespace rvl::imaging
