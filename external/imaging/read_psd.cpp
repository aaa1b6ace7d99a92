// PSD reader: the 8-bit composite picture of RGB and greyscale documents, raw or RLE
// (PackBits) coded, and the resolution record of the image resources.
#include <algorithm>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

constexpr uint32_t kModeGrey = 1, kModeRGB = 3;
constexpr uint32_t kResolutionResource = 0x03ED;

struct PsdHeader {
  uint32_t channels, height, width, depth, mode;
};

bool parseHeader(ByteView head, PsdHeader& h) {
  if (head.size() < 26 || std::memcmp(head.data(), "8BPS", 4) != 0 || head.be16(4) != 1)
    return false;
  h.channels = head.be16(12);
  h.height = head.be32(14);
  h.width = head.be32(18);
  h.depth = head.be16(22);
  h.mode = head.be16(24);
  return h.channels >= 1 && h.channels <= 56 && pictureSizeOk(h.width, h.height) &&
         h.depth == 8 && ((h.mode == kModeRGB && h.channels >= 3) || h.mode == kModeGrey);
}

// PackBits of one row into width bytes; false when the data ends early or overflows.
bool unpackRow(const uint8_t* in, size_t length, uint8_t* out, uint32_t width) {
  size_t at = 0;
  uint32_t done = 0;
  while (done < width) {
    if (at >= length) return false;
    const int32_t n = int8_t(in[at++]);
    if (n >= 0) {
      const uint32_t count = uint32_t(n) + 1;
      if (count > width - done || count > length - at) return false;
      std::memcpy(out + done, in + at, count);
      at += count;
      done += count;
    } else if (n != -128) {
      const uint32_t count = uint32_t(1 - n);
      if (count > width - done || at >= length) return false;
      std::memset(out + done, in[at++], count);
      done += count;
    }
  }
  return true;
}

}  // namespace

bool decodePSD(ByteView file, Picture& out) {
  PsdHeader h;
  if (!parseHeader(file, h)) return setLastError(kCorruptData), false;
  uint64_t at = 26;
  for (int section = 0; section < 3; ++section) {  // colour mode data, resources, layers
    if (!file.has(at, 4)) return setLastError(kCorruptData), false;
    at += 4 + uint64_t(file.be32(size_t(at)));
  }
  if (!file.has(size_t(at), 2)) return setLastError(kCorruptData), false;
  const uint32_t compression = file.be16(size_t(at));
  at += 2;
  const uint32_t used = h.mode == kModeRGB ? std::min(h.channels, 4u) : std::min(h.channels, 2u);
  const uint64_t plane = uint64_t(h.width) * h.height;
  const uint64_t rest = file.size() - at;
  const uint8_t* data = file.data() + at;

  if (compression == 0) {
    if (plane * used > rest) return setLastError(kCorruptData), false;
  } else if (compression == 1) {
    const uint64_t table = uint64_t(h.channels) * h.height * 2;
    if (table > rest) return setLastError(kCorruptData), false;
    // Every row must fit its stored length, and each length must be able to hold a row:
    // PackBits gives at most 128 bytes for every two, so a row of width bytes needs at
    // least 2 × ceil(width / 128). Refused before anything is allocated.
    const uint64_t shortest = 2 * ((uint64_t(h.width) + 127) / 128);
    uint64_t total = 0;
    for (uint64_t i = 0; i < uint64_t(used) * h.height; ++i) {
      const uint32_t length = uint32_t(data[2 * i] << 8 | data[2 * i + 1]);
      if (length < shortest) return setLastError(kCorruptData), false;
      total += length;
    }
    if (total > rest - table) return setLastError(kCorruptData), false;
  } else {
    return setLastError(kCorruptData), false;
  }

  if (!allocatePicture(out, h.width, h.height)) return false;
  Bytes line(h.width);
  if (!line) {
    platform::globalFree(out.block);
    out.block = nullptr;
    return setLastError(kOutOfMemory), false;
  }
  uint8_t* pixels = out.pixels();
  if (used == 1 || used == 3) {
    for (uint64_t i = 0; i < plane; ++i) pixels[i * 4 + 3] = 255;
  }
  uint64_t packedAt = uint64_t(h.channels) * h.height * 2;
  for (uint32_t c = 0; c < used; ++c) {
    for (uint32_t y = 0; y < h.height; ++y) {
      const uint8_t* source;
      if (compression == 0) {
        source = data + (uint64_t(c) * h.height + y) * h.width;
      } else {
        const uint64_t entry = uint64_t(c) * h.height + y;
        const uint32_t length = uint32_t(data[2 * entry] << 8 | data[2 * entry + 1]);
        if (!unpackRow(data + packedAt, length, line.data(), h.width)) {
          platform::globalFree(out.block);
          out.block = nullptr;
          return setLastError(kCorruptData), false;
        }
        packedAt += length;
        source = line.data();
      }
      uint8_t* o = out.row(y);
      for (uint32_t x = 0; x < h.width; ++x, o += 4) {
        if (h.mode == kModeGrey) {
          if (c == 0)
            o[0] = o[1] = o[2] = source[x];
          else
            o[3] = source[x];
        } else {
          o[c] = source[x];
        }
      }
    }
  }
  return true;
}

uint32_t IS3GetPSDDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution) {
  uint8_t head[26];
  if (!source || !sourceRead(source, head, sizeof head)) return failed(kCorruptData);
  PsdHeader h;
  if (!parseHeader(ByteView(head, sizeof head), h)) return failed(kCorruptData);
  Resolution found{0, 0, 0};
  uint8_t field[4];
  if (!sourceRead(source, field, 4) || !IS3Seek(source, ByteView(field, 4).be32(0), 1) ||
      !sourceRead(source, field, 4))
    return failed(kCorruptData);
  uint64_t left = ByteView(field, 4).be32(0);
  // Resource blocks: "8BIM", id, padded Pascal name, size, padded data.
  while (left >= 12) {
    uint8_t block[8];
    if (!sourceRead(source, block, 7)) break;
    ByteView b(block, 7);
    if (std::memcmp(block, "8BIM", 4) != 0) break;
    const uint32_t id = b.be16(4);
    const uint32_t nameBytes = (uint32_t(block[6]) + 2) & ~1u;
    if (!IS3Seek(source, int64_t(nameBytes) - 1, 1) || !sourceRead(source, field, 4)) break;
    const uint32_t size = ByteView(field, 4).be32(0);
    const uint64_t used = 6 + nameBytes + 4 + ((uint64_t(size) + 1) & ~uint64_t(1));
    if (used > left) break;
    if (id == kResolutionResource && size >= 16) {
      uint8_t info[16];
      if (!sourceRead(source, info, 16)) break;
      ByteView r(info, 16);
      found = Resolution{r.be32(0) >> 16, r.be32(8) >> 16, r.be16(4) == 2 ? 3u : 2u};
      break;
    }
    if (!IS3Seek(source, int64_t((uint64_t(size) + 1) & ~uint64_t(1)), 1)) break;
    left -= used;
  }
  if (width) *width = h.width;
  if (height) *height = h.height;
  if (bitsPerPixel) *bitsPerPixel = 8 * std::min(h.channels, h.mode == kModeRGB ? 4u : 2u);
  if (resolution) *resolution = found;
  return 1;
}

}  // namespace rvl::imaging
