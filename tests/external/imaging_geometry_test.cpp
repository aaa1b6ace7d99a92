#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "external/imaging/imaging.h"
#include "support/pixel_picture.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

uint32_t maxValue(uint32_t bpp) { return bpp == 2 || bpp == 8 ? 65535 : 255; }

class ImagingGeometry : public ::testing::Test {
 protected:
  void SetUp() override { IS3Initialize(0); }
};

// Every 2 × 2 block holds four values around its mean (base + 3), scaled to the channel.
TEST_F(ImagingGeometry, DecimateAveragesBlocks) {
  for (uint32_t bpp : {4u, 8u}) {
    SCOPED_TRACE(bpp);
    const uint32_t scale = bpp == 8 ? 257 : 1;
    auto base = [](uint32_t bx, uint32_t by, uint32_t c) { return 16 * (bx + 3 * by) + 40 * c; };
    Picture src(6, 4, bpp);
    src.fill([&](uint32_t x, uint32_t y, uint32_t c) {
      return (base(x / 2, y / 2, c) + 2 * ((x & 1) + 2 * (y & 1))) * scale;
    });

    Picture mean(3, 2, bpp);
    ASSERT_NE(IS3DecimateImage(src.data(), 6, 4, src.pitch, mean.data(), 3, 2, mean.pitch, bpp, 1),
              0u);
    Picture nearest(3, 2, bpp);
    ASSERT_NE(
        IS3DecimateImage(src.data(), 6, 4, src.pitch, nearest.data(), 3, 2, nearest.pitch, bpp, 0),
        0u);
    for (uint32_t by = 0; by < 2; ++by)
      for (uint32_t bx = 0; bx < 3; ++bx)
        for (uint32_t c = 0; c < 4; ++c) {
          EXPECT_EQ(mean.channel(bx, by, c), (base(bx, by, c) + 3) * scale);
          const uint32_t picked = nearest.channel(bx, by, c) / scale - base(bx, by, c);
          EXPECT_TRUE(picked == 0 || picked == 2 || picked == 4 || picked == 6) << picked;
        }
    EXPECT_TRUE(mean.paddingIntact());

    // A destination larger than the source is resampled, not refused.
    Picture larger(9, 5, bpp);
    EXPECT_NE(
        IS3DecimateImage(src.data(), 6, 4, src.pitch, larger.data(), 9, 5, larger.pitch, bpp, 1),
        0u);
    EXPECT_TRUE(larger.paddingIntact());
  }
}

using Resampler = std::function<uint32_t(Picture&, Picture&)>;

TEST_F(ImagingGeometry, SolidPictureStaysSolid) {
  const std::pair<const char*, Resampler> resamplers[] = {
      {"decimate average",
       [](Picture& s, Picture& d) {
         return IS3DecimateImage(s.data(), s.width, s.height, s.pitch, d.data(), d.width, d.height,
                                 d.pitch, s.bytesPerPixel, 1);
       }},
      {"decimate nearest",
       [](Picture& s, Picture& d) {
         return IS3DecimateImage(s.data(), s.width, s.height, s.pitch, d.data(), d.width, d.height,
                                 d.pitch, s.bytesPerPixel, 0);
       }},
      {"resize",
       [](Picture& s, Picture& d) {
         return IS3ResizeImage(s.data(), s.width, s.height, s.pitch, d.data(), d.width, d.height,
                               d.pitch, s.bytesPerPixel);
       }},
      {"bicubic",
       [](Picture& s, Picture& d) {
         return IS3ResizeImageBicubic(s.data(), s.width, s.height, s.pitch, d.data(), d.width,
                                      d.height, d.pitch, s.bytesPerPixel);
       }},
  };
  struct Size {
    uint32_t w, h, dw, dh;
  };
  for (const auto& [name, resample] : resamplers)
    for (uint32_t bpp : {1u, 2u, 3u, 4u, 8u})
      for (Size size : {Size{5, 3, 13, 11}, Size{13, 11, 5, 3}, Size{7, 7, 7, 7}}) {
        SCOPED_TRACE(testing::Message()
                     << name << " bpp " << bpp << " " << size.w << "->" << size.dw);
        auto colour = [bpp](uint32_t, uint32_t, uint32_t c) {
          return (40 + 70 * c) * (maxValue(bpp) / 255);
        };
        Picture src(size.w, size.h, bpp), dst(size.dw, size.dh, bpp);
        src.fill(colour);
        ASSERT_NE(resample(src, dst), 0u);
        for (uint32_t y = 0; y < size.dh; ++y)
          for (uint32_t x = 0; x < size.dw; ++x)
            for (uint32_t c = 0; c < dst.channels(); ++c)
              ASSERT_EQ(dst.channel(x, y, c), colour(x, y, c));
        EXPECT_TRUE(dst.paddingIntact());
      }
}

// Bicubic overshoot at a hard edge is clamped: the enlarged step stays monotone and within
// the channel range instead of wrapping around.
TEST_F(ImagingGeometry, BicubicClampsToChannelRange) {
  for (uint32_t bpp : {1u, 8u}) {
    SCOPED_TRACE(bpp);
    const uint32_t top = maxValue(bpp);
    Picture src(8, 2, bpp), dst(32, 2, bpp);
    src.fill([&](uint32_t x, uint32_t, uint32_t) { return x < 4 ? 0 : top; });
    ASSERT_NE(IS3ResizeImageBicubic(src.data(), 8, 2, src.pitch, dst.data(), 32, 2, dst.pitch, bpp),
              0u);
    for (uint32_t c = 0; c < dst.channels(); ++c) {
      EXPECT_EQ(dst.channel(0, 0, c), 0u);
      EXPECT_EQ(dst.channel(31, 0, c), top);
      for (uint32_t x = 1; x < 32; ++x)
        EXPECT_GE(dst.channel(x, 0, c), dst.channel(x - 1, 0, c)) << x;
    }
  }
}

// The destination sits inside a larger guarded block; only the overlap may change.
TEST_F(ImagingGeometry, OverlayWritesOnlyTheOverlap) {
  struct Position {
    int32_t x, y;
  };
  const Position positions[] = {{1, 1},   {-2, -1}, {3, 3}, {-3, 4}, {4, -2},
                                {-1, -1}, {6, 0},   {0, 5}, {-4, 0}, {-10, -10}};
  constexpr uint32_t kW = 6, kH = 5, kSW = 4, kSH = 3, kGuard = 16;
  for (uint32_t bpp : {1u, 3u, 4u, 8u})
    for (Position at : positions) {
      SCOPED_TRACE(testing::Message() << "bpp " << bpp << " at " << at.x << "," << at.y);
      const uint32_t pitch = kW * bpp + 8;
      std::vector<uint8_t> block(2 * kGuard + kH * pitch, 0x3C);
      uint8_t* dst = block.data() + kGuard;
      Picture src(kSW, kSH, bpp);
      src.fill([](uint32_t x, uint32_t y, uint32_t c) { return 1 + x + 10 * y + 50 * c; });

      std::vector<uint8_t> expected = block;
      for (int32_t y = 0; y < static_cast<int32_t>(kSH); ++y)
        for (int32_t x = 0; x < static_cast<int32_t>(kSW); ++x) {
          const int32_t dx = at.x + x, dy = at.y + y;
          if (dx < 0 || dy < 0 || dx >= static_cast<int32_t>(kW) || dy >= static_cast<int32_t>(kH))
            continue;
          std::memcpy(expected.data() + kGuard + dy * pitch + dx * bpp, src.at(x, y), bpp);
        }
      ASSERT_NE(IS3OverlayImage(dst, kW, kH, bpp, pitch, src.data(), kSW, kSH, src.pitch, at.x,
                                at.y, 1.0, 0),
                0u);
      EXPECT_EQ(block, expected);
    }
}

// The undo store's use: a w × h rectangle of an RGBA64 page copied into a packed snapshot.
TEST_F(ImagingGeometry, OpaqueOverlayIsARowCopy) {
  Picture page(9, 7, 8);
  page.fill([](uint32_t x, uint32_t y, uint32_t c) { return x * 4099 + y * 257 + c * 13; });
  constexpr uint32_t kLeft = 2, kTop = 3, kW = 5, kH = 4;
  std::vector<uint8_t> copied(kW * kH * 8), expected(kW * kH * 8);
  for (uint32_t row = 0; row < kH; ++row)
    std::memcpy(expected.data() + row * kW * 8, page.at(kLeft, kTop + row), kW * 8);
  ASSERT_NE(IS3OverlayImage(copied.data(), kW, kH, 8, kW * 8, page.at(kLeft, kTop), kW, kH,
                            page.pitch, 0, 0, 1.0, 0),
            0u);
  EXPECT_EQ(copied, expected);

  // And back: the snapshot laid into the page at its rectangle.
  Picture restored(9, 7, 8);
  const std::vector<uint8_t> untouched(8, Picture::kPadding);
  ASSERT_NE(IS3OverlayImage(restored.data(), 9, 7, 8, restored.pitch, copied.data(), kW, kH, kW * 8,
                            kLeft, kTop, 1.0, 0),
            0u);
  for (uint32_t y = 0; y < 7; ++y)
    for (uint32_t x = 0; x < 9; ++x) {
      const bool inside = x >= kLeft && x < kLeft + kW && y >= kTop && y < kTop + kH;
      EXPECT_EQ(std::memcmp(restored.at(x, y), inside ? page.at(x, y) : untouched.data(), 8), 0)
          << x << "," << y;
    }
}

TEST_F(ImagingGeometry, OverlayBlendsByOpacity) {
  for (uint32_t bpp : {1u, 4u, 8u})
    for (double opacity : {0.5, 0.25, 0.0, -1.0}) {
      SCOPED_TRACE(testing::Message() << "bpp " << bpp << " opacity " << opacity);
      const uint32_t top = maxValue(bpp);
      auto under = [&](uint32_t x, uint32_t y, uint32_t c) {
        return (x * 7 + y * 3 + c * 29) * top / 64 % (top + 1);
      };
      auto over = [&](uint32_t x, uint32_t y, uint32_t c) {
        return top - (x * 5 + c * 11 + y) * top / 40 % (top + 1);
      };
      Picture dst(4, 3, bpp), src(4, 3, bpp);
      dst.fill(under);
      src.fill(over);
      ASSERT_NE(IS3OverlayImage(dst.data(), 4, 3, bpp, dst.pitch, src.data(), 4, 3, src.pitch, 0, 0,
                                opacity, 0),
                0u);
      const double o = std::max(opacity, 0.0);
      for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x)
          for (uint32_t c = 0; c < dst.channels(); ++c)
            ASSERT_EQ(dst.channel(x, y, c),
                      static_cast<uint32_t>(
                          std::floor(over(x, y, c) * o + under(x, y, c) * (1 - o) + 0.5)))
                << x << "," << y << " channel " << c;
      EXPECT_TRUE(dst.paddingIntact());
    }
}

// Each case spoils one argument of a good call; every geometry call must refuse it.
TEST_F(ImagingGeometry, BadArgumentsTouchNothing) {
  Picture src(4, 4, 4), dst(2, 2, 4), wide(4, 4, 8);
  struct Args {
    const void* src;
    uint32_t w, h, srcPitch;
    void* dst;
    uint32_t dw, dh, dstPitch, bpp;
  };
  const std::pair<const char*, std::function<void(Args&)>> cases[] = {
      {"null src", [](Args& a) { a.src = nullptr; }},
      {"null dst", [](Args& a) { a.dst = nullptr; }},
      {"width 0", [](Args& a) { a.w = 0; }},
      {"dst height 0", [](Args& a) { a.dh = 0; }},
      {"src pitch", [](Args& a) { a.srcPitch = 15; }},
      {"dst pitch", [](Args& a) { a.dstPitch = 7; }},
      {"bpp 0", [](Args& a) { a.bpp = 0; }},
      {"bpp 6", [](Args& a) { a.w = 2, a.dw = 1, a.bpp = 6; }},
      {"width past 2^31", [](Args& a) { a.w = 0x80000000u, a.srcPitch = UINT32_MAX, a.bpp = 1; }},
      {"odd 16-bit rows",
       [&](Args& a) {
         a.src = wide.data() + 1, a.w = a.h = a.dw = a.dh = 1, a.srcPitch = 9, a.bpp = 8;
       }},
  };
  src.fill([](uint32_t x, uint32_t y, uint32_t c) { return x + y + c; });
  const std::vector<uint8_t> before = dst.bytes;
  auto refused = [&](const char* name, uint32_t result) {
    EXPECT_EQ(result, 0u) << name;
    EXPECT_EQ(IS3GetLastError(), kBadArgument) << name;
    EXPECT_EQ(dst.bytes, before) << name;
    setLastError(kNoError);
  };
  for (const auto& [name, spoil] : cases) {
    Args a{src.data(), 4, 4, src.pitch, dst.data(), 2, 2, dst.pitch, 4};
    spoil(a);
    refused(name,
            IS3DecimateImage(a.src, a.w, a.h, a.srcPitch, a.dst, a.dw, a.dh, a.dstPitch, a.bpp, 1));
    refused(name,
            IS3ResizeImage(a.src, a.w, a.h, a.srcPitch, a.dst, a.dw, a.dh, a.dstPitch, a.bpp));
    refused(name, IS3ResizeImageBicubic(a.src, a.w, a.h, a.srcPitch, a.dst, a.dw, a.dh, a.dstPitch,
                                        a.bpp));
    refused(name, IS3OverlayImage(a.dst, a.dw, a.dh, a.bpp, a.dstPitch, a.src, a.w, a.h, a.srcPitch,
                                  0, 0, 0.5, 0));
  }
  refused("mode 2",
          IS3DecimateImage(src.data(), 4, 4, src.pitch, dst.data(), 2, 2, dst.pitch, 4, 2));
  refused("NaN opacity", IS3OverlayImage(dst.data(), 2, 2, 4, dst.pitch, src.data(), 4, 4,
                                         src.pitch, 0, 0, std::nan(""), 0));
}

}  // namespace
}  // namespace rvl::test
