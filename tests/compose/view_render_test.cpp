// The view renderer: mappings, the render list, tracing, checkerboard, mask overlay and
// what it writes for bad rectangles and view settings.
#include <cmath>
#include <limits>

#include "compose/compose.h"
#include "compose/view_accumulator.h"
#include "compose/view_support.h"

namespace rvl::test {
namespace {

using Bgr = std::array<uint8_t, 3>;
using ViewRenderTest = ViewFixture;

TEST_F(ViewRenderTest, OnlyTheBackgroundRendersWhite) {
  RenderResult r = renderChecked(PW, PH, 0, 0, PW, PH);
  EXPECT_EQ(r.writtenPixels, PW * PH);
  for (int y = 0; y < PH; ++y)
    for (int x = 0; x < PW; ++x) ASSERT_EQ(r.bitmap.at(x, y), (Bgr{255, 255, 255}));
}

TEST_F(ViewRenderTest, TransparencyShowsTheCheckerboard) {
  RVL_SetLayerOptions(1, 0, 0, 100, "Normal");
  RenderResult r = renderChecked(PW, PH, 0, 0, PW, PH);
  for (auto [x, y, v] : std::vector<std::array<int, 3>>{
           {0, 0, 255}, {31, 31, 255}, {32, 0, 159}, {63, 31, 159}, {0, 32, 159}, {32, 32, 255}, {64, 47, 159}})
    EXPECT_EQ(r.bitmap.at(x, y), (Bgr{uint8_t(v), uint8_t(v), uint8_t(v)})) << x << "," << y;
  // Half transparent black over the light square: (((A * 0) >> 8) + ((65535 * (65535 - A)) >> 8)) >> 8.
  set(2, 1, 1, {0, 0, 0, 32768});
  r = renderChecked(PW, PH, 0, 0, PW, PH);
  const uint32_t a = 32768;
  const uint8_t want = uint8_t(((65535u * (65535u - a)) >> 8 >> 8) >> 8);
  EXPECT_EQ(r.bitmap.at(1, 1), (Bgr{want, want, want}));
}

TEST_F(ViewRenderTest, OpaqueEightBitColoursShowTheirOwnBytes) {
  for (int v = 0; v < 256; ++v) set(2, v % PW, v / PW, {uint16_t(v * 256), uint16_t(v * 256), uint16_t(v * 256), 65535});
  RenderResult r = renderChecked(PW, PH, 0, 0, PW, PH);
  for (int v = 0; v < 256; ++v) ASSERT_EQ(r.bitmap.at(v % PW, v / PW), (Bgr{uint8_t(v), uint8_t(v), uint8_t(v)}));
  // The float accumulator gives every 16-bit colour and alpha back exactly.
  for (int c = 0; c <= 65280; ++c) ASSERT_EQ(accumulatorColour16(accumulatorFromPixel(c, 0, 0, 0).c[0]), c);
  for (int a = 0; a <= 65535; ++a) ASSERT_EQ(accumulatorAlpha16(accumulatorFromPixel(0, 0, 0, a).a), a);
  EXPECT_EQ(accumulatorColour16(accumulatorFromPixel(65535, 0, 0, 0).c[0]), 65280);
}

TEST_F(ViewRenderTest, TheBackgroundCountsAsOpaque) {
  set(1, 3, 3, {1000, 2000, 3000, 0});
  RenderResult r = renderChecked(PW, PH, 0, 0, PW, PH);
  EXPECT_EQ(r.bitmap.at(3, 3), (Bgr{11, 7, 3}));
  // Not so once it is hidden and another layer comes first.
  RVL_SetLayerOptions(1, 0, 0, 100, "Normal");
  set(2, 3, 3, {1000, 2000, 3000, 0});
  r = renderChecked(PW, PH, 0, 0, PW, PH);
  EXPECT_EQ(r.bitmap.at(3, 3), (Bgr{255, 255, 255}));
}

TEST_F(ViewRenderTest, MagnifyShrinkAndOneToOne) {
  pattern(2, 7);
  RVL_SetScale(1, 1.0f);
  const RenderResult plain = renderChecked(PW, PH, 0, 0, PW, PH);
  // One to one, over the opaque white background: a transparent pixel shows the white, an
  // opaque one (alpha 65280 and up, a Normal copy) the high bytes of its own colour.
  const LayerSlot& layer = page.layerTable[2];
  int transparent = 0, opaque = 0;
  for (int y = 0; y < PH; ++y)
    for (int x = 0; x < PW; ++x) {
      const uint16_t* p = layer.pixels + (size_t(y) * layer.width + x) * 4;
      if (p[3] == 0) {
        ++transparent;
        ASSERT_EQ(plain.bitmap.at(x, y), (Bgr{255, 255, 255})) << x << "," << y;
      } else if (p[3] >= 65280) {
        ++opaque;
        ASSERT_EQ(plain.bitmap.at(x, y), (Bgr{uint8_t(p[2] >> 8), uint8_t(p[1] >> 8), uint8_t(p[0] >> 8)}))
            << x << "," << y;
      }
    }
  EXPECT_GT(transparent, 300);
  EXPECT_GT(opaque, 300);

  RVL_SetScale(4, 1.0f);
  RenderResult big = renderChecked(4 * 20, 4 * 10, 8, 4, 20, 10);
  EXPECT_EQ(big.writtenPixels, 80 * 40);
  for (int j = 0; j < 40; ++j)
    for (int i = 0; i < 80; ++i) ASSERT_EQ(big.bitmap.at(i, j), plain.bitmap.at(8 + i / 4, 4 + j / 4));

  RVL_SetScale(1, 2.0f);
  RenderResult half = renderChecked(PW, PH, 0, 0, PW, PH);
  EXPECT_EQ(half.lastColumn, PW / 2 - 1);
  EXPECT_EQ(half.lastRow, PH / 2 - 1);
  for (int j = 0; j < PH / 2; ++j)
    for (int i = 0; i < PW / 2; ++i) ASSERT_EQ(half.bitmap.at(i, j), plain.bitmap.at(2 * i, 2 * j));

  // Columns: trunc(width / S + x - 1) - x + 1; page positions advance by the whole part of
  // the running sum of steps.
  RVL_SetScale(1, 1.5f);
  RenderResult odd = renderChecked(PW, PH, 3, 2, 30, 21);
  EXPECT_EQ(odd.lastColumn, 19);
  EXPECT_EQ(odd.lastRow, 13);
  const int positions[] = {0, 1, 3, 4, 6, 7, 9};
  for (int j = 0; j < 7; ++j)
    for (int i = 0; i < 7; ++i)
      ASSERT_EQ(odd.bitmap.at(i, j), plain.bitmap.at(3 + positions[i], 2 + positions[j]));

  // A step below 1 repeats page pixels.
  RVL_SetScale(0, 0.5f);
  RenderResult twice = renderChecked(2 * 10, 2 * 6, 5, 5, 10, 6);
  EXPECT_EQ(twice.writtenPixels, 20 * 12);
  for (int j = 0; j < 12; ++j)
    for (int i = 0; i < 20; ++i) ASSERT_EQ(twice.bitmap.at(i, j), plain.bitmap.at(5 + i / 2, 5 + j / 2));
}

TEST_F(ViewRenderTest, TheViewSizeLimitsEveryMapping) {
  pattern(2, 3);
  RVL_SetViewSize(50, 7);
  for (auto [whole, scale] : std::vector<std::pair<int, float>>{{1, 1.0f}, {3, 1.0f}, {1, 1.25f}, {0, 0.25f}}) {
    RVL_SetScale(whole, scale);
    RenderResult r = renderChecked(400, 100, 0, 0, 100, 40);
    EXPECT_EQ(r.lastColumn, 49) << whole << " " << scale;
    EXPECT_EQ(r.lastRow, 6) << whole << " " << scale;
    EXPECT_EQ(r.writtenPixels, 50 * 7);
  }
}

TEST_F(ViewRenderTest, Texturize3LayersAndHiddenCurrentLayers) {
  ASSERT_EQ(RVL_CreateLayer(3, PW, PH), 1);
  fill(3, {65535, 0, 0, 65535});
  RVL_SetLayerOptions(3, 1, 0, 100, "Texturize3");
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(5, 5), (Bgr{255, 255, 255}));

  RVL_CreatePaintLayer(100, "Normal");
  set(brush.paintLayer.slot, 5, 5, {0, 0, 65535, 65535});
  RVL_SetLayerOptions(2, 0, 0, 100, "Normal");
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(5, 5), (Bgr{255, 0, 0}));
  // The paint layer goes right after the current layer, under the layers above it.
  RVL_SetLayerOptions(3, 1, 0, 100, "Normal");
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(5, 5), (Bgr{0, 0, 255}));
  // With the paint layer's own opacity and mode.
  RVL_SetLayerOptions(3, 0, 0, 100, "Normal");
  RVL_CreatePaintLayer(50, "Normal");
  const Bgr half = renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(5, 5);
  EXPECT_NEAR(half[0], 255, 1);
  EXPECT_NEAR(half[1], 128, 2);
}

TEST_F(ViewRenderTest, ALayerMaskScalesTheEntryBelowPastThePaintLayer) {
  ASSERT_EQ(RVL_CreateLayer(3, PW, PH), 1);
  ASSERT_EQ(RVL_CreateLayer(4, PW, PH), 1);
  RVL_SetLayerOptions(1, 0, 0, 100, "Normal");
  fill(3, {0, 0, 0, 65535});
  fill(4, {32768, 32768, 32768, 65535});
  RVL_SetLayerOptions(3, 1, 0, 100, "Normal");
  RVL_SetLayerOptions(4, 1, 0, 100, "Layer Mask");
  RVL_SetLayer(3);
  const RenderResult masked = renderChecked(PW, PH, 0, 0, PW, PH);
  // Black at alpha 32767 over the light square.
  const uint8_t light = uint8_t(((65535u * (65535u - 32767u)) >> 8 >> 8) >> 8);
  EXPECT_EQ(masked.bitmap.at(1, 1), (Bgr{light, light, light}));
  RVL_CreatePaintLayer(100, "Normal");
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.bytes, masked.bitmap.bytes);
}

TEST_F(ViewRenderTest, MaskOverlay) {
  pattern(2, 11);
  const RenderResult plain = renderChecked(PW, PH, 0, 0, PW, PH);
  page.maskDisplayed = 1;
  for (int c = 0; c < 3; ++c) {
    compose.maskOverlayColourA[c] = uint16_t((c == 0 ? 255 : 0) * 256);
    compose.maskOverlayColourB[c] = uint16_t((c == 2 ? 255 : 0) * 256);
  }
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.bytes, plain.bitmap.bytes) << "all selected";

  fill(2, {0, 0, 0, 0});
  std::fill(page.mask.get(), page.mask + PW * PH, uint16_t(0));
  RenderResult half = renderChecked(PW, PH, 0, 0, PW, PH);
  // White under half of colour B (even square): blue near full, red and green near half.
  EXPECT_EQ(half.bitmap.at(0, 0)[0], 254);
  EXPECT_NEAR(half.bitmap.at(0, 0)[1], 127, 1);
  EXPECT_NEAR(half.bitmap.at(0, 0)[2], 127, 1);
  EXPECT_EQ(half.bitmap.at(32, 0)[2], 254) << "colour A on odd squares";
  compose.maskOverlayFull = 1;
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(0, 0), (Bgr{254, 0, 0}));
  page.maskEnabled = 0;
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(0, 0), (Bgr{255, 255, 255}));
}

TEST_F(ViewRenderTest, TracingAveragesWithTheTraceLayer) {
  fill(0, {65535, 0, 0, 65535});
  RVL_SetTracingMode(0x100);  // low byte 0
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(0, 0), (Bgr{255, 255, 255}));
  RVL_SetTracingMode(1);
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(0, 0), (Bgr{127, 127, 255}));
  RVL_DeleteLayer(0);
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.at(0, 0), (Bgr{255, 255, 255}));
}

TEST_F(ViewRenderTest, SettersStoreAndTheGridIsIgnored) {
  pattern(2, 5);
  const RenderResult before = renderChecked(PW, PH, 0, 0, PW, PH);
  RVL_SetGrid(10);
  RVL_SetGridSpacing(7);
  EXPECT_EQ(page.viewScaleWhole, 1);
  EXPECT_EQ(page.viewWidth, 4096);
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.bytes, before.bitmap.bytes);
  RVL_SetOffset(-3, 9);
  EXPECT_EQ(page.viewOffsetX, -3);
  EXPECT_EQ(page.viewOffsetY, 9);
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).bitmap.bytes, before.bitmap.bytes);
  RVL_SetScale(3, 2.5f);
  EXPECT_EQ(page.viewScaleWhole, 3);
  EXPECT_EQ(page.viewScale, 2.5f);
  RVL_SetViewSize(11, 12);
  EXPECT_EQ(page.viewWidth, 11);
  EXPECT_EQ(page.viewHeight, 12);
}

// ---- Bad input ---------------------------------------------------------------------------

TEST_F(ViewRenderTest, UnusableScalesDrawOneToOne) {
  pattern(2, 9);
  const RenderResult plain = renderChecked(PW, PH, 0, 0, PW, PH);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (auto [whole, scale] : std::vector<std::pair<int, float>>{
           {1, nan}, {0, nan}, {4, inf}, {1, -inf}, {0, -1.0f}, {-3, -5.0f}, {-5, -3.0f}, {0, 0.0f}, {-2, -2.0f}}) {
    RVL_SetScale(whole, scale);
    RenderResult r = renderChecked(PW, PH, 0, 0, PW, PH);
    EXPECT_EQ(r.bitmap.bytes, plain.bitmap.bytes) << whole << " " << scale;
  }
}

TEST_F(ViewRenderTest, ExtremeScalesStayInsideTheView) {
  pattern(2, 13);
  const int VW = 37, VH = 23;
  RVL_SetViewSize(VW, VH);
  for (auto [whole, scale] : std::vector<std::pair<int, float>>{
           {INT32_MAX, 1.0f}, {1 << 20, 1.0f}, {1, 1e30f}, {1, 3e38f}, {0, 1e-30f}, {0, 1e-45f}, {-7, 1e-3f},
           {1, 47.0f}, {2, 1e9f}, {1, 1.0000001f}}) {
    RVL_SetScale(whole, scale);
    for (auto [x, y, w, h] : std::vector<std::array<int32_t, 4>>{
             {0, 0, PW, PH}, {PW - 1, PH - 1, 5, 5}, {10, 10, INT32_MAX, INT32_MAX}}) {
      // Exactly VW x VH pixels of room: anything beyond is caught by the sanitizers.
      ViewBitmap out(VW, VH, 0);
      RVL_Render(out.data(), out.pitch, x, y, w, h);
      RenderResult r = renderChecked(VW, VH, x, y, w, h);
      EXPECT_LE(r.writtenPixels, int64_t(VW) * VH) << whole << " " << scale;
      EXPECT_LE(r.lastColumn, VW - 1);
      EXPECT_LE(r.lastRow, VH - 1);
    }
  }
  // A huge magnification shows the rectangle's first page pixel everywhere.
  RVL_SetScale(1 << 20, 1.0f);
  RenderResult r = renderChecked(VW, VH, 4, 5, PW, PH);
  RVL_SetScale(1, 1.0f);
  RenderResult one = renderChecked(VW, VH, 4, 5, PW, PH);
  for (int j = 0; j < VH; ++j)
    for (int i = 0; i < VW; ++i) ASSERT_EQ(r.bitmap.at(i, j), one.bitmap.at(0, 0));
}

TEST_F(ViewRenderTest, RectanglesAndViewSizesThatDrawNothing) {
  for (auto [x, y, w, h] : std::vector<std::array<int32_t, 4>>{
           {0, 0, 0, 10}, {0, 0, 10, -1}, {PW, 0, 5, 5}, {0, PH, 5, 5}, {INT32_MAX, 0, 5, 5},
           {0, INT32_MAX, INT32_MAX, 5}, {-10, 0, -5, 5}, {0, 0, INT32_MIN, INT32_MIN}})
    EXPECT_EQ(renderChecked(16, 16, x, y, w, h).writtenPixels, 0) << x << "," << y << " " << w << "x" << h;
  // Negative corners become 0 (the size is kept, then clipped to the page).
  RenderResult r = renderChecked(PW, PH, -5, -6, 10, 10);
  EXPECT_EQ(r.lastColumn, 9);
  EXPECT_EQ(r.lastRow, 9);
  r = renderChecked(PW, PH, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
  EXPECT_EQ(r.writtenPixels, PW * PH);
  for (auto [vw, vh] : std::vector<std::pair<int, int>>{{0, 10}, {10, 0}, {-1, 10}, {INT32_MIN, INT32_MIN}}) {
    RVL_SetViewSize(vw, vh);
    EXPECT_EQ(renderChecked(16, 16, 0, 0, 16, 16).writtenPixels, 0);
  }
  RVL_SetViewSize(INT32_MAX, INT32_MAX);
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).writtenPixels, PW * PH);
  RVL_Render(nullptr, 0, 0, 0, PW, PH);
}

TEST_F(ViewRenderTest, NothingIsDrawnWithoutACurrentLayer) {
  RVL_DeleteLayer(2);
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).writtenPixels, 0);
  RVL_DeleteImage();
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).writtenPixels, 0);
  rvl::resetEngine();
  EXPECT_EQ(renderChecked(PW, PH, 0, 0, PW, PH).writtenPixels, 0);
}

TEST_F(ViewRenderTest, LayersSmallerOrLargerThanThePage) {
  pattern(2, 17);
  RVL_SetTracingMode(1);
  page.maskDisplayed = 1;
  RVL_NewSize(nullptr, PW + 20, PH + 10, 8, 0);  // the layers keep their size
  RVL_CreatePaintLayer(100, "Normal");
  set(brush.paintLayer.slot, PW + 19, PH + 9, {0, 65535, 0, 65535});
  ASSERT_EQ(RVL_CreateLayer(3, PW + 40, 5), 1);
  RVL_SetLayerOptions(3, 1, 0, 100, "Normal");
  ASSERT_EQ(RVL_CreateLayer(4, 3, PH + 40), 1);
  RVL_SetLayerOptions(4, 1, 0, 100, "Layer Mask");
  RVL_SetViewSize(4096, 4096);
  for (auto [whole, scale] : std::vector<std::pair<int, float>>{{1, 1.0f}, {3, 1.0f}, {1, 1.7f}}) {
    RVL_SetScale(whole, scale);
    RenderResult r = renderChecked(3 * (PW + 20), 3 * (PH + 10), 0, 0, PW + 20, PH + 10);
    EXPECT_GT(r.writtenPixels, 0);
  }
  RVL_SetScale(1, 1.0f);
  RenderResult r = renderChecked(PW + 20, PH + 10, 0, 0, PW + 20, PH + 10);
  EXPECT_EQ(r.writtenPixels, (PW + 20) * (PH + 10));
  EXPECT_EQ(r.bitmap.at(PW + 5, PH + 5), (Bgr{159, 159, 159})) << "no layer here: checkerboard";
  EXPECT_EQ(r.bitmap.at(PW + 19, PH + 9), (Bgr{0, 255, 0}));
}

}  // namespace
}  // namespace rvl::test
