// Host pictures into layers: RGBA32, RGB24, BGR24 and raw RGBA64.
#include "frame/guard.h"
#include "page/layer_load.h"

#include <algorithm>
#include <cstring>

#include "page/coverage.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

namespace rvl {

namespace {

struct Span {
  int32_t left, top, right, bottom;  // layer columns and rows, right and bottom exclusive
  bool empty() const { return left >= right || top >= bottom; }
};

// Plain write: every channel from the source, a transparent source pixel clears the
// layer pixel.
void writeRowPlain(const uint8_t* s, uint16_t* d, int32_t count) {
  for (int32_t i = 0; i < count; ++i, s += 4, d += 4) {
    const uint16_t keep = s[3] ? 0xFFFF : 0;
    d[0] = uint16_t((s[0] << 8) & keep);
    d[1] = uint16_t((s[1] << 8) & keep);
    d[2] = uint16_t((s[2] << 8) & keep);
    d[3] = uint16_t(s[3] << 8);
  }
}

// Plain write under a transparency lock: colour only.
void writeRowLocked(const uint8_t* s, uint16_t* d, int32_t count) {
  for (int32_t i = 0; i < count; ++i, s += 4, d += 4) {
    d[0] = uint16_t(s[0] << 8);
    d[1] = uint16_t(s[1] << 8);
    d[2] = uint16_t(s[2] << 8);
  }
}

// Filtered write: the new pixel laid over the layer pixel by its load coverage. Full
// coverage writes it as it is (a transparent new pixel does not clear the colour). Under
// partial coverage a transparent layer pixel takes the new colour as it is and a
// transparent new pixel leaves the colour; alpha follows the coverage (over 0 that is the
// new alpha scaled by it, from a new alpha of 0 the old one scaled by what is left). A
// transparency lock keeps the alpha. Texture and mask rows are decided once per row (an
// absent one reads as neutral at compile time).
template <bool Texture, bool Mask>
void writeRowFiltered(const uint8_t* s, uint16_t* d, int32_t count, const uint8_t* texture, const uint16_t* mask,
                      bool lock) {
  for (int32_t i = 0; i < count; ++i, s += 4, d += 4) {
    const uint32_t f = loadCoverage(Texture ? texture[i] : kNoTexture, Mask ? mask[i] : kNoMask);
    if (f == 0) continue;
    const uint32_t D = d[3];
    const uint32_t S = s[3];
    if (f == kFullCoverage) {
      for (int c = 0; c < 3; ++c) d[c] = uint16_t(s[c] << 8);
      if (!lock) d[3] = uint16_t(S << 8);
    } else if (D == 0) {
      for (int c = 0; c < 3; ++c) d[c] = uint16_t(s[c] << 8);
      if (!lock) d[3] = uint16_t(blendByPartialCoverage(S << 8, 0, f));
    } else if (S == 0) {
      if (!lock) d[3] = uint16_t(blendByPartialCoverage(0, D, f));
    } else {
      for (int c = 0; c < 3; ++c) d[c] = uint16_t(blendByPartialCoverage(uint32_t(s[c]) << 8, d[c], f));
      if (!lock) d[3] = uint16_t(blendByPartialCoverage(S << 8, D, f));
    }
  }
}

void writeRowFiltered(const uint8_t* s, uint16_t* d, int32_t count, const CoverageMaps& maps, size_t at, bool lock) {
  const uint8_t* texture = maps.texture ? maps.texture + at : nullptr;
  const uint16_t* mask = maps.mask ? maps.mask + at : nullptr;
  if (texture && mask)
    writeRowFiltered<true, true>(s, d, count, texture, mask, lock);
  else if (texture)
    writeRowFiltered<true, false>(s, d, count, texture, mask, lock);
  else if (mask)
    writeRowFiltered<false, true>(s, d, count, texture, mask, lock);
  else
    writeRowFiltered<false, false>(s, d, count, texture, mask, lock);
}

// The current layer's page-sized walk against a page-sized RGB24 source:
// pixel(source pixel, layer pixel, page index) for every pixel both hold.
template <class Pixel>
void walkRGB24(const uint8_t* source, int32_t pitch, Pixel pixel) {
  LayerSlot* slot = currentSlot();
  if (!slot || !source) return;
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row) {
    const uint8_t* s = source + int64_t(row) * pitch;
    uint16_t* d = slotRow(*slot, row);
    const size_t at = row * size_t(page.pageWidth);
    for (size_t i = 0; i < walk.columns; ++i, s += 3, d += 4) pixel(s, d, at + i);
  }
}

// Whether a load goes through mask and texture: the apply flag's low byte is set and the
// page has an enabled mask or a texture.
bool filteredLoad(int32_t apply) { return uint8_t(apply) && (page.maskEnabled || page.textureBuffer); }

}  // namespace

void loadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool apply) {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !source) return;
  const bool lock = slot->lockTransparency != 0;
  const bool filtered = filteredLoad(apply);

  // Clip in 64 bits: x + width may pass the 32-bit range.
  const int64_t right = std::min<int64_t>(int64_t(x) + width, slot->width);
  const int64_t bottom = std::min<int64_t>(int64_t(y) + height, slot->height);
  Span span{std::max(x, 0), std::max(y, 0), int32_t(std::max<int64_t>(right, 0)),
            int32_t(std::max<int64_t>(bottom, 0))};
  if (filtered) {
    // Mask and texture are page-sized: pixels outside the page have no coverage.
    span.right = std::min(span.right, page.pageWidth);
    span.bottom = std::min(span.bottom, page.pageHeight);
  }
  if (span.empty()) return;

  const int32_t count = span.right - span.left;
  const CoverageMaps maps = pageCoverageMaps();
  for (int32_t row = span.top; row < span.bottom; ++row) {
    const uint8_t* s = source + int64_t(row - y) * pitch + int64_t(span.left - x) * 4;
    uint16_t* d = slotRow(*slot, size_t(row)) + size_t(span.left) * 4;
    if (!filtered) {
      if (lock)
        writeRowLocked(s, d, count);
      else
        writeRowPlain(s, d, count);
    } else {
      writeRowFiltered(s, d, count, maps, size_t(row) * size_t(page.pageWidth) + size_t(span.left), lock);
    }
  }
}

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_LoadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                    int32_t y, int32_t width, int32_t height, int32_t apply) noexcept {
  rvl::guarded(nullptr, [&] {
    loadRGBA32Layer(source, pitch, index, x, y, width, height, uint8_t(apply) != 0);
  });
}

extern "C" void RVL_LoadRGBA32(const uint8_t* source, int32_t pitch, int32_t apply) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot* slot = currentSlot();
    if (!slot) return;
    loadRGBA32Layer(source, pitch, page.currentLayerIndex, 0, 0, slot->width, slot->height,
                    uint8_t(apply) != 0);
  });
}

extern "C" void RVL_LoadRGBA32Into(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                   int32_t y, int32_t width, int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    loadRGBA32Layer(source, pitch, index, x, y, width, height, true);
  });
}

extern "C" void RVL_LoadRGB24(const uint8_t* source, int32_t pitch, int32_t apply) noexcept {
  rvl::guarded(nullptr, [&] {
    if (!filteredLoad(apply)) {
      walkRGB24(source, pitch, [](const uint8_t* s, uint16_t* d, size_t) {
        for (int c = 0; c < 3; ++c) d[c] = uint16_t(s[c] << 8);
      });
      return;
    }
    const CoverageMaps maps = pageCoverageMaps();
    walkRGB24(source, pitch, [&](const uint8_t* s, uint16_t* d, size_t i) {
      const uint32_t f = loadCoverage(maps.textureAt(i), maps.maskAt(i));
      if (f == 0) return;
      for (int c = 0; c < 3; ++c)
        d[c] = uint16_t(f == kFullCoverage ? uint32_t(s[c]) << 8 : blendByPartialCoverage(uint32_t(s[c]) << 8, d[c], f));
    });
  });
}

// Alpha from the source's red byte, never on a transparent pixel; filtered by the
// restriction factor, not the load coverage.
extern "C" void RVL_LoadRGB24ToAlpha(const uint8_t* source, int32_t pitch, int32_t apply) noexcept {
  rvl::guarded(nullptr, [&] {
    const bool filtered = filteredLoad(apply);
    const CoverageMaps maps = pageCoverageMaps();
    walkRGB24(source, pitch, [&](const uint8_t* s, uint16_t* d, size_t i) {
      if (d[3] == 0) return;  // transparent pixels stay transparent
      const uint32_t f = filtered ? restrictionFactor(maps.textureAt(i), maps.maskAt(i)) : kFullCoverage;
      d[3] = uint16_t(blendByCoverage(uint32_t(s[0]) << 8, d[3], f));
    });
  });
}

extern "C" void RVL_Load(const uint8_t* source, int32_t pitch, int32_t width, int32_t height) noexcept {
  LayerSlot* slot = currentSlot();
  if (!slot || !source || width <= 0 || height <= 0) return;
  const PageWalk walk = pageWalk(*slot);
  const size_t columns = std::min(walk.columns, size_t(width));
  const size_t rows = std::min(walk.rows, size_t(height));
  for (size_t row = 0; row < rows; ++row) {
    const uint8_t* s = source + int64_t(row) * pitch;
    uint16_t* d = slotRow(*slot, row);
    for (size_t i = 0; i < columns; ++i, s += 3, d += 4) {
      d[0] = uint16_t(s[2] << 8);
      d[1] = uint16_t(s[1] << 8);
      d[2] = uint16_t(s[0] << 8);
      d[3] = 65535;
    }
  }
}

extern "C" int32_t RVL_SetRGBA64Layer(const uint16_t* source, int32_t pitch, int32_t index) noexcept {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !source) return 0;
  const PageWalk walk = pageWalk(*slot);
  const uint8_t* s = reinterpret_cast<const uint8_t*>(source);
  for (size_t row = 0; row < walk.rows; ++row)
    std::memcpy(slotRow(*slot, row), s + int64_t(row) * pitch, walk.columns * 8);
  return page.pageHeight;
}

namespace {
// Raw page-sized data: page width * height * 8 bytes, cut to what the slot holds.
size_t rawBytes(const LayerSlot& slot) {
  return std::min(pagePixels(), size_t(slot.width) * size_t(slot.height)) * 8;
}
}  // namespace

extern "C" void RVL_SetLayerData(const void* source, int32_t index) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot || !source) return;
    std::memcpy(slot->pixels, source, rawBytes(*slot));
  });
}

extern "C" void RVL_CopyLayerData(int32_t from, int32_t to) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot* source = filledSlotAt(from);
    LayerSlot* destination = filledSlotAt(to);
    if (!source || !destination || source == destination) return;
    std::memcpy(destination->pixels, source->pixels, std::min(rawBytes(*source), rawBytes(*destination)));
  });
}
