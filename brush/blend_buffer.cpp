// The blend buffer: the brush's load of picked-up paint, a square of RGBA64 pixels with the
// tip's geometry (row pitch brushStride). The host copies the canvas under the brush into
// it, mixes it with the canvas, tints or filters it; dabs paint with it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame/guard.h"
#include "brush/brush.h"
#include "brush/paint_kinds.h"
#include "page/coverage.h"
#include "page/mask_grey.h"
#include "page/layer_read.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

namespace rvl {

namespace {

// The load is taken from a page-sized picture (hostPicture, slotPicture): a host buffer or
// the back buffer (page size and pitch assumed) or a slot (walked only where it holds
// pixels).
// The square under a brush at (x, y): n = brushSize (held to the buffers), page columns
// x - h .. x - h + n - 1, clipped to the page and to the source.
struct Placement {
  int32_t n;
  int64_t left, top;          // page position of buffer pixel (0, 0)
  int64_t x0, y0, x1, y1;     // clipped page rectangle, ends exclusive
  bool clipped;
};

Placement placement(int32_t x, int32_t y, int32_t width, int32_t height) {
  Placement p{};
  p.n = tipSize();
  const int32_t h = p.n / 2;
  p.left = int64_t(x) - h;
  p.top = int64_t(y) - h;
  p.x0 = std::max<int64_t>(p.left, 0);
  p.y0 = std::max<int64_t>(p.top, 0);
  p.x1 = std::min<int64_t>(p.left + p.n, width);
  p.y1 = std::min<int64_t>(p.top + p.n, height);
  p.clipped = p.x0 != p.left || p.y0 != p.top || p.x1 != p.left + p.n || p.y1 != p.top + p.n;
  return p;
}

inline uint16_t* blendPixel(int64_t row, int64_t column) {
  return page.blendBuffer + (size_t(row) * size_t(page.brushBufferSize) + size_t(column)) * 4;
}

// The source alpha as the mask lets it through (the texture plays no part here).
inline uint32_t maskedAlpha(uint32_t A, size_t pageIndex) {
  if (!page.maskEnabled || !page.mask) return A;
  return restrictedAlpha(A, restrictionFactor(kNoTexture, page.mask[pageIndex]));
}

bool ready() { return brush.blendStrength != 0 && page.blendBuffer && page.brushBufferSize > 0; }

void copyFrom(int32_t x, int32_t y, const PagePicture& source, int32_t k, bool flag) {
  if (!ready() || !source.pixels) return;
  const Placement p = placement(x, y, source.width, source.height);
  const uint16_t* brushC = brush.brushColour;
  const uint16_t clippedAlpha = uint16_t((k & 255) * 256);
  if (p.clipped) {
    for (int32_t row = 0; row < p.n; ++row)
      for (int32_t col = 0; col < p.n; ++col) {
        uint16_t* b = blendPixel(row, col);
        if (flag) {
          b[3] = 65535;
        } else {
          b[0] = brushC[0], b[1] = brushC[1], b[2] = brushC[2], b[3] = clippedAlpha;
        }
      }
  }
  const int64_t keep = 256 - int64_t(k);
  for (int64_t cy = p.y0; cy < p.y1; ++cy)
    for (int64_t cx = p.x0; cx < p.x1; ++cx) {
      const uint16_t* s = source.pixels + size_t(cy) * size_t(source.stride) + size_t(cx) * 4;
      uint16_t* b = blendPixel(cy - p.top, cx - p.left);
      const uint32_t A = maskedAlpha(s[3], size_t(cy) * size_t(page.pageWidth) + size_t(cx));
      if (A == 0) {
        b[0] = brushC[0], b[1] = brushC[1], b[2] = brushC[2];
        b[3] = uint16_t(flag ? ((256 - k) & 255) * 256 : (k & 255) * 256);
        continue;
      }
      for (int c = 0; c < 3; ++c)
        b[c] = uint16_t(std::clamp<int64_t>(((s[c] * keep + int64_t(k) * brushC[c]) >> 8) + 1, 0, 65280));
      b[3] = uint16_t(clamp16((int64_t(A) * keep + int64_t(k) * brushC[3]) >> 8));
    }
}

void mixWith(int32_t x, int32_t y, const PagePicture& source, int32_t k) {
  if (!ready() || !source.pixels) return;
  const Placement p = placement(x, y, source.width, source.height);
  const int64_t N = std::clamp<int64_t>(int64_t(k) * 256, 0, 65535), O = 65536 - N;
  for (int64_t cy = p.y0; cy < p.y1; ++cy)
    for (int64_t cx = p.x0; cx < p.x1; ++cx) {
      const uint16_t* s = source.pixels + size_t(cy) * size_t(source.stride) + size_t(cx) * 4;
      uint16_t* b = blendPixel(cy - p.top, cx - p.left);
      const uint32_t sA = maskedAlpha(s[3], size_t(cy) * size_t(page.pageWidth) + size_t(cx));
      const uint32_t A = b[3];
      if (sA == 0) {
        b[3] = uint16_t((O * A) >> 16);
        continue;
      }
      if (A == 0) {
        for (int c = 0; c < 3; ++c) b[c] = std::min<uint16_t>(s[c], 65280);
        b[3] = uint16_t(sA);
        continue;
      }
      const uint32_t blendC[3] = {b[0], b[1], b[2]}, canvas[3] = {s[0], s[1], s[2]};
      uint32_t M[3] = {blendC[0], blendC[1], blendC[2]};
      uint32_t modeAlpha = A;
      bool keepCanvas = false;
      if (mixKindColour(brush.mixKind, blendC, canvas, M, modeAlpha, keepCanvas) && keepCanvas) modeAlpha = sA;
      for (int c = 0; c < 3; ++c)
        b[c] = uint16_t(std::min<int64_t>(65280, ((((int64_t(M[c]) * O) >> 8) + ((int64_t(canvas[c]) * N) >> 8)) >> 8) + 1));
      b[3] = uint16_t(clamp16((((int64_t(modeAlpha) * O) >> 8) + ((int64_t(sA) * N) >> 8)) >> 8));
    }
}

}  // namespace

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_DoCopyBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t k, int32_t flag) noexcept {
  rvl::guarded(nullptr, [&] {
    copyFrom(x, y, hostPicture(source), k, uint8_t(flag) != 0);
  });
}
extern "C" void RVL_CopyBlendBufferSurface(int32_t x, int32_t y, int32_t k, int32_t flag) noexcept {
  rvl::guarded(nullptr, [&] {
    copyFrom(x, y, slotPicture(currentSlot()), k, uint8_t(flag) != 0);
  });
}
extern "C" void RVL_CopyBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    copyFrom(x, y, slotPicture(filledSlotAt(layer)), k, false);
  });
}
extern "C" void RVL_CopyBlendBufferUnderLayer(int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    copyFrom(x, y, hostPicture(page.backBuffer.pixels), k, false);
  });
}
extern "C" void RVL_CopyBlendBufferHistory(int32_t x, int32_t y, int32_t k)
    noexcept __attribute__((alias("RVL_CopyBlendBufferUnderLayer")));
extern "C" void RVL_CopyBlendBufferTrace(int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    copyFrom(x, y, slotPicture(page.traceLayer), k, false);
  });
}

extern "C" void RVL_DoCopyBlendBufferMask(int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!ready() || !page.mask) return;
    const uint32_t o = maskGrey(brush.brushColour[0], brush.brushColour[1], brush.brushColour[2]);
    const Placement p = placement(x, y, page.pageWidth, page.pageHeight);
    // Mask-maker layout: one grey value per tip pixel at row * brushStride + column.
    auto grey = [](int64_t row, int64_t col) {
      return page.blendBuffer + size_t(row) * size_t(page.brushStride) + size_t(col);
    };
    if (p.clipped)
      for (int32_t row = 0; row < p.n; ++row)
        for (int32_t col = 0; col < p.n; ++col) *grey(row, col) = uint16_t(o);
    for (int64_t cy = p.y0; cy < p.y1; ++cy)
      for (int64_t cx = p.x0; cx < p.x1; ++cx) {
        const int64_t m = page.mask[size_t(cy) * size_t(page.pageWidth) + size_t(cx)];
        const int64_t w = int64_t(k) * o + m * (256 - int64_t(k));
        *grey(cy - p.top, cx - p.left) = uint16_t(w < 16711680 ? clamp16((w >> 8) + 1) : 65280);
      }
  });
}

extern "C" void RVL_DoMixBlendBuffer(int32_t x, int32_t y, const uint16_t* source, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    mixWith(x, y, hostPicture(source), k);
  });
}
extern "C" void RVL_MixBlendBufferSurface(int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] { mixWith(x, y, slotPicture(currentSlot()), k); });
}
extern "C" void RVL_MixBlendBufferLayer(int32_t layer, int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    mixWith(x, y, slotPicture(filledSlotAt(layer)), k);
  });
}
extern "C" void RVL_MixBlendBufferUnderLayer(int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    mixWith(x, y, hostPicture(page.backBuffer.pixels), k);
  });
}
extern "C" void RVL_MixBlendBufferHistory(int32_t x, int32_t y, int32_t k)
    noexcept __attribute__((alias("RVL_MixBlendBufferUnderLayer")));
extern "C" void RVL_MixBlendBufferTrace(int32_t x, int32_t y, int32_t k) noexcept {
  rvl::guarded(nullptr, [&] { mixWith(x, y, slotPicture(page.traceLayer), k); });
}

extern "C" void RVL_DoColorBlendBuffer(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, int32_t ignored,
                                       int32_t k) noexcept {
  rvl::guarded(nullptr, [&] {
    (void)ignored;
    if (!ready()) return;
    const int64_t F = std::clamp<int64_t>(int64_t(k) * 256, 0, 65535);
    const int64_t c8[3] = {uint8_t(r), uint8_t(g), uint8_t(b)};
    const Placement p = placement(x, y, page.pageWidth, page.pageHeight);
    for (int64_t cy = p.y0; cy < p.y1; ++cy)
      for (int64_t cx = p.x0; cx < p.x1; ++cx) {
        uint16_t* px = blendPixel(cy - p.top, cx - p.left);
        for (int c = 0; c < 3; ++c)
          px[c] = uint16_t(px[3] != 0 ? std::min<int64_t>(65280, (((c8[c] * F) + ((int64_t(px[c]) * (65536 - F)) >> 8)) >> 8) + 1)
                                      : std::min<int64_t>(65280, c8[c] * 256));
      }
  });
}

extern "C" void RVL_ClearBlendBuffer(void) noexcept {
  if (!page.blendBuffer || page.brushBufferSize <= 0) return;
  std::memset(page.blendBuffer, 0, size_t(page.brushBufferSize) * size_t(page.brushBufferSize) * 2);
}

extern "C" void RVL_FillBlendBuffer(int32_t ignored1, int32_t ignored2, int32_t ignored3, int32_t value) noexcept {
  (void)ignored1, (void)ignored2, (void)ignored3;
  if (!page.blendBuffer || page.brushBufferSize <= 0) return;
  std::memset(page.blendBuffer, uint8_t(value), size_t(page.brushBufferSize) * size_t(page.brushBufferSize) * 2);
}

extern "C" void RVL_FilterBlendBuffer(int32_t kind, int32_t percent) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!page.blendBuffer) return;
    const uint32_t e = uint32_t(std::clamp(std::trunc(percent * 655.35), 0.0, 65535.0));
    const int32_t n = tipSize();
    for (int32_t row = 0; row < n; ++row)
      for (int32_t col = 0; col < n; ++col) {
        uint16_t* p = blendPixel(row, col);
        switch (kind) {
          case 289: p[0] = p[1] = p[2] = uint16_t((uint32_t(p[0]) + p[1] + p[2]) / 3); break;
          case 290: for (int c = 0; c < 3; ++c) p[c] = uint16_t(65535 - p[c]); break;
          case 291: for (int c = 0; c < 3; ++c) if (p[c] < e) p[c] = 0; break;
          case 292: for (int c = 0; c < 3; ++c) if (p[c] > e) p[c] = 65280; break;
          default: break;
        }
      }
  });
}
