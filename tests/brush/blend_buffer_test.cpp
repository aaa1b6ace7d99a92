#include <vector>

#include "brush/brush.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

class BlendTest : public LayerFixture {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, W, H, 16, 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
    RVL_SetLayer(2);
    RVL_SetSize(5);
    RVL_SetBlendStrength(128);
    RVL_SetColor(0, 0, 255);
  }
  static Pixel64 blend(int row, int col) {
    const uint16_t* p = page.blendBuffer + (size_t(row) * 16 + col) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  static void fillLayer(int index, Pixel64 v) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) set(index, x, y, v);
  }
};

TEST_F(BlendTest, CopyWeighsCanvasAgainstBrush) {
  fillLayer(2, {65280, 0, 0, 65535});
  RVL_CopyBlendBufferSurface(8, 6, 0, 0);
  EXPECT_EQ(blend(0, 0), (Pixel64{65280, 1, 1, 65535}));
  RVL_CopyBlendBufferSurface(8, 6, 256, 0);
  EXPECT_EQ(blend(2, 2), (Pixel64{1, 1, 65280, 65535})) << "brush colour plus one";
  // Near the left edge the columns outside the page get the brush colour.
  RVL_CopyBlendBufferSurface(0, 6, 256, 0);
  EXPECT_EQ(blend(0, 0), (Pixel64{0, 0, 65280, 0}));
  RVL_CopyBlendBufferSurface(0, 6, 64, 0);
  EXPECT_EQ(blend(0, 1)[3], 64 * 256);
  // A transparent canvas pixel gives the brush colour with alpha (k & 255) * 256.
  RVL_CopyBlendBufferLayer(0, 8, 6, 32);
  EXPECT_EQ(blend(1, 1), (Pixel64{0, 0, 65280, 32 * 256}));
}

TEST_F(BlendTest, CopyThroughAMaskThatSelectsNothing) {
  fillLayer(2, {65280, 0, 0, 65535});
  for (size_t i = 0; i < size_t(W) * H; ++i) page.mask[i] = 0;
  RVL_CopyBlendBufferSurface(8, 6, 10, 0);
  EXPECT_EQ(blend(2, 2), (Pixel64{0, 0, 65280, 10 * 256}));
}

TEST_F(BlendTest, MixFadesOverTransparentCanvasAndFollowsStrongCanvas) {
  RVL_FillBlendBuffer(0, 0, 0, 255);  // the first quarter of the load becomes 65535
  EXPECT_EQ(blend(0, 0), (Pixel64{65535, 65535, 65535, 65535}));
  RVL_MixBlendBufferLayer(0, 8, 6, 64);  // N = 16384
  EXPECT_EQ(blend(0, 0)[3], (49152u * 65535u) >> 16);
  fillLayer(1, {1000, 2000, 3000, 65535});
  RVL_MixBlendBufferLayer(1, 8, 6, 256);
  EXPECT_EQ(blend(0, 0)[0], ((((65535u * 1) >> 8) + ((1000u * 65535u) >> 8)) >> 8) + 1);
  EXPECT_EQ(blend(0, 0)[3], 65535 - 1);
}

TEST_F(BlendTest, TintClearAndFilters) {
  fillLayer(2, {40000, 20000, 10000, 65535});
  RVL_CopyBlendBufferSurface(8, 6, 0, 0);
  RVL_FilterBlendBuffer(291, 50);
  EXPECT_EQ(blend(0, 0)[1], 0);
  EXPECT_EQ(blend(0, 0)[0], 40001);
  RVL_FilterBlendBuffer(292, 50);
  EXPECT_EQ(blend(0, 0)[0], 65280);
  RVL_FilterBlendBuffer(290, 0);
  EXPECT_EQ(blend(0, 0)[0], 255);
  RVL_FilterBlendBuffer(289, 0);
  EXPECT_EQ(blend(0, 0)[0], blend(0, 0)[1]);
  RVL_DoColorBlendBuffer(8, 6, 255, 0, 0, 0, 256);
  EXPECT_EQ(blend(0, 0)[0], 65280);
  RVL_ClearBlendBuffer();
  EXPECT_EQ(blend(0, 0), (Pixel64{0, 0, 0, 0}));
  RVL_DoColorBlendBuffer(8, 6, 1, 2, 3, 0, 10);
  EXPECT_EQ(blend(0, 0), (Pixel64{256, 512, 768, 0})) << "transparent load takes the tint whole";
}

TEST_F(BlendTest, NothingWhileTheStrengthIsZero) {
  RVL_SetBlendStrength(0);
  fillLayer(2, {65280, 0, 0, 65535});
  RVL_CopyBlendBufferSurface(8, 6, 0, 0);
  RVL_MixBlendBufferSurface(8, 6, 0);
  EXPECT_EQ(blend(0, 0), (Pixel64{0, 0, 0, 0}));
}

TEST_F(BlendTest, MaskCopyAndOddSources) {
  page.mask[6 * W + 8] = 1000;
  RVL_SetColor(0, 0, 0);  // black: o = 65535
  RVL_DoCopyBlendBufferMask(8, 6, 0);
  EXPECT_EQ(page.blendBuffer[2 * 16 * 4 + 2], 1000 + 1);
  RVL_DoCopyBlendBufferMask(8, 6, 256);
  EXPECT_EQ(page.blendBuffer[2 * 16 * 4 + 2], 65280);
  // Brushes far outside, a deleted trace layer, a smaller layer: nothing leaves a buffer.
  RVL_DeleteLayer(0);
  RVL_CopyBlendBufferTrace(8, 6, 10);
  RVL_MixBlendBufferTrace(8, 6, 10);
  ASSERT_EQ(RVL_CreateLayer(5, 3, 3), 1);
  RVL_CopyBlendBufferLayer(5, 2, 2, 10);
  RVL_MixBlendBufferLayer(5, 2, 2, 10);
  for (int32_t p : {INT32_MIN, -100, 1000, INT32_MAX}) {
    RVL_CopyBlendBufferSurface(p, p, 10, 1);
    RVL_MixBlendBufferHistory(p, 3, 10);
    RVL_CopyBlendBufferHistory(3, p, 10);
    RVL_DoCopyBlendBufferMask(p, p, 10);
    RVL_DoColorBlendBuffer(p, p, 1, 2, 3, 0, 10);
  }
  RVL_SetSize(1000);  // larger than the 16-pixel buffers
  RVL_CopyBlendBufferSurface(8, 6, 10, 0);
  RVL_FilterBlendBuffer(290, 0);
}

}  // namespace
}  // namespace rvl::test
