// IS3ResizeImage on gradients, against values worked out by hand. The resizer samples
// destination pixel x at source position (x + 0.5) * w / dw - 0.5 (pixel centres line up),
// interpolates linearly between the two source pixels around it and repeats the edge
// pixels; a mirrored picture, a mapping shifted by a pixel or one that pins the corners
// ((dw - 1) to (w - 1)) all give other numbers. The sizes are chosen so that every weight
// is a quarter or a half and every expected value is a whole number.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "external/imaging/geometry.h"
#include "support/pixel_picture.h"

namespace rvl::test {
namespace {

using imaging::IS3ResizeImage;

// The 4-pixel ramp 0, 16, 32, 48 doubled: positions -0.25 (held at the edge), 0.25, 0.75,
// 1.25, ... 3.25 (held): 0, 4, 12, 20, 28, 36, 44, 48.
const std::vector<uint32_t> kRampUp = {0, 4, 12, 20, 28, 36, 44, 48};
// The ramp 0, 64, 128, 192 doubled the same way.
const std::vector<uint32_t> kTallUp = {0, 16, 48, 80, 112, 144, 176, 192};

// Source pixel (x, y): channel 0 rises to the right and down, channel 1 falls to the right
// (a mirrored result swaps its ends), channel 2 is flat, channel 3 rises down only.
uint32_t sourceValue(uint32_t x, uint32_t y, uint32_t c) {
  switch (c) {
    case 0: return 16 * x + 64 * y;
    case 1: return 48 - 16 * x;
    case 2: return 77;
    default: return 64 * y;
  }
}
uint32_t expectedValue(uint32_t x, uint32_t y, uint32_t c) {
  switch (c) {
    case 0: return kRampUp[x] + kTallUp[y];
    case 1: return 48 - kRampUp[x];
    case 2: return 77;
    default: return kTallUp[y];
  }
}

// 16-bit formats carry the 8-bit values times 256 (still whole numbers after the weights).
uint32_t scaleFor(uint32_t bytesPerPixel) { return bytesPerPixel == 2 || bytesPerPixel == 8 ? 256 : 1; }

TEST(ImagingResize, DoublingAGradientKeepsOrientationAndCentres) {
  for (uint32_t bpp : {1u, 2u, 3u, 4u, 8u}) {
    SCOPED_TRACE(::testing::Message() << bpp << " bytes per pixel");
    const uint32_t k = scaleFor(bpp);
    Picture src(4, 4, bpp), dst(8, 8, bpp);
    src.fill([&](uint32_t x, uint32_t y, uint32_t c) { return sourceValue(x, y, c) * k; });
    ASSERT_NE(IS3ResizeImage(src.data(), 4, 4, src.pitch, dst.data(), 8, 8, dst.pitch, bpp), 0u);
    for (uint32_t y = 0; y < 8; ++y)
      for (uint32_t x = 0; x < 8; ++x)
        for (uint32_t c = 0; c < dst.channels(); ++c)
          ASSERT_EQ(dst.channel(x, y, c), expectedValue(x, y, c) * k) << x << "," << y << " channel " << c;
    EXPECT_TRUE(dst.paddingIntact());
  }
}

TEST(ImagingResize, ShrinkingSamplesBetweenPixelsWithoutAveraging) {
  // Halved, destination x samples 2x + 0.5, the middle of pixels 2x and 2x + 1: the ramp
  // 0, 10, ... 70 gives 5, 25, 45, 65 (pinned corners would give 0, 23, 47, 70). Quartered,
  // 4x + 1.5, the middle of pixels 1 and 2 and of 5 and 6: the row 0, 0, 80, 0, 0, 0, 0, 160
  // gives 40 and 0, where averaging each 4-pixel block would give 20 and 40.
  struct Case {
    std::vector<uint32_t> row, want;
  };
  const Case cases[] = {{{0, 10, 20, 30, 40, 50, 60, 70}, {5, 25, 45, 65}},
                        {{0, 0, 80, 0, 0, 0, 0, 160}, {40, 0}}};
  for (uint32_t bpp : {1u, 3u, 8u}) {
    const uint32_t k = scaleFor(bpp);
    for (const Case& c : cases) {
      const uint32_t dw = uint32_t(c.want.size());
      SCOPED_TRACE(::testing::Message() << bpp << " bytes per pixel to " << dw);
      // Channel 1 holds the row mirrored, so its result is the mirrored expectation.
      Picture src(8, 2, bpp), dst(dw, 1, bpp);
      src.fill([&](uint32_t x, uint32_t, uint32_t ch) { return (ch == 1 ? c.row[7 - x] : c.row[x]) * k; });
      ASSERT_NE(IS3ResizeImage(src.data(), 8, 2, src.pitch, dst.data(), dw, 1, dst.pitch, bpp), 0u);
      for (uint32_t x = 0; x < dw; ++x) {
        ASSERT_EQ(dst.channel(x, 0, 0), c.want[x] * k) << x;
        if (dst.channels() > 1) {
          ASSERT_EQ(dst.channel(x, 0, 1), c.want[dw - 1 - x] * k) << x;
        }
      }
    }
  }
}

TEST(ImagingResize, OneAxisAtATime) {
  // 4 x 1 to 8 x 3: the columns follow the ramp, the rows repeat the single source row.
  Picture src(4, 1, 1), dst(8, 3, 1);
  src.fill([](uint32_t x, uint32_t, uint32_t) { return 16 * x; });
  ASSERT_NE(IS3ResizeImage(src.data(), 4, 1, src.pitch, dst.data(), 8, 3, dst.pitch, 1), 0u);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 8; ++x) ASSERT_EQ(dst.channel(x, y, 0), kRampUp[x]) << x << "," << y;
  // 1 x 4 to 1 x 8: the column ramp 0, 64, 128, 192 doubled.
  Picture tall(1, 4, 1), tallDst(1, 8, 1);
  tall.fill([](uint32_t, uint32_t y, uint32_t) { return 64 * y; });
  ASSERT_NE(IS3ResizeImage(tall.data(), 1, 4, tall.pitch, tallDst.data(), 1, 8, tallDst.pitch, 1), 0u);
  for (uint32_t y = 0; y < 8; ++y) ASSERT_EQ(tallDst.channel(0, y, 0), kTallUp[y]) << y;
  EXPECT_TRUE(dst.paddingIntact());
}

}  // namespace
}  // namespace rvl::test
