// The mask overlay in the view for a mask made by the builders: hand-worked overlay bytes
// of every region and square colour, and the whole view against a bitmap assembled from
// them (compared by CRC).
#include <zlib.h>

#include <array>
#include <vector>

#include "compose/view_support.h"

namespace rvl::test {
namespace {

using Bgr = std::array<uint8_t, 3>;

// Page 80 x 48, background opaque white (65280: every composite channel v = 65280).
// Columns 0..19 red, 20..39 green, 40..79 blue in the builders' picture; the red range
// (tolerance 0, v 255) protects the red columns (m = 0), the green hue range (tolerance
// 10: 18 degrees, v 128) half-protects the green ones (m = 32512), the blue ones keep
// the page's 65535. Overlay A red (odd squares), B blue (even squares), 32-pixel squares.
//
// Overlay byte = (((m' x v) >> 8) + ((n x O) >> 8)) >> 16 with n = 65535 - m', v = 65280,
// O = 65280 or 0; m' = m / 2 + 32767 at half strength, m at full:
//   half, m 0:     m' 32767: O on 254, O off 127
//   half, m 32512: m' 49023: O on 254, O off 190
//   full, m 0:     m' 0:     O on 254, O off 0
//   full, m 32512: m' 32512: O on 254, O off 126
// and 255 where m = 65535.
class MaskView : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    fill(1, {65280, 65280, 65280, 65535});
    std::vector<uint8_t> picture(size_t(PW) * PH * 4, 0);
    for (int y = 0; y < PH; ++y)
      for (int x = 0; x < PW; ++x) {
        uint8_t* p = &picture[(size_t(y) * PW + x) * 4];
        p[x < 20 ? 0 : x < 40 ? 1 : 2] = 255;
        p[3] = 255;
      }
    RVL_CreateMaskFromRGBAImageColorRange(picture.data(), 255, 0, 0, 0, 255);
    RVL_CreateMaskFromRGBAImageHueRange(picture.data(), 0, 255, 0, 10, 128);
    RVL_DisplayMask(1);
  }
  static Bgr expected(int x, int y, bool full) {
    if (x >= 40) return {255, 255, 255};
    const bool odd = (((x >> 5) + (y >> 5)) & 1) != 0;
    const uint8_t on = 254;
    const uint8_t off = x < 20 ? (full ? 0 : 127) : (full ? 126 : 190);
    return odd ? Bgr{off, off, on} : Bgr{on, off, off};  // red A / blue B, as blue, green, red
  }
  static uint32_t crcOf(const std::vector<uint8_t>& bytes) { return uint32_t(crc32(0, bytes.data(), uInt(bytes.size()))); }
  void check(bool full) {
    ViewBitmap out(PW, PH, 0);
    RVL_Render(out.data(), out.pitch, 0, 0, PW, PH);
    std::vector<uint8_t> want(out.bytes.size());
    for (int y = 0; y < PH; ++y)
      for (int x = 0; x < PW; ++x) {
        const Bgr e = expected(x, y, full);
        for (int k = 0; k < 3; ++k) want[size_t(y) * out.pitch + size_t(x) * 3 + k] = e[size_t(k)];
      }
    // Hand-worked samples: one per region and square colour.
    const struct { int x, y; } samples[] = {{5, 5}, {25, 5}, {35, 5}, {10, 40}, {25, 40}, {50, 5}, {70, 40}};
    for (const auto& s : samples) EXPECT_EQ(out.at(s.x, s.y), expected(s.x, s.y, full)) << s.x << "," << s.y;
    EXPECT_EQ(crcOf(out.bytes), crcOf(want)) << (full ? "full" : "half");
  }
};

TEST_F(MaskView, BuilderMaskThroughTheOverlay) {
  EXPECT_EQ(page.mask[0], 0);
  EXPECT_EQ(page.mask[25], 32512);
  EXPECT_EQ(page.mask[45], 65535);
  RVL_SetMaskOptions(255, 0, 0, 0, 0, 255, 0);
  check(false);
  EXPECT_EQ(expected(5, 5, false), (Bgr{254, 127, 127}));   // blue square, protected
  EXPECT_EQ(expected(35, 5, false), (Bgr{190, 190, 254}));  // red square, half
  RVL_SetMaskOptions(255, 0, 0, 0, 0, 255, 1);
  check(true);
}

TEST_F(MaskView, HiddenOrDisabledMaskDrawsNoOverlay) {
  RVL_SetMaskOptions(255, 0, 0, 0, 0, 255, 1);
  for (int step = 0; step < 2; ++step) {
    if (step == 0) RVL_DisplayMask(0);
    else RVL_DisplayMask(1), RVL_EnableMask(0);
    ViewBitmap out(PW, PH, 0);
    RVL_Render(out.data(), out.pitch, 0, 0, PW, PH);
    for (uint8_t b : out.bytes) ASSERT_EQ(b, 255) << step;
  }
}

}  // namespace
}  // namespace rvl::test
