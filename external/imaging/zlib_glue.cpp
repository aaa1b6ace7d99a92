// The compression family on zlib. zlib's status codes stay in this unit; failures are
// recorded as the imaging library's last error.
#include <zlib.h>

#include "external/imaging/compression.h"
#include "external/imaging/library.h"

namespace rvl::imaging {

namespace {
uint32_t failed(uint32_t code) {
  setLastError(code);
  return 0;
}

uint32_t failedWith(int status) {
  switch (status) {
    case Z_MEM_ERROR: return failed(kOutOfMemory);
    case Z_BUF_ERROR: return failed(kOutputTooSmall);
    case Z_DATA_ERROR: return failed(kCorruptData);
    default: return failed(kLibraryFailure);
  }
}
}  // namespace

uint32_t IS3DeflateBuffer(const void* input, uint32_t inputLength, void* output,
                          uint32_t outputCapacity, int32_t level) {
  if ((!input && inputLength) || !output || outputCapacity == 0) return failed(kBadArgument);
  if (level < 0 || level > 9) level = Z_DEFAULT_COMPRESSION;
  uLongf written = outputCapacity;
  int status = compress2(static_cast<Bytef*>(output), &written, static_cast<const Bytef*>(input),
                         inputLength, level);
  return status == Z_OK ? static_cast<uint32_t>(written) : failedWith(status);
}

uint32_t IS3InflateBuffer(const void* input, uint32_t inputLength, void* output,
                          uint32_t outputCapacity, int32_t flags) {
  (void)flags;
  if (!input || inputLength == 0 || !output) return failed(kBadArgument);
  z_stream stream{};
  if (int status = inflateInit(&stream); status != Z_OK) return failedWith(status);
  stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(input));
  stream.avail_in = inputLength;
  stream.next_out = static_cast<Bytef*>(output);
  stream.avail_out = outputCapacity;
  int status = inflate(&stream, Z_FINISH);
  uint32_t written = outputCapacity - stream.avail_out;
  inflateEnd(&stream);
  if (status == Z_STREAM_END) return written;
  // Z_BUF_ERROR with output room left means the data ended early.
  if (status == Z_BUF_ERROR && stream.avail_out != 0) return failed(kCorruptData);
  return failedWith(status == Z_OK ? Z_BUF_ERROR : status);
}

uint32_t IS3DeflateBound(uint32_t inputLength) {
  return static_cast<uint32_t>(compressBound(inputLength));
}

}  // namespace rvl::imaging
