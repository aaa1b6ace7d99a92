// The two run-length decoders on arbitrary data: the first two bytes give the line length
// (1 to 4096), the rest is the line's records, padded with zeros to the most records a
// line of that length can need (5 bytes each for RGBA32 runs, 2 for G8 runs). Also checks
// that encoding then decoding keeps every value's high byte.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ravelin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t count = 1 + ((data[0] | data[1] << 8) % 4096);
  data += 2;
  size -= 2;

  // Each decoder gets a line buffer of exactly the most records it may read (count records
  // of 5 or of 2 bytes), so a read past them leaves the allocation.
  std::vector<uint8_t> runs(size_t(count) * 5, 0);
  std::memcpy(runs.data(), data, size < runs.size() ? size : runs.size());
  std::vector<uint8_t> maskRuns(size_t(count) * 2, 0);
  std::memcpy(maskRuns.data(), data, size < maskRuns.size() ? size : maskRuns.size());
  std::vector<uint16_t> pixels(size_t(count) * 4);
  RVL_RLEUncompressRGBA32ToRGBA64(runs.data(), pixels.data(), count);
  std::vector<uint16_t> values(static_cast<size_t>(count));
  RVL_RLEUncompressG8ToG16(maskRuns.data(), values.data(), count);

  // Round trips of the decoded lines, into buffers of exactly the largest encoding.
  std::vector<uint8_t> again(size_t(count) * 5);
  const int32_t bytes = RVL_RLECompressRGBA64ToRGBA32(pixels.data(), again.data(), count);
  if (bytes <= 0 || bytes > count * 5) __builtin_trap();
  std::vector<uint16_t> back(pixels.size());
  RVL_RLEUncompressRGBA32ToRGBA64(again.data(), back.data(), count);
  for (size_t i = 0; i < pixels.size(); ++i)
    if ((back[i] >> 8) != (pixels[i] >> 8)) __builtin_trap();

  std::vector<uint8_t> maskAgain(size_t(count) * 2);
  const int32_t maskBytes = RVL_RLECompressG16ToG8(values.data(), maskAgain.data(), count);
  if (maskBytes <= 0 || maskBytes > count * 2) __builtin_trap();
  std::vector<uint16_t> maskBack(values.size());
  RVL_RLEUncompressG8ToG16(maskAgain.data(), maskBack.data(), count);
  for (size_t i = 0; i < values.size(); ++i)
    if ((maskBack[i] >> 8) != (values[i] >> 8)) __builtin_trap();
  return 0;
}
