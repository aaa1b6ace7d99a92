#include <algorithm>

#include "frame/random.h"
#include "page/page.h"
#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using RandArrayTest = EngineTest;

TEST_F(RandArrayTest, BytesFollowTheSeededGenerator) {
  RVL_SetRandomSeed(1);
  RandArray array{};
  makeRandArrayByte(array, 255, 5);
  // 41, 18467, 6334, 26500, 19169 modulo 255
  const uint8_t expected[] = {41, 107, 214, 235, 44};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(array.data[i], expected[i]) << i;
  EXPECT_EQ(array.modulus, 255);
  EXPECT_EQ(array.seed, 1);
  EXPECT_EQ(array.length, 5);

  // A modulus above 256 wraps to the low 8 bits.
  RandArray wide{};
  makeRandArrayByte(wide, 1000, 3);
  EXPECT_EQ(wide.data[0], 41);
  EXPECT_EQ(wide.data[1], uint8_t(18467 % 1000));
  deleteRandArray(array);
  deleteRandArray(wide);
  EXPECT_EQ(array.data, nullptr);
}

TEST_F(RandArrayTest, PageArraysAreReusedUntilTheSeedChanges) {
  RVL_SetRandomSeed(11);
  RVL_CreateImage(nullptr, 8, 8, 4, 0);
  const uint8_t* first = page.randArray255.data;
  ASSERT_NE(first, nullptr);
  uint8_t below255 = 0, below254 = 0;
  for (int i = 0; i < kRandArrayLength; ++i) {
    below255 = std::max(below255, page.randArray255.data[i]);
    below254 = std::max(below254, page.randArray254.data[i]);
  }
  EXPECT_EQ(below255, 254);
  EXPECT_EQ(below254, 253);

  // Same seed: nothing is rebuilt (and no allocation is made for it).
  rvl::testing::clearAllocationFaults();
  RVL_NewSize(nullptr, 8, 8, 4, 0);
  EXPECT_EQ(page.randArray255.data, first);
  EXPECT_EQ(rvl::testing::allocationCount(), 20u + 5u) << "only the page buffers";

  // A new seed: the next page creation rebuilds both.
  RVL_SetRandomSeed(12);
  RVL_DeleteImage();
  RVL_CreateImage(nullptr, 8, 8, 4, 0);
  EXPECT_EQ(page.randArray255.seed, 12);
  EXPECT_EQ(page.randArray254.seed, 12);
  seedRandom(12);
  EXPECT_EQ(page.randArray255.data[0], nextRandom() % 255);
}

}  // namespace
}  // namespace rvl::test
