// Exact rectangle copies between a page-sized buffer and a packed snapshot buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rvl {

// A rectangle (inclusive ends) cut to what a buffer of width x height holds; the offset
// of the cut rectangle inside the original one says where its rows sit in a packed copy.
struct CutRect {
  int32_t left, top, columns, rows;  // in the buffer
  int32_t offsetX, offsetY;          // inside the packed copy of the full rectangle
  bool empty() const { return columns <= 0 || rows <= 0; }
};

inline CutRect cutRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width,
                       int32_t height) {
  const int32_t l = left < 0 ? 0 : left, t = top < 0 ? 0 : top;
  const int32_t r = right >= width ? width - 1 : right, b = bottom >= height ? height - 1 : bottom;
  return CutRect{l, t, r - l + 1, b - t + 1, l - left, t - top};
}

// Copies between buffer (rows of bufferWidth values of `channels` each) and packed (rows of
// packedWidth values), over the cut rectangle. toPacked chooses the direction.
// (Layers, masks and snapshots are all 16-bit values.)
inline void copyRect(uint16_t* buffer, int32_t bufferWidth, uint16_t* packed, int32_t packedWidth, const CutRect& cut,
              int channels, bool toPacked) {
  if (cut.empty()) return;
  const size_t bytes = size_t(cut.columns) * channels * sizeof(uint16_t);
  for (int32_t row = 0; row < cut.rows; ++row) {
    uint16_t* b = buffer + (size_t(cut.top + row) * bufferWidth + cut.left) * channels;
    uint16_t* p = packed + (size_t(cut.offsetY + row) * packedWidth + cut.offsetX) * channels;
    if (toPacked)
      std::memcpy(p, b, bytes);
    else
      std::memcpy(b, p, bytes);
  }
}

// Copies the cut rectangle between two buffers of the same layout, or of different widths.
inline void copyBetween(const uint16_t* from, int32_t fromWidth, uint16_t* to, int32_t toWidth, const CutRect& cut,
                 int channels) {
  if (cut.empty()) return;
  const size_t bytes = size_t(cut.columns) * channels * sizeof(uint16_t);
  for (int32_t row = 0; row < cut.rows; ++row)
    std::memcpy(to + (size_t(cut.top + row) * toWidth + cut.left) * channels,
                from + (size_t(cut.top + row) * fromWidth + cut.left) * channels, bytes);
}

}  // namespace rvl
