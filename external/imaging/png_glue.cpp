// PNG through libpng: reader, header reader, whole-picture and line writers. libpng's
// errors arrive as a longjmp to the setjmp of the function that called into it; no
// frame between the two holds an object with a destructor, and every failure leaves
// this unit as a 0 result with the last error set.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <new>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

// ---- reading ----

struct MemoryInput {
  const uint8_t* data;
  size_t size;
  size_t at;
};

void readMemory(png_structp png, png_bytep out, size_t count) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (count > in->size - in->at) png_error(png, "truncated");
  std::memcpy(out, in->data + in->at, count);
  in->at += count;
}

void readSource(png_structp png, png_bytep out, size_t count) {
  if (!sourceRead(static_cast<SourceHandle>(png_get_io_ptr(png)), out, count))
    png_error(png, "truncated");
}

// The bytes of compressed image data in the file: the IDAT chunks' data, as much of each
// as the file holds.
uint64_t imageDataBytes(ByteView file) {
  uint64_t total = 0;
  for (size_t at = 8; file.has(at, 8);) {
    const uint64_t length = file.be32(at);
    const uint8_t* type = file.data() + at + 4;
    const uint64_t held = file.size() - at - 8;
    if (std::memcmp(type, "IDAT", 4) == 0) total += std::min(length, held);
    if (std::memcmp(type, "IEND", 4) == 0 || length + 4 > held) break;
    at += size_t(length) + 12;
  }
  return total;
}

// The bytes the image data must inflate to: every row of every pass with its filter byte.
uint64_t rawImageBytes(png_structp png, png_infop info) {
  const uint64_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  const uint64_t bits = uint64_t(png_get_bit_depth(png, info)) * png_get_channels(png, info);
  const auto rowBytes = [bits](uint64_t columns) { return (columns * bits + 7) / 8; };
  if (png_get_interlace_type(png, info) != PNG_INTERLACE_ADAM7) return height * (1 + rowBytes(width));
  uint64_t total = 0;
  for (int pass = 0; pass < 7; ++pass) {
    const uint64_t columns = PNG_PASS_COLS(width, pass), rows = PNG_PASS_ROWS(height, pass);
    if (columns && rows) total += rows * (1 + rowBytes(columns));
  }
  return total;
}

// Deflate gives at most 258 bytes for two bits (a length and a distance code of one bit
// each): 1032 bytes for every byte of data.
constexpr uint64_t kMostInflatedPerByte = 1032;

struct ReadJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep* rows = nullptr;
  Picture* out = nullptr;
  uint32_t error = kCorruptData;
};

void limit(png_structp png) {
  png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
  png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_WARN_DISCARD);
}

// The protected part of the read: everything libpng may leave by longjmp. Image data
// too short to inflate to the picture is refused before anything is allocated.
bool decodeProtected(ReadJob* job, uint64_t compressedBytes) {
  if (setjmp(png_jmpbuf(job->png))) return false;
  limit(job->png);
  png_read_info(job->png, job->info);
  const uint32_t width = png_get_image_width(job->png, job->info);
  const uint32_t height = png_get_image_height(job->png, job->info);
  if (!pictureSizeOk(width, height)) return false;
  if (rawImageBytes(job->png, job->info) > compressedBytes * kMostInflatedPerByte) return false;
  png_set_expand(job->png);
  png_set_strip_16(job->png);
  png_set_gray_to_rgb(job->png);
  png_set_filler(job->png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(job->png);
  png_read_update_info(job->png, job->info);
  if (png_get_rowbytes(job->png, job->info) != size_t(width) * 4) return false;
  if (!allocatePicture(*job->out, width, height)) {
    job->error = kOutOfMemory;
    return false;
  }
  job->rows = allocateArray<png_bytep>(height);
  if (!job->rows) {
    job->error = kOutOfMemory;
    return false;
  }
  for (uint32_t y = 0; y < height; ++y) job->rows[y] = job->out->row(y);
  png_read_image(job->png, job->rows);
  png_read_end(job->png, nullptr);
  return true;
}

bool headerProtected(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  limit(png);
  png_read_info(png, info);
  return true;
}

// ---- writing ----

void writeDestination(png_structp png, png_bytep data, size_t count) {
  if (!destinationWrite(static_cast<DestinationHandle>(png_get_io_ptr(png)), data, count))
    png_error(png, "write failed");
}
void flushDestination(png_structp) {}

uint32_t channelsOf(uint32_t colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 0;
  }
}

struct PngLines final : LineWriterData {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngLines() override { png_destroy_write_struct(&png, &info); }

  bool start(DestinationHandle destination, uint32_t colourType, uint32_t paletteColours,
             const uint8_t* palette, double gamma, bool interlaced, const LineResolution* res) {
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png) return false;
    info = png_create_info_struct(png);
    if (!info) return false;
    return startProtected(destination, colourType, paletteColours, palette, gamma, interlaced,
                          res);
  }
  bool startProtected(DestinationHandle destination, uint32_t colourType,
                      uint32_t paletteColours, const uint8_t* palette, double gamma,
                      bool interlaced, const LineResolution* res) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, destination, writeDestination, flushDestination);
    png_set_IHDR(png, info, width, height, 8, int(colourType),
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
      png_color entries[256];
      for (uint32_t i = 0; i < paletteColours; ++i)
        entries[i] = png_color{palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
      png_set_PLTE(png, info, entries, int(paletteColours));
    }
    if (gamma > 0) png_set_gAMA(png, info, gamma);
    if (res) {
      const auto round = [](double v) { return v <= 0 ? 0u : v >= 4e9 ? 4000000000u : uint32_t(v + 0.5); };
      png_set_pHYs(png, info, round(res->x), round(res->y),
                   res->unit == 1 ? PNG_RESOLUTION_METER : PNG_RESOLUTION_UNKNOWN);
    }
    png_write_info(png, info);
    if (interlaced) png_set_interlace_handling(png);
    return true;
  }
  bool writeLine(const uint8_t* row) override {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_row(png, row);
    return true;
  }
  bool finish() override {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_end(png, info);
    return true;
  }
};

PngLines* startLines(DestinationHandle destination, uint32_t width, uint32_t height,
                     uint32_t rowBytes, uint32_t bitDepth, uint32_t paletteColours,
                     const uint8_t* palette, uint32_t colourType, double gamma, bool interlaced,
                     const LineResolution* resolution) {
  const uint32_t channels = channelsOf(colourType);
  if (!destination || bitDepth != 8 || !channels || !pictureSizeOk(width, height) ||
      uint64_t(width) * channels > rowBytes ||
      (colourType == PNG_COLOR_TYPE_PALETTE &&
       (!palette || paletteColours < 1 || paletteColours > 256)))
    return setLastError(kBadArgument), nullptr;
  PngLines* writer = makeLineWriter<PngLines>(width, height);
  if (!writer) return nullptr;
  if (!writer->start(destination, colourType, paletteColours, palette, gamma, interlaced,
                     resolution)) {
    destroyLineWriter(writer);
    return setLastError(kLibraryFailure), nullptr;
  }
  return writer;
}

}  // namespace

bool decodePNG(ByteView file, Picture& out) {
  MemoryInput input{file.data(), file.size(), 0};
  ReadJob job;
  job.out = &out;
  job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (job.png) job.info = png_create_info_struct(job.png);
  bool ok = false;
  if (job.png && job.info) {
    png_set_read_fn(job.png, &input, readMemory);
    ok = decodeProtected(&job, imageDataBytes(file));
  } else {
    job.error = kOutOfMemory;
  }
  png_destroy_read_struct(&job.png, &job.info, nullptr);
  deallocate(job.rows);
  if (!ok) {
    platform::globalFree(out.block);
    out.block = nullptr;
    setLastError(job.error);
  }
  return ok;
}

uint32_t IS3GetPNGDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution) {
  if (!source) return failed(kBadArgument);
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info) {
    png_set_read_fn(png, source, readSource);
    ok = headerProtected(png, info);
  }
  if (ok) {
    if (width) *width = png_get_image_width(png, info);
    if (height) *height = png_get_image_height(png, info);
    if (bitsPerPixel) *bitsPerPixel = uint32_t(png_get_bit_depth(png, info)) * png_get_channels(png, info);
    if (resolution) {
      png_uint_32 x = 0, y = 0;
      int unit = 0;
      if (png_get_pHYs(png, info, &x, &y, &unit))
        *resolution = Resolution{x, y, uint32_t(unit)};
      else
        *resolution = Resolution{0, 0, 0};
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return ok ? 1 : failed(kCorruptData);
}

uint32_t IS3WritePNG(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t bitDepth,
                     uint32_t paletteColours, const uint8_t* palette, uint32_t colourType,
                     double gamma, uint32_t interlace, const WriteResolution* resolution,
                     uint32_t) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, channelsOf(colourType), kGrey8 | kGrey16 | kRGB24 | kRGBA32, rows))
    return failed(kBadArgument);
  LineResolution lines{};
  if (resolution) lines = LineResolution{double(resolution->x), double(resolution->y), resolution->unit};
  PngLines* writer = startLines(destination, width, height, rowBytes, bitDepth, paletteColours,
                                palette, colourType, gamma, interlace != 0,
                                resolution ? &lines : nullptr);
  if (!writer) return 0;
  // Interlaced pictures take every row once per pass.
  const uint32_t passes = interlace ? uint32_t(png_set_interlace_handling(writer->png)) : 1;
  bool ok = true;
  for (uint32_t pass = 0; pass < passes && ok; ++pass)
    for (uint32_t y = 0; y < height && ok; ++y) ok = writer->writeLine(rows.row(y));
  ok = ok && writer->finish();
  destroyLineWriter(writer);
  return ok ? 1 : failed(kLibraryFailure);
}

LineWriterHandle IS3InitWritePNGLines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t rowBytes, uint32_t bitDepth,
                                      uint32_t paletteColours, const uint8_t* palette,
                                      uint32_t colourType, double gamma, uint32_t interlace,
                                      const LineResolution* resolution, uint32_t) {
  // One row per call cannot feed the seven passes of an interlaced picture.
  if (interlace) return setLastError(kBadArgument), nullptr;
  return startLines(destination, width, height, rowBytes, bitDepth, paletteColours, palette,
                    colourType, gamma, false, resolution);
}

}  // namespace rvl::imaging
