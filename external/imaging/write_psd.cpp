// PSD writer: a composite-only document (no layers) of 8-bit RGB, with alpha as the
// fourth channel, PackBits coded, with a resolution record when one is given.
#include <algorithm>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

// PackBits of count bytes into out (room for count + count / 128 + 1); returns the bytes.
size_t packBits(const uint8_t* in, size_t count, uint8_t* out) {
  size_t o = 0;
  for (size_t i = 0; i < count;) {
    size_t run = 1;
    while (i + run < count && run < 128 && in[i + run] == in[i]) ++run;
    if (run >= 3 || (run == 2 && i + run == count)) {
      out[o++] = uint8_t(int8_t(1 - int(run)));
      out[o++] = in[i];
      i += run;
      continue;
    }
    size_t literal = 0;
    while (i + literal < count && literal < 128) {
      const size_t j = i + literal;
      if (j + 2 < count && in[j] == in[j + 1] && in[j] == in[j + 2]) break;
      ++literal;
    }
    out[o++] = uint8_t(literal - 1);
    std::memcpy(out + o, in + i, literal);
    o += literal;
    i += literal;
  }
  return o;
}

}  // namespace

uint32_t IS3WritePSD(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                     const WriteResolution* resolution, uint32_t) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kRGB24 | kRGBA32, rows) ||
      !destination || width > 30000 || height > 30000 || (bitsPerPixel != 24 && bitsPerPixel != 32))
    return failed(kBadArgument);
  const uint32_t channels = bitsPerPixel / 8;
  uint8_t header[26 + 4] = {};
  std::memcpy(header, "8BPS", 4);
  putBE16(header + 4, 1);
  putBE16(header + 12, channels);
  putBE32(header + 14, height);
  putBE32(header + 18, width);
  putBE16(header + 22, 8);
  putBE16(header + 24, 3);  // RGB; the colour mode data that follows is empty
  bool ok = destinationWrite(destination, header, sizeof header);

  uint8_t resources[4 + 28] = {};
  size_t resourceBytes = 4;
  if (resolution) {
    uint8_t* r = resources + 4;
    std::memcpy(r, "8BIM", 4);
    putBE16(r + 4, 0x03ED);
    putBE32(r + 8, 16);
    const uint32_t unit = resolution->unit == 3 ? 2 : 1;  // the file's 1 = inch, 2 = centimetre
    putBE32(r + 12, std::min<uint32_t>(resolution->x, 32767) << 16);
    putBE16(r + 16, unit);
    putBE16(r + 18, 1);
    putBE32(r + 20, std::min<uint32_t>(resolution->y, 32767) << 16);
    putBE16(r + 24, unit);
    putBE16(r + 26, 1);
    putBE32(resources, 28);
    resourceBytes += 28;
  }
  const uint8_t noLayers[4] = {0, 0, 0, 0};
  const uint8_t rle[2] = {0, 1};
  ok = ok && destinationWrite(destination, resources, resourceBytes) &&
       destinationWrite(destination, noLayers, 4) && destinationWrite(destination, rle, 2);

  Bytes plane(width), packed(size_t(width) + width / 128 + 2), table(size_t(channels) * height * 2);
  if (!plane || !packed || !table) return failed(kOutOfMemory);
  const auto packRow = [&](uint32_t c, uint32_t y) {
    const uint8_t* in = rows.row(y) + c;
    for (uint32_t x = 0; x < width; ++x) plane.data()[x] = in[size_t(x) * channels];
    return packBits(plane.data(), width, packed.data());
  };
  // The row lengths come first, so every row is packed twice.
  for (uint32_t c = 0; c < channels; ++c)
    for (uint32_t y = 0; y < height; ++y)
      putBE16(table.data() + (size_t(c) * height + y) * 2, uint32_t(packRow(c, y)));
  ok = ok && destinationWrite(destination, table.data(), table.size());
  for (uint32_t c = 0; ok && c < channels; ++c)
    for (uint32_t y = 0; ok && y < height; ++y) {
      const size_t length = packRow(c, y);
      ok = destinationWrite(destination, packed.data(), length);
    }
  return ok ? 1 : failed(kLibraryFailure);
}

}  // namespace rvl::imaging
