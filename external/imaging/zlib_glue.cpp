// The compression family on zlib. zlib's status codes stay in this unit.
#include <zlib.h>

#include "external/imaging/compression.h"

namespace rvl::imaging {

uint32_t IS3DeflateBuffer(const void* input, uint32_t inputLength, void* output,
                          uint32_t outputCapacity, int32_t level) {
  if ((!input && inputLength) || !output || outputCapacity == 0) return 0;
  if (level < 0 || level > 9) level = Z_DEFAULT_COMPRESSION;
  uLongf written = outputCapacity;
  int status = compress2(static_cast<Bytef*>(output), &written, static_cast<const Bytef*>(input),
                         inputLength, level);
  return status == Z_OK ? static_cast<uint32_t>(written) : 0;
}

uint32_t IS3InflateBuffer(const void* input, uint32_t inputLength, void* output,
                          uint32_t outputCapacity, int32_t flags) {
  (void)flags;
  if (!input || inputLength == 0 || !output) return 0;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return 0;
  stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(input));
  stream.avail_in = inputLength;
  stream.next_out = static_cast<Bytef*>(output);
  stream.avail_out = outputCapacity;
  int status = inflate(&stream, Z_FINISH);
  uint32_t written = outputCapacity - stream.avail_out;
  inflateEnd(&stream);
  return status == Z_STREAM_END ? written : 0;
}

uint32_t IS3DeflateBound(uint32_t inputLength) {
  return static_cast<uint32_t>(compressBound(inputLength));
}

}  // namespace rvl::imaging
