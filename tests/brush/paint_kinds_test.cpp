#include "brush/brush.h"
#include "brush/paint_kinds.h"
#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using PaintKindTest = EngineTest;

struct KindResult {
  uint32_t o[3];
  uint32_t Z;
  uint32_t pulled[3];
};

KindResult paint(int32_t kind, uint32_t Y, uint32_t c, uint32_t A, uint32_t d, uint32_t f) {
  const uint32_t cs[3] = {c, c, c};
  KindResult r{};
  uint32_t ds[3] = {d, d, d};
  applyPaintKind(kind, Y, cs, A, ds, f, r.o, r.Z);
  for (int k = 0; k < 3; ++k) r.pulled[k] = ds[k];
  return r;
}

TEST_F(PaintKindTest, BlendModes) {
  RVL_SetMixMode(34, 256);
  EXPECT_EQ(paint(34, 65535, 30000, 65535, 65535, 65535).o[0], 65535u);
  EXPECT_EQ(paint(34, 32768, 30000, 65535, 65535, 65535).o[0], 65535u) << "saturates, never wraps";
  EXPECT_EQ(paint(43, 65535, 65534, 65535, 40000, 65535).o[0], 65535u);
  EXPECT_EQ(paint(44, 65535, 1, 65535, 40000, 65535).o[0], 0u);
  EXPECT_EQ(paint(44, 65535, 1, 65535, 65535, 65535).o[0], 65535u);
  EXPECT_EQ(paint(47, 65535, 40000, 65535, 40000, 65535).o[0], 65535u);
  EXPECT_EQ(paint(48, 65535, 40000, 65535, 40000, 65535).o[0], 14465u);
  EXPECT_EQ(paint(37, 65535, 40000, 65535, 10000, 65535).o[0], 30000u);

  // Amount 128: about the mean of the source and min(d, c).
  RVL_SetMixMode(35, 128);
  const uint32_t mean = paint(35, 65535, 60000, 65535, 20000, 65535).o[0];
  EXPECT_NEAR(double(mean), (60000.0 + 20000.0) / 2, 2.0);
}

TEST_F(PaintKindTest, ToolKinds) {
  RVL_SetColorBanks(10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120);
  RVL_SetMixMode(252, 256);
  EXPECT_EQ(paint(252, 65535, 0, 65535, 9, 65535).o[0], 10u << 8);
  EXPECT_EQ(paint(252, 65535, 65535, 65535, 9, 65535).o[0], 70u << 8);
  EXPECT_EQ(paint(249, 65535, 10000, 65535, 9, 65535).o[1], 20u << 8);
  EXPECT_EQ(paint(251, 65535, 60000, 65535, 9, 65535).o[2], 120u << 8);

  // 256 below its threshold keeps the destination (and its alpha).
  const KindResult kept = paint(256, 65535, 10000, 65535, 12345, 40000);
  EXPECT_EQ(kept.o[0], kept.pulled[0]);
  EXPECT_EQ(kept.Z, 40000u);

  RVL_SetMixMode(295, 200);  // shift 9
  EXPECT_EQ(paint(295, 65535, 40000, 65535, 0, 65535).o[0], 39936u);

  const KindResult grey = paint(340, 65535, 30000, 65535, 0, 65535);
  EXPECT_EQ(grey.o[0], 32767u);
  EXPECT_EQ(grey.Z, 30000u) << "alpha follows the brush luminance";

  RVL_SetMixMode(261, 256);
  EXPECT_EQ(paint(261, 65535, 30000, 65535, 0, 65535).o[0], 21845u);
  RVL_SetMixMode(262, 256);
  EXPECT_EQ(paint(262, 65535, 50000, 65535, 0, 65535).o[0], 65535u);
}

TEST_F(PaintKindTest, TransparentDestinationsArePulledToTheBrush) {
  RVL_SetMixMode(35, 256);
  EXPECT_EQ(paint(35, 65535, 30000, 65535, 5, 0).pulled[0], 30000u);
  // Alpha 32768 under full coverage: t = min(65535, 32766 * 3) pulls completely.
  EXPECT_EQ(paint(35, 65535, 30000, 65535, 0, 32768).pulled[0], ((0u) + ((65535u * 30000u) >> 8)) >> 8);
  // Coverage 16384: t = 24573.
  const uint32_t t = 24573;
  EXPECT_EQ(paint(35, 16384, 30000, 65535, 0, 32768).pulled[0], ((0u) + ((t * 30000u) >> 8)) >> 8);
}

TEST_F(PaintKindTest, OnlyListedKindsHaveRules) {
  for (int32_t kind : {34, 48, 249, 262, 295, 340, 387, 388}) EXPECT_TRUE(hasPaintKindRule(kind)) << kind;
  for (int32_t kind : {32, 33, 49, 248, 263, 294, 296, 339, 341, 386, 389, -1}) EXPECT_FALSE(hasPaintKindRule(kind)) << kind;
}

}  // namespace
}  // namespace rvl::test
