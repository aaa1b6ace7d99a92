// A page for view tests and an output bitmap that shows which bytes a render wrote.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "brush/brush.h"
#include "page/page.h"
#include "compose/compose.h"
#include "support/engine_fixture.h"

namespace rvl::test {

// A BGR24 bitmap of cols x rows with padded rows; its storage ends right after the last
// pixel so that writing past it is caught under the sanitizers.
struct ViewBitmap {
  int32_t columns, rows, pitch;
  std::vector<uint8_t> bytes;
  ViewBitmap(int32_t c, int32_t r, int32_t pad = 5, uint8_t marker = 0xA5)
      : columns(c), rows(r), pitch(c * 3 + pad),
        bytes(r > 0 ? size_t(r - 1) * size_t(c * 3 + pad) + size_t(c) * 3 : 0, marker) {}
  uint8_t* data() { return bytes.data(); }
  // Blue, green, red of output pixel (x, y).
  std::array<uint8_t, 3> at(int32_t x, int32_t y) const {
    const uint8_t* p = bytes.data() + size_t(y) * pitch + size_t(x) * 3;
    return {p[0], p[1], p[2]};
  }
};

// Renders twice over two different markers; a byte was written when it is not the marker
// in both. Returns the bitmap of the first render and the count of pixels written.
struct RenderResult {
  ViewBitmap bitmap;
  int64_t writtenPixels;
  int32_t lastColumn, lastRow;  // of any written byte, -1 when nothing was written
};
inline RenderResult renderChecked(int32_t columns, int32_t rows, int32_t x, int32_t y, int32_t w,
                                  int32_t h) {
  ViewBitmap a(columns, rows, 5, 0xA5), b(columns, rows, 5, 0x5A);
  RVL_Render(a.data(), a.pitch, x, y, w, h);
  RVL_Render(b.data(), b.pitch, x, y, w, h);
  RenderResult result{a, 0, -1, -1};
  for (int32_t r = 0; r < rows; ++r)
    for (int32_t c = 0; c < columns; ++c) {
      bool written = false;
      for (int k = 0; k < 3; ++k) {
        const size_t i = size_t(r) * a.pitch + size_t(c) * 3 + k;
        if (!(a.bytes[i] == 0xA5 && b.bytes[i] == 0x5A)) written = true;
      }
      if (written) {
        ++result.writtenPixels;
        result.lastColumn = std::max(result.lastColumn, c);
        result.lastRow = std::max(result.lastRow, r);
      }
    }
  return result;
}

// A page of PW x PH with the trace layer, the opaque white background (visible) and a
// transparent current layer 2 (visible, Normal).
class ViewFixture : public EngineTest {
 protected:
  static constexpr int PW = 80, PH = 48;
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, PW, PH, 8, 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, PW, PH), 1);
    RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
    RVL_SetLayerOptions(2, 1, 0, 100, "Normal");
    RVL_SetLayer(2);
    RVL_SetViewSize(4096, 4096);
  }
  static void set(const LayerSlot& s, int x, int y, std::array<uint16_t, 4> v) {
    uint16_t* p = s.pixels + (size_t(y) * s.width + x) * 4;
    for (int c = 0; c < 4; ++c) p[c] = v[c];
  }
  static void set(int index, int x, int y, std::array<uint16_t, 4> v) { set(page.layerTable[index], x, y, v); }
  static void fill(int index, std::array<uint16_t, 4> v) {
    const LayerSlot& s = page.layerTable[index];
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) set(s, x, y, v);
  }
  // Deterministic pixels of every kind of alpha.
  static void pattern(int index, uint32_t seed, bool opaque = false) {
    const LayerSlot& s = page.layerTable[index];
    uint32_t v = seed;
    const auto next = [&v] {
      v = v * 1664525u + 1013904223u;
      return uint16_t(v >> 16);
    };
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        const uint16_t r = next(), g = next(), b = next();
        uint16_t a = next();
        if (!opaque && (x + y) % 5 == 0) a = 0;
        if (opaque || (x * 3 + y) % 7 == 0) a = 65535;
        set(s, x, y, {r, g, b, a});
      }
  }
};

}  // namespace rvl::test
