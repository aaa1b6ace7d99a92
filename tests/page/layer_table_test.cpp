#include <cstring>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "support/page_helpers.h"
#include "undo/undo.h"

namespace rvl::test {
namespace {

class LayerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, W, H, 8, 0);
  }
  static constexpr int W = 24, H = 16;

  // Every field of every slot, with a copy of its pixels, and the table's pointers.
  struct SlotCopy {
    const uint16_t* pixels;
    int32_t width, height, stride;
    uint8_t visible, lockTransparency;
    uint16_t opacity;
    std::string modeName;
    int32_t mergeMode;
    std::vector<uint16_t> values;
  };
  struct TableSnapshot {
    std::vector<SlotCopy> slots;
    const LayerSlot* currentLayer;
    int32_t currentLayerIndex, topLayerIndex;
  };
  static TableSnapshot snapshot() {
    TableSnapshot t{{}, page.currentLayer, page.currentLayerIndex, page.topLayerIndex};
    for (const LayerSlot& s : page.layerTable) {
      const uint16_t* pixels = s.pixels;
      t.slots.push_back({pixels, s.width, s.height, s.stride, s.visible, s.lockTransparency, s.opacity,
                         std::string(s.modeName, strnlen(s.modeName, sizeof s.modeName)), s.mergeMode,
                         pixels ? std::vector<uint16_t>(pixels, pixels + layerValues(s)) : std::vector<uint16_t>{}});
    }
    return t;
  }
  static void expectSame(const TableSnapshot& a, const TableSnapshot& b) {
    EXPECT_EQ(a.currentLayer, b.currentLayer);
    EXPECT_EQ(a.currentLayerIndex, b.currentLayerIndex);
    EXPECT_EQ(a.topLayerIndex, b.topLayerIndex);
    for (int i = 0; i < kLayerSlots; ++i) {
      const SlotCopy &x = a.slots[size_t(i)], &y = b.slots[size_t(i)];
      EXPECT_EQ(x.pixels, y.pixels) << "slot " << i;
      EXPECT_EQ(x.width, y.width) << "slot " << i;
      EXPECT_EQ(x.height, y.height) << "slot " << i;
      EXPECT_EQ(x.stride, y.stride) << "slot " << i;
      EXPECT_EQ(x.visible, y.visible) << "slot " << i;
      EXPECT_EQ(x.lockTransparency, y.lockTransparency) << "slot " << i;
      EXPECT_EQ(x.opacity, y.opacity) << "slot " << i;
      EXPECT_EQ(x.modeName, y.modeName) << "slot " << i;
      EXPECT_EQ(x.mergeMode, y.mergeMode) << "slot " << i;
      EXPECT_EQ(x.values, y.values) << "slot " << i;
    }
  }
};

TEST_F(LayerTest, BackgroundIsOpaqueWhiteOthersTransparent) {
  ASSERT_EQ(RVL_CreateLayer(1, W, H), 1);
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  const LayerSlot& background = page.layerTable[1];
  EXPECT_EQ(background.stride, W * 4);
  EXPECT_TRUE(allValues(background.pixels, layerValues(background), 65535));
  EXPECT_TRUE(allValues(page.layerTable[2].pixels, layerValues(page.layerTable[2]), 0));

  // Creating again at the same size keeps the block and clears it again.
  uint16_t* kept = page.layerTable[2].pixels;
  kept[5] = 1234;
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  EXPECT_EQ(page.layerTable[2].pixels, kept);
  EXPECT_EQ(kept[5], 0);

  // Another size replaces the pixels.
  ASSERT_EQ(RVL_CreateLayer(2, 5, 3), 1);
  EXPECT_EQ(page.layerTable[2].width, 5);
  EXPECT_EQ(page.layerTable[2].height, 3);
  EXPECT_EQ(page.layerTable[2].stride, 20);
}

TEST_F(LayerTest, BadIndexesAndSizesAreRefused) {
  const int64_t blocks = rvl::testing::liveBlocks();
  for (int32_t index : {64, 1000, -1, INT32_MIN}) EXPECT_EQ(RVL_CreateLayer(index, W, H), 0) << index;
  EXPECT_EQ(RVL_CreateLayer(2, -1, H), 0);
  EXPECT_EQ(RVL_CreateLayer(2, W, 10001), 0);
  EXPECT_EQ(RVL_CreateLayer(2, 200000, 200000), 0);
  EXPECT_EQ(rvl::testing::liveBlocks(), blocks);
  EXPECT_EQ(RVL_GetLayerCount(), 0);
  // Calls with an index outside 0 to 63 leave every slot, and the current and top layer,
  // as they were: first on an empty table, then on one with layers, options and pixels.
  for (const bool filled : {false, true}) {
    SCOPED_TRACE(filled ? "filled table" : "empty table");
    if (filled) {
      ASSERT_EQ(RVL_CreateLayer(1, W, H), 1);
      ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
      ASSERT_EQ(RVL_CreateLayer(63, 3, 2), 1);
      RVL_SetLayerOptions(2, 1, 1, 50, "Darken");
      RVL_SetLayerOptions(63, 0, 0, 33, "Screen");
      page.layerTable[2].pixels[7] = 4321;
      page.layerTable[63].pixels[0] = 99;
      RVL_SetLayer(2);
    }
    const TableSnapshot before = snapshot();
    RVL_DeleteLayer(64);
    RVL_DeleteLayer(-3);
    RVL_SetLayer(-1);
    RVL_SetLayer(64);
    RVL_SetLayerOptions(64, 1, 1, 100, "Normal");
    RVL_SetLayerOptions(-1, 1, 1, 100, "Normal");
    RVL_SwapLayers(-1, 2);
    RVL_SwapLayers(2, 64);
    RVL_SwapLayers(INT32_MIN, INT32_MAX);
    expectSame(before, snapshot());
    EXPECT_EQ(page.currentLayer, filled ? &page.layerTable[2] : nullptr);
  }
}

TEST_F(LayerTest, AnEmptyLayerIsAllowed) {
  ASSERT_EQ(RVL_CreateLayer(3, 0, 0), 1);
  EXPECT_NE(page.layerTable[3].pixels, nullptr);
  EXPECT_EQ(RVL_GetLayerCount(), 1);
}

TEST_F(LayerTest, DeleteEmptiesOnlyThePixels) {
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  RVL_SetLayerOptions(2, 1, 1, 50, "Darken");
  RVL_SetLayer(2);
  RVL_DeleteLayer(2);
  EXPECT_EQ(page.layerTable[2].pixels, nullptr);
  EXPECT_EQ(page.layerTable[2].mergeMode, 3);
  EXPECT_EQ(page.currentLayer, &page.layerTable[2]);
  RVL_DeleteLayer(2);  // already empty
}

TEST_F(LayerTest, CountIncludesTheTraceLayer) {
  EXPECT_EQ(RVL_GetLayerCount(), 0);
  ASSERT_EQ(RVL_CreateLayer(0, W, H), 1);
  ASSERT_EQ(RVL_CreateLayer(1, W, H), 1);
  ASSERT_EQ(RVL_CreateLayer(63, W, H), 1);
  EXPECT_EQ(RVL_GetLayerCount(), 3);
}

TEST_F(LayerTest, OptionsStoreLowBytesOpacityAndModeCode) {
  struct Case {
    int32_t percent;
    uint16_t opacity;
  };
  const Case opacities[] = {{100, 256}, {50, 128}, {1, 2}, {99, 253}, {33, 84}, {0, 0},
                            {150, 256}, {-10, 0}};
  for (const Case& c : opacities) {
    RVL_SetLayerOptions(2, 1, 0, c.percent, "Normal");
    EXPECT_EQ(page.layerTable[2].opacity, c.opacity) << c.percent;
  }

  struct ModeCase {
    const char* name;
    int32_t code;
  };
  const ModeCase modes[] = {{"Lighten", 4}, {"lighten", 0}, {"Overlay ", 0}, {"Overlay", 8},
                            {"Texturize3", 19}, {"Alpha Normal", 21}, {"Layer Mask", 39},
                            {"Luminance Alpha Invert", 41}, {"", 0}, {"Multiply", 1}};
  for (const ModeCase& m : modes) {
    RVL_SetLayerOptions(2, 1, 0, 100, m.name);
    EXPECT_EQ(page.layerTable[2].mergeMode, m.code) << m.name;
    EXPECT_STREQ(page.layerTable[2].modeName, m.name);
  }

  RVL_SetLayerOptions(2, 0x101, 0x200, 100, "Screen");
  EXPECT_EQ(page.layerTable[2].visible, 1);
  EXPECT_EQ(page.layerTable[2].lockTransparency, 0);

  // A name of 50 characters or more is not stored; its code is still looked up.
  const std::string longName(60, 'N');
  RVL_SetLayerOptions(2, 1, 0, 100, longName.c_str());
  EXPECT_STREQ(page.layerTable[2].modeName, "");
  EXPECT_EQ(page.layerTable[2].mergeMode, 0);
  const std::string longest(49, 'L');
  RVL_SetLayerOptions(2, 1, 0, 100, longest.c_str());
  EXPECT_EQ(std::string(page.layerTable[2].modeName), longest);

  // No name: the call does nothing.
  RVL_SetLayerOptions(2, 0, 1, 10, nullptr);
  EXPECT_EQ(page.layerTable[2].visible, 1);
  EXPECT_EQ(page.layerTable[2].opacity, 256);
}

TEST_F(LayerTest, TopLayerIndexIsRecomputedOnlyBySettingOptions) {
  for (int i : {1, 2, 5}) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
  RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
  EXPECT_EQ(page.topLayerIndex, 5);
  RVL_DeleteLayer(5);
  EXPECT_EQ(page.topLayerIndex, 5);
  RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
  EXPECT_EQ(page.topLayerIndex, 2);
  for (int i : {1, 2}) RVL_DeleteLayer(i);
  RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
  EXPECT_EQ(page.topLayerIndex, 1);
}

TEST_F(LayerTest, SetLayerSelectsFilledSlotsAndCopiesThemToTheBackBuffer) {
  ASSERT_EQ(RVL_CreateLayer(1, W, H), 1);
  RVL_SetLayer(1);
  EXPECT_EQ(RVL_GetLayerNum(), 1);
  EXPECT_EQ(page.currentLayer, &page.layerTable[1]);
  EXPECT_TRUE(allValues(page.backBuffer.pixels, size_t(W) * H * 4, 65535));

  RVL_SetLayer(7);  // empty slot: nothing changes
  EXPECT_EQ(RVL_GetLayerNum(), 1);
  EXPECT_EQ(page.currentLayer, &page.layerTable[1]);

  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  page.mask[3] = 99;
  RVL_SetLayer(2);
  EXPECT_TRUE(allValues(page.backBuffer.pixels, size_t(W) * H * 4, 0));
  EXPECT_EQ(page.backBuffer.mask[3], 99);
}

TEST_F(LayerTest, SetLayerAfterResizeReadsOnlyTheLayersPixels) {
  ASSERT_EQ(RVL_CreateLayer(2, 4, 3), 1);  // smaller than the page
  page.layerTable[2].pixels[0] = 500;
  RVL_SetLayer(2);
  EXPECT_EQ(page.backBuffer.pixels[0], 500);
  EXPECT_EQ(page.backBuffer.pixels[4 * 4], 0);
  ASSERT_EQ(RVL_CreateLayer(3, 100, 50), 1);  // larger than the page
  RVL_SetLayer(3);
  EXPECT_TRUE(allValues(page.backBuffer.pixels, size_t(W) * H * 4, 0));
}

TEST_F(LayerTest, SwapExchangesWholeSlots) {
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  ASSERT_EQ(RVL_CreateLayer(3, 4, 4), 1);
  RVL_SetLayerOptions(2, 1, 0, 100, "Multiply");
  RVL_SetLayerOptions(3, 0, 1, 50, "Screen");
  uint16_t* pixels2 = page.layerTable[2].pixels;
  RVL_SetLayer(2);

  RVL_SwapLayers(2, 2);
  EXPECT_EQ(page.layerTable[2].pixels, pixels2);
  EXPECT_EQ(page.layerTable[2].mergeMode, 1);

  RVL_SwapLayers(2, 3);
  EXPECT_EQ(page.layerTable[3].pixels, pixels2);
  EXPECT_EQ(page.layerTable[3].width, W);
  EXPECT_EQ(page.layerTable[3].mergeMode, 1);
  EXPECT_EQ(page.layerTable[2].width, 4);
  EXPECT_EQ(page.layerTable[2].mergeMode, 2);
  EXPECT_EQ(page.layerTable[2].opacity, 128);
  EXPECT_STREQ(page.layerTable[2].modeName, "Screen");
  // The current layer stays at its index, so it now holds the other picture.
  EXPECT_EQ(page.currentLayer, &page.layerTable[2]);
  EXPECT_EQ(RVL_GetLayerNum(), 2);
}

TEST_F(LayerTest, AllocationFailureReclaimsUndoThenGivesUp) {
  // Three saved steps of 64 x 64 pixels, the oldest in record 3.
  RVL_SetUndoLevels(3);
  for (int n = 1; n <= 3; ++n) {
    UndoRecord& r = undo.undoRecord[n];
    r = UndoRecord{Buffer<uint16_t>(allocArray<uint16_t>(64 * 64 * 4)), Buffer<uint16_t>(allocArray<uint16_t>(64 * 64)), 0, 0, 63,
                   63, 1};
    undo.undoUsedKB += 40;
  }
  RVL_SetLastError("");

  // The first attempt fails, the oldest step goes, the second attempt succeeds.
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(RVL_CreateLayer(2, 32, 32), 1);  // 8 KB wanted: one record is enough
  EXPECT_EQ(undo.undoRecord[3].pixels, nullptr);
  EXPECT_NE(undo.undoRecord[2].pixels, nullptr);
  EXPECT_NE(undo.undoRecord[1].pixels, nullptr);

  // Allocation never succeeds: every step is sacrificed, then 0 without a text.
  rvl::testing::failNthAllocation(1, /*persistent=*/true);
  EXPECT_EQ(RVL_CreateLayer(4, 32, 32), 0);
  EXPECT_EQ(undo.undoRecord[1].pixels, nullptr);
  EXPECT_EQ(undo.undoRecord[2].pixels, nullptr);
  EXPECT_EQ(page.layerTable[4].pixels, nullptr);
  EXPECT_STREQ(RVL_GetLastError(), "");
  EXPECT_EQ(undo.undoUsedKB, (W * H * 10) / 1024);
}

TEST_F(LayerTest, UndoLevelsAreHeldTo500) {
  EXPECT_EQ(RVL_SetUndoLevels(800), 500);
  EXPECT_EQ(undo.undoLevels, 500);
  EXPECT_EQ(RVL_SetUndoLevels(-3), 0);
  EXPECT_EQ(RVL_SetUndoLevels(20), 20);
}

}  // namespace
}  // namespace rvl::test
