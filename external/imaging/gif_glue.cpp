// GIF through giflib: reader of the first frame and the 8-bit writer. giflib's failures
// come back as GIF_ERROR with a code; they end here as 0 results.
#include <gif_lib.h>

#include <algorithm>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t at;
};

int readMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  if (count <= 0) return 0;
  const size_t n = std::min(size_t(count), in->size - in->at);
  std::memcpy(out, in->data + in->at, n);
  in->at += n;
  return int(n);
}

int writeDestination(GifFileType* gif, const GifByteType* data, int count) {
  if (count <= 0) return 0;
  return destinationWrite(static_cast<DestinationHandle>(gif->UserData), data, size_t(count))
             ? count
             : 0;
}

// The most pixels LZW data of bytes bytes can decode to. Every code takes at least one
// bit; the i-th code after a clear decodes to at most i pixels (each table entry is one
// longer than an earlier string) and no code to more than 4096, so clears never help.
uint64_t mostDecodedPixels(uint64_t bytes) {
  constexpr uint64_t kLongest = 4096;
  const uint64_t codes = bytes * 8;
  if (codes <= kLongest) return codes * (codes + 1) / 2;
  return kLongest * (kLongest + 1) / 2 + (codes - kLongest) * kLongest;
}

// Reads the first frame onto the canvas; false when the data is refused.
bool readFirstFrame(GifFileType* gif, Picture& out) {
  int transparent = -1;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return false;
    if (record == TERMINATE_RECORD_TYPE) return false;  // no frame at all
    if (record == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
        transparent = (block[1] & 1) ? block[4] : -1;
      while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
      continue;
    }
    if (record != IMAGE_DESC_RECORD_TYPE) return false;
    if (DGifGetImageDesc(gif) == GIF_ERROR) return false;
    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) return false;
    const uint64_t right = uint64_t(frame.Left) + uint64_t(frame.Width);
    const uint64_t bottom = uint64_t(frame.Top) + uint64_t(frame.Height);
    const bool screen = gif->SWidth > 0 && gif->SHeight > 0;
    const uint64_t width = screen ? uint64_t(gif->SWidth) : right;
    const uint64_t height = screen ? uint64_t(gif->SHeight) : bottom;
    if (!pictureSizeOk(width, height) || uint64_t(frame.Width) > kMaxPictureSide ||
        uint64_t(frame.Height) > kMaxPictureSide)
      return false;
    // A frame its data cannot fill is refused before anything is allocated. (The screen
    // around it is filled transparent, so a small file may still declare a large one.)
    const auto* input = static_cast<const MemoryInput*>(gif->UserData);
    if (uint64_t(frame.Width) * uint64_t(frame.Height) > mostDecodedPixels(input->size - input->at))
      return false;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    uint8_t colours[256][4];
    for (int i = 0; i < 256; ++i) {
      colours[i][0] = colours[i][1] = colours[i][2] = 0;
      colours[i][3] = 255;
      if (map && i < map->ColorCount) {
        colours[i][0] = map->Colors[i].Red;
        colours[i][1] = map->Colors[i].Green;
        colours[i][2] = map->Colors[i].Blue;
      }
    }
    if (transparent >= 0) colours[transparent][3] = 0;
    if (!allocatePicture(out, uint32_t(width), uint32_t(height))) return false;
    std::memset(out.pixels(), 0, size_t(width) * height * 4);
    Bytes line(size_t(frame.Width));
    if (!line) return setLastError(kOutOfMemory), false;
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      for (int y = frame.Interlace ? start[pass] : 0; y < frame.Height;
           y += frame.Interlace ? step[pass] : 1) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
        const uint64_t row = uint64_t(frame.Top) + uint64_t(y);
        if (row >= height) continue;
        uint8_t* o = out.row(uint32_t(row));
        for (int x = 0; x < frame.Width; ++x) {
          const uint64_t column = uint64_t(frame.Left) + uint64_t(x);
          if (column < width) std::memcpy(o + column * 4, colours[line.data()[x]], 4);
        }
      }
    }
    return true;
  }
}

}  // namespace

bool decodeGIF(ByteView file, Picture& out) {
  MemoryInput input{file.data(), file.size(), 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&input, readMemory, &error);
  if (!gif) return setLastError(error == D_GIF_ERR_NOT_ENOUGH_MEM ? kOutOfMemory : kCorruptData), false;
  const bool ok = readFirstFrame(gif, out);
  DGifCloseFile(gif, &error);
  if (!ok) {
    platform::globalFree(out.block);
    out.block = nullptr;
    if (IS3GetLastError() != kOutOfMemory) setLastError(kCorruptData);
  }
  return ok;
}

uint32_t IS3WriteGIF(DestinationHandle destination, const uint8_t* indices, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                     uint32_t paletteColours, const uint8_t* palette, int32_t transparentIndex,
                     uint32_t) {
  ConstImageView rows;
  if (!writerRows(indices, width, height, rowBytes, 1, kGrey8, rows) || !destination ||
      !palette || width > 65535 || height > 65535 || bitsPerPixel < 1 || bitsPerPixel > 8 ||
      paletteColours < 1 || paletteColours > (1u << bitsPerPixel) ||
      transparentIndex >= int32_t(1u << bitsPerPixel))
    return failed(kBadArgument);
  Bytes line(width);
  if (!line) return failed(kOutOfMemory);
  ColorMapObject* map = GifMakeMapObject(1 << bitsPerPixel, nullptr);
  if (!map) return failed(kOutOfMemory);
  for (uint32_t i = 0; i < paletteColours; ++i)
    map->Colors[i] = GifColorType{palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
  int error = 0;
  GifFileType* gif = EGifOpen(destination, writeDestination, &error);
  bool ok = gif != nullptr;
  if (ok) {
    EGifSetGifVersion(gif, transparentIndex >= 0);
    ok = EGifPutScreenDesc(gif, int(width), int(height), int(bitsPerPixel), 0, map) == GIF_OK;
  }
  if (ok && transparentIndex >= 0) {
    const GifByteType control[4] = {1, 0, 0, GifByteType(transparentIndex)};
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_OK;
  }
  if (ok) ok = EGifPutImageDesc(gif, 0, 0, int(width), int(height), false, nullptr) == GIF_OK;
  const uint8_t mask = uint8_t((1u << bitsPerPixel) - 1);
  for (uint32_t y = 0; ok && y < height; ++y) {
    // giflib masks the row it is given: hand it a copy.
    const uint8_t* row = rows.row(y);
    for (uint32_t x = 0; x < width; ++x) line.data()[x] = row[x] & mask;
    ok = EGifPutLine(gif, line.data(), int(width)) == GIF_OK;
  }
  if (gif && EGifCloseFile(gif, &error) == GIF_ERROR) ok = false;
  GifFreeMapObject(map);
  return ok ? 1 : failed(kLibraryFailure);
}

}  // namespace rvl::imaging
