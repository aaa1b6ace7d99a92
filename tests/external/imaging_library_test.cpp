#include <gtest/gtest.h>

#include <vector>

#include "external/imaging/imaging.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

TEST(ImagingLibrary, StartEndAndLastError) {
  for (auto init : {IS40_Initialize, ISE40_Initialize, IS3Initialize, ISE3Initialize}) {
    setLastError(kLibraryFailure);
    EXPECT_NE(init(0x1234), 0u);
    EXPECT_EQ(IS3GetLastError(), kNoError);
  }

  uint8_t pixel[4] = {1, 2, 3, 4};
  EXPECT_EQ(IS3RGBAToBGRA(pixel, 1, 1, 3), 0u);
  EXPECT_EQ(IS3GetLastError(), kBadArgument);
  // Success leaves the last failure readable.
  EXPECT_NE(IS3RGBAToBGRA(pixel, 1, 1, 4), 0u);
  EXPECT_EQ(IS3GetLastError(), kBadArgument);
  EXPECT_NE(IS3Exit(), 0u);
}

TEST(ImagingLibrary, CompressionFailuresAreRecorded) {
  IS3Initialize(0);
  std::vector<uint8_t> data(4096);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7919 >> 3);
  std::vector<uint8_t> packed(IS3DeflateBound(4096));
  uint8_t tiny[4];
  EXPECT_EQ(IS3DeflateBuffer(data.data(), 4096, tiny, sizeof tiny, 6), 0u);
  EXPECT_EQ(IS3GetLastError(), kOutputTooSmall);

  const uint32_t length = IS3DeflateBuffer(data.data(), 4096, packed.data(), packed.size(), 6);
  ASSERT_NE(length, 0u);
  std::vector<uint8_t> out(4096);
  EXPECT_EQ(IS3InflateBuffer(packed.data(), length / 2, out.data(), 4096, 0), 0u);
  EXPECT_EQ(IS3GetLastError(), kCorruptData);
  EXPECT_EQ(IS3InflateBuffer(packed.data(), length, out.data(), 100, 0), 0u);
  EXPECT_EQ(IS3GetLastError(), kOutputTooSmall);
  const uint8_t garbage[] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(IS3InflateBuffer(garbage, sizeof garbage, out.data(), 4096, 0), 0u);
  EXPECT_EQ(IS3GetLastError(), kCorruptData);
  EXPECT_EQ(IS3InflateBuffer(nullptr, 4, out.data(), 4096, 0), 0u);
  EXPECT_EQ(IS3GetLastError(), kBadArgument);
}

}  // namespace
}  // namespace rvl::test
