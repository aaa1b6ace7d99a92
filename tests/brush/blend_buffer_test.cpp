#include <array>
#include <climits>
#include <vector>

#include "brush/brush.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

class BlendTest : public LayerFixture {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RVL_CreateImage(nullptr, W, H, 16, 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
    RVL_SetLayer(2);
    RVL_SetSize(5);
    RVL_SetBlendStrength(128);
    RVL_SetColor(0, 0, 255);
  }
  static Pixel64 blend(int row, int col) {
    const uint16_t* p = page.blendBuffer + (size_t(row) * 16 + col) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  static void fillLayer(int index, Pixel64 v) { fillLayerOf(index, W, H, v); }
  static void fillLayerOf(int index, int w, int h, Pixel64 v) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) set(index, x, y, v);
  }
  static void setBlend(int row, int col, Pixel64 v) {
    uint16_t* p = page.blendBuffer + (size_t(row) * 16 + col) * 4;
    for (int c = 0; c < 4; ++c) p[c] = v[c];
  }
  // Every pixel of the 16 x 16 buffer.
  static void fillBlend(Pixel64 v) {
    for (int row = 0; row < 16; ++row)
      for (int col = 0; col < 16; ++col) setBlend(row, col, v);
  }
  static std::vector<uint16_t> blendValues() {
    return std::vector<uint16_t>(page.blendBuffer.get(), page.blendBuffer.get() + 16 * 16 * 4);
  }
  static std::vector<uint16_t> layerValues(int index) {
    const LayerSlot& s = page.layerTable[index];
    return std::vector<uint16_t>(s.pixels.get(), s.pixels.get() + size_t(s.width) * s.height * 4);
  }
  static std::vector<uint16_t> repeated(Pixel64 v, size_t pixels) {
    std::vector<uint16_t> out;
    for (size_t i = 0; i < pixels; ++i) out.insert(out.end(), v.begin(), v.end());
    return out;
  }
  // The brush square (5 x 5 at the buffer's origin) holds inside, the rest outside.
  static void expectSquare(Pixel64 inside, Pixel64 outside) {
    for (int row = 0; row < 16; ++row)
      for (int col = 0; col < 16; ++col)
        ASSERT_EQ(blend(row, col), row < 5 && col < 5 ? inside : outside) << row << "," << col;
  }
};

TEST_F(BlendTest, CopyWeighsCanvasAgainstBrush) {
  fillLayer(2, {65280, 0, 0, 65535});
  RVL_CopyBlendBufferSurface(8, 6, 0, 0);
  EXPECT_EQ(blend(0, 0), (Pixel64{65280, 1, 1, 65535}));
  RVL_CopyBlendBufferSurface(8, 6, 256, 0);
  EXPECT_EQ(blend(2, 2), (Pixel64{1, 1, 65280, 65535})) << "brush colour plus one";
  // Near the left edge the columns outside the page get the brush colour.
  RVL_CopyBlendBufferSurface(0, 6, 256, 0);
  EXPECT_EQ(blend(0, 0), (Pixel64{0, 0, 65280, 0}));
  RVL_CopyBlendBufferSurface(0, 6, 64, 0);
  EXPECT_EQ(blend(0, 1)[3], 64 * 256);
  // A transparent canvas pixel gives the brush colour with alpha (k & 255) * 256.
  RVL_CopyBlendBufferLayer(0, 8, 6, 32);
  EXPECT_EQ(blend(1, 1), (Pixel64{0, 0, 65280, 32 * 256}));
}

TEST_F(BlendTest, CopyThroughAMaskThatSelectsNothing) {
  fillLayer(2, {65280, 0, 0, 65535});
  for (size_t i = 0; i < size_t(W) * H; ++i) page.mask[i] = 0;
  RVL_CopyBlendBufferSurface(8, 6, 10, 0);
  EXPECT_EQ(blend(2, 2), (Pixel64{0, 0, 65280, 10 * 256}));
}

TEST_F(BlendTest, MixFadesOverTransparentCanvasAndFollowsStrongCanvas) {
  RVL_FillBlendBuffer(0, 0, 0, 255);  // the first quarter of the load becomes 65535
  EXPECT_EQ(blend(0, 0), (Pixel64{65535, 65535, 65535, 65535}));
  RVL_MixBlendBufferLayer(0, 8, 6, 64);  // N = 16384
  EXPECT_EQ(blend(0, 0)[3], (49152u * 65535u) >> 16);
  fillLayer(1, {1000, 2000, 3000, 65535});
  RVL_MixBlendBufferLayer(1, 8, 6, 256);
  EXPECT_EQ(blend(0, 0)[0], ((((65535u * 1) >> 8) + ((1000u * 65535u) >> 8)) >> 8) + 1);
  EXPECT_EQ(blend(0, 0)[3], 65535 - 1);
}

TEST_F(BlendTest, TintClearAndFilters) {
  fillLayer(2, {40000, 20000, 10000, 65535});
  RVL_CopyBlendBufferSurface(8, 6, 0, 0);
  RVL_FilterBlendBuffer(291, 50);
  EXPECT_EQ(blend(0, 0)[1], 0);
  EXPECT_EQ(blend(0, 0)[0], 40001);
  RVL_FilterBlendBuffer(292, 50);
  EXPECT_EQ(blend(0, 0)[0], 65280);
  RVL_FilterBlendBuffer(290, 0);
  EXPECT_EQ(blend(0, 0)[0], 255);
  RVL_FilterBlendBuffer(289, 0);
  EXPECT_EQ(blend(0, 0)[0], blend(0, 0)[1]);
  RVL_DoColorBlendBuffer(8, 6, 255, 0, 0, 0, 256);
  EXPECT_EQ(blend(0, 0)[0], 65280);
  RVL_ClearBlendBuffer();
  EXPECT_EQ(blend(0, 0), (Pixel64{0, 0, 0, 0}));
  RVL_DoColorBlendBuffer(8, 6, 1, 2, 3, 0, 10);
  EXPECT_EQ(blend(0, 0), (Pixel64{256, 512, 768, 0})) << "transparent load takes the tint whole";
}

TEST_F(BlendTest, NothingWhileTheStrengthIsZero) {
  RVL_SetBlendStrength(0);
  fillLayer(2, {65280, 0, 0, 65535});
  RVL_CopyBlendBufferSurface(8, 6, 0, 0);
  RVL_MixBlendBufferSurface(8, 6, 0);
  EXPECT_EQ(blend(0, 0), (Pixel64{0, 0, 0, 0}));
}

TEST_F(BlendTest, MaskCopyAndOddSources) {
  page.mask[6 * W + 8] = 1000;
  RVL_SetColor(0, 0, 0);  // black: o = 65535
  RVL_DoCopyBlendBufferMask(8, 6, 0);
  EXPECT_EQ(page.blendBuffer[2 * 16 * 4 + 2], 1000 + 1);
  RVL_DoCopyBlendBufferMask(8, 6, 256);
  EXPECT_EQ(page.blendBuffer[2 * 16 * 4 + 2], 65280);
  // Brushes far outside, a deleted trace layer, a smaller layer: nothing leaves a buffer.
  // Every call writes at most the n x n square the placement covers; the layers and the
  // mask stay as they were.
  fillBlend({7, 8, 9, 10});
  const std::vector<uint16_t> layer2 = layerValues(2), maskBefore(page.mask.get(), page.mask.get() + W * H);
  RVL_DeleteLayer(0);
  RVL_CopyBlendBufferTrace(8, 6, 10);
  RVL_MixBlendBufferTrace(8, 6, 10);
  EXPECT_EQ(blendValues(), repeated({7, 8, 9, 10}, 16 * 16)) << "no trace pixels: nothing";
  fillBlend({7, 8, 9, 10});
  ASSERT_EQ(RVL_CreateLayer(5, 3, 3), 1);
  fillLayerOf(5, 3, 3, {1000, 2000, 3000, 65535});
  // Layer 5 holds 3 x 3 pixels: the square at (0, 0) is clipped on the right and below, so
  // it first takes the brush colour (black) with alpha 10 * 256, then the overlap comes from
  // the layer: ((c * 246 + 10 * 0) >> 8) + 1, alpha (65535 * 246 + 10 * 65535) >> 8.
  RVL_CopyBlendBufferLayer(5, 2, 2, 10);
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 16; ++col) {
      const Pixel64 want = row < 3 && col < 3   ? Pixel64{961, 1922, 2883, 65535}
                           : row < 5 && col < 5 ? Pixel64{0, 0, 0, 10 * 256}
                                                : Pixel64{7, 8, 9, 10};
      ASSERT_EQ(blend(row, col), want) << row << "," << col;
    }
  // Mixing with it changes only the 3 x 3 overlap: M = the load (no paint kind), N = 2560.
  RVL_MixBlendBufferLayer(5, 2, 2, 10);
  EXPECT_EQ(blend(1, 1), (Pixel64{963, 1926, 2888, 65535}));
  EXPECT_EQ(blend(1, 3), (Pixel64{0, 0, 0, 10 * 256}));
  EXPECT_EQ(blend(3, 1), (Pixel64{0, 0, 0, 10 * 256}));
  for (int32_t p : {INT32_MIN, -100, 1000, INT32_MAX}) {
    SCOPED_TRACE(p);
    fillBlend({7, 8, 9, 10});
    // Entirely clipped: with the flag only the alpha of the square is set.
    RVL_CopyBlendBufferSurface(p, p, 10, 1);
    expectSquare({7, 8, 9, 65535}, {7, 8, 9, 10});
    RVL_MixBlendBufferHistory(p, 3, 10);  // no pixel under the brush: nothing
    expectSquare({7, 8, 9, 65535}, {7, 8, 9, 10});
    RVL_CopyBlendBufferHistory(3, p, 10);  // without the flag: the brush colour, alpha 10 * 256
    expectSquare({0, 0, 0, 10 * 256}, {7, 8, 9, 10});
    RVL_DoColorBlendBuffer(p, p, 1, 2, 3, 0, 10);  // nothing under the brush to tint
    expectSquare({0, 0, 0, 10 * 256}, {7, 8, 9, 10});
    // The mask copy writes one grey value per tip pixel, row pitch brushStride: black
    // gives o = 65535 everywhere.
    fillBlend({7, 8, 9, 10});
    RVL_DoCopyBlendBufferMask(p, p, 10);
    for (int row = 0; row < 16; ++row)
      for (int i = 0; i < 64; ++i) {
        const uint16_t want = row < 5 && i < 5 ? 65535 : std::array<uint16_t, 4>{7, 8, 9, 10}[size_t(i % 4)];
        ASSERT_EQ(page.blendBuffer[size_t(row) * 64 + size_t(i)], want) << row << "," << i;
      }
  }
  // A size larger than the 16-pixel buffers is cut to them: the square is the whole
  // buffer, clipped at the top (rows 2 to 13 lie on the page), all of it black with alpha
  // 10 * 256 over the transparent layer; the filter then inverts exactly that square.
  fillBlend({7, 8, 9, 10});
  RVL_SetSize(1000);
  RVL_CopyBlendBufferSurface(8, 6, 10, 0);
  EXPECT_EQ(blendValues(), repeated({0, 0, 0, 10 * 256}, 16 * 16));
  RVL_FilterBlendBuffer(290, 0);
  EXPECT_EQ(blendValues(), repeated({65535, 65535, 65535, 10 * 256}, 16 * 16));
  EXPECT_EQ(layerValues(2), layer2);
  EXPECT_EQ(std::vector<uint16_t>(page.mask.get(), page.mask.get() + W * H), maskBefore);
}

// The back buffer (the under-layer, also called history) as a source: both names reach the
// same copy and the same mix, and they read the back buffer, not the current layer.
TEST_F(BlendTest, UnderLayerAndHistoryCopyAndMixFromTheBackBuffer) {
  fillLayer(2, {65280, 0, 0, 65535});
  uint16_t* back = page.backBuffer.pixels;
  for (size_t i = 0; i < size_t(W) * H; ++i) {
    back[4 * i] = 40000, back[4 * i + 1] = 20000, back[4 * i + 2] = 10000, back[4 * i + 3] = 65535;
  }
  // k = 64 against the blue brush: ((c * 192 + 64 * brush) >> 8) + 1; alpha stays 65535.
  const Pixel64 copied{30001, 15001, 23821, 65535};
  for (auto copy : {&RVL_CopyBlendBufferUnderLayer, &RVL_CopyBlendBufferHistory}) {
    fillBlend({7, 8, 9, 10});
    copy(8, 6, 64);
    expectSquare(copied, {7, 8, 9, 10});
  }
  // Mix at k = 128: N = O = 32768, M = the load (no paint kind set):
  // ((((M * O) >> 8) + ((s * N) >> 8)) >> 8) + 1; e.g. red (3840128 + 5120000) >> 8 = 35000.
  const Pixel64 mixed{35001, 17501, 16911, 65535};
  for (auto mix : {&RVL_MixBlendBufferUnderLayer, &RVL_MixBlendBufferHistory}) {
    fillBlend({7, 8, 9, 10});
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 5; ++col) setBlend(row, col, copied);
    mix(8, 6, 128);
    expectSquare(mixed, {7, 8, 9, 10});
  }
}

// The generic forms take any page-sized host buffer; the flag changes what the clipped
// square and transparent source pixels get.
TEST_F(BlendTest, GenericCopyAndMixFromAHostBuffer) {
  std::vector<uint16_t> source(size_t(W) * H * 4);
  for (size_t i = 0; i < size_t(W) * H; ++i) {
    source[4 * i] = 1000, source[4 * i + 1] = 2000, source[4 * i + 2] = 3000, source[4 * i + 3] = 30000;
  }
  source[(1 * W + 1) * 4 + 3] = 0;  // page (1, 1) transparent
  fillBlend({7, 8, 9, 10});
  // At (0, 0) the square reaches two columns and rows past the page: with the flag set they
  // keep their colour and become opaque. Inside: ((c * 192 + 64 * brush) >> 8) + 1 and alpha
  // (30000 * 192 + 64 * 65535) >> 8 = 38883; the transparent pixel gets the brush colour with
  // alpha ((256 - 64) & 255) * 256.
  RVL_DoCopyBlendBuffer(0, 0, source.data(), 64, 1);
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < 16; ++col) {
      Pixel64 want{7, 8, 9, 10};
      if (row < 5 && col < 5) want = row < 2 || col < 2 ? Pixel64{7, 8, 9, 65535} : Pixel64{751, 1501, 18571, 38883};
      if (row == 3 && col == 3) want = {0, 0, 65280, 192 * 256};
      ASSERT_EQ(blend(row, col), want) << row << "," << col;
    }
  // The same without the flag: the clipped part takes the brush colour, alpha 64 * 256.
  fillBlend({7, 8, 9, 10});
  RVL_DoCopyBlendBuffer(0, 0, source.data(), 64, 0);
  EXPECT_EQ(blend(0, 4), (Pixel64{0, 0, 65280, 64 * 256}));
  EXPECT_EQ(blend(3, 3), (Pixel64{0, 0, 65280, 64 * 256}));
  EXPECT_EQ(blend(2, 2), (Pixel64{751, 1501, 18571, 38883}));

  // Mix at k = 64 (N = 16384, O = 49152) with the square at (8, 6) on the page: a
  // transparent load takes the source (colour held to 65280); a transparent source fades
  // the load's alpha to (O * A) >> 16; otherwise the weighted sum.
  for (size_t i = 0; i < size_t(W) * H; ++i) {
    source[4 * i] = 60000, source[4 * i + 1] = 65535, source[4 * i + 2] = 0, source[4 * i + 3] = 65535;
  }
  source[(4 * W + 7) * 4 + 3] = 0;  // under blend pixel (0, 1)
  fillBlend({7, 8, 9, 10});
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 5; ++col) setBlend(row, col, {20000, 20000, 20000, 40000});
  setBlend(0, 0, {5, 5, 5, 0});
  RVL_DoMixBlendBuffer(8, 6, source.data(), 64);
  EXPECT_EQ(blend(0, 0), (Pixel64{60000, 65280, 0, 65535}));
  EXPECT_EQ(blend(0, 1), (Pixel64{20000, 20000, 20000, 30000}));
  EXPECT_EQ(blend(2, 2), (Pixel64{30001, 31384, 15001, 46383}));
  EXPECT_EQ(blend(4, 4), (Pixel64{30001, 31384, 15001, 46383}));
  EXPECT_EQ(blend(0, 5), (Pixel64{7, 8, 9, 10}));
  EXPECT_EQ(blend(5, 0), (Pixel64{7, 8, 9, 10}));
}

TEST_F(BlendTest, TraceLayerAndSurfaceAtFullAndHalfStrength) {
  fillLayer(0, {10000, 20000, 30000, 65535});
  fillLayer(2, {65280, 0, 0, 65535});
  // k = 0 keeps the trace colour plus one; mixing at k = 256 (N = 65535, O = 1) follows the
  // canvas: red ((10001 * 1) >> 8) + ((10000 * 65535) >> 8) = 2559999, >> 8 plus one = 10000.
  fillBlend({7, 8, 9, 10});
  RVL_CopyBlendBufferTrace(8, 6, 0);
  expectSquare({10001, 20001, 30001, 65535}, {7, 8, 9, 10});
  RVL_MixBlendBufferTrace(8, 6, 256);
  expectSquare({10000, 20000, 30000, 65534}, {7, 8, 9, 10});
  // The surface at k = 128 over a load of (30001, 15001, 23821): half and half.
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 5; ++col) setBlend(row, col, {30001, 15001, 23821, 65535});
  RVL_MixBlendBufferSurface(8, 6, 128);
  expectSquare({47641, 7501, 11911, 65535}, {7, 8, 9, 10});
}

}  // namespace
}  // namespace rvl::test
