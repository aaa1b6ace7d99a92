#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "brush/brush.h"
#include "support/data_path.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

class ToolTest : public LayerFixture {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, 64, 64, 64, 0);
    ASSERT_EQ(RVL_CreateLayer(1, 64, 64), 1);
    RVL_SetLayer(1);
    RVL_SetSize(32);
  }
  static size_t gritBytes() { return size_t(64 + 25) * (64 + 25); }
  static std::vector<std::vector<uint8_t>> grits() {
    std::vector<std::vector<uint8_t>> out;
    for (uint8_t* g : page.gritBuffers) out.emplace_back(g, g + gritBytes());
    return out;
  }
  static void tool(int32_t gritSize, const char* gritSource = "", const char* tip = "", int32_t angle = 0) {
    RVL_SetTool(1.0f, gritSize, 128, 200, 0, 0, 40, 100, 50, 1, 7, 0, 9, gritSource, tip, angle);
  }
};

TEST_F(ToolTest, StoresSettingsAndClearsOneShots) {
  RVL_SetEraseModeOn();
  RVL_SetMixMode(40, 10);
  RVL_SetTool(0.5f, 3, 10, 20, 0x1FF, 6, 70, 64, 32, 0x101, 0, 0x100, 0, "", "", 15);
  EXPECT_EQ(brush.tipOpacity, 0.5f);
  EXPECT_EQ(brush.gritSize, 3);
  EXPECT_EQ(brush.shapeSoftness, 255);
  EXPECT_EQ(brush.blendRemix, 1);
  EXPECT_EQ(brush.shapeInvert, 0);
  EXPECT_EQ(brush.mixKind, 32);
  EXPECT_EQ(brush.blendStrengthInverse, 192);
  EXPECT_EQ(brush.primaryColourStrengthInverse, 224);
  EXPECT_EQ(brush.eraseModeOn, 0);
  EXPECT_EQ(brush.drawingLengthLeft, 70);
}

TEST_F(ToolTest, NoGritLeavesTheBuffersAndLength) {
  for (uint8_t* g : page.gritBuffers) std::memset(g, 7, gritBytes());
  brush.drawingLengthLeft = -3;
  tool(0);
  for (const auto& g : grits()) ASSERT_EQ(g, std::vector<uint8_t>(gritBytes(), 7));
  EXPECT_EQ(brush.drawingLengthLeft, -3);
}

TEST_F(ToolTest, RandomGritIsDecidedByTheSeed) {
  RVL_SetRandomSeed(42);
  tool(4);
  const auto first = grits();
  size_t cells = 0;
  for (uint8_t v : first[0]) cells += v != 255;
  EXPECT_GT(cells, 100u);
  for (uint8_t v : first[0]) ASSERT_TRUE(v == 255 || v < 254);
  tool(4);
  EXPECT_EQ(grits(), first);
  RVL_SetRandomSeed(43);
  tool(4);
  EXPECT_NE(grits(), first);
}

TEST_F(ToolTest, GritStaysInsideItsBuffersWhateverTheSizes) {
  // A brush larger than the buffers: the grit square is the 64-pixel tip + 25 = 89 pixels,
  // row pitch 64, so its last pixel is byte 88 * 64 + 88; every later byte stays background.
  RVL_SetSize(1000);
  constexpr size_t kLastSquareByte = 88 * 64 + 88;
  // Cell size -> the most cells one pattern can hold (89 = one cell covers the square; 2^30
  // is held to the largest cell, still one).
  const std::pair<int32_t, size_t> cases[] = {{1, 89 * 89}, {50, 4}, {89, 1}, {500, 1}, {1 << 30, 1}};
  for (auto [g, maxCells] : cases) {
    tool(g);
    size_t drawn = 0;
    for (const auto& grit : grits()) {
      std::set<uint8_t> values;
      for (size_t i = 0; i < grit.size(); ++i) {
        if (grit[i] == 255) continue;
        ASSERT_LE(i, kLastSquareByte) << "cell size " << g;
        ASSERT_LT(grit[i], 254) << "cell size " << g;
        values.insert(grit[i]);
        ++drawn;
      }
      EXPECT_LE(values.size(), maxCells) << "cell size " << g;
    }
    EXPECT_GT(drawn, 0u) << "cell size " << g;
  }
  // A negative cell size is no grit: the patterns are left alone and dabs do not read them.
  for (uint8_t* g : page.gritBuffers) std::memset(g, 7, gritBytes());
  tool(-2);
  EXPECT_EQ(brush.gritSize, 0);
  for (const auto& g : grits()) ASSERT_EQ(g, std::vector<uint8_t>(gritBytes(), 7));
}

TEST_F(ToolTest, GritFromAnEffectScript) {
  RVL_SetRandomSeed(5);
  brush.drawingLengthLeft = 0;
  tool(0, dataPath("fxscripts/grit_noise.fxs").c_str());
  EXPECT_EQ(brush.drawingLengthLeft, 40);
  const auto first = grits();
  // The square is copied clipped to the 64 x 64 buffer width, the rest stays background.
  EXPECT_EQ(first[0][64 * 64 + 5], 255);
  std::set<uint8_t> levels(first[0].begin(), first[0].begin() + 64 * 64);
  EXPECT_GT(levels.size(), 10u);
  tool(0, dataPath("fxscripts/grit_noise.fxs").c_str());
  EXPECT_EQ(grits(), first);
}

TEST_F(ToolTest, MissingGritSourceIsSilent) {
  // The grit step fails without a word and the rest of the tool is still installed: the
  // patterns and the drawing length are left as they were, the settings and the tip are set.
  for (uint8_t* g : page.gritBuffers) std::memset(g, 7, gritBytes());
  brush.drawingLengthLeft = 5;
  RVL_SetEraseModeOn();
  RVL_SetLastError("");
  tool(0, "/no/such/grain.png");
  EXPECT_STREQ(RVL_GetLastError(), "");
  for (const auto& g : grits()) ASSERT_EQ(g, std::vector<uint8_t>(gritBytes(), 7));
  EXPECT_EQ(brush.drawingLengthLeft, 5);
  EXPECT_EQ(brush.blendStrengthInverse, 256 - 100);
  EXPECT_EQ(brush.primaryColourStrengthInverse, 256 - 50);
  EXPECT_EQ(brush.eraseModeOn, 0);
  // The round 32-pixel tip: full at the centre, empty in the corner.
  EXPECT_EQ(page.shapeBuffer[16 * 64 + 16], 65535);
  EXPECT_EQ(page.shapeBuffer[0], 0);
}

TEST_F(ToolTest, SmallGreyPicturesAreTiled) {
  const uint8_t grey[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
  RVL_SetRandomSeed(1);
  fillGritFromGrey(grey, 3, 2);
  const uint8_t* g = page.gritBuffers[0];
  // Seed 1 draws 41 and 18467: x0 = 41 mod 3 = 2, y0 = 18467 mod 2 = 1.
  EXPECT_EQ(g[0], grey[1 * 3 + 2]);
  EXPECT_EQ(g[1], grey[1 * 3 + 0]);
  EXPECT_EQ(g[64], grey[0 * 3 + 2]);
  // The square is brushSize + 25 = 57 wide; the rest stays background.
  EXPECT_EQ(g[56 * 64 + 56], grey[((1 + 56) % 2) * 3 + (2 + 56) % 3]);
  EXPECT_EQ(g[57], 255);
}

}  // namespace
}  // namespace rvl::test
