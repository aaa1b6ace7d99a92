// Host pictures into layers: RGBA32, RGB24, BGR24 and raw RGBA64.
#include "page/layer_load.h"

#include <algorithm>
#include <cstring>

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

// Per-pixel coverage from texture and mask; pixel by pixel blend.
void writeRowFiltered(const uint8_t* s, uint16_t* d, int32_t count, const uint8_t* texture,
                      const uint16_t* mask, bool lock) {
  for (int32_t i = 0; i < count; ++i, s += 4, d += 4) {
    uint32_t f = 65535;
    if (texture) f = textureCoverage(texture[i]);
    if (mask) {
      const uint32_t m = mask[i] >> 8;
      if (m == 0) continue;
      if (m < 255) f = ((m + 1) * f) >> 8;
    }
    if (f == 0) continue;
    if (f == 65535) {
      d[0] = uint16_t(s[0] << 8);
      d[1] = uint16_t(s[1] << 8);
      d[2] = uint16_t(s[2] << 8);
      if (!lock) d[3] = uint16_t(s[3] << 8);
      continue;
    }
    const uint32_t e = 65535 - f;
    const uint32_t D = d[3];
    const uint32_t S = s[3];
    if (D == 0) {
      d[0] = uint16_t(s[0] << 8);
      d[1] = uint16_t(s[1] << 8);
      d[2] = uint16_t(s[2] << 8);
      if (!lock) d[3] = uint16_t((S * 256 * f) >> 16);
    } else if (S == 0) {
      if (!lock) d[3] = uint16_t((D * e) >> 16);
    } else {
      for (int c = 0; c < 3; ++c)
        d[c] = uint16_t((((uint32_t(s[c]) * 256 * f) >> 8) + ((uint32_t(d[c]) * e) >> 8)) >> 8);
      if (!lock) d[3] = uint16_t((((S * 256 * f) >> 8) + ((D * e) >> 8)) >> 8);
    }
  }
}

}  // namespace

void loadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x, int32_t y,
                     int32_t width, int32_t height, bool apply) {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !source) return;
  const bool lock = slot->lockTransparency != 0;
  const bool filtered = apply && (page.maskEnabled || page.textureBuffer);

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
  const uint8_t* texture = page.textureBuffer;
  const uint16_t* mask = page.maskEnabled ? page.mask : nullptr;
  for (int32_t row = span.top; row < span.bottom; ++row) {
    const uint8_t* s = source + int64_t(row - y) * pitch + int64_t(span.left - x) * 4;
    uint16_t* d = slotRow(*slot, size_t(row)) + size_t(span.left) * 4;
    if (!filtered) {
      if (lock)
        writeRowLocked(s, d, count);
      else
        writeRowPlain(s, d, count);
    } else {
      const size_t at = size_t(row) * size_t(page.pageWidth) + size_t(span.left);
      writeRowFiltered(s, d, count, texture ? texture + at : nullptr, mask ? mask + at : nullptr, lock);
    }
  }
}

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_LoadRGBA32Layer(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                    int32_t y, int32_t width, int32_t height, int32_t apply) {
  loadRGBA32Layer(source, pitch, index, x, y, width, height, uint8_t(apply) != 0);
}

extern "C" void RVL_LoadRGBA32(const uint8_t* source, int32_t pitch, int32_t apply) {
  LayerSlot* slot = currentSlot();
  if (!slot) return;
  loadRGBA32Layer(source, pitch, page.currentLayerIndex, 0, 0, slot->width, slot->height,
                  uint8_t(apply) != 0);
}

extern "C" void RVL_LoadRGBA32Into(const uint8_t* source, int32_t pitch, int32_t index, int32_t x,
                                   int32_t y, int32_t width, int32_t height) {
  loadRGBA32Layer(source, pitch, index, x, y, width, height, true);
}

extern "C" void RVL_LoadRGB24(const uint8_t* source, int32_t pitch, int32_t apply) {
  LayerSlot* slot = currentSlot();
  if (!slot || !source) return;
  const bool filtered = uint8_t(apply) && (page.maskEnabled || page.textureBuffer);
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row) {
    const uint8_t* s = source + int64_t(row) * pitch;
    uint16_t* d = slotRow(*slot, row);
    if (!filtered) {
      for (size_t i = 0; i < walk.columns; ++i, s += 3, d += 4) {
        d[0] = uint16_t(s[0] << 8);
        d[1] = uint16_t(s[1] << 8);
        d[2] = uint16_t(s[2] << 8);
      }
      continue;
    }
    const size_t at = row * size_t(page.pageWidth);
    for (size_t i = 0; i < walk.columns; ++i, s += 3, d += 4) {
      uint32_t f = 65535;
      if (page.textureBuffer) f = textureCoverage(page.textureBuffer[at + i]);
      if (page.maskEnabled) {
        const uint32_t m = page.mask[at + i] >> 8;
        if (m == 0)
          f = 0;
        else if (m < 255)
          f = ((m + 1) * f) >> 8;
      }
      if (f == 0) continue;
      if (f == 65535) {
        for (int c = 0; c < 3; ++c) d[c] = uint16_t(s[c] << 8);
      } else {
        const uint32_t e = 65535 - f;
        for (int c = 0; c < 3; ++c)
          d[c] = uint16_t((((uint32_t(s[c]) * 256 * f) >> 8) + ((uint32_t(d[c]) * e) >> 8)) >> 8);
      }
    }
  }
}

extern "C" void RVL_LoadRGB24ToAlpha(const uint8_t* source, int32_t pitch, int32_t apply) {
  LayerSlot* slot = currentSlot();
  if (!slot || !source) return;
  const bool filtered = uint8_t(apply) && (page.maskEnabled || page.textureBuffer);
  const PageWalk walk = pageWalk(*slot);
  for (size_t row = 0; row < walk.rows; ++row) {
    const uint8_t* s = source + int64_t(row) * pitch;
    uint16_t* d = slotRow(*slot, row);
    const size_t at = row * size_t(page.pageWidth);
    for (size_t i = 0; i < walk.columns; ++i, s += 3, d += 4) {
      if (d[3] == 0) continue;  // transparent pixels stay transparent
      const uint32_t r = s[0];
      if (!filtered) {
        d[3] = uint16_t(r << 8);
        continue;
      }
      uint32_t f = 65535;
      if (page.textureBuffer) {
        const uint32_t t = page.textureBuffer[at + i];
        if (2 * t < 255) f = (2 * t * 65535) >> 8;
      }
      if (page.maskEnabled) {
        const uint32_t v = page.mask[at + i];
        if (v < 65535) f = (v * f) >> 16;
      }
      if (f == 65535)
        d[3] = uint16_t(r << 8);
      else if (f > 0)
        d[3] = uint16_t((((r * 256 * f) >> 8) + ((uint32_t(d[3]) * (65535 - f)) >> 8)) >> 8);
    }
  }
}

extern "C" void RVL_Load(const uint8_t* source, int32_t pitch, int32_t width, int32_t height) {
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

extern "C" int32_t RVL_SetRGBA64Layer(const uint16_t* source, int32_t pitch, int32_t index) {
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

extern "C" void RVL_SetLayerData(const void* source, int32_t index) {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot || !source) return;
  std::memcpy(slot->pixels, source, rawBytes(*slot));
}

extern "C" void RVL_CopyLayerData(int32_t from, int32_t to) {
  LayerSlot* source = filledSlotAt(from);
  LayerSlot* destination = filledSlotAt(to);
  if (!source || !destination || source == destination) return;
  std::memcpy(destination->pixels, source->pixels, std::min(rawBytes(*source), rawBytes(*destination)));
}
