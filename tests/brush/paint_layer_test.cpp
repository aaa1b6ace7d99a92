#include <climits>
#include <vector>

#include "brush/brush.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

class PaintLayerTest : public LayerFixture {
 protected:
  static Pixel64 paintAt(int x, int y) {
    const uint16_t* p = brush.paintLayer.slot.pixels + (size_t(y) * W + x) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  static void fillPaint(Pixel64 v) {
    uint16_t* p = brush.paintLayer.slot.pixels;
    for (size_t i = 0; i < size_t(W) * H * 4; ++i) p[i] = v[i % 4];
  }
  static void setRect(int minX, int minY, int maxX, int maxY) {
    brush.paintLayer.minX = minX, brush.paintLayer.minY = minY;
    brush.paintLayer.maxX = maxX, brush.paintLayer.maxY = maxY;
  }
  static std::vector<uint16_t> pixelsOf(int index) {
    const LayerSlot& s = page.layerTable[index];
    const uint16_t* p = s.pixels;
    return std::vector<uint16_t>(p, p + size_t(s.width) * s.height * 4);
  }
  static std::vector<uint16_t> repeated(Pixel64 v, size_t pixels) {
    std::vector<uint16_t> out;
    for (size_t i = 0; i < pixels; ++i) out.insert(out.end(), v.begin(), v.end());
    return out;
  }
};

TEST_F(PaintLayerTest, CreationKeepsPixelsAndSetsOptions) {
  RVL_CreatePaintLayer(100, "Multiply");
  const LayerSlot& s = brush.paintLayer.slot;
  ASSERT_NE(s.pixels, nullptr);
  EXPECT_EQ(s.opacity, 256);
  EXPECT_EQ(s.mergeMode, 1);
  EXPECT_EQ(s.visible, 1);
  EXPECT_EQ(brush.paintLayer.minX, W);
  EXPECT_EQ(brush.paintLayer.maxX, 0);
  uint16_t* kept = s.pixels;
  kept[0] = 9;
  RVL_CreatePaintLayer(50, "Screen");
  EXPECT_EQ(s.pixels, kept);
  EXPECT_EQ(kept[0], 9);
  EXPECT_EQ(s.opacity, 128);
  EXPECT_STREQ(s.modeName, "Screen");
  RVL_DeletePaintLayer();
  EXPECT_EQ(s.pixels, nullptr);

  rvl::testing::failNextAllocations(1);
  RVL_CreatePaintLayer(100, "Normal");
  EXPECT_EQ(s.pixels, nullptr);
}

TEST_F(PaintLayerTest, ClearsAndTheOldClear) {
  RVL_CreatePaintLayer(100, "Normal");
  brush.paintLayer.minX = 10 % W;
  brush.paintLayer.minY = 2;
  brush.paintLayer.maxX = 12;
  brush.paintLayer.maxY = 5;
  RVL_ClearPaintLayer_old();
  EXPECT_EQ(paintAt(0, 0), (Pixel64{65535, 65535, 65535, 65535}));
  EXPECT_EQ(paintAt(11, 4), (Pixel64{0, 0, 0, 0}));
  EXPECT_EQ(paintAt(12, 4)[3], 65535);
  EXPECT_EQ(brush.paintLayer.minX, W);
  // A rectangle reaching outside the layer clears only inside it.
  brush.paintLayer.minX = brush.paintLayer.minY = -5;
  brush.paintLayer.maxX = W + 50;
  brush.paintLayer.maxY = H + 50;
  RVL_ClearPaintLayer_old();
  EXPECT_EQ(paintAt(W - 1, H - 1)[3], 0);
  RVL_ClearPaintLayer();
  EXPECT_EQ(paintAt(0, 0), (Pixel64{0, 0, 0, 0}));
}

TEST_F(PaintLayerTest, BlurSoftensAlphaButKeepsNearlyOpaquePixels) {
  RVL_CreatePaintLayer(100, "Normal");
  for (int y = 4; y < 8; ++y)
    for (int x = 4; x < 8; ++x) brush.paintLayer.slot.pixels[(y * W + x) * 4 + 3] = 65535;
  brush.paintLayer.slot.pixels[(0 * W + 15) * 4 + 3] = 239 << 8;
  RVL_BlurPaintLayerAlpha();
  EXPECT_EQ(paintAt(5, 5)[3], 65535);
  EXPECT_GT(paintAt(3, 5)[3], 0) << "the edge spreads";
  EXPECT_LT(paintAt(15, 0)[3], 239 << 8) << "below 240 the blurred value is taken";
  RVL_SetLastError("");
  rvl::testing::failNextAllocations(1);
  RVL_BlurPaintLayerAlpha();
  EXPECT_STREQ(RVL_GetLastError(), "BlurPaintLayerAlpha Excpt");
  RVL_DeletePaintLayer();
  RVL_BlurPaintLayerAlpha();
}

TEST_F(PaintLayerTest, LayerAlphaOperations) {
  set(2, 0, 0, {1, 2, 3, 100});
  RVL_InvertAlpha(2);
  EXPECT_EQ(at(2, 0, 0)[3], 65435);
  RVL_SetLayerAlpha(2, 65535);
  EXPECT_EQ(at(2, 5, 5)[3], 65535);
  RVL_SetLayerOptions(2, 1, 0, 50, "Normal");
  RVL_NormalizeLayerAlpha(2);
  EXPECT_EQ(at(2, 5, 5)[3], 32767);
  EXPECT_EQ(page.layerTable[2].opacity, 256);

  set(2, 0, 0, {1, 2, 3, 256});
  set(2, 1, 0, {1, 2, 3, 255});
  RVL_SetColorAlpha(10, 20, 30);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{1, 2, 3, 256}));
  EXPECT_EQ(at(2, 1, 0), (Pixel64{2570, 5140, 7710, 0}));

  // Indexes outside the table and an empty slot: no layer changes, no slot fills.
  const std::vector<std::vector<uint16_t>> before = {pixelsOf(0), pixelsOf(1), pixelsOf(2)};
  for (int32_t bad : {-1, 64, 9, INT32_MIN}) {
    RVL_InvertAlpha(bad);
    RVL_SetLayerAlpha(bad, 1);
    RVL_NormalizeLayerAlpha(bad);
    RVL_CreateBlobFromImage(bad, 0);
  }
  EXPECT_EQ((std::vector<std::vector<uint16_t>>{pixelsOf(0), pixelsOf(1), pixelsOf(2)}), before);
  EXPECT_EQ(page.layerTable[9].pixels, nullptr);
  EXPECT_EQ(page.layerTable[2].opacity, 256);
}

TEST_F(PaintLayerTest, BlobsFromLuminance) {
  set(2, 0, 0, {65535, 65535, 65535, 65535});
  set(2, 1, 0, {65535, 65535, 65535, 8000});
  set(2, 2, 0, {0, 0, 0, 65535});
  set(2, 3, 0, {60000, 60000, 60000, 65535});
  RVL_CreateBlobFromImage(2, 0);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{32767, 32767, 32767, 65485}));
  EXPECT_EQ(at(2, 1, 0)[3], 8000);
  EXPECT_EQ(at(2, 2, 0)[3], 10239);
  set(2, 3, 0, {60000, 60000, 60000, 65535});
  set(2, 2, 0, {0, 0, 0, 65535});
  RVL_CreateBlobFromImage(2, 1);
  EXPECT_EQ(at(2, 3, 0)[0], uint16_t(60000 - 60000 * ((60000.0 - 32767) / 65534)));
  EXPECT_EQ(at(2, 2, 0)[0], uint16_t(65535 * (32767.0 / 65534)));
}

TEST_F(PaintLayerTest, BufferColourOperations) {
  std::vector<uint8_t> rgba(size_t(W) * H * 4, 0);
  rgba[3] = 200;
  rgba[4 + 0] = 9, rgba[4 + 1] = 8, rgba[4 + 2] = 7;
  RVL_InvertAlpha_RGBA32(rgba.data());
  EXPECT_EQ(rgba[3], 55);
  EXPECT_EQ(rgba[7], 255);
  RVL_SetAlphaFromRGBAImageColor(rgba.data(), 9, 8, 7);
  EXPECT_EQ(rgba[7], 0);
  EXPECT_EQ(rgba[11], 255);
  RVL_SetColorRGBABuf(rgba.data(), 2, 1, 1, 2, 3);
  EXPECT_EQ(rgba[4], 1);
  EXPECT_EQ(rgba[3], 55);
  EXPECT_EQ(rgba[8], 0) << "only width * height pixels";
  RVL_InvertAlpha_RGBA32(nullptr);
  RVL_SetColorRGBABuf(nullptr, 2, 2, 0, 0, 0);
}

}  // namespace
}  // namespace rvl::test

namespace rvl::test {
namespace {

TEST_F(PaintLayerTest, MergeTakesOnlyTheChangedRectangle) {
  RVL_CreatePaintLayer(100, "Normal");
  RVL_MergePaintLayer(2);  // empty rectangle: nothing changes
  EXPECT_EQ(at(2, 0, 0), (Pixel64{0, 0, 0, 0}));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint16_t* p = brush.paintLayer.slot.pixels + (size_t(y) * W + x) * 4;
      p[0] = 1000, p[1] = 2000, p[2] = 3000, p[3] = 65535;
    }
  brush.paintLayer.minX = 2, brush.paintLayer.minY = 3, brush.paintLayer.maxX = 5, brush.paintLayer.maxY = 6;
  RVL_MergePaintLayer(2);
  EXPECT_EQ(at(2, 2, 3), (Pixel64{1000, 2000, 3000, 65535}));
  EXPECT_EQ(at(2, 4, 5), (Pixel64{1000, 2000, 3000, 65535}));
  EXPECT_EQ(at(2, 5, 5)[3], 0) << "max is exclusive";
  EXPECT_EQ(paintAt(3, 4), (Pixel64{0, 0, 0, 0})) << "cleared after the merge";
  // Half opacity, a rectangle past the layer, a smaller target: only the 3 x 3 target is
  // walked, and over its transparent pixels the result is the paint with alpha
  // (129 * 65535) >> 8 = 33023.
  RVL_CreatePaintLayer(50, "Normal");
  fillPaint({1000, 2000, 3000, 65535});
  setRect(-10, -10, W + 10, H + 10);
  ASSERT_EQ(RVL_CreateLayer(4, 3, 3), 1);
  const std::vector<uint16_t> layer2 = pixelsOf(2);
  RVL_MergePaintLayer(4);
  EXPECT_EQ(pixelsOf(4), repeated({1000, 2000, 3000, 33023}, 9));
  EXPECT_EQ(pixelsOf(2), layer2);
  EXPECT_EQ(paintAt(W - 1, H - 1), (Pixel64{0, 0, 0, 0})) << "cleared after the merge";
  // A bad index merges nothing anywhere.
  fillPaint({1000, 2000, 3000, 65535});
  setRect(0, 0, W, H);
  const std::vector<uint16_t> layer4 = pixelsOf(4);
  for (int32_t bad : {-1, 9, 64, INT32_MAX}) RVL_MergePaintLayer(bad);
  EXPECT_EQ(pixelsOf(2), layer2);
  EXPECT_EQ(pixelsOf(4), layer4);
  EXPECT_EQ(page.layerTable[9].pixels, nullptr);
}

// The merge takes the paint layer's own mode and opacity, and never the same-mode
// replacement that two layers of one alpha mode get.
TEST_F(PaintLayerTest, MergeUsesThePaintLayersModeAndOpacity) {
  struct Case {
    const char* mode;
    int percent;
    Pixel64 paint, target, want;
  };
  const Case cases[] = {
      // Multiply at 60 %: A = (154 * 30000) >> 8 = 18046, then the floating-point path.
      {"Multiply", 60, {60000, 10000, 5000, 30000}, {20000, 30000, 40000, 50000}, {22742, 21979, 27872, 54277}},
      {"Screen", 60, {60000, 10000, 5000, 30000}, {20000, 30000, 40000, 50000}, {33709, 29794, 37732, 54277}},
      // Normal at 50 % over opaque: A = 33023, colour Sc + Dc * ias, alpha stays 65535.
      {"Normal", 50, {1000, 2000, 3000, 65535}, {20000, 30000, 40000, 65535}, {10425, 15890, 21355, 65535}},
      // Alpha Normal over an Alpha Normal layer: flag 0, so the pixel gets alpha K = 65535
      // (then composited like Normal: as = 1, ar = 1), not the replacement that keeps its
      // own alpha 30000.
      {"Alpha Normal", 100, {40000, 10000, 5000, 30000}, {20000, 30000, 40000, 50000}, {40000, 10000, 5000, 65535}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    RVL_SetLayerOptions(2, 1, 0, 100, c.mode);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) set(2, x, y, c.target);
    RVL_CreatePaintLayer(c.percent, c.mode);
    fillPaint(c.paint);
    setRect(1, 1, 4, 3);
    RVL_MergePaintLayer(2);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
        ASSERT_EQ(at(2, x, y), inside ? c.want : c.target) << x << "," << y;
      }
  }
}

}  // namespace
}  // namespace rvl::test
