// Restriction of results by mask and texture, the premultiply / restore pair around
// filters, and writing a restricted result back over a layer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "compose/compose.h"
#include "select/select.h"
#include "select_support.h"

namespace rvl::test {
namespace {

class Adjust : public MaskPage {
 protected:
  // The alpha pixel 0 of an opaque-alpha page picture keeps after the restriction.
  uint8_t restrictedOnce(uint8_t alpha) {
    std::vector<uint8_t> p = picture(10, 20, 30, alpha);
    RVL_AdjustRGBA32ByMaskAndTexture(p.data(), W, H);
    EXPECT_EQ(p[0], 10);  // colour is never changed
    return p[3];
  }
};

TEST_F(Adjust, RestrictionFactorCases) {
  // f starts at 65535; a texture byte t with 2t < 255 gives (2t x 65535) >> 8; an enabled
  // mask m < 65535 gives (m x f) >> 16; alpha becomes trunc(f / 65535 x alpha).
  const struct {
    const char* name;
    int texture;  // -1: none
    bool maskOn;
    uint16_t mask;
    uint8_t alpha, want;
  } cases[] = {
      {"texture 128, mask off", 128, false, 0, 255, 255},
      {"texture 250, mask off", 250, false, 0, 255, 255},
      {"texture 64: f 32767", 64, false, 0, 255, 127},
      {"texture 127: f 65023", 127, false, 0, 255, 253},
      {"texture 0", 0, false, 0, 255, 0},
      {"mask 32768: f 32767", -1, true, 32768, 255, 127},
      {"mask 32768, alpha 100", -1, true, 32768, 100, 49},
      {"mask 65535", -1, true, 65535, 200, 200},
      {"mask 0", -1, true, 0, 255, 0},
      {"texture 64 and mask 32768: f 16383", 64, true, 32768, 255, 63},
      {"mask off and no texture: untouched", -1, false, 0, 255, 255},
  };
  for (const auto& c : cases) {
    page.textureBuffer.reset();
    if (c.texture >= 0) useTexture(uint8_t(c.texture));
    RVL_EnableMask(c.maskOn);
    fillMask(c.mask);
    EXPECT_EQ(restrictedOnce(c.alpha), c.want) << c.name;
  }
}

TEST_F(Adjust, RectOnlyWhereItLiesOnThePage) {
  makePage(30, 4);
  fillMask(0);  // everything on the page protected: restricted alpha 0
  // A 20 x 3 picture at x = -10: only its right 10 columns lie on the page.
  std::vector<uint8_t> p(20 * 3 * 4, 255);
  RVL_AdjustRGBA32RectByMaskAndTexture(p.data(), -10, 0, 20, 3);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 20; ++col) EXPECT_EQ(p[size_t(row * 20 + col) * 4 + 3], col >= 10 ? 0 : 255) << col;
  // At (25, 2): columns 25..29 and rows 2..3 of the page, rows 20 pixels apart.
  std::vector<uint8_t> q(20 * 3 * 4, 255);
  RVL_AdjustRGBA32RectByMaskAndTexture(q.data(), 25, 2, 20, 3);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 20; ++col)
      EXPECT_EQ(q[size_t(row * 20 + col) * 4 + 3], (row < 2 && col < 5) ? 0 : 255) << col << "," << row;
  std::vector<uint8_t> r = q;
  RVL_AdjustRGBA32RectByMaskAndTexture(q.data(), 30, 0, 20, 3);   // right of the page
  RVL_AdjustRGBA32RectByMaskAndTexture(q.data(), -20, 0, 20, 3);  // left of it
  RVL_AdjustRGBA32RectByMaskAndTexture(q.data(), 0, 0, -1, 3);
  RVL_AdjustRGBA32RectByMaskAndTexture(nullptr, 0, 0, 20, 3);
  EXPECT_EQ(q, r);
}

TEST_F(Adjust, WholeFormCutsToThePage) {
  fillMask(0);
  // 10 x 6 on the 8 x 4 page: columns 0..7 of rows 0..3, rows 10 pixels apart.
  std::vector<uint8_t> p(10 * 6 * 4, 255);
  RVL_AdjustRGBA32ByMaskAndTexture(p.data(), 10, 6);
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 10; ++col)
      EXPECT_EQ(p[size_t(row * 10 + col) * 4 + 3], (row < 4 && col < 8) ? 0 : 255) << col << "," << row;
}

TEST_F(Adjust, ForAlphaComp) {
  std::vector<uint8_t> p = picture(100, 200, 0, 128);
  p[4 + 3] = 0;    // transparent: kept
  p[8 + 3] = 255;  // opaque: c 255 / 255
  RVL_AdjustRGBA32ForAlphaComp(0x100, p.data());  // low byte 0: nothing
  EXPECT_EQ(p[0], 100);
  RVL_AdjustRGBA32ForAlphaComp(1, p.data());
  EXPECT_EQ(p[0], 199);  // 100 x 255 / 128 = 199.2
  EXPECT_EQ(p[1], 255);  // 398 capped
  EXPECT_EQ(p[2], 0);
  EXPECT_EQ(p[4], 100);
  EXPECT_EQ(p[8], 100);
  RVL_AdjustRGBA32ForAlphaComp(1, nullptr);
}

TEST_F(Adjust, PreAndPostFilterRGBA32) {
  std::vector<uint8_t> p = {255, 255, 255, 128, 7, 8, 9, 0, 7, 8, 9, 255, 100, 0, 255, 1};
  RVL_AdjustRGBA32PreFilter(p.data(), 4, 1);
  // 128/255 x 256 = 128.5; alpha 0 and 255 kept; alpha 1: 101/255, 1/255, 256/255.
  EXPECT_EQ(p, (std::vector<uint8_t>{128, 128, 128, 128, 7, 8, 9, 0, 7, 8, 9, 255, 0, 0, 1, 1}));
  RVL_AdjustRGBA32PostFilter(p.data(), 4, 1);
  EXPECT_EQ(p, (std::vector<uint8_t>{255, 255, 255, 128, 7, 8, 9, 0, 7, 8, 9, 255, 0, 0, 255, 1}));
}

// Over every colour byte c and alpha a: premultiplied p <= a (c + 1) / 255 and
// p > a (c + 1) / 255 - 1, so the restored q = min(255, trunc(255 p / a)) lies in
// c + 1 - 255 / a - 1 < q <= c + 1: from c - ceil(255 / a) to c + 1 (from c - 2 for a >= 128).
// Alpha 0 and 255 keep every byte.
TEST_F(Adjust, PreThenPostRoundingBound) {
  makePage(256, 256);
  std::vector<uint8_t> p(256 * 256 * 4);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) {
      uint8_t* q = &p[size_t(a * 256 + c) * 4];
      q[0] = uint8_t(c), q[1] = uint8_t(255 - c), q[2] = uint8_t(c / 2), q[3] = uint8_t(a);
    }
  const std::vector<uint8_t> before = p;
  RVL_AdjustRGBA32PreFilter(p.data(), 256, 256);
  RVL_AdjustRGBA32PostFilter(p.data(), 256, 256);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      for (int k = 0; k < 4; ++k) {
        const size_t i = size_t(a * 256 + c) * 4 + size_t(k);
        const int was = before[i], now = p[i];
        if (k == 3 || a == 0 || a == 255) {
          ASSERT_EQ(now, was) << a << " " << c;
          continue;
        }
        const int down = (255 + a - 1) / a;
        ASSERT_LE(now, was + 1) << a << " " << c;
        ASSERT_GE(now, was - down) << a << " " << c;
      }
}

TEST_F(Adjust, PreAndPostFilterRGBA64) {
  std::vector<uint16_t> p = {1000, 65535, 0, 32768, 1234, 5678, 9, 65535, 5, 6, 7, 0};
  RVL_AdjustRGBA64PreFilter(p.data(), 3, 1);
  // 32768/65535 x 1000 = 500.0076; x 65535 = 32768.0 at most... the opaque pixel keeps all.
  EXPECT_EQ(p[0], 500);
  EXPECT_EQ(p[2], 0);
  EXPECT_EQ(p[3], 32768);
  EXPECT_EQ((std::vector<uint16_t>(p.begin() + 4, p.end())),
            (std::vector<uint16_t>{1234, 5678, 9, 65535, 5, 6, 7, 0}));
  p[1] = 40000;
  RVL_AdjustRGBA64PostFilter(p.data(), 3, 1);
  EXPECT_EQ(p[0], 999);    // 500 x 65535 / 32768 = 999.98
  EXPECT_EQ(p[1], 65535);  // 80001 capped
  EXPECT_EQ((std::vector<uint16_t>(p.begin() + 4, p.end())),
            (std::vector<uint16_t>{1234, 5678, 9, 65535, 5, 6, 7, 0}));
  RVL_AdjustRGBA64PreFilter(nullptr, 3, 1);
}

// The usual road: a result restricted by the mask, then merged over an opaque layer.
TEST_F(Adjust, MaskedWriteBack) {
  fillMask(65535);
  page.mask[1] = 0;
  page.mask[2] = 32768;
  for (size_t i = 0; i < count(); ++i) {
    uint16_t* d = pixel(2, i);
    d[0] = 0, d[1] = 40000, d[2] = 0, d[3] = 65535;
  }
  std::vector<uint8_t> result = picture(200, 0, 100, 255);
  RVL_AdjustRGBA32ByMaskAndTexture(result.data(), W, H);
  mergeRGBA32IntoLayer(result.data(), 2, 0, 0, 255, false);
  // Selected: the result as it is.
  EXPECT_EQ(pixel(2, 0)[0], 200 * 256);
  EXPECT_EQ(pixel(2, 0)[1], 0);
  EXPECT_EQ(pixel(2, 0)[2], 100 * 256);
  // Protected: unchanged.
  EXPECT_EQ(pixel(2, 1)[0], 0);
  EXPECT_EQ(pixel(2, 1)[1], 40000);
  EXPECT_EQ(pixel(2, 1)[3], 65535);
  // Half selected: alpha 127 (32512 / 65535 = 0.496): red 200 x 0.496 = 99.2, green
  // 40000 x 0.504 = 20156 (high byte 78), blue 49.6.
  EXPECT_NEAR(pixel(2, 2)[0] >> 8, 99, 1);
  EXPECT_NEAR(pixel(2, 2)[1] >> 8, 78, 1);
  EXPECT_NEAR(pixel(2, 2)[2] >> 8, 49, 1);
}

TEST_F(Adjust, LoadRGBA32LayerBad) {
  fillMask(65535);
  page.mask[1] = 0;
  for (int slot : {1, 2})
    for (size_t i = 0; i < count(); ++i) {
      uint16_t* d = pixel(slot, i);
      d[0] = 1000, d[1] = 2000, d[2] = 3000, d[3] = 65535;
    }
  std::vector<uint8_t> source = picture(10, 20, 30, 255);
  RVL_LoadRGBA32Layer_BAD(source.data(), 0, 2, W, H, 1);
  EXPECT_EQ(source[4 + 3], 0);  // restricted in place where protected
  EXPECT_EQ(pixel(2, 0)[0], 10 * 256);
  EXPECT_EQ(pixel(2, 0)[2], 30 * 256);
  EXPECT_EQ(pixel(2, 1)[0], 1000);  // protected: untouched
  EXPECT_EQ(pixel(2, 1)[3], 65535);
  // Into another slot: the current layer stays as it is.
  std::vector<uint16_t> current(page.layerTable[2].pixels.get(), page.layerTable[2].pixels.get() + count() * 4);
  std::vector<uint8_t> other = picture(50, 60, 70, 255);
  RVL_LoadRGBA32Layer_BAD(other.data(), 0, 1, W, H, 0);
  EXPECT_EQ(pixel(1, 1)[0], 50 * 256);
  EXPECT_TRUE(std::equal(current.begin(), current.end(), page.layerTable[2].pixels.get()));
  RVL_LoadRGBA32Layer_BAD(nullptr, 0, 2, W, H, 1);
  RVL_LoadRGBA32Layer_BAD(other.data(), 0, 40, W, H, 1);  // empty slot
  RVL_LoadRGBA32Layer_BAD(other.data(), 0, -3, W, H, 1);
}

}  // namespace
}  // namespace rvl::test
