#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "external/imaging/imaging.h"
#include "support/pixel_picture.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

uint32_t pattern(uint32_t x, uint32_t y, uint32_t c) {
  return (x * 37 + y * 11 + c * 61 + 5) & 255;
}

class ImagingConversion : public ::testing::Test {
 protected:
  void SetUp() override { IS3Initialize(0); }
};

TEST_F(ImagingConversion, SwapIsItsOwnInverse) {
  Picture image(5, 3, 4);
  image.fill(pattern);
  const std::vector<uint8_t> original = image.bytes;

  ASSERT_NE(IS3RGBAToBGRA(image.data(), image.width, image.height, image.pitch), 0u);
  for (uint32_t y = 0; y < image.height; ++y)
    for (uint32_t x = 0; x < image.width; ++x) {
      EXPECT_EQ(image.channel(x, y, 0), pattern(x, y, 2));
      EXPECT_EQ(image.channel(x, y, 1), pattern(x, y, 1));
      EXPECT_EQ(image.channel(x, y, 2), pattern(x, y, 0));
      EXPECT_EQ(image.channel(x, y, 3), pattern(x, y, 3));
    }
  EXPECT_TRUE(image.paddingIntact());

  ASSERT_NE(IS3RGBAToBGRA(image.data(), image.width, image.height, image.pitch), 0u);
  EXPECT_EQ(image.bytes, original);
}

TEST_F(ImagingConversion, RGBToRGBAAndBack) {
  Picture rgb(4, 3, 3), rgba(4, 3, 4), back(4, 3, 3), alpha(4, 3, 1);
  rgb.fill(pattern);
  ASSERT_NE(IS3RGBToRGBA(rgb.data(), 4, 3, rgb.pitch, rgba.data(), rgba.pitch), 0u);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 4; ++x)
      for (uint32_t c = 0; c < 4; ++c)
        EXPECT_EQ(rgba.channel(x, y, c), c == 3 ? 255u : pattern(x, y, c));

  rgba.setChannel(2, 1, 3, 7);
  ASSERT_NE(IS3RGBAToRGBPlusAlpha(rgba.data(), 4, 3, rgba.pitch, back.data(), back.pitch,
                                  alpha.data(), alpha.pitch),
            0u);
  EXPECT_EQ(back.bytes, rgb.bytes);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 4; ++x)
      EXPECT_EQ(alpha.channel(x, y, 0), x == 2 && y == 1 ? 7u : 255u);
  EXPECT_TRUE(alpha.paddingIntact());

  // Without an alpha plane only the colours are written.
  Picture colours(4, 3, 3);
  ASSERT_NE(IS3RGBAToRGBPlusAlpha(rgba.data(), 4, 3, rgba.pitch, colours.data(), colours.pitch,
                                  nullptr, 0),
            0u);
  EXPECT_EQ(colours.bytes, rgb.bytes);
}

TEST_F(ImagingConversion, SplitAndCombineRoundTrip) {
  for (uint32_t bpp : {3u, 4u}) {
    SCOPED_TRACE(bpp);
    Picture image(5, 4, bpp);
    image.fill(pattern);
    std::vector<Picture> planes(4, Picture(5, 4, 1));
    uint8_t* out[4] = {planes[0].data(), planes[1].data(), planes[2].data(), planes[3].data()};
    ASSERT_NE(IS3SplitImage(image.data(), 5, 4, bpp, image.pitch, out, planes[0].pitch), 0u);
    for (uint32_t c = 0; c < 4; ++c)
      for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 5; ++x)
          EXPECT_EQ(planes[c].channel(x, y, 0), c < bpp ? pattern(x, y, c) : Picture::kPadding);

    Picture rebuilt(5, 4, bpp);
    const uint8_t* in[4] = {out[0], out[1], out[2], out[3]};
    ASSERT_NE(
        IS3CombineImageChannels(rebuilt.data(), 5, 4, bpp, rebuilt.pitch, in, planes[0].pitch), 0u);
    EXPECT_EQ(rebuilt.bytes, image.bytes);
  }
}

TEST_F(ImagingConversion, NullPlanesAreSkipped) {
  // Alpha moved into red and back, as the geometric effects do.
  Picture image(3, 2, 4);
  image.fill(pattern);
  Picture alpha(3, 2, 1, 0);
  uint8_t* onlyAlpha[4] = {nullptr, nullptr, nullptr, alpha.data()};
  ASSERT_NE(IS3SplitImage(image.data(), 3, 2, 4, image.pitch, onlyAlpha, 3), 0u);
  const uint8_t* asRed[4] = {alpha.data(), nullptr, nullptr, nullptr};
  ASSERT_NE(IS3CombineImageChannels(image.data(), 3, 2, 4, image.pitch, asRed, 3), 0u);
  for (uint32_t y = 0; y < 2; ++y)
    for (uint32_t x = 0; x < 3; ++x)
      for (uint32_t c = 0; c < 4; ++c)
        EXPECT_EQ(image.channel(x, y, c), pattern(x, y, c == 0 ? 3 : c));
  EXPECT_TRUE(image.paddingIntact());

  // One grey plane as red, green and blue of an RGB24 image.
  Picture rgb(3, 2, 3);
  const uint8_t* grey[4] = {alpha.data(), alpha.data(), alpha.data(), nullptr};
  ASSERT_NE(IS3CombineImageChannels(rgb.data(), 3, 2, 3, rgb.pitch, grey, 3), 0u);
  for (uint32_t c = 0; c < 3; ++c) EXPECT_EQ(rgb.channel(2, 1, c), pattern(2, 1, 3));
}

TEST_F(ImagingConversion, GreyOfKnownColours) {
  struct Case {
    uint8_t r, g, b, grey;
  };
  const Case cases[] = {{0, 0, 0, 0},    {255, 255, 255, 255}, {255, 0, 0, 77},   {0, 255, 0, 149},
                        {0, 0, 255, 29}, {128, 128, 128, 128}, {10, 200, 60, 127}};
  for (uint32_t bpp : {3u, 4u}) {
    Picture image(7, 1, bpp);
    for (uint32_t i = 0; i < 7; ++i) {
      image.setChannel(i, 0, 0, cases[i].r);
      image.setChannel(i, 0, 1, cases[i].g);
      image.setChannel(i, 0, 2, cases[i].b);
      if (bpp == 4) image.setChannel(i, 0, 3, 13 * i);  // alpha does not count
    }
    Picture grey(7, 1, 1);
    ASSERT_NE(IS3ImageToGrayScale8Bit(image.data(), 7, 1, bpp, image.pitch, grey.data(), 7, 0), 0u);
    for (uint32_t i = 0; i < 7; ++i)
      EXPECT_EQ(grey.channel(i, 0, 0), cases[i].grey) << bpp << " " << i;
  }
}

TEST_F(ImagingConversion, BadArgumentsTouchNothing) {
  Picture a(4, 3, 4), b(4, 3, 4), plane(4, 3, 1);
  uint8_t* planes[4] = {plane.data(), nullptr, nullptr, nullptr};
  const uint8_t* cplanes[4] = {plane.data(), nullptr, nullptr, nullptr};
  const std::pair<const char*, std::function<uint32_t()>> cases[] = {
      {"swap null", [&] { return IS3RGBAToBGRA(nullptr, 4, 3, a.pitch); }},
      {"swap width 0", [&] { return IS3RGBAToBGRA(a.data(), 0, 3, a.pitch); }},
      {"swap height 0", [&] { return IS3RGBAToBGRA(a.data(), 4, 0, a.pitch); }},
      {"swap pitch", [&] { return IS3RGBAToBGRA(a.data(), 4, 3, 15); }},
      {"swap width past 2^31", [&] { return IS3RGBAToBGRA(a.data(), 0x80000000u, 1, UINT32_MAX); }},
      {"rgb to rgba pitch", [&] { return IS3RGBToRGBA(a.data(), 4, 3, 11, b.data(), b.pitch); }},
      {"rgb to rgba null", [&] { return IS3RGBToRGBA(a.data(), 4, 3, a.pitch, nullptr, b.pitch); }},
      {"plus alpha, alpha pitch",
       [&] {
         return IS3RGBAToRGBPlusAlpha(a.data(), 4, 3, a.pitch, b.data(), 12, plane.data(), 3);
       }},
      {"split bpp 2",
       [&] { return IS3SplitImage(a.data(), 4, 3, 2, a.pitch, planes, plane.pitch); }},
      {"split no array",
       [&] { return IS3SplitImage(a.data(), 4, 3, 4, a.pitch, nullptr, plane.pitch); }},
      {"split plane pitch", [&] { return IS3SplitImage(a.data(), 4, 3, 4, a.pitch, planes, 3); }},
      {"split image pitch",
       [&] { return IS3SplitImage(a.data(), 4, 3, 4, 12, planes, plane.pitch); }},
      {"combine null image",
       [&] { return IS3CombineImageChannels(nullptr, 4, 3, 4, a.pitch, cplanes, plane.pitch); }},
      {"combine plane pitch",
       [&] { return IS3CombineImageChannels(a.data(), 4, 3, 4, a.pitch, cplanes, 3); }},
      {"combine bpp 1",
       [&] { return IS3CombineImageChannels(a.data(), 4, 3, 1, a.pitch, cplanes, plane.pitch); }},
      {"grey bpp 1",
       [&] {
         return IS3ImageToGrayScale8Bit(a.data(), 4, 3, 1, a.pitch, plane.data(), plane.pitch, 0);
       }},
      {"grey dst pitch",
       [&] { return IS3ImageToGrayScale8Bit(a.data(), 4, 3, 4, a.pitch, plane.data(), 3, 0); }},
      {"grey null dst",
       [&] { return IS3ImageToGrayScale8Bit(a.data(), 4, 3, 4, a.pitch, nullptr, 4, 0); }},
  };
  a.fill(pattern);
  b.fill(pattern);
  plane.fill(pattern);
  const auto before = std::vector{a.bytes, b.bytes, plane.bytes};
  for (const auto& [name, call] : cases) {
    setLastError(kNoError);
    EXPECT_EQ(call(), 0u) << name;
    EXPECT_EQ(IS3GetLastError(), kBadArgument) << name;
    EXPECT_EQ((std::vector{a.bytes, b.bytes, plane.bytes}), before) << name;
  }
}

}  // namespace
}  // namespace rvl::test
