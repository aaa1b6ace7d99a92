#include "page/pixel_convert.h"

namespace rvl {

void reduceRowRGBA32(const uint16_t* source, uint8_t* destination, size_t count) {
  for (size_t i = 0; i < count * 4; ++i) destination[i] = uint8_t(source[i] >> 8);
}

void reduceRowRGB24(const uint16_t* source, uint8_t* destination, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    destination[i * 3 + 0] = uint8_t(source[i * 4 + 0] >> 8);
    destination[i * 3 + 1] = uint8_t(source[i * 4 + 1] >> 8);
    destination[i * 3 + 2] = uint8_t(source[i * 4 + 2] >> 8);
  }
}

void ExpandRGBA32ToRGBA64(const uint8_t* source, uint16_t* destination, int32_t width, int32_t height) {
  if (!source || !destination || width <= 0 || height <= 0) return;
  const size_t values = size_t(width) * size_t(height) * 4;
  for (size_t i = 0; i < values; ++i) destination[i] = uint16_t(source[i] << 8);
}

void ReduceRGBA64ToRGBA32(const uint16_t* source, uint8_t* destination, int32_t width, int32_t height) {
  if (!source || !destination || width <= 0 || height <= 0) return;
  reduceRowRGBA32(source, destination, size_t(width) * size_t(height));
}

}  // namespace rvl
