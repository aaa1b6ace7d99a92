#include <cstdio>
#include <vector>

#include "brush/brush.h"
#include "support/data_path.h"
#include "support/file_scratch.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

class ShapeTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, 64, 64, 64, 0);
    brush.tipOpacity = 1.0f;
  }
  static uint16_t tip(int x, int y) { return page.shapeBuffer[y * 64 + x]; }
  static void round(int size, int softness, bool invert = false, float opacity = 1.0f) {
    RVL_SetSize(size);
    brush.shapeSoftness = uint8_t(softness);
    brush.shapeInvert = invert;
    brush.tipOpacity = opacity;
    RVL_SetBrushShape("", 0);
  }
};

TEST_F(ShapeTest, RoundTips) {
  round(1, 0, false, 0.5f);
  EXPECT_EQ(tip(0, 0), 32767);
  round(10, 0);
  EXPECT_EQ(tip(0, 5), 65535);
  EXPECT_EQ(tip(0, 0), 0);
  round(20, 255);
  EXPECT_EQ(tip(10, 10), 65535);
  EXPECT_EQ(tip(15, 10), 32767);
  EXPECT_EQ(tip(0, 10), 0);
  round(10, 0, true);
  EXPECT_EQ(tip(5, 5), 0);
  EXPECT_EQ(tip(0, 0), 0);
  // A smaller tip clears what a larger one left.
  round(4, 0);
  EXPECT_EQ(tip(15, 10), 0);
}

TEST_F(ShapeTest, ImageTipFromAScriptIsCachedByNameAndAngle) {
  const std::string name = dataPath("fxscripts/tip_soft.fxs");
  RVL_SetSize(32);
  brush.drawingLength = 9;
  RVL_SetBrushShape(name.c_str(), 0);
  ASSERT_NE(brush.shapeSourceImage, nullptr);
  EXPECT_EQ(brush.shapeSourceWidth, 128);
  EXPECT_EQ(brush.drawingLengthLeft, 9);
  EXPECT_GT(tip(16, 16), 60000) << "white in the middle";
  EXPECT_LT(tip(0, 0), 2000) << "black in the corner";
  const uint8_t* cached = brush.shapeSourceImage;

  RVL_SetSize(48);
  RVL_SetBrushShape(name.c_str(), 0);
  EXPECT_EQ(brush.shapeSourceImage, cached) << "rescaled from the cache";
  EXPECT_GT(tip(24, 24), 60000);

  RVL_SetBrushShape(name.c_str(), 45);
  EXPECT_EQ(brush.shapeSourceAngle, 45);
  RVL_SetBrushShape("", 0);
  EXPECT_NE(brush.shapeSourceImage, nullptr) << "a round tip leaves the cache";
}

TEST_F(ShapeTest, NonSquarePicturesAreStretchedAndCachedWithoutRereading) {
  // A 100 x 50 picture: white on the left half, black on the right.
  std::vector<uint8_t> rgba(100 * 50 * 4);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) {
      uint8_t* p = &rgba[(size_t(y) * 100 + x) * 4];
      p[0] = p[1] = p[2] = x < 50 ? 255 : 0;
      p[3] = 255;
    }
  Scratch scratch;
  const std::string path = scratch.path("tip_100x50.png");
  ASSERT_EQ(RVL_WriteToFileRGBA32(rgba.data(), 100, 50, path.c_str(), ".png", 96), 1);
  RVL_SetSize(64);
  RVL_SetBrushShape(path.c_str(), 0);
  // 64 < 100: shrunk, and the height stretched from 50 to 64, so the bottom-left corner
  // (outside any round tip) is white.
  EXPECT_GT(tip(5, 63), 60000);
  EXPECT_LT(tip(60, 0), 1000);
  std::remove(path.c_str());
  RVL_SetSize(32);
  RVL_SetBrushShape(path.c_str(), 0);  // the file is gone: only the cache can answer
  EXPECT_GT(tip(2, 31), 60000);
  EXPECT_EQ(brush.shapeSourceWidth, 100);
  EXPECT_EQ(brush.shapeSourceHeight, 50);
}

TEST_F(ShapeTest, UnreadableSourcesGiveTheRoundTip) {
  RVL_SetLastError("");
  RVL_SetSize(10);
  RVL_SetBrushShape("/no/such/tip.png", 0);
  EXPECT_EQ(tip(0, 5), 65535);
  EXPECT_EQ(tip(0, 0), 0);
  RVL_SetBrushShape_ORIGINAL(dataPath("fxscripts/tip_soft.fxs").c_str(), 0);
  EXPECT_EQ(tip(0, 0), 0) << "the original form reads no scripts";
  EXPECT_EQ(brush.shapeSourceImage, nullptr);
  RVL_SetBrushShape(nullptr, 0);
  EXPECT_STREQ(RVL_GetLastError(), "");
}

TEST_F(ShapeTest, TipsLargerThanTheBuffersAreCut) {
  RVL_SetSize(1000);
  RVL_SetBrushShape("", 0);
  EXPECT_EQ(tip(63, 32), 65535);
  // The image tip is cut to the 64-pixel buffers too: the whole soft tip scaled to 64, so
  // its middle is white and the place where the round tip reached the edge is black.
  RVL_SetBrushShape(dataPath("fxscripts/tip_soft.fxs").c_str(), 0);
  EXPECT_GT(tip(32, 32), 60000);
  EXPECT_LT(tip(63, 32), 2000);
  EXPECT_LT(tip(0, 0), 2000);
  RVL_DeleteImage();
  ASSERT_EQ(page.shapeBuffer, nullptr);
  RVL_SetLastError("");
  RVL_SetBrushShape("", 0);  // no page: nothing to build
  RVL_SetBrushShape(dataPath("fxscripts/tip_soft.fxs").c_str(), 0);
  EXPECT_EQ(page.shapeBuffer, nullptr);
  EXPECT_STREQ(RVL_GetLastError(), "");
}

}  // namespace
}  // namespace rvl::test
