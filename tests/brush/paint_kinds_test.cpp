// Every paint kind with a rule, one pixel each, against values worked by hand from the
// kinds' rules: the destination pull, the mode result M, the amount mix and the coverage
// blend.
#include <array>

#include "brush/brush.h"
#include "brush/paint_kinds.h"
#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using PaintKindTest = EngineTest;

using Rgb = std::array<uint32_t, 3>;

struct KindResult {
  Rgb o;
  uint32_t Z;
  Rgb pulled;
};

KindResult paint(int32_t kind, uint32_t Y, Rgb c, uint32_t A, Rgb d, uint32_t f) {
  KindResult r{};
  applyPaintKind(kind, Y, c.data(), A, d.data(), f, r.o.data(), r.Z);
  r.pulled = d;
  return r;
}

Rgb grey(uint32_t v) { return {v, v, v}; }

TEST_F(PaintKindTest, EveryKindOnePixel) {
  // Banks as bytes: 0 = (10, 20, 30), 1 = (40, 50, 60), 2 = (70, 80, 90), 3 = (100, 110, 120).
  RVL_SetColorBanks(10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120);
  const Rgb bank0{2560, 5120, 7680}, bank1{10240, 12800, 15360}, bank2{17920, 20480, 23040},
      bank3{25600, 28160, 30720};
  const Rgb dest{1000, 2000, 3000};
  struct Case {
    const char* what;
    int32_t kind, amount;
    uint32_t Y;  // coverage
    Rgb c;
    uint32_t A;
    Rgb d;
    uint32_t f;
    Rgb o;
    uint32_t Z;
  };
  // Unless a row says otherwise: amount 256 (the result is M itself), full coverage, an
  // opaque destination (no pull) and an opaque brush (Z = A).
  const Case cases[] = {
      {"screen on white", 34, 256, 65535, grey(30000), 65535, grey(65535), 65535, grey(65535), 65535},
      {"screen at coverage 32768 saturates, never wraps", 34, 256, 32768, grey(30000), 65535, grey(65535), 65535, grey(65535), 65535},
      {"darken at amount 128: the mean of 60000 and 20000", 35, 128, 65535, grey(60000), 65535, grey(20000), 65535, grey(40000), 65535},
      {"lighten: the larger per channel", 36, 256, 65535, {20000, 50000, 0}, 65535, {50000, 10000, 0}, 65535, {50000, 50000, 0}, 65535},
      {"difference", 37, 256, 65535, grey(40000), 65535, grey(10000), 65535, grey(30000), 65535},
      {"negation: 65535 - |65535 - d - c|", 38, 256, 65535, {40000, 10000, 0}, 65535, {30000, 20000, 0}, 65535, {61070, 30000, 0}, 65535},
      {"exclusion: d + c - (dc >> 15)", 39, 256, 65535, {40000, 65535, 10000}, 65535, {30000, 65535, 0}, 65535, {33379, 2, 10000}, 65535},
      {"overlay tests the destination", 40, 256, 65535, {40000, 40000, 0}, 65535, {20000, 50000, 65535}, 65535, {24414, 53430, 65535}, 65535},
      {"hard light tests the brush", 41, 256, 65535, {20000, 50000, 65535}, 65535, {40000, 40000, 0}, 65535, {24414, 53430, 65535}, 65535},
      {"soft light, both branches", 42, 256, 65535, {0, 65535, 10000}, 65535, {32768, 16384, 50000}, 65535, {16384, 32767, 41764}, 65535},
      {"dodge: the quotient is held at 65535", 43, 256, 65535, grey(65534), 65535, grey(40000), 65535, grey(65535), 65535},
      {"burn with c = 1", 44, 256, 65535, grey(1), 65535, grey(40000), 65535, grey(0), 65535},
      {"burn with c = 1 on white", 44, 256, 65535, grey(1), 65535, grey(65535), 65535, grey(65535), 65535},
      {"reflect: d^2 / (65535 - c), held", 45, 256, 65535, {30000, 65535, 60000}, 65535, {20000, 0, 30000}, 65535, {11256, 65535, 65535}, 65535},
      {"glow: c^2 / (65535 - d), held", 46, 256, 65535, {20000, 0, 30000}, 65535, {30000, 65535, 60000}, 65535, {11256, 65535, 65535}, 65535},
      {"add", 47, 256, 65535, grey(40000), 65535, grey(40000), 65535, grey(65535), 65535},
      {"subtract", 48, 256, 65535, grey(40000), 65535, grey(40000), 65535, grey(14465), 65535},
      {"two tones, dark", 249, 256, 65535, grey(10000), 65535, dest, 65535, bank0, 65535},
      {"three tones: L = 65534 / 3 = 21844 is dark", 250, 256, 65535, {21845, 21845, 21844}, 65535, dest, 65535, bank0, 65535},
      {"three tones: L = 21845 is the middle", 250, 256, 65535, grey(21845), 65535, dest, 65535, bank1, 65535},
      {"four tones, light", 251, 256, 65535, grey(60000), 65535, dest, 65535, bank3, 65535},
      {"gradient map at L = 0", 252, 256, 65535, grey(0), 65535, dest, 65535, bank0, 65535},
      {"gradient map at L = 65535", 252, 256, 65535, grey(65535), 65535, dest, 65535, bank2, 65535},
      {"dark to bank, light brush: the destination colour, the brush alpha", 253, 256, 65535, grey(40000), 50000, dest, 65535, dest, 50000},
      {"light to bank above 32767", 254, 256, 65535, grey(32768), 50000, dest, 65535, bank0, 50000},
      {"shadows and highlights: L = 49818 is a highlight", 255, 256, 65535, {50000, 50000, 49455}, 65535, dest, 65535, bank1, 65535},
      {"skip dark keeps the pulled destination and its alpha", 256, 256, 65535, grey(10000), 65535, grey(12345), 40000, grey(9999), 40000},
      {"skip light keeps the destination", 257, 256, 65535, grey(60000), 30000, dest, 65535, dest, 65535},
      {"midtones only: L = 20478 is dark", 258, 256, 65535, {20478, 20479, 20478}, 30000, dest, 65535, dest, 65535},
      {"dark only to bank at L = 12287", 259, 256, 65535, grey(12287), 30000, dest, 65535, bank0, 30000},
      {"light only to bank at L = 57343", 260, 256, 65535, grey(57343), 30000, dest, 65535, bank0, 30000},
      {"posterize 4", 261, 256, 65535, grey(30000), 65535, grey(0), 65535, grey(21845), 65535},
      {"posterize 3", 262, 256, 65535, grey(50000), 65535, grey(0), 65535, grey(65535), 65535},
      {"bit depth, amount 200 drops 9 bits", 295, 200, 65535, grey(40000), 65535, grey(0), 65535, grey(39936), 65535},
      {"grey with luminance alpha", 340, 256, 65535, grey(30000), 65535, grey(0), 65535, grey(32767), 30000},
      // lumS = (3 * 60000 + 4 * 30000) >> 3 = 37500, lumD = (4 * 40000 + 65535) >> 3 = 28191
      // (the plain means say the other way round: 30000 and 35178).
      {"darker by luminance: the darker destination", 387, 256, 65535, {60000, 30000, 0}, 65535, {0, 40000, 65535}, 65535, {0, 40000, 65535}, 65535},
      {"lighter by luminance: the lighter brush", 388, 256, 65535, {60000, 30000, 0}, 65535, {0, 40000, 65535}, 65535, {60000, 30000, 0}, 65535},
  };
  for (const Case& k : cases) {
    RVL_SetMixMode(k.kind, k.amount);
    const KindResult r = paint(k.kind, k.Y, k.c, k.A, k.d, k.f);
    EXPECT_EQ(r.o, k.o) << k.kind << ": " << k.what;
    EXPECT_EQ(r.Z, k.Z) << k.kind << ": " << k.what;
  }
  // Grey with luminance alpha paints over a mid-grey destination colour.
  RVL_SetMixMode(340, 256);
  EXPECT_EQ(paint(340, 65535, grey(30000), 65535, grey(0), 65535).pulled, grey(32767));
}

TEST_F(PaintKindTest, TransparentDestinationsArePulledToTheBrush) {
  RVL_SetMixMode(35, 256);
  EXPECT_EQ(paint(35, 65535, grey(30000), 65535, grey(5), 0).pulled, grey(30000));
  // Alpha 32768 under full coverage: t = min(65535, 32766 * 3) = 65535 pulls completely:
  // ((65535 * 30000) >> 8) >> 8 = 29999.
  EXPECT_EQ(paint(35, 65535, grey(30000), 65535, grey(0), 32768).pulled, grey(29999));
  // Coverage 16384: t = 8191 * 3 = 24573, ((24573 * 30000) >> 8) >> 8 = 11248.
  EXPECT_EQ(paint(35, 16384, grey(30000), 65535, grey(0), 32768).pulled, grey(11248));
}

TEST_F(PaintKindTest, OnlyListedKindsHaveRules) {
  // Kinds 32 + a merge-mode code: Screen to Subtract have rules here; Normal and Multiply
  // are painted by the dab renderer; the codes past Subtract are no kinds.
  for (const MergeModeInfo& row : kMergeModes) {
    const int32_t code = codeOf(row.mode);
    const bool blend = code >= codeOf(MergeMode::Screen) && code <= codeOf(MergeMode::Subtract);
    EXPECT_EQ(hasPaintKindRule(32 + code), blend) << code;
  }
  for (int32_t kind = 249; kind <= 262; ++kind) EXPECT_TRUE(hasPaintKindRule(kind)) << kind;
  for (int32_t kind : {295, 340, 387, 388}) EXPECT_TRUE(hasPaintKindRule(kind)) << kind;
  for (int32_t kind : {31, 248, 263, 294, 296, 339, 341, 386, 389, -1}) EXPECT_FALSE(hasPaintKindRule(kind)) << kind;
}

}  // namespace
}  // namespace rvl::test
