#include <cstring>

#include "brush/brush.h"
#include "effects/ipl.h"
#include "support/engine_fixture.h"
#include "support/page_helpers.h"
#include "undo/undo.h"

namespace rvl::test {
namespace {

using PageTest = EngineTest;

TEST_F(PageTest, SizesAreClampedTo100OutsideTheLimits) {
  struct Case {
    int32_t width, height, expectedWidth, expectedHeight;
  };
  const Case cases[] = {{-5, 20000, 100, 100}, {10000, 0, 10000, 0}, {10001, 7, 100, 7}, {3, -1, 3, 100}};
  for (const Case& c : cases) {
    RVL_CreateImage(nullptr, c.width, c.height, 8, 0);
    EXPECT_EQ(page.pageWidth, c.expectedWidth) << c.width;
    EXPECT_EQ(page.pageHeight, c.expectedHeight) << c.height;
    EXPECT_EQ(page.pageStride, c.expectedWidth * 4);
    RVL_DeleteImage();
  }
}

TEST_F(PageTest, CreationSetsUpMaskBuffersAndUndo) {
  int dummyWindow;
  RVL_CreateImage(&dummyWindow, 300, 200, 40, 77);
  EXPECT_EQ(page.hostWindow, &dummyWindow);
  EXPECT_EQ(page.brushBufferSize, 40);
  EXPECT_EQ(page.brushStride, 160);
  EXPECT_EQ(page.reserved, 77);
  EXPECT_EQ(page.viewScaleWhole, 1);
  EXPECT_EQ(page.viewScale, 1.0f);
  ASSERT_NE(page.mask, nullptr);
  EXPECT_TRUE(allValues(page.mask, 300 * 200, 65535));
  EXPECT_EQ(page.maskEnabled, 1);
  EXPECT_EQ(page.tracingMode, 0);
  EXPECT_EQ(page.traceLayer, &page.layerTable[0]);
  EXPECT_EQ(page.currentLayer, nullptr);
  EXPECT_NE(page.backBuffer.pixels, nullptr);
  EXPECT_NE(page.backBuffer.mask, nullptr);
  for (const auto& grit : page.gritBuffers) EXPECT_NE(grit.get(), nullptr);
  ASSERT_NE(page.blendBuffer, nullptr);
  EXPECT_TRUE(allValues(page.blendBuffer, 40 * 40, 0)) << "the first 2 * b * b bytes are zeroed";
  EXPECT_EQ(undo.undoUsedKB, (300 * 200 * 10) / 1024);
  EXPECT_EQ(undo.undoPosition, 0);
  EXPECT_NE(page.randArray255.data, nullptr);
  EXPECT_NE(page.randArray254.data, nullptr);
  EXPECT_EQ(ipl.iplSrcBuffer32, nullptr);
}

TEST_F(PageTest, BrushBufferSizeIsHeldToItsRange) {
  RVL_CreateImage(nullptr, 10, 10, -4, 0);
  EXPECT_EQ(page.brushBufferSize, 0);
  EXPECT_NE(page.gritBuffers[0], nullptr);
  RVL_NewSize(nullptr, 10, 10, 2000000000, 0);
  EXPECT_EQ(page.brushBufferSize, kMaxBrushBufferSize);
}

TEST_F(PageTest, CreationReleasesTheLayersPixelsAndKeepsTheirOptions) {
  RVL_CreateImage(nullptr, 16, 16, 8, 0);
  ASSERT_EQ(RVL_CreateLayer(2, 16, 16), 1);
  RVL_SetLayerOptions(2, 1, 0, 50, "Screen");
  RVL_SetLayer(2);
  RVL_CreateImage(nullptr, 16, 16, 8, 0);
  EXPECT_EQ(page.layerTable[2].pixels, nullptr);
  EXPECT_EQ(page.layerTable[2].mergeMode, 2);
  EXPECT_EQ(page.currentLayer, nullptr);
  EXPECT_EQ(RVL_GetLayerCount(), 0);
}

TEST_F(PageTest, CreatingOverAnExistingPageLeaksNothing) {
  RVL_CreateImage(nullptr, 64, 64, 16, 0);
  const int64_t blocks = rvl::testing::liveBlocks();
  RVL_CreateImage(nullptr, 64, 64, 16, 0);
  EXPECT_EQ(rvl::testing::liveBlocks(), blocks);
  RVL_DeleteImage();
  // The random arrays survive deletion; nothing else does.
  EXPECT_EQ(rvl::testing::liveBlocks(), 2);
}

TEST_F(PageTest, AllocationFailureStopsCreationWithItsText) {
  // Allocation 3 is the third grit buffer.
  rvl::testing::failNthAllocation(3);
  RVL_CreateImage(nullptr, 32, 32, 8, 0);
  EXPECT_STREQ(RVL_GetLastError(), "CreateImage Excpt");
  EXPECT_NE(page.gritBuffers[0], nullptr);
  EXPECT_NE(page.gritBuffers[1], nullptr);
  EXPECT_EQ(page.gritBuffers[2], nullptr);
  EXPECT_EQ(page.mask, nullptr);
  RVL_DeleteImage();
  EXPECT_EQ(rvl::testing::liveBlocks(), 0);

  rvl::testing::clearAllocationFaults();
  RVL_CreateImage(nullptr, 32, 32, 8, 0);
  rvl::testing::failNthAllocation(23, true);  // from the mask on
  RVL_NewSize(nullptr, 40, 40, 8, 0);
  EXPECT_STREQ(RVL_GetLastError(), "NewSize Excpt");
  EXPECT_EQ(page.mask, nullptr);
  EXPECT_EQ(page.pageWidth, 40);
}

TEST_F(PageTest, RandomArraysFailingToFillReportTheirOwnText) {
  RVL_SetRandomSeed(5);
  rvl::testing::failAllocationsAbove(999999);
  RVL_CreateImage(nullptr, 16, 16, 8, 0);
  EXPECT_STREQ(RVL_GetLastError(), "MakeRandArrayByte Excpt");
  EXPECT_EQ(page.randArray255.data, nullptr);
  EXPECT_NE(page.backBuffer.pixels, nullptr) << "page creation goes on";
}

TEST_F(PageTest, NewSizeKeepsTheLayersAndRemakesTheBuffers) {
  RVL_CreateImage(nullptr, 20, 10, 8, 0);
  ASSERT_EQ(RVL_CreateLayer(0, 20, 10), 1);
  ASSERT_EQ(RVL_CreateLayer(1, 20, 10), 1);
  RVL_SetLayer(1);
  page.mask[0] = 7;
  RVL_NewSize(nullptr, 30, 12, 8, 0);
  EXPECT_EQ(page.pageWidth, 30);
  EXPECT_EQ(page.pageHeight, 12);
  EXPECT_EQ(page.layerTable[1].width, 20) << "layers keep their size until recreated";
  EXPECT_EQ(page.currentLayer, &page.layerTable[1]);
  EXPECT_EQ(page.traceLayer, &page.layerTable[0]);
  EXPECT_TRUE(allValues(page.mask, 30 * 12, 65535));
  EXPECT_EQ(undo.undoUsedKB, (30 * 12 * 10) / 1024);

  // The back buffer holds what the old-sized layer and the page share, the rest is clear.
  const uint16_t* back = page.backBuffer.pixels;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 30; ++x) {
      const uint16_t expected = (x < 20 && y < 10) ? 65535 : 0;
      ASSERT_EQ(back[(y * 30 + x) * 4], expected) << x << "," << y;
    }
}

TEST_F(PageTest, DeleteReleasesEveryBuffer) {
  RVL_CreateImage(nullptr, 16, 16, 8, 0);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(RVL_CreateLayer(i, 16, 16), 1);
  RVL_SetLayerOptions(3, 1, 1, 40, "Glow");
  // Stand-ins for buffers that other parts of the engine hold.
  ipl.iplSrcBuffer32.allocate(16 * 16 * 4);
  brush.paintLayer.slot.pixels.allocate(16 * 16 * 4);
  page.textureBuffer.allocate(16 * 16);
  RVL_DeleteImage();
  EXPECT_EQ(RVL_GetLayerCount(), 0);
  EXPECT_EQ(page.mask, nullptr);
  EXPECT_EQ(page.backBuffer.pixels, nullptr);
  EXPECT_EQ(page.textureBuffer, nullptr);
  EXPECT_EQ(ipl.iplSrcBuffer32, nullptr);
  EXPECT_EQ(brush.paintLayer.slot.pixels, nullptr);
  EXPECT_EQ(undo.undoUsedKB, 0);
  EXPECT_EQ(page.layerTable[3].mergeMode, 14) << "options survive";
  EXPECT_NE(page.randArray255.data, nullptr) << "random arrays survive";
  EXPECT_EQ(rvl::testing::liveBlocks(), 2);
}

}  // namespace
}  // namespace rvl::test
