// TIFF through libtiff: reader of the first page, header reader and line writer.
// libtiff reports errors through the handlers of its open options, which here stay
// silent; its calls return failure codes that this unit turns into 0 results.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <sys/stat.h>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

int quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// ---- reading from memory ----

struct MemoryFile {
  const uint8_t* data;
  uint64_t size;
  uint64_t at;
};

tmsize_t memRead(thandle_t h, void* out, tmsize_t count) {
  auto* m = static_cast<MemoryFile*>(h);
  if (count < 0) return -1;
  const uint64_t n = std::min<uint64_t>(uint64_t(count), m->at < m->size ? m->size - m->at : 0);
  if (n) std::memcpy(out, m->data + m->at, n);
  m->at += n;
  return tmsize_t(n);
}
tmsize_t memWrite(thandle_t, void*, tmsize_t) { return -1; }
toff_t memSeek(thandle_t h, toff_t offset, int whence) {
  auto* m = static_cast<MemoryFile*>(h);
  const uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->size;
  if (offset > UINT64_MAX - base) return toff_t(-1);
  m->at = base + offset;
  return m->at;
}
int memClose(thandle_t) { return 0; }
toff_t memSize(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
int memMap(thandle_t h, void** base, toff_t* size) {
  auto* m = static_cast<MemoryFile*>(h);
  *base = const_cast<uint8_t*>(m->data);
  *size = m->size;
  return 1;
}
void memUnmap(thandle_t, void*, toff_t) {}

TIFF* openMemory(MemoryFile& file) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxPictureSide) * kMaxPictureSide * 4);
  TIFF* tif = TIFFClientOpenExt("memory", "rm", &file, memRead, memWrite, memSeek, memClose,
                                memSize, memMap, memUnmap, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

// 8-bit contiguous RGB, RGB with unassociated alpha, or grey in strips: read row by row,
// exactly as stored. Other layouts go through libtiff's RGBA reader.
bool plainLayout(TIFF* tif, uint16_t& samples) {
  uint16_t bits = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
  samples = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  if (TIFFIsTiled(tif) || bits != 8 || planar != PLANARCONFIG_CONTIG) return false;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  if (orientation != ORIENTATION_TOPLEFT) return false;
  uint16_t extraCount = 0;
  uint16_t* extra = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  if (photometric == PHOTOMETRIC_RGB)
    return samples == 3 || (samples == 4 && extraCount == 1 && extra && extra[0] == EXTRASAMPLE_UNASSALPHA);
  if (photometric == PHOTOMETRIC_MINISBLACK) return samples == 1;
  return false;
}

bool readPlain(TIFF* tif, uint16_t samples, Picture& out) {
  const tmsize_t lineSize = TIFFScanlineSize(tif);
  if (lineSize < tmsize_t(out.width) * samples) return false;
  Bytes line{size_t(lineSize)};
  if (!line) return setLastError(kOutOfMemory), false;
  for (uint32_t y = 0; y < out.height; ++y) {
    if (TIFFReadScanline(tif, line.data(), y, 0) < 0) return false;
    const uint8_t* in = line.data();
    uint8_t* o = out.row(y);
    for (uint32_t x = 0; x < out.width; ++x, in += samples, o += 4) {
      o[0] = in[0];
      o[1] = samples >= 3 ? in[1] : in[0];
      o[2] = samples >= 3 ? in[2] : in[0];
      o[3] = samples == 4 ? in[3] : 255;
    }
  }
  return true;
}

// The most bytes one byte of strip data can decode to under a compression; 0 when the
// compression gives no useful bound (CCITT fax codes a blank row in a bit or two, JPEG's
// and the newer codecs' runs are nearly free).
uint64_t mostDecodedPerByte(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;  // 128 bytes from a two-byte run
    case COMPRESSION_LZW: return 3641;     // a string of at most 4096 bytes per code of 9 bits or more
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 1032;  // 258 bytes per two bits
    default: return 0;
  }
}

// Whether the strips (or tiles) of the page can hold its picture: what they hold, times
// what a byte decodes to at most, must reach the picture's raw size. Only the bytes the
// file really has are counted. YCbCr pictures count their luma samples only, as their
// colour may be subsampled.
bool dataCanHoldPicture(TIFF* tif, uint64_t fileSize, uint32_t width, uint32_t height) {
  uint16_t compression = COMPRESSION_NONE, bits = 1, samples = 1, photometric = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  const uint64_t ratio = mostDecodedPerByte(compression);
  if (!ratio) return true;
  const uint64_t counted = photometric == PHOTOMETRIC_YCBCR ? 1 : samples;
  const uint64_t raw = uint64_t(width) * height * bits * counted / 8;
  uint64_t held = 0;
  for (uint32_t i = 0, n = TIFFNumberOfStrips(tif); i < n; ++i) {
    const uint64_t offset = TIFFGetStrileOffset(tif, i);
    if (offset >= fileSize) continue;
    held += std::min(TIFFGetStrileByteCount(tif, i), fileSize - offset);
    if (held >= raw) return true;  // also keeps the sum from overflowing
  }
  return held >= (raw + ratio - 1) / ratio;
}

// libtiff's RGBA reader gives alpha associated with the colour; the picture keeps it
// unassociated.
void unassociate(Picture& out) {
  uint8_t* p = out.pixels();
  for (size_t i = 0, n = size_t(out.width) * out.height; i < n; ++i, p += 4) {
    const uint32_t a = p[3];
    if (a == 0 || a == 255) continue;
    for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::min<uint32_t>(255, (p[c] * 255u + a / 2) / a));
  }
}

// ---- writing to a destination ----

tmsize_t destRead(thandle_t h, void* out, tmsize_t count) {
  auto* d = static_cast<DestinationHandle>(h);
  return count < 0 ? -1 : tmsize_t(std::fread(out, 1, size_t(count), d->file));
}
tmsize_t destWrite(thandle_t h, void* data, tmsize_t count) {
  if (count < 0) return -1;
  return destinationWrite(static_cast<DestinationHandle>(h), data, size_t(count)) ? count : -1;
}
toff_t destSeek(thandle_t h, toff_t offset, int whence) {
  auto* d = static_cast<DestinationHandle>(h);
  if (offset > toff_t(INT64_MAX) || fseeko(d->file, off_t(offset), whence) != 0) return toff_t(-1);
  const off_t at = ftello(d->file);
  return at < 0 ? toff_t(-1) : toff_t(at);
}
int destClose(thandle_t) { return 0; }
toff_t destSize(thandle_t h) {
  auto* d = static_cast<DestinationHandle>(h);
  std::fflush(d->file);
  struct stat info {};
  return fstat(fileno(d->file), &info) == 0 ? toff_t(info.st_size) : 0;
}
int noMap(thandle_t, void**, toff_t*) { return 0; }
void noUnmap(thandle_t, void*, toff_t) {}

struct TiffLines final : LineWriterData {
  TIFF* tif = nullptr;
  Bytes line;
  uint32_t samples = 0;
  ~TiffLines() override {
    if (tif) TIFFClose(tif);
  }
  bool start(DestinationHandle destination, uint32_t bitsPerPixel, uint32_t compression,
             const LineResolution* res) {
    samples = bitsPerPixel / 8;
    line = Bytes(size_t(width) * samples);
    if (!line) return false;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    tif = TIFFClientOpenExt("destination", "w", destination, destRead, destWrite, destSeek,
                            destClose, destSize, noMap, noUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tif) return false;
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                           samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (ok && samples == 4) {
      const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
      ok = TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    if (ok && (compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
               compression == COMPRESSION_DEFLATE))
      ok = TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (ok && res) {
      const uint16_t unit = uint16_t(res->unit >= 1 && res->unit <= 3 ? res->unit : RESUNIT_INCH);
      ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(res->x)) &&
           TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(res->y)) &&
           TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, unit);
    }
    return ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  }
  bool writeLine(const uint8_t* row) override {
    // libtiff may change the row it is given (predictor, byte order): hand it a copy.
    std::memcpy(line.data(), row, line.size());
    return TIFFWriteScanline(tif, line.data(), rowsWritten, 0) == 1;
  }
  bool finish() override {
    const bool written = TIFFWriteDirectory(tif) == 1;
    TIFFClose(tif);
    tif = nullptr;
    return written;
  }
};

}  // namespace

bool decodeTIFF(ByteView file, Picture& out) {
  MemoryFile memory{file.data(), file.size(), 0};
  TIFF* tif = openMemory(memory);
  if (!tif) return setLastError(kCorruptData), false;
  uint32_t width = 0, height = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
  char message[1024];
  // Data that cannot hold the picture is refused before anything is allocated.
  bool ok = pictureSizeOk(width, height) && TIFFRGBAImageOK(tif, message) &&
            dataCanHoldPicture(tif, file.size(), width, height);
  if (ok) ok = allocatePicture(out, width, height);
  if (ok) {
    uint16_t samples = 0;
    if (plainLayout(tif, samples)) {
      ok = readPlain(tif, samples, out);
    } else {
      ok = TIFFReadRGBAImageOriented(tif, width, height, reinterpret_cast<uint32_t*>(out.pixels()),
                                     ORIENTATION_TOPLEFT, 1) == 1;
      if (ok) unassociate(out);
    }
  }
  TIFFClose(tif);
  if (!ok) {
    platform::globalFree(out.block);
    out.block = nullptr;
    if (IS3GetLastError() != kOutOfMemory) setLastError(kCorruptData);
  }
  return ok;
}

uint32_t IS3GetTIFFDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                              uint32_t* bitsPerPixel, Resolution* resolution) {
  Bytes bytes = readRest(source);
  if (!bytes) return 0;
  MemoryFile memory{bytes.data(), bytes.size(), 0};
  TIFF* tif = openMemory(memory);
  if (!tif) return failed(kCorruptData);
  uint32_t w = 0, h = 0;
  uint16_t bits = 1, samples = 1, unit = RESUNIT_INCH;
  float x = 0, y = 0;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  const bool stored = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) == 1;
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y);
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  TIFFClose(tif);
  const auto whole = [](float v) { return v > 0 && v < 4e9f ? uint32_t(v) : 0u; };
  if (width) *width = w;
  if (height) *height = h;
  if (bitsPerPixel) *bitsPerPixel = uint32_t(bits) * samples;
  if (resolution) *resolution = stored ? Resolution{whole(x), whole(y), unit} : Resolution{0, 0, 0};
  return 1;
}

LineWriterHandle IS3InitWriteTIFFLines(DestinationHandle destination, uint32_t width,
                                       uint32_t height, uint32_t bitsPerPixel, const uint8_t*,
                                       uint32_t compression, const LineResolution* resolution,
                                       uint32_t) {
  if (compression == 0) compression = COMPRESSION_NONE;
  if (!destination || !pictureSizeOk(width, height) ||
      (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) ||
      !TIFFIsCODECConfigured(uint16_t(compression)) || compression > 0xFFFF)
    return setLastError(kBadArgument), nullptr;
  TiffLines* writer = makeLineWriter<TiffLines>(width, height);
  if (!writer) return nullptr;
  if (!writer->start(destination, bitsPerPixel, compression, resolution)) {
    destroyLineWriter(writer);
    return setLastError(kLibraryFailure), nullptr;
  }
  return writer;
}

uint32_t IS3WriteTIFF(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                      uint32_t height, uint32_t rowBytes, uint32_t bitsPerPixel,
                      uint32_t compression, const WriteResolution* resolution, uint32_t flags) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kGrey8 | kRGB24 | kRGBA32, rows))
    return failed(kBadArgument);
  LineResolution lines{};
  if (resolution) lines = LineResolution{double(resolution->x), double(resolution->y), resolution->unit};
  return writeAllLines(IS3InitWriteTIFFLines(destination, width, height, bitsPerPixel, nullptr,
                                             compression, resolution ? &lines : nullptr, flags),
                       rows, false);
}

}  // namespace rvl::imaging
