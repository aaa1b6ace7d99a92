// Run-length line formats: RGBA32 runs (count, red, green, blue, alpha: the high bytes
// of the layer's channels) and G8 runs (count, value: the mask value's high byte). A
// run holds 1 to 255 pixels; the line length is not stored.
#include <algorithm>
#include <cstring>

#include "frame/guard.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

namespace rvl {

namespace {

// RGBA64 pixels as their four high bytes, packed in one word for comparison.
inline uint32_t highBytes(const uint16_t* p) {
  return uint32_t(p[0] >> 8) | uint32_t(p[1] >> 8) << 8 | uint32_t(p[2] >> 8) << 16 |
         uint32_t(p[3] >> 8) << 24;
}

}  // namespace

int32_t compressRGBA(const uint16_t* source, uint8_t* destination, int32_t count) {
  if (!source || !destination || count < 1) return 0;
  uint8_t* out = destination;
  auto emit = [&out](uint32_t value, uint32_t run) {
    out[0] = uint8_t(run);
    out[1] = uint8_t(value);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value >> 16);
    out[4] = uint8_t(value >> 24);
    out += 5;
  };
  uint32_t value = highBytes(source);
  uint32_t run = 1;
  for (int32_t i = 1; i < count; ++i) {
    const uint32_t next = highBytes(source + size_t(i) * 4);
    if (next == value && run < 255) {
      ++run;
    } else {
      emit(value, run);
      value = next;
      run = 1;
    }
  }
  emit(value, run);
  return int32_t(out - destination);
}

int32_t compressG8(const uint16_t* source, uint8_t* destination, int32_t count) {
  if (!source || !destination || count < 1) return 0;
  uint8_t* out = destination;
  uint8_t value = uint8_t(source[0] >> 8);
  uint32_t run = 1;
  for (int32_t i = 1; i < count; ++i) {
    const uint8_t next = uint8_t(source[i] >> 8);
    if (next == value && run < 255) {
      ++run;
    } else {
      *out++ = uint8_t(run);
      *out++ = value;
      value = next;
      run = 1;
    }
  }
  *out++ = uint8_t(run);
  *out++ = value;
  return int32_t(out - destination);
}

// A valid line of n values never needs more than n records, so at most n records are
// read whatever the data holds: a line of empty records cannot make the reader run on.
void uncompressRGBA(const uint8_t* runs, uint16_t* destination, int32_t count) {
  if (!runs || !destination || count < 1) return;
  int32_t position = 0;
  for (int32_t record = 0; record < count && position < count; ++record, runs += 5) {
    const int32_t run = std::min<int32_t>(runs[0], count - position);
    const uint16_t r = uint16_t(runs[1] << 8), g = uint16_t(runs[2] << 8), b = uint16_t(runs[3] << 8),
                   a = uint16_t(runs[4] << 8);
    uint16_t* d = destination + size_t(position) * 4;
    for (int32_t i = 0; i < run; ++i, d += 4) {
      d[0] = r;
      d[1] = g;
      d[2] = b;
      d[3] = a;
    }
    position += run;
  }
}

void uncompressG8(const uint8_t* runs, uint16_t* destination, int32_t count) {
  if (!runs || !destination || count < 1) return;
  int32_t position = 0;
  for (int32_t record = 0; record < count && position < count; ++record, runs += 2) {
    const int32_t run = std::min<int32_t>(runs[0], count - position);
    std::fill_n(destination + position, run, uint16_t(runs[1] << 8));
    position += run;
  }
}

}  // namespace rvl

using namespace rvl;

namespace {

// The row of a slot a line export may touch, with the pixels both slot and page hold.
uint16_t* lineOf(int32_t index, int32_t row, int32_t* pixels) {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot) return nullptr;
  const PageWalk walk = pageWalk(*slot);
  if (row < 0 || size_t(row) >= walk.rows || walk.columns == 0) return nullptr;
  *pixels = int32_t(walk.columns);
  return slotRow(*slot, size_t(row));
}

uint16_t* maskLineOf(int32_t row) {
  if (!page.mask || row < 0 || row >= page.pageHeight || page.pageWidth <= 0) return nullptr;
  return page.mask + size_t(row) * size_t(page.pageWidth);
}

}  // namespace

extern "C" int32_t RVL_RLECompressRGBA64ToRGBA32(const uint16_t* source, uint8_t* destination,
                                                 int32_t count) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return compressRGBA(source, destination, count);
  });
}

extern "C" void RVL_RLEUncompressRGBA32ToRGBA64(const uint8_t* runs, uint16_t* destination,
                                                int32_t count) noexcept {
  rvl::guarded(nullptr, [&] {
    uncompressRGBA(runs, destination, count);
  });
}

extern "C" int32_t RVL_RLECompressG16ToG8(const uint16_t* source, uint8_t* destination, int32_t count) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return compressG8(source, destination, count);
  });
}

extern "C" void RVL_RLEUncompressG8ToG16(const uint8_t* runs, uint16_t* destination, int32_t count) noexcept {
  rvl::guarded(nullptr, [&] {
    uncompressG8(runs, destination, count);
  });
}

extern "C" int32_t RVL_GetRGBA32LayerLineRLE(uint8_t* destination, int32_t index, int32_t row) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    int32_t pixels = 0;
    const uint16_t* line = lineOf(index, row, &pixels);
    return line ? compressRGBA(line, destination, pixels) : 0;
  });
}

extern "C" void RVL_PutRGBA32LayerLineRLE(const uint8_t* runs, int32_t index, int32_t row) noexcept {
  rvl::guarded(nullptr, [&] {
    int32_t pixels = 0;
    if (uint16_t* line = lineOf(index, row, &pixels)) uncompressRGBA(runs, line, pixels);
  });
}

extern "C" int32_t RVL_GetMaskLineRLE(uint8_t* destination, int32_t row) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    const uint16_t* line = maskLineOf(row);
    return line ? compressG8(line, destination, page.pageWidth) : 0;
  });
}

extern "C" void RVL_PutMaskLineRLE(const uint8_t* runs, int32_t row) noexcept {
  rvl::guarded(nullptr, [&] {
    if (uint16_t* line = maskLineOf(row)) uncompressG8(runs, line, page.pageWidth);
  });
}
