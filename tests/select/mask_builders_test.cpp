// The mask builders: for every rule a table of pixels against a reference, each checked on
// its own page pixel with the other pixels as non-matching filler; the builder values; the
// rule table's walk split between threads giving the same mask as one thread.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "frame/parallel_rows.h"
#include "select/select.h"
#include "select_support.h"

namespace rvl::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Px {
  uint8_t r, g, b, a;
};

// One case: a builder call over the page picture, the pixel under test and whether the
// builder selects it.
struct Case {
  std::string name;
  std::function<void(const uint8_t*)> build;
  Px pixel;
  bool selected;
  bool fillerToo = false;  // the builder takes the filler pixels as well
};

class MaskBuilders : public MaskPage {
 protected:
  // Pixel 5 holds the case's pixel, every other pixel a filler that no case selects
  // except where said; the builder strength is 0 (65280).
  void run(const std::vector<Case>& cases, Px filler = {1, 254, 3, 7}) {
    for (const Case& c : cases) {
      std::vector<uint8_t> p = picture(filler.r, filler.g, filler.b, filler.a);
      p[20] = c.pixel.r, p[21] = c.pixel.g, p[22] = c.pixel.b, p[23] = c.pixel.a;
      fillMask(kUntouched);
      c.build(p.data());
      EXPECT_EQ(page.mask[5], c.selected ? 65280 : kUntouched) << c.name;
      EXPECT_EQ(page.mask[0], c.fillerToo ? 65280 : kUntouched) << c.name << " (filler)";
    }
  }
};

TEST_F(MaskBuilders, BuilderValueFromStrength) {
  // (255 - v) x 256 on v's low byte.
  const struct { int32_t v; uint16_t value; } cases[] = {
      {0, 65280}, {128, 32512}, {255, 0}, {1, 65024}, {256, 65280}, {-1, 0}, {511, 0}};
  for (const auto& c : cases) {
    fillMask(kUntouched);
    std::vector<uint8_t> p = picture(9, 9, 9, 9);
    RVL_CreateMaskFromRGBAImageColor(p.data(), 9, 9, 9, c.v);
    EXPECT_EQ(page.mask[0], c.value) << c.v;
    EXPECT_EQ(page.mask[count() - 1], c.value) << c.v;
    EXPECT_EQ(builderValue(c.v), c.value);
  }
}

TEST_F(MaskBuilders, ExactColour) {
  auto rgba = [](int r, int g, int b) {
    return [=](const uint8_t* p) { RVL_CreateMaskFromRGBAImageColor(p, r, g, b, 0); };
  };
  run({{"equal, alpha ignored", rgba(10, 20, 30), {10, 20, 30, 0}, true},
       {"blue off by one", rgba(10, 20, 30), {10, 20, 31, 255}, false},
       {"red off by one", rgba(10, 20, 30), {11, 20, 30, 255}, false},
       {"a reference of 266 is not the byte 10", rgba(266, 20, 30), {10, 20, 30, 255}, false},
       {"white", rgba(255, 255, 255), {255, 255, 255, 255}, true}});
}

TEST_F(MaskBuilders, ExactColourRGB24) {
  // Packed RGB24 rows of pageWidth * 3 bytes: pixel 5 at byte 15.
  std::vector<uint8_t> p(count() * 3, 0);
  p[15] = 10, p[16] = 20, p[17] = 30;
  p[18] = 10, p[19] = 20, p[20] = 31;
  RVL_CreateMaskFromRGB24ImageColor(p.data(), 10, 20, 30, 128);
  EXPECT_EQ(page.mask[5], 32512);
  EXPECT_EQ(page.mask[6], kUntouched);
  EXPECT_EQ(page.mask[0], kUntouched);
  RVL_CreateMaskFromRGB24ImageColor(p.data(), 0, 0, 0, 255);  // every other pixel
  EXPECT_EQ(page.mask[0], 0);
  EXPECT_EQ(page.mask[count() - 1], 0);
  EXPECT_EQ(page.mask[5], 32512);
}

TEST_F(MaskBuilders, ColourRange) {
  // T = trunc(tolerance x 2.56): 10 gives 25, 20 gives 51, 100 gives 256.
  auto range = [](int r, int g, int b, int tolerance) {
    return [=](const uint8_t* p) { RVL_CreateMaskFromRGBAImageColorRange(p, r, g, b, tolerance, 0); };
  };
  run({{"each channel 25 off", range(100, 100, 100, 10), {125, 75, 125, 0}, true},
       {"one channel 26 off", range(100, 100, 100, 10), {126, 100, 100, 255}, false},
       {"green 26 below", range(100, 100, 100, 10), {100, 74, 100, 255}, false},
       {"tolerance 0 exact", range(100, 100, 100, 0), {100, 100, 100, 255}, true},
       {"tolerance 0 off by one", range(100, 100, 100, 0), {100, 101, 100, 255}, false},
       {"tolerance 100 takes the opposite corner", range(255, 0, 255, 100), {0, 255, 0, 255}, true, true},
       {"tolerance beyond 100 as 100", range(255, 0, 255, 5000), {0, 255, 0, 255}, true, true},
       {"negative tolerance selects nothing", range(100, 100, 100, -5), {100, 100, 100, 255}, false},
       {"reference 300 is 45 from 255", range(300, 0, 0, 10), {255, 0, 0, 255}, false},
       {"reference 300 within 51", range(300, 0, 0, 20), {255, 0, 0, 255}, true},
       {"reference far below the bytes", range(std::numeric_limits<int32_t>::min(), 0, 0, 100), {0, 0, 0, 255}, false},
       {"reference far above the bytes", range(std::numeric_limits<int32_t>::max(), 0, 0, 100), {255, 0, 0, 255},
        false}});
}

TEST_F(MaskBuilders, AlphaRange) {
  auto range = [](int a, int tolerance) {
    return [=](const uint8_t* p) { RVL_CreateMaskFromRGBAImageAlphaRange(p, a, tolerance, 0); };
  };
  // tolerance 5: T = trunc(12.8) = 12.
  run({{"12 below", range(200, 5), {0, 0, 0, 188}, true},
       {"13 below", range(200, 5), {0, 0, 0, 187}, false},
       {"12 above", range(200, 5), {9, 9, 9, 212}, true},
       {"13 above", range(200, 5), {9, 9, 9, 213}, false},
       {"transparent with tolerance 0", range(0, 0), {5, 5, 5, 0}, true}});
}

TEST_F(MaskBuilders, LuminanceRange) {
  auto range = [](int r, int g, int b, int tolerance) {
    return [=](const uint8_t* p) { RVL_CreateMaskFromRGBAImageLuminanceRange(p, r, g, b, tolerance, 0); };
  };
  // Reference (10, 20, 30): L0 = 20; tolerance 2: T = trunc(5.12) = 5.
  run({{"L 25", range(10, 20, 30, 2), {25, 25, 25, 255}, true},
       {"L 26", range(10, 20, 30, 2), {26, 26, 26, 255}, false},
       {"sum 77 is L 25", range(10, 20, 30, 2), {27, 25, 25, 255}, true},
       {"sum 78 is L 26", range(10, 20, 30, 2), {28, 25, 25, 255}, false},
       {"L 15 from one channel", range(10, 20, 30, 2), {0, 0, 45, 255}, true},
       {"L 14", range(10, 20, 30, 2), {0, 0, 44, 255}, false},
       {"a different colour of the same luminance", range(10, 20, 30, 0), {60, 0, 0, 255}, true}});
}

TEST_F(MaskBuilders, HueRange) {
  auto range = [](int r, int g, int b, int tolerance) {
    return [=](const uint8_t* p) { RVL_CreateMaskFromRGBAImageHueRange(p, r, g, b, tolerance, 0); };
  };
  // (255, 21, 0) has hue 21/255 x 60 = 4.94 degrees, (255, 0, 21) has 360 - 4.94 = 355.06:
  // across 0 they are 9.88 apart, which truncates to 9. Tolerance 5 gives T = trunc(9.0) = 9,
  // tolerance 4 gives T = 7, tolerance 10 gives 18, tolerance 100 gives 180.
  run({{"355 against 5 across 0", range(255, 21, 0, 10), {255, 0, 21, 255}, true},
       {"5 against 355 across 0", range(255, 0, 21, 10), {255, 21, 0, 255}, true},
       {"9 degrees at T 9", range(255, 21, 0, 5), {255, 0, 21, 255}, true},
       {"9 degrees at T 7", range(255, 21, 0, 4), {255, 0, 21, 255}, false},
       {"same hue, darker", range(255, 0, 0, 0), {128, 0, 0, 255}, true},
       {"red against cyan at T 18", range(255, 0, 0, 10), {0, 255, 255, 255}, false},
       {"red against cyan at T 180", range(255, 0, 0, 100), {0, 255, 255, 255}, true, true},
       {"grey reference, grey pixel, T 0", range(128, 128, 128, 0), {10, 10, 10, 255}, true},
       {"grey reference, red pixel, T 0", range(128, 128, 128, 0), {255, 0, 0, 255}, false},
       {"grey reference, red pixel, T 1", range(128, 128, 128, 1), {255, 0, 0, 255}, true},
       {"negative tolerance", range(255, 0, 0, -1), {255, 0, 0, 255}, false},
       {"reference bytes beyond 255 as 255", range(1000, 0, 0, 0), {255, 0, 0, 255}, true}},
      {0, 0, 255, 255});  // blue filler: hue 240
}

TEST_F(MaskBuilders, HslRange) {
  auto range = [](int r, int g, int b, double h, double s, double l) {
    return [=](const uint8_t* p) { RVL_CreateMaskFromRGBAImageHSLRange(p, r, g, b, h, s, l, 0); };
  };
  // Red: H 0, S 1, L 0.5. (128, 0, 0): H 0, S 1, L 128/255/2 = 0.25098. (255, 0, 21):
  // H 355.06 (4 across 0 after truncation), S 1, L 0.5.
  run({{"darker red within lightness 0.25", range(255, 0, 0, 0, 0, 0.25), {128, 0, 0, 255}, true},
       {"darker red beyond lightness 0.24", range(255, 0, 0, 0, 0, 0.24), {128, 0, 0, 255}, false},
       {"hue 4 across 0 within 18 degrees", range(255, 0, 0, 0.1, 0, 0), {255, 0, 21, 255}, true},
       {"hue 4 across 0 beyond 3.6 degrees", range(255, 0, 0, 0.02, 0, 0), {255, 0, 21, 255}, false},
       {"grey against grey, zero tolerances", range(128, 128, 128, 0, 0, 0), {128, 128, 128, 255}, true},
       {"NaN hue tolerance", range(255, 0, 0, kNaN, 1, 1), {255, 0, 0, 255}, false},
       {"NaN saturation tolerance", range(255, 0, 0, 1, kNaN, 1), {255, 0, 0, 255}, false},
       {"negative lightness tolerance", range(255, 0, 0, 1, 1, -0.1), {255, 0, 0, 255}, false},
       {"infinite tolerances take everything", range(255, 0, 0, 1e300, 1e300, 1e300), {0, 255, 255, 0}, true, true}},
      {0, 0, 255, 255});
}

TEST_F(MaskBuilders, FloodAndDifference) {
  std::vector<uint8_t> flood(count(), 0);
  flood[1] = 1, flood[2] = 2, flood[3] = 255;
  RVL_CreateMaskFromFloodMask(flood.data(), 255);
  EXPECT_EQ(page.mask[1], 0);
  EXPECT_EQ(page.mask[0], kUntouched);
  EXPECT_EQ(page.mask[2], kUntouched);
  EXPECT_EQ(page.mask[3], kUntouched);

  fillMask(kUntouched);
  std::vector<uint8_t> a = picture(1, 2, 3, 4), b = a;
  b[4 * 3 + 3] = 5;  // only alpha differs
  b[4 * 6 + 0] = 0;  // only red differs
  RVL_CreateMaskFromDiff_RGBA32(a.data(), b.data(), 0x1234);  // the value as it is
  for (size_t i = 0; i < count(); ++i) EXPECT_EQ(page.mask[i], (i == 3 || i == 6) ? 0x1234 : kUntouched) << i;
  RVL_CreateMaskFromDiff_RGBA32(a.data(), a.data(), 0);  // nothing differs: empty selection
  EXPECT_EQ(page.mask[0], kUntouched);
}

TEST_F(MaskBuilders, NullBuffersAndNoPageDoNothing) {
  RVL_CreateMaskFromRGBAImageColorRange(nullptr, 0, 0, 0, 100, 0);
  RVL_CreateMaskFromRGBAImageHueRange(nullptr, 0, 0, 0, 100, 0);
  RVL_CreateMaskFromFloodMask(nullptr, 0);
  std::vector<uint8_t> a = picture(0, 0, 0, 0);
  RVL_CreateMaskFromDiff_RGBA32(a.data(), nullptr, 0);
  RVL_CreateMaskFromDiff_RGBA32(nullptr, a.data(), 0);
  for (size_t i = 0; i < count(); ++i) ASSERT_EQ(page.mask[i], kUntouched);
  RVL_DeleteImage();
  RVL_CreateMaskFromRGBAImageColorRange(a.data(), 0, 0, 0, 100, 0);  // no mask: nothing
}

TEST_F(MaskBuilders, FullAndEmptySelections) {
  std::vector<uint8_t> p = picture(10, 200, 30, 40);
  p[0] = 255;
  RVL_CreateMaskFromRGBAImageLuminanceRange(p.data(), 0, 0, 0, 100, 0);  // T 256: everything
  for (size_t i = 0; i < count(); ++i) ASSERT_EQ(page.mask[i], 65280);
  RVL_CreateMaskFromRGBAImageAlphaRange(p.data(), 200, 10, 255);  // nothing within 25 of 200
  for (size_t i = 0; i < count(); ++i) ASSERT_EQ(page.mask[i], 65280);
}

TEST_F(MaskBuilders, ReplaceAlphaRange) {
  std::vector<uint8_t> p = picture(1, 2, 3, 100);
  p[4 + 3] = 98;   // T = trunc(2.56) = 2: replaced
  p[8 + 3] = 97;   // kept
  p[12 + 3] = 102; // replaced
  RVL_ReplaceFromRGBAImageAlphaRange(p.data(), 100, 1, 7, 8, 9, 300);  // newAlpha's low byte: 44
  const uint8_t replaced[4] = {7, 8, 9, 44};
  for (int i : {0, 1, 3})
    for (int c = 0; c < 4; ++c) EXPECT_EQ(p[size_t(i) * 4 + c], replaced[c]) << i;
  EXPECT_EQ(p[8], 1);
  EXPECT_EQ(p[11], 97);
  RVL_ReplaceFromRGBAImageAlphaRange(p.data(), 97, -1, 0, 0, 0, 0);  // negative tolerance: nothing
  EXPECT_EQ(p[11], 97);
}

// The walk split between threads gives the mask of one thread, for every rule.
TEST_F(MaskBuilders, SplitWalkMatchesOneThread) {
  makePage(1031, 523);
  std::vector<uint8_t> p(count() * 4), q(count() * 4);
  uint32_t s = 7;
  for (size_t i = 0; i < p.size(); ++i) {
    s = s * 1664525u + 1013904223u;
    p[i] = uint8_t(s >> 24);
    q[i] = (s >> 8) % 5 == 0 ? uint8_t(p[i] + 1) : p[i];
  }
  p[0] = 120, p[1] = 60, p[2] = 200;  // the exact colour once, in both layouts
  std::vector<uint8_t> flood(count());
  for (size_t i = 0; i < count(); ++i) flood[i] = p[i * 4] & 1;
  for (int k = 0; k < kMaskMatchKinds; ++k) {
    MaskRule rule;
    rule.match = MaskMatch(k);
    rule.r = 120, rule.g = 60, rule.b = 200, rule.tolerance = 90;
    rule.hueTolerance = 40, rule.saturationTolerance = 0.4, rule.lightnessTolerance = 0.3;
    const uint8_t* source = rule.match == MaskMatch::Flood ? flood.data() : p.data();
    std::vector<uint16_t> one(count(), 1), split(count(), 1);
    rvl::testing::setParallelRowWorkers(1);
    buildMask(rule, source, q.data(), one.data(), W, H, 500);
    rvl::testing::setParallelRowWorkers(0);
    buildMask(rule, source, q.data(), split.data(), W, H, 500);
    EXPECT_EQ(one, split) << k;
    size_t selected = 0;
    for (uint16_t v : one) selected += v == 500;
    EXPECT_GT(selected, 0u) << k;  // the rule did select some pixels and left others
    EXPECT_LT(selected, count()) << k;
  }
}

}  // namespace
}  // namespace rvl::test
