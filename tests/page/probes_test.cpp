#include <vector>

#include "support/layer_fixture.h"
#include "undo/undo.h"

namespace rvl::test {
namespace {

using ProbeTest = LayerFixture;

TEST_F(ProbeTest, PackingsAndChannels) {
  set(2, 3, 4, {65535, 32768, 256, 65280});
  EXPECT_EQ(uint32_t(RVL_GetRGBAAtSurface(3, 4)), 0xFF8001FFu);
  EXPECT_EQ(uint32_t(RVL_GetColorAtSurface(3, 4)), 0xFFFF8001u);
  EXPECT_EQ(uint32_t(RVL_GetRGBAAtLayer(3, 4, 2)), 0xFF8001FFu);
  EXPECT_EQ(uint32_t(RVL_GetColorAtLayer(3, 4, 2)), 0xFFFF8001u);
  EXPECT_EQ(uint32_t(RVL_GetRGBAAt(3, 4, page.layerTable[2].pixels)), 0xFF8001FFu);
  EXPECT_EQ(RVL_GetRed64(3, 4), 65535);
  EXPECT_EQ(RVL_GetGreen64(3, 4), 32768);
  EXPECT_EQ(RVL_GetBlue64(3, 4), 256);
  EXPECT_EQ(RVL_GetAlpha64(3, 4), 65280);
  EXPECT_EQ(RVL_GetRed64(W, 0), 0);
  EXPECT_EQ(RVL_GetAlpha64(-1, 0), 0);
  EXPECT_EQ(RVL_GetRGBAAt(0, 0, nullptr), 0);
  EXPECT_EQ(RVL_GetColorAt(0, 0, nullptr), 0);
  EXPECT_EQ(RVL_GetRGBAAtLayer(0, 0, 9), 0);
}

TEST_F(ProbeTest, OutsideThePage) {
  set(2, 0, H - 1, {0x1100, 0x2200, 0x3300, 0x4400});
  EXPECT_EQ(uint32_t(RVL_GetRGBAAtSurface(-5, 1 << 30)), 0x11223344u);
  EXPECT_EQ(RVL_GetColorAtSurface(W, 0), 0xFFFFFF);
  EXPECT_EQ(RVL_GetColorAtLayer(0, -1, 1), 0xFFFFFF);
  // A layer smaller than the page answers only for what it holds.
  ASSERT_EQ(RVL_CreateLayer(3, 2, 2), 1);
  EXPECT_EQ(RVL_GetColorAtLayer(5, 5, 3), 0xFFFFFF);
  EXPECT_EQ(RVL_GetRGBAAtLayer(5, 5, 3), 0);
  ASSERT_EQ(RVL_CreateLayer(4, W * 2, H * 2), 1);
  EXPECT_EQ(RVL_GetColorAtLayer(W + 1, 0, 4), 0xFFFFFF);
}

TEST_F(ProbeTest, UnderLayerTraceAndHistory) {
  set(2, 1, 1, {0x1100, 0x2200, 0x3300, 0xFF00});
  EXPECT_EQ(RVL_GetRGBAAtUnderLayer(1, 1), 0) << "the back buffer holds the layer as it was";
  set(0, 1, 1, {0xAA00, 0, 0, 0xFF00});
  EXPECT_EQ(uint32_t(RVL_GetRGBAAtTrace(1, 1)), 0xAA0000FFu);
  EXPECT_EQ(uint32_t(RVL_GetColorAtTrace(1, 1)), 0xFFAA0000u);

  RVL_SetUndoLevels(5);
  RVL_SetUndoMB(16);
  EXPECT_EQ(RVL_GetColorAtHistory(1, 1), 0);
  undo.dirtyRect = DirtyRect{0, 0, 5, 5};
  RVL_SaveUndoBuffer(1, 0);
  EXPECT_EQ(uint32_t(RVL_GetColorAtHistory(1, 1)), 0xFF112233u);
  EXPECT_EQ(uint32_t(RVL_GetColorAtUnderLayer(1, 1)), 0xFF112233u);
  RVL_ClearUndo();
  EXPECT_EQ(RVL_GetColorAtHistory(1, 1), 0);

  RVL_DeleteLayer(0);
  EXPECT_EQ(RVL_GetRGBAAtTrace(1, 1), 0);
  EXPECT_EQ(RVL_GetColorAtTrace(1, 1), 0);
}

TEST_F(ProbeTest, MergedColour) {
  RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
  EXPECT_EQ(uint32_t(RVL_GetColorAtMerged(3, 3)), 0xFFFFFFFFu) << "only the white background";
  EXPECT_EQ(RVL_GetColorAtMerged(W, 0), 0xFFFFFF);
  set(2, 3, 3, {0x1100, 0x2200, 0x3300, 0xFFFF});
  EXPECT_EQ(uint32_t(RVL_GetColorAtMerged(3, 3)), 0xFF112233u);
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(RVL_GetColorAtMerged(3, 3), 0);
}

TEST_F(ProbeTest, MaskProbesAndBlocks) {
  setMask(1, 0, 0);
  setMask(2, 0, 40000);
  EXPECT_EQ(RVL_GetMask64(0, 0), 0);
  EXPECT_EQ(RVL_GetMask64(1, 0), 65535);
  EXPECT_EQ(RVL_GetMask64(2, 0), 25535);
  EXPECT_EQ(RVL_GetMask64(W, 0), 0);
  page.maskEnabled = 0;
  EXPECT_EQ(RVL_GetMask64(1, 0), 0);
  page.maskEnabled = 1;

  std::vector<uint16_t> block(size_t(W) * H);
  EXPECT_EQ(RVL_GetMaskData16(block.data()), W * H * 2);
  EXPECT_EQ(block[1], 0);
  block[5] = 7;
  EXPECT_EQ(RVL_SetMaskData16(block.data()), W * H * 2);
  EXPECT_EQ(page.mask[5], 7);
  EXPECT_EQ(RVL_SetMaskData16(nullptr), W * H * 2);

  RVL_CreateImage(nullptr, W, H, 8, 0);  // no current layer
  EXPECT_EQ(RVL_GetMask64(1, 0), 0);
  EXPECT_EQ(RVL_GetRGBAAtSurface(1, 0), 0);
}

}  // namespace
}  // namespace rvl::test
