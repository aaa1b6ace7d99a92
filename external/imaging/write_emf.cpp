// Enhanced-metafile writer: a header, one stretched-bitmap record holding the picture as
// a 24-bit bottom-up bitmap drawn at its own size, and the end record. The frame assumes
// 96 pixels per inch.
#include "external/imaging/emf_format.h"
#include "external/imaging/file_io.h"

namespace rvl::imaging {

uint32_t IS3WriteEMF(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel, uint32_t) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kRGB24 | kRGBA32, rows) ||
      !destination || !pictureSizeOk(width, height) || (bitsPerPixel != 24 && bitsPerPixel != 32))
    return failed(kBadArgument);
  const uint32_t in = bitsPerPixel / 8;
  const uint32_t stride = (width * 3 + 3) & ~3u;
  const uint32_t bitsSize = stride * height;
  const uint32_t recordSize = emf::kStretchFixedSize + 40 + bitsSize;
  const uint32_t total = emf::kHeaderSize + recordSize + emf::kEndOfFileSize;
  const uint32_t mmX = (width * 254 + 480) / 960, mmY = (height * 254 + 480) / 960;

  uint8_t head[emf::kHeaderSize + emf::kStretchFixedSize + 40] = {};
  uint8_t* h = head;
  putLE32(h, emf::kHeader);
  putLE32(h + 4, emf::kHeaderSize);
  putLE32(h + 16, width - 1);   // bounds, inclusive, in pixels
  putLE32(h + 20, height - 1);
  putLE32(h + 32, (width * 2540 + 48) / 96 - 1);  // frame in 0.01 mm
  putLE32(h + 36, (height * 2540 + 48) / 96 - 1);
  putLE32(h + 40, emf::kSignature);
  putLE32(h + 44, 0x10000);
  putLE32(h + 48, total);
  putLE32(h + 52, 3);       // records
  putLE16(h + 56, 1);       // handles (the reserved one)
  putLE32(h + 72, width);   // reference device in pixels
  putLE32(h + 76, height);
  putLE32(h + 80, mmX ? mmX : 1);
  putLE32(h + 84, mmY ? mmY : 1);
  putLE32(h + 100, (mmX ? mmX : 1) * 1000);
  putLE32(h + 104, (mmY ? mmY : 1) * 1000);

  uint8_t* r = head + emf::kHeaderSize;
  putLE32(r, emf::kStretchDIBits);
  putLE32(r + 4, recordSize);
  putLE32(r + 16, width - 1);
  putLE32(r + 20, height - 1);
  putLE32(r + emf::kCxSrc, width);
  putLE32(r + emf::kCySrc, height);
  putLE32(r + emf::kOffBmi, emf::kStretchFixedSize);
  putLE32(r + emf::kCbBmi, 40);
  putLE32(r + emf::kOffBits, emf::kStretchFixedSize + 40);
  putLE32(r + emf::kCbBits, bitsSize);
  putLE32(r + emf::kRop, emf::kSourceCopy);
  putLE32(r + emf::kCxDest, width);
  putLE32(r + emf::kCyDest, height);
  uint8_t* info = r + emf::kStretchFixedSize;
  putLE32(info, 40);
  putLE32(info + 4, width);
  putLE32(info + 8, height);
  putLE16(info + 12, 1);
  putLE16(info + 14, 24);
  putLE32(info + 20, bitsSize);

  Bytes row(stride);
  if (!row) return failed(kOutOfMemory);
  std::memset(row.data(), 0, stride);
  bool ok = destinationWrite(destination, head, sizeof head);
  for (uint32_t y = height; ok && y-- > 0;) {
    const uint8_t* p = rows.row(y);
    uint8_t* o = row.data();
    for (uint32_t x = 0; x < width; ++x, p += in, o += 3) {
      o[0] = p[2];
      o[1] = p[1];
      o[2] = p[0];
    }
    ok = destinationWrite(destination, row.data(), stride);
  }
  uint8_t end[emf::kEndOfFileSize] = {};
  putLE32(end, emf::kEndOfFile);
  putLE32(end + 4, emf::kEndOfFileSize);
  putLE32(end + 12, 16);
  putLE32(end + 16, emf::kEndOfFileSize);
  ok = ok && destinationWrite(destination, end, sizeof end);
  return ok ? 1 : failed(kLibraryFailure);
}

}  // namespace rvl::imaging
