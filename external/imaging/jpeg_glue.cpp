// JPEG through libjpeg-turbo: reader, header reader, whole-picture and line writers, and
// the JPEG settings. libjpeg reports errors through error_exit, which here is a longjmp
// back to the setjmp of the function that called into the library; a premature end of
// the data (which libjpeg only warns about) is treated as an error too. No frame between
// setjmp and longjmp holds an object with a destructor.
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

#include "external/imaging/file_io.h"

namespace rvl::imaging {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) {
  longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}
void onMessage(j_common_ptr info, int level) {
  // A picture whose data ends early is refused, not filled in.
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) onError(info);
}
void onOutput(j_common_ptr) {}

void useErrors(ErrorManager& errors) {
  jpeg_std_error(&errors.pub);
  errors.pub.error_exit = onError;
  errors.pub.emit_message = onMessage;
  errors.pub.output_message = onOutput;
}

// Progressive pictures with absurd numbers of scans are refused.
void onProgress(j_common_ptr info) {
  if (info->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > 500)
    onError(info);
}

struct Settings {
  uint32_t dctMethod = 0;
  uint32_t smoothing = 0;
  bool sampling = false;
  uint32_t horizontal[10] = {};
  uint32_t vertical[10] = {};
};
Settings settings;

// Whether size bytes of file can hold the picture whose header was read. Every scan of a
// sequential Huffman-coded picture codes each block of its components with at least one
// bit, and the component with the fewest blocks still has ceil(width × h / (8 × hMax)) ×
// ceil(height × v / (8 × vMax)) of them. Progressive pictures (runs of empty blocks cost
// a few bits for thousands) and arithmetic-coded ones give no such bound and pass.
bool dataCanHoldPicture(const jpeg_decompress_struct& info, size_t size) {
  if (info.progressive_mode || info.arith_code || info.num_components < 1) return true;
  const uint64_t hMax = uint64_t(std::max(info.max_h_samp_factor, 1));
  const uint64_t vMax = uint64_t(std::max(info.max_v_samp_factor, 1));
  uint64_t fewest = UINT64_MAX;
  for (int c = 0; c < info.num_components; ++c) {
    const uint64_t h = uint64_t(std::max(info.comp_info[c].h_samp_factor, 1));
    const uint64_t v = uint64_t(std::max(info.comp_info[c].v_samp_factor, 1));
    const uint64_t across = (uint64_t(info.image_width) * h + 8 * hMax - 1) / (8 * hMax);
    const uint64_t down = (uint64_t(info.image_height) * v + 8 * vMax - 1) / (8 * vMax);
    fewest = std::min(fewest, across * down);
  }
  return fewest <= uint64_t(size) * 8;
}

struct ReadJob {
  jpeg_decompress_struct info;
  ErrorManager errors;
  jpeg_progress_mgr progress;
  Picture* out = nullptr;
  uint32_t error = kCorruptData;
};

bool decodeProtected(ReadJob* job, const uint8_t* data, size_t size) {
  if (setjmp(job->errors.jump)) return false;
  jpeg_create_decompress(&job->info);
  job->progress.progress_monitor = onProgress;
  job->info.progress = &job->progress;
  jpeg_mem_src(&job->info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&job->info, TRUE);
  if (!pictureSizeOk(job->info.image_width, job->info.image_height)) return false;
  if (!dataCanHoldPicture(job->info, size)) return false;  // before anything is allocated
  const bool cmyk = job->info.jpeg_color_space == JCS_CMYK || job->info.jpeg_color_space == JCS_YCCK;
  job->info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  jpeg_start_decompress(&job->info);
  if (job->info.output_components != 4) return false;
  if (!allocatePicture(*job->out, job->info.output_width, job->info.output_height)) {
    job->error = kOutOfMemory;
    return false;
  }
  while (job->info.output_scanline < job->info.output_height) {
    JSAMPROW row = job->out->row(job->info.output_scanline);
    jpeg_read_scanlines(&job->info, &row, 1);
    if (cmyk) {
      // Inverted CMYK as written by the common editors.
      for (uint32_t x = 0; x < job->out->width; ++x, row += 4) {
        const uint32_t k = row[3];
        row[0] = uint8_t(row[0] * k / 255);
        row[1] = uint8_t(row[1] * k / 255);
        row[2] = uint8_t(row[2] * k / 255);
        row[3] = 255;
      }
    }
  }
  jpeg_finish_decompress(&job->info);
  return true;
}

struct HeaderJob {
  jpeg_decompress_struct info;
  ErrorManager errors;
};

bool headerProtected(HeaderJob* job, const uint8_t* data, size_t size) {
  if (setjmp(job->errors.jump)) return false;
  jpeg_create_decompress(&job->info);
  jpeg_mem_src(&job->info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&job->info, TRUE);
  return true;
}

// ---- writing ----

constexpr size_t kOutputChunk = 16384;

struct JpegLines final : LineWriterData {
  jpeg_compress_struct info;
  ErrorManager errors;
  jpeg_destination_mgr output;
  DestinationHandle destination = nullptr;
  bool created = false;
  uint8_t buffer[kOutputChunk];

  ~JpegLines() override {
    if (created) jpeg_destroy_compress(&info);
  }

  static JpegLines* of(j_compress_ptr info) {
    return static_cast<JpegLines*>(info->client_data);
  }
  static void initDestination(j_compress_ptr info) {
    JpegLines* self = of(info);
    info->dest->next_output_byte = self->buffer;
    info->dest->free_in_buffer = kOutputChunk;
  }
  static boolean emptyBuffer(j_compress_ptr info) {
    JpegLines* self = of(info);
    if (!destinationWrite(self->destination, self->buffer, kOutputChunk))
      onError(reinterpret_cast<j_common_ptr>(info));
    initDestination(info);
    return TRUE;
  }
  static void termDestination(j_compress_ptr info) {
    JpegLines* self = of(info);
    const size_t used = kOutputChunk - info->dest->free_in_buffer;
    if (!destinationWrite(self->destination, self->buffer, used))
      onError(reinterpret_cast<j_common_ptr>(info));
  }

  bool start(uint32_t quality, uint32_t bitsPerPixel, const LineResolution* res) {
    useErrors(errors);
    info.err = &errors.pub;
    info.client_data = this;
    if (setjmp(errors.jump)) return false;
    jpeg_create_compress(&info);
    created = true;
    output.init_destination = initDestination;
    output.empty_output_buffer = emptyBuffer;
    output.term_destination = termDestination;
    info.dest = &output;
    info.image_width = width;
    info.image_height = height;
    info.input_components = bitsPerPixel == 8 ? 1 : bitsPerPixel == 24 ? 3 : 4;
    info.in_color_space = bitsPerPixel == 8 ? JCS_GRAYSCALE : bitsPerPixel == 24 ? JCS_RGB
                                                                                  : JCS_EXT_RGBX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, int(quality < 1 ? 1 : quality > 100 ? 100 : quality), TRUE);
    info.dct_method = settings.dctMethod == 2 ? JDCT_IFAST
                      : settings.dctMethod == 3 ? JDCT_FLOAT
                                                : JDCT_ISLOW;
    info.smoothing_factor = int(settings.smoothing);
    if (settings.sampling)
      for (int c = 0; c < info.num_components && c < 10; ++c) {
        if (!settings.horizontal[c] || !settings.vertical[c]) break;
        info.comp_info[c].h_samp_factor = int(settings.horizontal[c]);
        info.comp_info[c].v_samp_factor = int(settings.vertical[c]);
      }
    if (res) {
      const auto density = [](double v) {
        return UINT16(v < 1 ? 1 : v > 65535 ? 65535 : uint32_t(v + 0.5));
      };
      info.write_JFIF_header = TRUE;
      info.density_unit = UINT8(res->unit <= 2 ? res->unit : 0);
      info.X_density = density(res->x);
      info.Y_density = density(res->y);
    }
    jpeg_start_compress(&info, TRUE);
    return true;
  }
  bool writeLine(const uint8_t* row) override {
    if (setjmp(errors.jump)) return false;
    JSAMPROW r = const_cast<JSAMPROW>(row);
    return jpeg_write_scanlines(&info, &r, 1) == 1;
  }
  bool finish() override {
    if (setjmp(errors.jump)) return false;
    jpeg_finish_compress(&info);
    return true;
  }
};

}  // namespace

bool decodeJPEG(ByteView file, Picture& out) {
  ReadJob* job = makeJob<ReadJob>();
  if (!job) return false;
  job->out = &out;
  useErrors(job->errors);
  job->info.err = &job->errors.pub;
  const bool ok = decodeProtected(job, file.data(), file.size());
  const uint32_t error = job->error;
  jpeg_destroy_decompress(&job->info);
  destroyJob(job);
  if (!ok) {
    platform::globalFree(out.block);
    out.block = nullptr;
    setLastError(error);
  }
  return ok;
}

uint32_t IS3GetJPGDimensions(SourceHandle source, uint32_t* width, uint32_t* height,
                             uint32_t* bitsPerPixel, Resolution* resolution) {
  Bytes file = readRest(source);
  if (!file) return 0;
  HeaderJob* job = makeJob<HeaderJob>();
  if (!job) return 0;
  useErrors(job->errors);
  job->info.err = &job->errors.pub;
  const bool ok = headerProtected(job, file.data(), file.size());
  if (ok) {
    if (width) *width = job->info.image_width;
    if (height) *height = job->info.image_height;
    if (bitsPerPixel) *bitsPerPixel = uint32_t(job->info.num_components) * 8;
    if (resolution)
      *resolution = job->info.saw_JFIF_marker
                        ? Resolution{job->info.X_density, job->info.Y_density, job->info.density_unit}
                        : Resolution{0, 0, 0};
  }
  jpeg_destroy_decompress(&job->info);
  destroyJob(job);
  return ok ? 1 : failed(kCorruptData);
}

LineWriterHandle IS3InitWriteJPGLines(DestinationHandle destination, uint32_t width,
                                      uint32_t height, uint32_t quality, uint32_t bitsPerPixel,
                                      const LineResolution* resolution, uint32_t) {
  if (!destination || !pictureSizeOk(width, height) ||
      (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32))
    return setLastError(kBadArgument), nullptr;
  JpegLines* writer = makeLineWriter<JpegLines>(width, height);
  if (!writer) return nullptr;
  writer->destination = destination;
  if (!writer->start(quality, bitsPerPixel, resolution)) {
    destroyLineWriter(writer);
    return setLastError(kLibraryFailure), nullptr;
  }
  return writer;
}

uint32_t IS3WriteJPG(DestinationHandle destination, const uint8_t* pixels, uint32_t width,
                     uint32_t height, uint32_t rowBytes, uint32_t quality, uint32_t bitsPerPixel,
                     const WriteResolution* resolution, uint32_t flags) {
  ConstImageView rows;
  if (!writerRows(pixels, width, height, rowBytes, bitsPerPixel / 8, kGrey8 | kRGB24 | kRGBA32, rows))
    return failed(kBadArgument);
  LineResolution lines{};
  if (resolution) lines = LineResolution{double(resolution->x), double(resolution->y), resolution->unit};
  return writeAllLines(IS3InitWriteJPGLines(destination, width, height, quality, bitsPerPixel,
                                            resolution ? &lines : nullptr, flags),
                       rows, false);
}

uint32_t IS3SetJPGDCTMethod(uint32_t method) {
  if (method > 3) return failed(kBadArgument);
  settings.dctMethod = method;
  return 1;
}

uint32_t IS3SetJPGSmoothingFactor(uint32_t factor) {
  if (factor > 100) return failed(kBadArgument);
  settings.smoothing = factor;
  return 1;
}

uint32_t IS3SetJPGSampleFactors(const uint32_t horizontal[10], const uint32_t vertical[10]) {
  if (!horizontal || !vertical) {
    settings.sampling = false;
    return 1;
  }
  for (int i = 0; i < 10; ++i)
    if (horizontal[i] > 4 || vertical[i] > 4) return failed(kBadArgument);
  settings.sampling = true;
  std::memcpy(settings.horizontal, horizontal, sizeof settings.horizontal);
  std::memcpy(settings.vertical, vertical, sizeof settings.vertical);
  return 1;
}

void resetJPGSettings() { settings = Settings{}; }

}  // namespace rvl::imaging
