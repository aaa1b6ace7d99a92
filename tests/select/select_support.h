// A small page for the mask tests: trace, background and current layer 2, the mask filled
// with a marker value so that untouched pixels show.
#pragma once

#include <cstdint>
#include <vector>

#include "page/page.h"
#include "support/engine_fixture.h"

namespace rvl::test {

inline constexpr uint16_t kUntouched = 12345;

class MaskPage : public EngineTest {
 protected:
  int32_t W = 8, H = 4;
  void makePage(int32_t w, int32_t h) {
    W = w;
    H = h;
    RVL_CreateImage(nullptr, W, H, 8, 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
    RVL_SetLayer(2);
    fillMask(kUntouched);
  }
  void SetUp() override {
    EngineTest::SetUp();
    makePage(8, 4);
  }
  size_t count() const { return size_t(W) * size_t(H); }
  void fillMask(uint16_t v) {
    for (size_t i = 0; i < count(); ++i) page.mask[i] = v;
  }
  uint16_t* pixel(int index, size_t i) { return page.layerTable[index].pixels + i * 4; }
  // A page-sized RGBA32 picture of one colour.
  std::vector<uint8_t> picture(uint8_t r, uint8_t g, uint8_t b, uint8_t a) const {
    std::vector<uint8_t> p(count() * 4);
    for (size_t i = 0; i < count(); ++i) {
      p[i * 4] = r;
      p[i * 4 + 1] = g;
      p[i * 4 + 2] = b;
      p[i * 4 + 3] = a;
    }
    return p;
  }
  void useTexture(uint8_t t) {
    page.textureBuffer.allocate(count());
    for (size_t i = 0; i < count(); ++i) page.textureBuffer[i] = t;
  }
};

}  // namespace rvl::test
