// The coverage rules by hand-worked values: no mask, half mask and full mask; no texture,
// dark, half and white paper; and both together.
#include "page/coverage.h"

#include <gtest/gtest.h>

#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

// The two texture-and-mask rules side by side: the load reads the mask's high byte and
// lifts the texture by half a step, the restriction uses all 16 mask bits.
TEST(Coverage, LoadCoverageAndRestrictionFactor) {
  struct RuleCase {
    const char* what;
    uint32_t texture, mask;
    uint32_t load, restriction;
  };
  const RuleCase cases[] = {
      {"neither", kNoTexture, kNoMask, 65535, 65535},
      {"mask 0", kNoTexture, 0, 0, 0},
      {"mask 0x00FF: high byte 0 | (255 * 65535) >> 16", kNoTexture, 0x00FF, 0, 254},
      {"mask 0x01FF: (2 * 65535) >> 8 | (511 * 65535) >> 16", kNoTexture, 0x01FF, 511, 510},
      {"half mask: (129 * 65535) >> 8 | (32768 * 65535) >> 16", kNoTexture, 0x8000, 33023, 32767},
      {"mask 0xFF00: high byte 255 is full | (65280 * 65535) >> 16", kNoTexture, 0xFF00, 65535, 65279},
      {"mask 65534 | (65534 * 65535) >> 16", kNoTexture, 65534, 65535, 65533},
      {"texture 0", 0, kNoMask, 0, 0},
      {"texture 1: (3 * 65535) >> 8 | (2 * 65535) >> 8", 1, kNoMask, 767, 511},
      {"texture 64: (129 * 65535) >> 8 | (128 * 65535) >> 8", 64, kNoMask, 33023, 32767},
      {"texture 127: (255 * 65535) >> 8 | (254 * 65535) >> 8", 127, kNoMask, 65279, 65023},
      {"texture 128 is full", 128, kNoMask, 65535, 65535},
      {"texture 255", 255, kNoMask, 65535, 65535},
      {"texture 0 whatever the mask", 0, 0x8000, 0, 0},
      {"mask 0 whatever the texture", 64, 0, 0, 0},
      {"both half: (129 * 33023) >> 8 | (32768 * 32767) >> 16", 64, 0x8000, 16640, 16383},
  };
  for (const RuleCase& c : cases) {
    EXPECT_EQ(loadCoverage(c.texture, c.mask), c.load) << c.what;
    EXPECT_EQ(restrictionFactor(c.texture, c.mask), c.restriction) << c.what;
  }
}

TEST(Coverage, DabCoverage) {
  struct DabCase {
    const char* what;
    uint32_t Y, texture, mask, expected;
  };
  const DabCase cases[] = {
      {"neither", 65535, kNoTexture, kNoMask, 65535},
      {"neither keeps a partial tip", 1234, kNoTexture, kNoMask, 1234},
      {"mask 0", 65535, kNoTexture, 0, 0},
      {"half mask: (32768 * 65535) >> 16", 65535, kNoTexture, 32768, 32767},
      {"texture 0", 65535, 0, kNoMask, 0},
      {"texture 128: (128 * 65535) >> 8", 65535, 128, kNoMask, 32767},
      {"texture 254: (254 * 65535) >> 8", 65535, 254, kNoMask, 65023},
      {"texture 255", 65535, 255, kNoMask, 65535},
      {"both half: texture first, then (32768 * 32767) >> 16", 65535, 128, 32768, 16383},
      {"a partial tip: 1000 -> 500 -> 250", 1000, 128, 32768, 250},
  };
  for (const DabCase& c : cases) EXPECT_EQ(dabCoverage(c.Y, c.texture, c.mask), c.expected) << c.what;
}

TEST(Coverage, BlendByCoverage) {
  struct BlendCase {
    const char* what;
    uint32_t value, old, f, expected;
  };
  const BlendCase cases[] = {
      {"full coverage is the new value", 51200, 7, 65535, 51200},
      {"no coverage is the old value", 51200, 7, 0, 7},
      {"half over 0: (65280 * 32768) >> 16", 65280, 0, 32768, 32640},
      {"0 over full at half: (65535 * 32767) >> 16 in two steps", 0, 65535, 32768, 32766},
      // 51200 * 33023 >> 8 = 6604600, 65535 * 32512 >> 8 = 8322945, (sum) >> 8
      {"a byte 200 over 65535 at mask 0x8000", 51200, 65535, 33023, 58310},
      {"a byte 100 over 0 at mask 0x8000", 25600, 0, 33023, 12899},
      {"white over white at coverage 1 loses a step", 65535, 65535, 1, 65533},
  };
  for (const BlendCase& c : cases) EXPECT_EQ(blendByCoverage(c.value, c.old, c.f), c.expected) << c.what;
}

TEST(Coverage, RestrictedAlpha) {
  EXPECT_EQ(restrictedAlpha(200, 65535), 200u);
  EXPECT_EQ(restrictedAlpha(200, 0), 0u);
  EXPECT_EQ(restrictedAlpha(255, 32767), 127u) << "trunc(32767 / 65535 * 255) = trunc(127.498)";
  EXPECT_EQ(restrictedAlpha(65535, 16383), 16383u);
}

using CoverageMapsTest = LayerFixture;

TEST_F(CoverageMapsTest, AbsentTextureAndDisabledMaskReadAsNeutral) {
  setMask(3, 0, 1234);
  CoverageMaps maps = pageCoverageMaps();
  EXPECT_EQ(maps.textureAt(3), kNoTexture) << "no texture";
  EXPECT_EQ(maps.maskAt(3), 1234u);
  page.maskEnabled = 0;
  maps = pageCoverageMaps();
  EXPECT_EQ(maps.maskAt(3), kNoMask) << "disabled mask";
  ASSERT_TRUE(page.textureBuffer.allocate(size_t(W) * H));
  page.textureBuffer[3] = 77;
  maps = pageCoverageMaps();
  EXPECT_EQ(maps.textureAt(3), 77u);
}

}  // namespace
}  // namespace rvl::test
