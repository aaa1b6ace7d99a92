#include <cstring>
#include <vector>

#include "frame/allocator.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using ClearTest = LayerFixture;

TEST_F(ClearTest, ClearFillsTheCurrentLayer) {
  RVL_Clear(255, 1, 0x1FF, 128);
  EXPECT_EQ(at(2, W - 1, H - 1), (Pixel64{65280, 256, 65280, 32768}));
  EXPECT_EQ(at(1, 0, 0)[0], 65535) << "other layers untouched";
}

TEST_F(ClearTest, HostBuffersAreFilled) {
  std::vector<uint16_t> wide(size_t(W) * H * 4);
  RVL_ClearRGBA64(wide.data(), W * 8, 1, 2, 65535, 4);
  EXPECT_EQ((std::vector<uint16_t>(wide.end() - 4, wide.end())), (std::vector<uint16_t>{1, 2, 65535, 4}));
  std::vector<uint8_t> narrow(size_t(W) * H * 4);
  RVL_ClearRGBA32(narrow.data(), W * 4, 9, 8, 7, 6);
  EXPECT_EQ((std::vector<uint8_t>(narrow.end() - 4, narrow.end())), (std::vector<uint8_t>{9, 8, 7, 6}));
  std::vector<uint8_t> packed(3 * 2 * 4 + 4, 0xEE);
  RVL_ClearRGBA32Buf(packed.data(), 3, 2, 1, 2, 3, 4);
  EXPECT_EQ(packed[23], 4);
  EXPECT_EQ(packed[24], 0xEE);
  RVL_ClearRGBA32Buf(nullptr, 3, 2, 1, 2, 3, 4);
  RVL_ClearRGBA64(nullptr, W * 8, 1, 2, 3, 4);
  // A width whose row bytes do not fit 32 bits with no rows writes nothing (and its row
  // pitch is computed without overflowing).
  RVL_ClearRGBA32Buf(packed.data(), INT32_MAX, 0, 9, 9, 9, 9);
  EXPECT_EQ(packed[0], 1);
}

TEST_F(ClearTest, MaskedClearBlendsColourAndMakesAlphaOpaque) {
  set(2, 0, 0, {1000, 0, 0, 100});
  setMask(0, 0, 0x8000);
  set(2, 1, 0, {1, 1, 1, 1});
  setMask(1, 0, 0);
  RVL_ClearMasked(200, 0, 0, 10);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{26099, 0, 0, 65535}));
  EXPECT_EQ(at(2, 1, 0), (Pixel64{1, 1, 1, 1}));
  EXPECT_EQ(at(2, 2, 0), (Pixel64{51200, 0, 0, 2560}));
  page.maskEnabled = 0;
  RVL_ClearMasked(3, 3, 3, 3);
  EXPECT_EQ(at(2, 1, 0), (Pixel64{768, 768, 768, 768}));
}

TEST_F(ClearTest, MaskedAlphaClearIsAFilteredWrite) {
  setMask(0, 0, 0x8000);
  setMask(1, 0, 0);
  RVL_ClearMaskedAlpha(200, 100, 50, 255);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{51200, 25600, 12800, 32894}));
  EXPECT_EQ(at(2, 1, 0), (Pixel64{0, 0, 0, 0}));
  EXPECT_EQ(at(2, 2, 0), (Pixel64{51200, 25600, 12800, 65280}));

  rvl::testing::failNextAllocations(1);
  RVL_ClearMaskedAlpha(0, 0, 0, 0);
  EXPECT_EQ(at(2, 2, 0)[3], 65280) << "no buffer, nothing happens";
  page.maskEnabled = 0;
  RVL_ClearMaskedAlpha(0, 0, 0, 0);
  EXPECT_EQ(at(2, 1, 0), (Pixel64{0, 0, 0, 0}));
  EXPECT_EQ(at(2, 2, 0)[3], 0);
}

}  // namespace
}  // namespace rvl::test
