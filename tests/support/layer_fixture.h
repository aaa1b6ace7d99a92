// A page with a trace layer, the background and one transparent layer (slot 2, current).
#pragma once

#include <array>
#include <vector>

#include "page/page.h"
#include "support/engine_fixture.h"

namespace rvl::test {

using Pixel64 = std::array<uint16_t, 4>;

class LayerFixture : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    makePage(W, H);
  }
  void makePage(int w, int h) {
    RVL_CreateImage(nullptr, w, h, 8, 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, w, h), 1);
    RVL_SetLayerOptions(2, 1, 0, 100, "Normal");
    RVL_SetLayer(2);
  }
  static Pixel64 at(int index, int x, int y) {
    const LayerSlot& s = page.layerTable[index];
    const uint16_t* p = s.pixels + (size_t(y) * s.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  static void set(int index, int x, int y, Pixel64 v) {
    const LayerSlot& s = page.layerTable[index];
    uint16_t* p = s.pixels + (size_t(y) * s.width + x) * 4;
    for (int c = 0; c < 4; ++c) p[c] = v[c];
  }
  static void setMask(int x, int y, uint16_t v) { page.mask[size_t(y) * page.pageWidth + x] = v; }
  // A packed RGBA32 picture of one colour.
  static std::vector<uint8_t> solid(int w, int h, std::array<uint8_t, 4> c) {
    std::vector<uint8_t> out(size_t(w) * h * 4);
    for (size_t i = 0; i < out.size(); ++i) out[i] = c[i % 4];
    return out;
  }
  static constexpr int W = 16, H = 12;
};

}  // namespace rvl::test
