#include <vector>

#include "frame/allocator.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using CompressedTest = LayerFixture;

TEST_F(CompressedTest, RoundTripsThroughZlib) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) set(2, x, y, {uint16_t(x << 8), uint16_t(y << 8), 0x4200, 0xFF00});
  std::vector<uint8_t> out(W * H * 4 + 64);
  const int32_t length = RVL_GetRGBA32LayerCompressed(out.data(), 0, int32_t(out.size()), 2, 9);
  ASSERT_GT(length, 0);
  RVL_LoadRGBA32LayerCompressed(out.data(), 0, length, 0);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) ASSERT_EQ(at(0, x, y), at(2, x, y));

  // Any level works; a level outside 0 to 9 is the default.
  for (int level : {0, 1, -1, 42})
    EXPECT_GT(RVL_GetRGBA32LayerCompressed(out.data(), 0, int32_t(out.size()), 2, level), 0) << level;
}

TEST_F(CompressedTest, BadDataLeavesTheLayerUnchanged) {
  RVL_Clear(1, 2, 3, 4);
  std::vector<uint8_t> out(W * H * 4 + 64);
  const int32_t length = RVL_GetRGBA32LayerCompressed(out.data(), 0, int32_t(out.size()), 2, 6);
  ASSERT_GT(length, 0);
  const Pixel64 before = at(1, 0, 0);

  std::vector<uint8_t> corrupt(out.begin(), out.begin() + length);
  corrupt[length / 2] ^= 0x5A;
  RVL_LoadRGBA32LayerCompressed(corrupt.data(), 0, length, 1);  // checksum fails
  RVL_LoadRGBA32LayerCompressed(out.data(), 0, length / 2, 1);  // truncated
  const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
  RVL_LoadRGBA32LayerCompressed(junk, 0, sizeof junk, 1);
  RVL_LoadRGBA32LayerCompressed(out.data(), 0, -5, 1);
  RVL_LoadRGBA32LayerCompressed(nullptr, 0, length, 1);
  EXPECT_EQ(at(1, 0, 0), before);

  // Data of a larger layer does not fit a smaller one.
  ASSERT_EQ(RVL_CreateLayer(3, 4, 4), 1);
  RVL_LoadRGBA32LayerCompressed(out.data(), 0, length, 3);
  EXPECT_EQ(at(3, 0, 0), (Pixel64{0, 0, 0, 0}));
}

TEST_F(CompressedTest, FailuresAndEmptySlots) {
  std::vector<uint8_t> out(16);
  EXPECT_EQ(RVL_GetRGBA32LayerCompressed(out.data(), 0, 4, 2, 6), 0) << "output too small";
  EXPECT_EQ(RVL_GetRGBA32LayerCompressed(out.data(), 0, 16, 9, 6), 0) << "empty slot";
  EXPECT_EQ(RVL_GetRGBA32LayerCompressed(nullptr, 0, 16, 2, 6), 0);
  RVL_SetLastError("");
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(RVL_GetRGBA32LayerCompressed(out.data(), 0, 16, 2, 6), 0);
  EXPECT_STREQ(RVL_GetLastError(), "GetRGBA32Layer Excpt");

  RVL_SetLastError("");
  rvl::testing::failNextAllocations(1);
  RVL_LoadRGBA32LayerCompressed(out.data(), 0, 16, 2);
  EXPECT_STREQ(RVL_GetLastError(), "") << "no buffer: nothing happens";
}

}  // namespace
}  // namespace rvl::test
