// The brush switches set one by one, each shown by what it does to a dab (or, for the tip
// blur, by what it stores and leaves alone): alpha lock, alpha level, image brush mode,
// solid brush mode, colour variation and the tip blur.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "brush/brush.h"
#include "support/data_path.h"
#include "support/brush_fixture.h"

namespace rvl::test {
namespace {

class BrushSetters : public BrushFixture {
 protected:
  // The centre pixel of a 9-pixel dab at (20, 20) is tip pixel (4, 4).
  static void setBlendPixel(int row, int col, Pixel64 v) {
    uint16_t* p = page.blendBuffer + (size_t(row) * 64 + col) * 4;
    for (int c = 0; c < 4; ++c) p[c] = v[c];
  }
};

TEST_F(BrushSetters, AlphaLockKeepsTheDestinationAlpha) {
  // Black at full coverage over white with alpha 30000: w = 65535, so the alpha would
  // become 65535; locked it stays, and only the colour is painted.
  for (const int32_t locked : {0, 1}) {
    SCOPED_TRACE(locked);
    RVL_SetAlphaLocked(locked);
    EXPECT_EQ(brush.alphaLocked, locked);
    set(2, 20, 20, {65535, 65535, 65535, 30000});
    RVL_DrawDabGrit(20, 20, 0, 0, 0);
    EXPECT_EQ(at(2, 20, 20), (Pixel64{0, 0, 0, locked ? uint16_t(30000) : uint16_t(65535)}));
  }
  // Any non-zero flag locks.
  RVL_SetAlphaLocked(7);
  set(2, 20, 20, {65535, 65535, 65535, 30000});
  RVL_DrawDabGrit(20, 20, 0, 0, 0);
  EXPECT_EQ(at(2, 20, 20)[3], 30000);
}

TEST_F(BrushSetters, AlphaLevelIsTheAlphaPaintingWrites) {
  // Over a transparent pixel the alpha would be (Y * A) >> 16 = 65534; a level above 0
  // replaces it, 0 or below leaves it. The colour is painted either way.
  struct Case {
    int32_t level;
    uint16_t alpha;
  };
  for (const Case& c : {Case{12345, 12345}, {1, 1}, {0, 65534}, {-5, 65534}}) {
    SCOPED_TRACE(c.level);
    RVL_SetAlphaLevel(c.level);
    if (c.level >= 0) {
      EXPECT_EQ(brush.alphaLevel, c.level);
    }
    set(2, 20, 20, {0, 0, 0, 0});
    RVL_DrawDabGrit(20, 20, 0x1200, 0x3400, 0x5600);
    EXPECT_EQ(at(2, 20, 20), (Pixel64{0x1200, 0x3400, 0x5600, c.alpha}));
  }
  // The level is not written where alpha is not written at all.
  RVL_SetAlphaLevel(12345);
  RVL_SetAlphaLocked(1);
  set(2, 20, 20, {0, 0, 0, 500});
  RVL_DrawDabGrit(20, 20, 0x1200, 0x3400, 0x5600);
  EXPECT_EQ(at(2, 20, 20)[3], 500);
}

TEST_F(BrushSetters, SolidBrushModeGivesFullCoverageWhereTheTipPaints) {
  // At 50 % the centre coverage is (65535 * 64) >> 7 = 32767 and the alpha over a
  // transparent pixel (32767 * 65535) >> 16 = 32766; solid mode makes it 65535 (alpha
  // 65534). A pixel outside the round tip has coverage 0 and is still skipped.
  RVL_SetAlpha(50);
  for (const int32_t solid : {0, 1}) {
    SCOPED_TRACE(solid);
    RVL_SetSolidBrushMode(solid);
    EXPECT_EQ(brush.solidBrushMode, solid);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) set(2, x, y, {0, 0, 0, 0});
    RVL_DrawDabGrit(20, 20, 0, 0, 0);
    EXPECT_EQ(at(2, 20, 20)[3], solid ? 65534 : 32766);
    EXPECT_EQ(at(2, 16, 20)[3], solid ? 65534 : 32766) << "the edge of the disc";
    EXPECT_EQ(at(2, 16, 16)[3], 0) << "the corner is outside the tip";
  }
}

TEST_F(BrushSetters, ImageBrushModeLetsThePickedUpAlphaScaleTheCoverage) {
  // Blend buffer on (strength 128, kind 32), destination opaque white, the load under the
  // centre (1000, 2000, 3000, 32768). Plain: Y = 65535 with A = 32768 gives
  // Z = ((1 * 65535) >> 8 + (65535 * 32768) >> 8) >> 8 = 32768 and the load's colour.
  // Image mode: Y = (65535 * 32768) >> 16 = 32767 and A = 65535, so Z = 65534 and red
  // ((32769 * 65535) >> 8 + (32767 * 1000) >> 8) >> 8 = 33268: half white, half load.
  hardTool(9, 0, 128);
  struct Case {
    int32_t mode;
    Pixel64 want;
  };
  for (const Case& c : {Case{0, {1000, 2000, 3000, 32768}}, {1, {33268, 33768, 34268, 65534}}}) {
    SCOPED_TRACE(c.mode);
    RVL_SetImageBrushMode(c.mode);
    EXPECT_EQ(brush.imageBrushMode, c.mode);
    setBlendPixel(4, 4, {1000, 2000, 3000, 32768});
    set(2, 20, 20, {65535, 65535, 65535, 65535});
    RVL_DrawDabGrit(20, 20, 0, 0, 0);
    EXPECT_EQ(at(2, 20, 20), c.want);
  }
  // An opaque load is not affected by the mode: the load's colour, and alpha
  // (255 + (65535 * 65535) >> 8) >> 8 = 16776958 >> 8 = 65534.
  setBlendPixel(4, 4, {1000, 2000, 3000, 65535});
  set(2, 20, 20, {65535, 65535, 65535, 65535});
  RVL_DrawDabGrit(20, 20, 0, 0, 0);
  EXPECT_EQ(at(2, 20, 20), (Pixel64{1000, 2000, 3000, 65534}));
}

TEST_F(BrushSetters, ColourVaryOffsetsEachDabByOneDraw) {
  // The tool seeded the generator with 7: its outputs are 61, 17422, 15215 ... With v = 100
  // the first dab's offset is (50 - 61 % 100) * 256 = -2816 on every channel, alpha
  // included; the second dab's (50 - 22) * 256 = 7168, alpha held to 65535.
  RVL_SetColorVary(100);
  EXPECT_EQ(brush.colourVary, 100);
  RVL_DrawDabGrit(10, 10, 0x8000, 0x4000, 0x2000);
  EXPECT_EQ(at(2, 10, 10), (Pixel64{29952, 13568, 5376, (65535u * 62719u) >> 16}));
  RVL_DrawDabGrit(30, 20, 0x8000, 0x4000, 0x2000);
  EXPECT_EQ(at(2, 30, 20), (Pixel64{39936, 23552, 15360, 65534}));
  // One draw per dab: every pixel of a dab has the same colour.
  EXPECT_EQ(at(2, 8, 10), at(2, 10, 10));
  EXPECT_EQ(at(2, 32, 21), at(2, 30, 20));
  // 0 turns it off.
  RVL_SetColorVary(0);
  RVL_DrawDabGrit(20, 30, 0x8000, 0x4000, 0x2000);
  EXPECT_EQ(at(2, 20, 30), (Pixel64{0x8000, 0x4000, 0x2000, 65534}));
}

TEST_F(BrushSetters, ShapeBlurIsStoredAndLeavesTheRoundTip) {
  RVL_SetSize(20);
  brush.shapeSoftness = 128;
  RVL_SetBrushShape("", 0);
  const std::vector<uint16_t> plain(page.shapeBuffer.get(), page.shapeBuffer.get() + 64 * 64);
  for (const int32_t blur : {50, 100, 0}) {
    RVL_SetShapeBlur(blur);
    EXPECT_EQ(brush.shapeBlur, blur);
    RVL_SetBrushShape("", 0);
    EXPECT_EQ(std::vector<uint16_t>(page.shapeBuffer.get(), page.shapeBuffer.get() + 64 * 64), plain)
        << "the blur is for image tips only";
  }
}

TEST_F(BrushSetters, ShapeBlurSoftensAnImageTip) {
  GTEST_SKIP() << "image-tip blur not applied: RVL_SetShapeBlur is stored, the \"Value Blur\" filter is not built yet";
  // The soft tip script scaled to 32: with the blur the steepest step of the edge is
  // smaller than without, and the middle stays white.
  const std::string tip = dataPath("fxscripts/tip_soft.fxs");
  RVL_SetSize(32);
  auto steepest = [] {
    int worst = 0;
    for (int x = 1; x < 32; ++x) worst = std::max(worst, std::abs(int(page.shapeBuffer[16 * 64 + x]) - int(page.shapeBuffer[16 * 64 + x - 1])));
    return worst;
  };
  RVL_SetShapeBlur(0);
  RVL_SetBrushShape(tip.c_str(), 0);
  const int sharp = steepest();
  RVL_SetShapeBlur(100);
  RVL_SetBrushShape(tip.c_str(), 0);
  EXPECT_LT(steepest(), sharp);
  EXPECT_EQ(page.shapeBuffer[16 * 64 + 16], 65280);
}

}  // namespace
}  // namespace rvl::test
