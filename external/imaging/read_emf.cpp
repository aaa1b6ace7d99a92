// Metafile reader: renders an enhanced metafile made of a header, one stretched-bitmap
// record and the end record (what IS3WriteEMF makes) at the size asked for. The bitmap
// is placed by its destination rectangle within the metafile's bounds (device units),
// scaled to the picture by nearest pixel, over the background colour. Metafiles with
// other records, and Windows metafiles, are refused.
#include <algorithm>

#include "external/imaging/emf_format.h"
#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

struct Bitmap {
  size_t record = 0;  // offset of the stretched-bitmap record
  size_t size = 0;
};

// Walks the records; true when they are exactly header, one bitmap, end.
bool findBitmap(ByteView file, Bitmap& bitmap) {
  if (file.le32(0) != emf::kHeader || file.le32(40) != emf::kSignature || !file.ok()) return false;
  size_t at = 0;
  int bitmaps = 0;
  for (int records = 0; at < file.size(); ++records) {
    const uint32_t type = file.le32(at), size = file.le32(at + 4);
    if (!file.ok() || size < 8 || (size & 3) || size > file.size() - at) return false;
    if (records == 0) {
      if (type != emf::kHeader || size < 88) return false;
    } else if (type == emf::kStretchDIBits) {
      if (++bitmaps > 1 || size < emf::kStretchFixedSize) return false;
      bitmap = Bitmap{at, size};
    } else if (type == emf::kEndOfFile) {
      return bitmaps == 1;
    } else {
      return false;
    }
    at += size;
  }
  return false;  // no end record
}

}  // namespace

platform::GlobalBlock IS3ReadMetafile(const char* path, uint32_t width, uint32_t height,
                                      uint32_t background, uint32_t, uint32_t* outWidth,
                                      uint32_t* outHeight) {
  SourceHandle source = IS3OpenFileSource(path);
  if (!source) return nullptr;
  Bytes bytes = readRest(source);
  IS3CloseSource(source);
  if (!bytes) return nullptr;
  ByteView file(bytes.data(), bytes.size());
  Bitmap bitmap;
  if (!findBitmap(file, bitmap)) return noPicture(kCorruptData);

  // Bounds of the metafile, inclusive.
  const int64_t left = int32_t(file.le32(8)), top = int32_t(file.le32(12));
  const int64_t boundsW = int64_t(int32_t(file.le32(16))) - left + 1;
  const int64_t boundsH = int64_t(int32_t(file.le32(20))) - top + 1;
  if (boundsW < 1 || boundsH < 1) return noPicture(kCorruptData);
  const uint64_t w = width && height ? width : uint64_t(boundsW);
  const uint64_t h = width && height ? height : uint64_t(boundsH);
  if (!pictureSizeOk(w, h)) return noPicture(width && height ? kBadArgument : kCorruptData);

  ByteView record(file.data() + bitmap.record, bitmap.size);
  const uint32_t offBmi = record.le32(emf::kOffBmi), cbBmi = record.le32(emf::kCbBmi);
  const uint32_t offBits = record.le32(emf::kOffBits), cbBits = record.le32(emf::kCbBits);
  if (!record.has(offBmi, cbBmi) || !record.has(offBits, cbBits) || cbBmi < 12)
    return noPicture(kCorruptData);
  const int64_t xDest = int32_t(record.le32(emf::kXDest)), yDest = int32_t(record.le32(emf::kYDest));
  const int64_t cxDest = int32_t(record.le32(emf::kCxDest)), cyDest = int32_t(record.le32(emf::kCyDest));
  const int64_t xSrc = int32_t(record.le32(emf::kXSrc)), ySrc = int32_t(record.le32(emf::kYSrc));
  const int64_t cxSrc = int32_t(record.le32(emf::kCxSrc)), cySrc = int32_t(record.le32(emf::kCySrc));
  if (cxDest < 1 || cyDest < 1 || cxSrc < 1 || cySrc < 1 || xSrc < 0 || ySrc < 0)
    return noPicture(kCorruptData);
  Picture dib;
  if (!decodeDIB(ByteView(record.data() + offBmi, cbBmi), ByteView(record.data() + offBits, cbBits), dib))
    return nullptr;
  // Source rows count from the bottom of a bottom-up bitmap.
  const bool bottomUp = int32_t(record.le32(offBmi + 8)) > 0;
  if (xSrc + cxSrc > dib.width || ySrc + cySrc > dib.height) {
    platform::globalFree(dib.block);
    return noPicture(kCorruptData);
  }
  const int64_t srcTop = bottomUp ? int64_t(dib.height) - ySrc - cySrc : ySrc;

  platform::GlobalBlock out = platform::globalAlloc(size_t(w * h * 3), false);
  if (!out) {
    platform::globalFree(dib.block);
    return noPicture(kOutOfMemory);
  }
  uint8_t* o = static_cast<uint8_t*>(platform::globalLock(out));
  const uint8_t r = uint8_t(background), g = uint8_t(background >> 8), b = uint8_t(background >> 16);
  for (uint64_t y = 0; y < h; ++y) {
    // The centre of the output pixel in metafile units.
    const int64_t ly = top + int64_t(((2 * y + 1) * uint64_t(boundsH)) / (2 * h));
    const bool rowInside = ly >= yDest && ly < yDest + cyDest;
    const int64_t sy = rowInside ? srcTop + (ly - yDest) * cySrc / cyDest : 0;
    for (uint64_t x = 0; x < w; ++x, o += 3) {
      const int64_t lx = left + int64_t(((2 * x + 1) * uint64_t(boundsW)) / (2 * w));
      if (rowInside && lx >= xDest && lx < xDest + cxDest) {
        const int64_t sx = xSrc + (lx - xDest) * cxSrc / cxDest;
        std::memcpy(o, dib.row(uint32_t(sy)) + sx * 4, 3);
      } else {
        o[0] = r, o[1] = g, o[2] = b;
      }
    }
  }
  platform::globalFree(dib.block);
  if (outWidth) *outWidth = uint32_t(w);
  if (outHeight) *outHeight = uint32_t(h);
  return out;
}

}  // namespace rvl::imaging
