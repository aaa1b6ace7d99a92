// The fast paths of MergePixels and the view renderer against the plain per-pixel path:
// the same bytes over every merge mode, alphas from transparent to opaque, opacities,
// Layer Mask pixels, odd widths and layers of other sizes; the table and the quotient
// they use against the expressions they stand for.
#include <cstring>
#include <vector>

#include "compose/composite_stage.h"
#include "compose/compose.h"
#include "compose/view_support.h"
#include "frame/parallel_rows.h"

namespace rvl::test {
namespace {

struct Lcg {
  uint32_t v;
  uint32_t next() { return v = v * 1664525u + 1013904223u; }
};

// Pixels of every kind: transparent, opaque, almost opaque (65280 and above), partial.
std::vector<uint16_t> pixels(size_t count, uint32_t seed) {
  std::vector<uint16_t> p(count * 4);
  Lcg g{seed};
  for (size_t i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) p[i * 4 + c] = uint16_t(g.next() >> 13);
    const uint32_t kind = (g.next() >> 27) & 7;
    const uint16_t partial = uint16_t(g.next() >> 16);
    p[i * 4 + 3] = kind == 0 ? 0 : kind == 1 ? 65535 : kind == 2 ? uint16_t(65280 + (partial & 255)) : partial;
  }
  return p;
}

TEST(ComposeTables, UnitTableIsTheQuotientByItself) {
  for (int32_t v = 0; v < 65536; ++v) ASSERT_EQ(unit65535(v), float(v / 65535.0)) << v;
}

TEST(ComposeTables, Quotient65280IsTheDivision) {
  // Every 16-bit colour times a spread of alphas, and every alpha for some colours.
  const auto check = [](int32_t colour, int32_t alpha) {
    const double x = colour * double(float(alpha / 65535.0));
    ASSERT_EQ(quotient65280(x), float(x / 65280.0)) << colour << " " << alpha;
  };
  for (int32_t colour = 0; colour < 65536; ++colour)
    for (int32_t alpha = 0; alpha < 65536; alpha += 509) check(colour, alpha);
  for (int32_t colour : {1, 2, 3, 255, 256, 32767, 65279, 65280, 65281, 65534, 65535})
    for (int32_t alpha = 0; alpha < 65536; ++alpha) check(colour, alpha);
  for (int32_t colour = 0; colour < 65536; ++colour) check(colour, 65535);
}

// Returns the row walks to the machine's number of workers at the end of a test.
struct RowWorkersReset {
  RowWorkersReset() = default;
  RowWorkersReset(const RowWorkersReset&) = delete;
  RowWorkersReset& operator=(const RowWorkersReset&) = delete;
  ~RowWorkersReset() { testing::setParallelRowWorkers(0); }
};

class FastMergeTest : public EngineTest {
 protected:
  // Merges with the plain path and with the fast paths (and threads when large enough);
  // expects the same destination.
  static void expectSame(int32_t width, int32_t height, int32_t mode, int32_t opacity, bool keep,
                         bool same, bool mask, uint32_t seed) {
    const int32_t stride = (width + 3) * 4;  // padded rows, the merge at (2, 1)
    const size_t count = size_t(width + 3) * size_t(height + 2);
    const std::vector<uint16_t> source = pixels(count, seed), maskPixels = pixels(count, seed + 7),
                                start = pixels(count, seed + 13);
    std::vector<uint16_t> plain = start, fast = start;
    const uint16_t* m = mask ? maskPixels.data() : nullptr;
    testing::setPlainMergeOnly(true);
    testing::setComposeThreads(false);
    MergePixels(source.data(), 1, 1, width, height, stride, m, plain.data(), 2, 1, stride, mode, kLayerMaskMode,
                opacity, keep, same);
    testing::setPlainMergeOnly(false);
    testing::setComposeThreads(true);
    MergePixels(source.data(), 1, 1, width, height, stride, m, fast.data(), 2, 1, stride, mode, kLayerMaskMode,
                opacity, keep, same);
    size_t first = 0;
    while (first < plain.size() && plain[first] == fast[first]) ++first;
    ASSERT_EQ(first, plain.size()) << "pixel " << first / 4 << " channel " << first % 4 << ": "
                                   << plain[first] << " != " << (first < fast.size() ? fast[first] : 0)
                                   << " source " << source[first - first % 4 - 4] << "," << source[first - first % 4 - 3] << "," << source[first - first % 4 - 2] << "," << source[first - first % 4 - 1]
                                   << " dest " << start[first - first % 4] << "," << start[first - first % 4 + 1] << "," << start[first - first % 4 + 2] << "," << start[first - first % 4 + 3] << " mode " << mode << " opacity " << opacity << " keep " << keep
                           << " same " << same << " mask " << mask << " width " << width;
  }
};

TEST_F(FastMergeTest, EveryModeMatchesThePlainPath) {
  uint32_t seed = 1;
  // Every code and the numbers just outside the table.
  for (int32_t mode = -1; mode <= kMergeModeCodes; ++mode)
    for (int32_t opacity : {256, 255, 254, 128, 1, 0, -3})
      for (bool keep : {false, true})
        for (bool mask : {false, true}) {
          expectSame(37, 5, mode, opacity, keep, false, mask, ++seed);
          if (mode > kLastStandardMode) expectSame(37, 5, mode, opacity, keep, true, mask, ++seed);
        }
}

TEST_F(FastMergeTest, OddWidthsAndSingleRows) {
  for (int32_t width : {1, 2, 3, 7, 63, 129})
    for (MergeMode m : {MergeMode::Normal, MergeMode::Multiply, MergeMode::Overlay, MergeMode::SoftLight,
                        MergeMode::Texturize, MergeMode::Texturize2, MergeMode::Texturize3,
                        MergeMode::AlphaNormal, MergeMode::AlphaSmoothLum4})
      expectSame(width, width % 2 ? 1 : 3, codeOf(m), 256, false, false, false, uint32_t(width * 41 + codeOf(m)));
}

TEST_F(FastMergeTest, ThreadedMergesMatchThePlainPath) {
  // Large enough for the row split, with an odd number of rows.
  for (MergeMode m : {MergeMode::Normal, MergeMode::Multiply, MergeMode::SoftLight,
                      MergeMode::AlphaOutlineTint1, MergeMode::LayerMask})
    expectSame(1031, 257, codeOf(m), m == MergeMode::Multiply ? 200 : 256, false, false, m == MergeMode::LayerMask,
               uint32_t(codeOf(m) + 3));
}

TEST_F(FastMergeTest, SplitMergesMatchTheInlineMerge) {
  // The same fast path on the calling thread alone and split over 2 (a 2-core machine) and
  // 3 workers: 1031 x 257 pixels is above the split size, 257 rows leave uneven ranges.
  const int32_t width = 1031, height = 257, stride = (width + 3) * 4;
  const RowWorkersReset reset;
  testing::setParallelRowWorkers(2);
  ASSERT_TRUE(parallelRowsSplit(height, width, 1 << 18));
  const size_t count = size_t(width + 3) * size_t(height + 2);
  const std::vector<uint16_t> source = pixels(count, 71), maskPixels = pixels(count, 72),
                              start = pixels(count, 73);
  for (int32_t mode : {0, 1, 10, 24, 39}) {
    const uint16_t* m = mode == 39 ? maskPixels.data() : nullptr;
    std::vector<uint16_t> alone = start;
    testing::setComposeThreads(false);
    MergePixels(source.data(), 1, 1, width, height, stride, m, alone.data(), 2, 1, stride, mode,
                39, 200, false, false);
    testing::setComposeThreads(true);
    for (int32_t workers : {2, 3}) {
      testing::setParallelRowWorkers(workers);
      std::vector<uint16_t> split = start;
      MergePixels(source.data(), 1, 1, width, height, stride, m, split.data(), 2, 1, stride, mode,
                  39, 200, false, false);
      EXPECT_TRUE(split == alone) << "mode " << mode << ", " << workers << " workers";
    }
  }
}

TEST_F(FastMergeTest, InPlaceMergesStayOnOneThread) {
  // Source and destination the same buffer, one row apart: rows see earlier rows' writes.
  const int32_t width = 1024, height = 300, stride = width * 4;
  const std::vector<uint16_t> start = pixels(size_t(width) * (height + 1), 5);
  std::vector<uint16_t> plain = start, fast = start;
  testing::setPlainMergeOnly(true);
  testing::setComposeThreads(false);
  MergePixels(plain.data(), 0, 0, width, height, stride, nullptr, plain.data(), 0, 1, stride,
              codeOf(MergeMode::Multiply), 0, 256, false, false);
  testing::setPlainMergeOnly(false);
  testing::setComposeThreads(true);
  MergePixels(fast.data(), 0, 0, width, height, stride, nullptr, fast.data(), 0, 1, stride,
              codeOf(MergeMode::Multiply), 0, 256, false, false);
  EXPECT_EQ(plain, fast);
}

// A page of many layers: every merge mode over layers of mixed alpha, some of other sizes
// than the page, Layer Masks, tracing, the mask overlay and the paint layer.
class FastViewTest : public EngineTest {
 protected:
  static constexpr int32_t PW = 301, PH = 203;
  void build(int32_t firstMode) {
    RVL_CreateImage(nullptr, PW, PH, 64, 0);
    ASSERT_EQ(RVL_CreateLayer(0, PW, PH), 1);
    ASSERT_EQ(RVL_CreateLayer(1, PW, PH), 1);
    fillFrom(1, 3, true);
    fillFrom(0, 4, false);
    RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
    for (int32_t i = 0; i < 14; ++i) {
      const int32_t index = i + 2;
      const int32_t w = i % 5 == 3 ? PW - 50 : i % 5 == 4 ? PW + 20 : PW;
      const int32_t h = i % 4 == 2 ? PH - 30 : PH;
      ASSERT_EQ(RVL_CreateLayer(index, w, h), 1);
      fillFrom(index, uint32_t(100 + i + firstMode), false);
      page.layerTable[index].mergeMode = (firstMode + 3 * i) % kMergeModeCodes;
      page.layerTable[index].opacity = 256 - 23 * (i % 7);
      page.layerTable[index].visible = 1;
    }
    RVL_SetLayer(4);
    RVL_CreatePaintLayer(70, "Overlay");
    fillFrom(-1, 9, false);
    RVL_SetViewSize(4096, 4096);
  }
  static void fillFrom(int32_t index, uint32_t seed, bool opaque) {
    const LayerSlot& s = index < 0 ? brush.paintLayer.slot : page.layerTable[index];
    const std::vector<uint16_t> p = pixels(size_t(s.width) * size_t(s.height), seed);
    std::memcpy(s.pixels, p.data(), p.size() * 2);
    if (opaque)
      for (size_t i = 0; i < size_t(s.width) * s.height; ++i) s.pixels[i * 4 + 3] = 65535;
  }
  static std::vector<uint8_t> view(int32_t whole, float scale, int32_t x, int32_t y, int32_t w,
                                   int32_t h, bool plain) {
    RVL_SetScale(whole, scale);
    testing::setPlainMergeOnly(plain);
    testing::setComposeThreads(!plain);
    ViewBitmap out(4 * PW, 4 * PH, 7, 0x3C);
    RVL_Render(out.data(), out.pitch, x, y, w, h);
    testing::setPlainMergeOnly(false);
    testing::setComposeThreads(true);
    return out.bytes;
  }
  static void expectViewsSame() {
    struct Case {
      int32_t whole;
      float scale;
      int32_t x, y, w, h;
    };
    for (const Case& c : {Case{1, 1.0f, 0, 0, PW, PH}, Case{4, 1.0f, 10, 8, PW - 20, PH - 9},
                          Case{3, 1.0f, 5, 3, 97, 61}, Case{1, 2.0f, 0, 0, PW, PH},
                          Case{1, 1.5f, 3, 1, PW, PH}, Case{1, 1.0f, 7, 5, 131, 77}})
      ASSERT_EQ(view(c.whole, c.scale, c.x, c.y, c.w, c.h, true),
                view(c.whole, c.scale, c.x, c.y, c.w, c.h, false))
          << c.whole << " " << c.scale << " " << c.x << " " << c.y;
  }
};

TEST_F(FastViewTest, EveryModeMatchesThePlainPath) {
  for (int32_t firstMode = 0; firstMode < kMergeModeCodes; firstMode += 5) {
    build(firstMode);
    expectViewsSame();
  }
}

TEST_F(FastViewTest, SplitViewsMatchTheInlineView) {
  // The whole page at zoom 4 and 3 (1204 x 812 and 903 x 609 output pixels, both above the
  // split size), drawn on the calling thread alone, then split over 2 and 3 workers.
  const RowWorkersReset reset;
  build(2);
  RVL_SetTracingMode(1);
  for (int32_t i = 0; i < PW * PH; ++i) page.mask[i] = uint16_t(i * 40503u);
  page.maskDisplayed = 1;
  page.maskEnabled = 1;
  testing::setParallelRowWorkers(2);
  ASSERT_TRUE(parallelRowsSplit(3 * PH, 3 * PW, 1 << 17));
  for (int32_t whole : {4, 3}) {
    RVL_SetScale(whole, 1.0f);
    ViewBitmap one(4 * PW, 4 * PH, 7, 0x3C);
    testing::setComposeThreads(false);
    RVL_Render(one.data(), one.pitch, 0, 0, PW, PH);
    testing::setComposeThreads(true);
    for (int32_t workers : {2, 3}) {
      testing::setParallelRowWorkers(workers);
      ViewBitmap split(4 * PW, 4 * PH, 7, 0x3C);
      RVL_Render(split.data(), split.pitch, 0, 0, PW, PH);
      EXPECT_TRUE(split.bytes == one.bytes) << "zoom " << whole << ", " << workers << " workers";
    }
  }
}

TEST_F(FastViewTest, TracingMaskOverlayAndLayerMasks) {
  build(1);
  page.layerTable[6].mergeMode = kLayerMaskMode;
  page.layerTable[11].mergeMode = kLayerMaskMode;
  RVL_SetTracingMode(1);
  for (int32_t i = 0; i < PW * PH; ++i) page.mask[i] = uint16_t(i * 2654435761u >> 16);
  page.maskDisplayed = 1;
  page.maskEnabled = 1;
  expectViewsSame();
}

}  // namespace
}  // namespace rvl::test
