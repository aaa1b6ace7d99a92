// BMP reader and the device-independent bitmap decoder it shares with the metafile
// reader: 1, 4, 8 bits through a colour table (RLE8 and RLE4 too), 16 and 32 bits plain
// or by bit fields, 24 bits; rows bottom-up, or top-down for a negative height.
#include <algorithm>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

constexpr uint32_t kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct Channel {
  uint32_t mask = 0;
  uint32_t shift = 0;
  uint32_t bits = 0;
  Channel() = default;
  explicit Channel(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1u)) ++shift;
    while (shift + bits < 32 && ((m >> (shift + bits)) & 1u)) ++bits;
  }
  uint8_t value(uint32_t pixel, uint8_t none) const {
    if (!bits) return none;
    const uint64_t v = (pixel & mask) >> shift;
    const uint64_t top = (uint64_t(1) << bits) - 1;
    return uint8_t((v * 255 + top / 2) / top);
  }
};

struct Header {
  int64_t width = 0, height = 0;  // height as stored: negative for top-down rows
  uint32_t bits = 0, compression = kRGB, colours = 0;
  uint32_t headerSize = 0;
  uint32_t xPerMetre = 0, yPerMetre = 0;
  Channel red, green, blue, alpha;
  size_t tableAt = 0;    // colour table offset within the info bytes
  uint32_t entrySize = 4;
};

bool parseHeader(ByteView info, Header& h) {
  h.headerSize = info.le32(0);
  if (h.headerSize == 12) {
    h.width = info.le16(4);
    h.height = info.le16(6);
    h.bits = info.le16(10);
    h.entrySize = 3;
    h.tableAt = 12;
    if (info.le16(8) != 1) return false;
  } else if (h.headerSize >= 40 && h.headerSize <= 124) {
    h.width = int32_t(info.le32(4));
    h.height = int32_t(info.le32(8));
    if (info.le16(12) != 1) return false;
    h.bits = info.le16(14);
    h.compression = info.le32(16);
    h.xPerMetre = info.le32(24);
    h.yPerMetre = info.le32(28);
    h.colours = info.le32(32);
    h.tableAt = h.headerSize;
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
      // The masks follow a 40-byte header; longer headers hold them themselves.
      const size_t masks = h.compression == kAlphaBitFields ? 4 : 3;
      const size_t at = 40;
      h.red = Channel(info.le32(at));
      h.green = Channel(info.le32(at + 4));
      h.blue = Channel(info.le32(at + 8));
      if (masks == 4 || h.headerSize >= 56) h.alpha = Channel(info.le32(at + 12));
      if (h.headerSize == 40) h.tableAt = 40 + 4 * masks;
    }
  } else {
    return false;
  }
  return info.ok();
}

bool validHeader(const Header& h) {
  const int64_t rows = h.height < 0 ? -h.height : h.height;
  if (!pictureSizeOk(uint64_t(std::max<int64_t>(h.width, 0)), uint64_t(rows))) return false;
  switch (h.compression) {
    case kRGB:
      return h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 ||
             h.bits == 32;
    case kRLE8: return h.bits == 8 && h.height > 0;
    case kRLE4: return h.bits == 4 && h.height > 0;
    case kBitFields:
    case kAlphaBitFields: return h.bits == 16 || h.bits == 32;
    default: return false;
  }
}

// Colour table as RGBA; entries the file does not hold stay opaque black.
void readTable(ByteView info, const Header& h, uint8_t table[256][4]) {
  for (int i = 0; i < 256; ++i) {
    table[i][0] = table[i][1] = table[i][2] = 0;
    table[i][3] = 255;
  }
  if (h.bits > 8) return;
  uint32_t count = h.colours ? h.colours : (1u << h.bits);
  count = std::min<uint32_t>(count, 1u << h.bits);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = h.tableAt + size_t(i) * h.entrySize;
    if (!info.has(at, 3)) break;
    table[i][0] = info.u8(at + 2);
    table[i][1] = info.u8(at + 1);
    table[i][2] = info.u8(at);
  }
}

// Walks an RLE8 / RLE4 stream over a width × height picture, giving every pixel it sets
// to put(x, y, index), y counting rows from the bottom; pixels past the right edge are
// dropped, and skipped pixels are not given. True when the stream is complete: it ends
// with its end-of-bitmap code or reaches past the last pixel. False when the data ends
// first (the stream was cut short).
template <class Put>
bool walkRLE(ByteView bits, bool four, uint64_t width, uint64_t height, Put put) {
  uint64_t x = 0, y = 0;
  size_t at = 0;
  auto pixel = [&](uint32_t index) {
    if (x < width && y < height) put(x, y, index);
    ++x;
  };
  while (at + 1 < bits.size() && y < height) {
    const uint32_t count = bits.u8(at), value = bits.u8(at + 1);
    at += 2;
    if (count) {
      const uint64_t n = std::min<uint64_t>(count, x < width ? width - x : 0);
      for (uint64_t i = 0; i < n; ++i) pixel(four ? (i & 1 ? value & 15 : value >> 4) : value);
      x += count - n;
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (at + 1 >= bits.size()) break;
      x += bits.u8(at);
      y += bits.u8(at + 1);
      at += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (!bits.has(at, bytes)) break;
      for (uint32_t i = 0; i < value && x < width; ++i) {
        const uint32_t byte = bits.u8(at + (four ? i / 2 : i));
        pixel(four ? (i & 1 ? byte & 15 : byte >> 4) : byte);
      }
      at += (bytes + 1) & ~size_t(1);
    }
  }
  return y >= height || (y == height - 1 && x >= width);
}

void decodeRLE(ByteView bits, const Header& h, const uint8_t table[256][4], Picture& out) {
  std::memset(out.pixels(), 0, size_t(out.width) * out.height * 4);  // skipped: transparent
  walkRLE(bits, h.compression == kRLE4, out.width, out.height,
          [&](uint64_t x, uint64_t y, uint32_t index) {
            std::memcpy(out.row(out.height - 1 - uint32_t(y)) + x * 4, table[index], 4);
          });
}

void decodeRows(ByteView bits, const Header& h, const uint8_t table[256][4], Picture& out) {
  const size_t stride = ((size_t(out.width) * h.bits + 31) / 32) * 4;
  const bool topDown = h.height < 0;
  Channel red = h.red, green = h.green, blue = h.blue, alpha = h.alpha;
  if (h.compression == kRGB && h.bits == 16) {
    red = Channel(0x7C00);
    green = Channel(0x03E0);
    blue = Channel(0x001F);
  }
  const bool fields = h.bits == 16 || (h.bits == 32 && h.compression != kRGB);
  bool anyAlpha = false;
  for (uint32_t row = 0; row < out.height; ++row) {
    const uint8_t* in = bits.data() + size_t(row) * stride;
    uint8_t* o = out.row(topDown ? row : out.height - 1 - row);
    for (uint32_t x = 0; x < out.width; ++x, o += 4) {
      if (h.bits <= 8) {
        const uint32_t perByte = 8 / h.bits;
        const uint32_t byte = in[x / perByte];
        const uint32_t shift = 8 - h.bits * (x % perByte + 1);
        std::memcpy(o, table[(byte >> shift) & ((1u << h.bits) - 1)], 4);
      } else if (fields) {
        const uint32_t p = h.bits == 16 ? uint32_t(in[2 * x] | in[2 * x + 1] << 8)
                                        : uint32_t(in[4 * x]) | uint32_t(in[4 * x + 1]) << 8 |
                                              uint32_t(in[4 * x + 2]) << 16 |
                                              uint32_t(in[4 * x + 3]) << 24;
        o[0] = red.value(p, 0);
        o[1] = green.value(p, 0);
        o[2] = blue.value(p, 0);
        o[3] = alpha.value(p, 255);
        if (h.bits == 32 && alpha.bits && o[3]) anyAlpha = true;
      } else {
        const uint8_t* p = in + x * (h.bits / 8);
        o[0] = p[2];
        o[1] = p[1];
        o[2] = p[0];
        o[3] = h.bits == 32 ? p[3] : 255;
        if (h.bits == 32 && p[3]) anyAlpha = true;
      }
    }
  }
  // 32-bit bitmaps whose fourth bytes are all zero hold no alpha.
  if (h.bits == 32 && (h.compression == kRGB || alpha.bits) && !anyAlpha) {
    uint8_t* p = out.pixels();
    for (size_t i = 0, n = size_t(out.width) * out.height; i < n; ++i) p[i * 4 + 3] = 255;
  }
}

}  // namespace

bool decodeDIB(ByteView info, ByteView bits, Picture& out) {
  Header h;
  if (!parseHeader(info, h) || !validHeader(h)) return setLastError(kCorruptData), false;
  const uint32_t width = uint32_t(h.width);
  const uint32_t height = uint32_t(h.height < 0 ? -h.height : h.height);
  const bool rle = h.compression == kRLE8 || h.compression == kRLE4;
  if (rle) {
    // A stream cut short is refused before the picture is allocated. (A complete stream
    // may still be tiny: its end code and skips leave the rest of the picture
    // transparent, so its size cannot bound the picture's.)
    if (!walkRLE(bits, h.compression == kRLE4, width, height, [](uint64_t, uint64_t, uint32_t) {}))
      return setLastError(kCorruptData), false;
  } else {
    const uint64_t stride = ((uint64_t(width) * h.bits + 31) / 32) * 4;
    // The last row's padding may be missing.
    const uint64_t need = stride * (height - 1) + (uint64_t(width) * h.bits + 7) / 8;
    if (need > bits.size()) return setLastError(kCorruptData), false;
    if (stride * height > bits.size()) {
      // Keep the row arithmetic inside the data: decode from a padded copy.
      Bytes padded(size_t(stride * height));
      if (!padded) return setLastError(kOutOfMemory), false;
      std::memset(padded.data(), 0, padded.size());
      std::memcpy(padded.data(), bits.data(), bits.size());
      uint8_t table[256][4];
      readTable(info, h, table);
      if (!allocatePicture(out, width, height)) return false;
      decodeRows(ByteView(padded.data(), padded.size()), h, table, out);
      return true;
    }
  }
  uint8_t table[256][4];
  readTable(info, h, table);
  if (!allocatePicture(out, width, height)) return false;
  if (rle)
    decodeRLE(bits, h, table, out);
  else
    decodeRows(bits, h, table, out);
  return true;
}

bool decodeBMP(ByteView file, Picture& out) {
  if (file.size() < 18 || file.u8(0) != 'B' || file.u8(1) != 'M')
    return setLastError(kCorruptData), false;
  const uint32_t offBits = file.le32(10);
  const uint32_t infoSize = file.le32(14);
  if (offBits > file.size() || infoSize > file.size() - 14) return setLastError(kCorruptData), false;
  // The info bytes run to the bits (the colour table and masks lie between).
  const size_t infoEnd = std::max<size_t>(offBits, 14 + size_t(infoSize));
  ByteView info(file.data() + 14, std::min(infoEnd, file.size()) - 14);
  ByteView bits(file.data() + offBits, file.size() - offBits);
  return decodeDIB(info, bits, out);
}

uint32_t IS3GetBMPDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution) {
  if (!source) return failed(kBadArgument);
  uint8_t head[14 + 124] = {};
  const uint64_t at = sourceTell(source);
  const uint64_t rest = at <= source->size ? source->size - at : 0;
  const size_t count = size_t(std::min<uint64_t>(rest, sizeof head));
  if (count < 26 || !sourceRead(source, head, count)) return failed(kCorruptData);
  ByteView file(head, count);
  if (file.u8(0) != 'B' || file.u8(1) != 'M') return failed(kCorruptData);
  Header h;
  if (!parseHeader(ByteView(head + 14, count - 14), h) || !validHeader(h))
    return failed(kCorruptData);
  if (width) *width = uint32_t(h.width);
  if (height) *height = uint32_t(h.height < 0 ? -h.height : h.height);
  if (bitsPerPixel) *bitsPerPixel = h.bits;
  if (resolution) {
    const bool stored = h.xPerMetre || h.yPerMetre;
    *resolution = Resolution{h.xPerMetre, h.yPerMetre, stored ? 2u : 0u};
  }
  return 1;
}

}  // namespace rvl::imaging
