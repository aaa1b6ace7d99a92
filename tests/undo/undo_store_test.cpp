#include "support/engine_fixture.h"
#include "support/page_helpers.h"
#include "undo/undo.h"

namespace rvl::test {
namespace {

class UndoStoreTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, 40, 30, 8, 0);
    ASSERT_EQ(RVL_CreateLayer(1, 40, 30), 1);
    RVL_SetLayer(1);
    RVL_SetUndoLevels(10);
  }
  // A saved step of w x h pixels in record n, counted as the store counts it.
  void fakeRecord(int n, int w, int h, bool withPixels = true) {
    UndoRecord& r = undo.undoRecord[n];
    r = UndoRecord{Buffer<uint16_t>(withPixels ? allocArray<uint16_t>(size_t(w) * h * 4) : nullptr),
                   Buffer<uint16_t>(allocArray<uint16_t>(size_t(w) * h)), 0, 0, w - 1, h - 1, n};
    undo.undoUsedKB += (withPixels ? (w * h * 8) / 1024 : 0) + (w * h * 2) / 1024;
  }
};

TEST_F(UndoStoreTest, ReduceReleasesOldestRecordsWithPixelsFirst) {
  fakeRecord(1, 32, 32);               // 10 KB
  fakeRecord(2, 32, 32, false);        // mask only: passed over
  fakeRecord(3, 64, 32);               // 20 KB
  fakeRecord(4, 32, 32);               // 10 KB, the oldest
  EXPECT_EQ(reduceUndo(0), 0);
  EXPECT_NE(undo.undoRecord[4].pixels, nullptr);

  EXPECT_EQ(reduceUndo(15), 30);
  EXPECT_EQ(undo.undoRecord[4].pixels, nullptr);
  EXPECT_EQ(undo.undoRecord[3].pixels, nullptr);
  EXPECT_NE(undo.undoRecord[2].mask, nullptr);
  EXPECT_NE(undo.undoRecord[1].pixels, nullptr);
}

TEST_F(UndoStoreTest, ReduceDropsRedoRecordsFirst) {
  fakeRecord(1, 32, 32);
  fakeRecord(2, 32, 32);
  fakeRecord(3, 32, 32);
  uint16_t* third = undo.undoRecord[3].pixels;
  undo.undoPosition = 2;  // records 1 and 2 were undone
  EXPECT_EQ(reduceUndo(0), 0);
  EXPECT_EQ(undo.undoPosition, 0);
  EXPECT_EQ(undo.undoRecord[1].pixels, third);
  EXPECT_EQ(undo.undoRecord[1].layer, 3);
  EXPECT_EQ(undo.undoRecord[2].pixels, nullptr);
  EXPECT_EQ(undo.undoRecord[3].pixels, nullptr);
}

TEST_F(UndoStoreTest, ClearEmptiesResumesAndRefreshesTheBackBuffer) {
  fakeRecord(1, 16, 16);
  undo.undoPaused = 1;
  undo.undoPosition = 1;
  page.layerTable[1].pixels[0] = 42;
  clearUndo();
  EXPECT_EQ(undo.undoRecord[1].pixels, nullptr);
  EXPECT_EQ(undo.undoPaused, 0);
  EXPECT_EQ(undo.undoPosition, 0);
  EXPECT_EQ(undo.undoUsedKB, (40 * 30 * 10) / 1024);
  EXPECT_EQ(page.backBuffer.pixels[0], 42);
  EXPECT_EQ(undo.dirtyRect.minX, 39);
  EXPECT_EQ(undo.dirtyRect.maxY, 0);
}

TEST_F(UndoStoreTest, PausedStoreLeavesTheBackBufferAlone) {
  undo.undoPaused = 1;
  page.layerTable[1].pixels[0] = 42;
  saveUndoBackBuffer(1);
  EXPECT_EQ(page.backBuffer.pixels[0], 65535);
}

TEST_F(UndoStoreTest, AutomaticBudgetFollowsFreeMemory) {
  RVL_CreateImage(nullptr, 1000, 1000, 8, 0);
  const int32_t used = undo.undoUsedKB;
  const int32_t p = 976;  // 1000 * 1000 / 1024
  platform::MemoryStatus status{};
  status.availPhys = uint64_t(2000000) << 10;
  status.availPageFile = uint64_t(3000000) << 10;
  platform::testing::setMemoryStatus(status);

  undo.undoAutoBudget = 0;
  undo.undoBudgetKB = 123;
  updateUndoBudget();
  EXPECT_EQ(undo.undoBudgetKB, 123) << "only the automatic budget moves";

  undo.undoAutoBudget = 1;
  updateUndoBudget();
  EXPECT_EQ(undo.undoBudgetKB, int32_t(1700000.0 + used) - 20 * p);

  status.availPageFile = uint64_t(1000) << 10;  // the smaller of the two counts
  platform::testing::setMemoryStatus(status);
  updateUndoBudget();
  EXPECT_EQ(undo.undoBudgetKB, 15 * p);
}

}  // namespace
}  // namespace rvl::test
