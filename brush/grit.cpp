// The twenty grit patterns: 8-bit grain that decides, pixel by pixel, where a dab
// paints. 255 is background (paints only at full density); random cells hold 0..253.
// Every buffer is (brushBufferSize + 25)^2 bytes, addressed with a row pitch of
// brushBufferSize.
#include <algorithm>
#include <cstring>

#include "brush/brush.h"
#include "frame/random.h"
#include "page/page.h"

namespace rvl {

namespace {

size_t gritBytes() {
  const size_t b = size_t(std::max(page.brushBufferSize, 0));
  return (b + 25) * (b + 25);
}

// Reads a random array as a ring, so a long band of cells cannot run past its end.
struct RandomBytes {
  const uint8_t* data;
  size_t length;
  size_t at;
  uint8_t next() {
    const uint8_t v = data[at];
    if (++at == length) at = 0;
    return v;
  }
};

}  // namespace

void buildRandomGrit() {
  const int32_t g = brush.gritSize;
  const RandArray& a255 = page.randArray255;
  const RandArray& a254 = page.randArray254;
  if (g <= 0 || !a255.data || !a254.data || a255.length <= 2 * int64_t(g) || a254.length <= 0) return;
  const int32_t b = page.brushBufferSize;
  const int32_t S = tipSize() + 25;
  for (uint8_t* grit : page.gritBuffers) {
    if (!grit) continue;
    std::memset(grit, 255, gritBytes());
    for (int32_t y = 0; y < S; y += g) {
      const uint32_t r1 = uint32_t(nextRandom()), r2 = uint32_t(nextRandom());
      RandomBytes p{a255.data, size_t(a255.length), size_t(r1 * (uint32_t(a255.length - 2 * g) / 32767u)) % size_t(a255.length)};
      RandomBytes q{a254.data, size_t(a254.length), size_t(r2 * (uint32_t(a255.length - g) / 32767u)) % size_t(a254.length)};
      for (int32_t x = 0; x < S; x += g) {
        if (p.next() >= brush.gritCellThreshold) continue;
        const uint8_t c = q.next();
        for (int32_t i = 0; i < g && y + i < S; ++i)
          for (int32_t j = 0; j < g && x + j < S; ++j)
            if (p.next() < brush.gritPixelThreshold) grit[size_t(y + i) * size_t(b) + size_t(x + j)] = c;
      }
    }
  }
  brush.drawingLengthLeft = brush.drawingLength;
}

void fillGritFromGrey(const uint8_t* grey, int32_t width, int32_t height) {
  if (!grey || width <= 0 || height <= 0) return;
  const int32_t b = page.brushBufferSize;
  const int32_t S = tipSize() + 25;
  const int32_t side = std::min(S, b);
  for (uint8_t* grit : page.gritBuffers) {
    if (!grit) continue;
    std::memset(grit, 255, gritBytes());
    const uint32_t rx = uint32_t(nextRandom()), ry = uint32_t(nextRandom());
    // A picture larger than the square gives a random square inside it; a smaller one is
    // tiled.
    const int32_t x0 = width > S ? int32_t(rx % uint32_t(width - S)) : int32_t(rx % uint32_t(width));
    const int32_t y0 = height > S ? int32_t(ry % uint32_t(height - S)) : int32_t(ry % uint32_t(height));
    for (int32_t row = 0; row < side; ++row) {
      const uint8_t* src = grey + size_t((y0 + row) % height) * size_t(width);
      uint8_t* dst = grit + size_t(row) * size_t(b);
      for (int32_t col = 0; col < side; ++col) dst[col] = src[(x0 + col) % width];
    }
  }
  brush.drawingLengthLeft = brush.drawingLength;
}

}  // namespace rvl
