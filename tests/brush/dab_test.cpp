#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "brush/brush.h"
#include "support/brush_fixture.h"
#include "undo/undo.h"

namespace rvl::test {
namespace {

class DabTest : public BrushFixture {
 protected:
  static uint32_t crcOf(int index) {
    const LayerSlot& s = page.layerTable[index];
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(s.pixels.get()), uInt(size_t(s.width) * s.height * 8)));
  }
};

TEST_F(DabTest, BlackOnTheWhiteBackgroundKeepsItsAlpha) {
  RVL_SetLayer(1);
  RVL_DrawDabGrit(20, 20, 0, 0, 0);
  EXPECT_EQ(at(1, 20, 20), (Pixel64{0, 0, 0, 65535}));
  EXPECT_EQ(at(1, 16, 20), (Pixel64{0, 0, 0, 65535})) << "d = 4 is inside a 9-pixel tip";
  EXPECT_EQ(at(1, 16, 16), (Pixel64{65535, 65535, 65535, 65535})) << "corner outside the disc";
  EXPECT_EQ(undo.dirtyRect.minX, 16);
  EXPECT_EQ(undo.dirtyRect.maxX, 25);
}

TEST_F(DabTest, NormalKindArithmetic) {
  // Over transparent: the brush colour with alpha (Y * A) >> 16.
  RVL_DrawDabGrit(10, 10, 0x1234, 0x5678, 0x9ABC);
  EXPECT_EQ(at(2, 10, 10), (Pixel64{0x1200, 0x5600, 0x9A00, 65534}));

  // Half coverage over a partly transparent pixel: alpha f + ((65535 - f) * w) / 65535.
  set(2, 30, 20, {65535, 65535, 65535, 30000});
  RVL_SetAlpha(50);  // Y = (65535 * 64) >> 7 = 32767
  RVL_DrawDabGrit(30, 20, 0, 0, 0);
  EXPECT_EQ(at(2, 30, 20)[3], 30000 + (35535u * 32767u) / 65535u);

  // Coverage 32768 of black over opaque white: every channel (65534 * 32767) / 65535.
  set(2, 20, 30, {65535, 65535, 65535, 65535});
  RVL_SetAlpha(100);
  RVL_SetSize(1);
  page.shapeBuffer[0] = 32768;
  RVL_DrawDabGrit(20, 30, 0, 0, 0);
  EXPECT_EQ(at(2, 20, 30), (Pixel64{32766, 32766, 32766, 65535}));
}

TEST_F(DabTest, GritAgainstDensity) {
  RVL_SetTool(1.0f, 2, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, "", "", 0);  // grit on, cells never drawn
  for (uint8_t* g : page.gritBuffers) std::memset(g, 100, size_t(64 + 25) * (64 + 25));
  page.gritBuffers[0][0] = 100;
  RVL_SetDensity(100);  // threshold 99: byte 100 does not paint
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  EXPECT_EQ(at(2, 10, 10)[3], 0);
  RVL_SetDensity(101);
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  EXPECT_EQ(at(2, 10, 10)[3], 65534);
  EXPECT_GE(brush.currentGrit.buffer, 0);
  EXPECT_EQ(brush.drawingLengthLeft, 10);

  // Grit off ignores the buffers entirely.
  hardTool(9);
  RVL_SetDensity(1);
  RVL_DrawDabGrit(30, 30, 0, 0, 0);
  EXPECT_EQ(at(2, 30, 30)[3], 65534);
}

TEST_F(DabTest, EraseWithBlobLockNeverGoesBelowTheBlob) {
  set(2, 10, 10, {5, 5, 5, 20000});
  set(2, 11, 10, {5, 5, 5, 8000});
  RVL_SetBlobLocked(1);
  RVL_SetEraseModeOn();
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  EXPECT_EQ(at(2, 10, 10), (Pixel64{5, 5, 5, 9215}));
  EXPECT_EQ(at(2, 11, 10)[3], 8000);
  EXPECT_EQ(brush.eraseModeOn, 0) << "erase lasts one dab";
  RVL_SetBlobLocked(0);
  RVL_SetEraseModeOn();
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  EXPECT_EQ(at(2, 10, 10)[3], 0);
}

TEST_F(DabTest, LocksKeepWhatTheySay) {
  set(2, 10, 10, {1000, 1000, 1000, 1000});
  RVL_SetColorLocked(1);
  RVL_DrawDabGrit(10, 10, 0xFF00, 0, 0);
  EXPECT_EQ(at(2, 10, 10)[0], 1000);
  EXPECT_GT(at(2, 10, 10)[3], 1000);
  RVL_SetColorLocked(0);
  RVL_SetLayerOptions(2, 1, 1, 100, "Normal");  // transparency lock
  set(2, 20, 20, {1000, 1000, 1000, 1000});
  RVL_DrawDabGrit(20, 20, 0xFF00, 0, 0);
  EXPECT_EQ(at(2, 20, 20)[3], 1000);
  EXPECT_EQ(at(2, 20, 20)[0], (65535u * 65280u) >> 16);
}

TEST_F(DabTest, ClippedLeftEdgeReadsTheTipFromItsTableValue) {
  RVL_DrawDabGrit(10, 20, 0, 0, 0);  // x0 = 6
  std::vector<Pixel64> reference;
  for (int y = 16; y < 25; ++y) reference.push_back(at(2, 13, y));
  RVL_CreateLayer(2, W, H);
  RVL_DrawDabGrit(-3, 20, 0, 0, 0);  // x0 = -7: column 0 shows tip column 7
  for (int y = 16; y < 25; ++y) EXPECT_EQ(at(2, 0, y), reference[size_t(y - 16)]) << y;
  EXPECT_EQ(undo.dirtyRect.minX, 0);
}

TEST_F(DabTest, RotationByZeroIsNoRotation) {
  hardTool(15, 128);
  RVL_DrawDabGrit(20, 20, 0, 0, 0);
  const uint32_t plain = crcOf(2);
  RVL_CreateLayer(2, W, H);
  RVL_SetRotateBrushMode(1, 0);
  RVL_DrawDabGrit(20, 20, 0, 0, 0);
  EXPECT_EQ(crcOf(2), plain);
}

TEST_F(DabTest, MaskMakerPaintsTheBrushGrey) {
  RVL_SetMaskMakerOn();
  RVL_DrawDabGrit(10, 10, 0xFF00, 0xFF00, 0xFF00);
  EXPECT_EQ(page.mask[10 * W + 10], 0) << "white selects nothing";
  EXPECT_EQ(brush.maskMakerOn, 1) << "mask-maker stays on";
  page.mask[10 * W + 10] = 0;
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  EXPECT_EQ(page.mask[10 * W + 10], 65534) << "black: D = 65535 through (65535 * D) >> 16";
  EXPECT_EQ(at(2, 10, 10)[3], 0) << "the layer is untouched";
}

TEST_F(DabTest, BlendWriteBackOfWhiteOverWhiteSaturates) {
  RVL_SetSize(1);
  RVL_SetTool(1.0f, 0, 0, 0, 0, 0, 10, 128, 0, 1, 0, 0, 0, "", "", 0);  // strength 128, remix
  // Red white over white saturates; green and alpha show that the write-back happened.
  const uint16_t start[4] = {65535, 30000, 65535, 32768};
  for (int c = 0; c < 4; ++c) page.blendBuffer[c] = start[c];
  set(2, 5, 5, {65535, 65535, 65535, 65535});
  RVL_DrawDabGrit(5, 5, 0xFF00, 0xFF00, 0xFF00);
  EXPECT_EQ(page.blendBuffer[0], 65535) << "min(65535, ((128 * 65535 + 128 * 65535) >> 8) + 1)";
  EXPECT_EQ(page.blendBuffer[1], 47768) << "((128 * 65535 + 128 * 30000) >> 8) + 1";
  EXPECT_EQ(page.blendBuffer[2], 65535);
  EXPECT_EQ(page.blendBuffer[3], 49151) << "(128 * 65535 + 128 * 32768) >> 8";
}

TEST_F(DabTest, PaintLayerTakesTheDabAndItsRectangle) {
  RVL_CreatePaintLayer(100, "Normal");
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  EXPECT_EQ(at(2, 10, 10)[3], 0);
  EXPECT_EQ(brush.paintLayer.slot.pixels[(10 * W + 10) * 4 + 3], 65534);
  EXPECT_EQ(brush.paintLayer.minX, 6);
  EXPECT_EQ(brush.paintLayer.maxX, 15);
}

// Dabs of any size at any position, through the fast loop, the general loop with rotation,
// grit, variations and the blend buffer, and the mask-maker: nothing outside the dab's
// rectangle on the page changes. The layer is wider and taller than the page by a guard
// margin that no dab may reach, so a write that runs past a row or the page shows there
// (without a sanitizer too).
TEST_F(DabTest, DabsAnywhereStayInsideTheirRectangle) {
  constexpr int G = 8;
  ASSERT_EQ(RVL_CreateLayer(2, W + G, H + G), 1);
  RVL_SetLayer(2);
  for (int y = 0; y < H + G; ++y)
    for (int x = 0; x < W + G; ++x) set(2, x, y, {0x1111, 0x2222, 0x3333, 0x4444});
  const uint16_t* layer = page.layerTable[2].pixels;
  const uint16_t* mask = page.mask;
  const size_t layerValues = size_t(W + G) * (H + G) * 4, maskValues = size_t(W) * H;
  int dabs = 0, changedInside = 0;

  // The dab's rectangle: x0 = x - sampleCount / 2, x1 = x0 + sampleCount, cut
  // to the page (a superset of what the buffers let the dab reach).
  auto dab = [&](int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) {
    const std::vector<uint16_t> layerBefore(layer, layer + layerValues), maskBefore(mask, mask + maskValues);
    const bool toMask = brush.maskMakerOn != 0;
    const int64_t n = brush.sampleCount, half = n / 2;
    const int64_t x0 = std::max<int64_t>(int64_t(x) - half, 0), x1 = std::min<int64_t>(int64_t(x) - half + n, W);
    const int64_t y0 = std::max<int64_t>(int64_t(y) - half, 0), y1 = std::min<int64_t>(int64_t(y) - half + n, H);
    RVL_DrawDabGrit(x, y, r, g, b);
    ++dabs;
    auto inside = [&](int64_t px, int64_t py) { return px >= x0 && px < x1 && py >= y0 && py < y1; };
    int outside = 0;
    for (int py = 0; py < H + G; ++py)
      for (int px = 0; px < W + G; ++px) {
        const size_t i = (size_t(py) * (W + G) + size_t(px)) * 4;
        const bool same = std::equal(layer + i, layer + i + 4, layerBefore.begin() + ptrdiff_t(i));
        if (!toMask && inside(px, py))
          changedInside += !same;
        else
          outside += !same;
        if (px < W && py < H) {
          const size_t m = size_t(py) * W + size_t(px);
          if (mask[m] != maskBefore[m] && !(toMask && inside(px, py))) ++outside;
          if (toMask && inside(px, py)) changedInside += mask[m] != maskBefore[m];
        }
      }
    EXPECT_EQ(outside, 0) << "dab at " << x << "," << y << " of " << n;
  };

  const int32_t positions[][2] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {-5000, 10}, {10, -5000},
                                  {W + 3, H + 3}, {INT32_MIN, 10}, {10, INT32_MAX}, {W - 2, H - 2}, {1, 1}};
  for (int32_t size : {1, 9, 64, 1000}) {
    RVL_SetSize(size);
    RVL_SetScaleSize(size);
    for (const auto& p : positions) dab(p[0], p[1], 0, 0, 0);
    RVL_SetRotateBrushMode(1, 33);
    dab(W / 2, H / 2, 0, 0, 0);
    dab(W - 1, 0, 0, 0, 0);
    RVL_SetRotateBrushMode(0, 0);
  }
  // A scaled table with a clipped left edge, grit, every variation, the blend buffer.
  RVL_SetSize(64);
  RVL_SetTool(1.0f, 3, 200, 200, 50, 30, 2, 100, 40, 1, 0, 0, 0, "", "", 0);
  RVL_SetScaleSize(20);
  RVL_SetPixColorVary(9);
  RVL_SetPixLumVary(40);
  for (int i = -40; i < W + 40; i += 3) {
    dab(i, i - 10, 0x8000, 0x4000, 0x2000);
    RVL_DecDrawingLength();
  }
  RVL_SetMaskMakerOn();
  for (int i = -40; i < W + 40; i += 7) dab(i, 3, 0, 0, 0);
  EXPECT_GT(changedInside, 0) << "the dabs painted something in " << dabs << " dabs";

  // No current layer and no paint layer: nothing to paint, the mask stays as it is.
  RVL_CreateImage(nullptr, W, H, 64, 0);
  RVL_SetTool(1.0f, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, "", "", 0);
  RVL_DrawDabGrit(10, 10, 0, 0, 0);
  const uint16_t* fresh = page.mask;
  EXPECT_EQ(std::count(fresh, fresh + maskValues, 65535), ptrdiff_t(maskValues));
}

TEST_F(DabTest, LayersSmallerThanThePageAreClippedToThemselves) {
  ASSERT_EQ(RVL_CreateLayer(3, 8, 8), 1);
  RVL_SetLayer(3);
  RVL_DrawDabGrit(6, 6, 0, 0, 0);
  EXPECT_EQ(at(3, 7, 7)[3], 65534);
}

// The fast loop for plain dabs must give exactly what the general loop gives.
TEST_F(DabTest, FastPathMatchesTheGeneralLoop) {
  struct Setting {
    int size, softness, alpha, grit, kind, lock;
    bool texture, mask;
  };
  const Setting settings[] = {
      {9, 0, 100, 0, 32, 0, false, false},  {15, 200, 100, 0, 32, 0, false, false},
      {15, 120, 37, 0, 32, 0, true, true},  {21, 255, 100, 2, 32, 0, false, true},
      {13, 90, 80, 0, 1, 0, true, false},   {11, 60, 100, 0, 20, 1, false, false},
      {7, 0, 100, 0, 32, 2, false, false},
  };
  auto run = [&](const Setting& st, bool fast) {
    RVL_SetRandomSeed(5);
    RVL_CreateLayer(2, W, H);
    // A destination with every kind of alpha.
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) set(2, x, y, {uint16_t(x * 1300), uint16_t(y * 1600), 20000, uint16_t((x * y * 97) % 65536)});
    RVL_SetSize(st.size);
    RVL_SetTool(1.0f, st.grit, 180, 200, st.softness, 0, 4, 0, 0, 0, 0, 0, 0, "", "", 0);
    RVL_SetAlpha(st.alpha);
    RVL_SetDensity(st.grit ? 120 : 256);
    RVL_SetMixMode(st.kind, 256);
    RVL_SetColorLocked(st.lock == 1);
    RVL_SetBlobLocked(st.lock == 2);
    release(page.textureBuffer);
    if (st.texture) {
      page.textureBuffer.allocate(size_t(W) * H);
      for (int i = 0; i < W * H; ++i) page.textureBuffer[i] = uint8_t(i * 31);
    }
    for (int i = 0; i < W * H; ++i) page.mask[i] = st.mask ? uint16_t(i * 977) : 65535;
    brush.currentGrit = GritPosition{-1, 0};  // both runs choose their patterns alike
    rvl::testing::setDabFastPath(fast);
    for (int i = 0; i < 40; ++i) {
      RVL_DrawDabGrit((i * 7) % (W + 10) - 5, (i * 11) % (H + 10) - 5, (i * 4099) & 0xFFFF, (i * 733) & 0xFFFF, 0x8000);
      RVL_DecDrawingLength();
    }
    rvl::testing::setDabFastPath(true);
    return crcOf(2);
  };
  for (const Setting& st : settings) EXPECT_EQ(run(st, true), run(st, false)) << st.size << " " << st.kind;
}

// Seeded strokes: the random draws (colour variation, grit choice, row placement) decide
// the picture, so the checksums only change when the arithmetic does.
TEST_F(DabTest, GoldenStrokes) {
  struct Stroke {
    const char* what;
    void (*setUp)();
    uint32_t layerCrc;
  };
  auto stroke = [](int32_t r, int32_t g, int32_t b) {
    for (int i = 0; i < 30; ++i) {
      RVL_DrawDabGrit(4 + i, 8 + (i * i) % 25, r, g, b);
      RVL_DecDrawingLength();
    }
  };
  const Stroke strokes[] = {
      {"soft round", [] { hardTool(11, 200); }, 0x47100d31},
      {"grit and colour variation",
       [] {
         RVL_SetSize(13);
         RVL_SetTool(1.0f, 2, 180, 160, 60, 20, 3, 0, 0, 0, 0, 0, 0, "", "", 0);
         RVL_SetPixColorVary(11);
       },
       0x1cc65935},
      {"rotated scaled tip",
       [] {
         RVL_SetSize(20);
         RVL_SetTool(0.8f, 0, 0, 0, 90, 0, 10, 0, 0, 0, 0, 0, 0, "", "", 0);
         RVL_SetScaleSize(14);
         RVL_SetRotateBrushMode(1, 30);
       },
       0xf5c376ab},
      {"screen kind", [] {
         hardTool(9, 100);
         RVL_SetMixMode(34, 200);
       },
       0xb3facc7a},
      {"smudge", [] {
         RVL_SetSize(9);
         RVL_SetTool(1.0f, 0, 0, 0, 100, 0, 10, 160, 30, 1, 0, 0, 0, "", "", 0);
         for (int i = 0; i < 9 * 9; ++i) {
           uint16_t* p = page.blendBuffer + ((i / 9) * 64 + i % 9) * 4;
           p[0] = 60000, p[1] = 20000, p[2] = 1000, p[3] = 50000;
         }
       },
       0xb8cd66ff},
  };
  for (const Stroke& s : strokes) {
    RVL_SetRandomSeed(11);
    RVL_CreateLayer(2, W, H);
    RVL_Clear(200, 180, 120, 255);
    s.setUp();
    stroke(0x2000, 0x6000, 0xC000);
    const uint32_t crc = crcOf(2);
    EXPECT_EQ(crc, s.layerCrc) << s.what << ": 0x" << std::hex << crc;
  }
}

}  // namespace
}  // namespace rvl::test

namespace rvl::test {
namespace {

// The grit position belongs to the grit buffers of the page it was chosen on: a page made
// again with smaller brush buffers must not leave the next dab reading past its new ones.
TEST_F(DabTest, GritPositionDoesNotOutliveTheBrushBuffers) {
  RVL_CreateImage(nullptr, W, H, 54, 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
  RVL_SetLayer(2);
  RVL_SetSize(3);
  RVL_SetTool(1.0f, 20, 128, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, "", "", 0);
  for (int i = 0; i < 8; ++i) RVL_DrawDabGrit(10 + i, 10, 65280, 0, 0);
  ASSERT_GE(brush.currentGrit.buffer, 0);
  RVL_CreateImage(nullptr, W, H, 3, 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
  RVL_SetLayer(2);
  EXPECT_EQ(brush.currentGrit.buffer, -1);
  RVL_DrawDabGrit(10, 10, 65280, 0, 0);
  ASSERT_GE(brush.currentGrit.buffer, 0);
  EXPECT_LE(brush.currentGrit.offset, 24 * 3 + 24);
}

}  // namespace
}  // namespace rvl::test
