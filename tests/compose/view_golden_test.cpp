// Whole rendered views of a page of many layers and modes, checked by their CRC32. The
// checksums were recorded from this renderer; a change means the view changed.
#include <zlib.h>

#include <cstdio>

#include "compose/compose.h"
#include "compose/view_support.h"

namespace rvl::test {
namespace {

class ViewGoldenTest : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    const char* modes[] = {"Normal", "Multiply", "Alpha Smooth Lum", "Screen", "Texturize",
                           "Layer Mask", "Alpha Highlight Texture2", "Overlay", "Soft Light", "Difference"};
    pattern(1, 1, true);
    for (int i = 0; i < 10; ++i) {
      const int index = i + 2;
      ASSERT_EQ(RVL_CreateLayer(index, PW, PH), 1);
      pattern(index, 100 + i);
      RVL_SetLayerOptions(index, 1, 0, 100 - 7 * i, modes[i]);
    }
    RVL_SetLayerOptions(9, 0, 0, 100, "Overlay");  // a hidden layer
    RVL_SetLayer(4);
    RVL_CreatePaintLayer(80, "Hard Light");
    pattern(-1, 55);
    pattern(0, 77, true);
    for (int y = 0; y < PH; ++y)
      for (int x = 0; x < PW; ++x) page.mask[y * PW + x] = uint16_t((x * 977 + y * 131) * 41);
    for (int c = 0; c < 3; ++c) {
      compose.maskOverlayColourA[c] = uint16_t((40 + 90 * c) * 256);
      compose.maskOverlayColourB[c] = uint16_t((250 - 70 * c) * 256);
    }
  }
  static void pattern(int index, uint32_t seed, bool opaque = false) {
    if (index < 0) {  // the paint layer: only a band of strokes
      const LayerSlot& s = brush.paintLayer.slot;
      for (int y = 10; y < 30; ++y)
        for (int x = 5; x < 60; ++x)
          set(s, x, y, {uint16_t(x * 1000), uint16_t(y * 2000), uint16_t(seed * 100), uint16_t((x * y * 97) & 0xFFFF)});
      return;
    }
    ViewFixture::pattern(index, seed, opaque);
  }
  static uint32_t crcOf(int whole, float scale, int x, int y, int w, int h) {
    RVL_SetScale(whole, scale);
    ViewBitmap out(4 * PW, 4 * PH, 0);
    RVL_Render(out.data(), out.pitch, x, y, w, h);
    return uint32_t(crc32(0, out.data(), uInt(out.bytes.size())));
  }
  struct Views {
    uint32_t one, four, shrink, fraction;
  };
  static Views views() {
    return {crcOf(1, 1.0f, 0, 0, PW, PH), crcOf(4, 1.0f, 10, 8, 30, 20), crcOf(1, 2.0f, 0, 0, PW, PH),
            crcOf(1, 1.5f, 3, 1, PW, PH)};
  }
  static void expectViews(const char* what, Views want) {
    const Views got = views();
    EXPECT_EQ(got.one, want.one) << what << " 1:1";
    EXPECT_EQ(got.four, want.four) << what << " zoom 4";
    EXPECT_EQ(got.shrink, want.shrink) << what << " shrink 2";
    EXPECT_EQ(got.fraction, want.fraction) << what << " shrink 1.5";
    if (::testing::Test::HasFailure())
      std::printf("%s: {0x%08X, 0x%08X, 0x%08X, 0x%08X}\n", what, got.one, got.four, got.shrink, got.fraction);
  }
};

TEST_F(ViewGoldenTest, LayersAndModes) { expectViews("layers", {0xE7822097, 0xDE0177C8, 0xA0976503, 0xDF51DCA3}); }

TEST_F(ViewGoldenTest, Tracing) {
  RVL_SetTracingMode(1);
  expectViews("tracing", {0x0450A074, 0x2D16E738, 0x8E02E592, 0xEA433139});
}

TEST_F(ViewGoldenTest, Checkerboard) {
  RVL_SetLayerOptions(1, 0, 0, 100, "Normal");
  expectViews("checkerboard", {0x69111763, 0x04D4B1AC, 0x5DA7FCAD, 0x01F31E09});
}

TEST_F(ViewGoldenTest, MaskOverlay) {
  page.maskDisplayed = 1;
  expectViews("mask overlay", {0xCCFDE698, 0x87C8C228, 0x8F0C74A1, 0x738E880F});
  compose.maskOverlayFull = 1;
  compose.alphaLayerOpacity = 30000;
  expectViews("full mask overlay", {0x1C9D4C9D, 0x576DC917, 0x5615FE69, 0xD29EC0B4});
}

TEST_F(ViewGoldenTest, RowCopiesMatchThePlainPath) {
  page.maskDisplayed = 1;
  RVL_SetTracingMode(1);
  for (auto [whole, scale] : std::vector<std::pair<int, float>>{{4, 1.0f}, {3, 2.0f}, {0, 0.5f}, {0, 0.3f}, {1, 1.0f}}) {
    testing::setViewRowReuse(false);
    const uint32_t plain = crcOf(whole, scale, 5, 3, 40, 30);
    testing::setViewRowReuse(true);
    EXPECT_EQ(crcOf(whole, scale, 5, 3, 40, 30), plain) << whole << " " << scale;
  }
}

}  // namespace
}  // namespace rvl::test
