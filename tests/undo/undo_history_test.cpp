#include <vector>

#include "support/layer_fixture.h"
#include "undo/undo.h"

namespace rvl::test {
namespace {

class HistoryTest : public LayerFixture {
 protected:
  void SetUp() override {
    LayerFixture::SetUp();
    makePage(40, 48);
    RVL_SetUndoLevels(10);
    RVL_SetUndoMB(64);
  }
  // Paints the rectangle (inclusive) of the current layer and grows dirtyRect over it,
  // as a stroke would.
  void paint(int left, int top, int right, int bottom, uint16_t value) {
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) set(page.currentLayerIndex, x, y, {value, value, value, 65535});
    undo.dirtyRect = DirtyRect{left, top, right, bottom};
  }
};

TEST_F(HistoryTest, SaveUndoRedoRestoreTheRectangle) {
  paint(10, 20, 30, 40, 500);
  RVL_SaveUndoBuffer(1, 0);
  const UndoRecord& r = undo.undoRecord[1];
  ASSERT_NE(r.pixels, nullptr);
  EXPECT_EQ(r.mask, nullptr);
  EXPECT_EQ(r.right - r.left + 1, 21);
  EXPECT_EQ(r.bottom - r.top + 1, 21);
  EXPECT_EQ(r.pixels[0], 0) << "the snapshot holds the pre-stroke layer";
  EXPECT_EQ(undo.dirtyRect.minX, 39) << "reset to empty";
  EXPECT_EQ(RVL_CanUndo(), 1);
  EXPECT_EQ(RVL_CanRedo(), 0);

  RVL_Undo();
  EXPECT_EQ(at(2, 10, 20)[0], 0);
  EXPECT_EQ(at(2, 30, 40)[3], 0);
  EXPECT_EQ(RVL_GetRedoCount(), 1);
  EXPECT_EQ(RVL_CanRedo(), 1);
  EXPECT_EQ(RVL_CanUndo(), 0);
  RVL_Redo();
  EXPECT_EQ(at(2, 10, 20)[0], 500);
  EXPECT_EQ(at(2, 30, 40)[0], 500);
  EXPECT_EQ(RVL_GetRedoCount(), 0);
  // Undo again after redo: the back buffer followed every exchange.
  RVL_Undo();
  EXPECT_EQ(at(2, 20, 30)[0], 0);
}

TEST_F(HistoryTest, MaskStepsAreSavedAndExchangedToo) {
  undo.dirtyRect = DirtyRect{2, 2, 5, 5};
  setMask(3, 3, 1234);
  RVL_SaveUndoBuffer(0, 1);
  ASSERT_NE(undo.undoRecord[1].mask, nullptr);
  EXPECT_EQ(undo.undoRecord[1].pixels, nullptr);
  RVL_Undo();
  EXPECT_EQ(page.mask[3 * 40 + 3], 65535);
  RVL_Redo();
  EXPECT_EQ(page.mask[3 * 40 + 3], 1234);
}

TEST_F(HistoryTest, ThinOrEmptyRectanglesSaveTheWholePage) {
  for (DirtyRect d : {DirtyRect{39, 47, 0, 0}, DirtyRect{5, 5, 5, 20}, DirtyRect{-50, 3, 500, 3}}) {
    undo.dirtyRect = d;
    RVL_SaveUndoBuffer(1, 1);
    const UndoRecord& r = undo.undoRecord[1];
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 39);
    EXPECT_EQ(r.bottom, 47);
  }
  // A rectangle reaching past the page is clamped to it.
  undo.dirtyRect = DirtyRect{-5, -5, 10, 100};
  RVL_SaveUndoBuffer(1, 0);
  EXPECT_EQ(undo.undoRecord[1].left, 0);
  EXPECT_EQ(undo.undoRecord[1].bottom, 47);
}

TEST_F(HistoryTest, NewSaveDiscardsRedoSteps) {
  for (int i = 0; i < 3; ++i) {
    paint(i, i, i + 5, i + 5, uint16_t(100 + i));
    RVL_SaveUndoBuffer(1, 0);
  }
  RVL_Undo();
  RVL_Undo();
  paint(20, 20, 25, 25, 7);
  RVL_SaveUndoBuffer(1, 0);
  EXPECT_EQ(RVL_GetRedoCount(), 0);
  EXPECT_EQ(RVL_GetUndoCount(), 2);
}

TEST_F(HistoryTest, LevelsAreALimit) {
  RVL_SetUndoLevels(2);
  for (int i = 0; i < 4; ++i) {
    paint(0, 0, 5, 5, uint16_t(10 + i));
    RVL_SaveUndoBuffer(1, 0);
  }
  EXPECT_EQ(RVL_GetUndoCount(), 2);
  RVL_SetUndoLevels(0);
  paint(0, 0, 5, 5, 99);
  RVL_SaveUndoBuffer(1, 1);
  EXPECT_EQ(RVL_CanUndo(), 0);
  EXPECT_EQ(page.backBuffer.pixels[0], 99) << "the back buffer still follows the layer";
}

TEST_F(HistoryTest, UndoSelectsTheLayerTheStepCameFrom) {
  ASSERT_EQ(RVL_CreateLayer(3, 40, 48), 1);
  ASSERT_EQ(RVL_CreateLayer(5, 40, 48), 1);
  RVL_SetLayer(3);
  paint(1, 1, 8, 8, 300);
  RVL_SaveUndoBuffer(1, 0);
  RVL_SetLayer(5);
  RVL_Undo();
  EXPECT_EQ(RVL_GetLayerNum(), 3);
  EXPECT_EQ(at(3, 4, 4)[0], 0);
}

TEST_F(HistoryTest, StepsOfDeletedOrResizedLayersStayInsideThem) {
  ASSERT_EQ(RVL_CreateLayer(3, 40, 48), 1);
  RVL_SetLayer(3);
  paint(0, 0, 39, 47, 300);
  RVL_SaveUndoBuffer(1, 0);
  // The layer shrinks: undoing writes only what it still holds.
  ASSERT_EQ(RVL_CreateLayer(3, 4, 4), 1);
  RVL_Undo();
  EXPECT_EQ(RVL_GetUndoCount(), 1);
  RVL_Redo();

  // The layer is gone: the step cannot land on another layer.
  RVL_SetLayer(2);
  paint(0, 0, 39, 47, 0);
  RVL_DeleteLayer(3);
  const Pixel64 before = at(2, 5, 5);
  RVL_Undo();
  EXPECT_EQ(at(2, 5, 5), before);
  EXPECT_EQ(RVL_GetLayerNum(), 2);
}

TEST_F(HistoryTest, PausedStoreChangesNothing) {
  paint(1, 1, 8, 8, 300);
  RVL_SaveUndoBuffer(1, 0);
  RVL_PauseUndo();
  paint(1, 1, 8, 8, 400);
  RVL_SaveUndoBuffer(1, 0);
  RVL_SaveUndoBackBuffer(2);
  RVL_Undo();
  RVL_Redo();
  EXPECT_EQ(RVL_GetUndoCount(), 1);
  EXPECT_EQ(at(2, 2, 2)[0], 400);
  EXPECT_EQ(page.backBuffer.pixels[(2 * 40 + 2) * 4], 300);
  RVL_ResumeUndo();
  RVL_Undo();
  EXPECT_EQ(at(2, 2, 2)[0], 0);
}

TEST_F(HistoryTest, BudgetSacrificesTheOldestStepsButStaysSoft) {
  // Every save of the whole page needs 40 * 48 * 10 / 1024 = 18 KB; a budget of 1 MB
  // holds many, a budget too small for one still keeps the newest.
  EXPECT_EQ(RVL_GetTotalUndoMemory(), 64);
  RVL_SetUndoMB(1);
  EXPECT_EQ(undo.undoBudgetKB, 1024);
  for (int i = 0; i < 3; ++i) {
    undo.dirtyRect = DirtyRect{39, 47, 0, 0};
    RVL_SaveUndoBuffer(1, 1);
  }
  EXPECT_EQ(RVL_GetUndoCount(), 3);
  undo.undoBudgetKB = 20;
  undo.dirtyRect = DirtyRect{39, 47, 0, 0};
  RVL_SaveUndoBuffer(1, 1);
  EXPECT_EQ(RVL_GetUndoCount(), 1);
  EXPECT_EQ(RVL_GetCurrentUndoMemory(), 0);
  EXPECT_EQ(undo.undoUsedKB, (40 * 48 * 10) / 1024 + (40 * 48 * 8) / 1024 + (40 * 48 * 2) / 1024);

  RVL_SetUndoMB(0);
  EXPECT_EQ(undo.undoAutoBudget, 1);
  EXPECT_GT(RVL_GetTotalUndoMemory(), 0);
}

TEST_F(HistoryTest, OutOfMemorySkipsTheStepButRefreshesTheBackBuffer) {
  paint(1, 1, 8, 8, 300);
  RVL_SaveUndoBuffer(1, 0);
  paint(1, 1, 8, 8, 400);
  rvl::testing::failNthAllocation(1, true);
  RVL_SaveUndoBuffer(1, 0);
  rvl::testing::clearAllocationFaults();
  EXPECT_EQ(RVL_GetUndoCount(), 0) << "every older step was released trying";
  EXPECT_EQ(page.backBuffer.pixels[(2 * 40 + 2) * 4], 400);
  EXPECT_EQ(undo.undoUsedKB, (40 * 48 * 10) / 1024);
}

TEST_F(HistoryTest, ReduceAndClearExports) {
  for (int i = 0; i < 3; ++i) {
    undo.dirtyRect = DirtyRect{39, 47, 0, 0};
    RVL_SaveUndoBuffer(1, 0);
  }
  RVL_ReduceUndo(1);
  EXPECT_EQ(RVL_GetUndoCount(), 2);
  EXPECT_EQ(undo.undoRecord[3].pixels, nullptr);
  RVL_ClearUndo();
  EXPECT_EQ(RVL_GetUndoCount(), 0);
}

}  // namespace
}  // namespace rvl::test
