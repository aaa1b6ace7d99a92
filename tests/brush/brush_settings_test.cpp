#include <vector>

#include "brush/brush.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using SettingsTest = LayerFixture;

TEST_F(SettingsTest, ColoursUseTheLowByte) {
  RVL_SetColor(255, 128, 0);
  EXPECT_EQ((std::vector<uint16_t>(brush.brushColour, brush.brushColour + 4)),
            (std::vector<uint16_t>{65280, 32768, 0, 65535}));
  RVL_SetColor(511, 0, 0);
  EXPECT_EQ(brush.brushColour[0], 65280);
  RVL_SetColor16(1, 2, 70000);
  EXPECT_EQ(brush.brushColour[2], uint16_t(70000));
  EXPECT_EQ(brush.brushColour[3], 65535);
  RVL_SetColorBanks(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x1FF);
  EXPECT_EQ(brush.colourBanks[0], 256);
  EXPECT_EQ(brush.colourBanks[1], 4 << 8);
  EXPECT_EQ(brush.colourBanks[4], 2 << 8);
  EXPECT_EQ(brush.colourBanks[11], 0xFF00);
  EXPECT_EQ(brush.colourBanks[15], 65535);
}

TEST_F(SettingsTest, DerivedValues) {
  RVL_SetAlpha(50);
  EXPECT_EQ(brush.alphaScale, 64);
  RVL_SetAlpha(100);
  EXPECT_EQ(brush.alphaScale, 128);

  const std::pair<int32_t, int32_t> shifts[] = {{127, 0}, {200, 9}, {254, 15}, {255, 16}, {256, 16}, {0, -15}, {100, -3}};
  for (auto [amount, shift] : shifts) {
    RVL_SetMixMode(40, amount);
    EXPECT_EQ(brush.mixShift, shift) << amount;
    EXPECT_EQ(brush.mixAmountInverse, 256 - amount);
  }

  RVL_SetBlendStrength(100);
  RVL_SetBlendStrength(0);
  EXPECT_EQ(brush.blendStrengthInverse, 156) << "kept when the strength is 0";
  RVL_SetBlendPrimaryColorStrength(-4);
  EXPECT_EQ(brush.primaryColourStrengthInverse, 0);

  RVL_SetDensity(256);
  EXPECT_EQ(brush.densityThreshold, 255);
  RVL_SetRotateBrushMode(1, 90);
  EXPECT_NEAR(brush.rotateSin, 1.0f, 1e-6);
  EXPECT_NEAR(brush.rotateCos, 0.0f, 1e-5);
  RVL_DisplayMask(0x101);
  EXPECT_EQ(page.maskDisplayed, 1);
  RVL_EnableMask(0x100);
  EXPECT_EQ(page.maskEnabled, 0);
}

TEST_F(SettingsTest, SizeAndSampleTable) {
  RVL_SetSize(40);
  EXPECT_EQ(brush.sampleCount, 40);
  EXPECT_EQ(brush.sampleTable[39], 39);
  RVL_SetScaleSize(0);
  EXPECT_EQ(brush.sampleCount, 1);
  EXPECT_EQ(brush.sampleTable[0], 20);
  RVL_SetScaleSize(20);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(brush.sampleTable[i], 2 * i + 1) << i;
  RVL_SetScaleSize(500);
  EXPECT_EQ(brush.sampleCount, 40);
  // The table has 1000 entries: larger sizes are held there.
  RVL_SetSize(5000);
  EXPECT_EQ(brush.brushSize, 1000);
  EXPECT_EQ(tipSize(), 8) << "the page's brush buffers are 8 wide";
  RVL_SetSize(-3);
  EXPECT_EQ(brush.sampleCount, 0);
}

TEST_F(SettingsTest, PixelVariationArraysAreReusedAndRebuilt) {
  RVL_SetRandomSeed(3);
  RVL_SetPixColorVary(5);
  RVL_SetPixLumVary(7);
  ASSERT_NE(brush.pixColourRandom.data, nullptr);
  EXPECT_EQ(brush.pixColourRandom.length, 3 * 8);
  EXPECT_EQ(brush.pixColourRandom.modulus, 1000);
  EXPECT_EQ(brush.pixLumRandom.modulus, 256);
  const uint8_t* kept = brush.pixColourRandom.data;
  const auto allocations = rvl::testing::allocationCount();
  RVL_SetPixColorVary(9);
  EXPECT_EQ(brush.pixColourRandom.data, kept);
  EXPECT_EQ(rvl::testing::allocationCount(), allocations);
  RVL_SetPixColorVary(0);
  EXPECT_EQ(brush.pixColourVary, 0);
}

TEST_F(SettingsTest, OneShotFlagsAndSmallExports) {
  RVL_TempDisableBlend();
  RVL_SetMaskMakerOn();
  RVL_SetEraseModeOn();
  EXPECT_EQ(brush.blendOffOnce + brush.maskMakerOn + brush.eraseModeOn, 3);
  brush.drawingLengthLeft = 3;
  RVL_DecDrawingLength();
  EXPECT_EQ(brush.drawingLengthLeft, 2);

  page.textureBuffer = allocArray<uint8_t>(size_t(W) * H);
  RVL_DeleteTexture();
  EXPECT_EQ(page.textureBuffer, nullptr);
  RVL_DeleteTexture();

  std::vector<uint8_t> rgb(size_t(W) * H * 3, 0);
  RVL_SetPixelRGB24(rgb.data(), W * 3, 1, 2, 0x1234, 0x5678, 0x9ABC);
  EXPECT_EQ(rgb[(2 * W + 1) * 3 + 0], 0x12);
  EXPECT_EQ(rgb[(2 * W + 1) * 3 + 2], 0x9A);
  RVL_SetPixelRGB24(rgb.data(), W * 3, W, 0, 0xFFFF, 0xFFFF, 0xFFFF);
  RVL_SetPixelRGB24(rgb.data(), W * 3, 0, -1, 0xFFFF, 0xFFFF, 0xFFFF);
  EXPECT_EQ(rgb[0], 0);
}

}  // namespace
}  // namespace rvl::test
