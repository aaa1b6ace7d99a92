// Merging layers into layers and host buffers, flattening the page, the Layer Mask layer,
// the page-buffer merge, and bad indexes, buffers and rectangles.
#include <cstring>
#include <vector>

#include "compose/compose.h"
#include "frame/allocator.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

class LayerMergeTest : public LayerFixture {
 protected:
  void SetUp() override {
    LayerFixture::SetUp();
    for (int i = 3; i <= 5; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
  }
  static void fill(int index, Pixel64 v) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) set(index, x, y, v);
  }
  static void options(int index, int visible, int percent, const char* mode) {
    RVL_SetLayerOptions(index, visible, 0, percent, mode);
  }
  static Pixel64 in(const std::vector<uint16_t>& buffer, int width, int x, int y) {
    const uint16_t* p = buffer.data() + (size_t(y) * width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  // The Merge call a layer gets in MergePixels terms, on copies.
  static std::vector<uint16_t> expectedMerge(int source, const std::vector<uint16_t>& destination,
                                             const uint16_t* mask, bool same) {
    std::vector<uint16_t> out = destination;
    const LayerSlot& s = page.layerTable[source];
    MergePixels(s.pixels, 0, 0, W, H, W * 4, mask, out.data(), 0, 0, W * 4, s.mergeMode, 39, s.opacity,
                false, same);
    return out;
  }
  static std::vector<uint16_t> pixelsOf(int index) {
    const LayerSlot& s = page.layerTable[index];
    return std::vector<uint16_t>(s.pixels, s.pixels + size_t(s.width) * s.height * 4);
  }
};

TEST_F(LayerMergeTest, MergeLayerUsesTheSourceModeOpacityAndSameModeFlag) {
  fill(2, {20000, 30000, 40000, 50000});
  fill(3, {60000, 10000, 5000, 30000});
  set(3, 1, 1, {1, 2, 3, 0});
  options(2, 1, 100, "Normal");
  options(3, 1, 60, "Multiply");
  std::vector<uint16_t> want = expectedMerge(3, pixelsOf(2), nullptr, false);
  RVL_MergeLayer(3, 2);
  EXPECT_EQ(pixelsOf(2), want);
  EXPECT_EQ(at(2, 1, 1), (Pixel64{20000, 30000, 40000, 50000}));

  // Two layers of the same alpha mode merge by replacement.
  options(2, 1, 100, "Alpha Normal");
  options(3, 1, 100, "Alpha Normal");
  RVL_MergeLayer(3, 2);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{60000, 10000, 5000, 30000}));
  // Different modes: the alpha stage gives alpha K.
  compose.alphaLayerOpacity = 1234;
  options(2, 1, 100, "Normal");
  fill(2, {0, 0, 0, 0});
  RVL_MergeLayer(3, 2);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{60000, 10000, 5000, 1234}));
}

TEST_F(LayerMergeTest, LayerMaskAboveHalvesTheLayerBelow) {
  fill(3, {1000, 2000, 3000, 65535});
  fill(4, {32768, 32768, 32768, 65535});
  options(1, 0, 100, "Normal");
  options(2, 0, 100, "Normal");
  options(3, 1, 100, "Normal");
  options(4, 1, 100, "Layer Mask");
  EXPECT_EQ(findMaskLayerAbove(3), 4);
  EXPECT_EQ(findMaskLayerAbove(2), 0) << "layer 3 is the first visible one above 2";
  EXPECT_EQ(findMaskLayerAbove(4), 0);

  std::vector<uint16_t> flat(size_t(W) * H * 4, 0xEEEE);
  RVL_Merge(flat.data());
  EXPECT_EQ(in(flat, W, 5, 5), (Pixel64{1000, 2000, 3000, 32767}));

  // The mask layer scales the layer when it is merged into another layer, too.
  RVL_MergeLayer(3, 2);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{1000, 2000, 3000, 32767}));

  // A hidden layer in between is passed over; a visible one of another mode ends the walk.
  options(4, 0, 100, "Layer Mask");
  options(5, 1, 100, "Layer Mask");
  EXPECT_EQ(findMaskLayerAbove(3), 5);
  options(4, 1, 100, "Normal");
  EXPECT_EQ(findMaskLayerAbove(3), 0);
  EXPECT_EQ(findMaskLayerAbove(-1), 0);
  EXPECT_EQ(findMaskLayerAbove(63), 0);
  EXPECT_EQ(findMaskLayerAbove(1000), 0);
}

TEST_F(LayerMergeTest, FlatteningStartsFromTheBackgroundOrTransparentBlack) {
  fill(1, {10, 20, 30, 40});
  options(1, 1, 50, "Multiply");  // the background's mode and opacity do not apply
  options(2, 1, 100, "Normal");
  set(0, 0, 0, {65535, 0, 0, 65535});  // the trace layer never takes part
  set(2, 2, 0, {7, 8, 9, 65535});
  std::vector<uint16_t> flat(size_t(W) * H * 4, 0xEEEE);
  RVL_Merge(flat.data());
  EXPECT_EQ(in(flat, W, 0, 0), (Pixel64{10, 20, 30, 40}));
  EXPECT_EQ(in(flat, W, 2, 0), (Pixel64{7, 8, 9, 65535}));

  options(1, 0, 100, "Normal");
  RVL_Merge(flat.data());
  EXPECT_EQ(in(flat, W, 0, 0), (Pixel64{0, 0, 0, 0}));
  EXPECT_EQ(in(flat, W, 2, 0), (Pixel64{7, 8, 9, 65535}));
  options(1, 2, 100, "Normal");  // only a visible byte of exactly 1 copies the background
  RVL_Merge(flat.data());
  EXPECT_EQ(in(flat, W, 0, 0), (Pixel64{0, 0, 0, 0}));
}

TEST_F(LayerMergeTest, RectanglesLandAtTheBufferOrigin) {
  fill(3, {100, 200, 300, 65535});
  set(3, 4, 3, {1, 2, 3, 65535});
  options(3, 1, 100, "Normal");
  std::vector<uint16_t> buffer(5 * 4 * 4, 0);
  RVL_MergeLayerIntoRect(3, buffer.data(), 4, 3, 5, 4);
  EXPECT_EQ(in(buffer, 5, 0, 0), (Pixel64{1, 2, 3, 65535}));
  EXPECT_EQ(in(buffer, 5, 4, 3), (Pixel64{100, 200, 300, 65535}));

  // Partly outside the page: only the inside is merged, at its place in the buffer.
  std::vector<uint16_t> wide(size_t(8) * 6 * 4, 0);
  RVL_MergeLayerIntoRect(3, wide.data(), -3, -2, 8, 6);
  EXPECT_EQ(in(wide, 8, 2, 1), (Pixel64{0, 0, 0, 0}));
  EXPECT_EQ(in(wide, 8, 3, 2), (Pixel64{100, 200, 300, 65535}));
  std::vector<uint16_t> corner(size_t(6) * 6 * 4, 0xEEEE);
  RVL_MergeRect(corner.data(), W - 2, H - 2, 6, 6);
  EXPECT_EQ(in(corner, 6, 1, 1), (Pixel64{100, 200, 300, 65535}));
  EXPECT_EQ(in(corner, 6, 2, 1), (Pixel64{0, 0, 0, 0})) << "outside the page: zeroed only";
  EXPECT_EQ(in(corner, 6, 5, 5), (Pixel64{0, 0, 0, 0}));
}

TEST_F(LayerMergeTest, PictureMergeWidensAndMerges) {
  options(2, 1, 100, "Normal");
  fill(2, {1000, 1000, 1000, 65535});
  std::vector<uint8_t> picture = solid(W, H, {255, 128, 0, 255});
  picture[3] = 0;  // pixel (0, 0) transparent
  mergeRGBA32IntoLayer(picture.data(), 2, 0, 0, 255, false);
  EXPECT_EQ(at(2, 1, 0), (Pixel64{65280, 32768, 0, 65280}));
  EXPECT_EQ(at(2, 0, 0), (Pixel64{1000, 1000, 1000, 65535}));

  fill(2, {1000, 1000, 1000, 20000});
  mergeRGBA32IntoLayer(picture.data(), 2, 0, 0, 256, true);
  EXPECT_EQ(at(2, 1, 0)[3], 20000) << "keep-alpha leaves the alpha alone";

  rvl::testing::failNextAllocations(1);
  fill(2, {0, 0, 0, 0});
  mergeRGBA32IntoLayer(picture.data(), 2, 0, 0, 256, false);
  EXPECT_EQ(at(2, 1, 0), (Pixel64{0, 0, 0, 0})) << "no buffer, nothing happens";
  mergeRGBA32IntoLayer(nullptr, 2, 0, 0, 256, false);
  mergeRGBA32IntoLayer(picture.data(), 9, 0, 0, 256, false);
  mergeRGBA32IntoLayer(picture.data(), 64, 0, 0, 256, false);
}

TEST_F(LayerMergeTest, BadIndexesAndBuffersDoNothing) {
  fill(2, {1, 2, 3, 4});
  const std::vector<uint16_t> before = pixelsOf(2);
  for (int bad : {-1, 64, 1000, 9, INT32_MIN}) {
    RVL_MergeLayer(bad, 2);
    RVL_MergeLayer(3, bad);
    RVL_MergeLayerInto(bad, nullptr);
  }
  EXPECT_EQ(pixelsOf(2), before);
  std::vector<uint16_t> buffer(4 * 4, 0x1111);
  RVL_MergeLayerIntoRect(9, buffer.data(), 0, 0, 2, 2);
  RVL_MergeLayerIntoRect(-1, buffer.data(), 0, 0, 2, 2);
  EXPECT_EQ(buffer, std::vector<uint16_t>(4 * 4, 0x1111));
  for (auto [x, y, w, h] : std::vector<std::array<int32_t, 4>>{
           {0, 0, 0, 2}, {0, 0, 2, -1}, {INT32_MAX, 0, 2, 2}, {0, INT32_MIN, 2, 2},
           {W, H, 2, 2}, {-100, -100, 2, 2}, {INT32_MIN, INT32_MIN, 2, 2}}) {
    RVL_MergeLayerIntoRect(2, buffer.data(), x, y, w, h);
    RVL_MergeLayerIntoRect(2, nullptr, x, y, w, h);
  }
  EXPECT_EQ(buffer, std::vector<uint16_t>(4 * 4, 0x1111));
  RVL_MergeRect(nullptr, 0, 0, W, H);
  RVL_Merge(nullptr);
  RVL_MergeRect(buffer.data(), 0, 0, -2, 2);
  RVL_MergeRect(buffer.data(), 0, 0, INT32_MAX, 0);
  EXPECT_EQ(buffer, std::vector<uint16_t>(4 * 4, 0x1111));
}

TEST_F(LayerMergeTest, LayersOfAnotherSizeThanThePageAreClipped) {
  fill(3, {100, 200, 300, 65535});
  options(3, 1, 100, "Normal");
  options(4, 1, 100, "Layer Mask");
  RVL_NewSize(nullptr, 20, 20, 8, 0);  // the layers stay 16 x 12
  ASSERT_EQ(RVL_CreateLayer(5, 30, 30), 1);
  RVL_SetLayerOptions(5, 1, 0, 100, "Normal");
  ASSERT_EQ(RVL_CreateLayer(4, 30, 30), 1);  // a mask of another size than layer 3 is left out
  std::vector<uint16_t> flat(size_t(20) * 20 * 4, 0xEEEE);
  RVL_Merge(flat.data());
  EXPECT_EQ(in(flat, 20, 15, 11), (Pixel64{100, 200, 300, 65535}));
  EXPECT_EQ(in(flat, 20, 16, 11), (Pixel64{0, 0, 0, 0}));
  EXPECT_EQ(in(flat, 20, 15, 12), (Pixel64{0, 0, 0, 0}));
  RVL_MergeLayer(3, 5);
  RVL_MergeLayer(5, 3);
  RVL_MergeLayer(3, 3);
  EXPECT_EQ(page.layerTable[5].pixels[(size_t(11) * 30 + 15) * 4 + 3], 65535);
  EXPECT_EQ(page.layerTable[5].pixels[(size_t(12) * 30 + 15) * 4 + 3], 0);
  mergeRGBA32IntoLayer(solid(20, 20, {1, 2, 3, 255}).data(), 3, 0, 0, 256, false);
  EXPECT_EQ(at(3, 15, 11), (Pixel64{256, 512, 768, 65280}));
  RVL_SetLayerOptions(5, 0, 0, 100, "Normal");
  std::vector<uint16_t> tail(size_t(8) * 8 * 4, 0);
  RVL_MergeRect(tail.data(), 14, 10, 8, 8);
  EXPECT_EQ(in(tail, 8, 1, 1), (Pixel64{256, 512, 768, 65280}));
  EXPECT_EQ(in(tail, 8, 2, 1), (Pixel64{0, 0, 0, 0}));
}

TEST(LayerMergeNoPage, NothingHappensWithoutAPage) {
  rvl::resetEngine();
  std::vector<uint16_t> buffer(16, 0x2222);
  RVL_MergeLayer(1, 2);
  RVL_MergeLayerIntoRect(2, buffer.data(), 0, 0, 2, 2);
  RVL_MergeRect(buffer.data(), 0, 0, 2, 2);
  EXPECT_EQ(buffer, std::vector<uint16_t>(16, 0));
  RVL_Merge(buffer.data());  // a page of 0 x 0 pixels
  rvl::resetEngine();
}

}  // namespace
}  // namespace rvl::test
