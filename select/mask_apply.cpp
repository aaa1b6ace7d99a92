// The mask laid onto the alpha of RGBA32 results, and the packing routines between RGB24
// and RGBA32 that go with the mask transfers.
#include <algorithm>

#include "frame/guard.h"
#include "frame/parallel_rows.h"
#include "page/page.h"
#include "ravelin.h"
#include "select/select.h"

namespace rvl {

void applyMaskToAlpha(uint8_t* rgba, int64_t rgbaPitch, const uint16_t* mask, int32_t maskPitch, int32_t columns,
                      int32_t rows) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    uint8_t* p = rgba + int64_t(row) * rgbaPitch;
    const uint16_t* m = mask + row * size_t(maskPitch);
    for (int32_t i = 0; i < columns; ++i, p += 4) {
      const uint32_t h = m[i] >> 8;
      if (h == 255) continue;
      p[3] = h == 0 ? 0 : uint8_t((uint32_t(p[3]) * (h + 1)) >> 8);
    }
  });
}

void rgbaAlphaToRgb(uint8_t* rgb, const uint8_t* rgba, int32_t columns, int32_t rows, int32_t rowPixels) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    uint8_t* d = rgb + row * size_t(rowPixels) * 3;
    const uint8_t* s = rgba + row * size_t(rowPixels) * 4;
    for (int32_t i = 0; i < columns; ++i, d += 3, s += 4) d[0] = d[1] = d[2] = s[3];
  });
}

void rgbToRgbaAlpha(uint8_t* rgba, const uint8_t* rgb, int32_t columns, int32_t rows, int32_t rowPixels) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    uint8_t* d = rgba + row * size_t(rowPixels) * 4;
    const uint8_t* s = rgb + row * size_t(rowPixels) * 3;
    for (int32_t i = 0; i < columns; ++i, d += 4, s += 3) d[3] = uint8_t((uint32_t(s[0]) + s[1] + s[2]) / 3);
  });
}

void rgbToRgba(uint8_t* rgba, const uint8_t* rgb, int32_t columns, int32_t rows, int32_t rowPixels) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    uint8_t* d = rgba + row * size_t(rowPixels) * 4;
    const uint8_t* s = rgb + row * size_t(rowPixels) * 3;
    for (int32_t i = 0; i < columns; ++i, d += 4, s += 3) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  });
}

void rgbaToRgb(uint8_t* rgb, const uint8_t* rgba, int32_t columns, int32_t rows, int32_t rowPixels) {
  eachRowInParallel(rows, columns, [&](size_t row) {
    uint8_t* d = rgb + row * size_t(rowPixels) * 3;
    const uint8_t* s = rgba + row * size_t(rowPixels) * 4;
    for (int32_t i = 0; i < columns; ++i, d += 3, s += 4) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  });
}

}  // namespace rvl

using namespace rvl;

namespace {

// A packed width x height host picture walked where it overlaps the page: columns and
// rows cut to the page, rows still width pixels apart.
struct Packed {
  int32_t columns, rows, rowPixels;
  bool empty() const { return columns <= 0 || rows <= 0; }
};
Packed packedOnPage(int32_t width, int32_t height) noexcept {
  if (width <= 0 || height <= 0) return {0, 0, 0};
  return {std::min(width, page.pageWidth), std::min(height, page.pageHeight), width};
}

// A packing of a width x height host picture into another, cut to the page; nothing for
// a null buffer or an empty picture.
template <class Kernel>
void packOnPage(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source, Kernel kernel) {
  const Packed p = packedOnPage(width, height);
  if (!destination || !source || p.empty()) return;
  kernel(destination, source, p.columns, p.rows, p.rowPixels);
}

}  // namespace

extern "C" void RVL_ApplyMaskToAlphaRect_RGBA32(uint8_t* buffer, int32_t pitch, int32_t x0, int32_t y0, int32_t x1,
                                                int32_t y1) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!buffer || !page.mask || pitch < 0 || x0 > x1 || y0 > y1) return;
    // Inclusive corners cut to the page; the buffer's first pixel stays page (x0, y0).
    const int64_t left = std::max<int64_t>(x0, 0), top = std::max<int64_t>(y0, 0);
    const int64_t right = std::min<int64_t>(x1, int64_t(page.pageWidth) - 1);
    const int64_t bottom = std::min<int64_t>(y1, int64_t(page.pageHeight) - 1);
    if (left > right || top > bottom) return;
    uint8_t* first = buffer + (top - y0) * int64_t(pitch) + (left - x0) * 4;
    applyMaskToAlpha(first, pitch, page.mask + size_t(top) * size_t(page.pageWidth) + size_t(left), page.pageWidth,
                     int32_t(right - left + 1), int32_t(bottom - top + 1));
  });
}

extern "C" void RVL_ApplyMaskToAlpha_RGBA32(uint8_t* buffer) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!buffer || !page.mask) return;
    applyMaskToAlpha(buffer, int64_t(page.pageWidth) * 4, page.mask, page.pageWidth, page.pageWidth, page.pageHeight);
  });
}

extern "C" void RVL_RGBAlphaToRGB(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source) noexcept {
  rvl::guarded(nullptr, [&] {
    packOnPage(destination, width, height, source, rgbaAlphaToRgb);
  });
}

extern "C" void RVL_RGBToRGBAlpha(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source) noexcept {
  rvl::guarded(nullptr, [&] {
    packOnPage(destination, width, height, source, rgbToRgbaAlpha);
  });
}

extern "C" void RVL_RGBToRGBA(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source) noexcept {
  rvl::guarded(nullptr, [&] {
    packOnPage(destination, width, height, source, rgbToRgba);
  });
}

extern "C" void RVL_RGBAToRGB(uint8_t* destination, int32_t width, int32_t height, const uint8_t* source) noexcept {
  rvl::guarded(nullptr, [&] {
    packOnPage(destination, width, height, source, rgbaToRgb);
  });
}
