#include <zlib.h>

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

// The stream is plain zlib: what the engine writes inflates with zlib's own uncompress to
// the layer as packed RGBA32 (the high byte of every channel), and a stream zlib made
// loads into the layer as value * 256.
TEST_F(CompressedTest, StreamsAreZlibBothWays) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      set(2, x, y, {uint16_t(x * 4096 + 0xFF), uint16_t(y * 5000), uint16_t(0x4280), uint16_t(65535 - x * 100)});
  std::vector<uint8_t> out(W * H * 4 + 64);
  const int32_t length = RVL_GetRGBA32LayerCompressed(out.data(), 0, int32_t(out.size()), 2, 9);
  ASSERT_GT(length, 0);
  std::vector<uint8_t> inflated(W * H * 4 + 1);
  uLongf inflatedLength = uLongf(inflated.size());
  ASSERT_EQ(uncompress(inflated.data(), &inflatedLength, out.data(), uLong(length)), Z_OK);
  ASSERT_EQ(inflatedLength, uLongf(W * H * 4));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint8_t* p = &inflated[size_t(y * W + x) * 4];
      const uint8_t want[4] = {uint8_t(x * 16), uint8_t((y * 5000) >> 8), 0x42, uint8_t((65535 - x * 100) >> 8)};
      ASSERT_EQ((std::vector<uint8_t>(p, p + 4)), (std::vector<uint8_t>(want, want + 4))) << x << "," << y;
    }

  std::vector<uint8_t> picture(W * H * 4);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = uint8_t(i * 7 + 3);
  for (const int level : {0, 1, 9}) {
    SCOPED_TRACE(level);
    std::vector<uint8_t> stream(compressBound(uLong(picture.size())));
    uLongf streamLength = uLongf(stream.size());
    ASSERT_EQ(compress2(stream.data(), &streamLength, picture.data(), uLong(picture.size()), level), Z_OK);
    RVL_LoadRGBA32LayerCompressed(stream.data(), 0, int32_t(streamLength), 0);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        // (A pixel of alpha 0 loads as transparent black.)
        const uint8_t* p = &picture[size_t(y * W + x) * 4];
        const Pixel64 want = p[3] == 0 ? Pixel64{0, 0, 0, 0}
                                       : Pixel64{uint16_t(p[0] << 8), uint16_t(p[1] << 8), uint16_t(p[2] << 8), uint16_t(p[3] << 8)};
        ASSERT_EQ(at(0, x, y), want) << x << "," << y;
      }
  }

  // A valid stream of one byte fewer, or one more, than the layer holds loads nothing.
  set(0, 0, 0, {1, 2, 3, 4});
  for (const size_t bytes : {size_t(W * H * 4 - 1), size_t(W * H * 4 + 1), size_t(4)}) {
    SCOPED_TRACE(bytes);
    std::vector<uint8_t> other(bytes, 0x55);
    std::vector<uint8_t> stream(compressBound(uLong(bytes)));
    uLongf streamLength = uLongf(stream.size());
    ASSERT_EQ(compress2(stream.data(), &streamLength, other.data(), uLong(bytes), 6), Z_OK);
    RVL_LoadRGBA32LayerCompressed(stream.data(), 0, int32_t(streamLength), 0);
    EXPECT_EQ(at(0, 0, 0), (Pixel64{1, 2, 3, 4}));
    EXPECT_EQ(at(0, W - 1, H - 1)[0], uint16_t(picture[size_t(W * H - 1) * 4] << 8));
  }
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
