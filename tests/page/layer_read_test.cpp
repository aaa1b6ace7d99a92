#include <vector>

#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using ReadTest = LayerFixture;

TEST_F(ReadTest, ReducesToHighBytesInEveryFormat) {
  set(2, 1, 1, {0x12FF, 0x3400, 0x56AA, 0x7801});
  std::vector<uint8_t> rgba(size_t(W) * H * 4), rgb(size_t(W) * H * 3), alpha(size_t(W) * H * 3);
  EXPECT_EQ(RVL_GetRGBA32(rgba.data(), W * 4), H);
  EXPECT_EQ(RVL_GetRGB24Layer(rgb.data(), W * 3, 2), H);
  EXPECT_EQ(RVL_GetRGB24(rgb.data(), W * 3), H);
  RVL_GetRGB24FromAlpha(alpha.data(), W * 3);
  const size_t p = size_t(W) + 1;
  EXPECT_EQ((std::vector<uint8_t>(rgba.begin() + p * 4, rgba.begin() + p * 4 + 4)),
            (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ((std::vector<uint8_t>(rgb.begin() + p * 3, rgb.begin() + p * 3 + 3)),
            (std::vector<uint8_t>{0x12, 0x34, 0x56}));
  EXPECT_EQ((std::vector<uint8_t>(alpha.begin() + p * 3, alpha.begin() + p * 3 + 3)),
            (std::vector<uint8_t>{0x78, 0x78, 0x78}));
  EXPECT_EQ(RVL_GetRGBA32Layer(rgba.data(), W * 4, 9), 0);
  EXPECT_EQ(RVL_GetRGB24Layer(rgb.data(), W * 3, 64), 0);

  // Buffer forms: the packed rectangle at (1, 1) of the layer's own pixels.
  std::vector<uint8_t> packed(2 * 2 * 4), packed24(2 * 2 * 3);
  RVL_RGBA64RectToRGBA32(page.layerTable[2].pixels, 1, 1, 2, 2, W, 0, packed.data());
  RVL_RGBA64RectToRGBA24(page.layerTable[2].pixels, 1, 1, 2, 2, W, 0, packed24.data());
  EXPECT_EQ(packed[0], 0x12);
  EXPECT_EQ(packed[3], 0x78);
  EXPECT_EQ(packed24[2], 0x56);
  std::vector<uint8_t> fromRect(4);
  RVL_GetRGBA32FromRGBA64Rect(fromRect.data(), 4, page.layerTable[2].pixels + p * 4, W * 8, 99, 99, 1, 1);
  EXPECT_EQ(fromRect, (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
  RVL_GetRGBA32FromRGBA64(fromRect.data(), 4, 1, 1, page.layerTable[2].pixels, W * 8);
  EXPECT_EQ(fromRect, (std::vector<uint8_t>{0, 0, 0, 0}));
  RVL_GetRGB24FromRGBA64Rect(rgb.data(), 3, page.layerTable[2].pixels + p * 4, W * 8, 0, 0, 1, 1);
  EXPECT_EQ(rgb[2], 0x56);
  RVL_GetRGB24FromRGBA64(rgb.data(), W * 3, page.layerTable[2].pixels, W * 8);
  EXPECT_EQ(rgb[p * 3], 0x12);
  RVL_GetRGBA32FromRGBA64Rect(nullptr, 4, page.layerTable[2].pixels, W * 8, 0, 0, 1, 1);
  RVL_GetRGBA32FromRGBA64Rect(fromRect.data(), 4, page.layerTable[2].pixels, W * 8, 0, 0, 1, 0);
}

TEST_F(ReadTest, RectangleCopyIsClippedToTheSlot) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) set(2, x, y, {uint16_t(x), uint16_t(y), 0, 65535});
  // A 6 x 4 rectangle hanging over the top-left corner; the destination keeps a marker
  // where the rectangle leaves the slot.
  std::vector<uint16_t> out(6 * 4 * 4, 0xBEEF);
  RVL_GetRGBA64LayerRect(out.data(), 6 * 8, 2, -2, -1, 6, 4);
  EXPECT_EQ(out[0], 0xBEEF);
  EXPECT_EQ(out[(1 * 6 + 2) * 4 + 0], 0);  // layer (0, 0)
  EXPECT_EQ(out[(3 * 6 + 5) * 4 + 0], 3);  // layer (3, 2)
  EXPECT_EQ(out[(3 * 6 + 5) * 4 + 1], 2);

  std::vector<uint16_t> far(4 * 4, 0xBEEF);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{W, 0}, {0, H}, {-2, -2}, {INT32_MAX, INT32_MAX}})
    RVL_GetRGBA64LayerRect(far.data(), 16, 2, x, y, 2, 2);
  EXPECT_EQ(far, std::vector<uint16_t>(16, 0xBEEF));

  std::vector<uint16_t> whole(size_t(W) * H * 4);
  RVL_GetRGBA64Layer(whole.data(), W * 8, 2);
  EXPECT_EQ(whole[((H - 1) * W + W - 1) * 4], W - 1);
}

TEST_F(ReadTest, LayersOfAnotherSizeAreWalkedWhereTheyOverlapThePage) {
  ASSERT_EQ(RVL_CreateLayer(3, 3, 2), 1);
  ASSERT_EQ(RVL_CreateLayer(4, W * 2, H * 2), 1);
  RVL_SetLayer(3);
  std::vector<uint8_t> rgba(size_t(W) * H * 4, 0xAA);
  EXPECT_EQ(RVL_GetRGBA32Layer(rgba.data(), W * 4, 3), H);
  EXPECT_EQ(rgba[0], 0);
  EXPECT_EQ(rgba[3 * 4], 0xAA) << "beyond the small layer nothing is written";

  // The large layer is read over the page only: a destination one pixel wider and one row
  // taller than the page keeps its marker in the extra column and row.
  set(4, W - 1, H - 1, {0x1100, 0x2200, 0x3300, 0x4400});
  set(4, W, 0, {0x5500, 0x5500, 0x5500, 0x5500});
  const int32_t pitch = (W + 1) * 4;
  std::vector<uint8_t> wide(size_t(pitch) * (H + 1), 0xAA);
  EXPECT_EQ(RVL_GetRGBA32Layer(wide.data(), pitch, 4), H);
  const uint8_t* last = &wide[size_t(H - 1) * pitch + size_t(W - 1) * 4];
  EXPECT_EQ((std::vector<uint8_t>(last, last + 4)), (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44}));
  int marked = 0;
  for (int y = 0; y <= H; ++y)
    for (int x = 0; x <= W; ++x)
      for (int c = 0; c < 4 && (x == W || y == H); ++c) marked += wide[size_t(y) * pitch + size_t(x) * 4 + size_t(c)] == 0xAA;
  EXPECT_EQ(marked, (W + 1 + H) * 4);

  // Writes into the small current layer follow its own rows: source pixel (x, y) holds
  // (x + 1, y + 1, 7), and layer pixel (2, 1) shows source pixel (2, 1).
  std::vector<uint8_t> rgb(size_t(W) * H * 3);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint8_t* p = &rgb[(size_t(y) * W + x) * 3];
      p[0] = uint8_t(x + 1), p[1] = uint8_t(y + 1), p[2] = 7;
    }
  RVL_Load(rgb.data(), W * 3, W, H);  // BGR24: red from the third byte, opaque
  EXPECT_EQ(at(3, 2, 1), (Pixel64{7 << 8, 2 << 8, 3 << 8, 65535}));
  RVL_LoadRGB24(rgb.data(), W * 3, 1);
  EXPECT_EQ(at(3, 2, 1), (Pixel64{3 << 8, 2 << 8, 7 << 8, 65535}));
  RVL_LoadRGB24ToAlpha(rgb.data(), W * 3, 1);
  EXPECT_EQ(at(3, 2, 1), (Pixel64{3 << 8, 2 << 8, 7 << 8, 3 << 8}));
  RVL_Clear(1, 2, 3, 4);
  EXPECT_EQ(at(3, 2, 1), (Pixel64{256, 512, 768, 1024}));
  RVL_ClearMasked(5, 6, 7, 8);
  EXPECT_EQ(at(3, 2, 1), (Pixel64{1280, 1536, 1792, 2048}));
  RVL_ClearMaskedAlpha(1, 2, 3, 4);
  EXPECT_EQ(at(3, 2, 1), (Pixel64{256, 512, 768, 1024}));
  int32_t box[4];
  RVL_FindDataExtentsLayer(3, &box[0], &box[1], &box[2], &box[3]);
  EXPECT_EQ(box[2], 2);
  EXPECT_EQ(box[3], 1);

  // A large current layer is cleared over the page only.
  RVL_SetLayer(4);
  RVL_Clear(1, 2, 3, 4);
  EXPECT_EQ(at(4, W - 1, H - 1), (Pixel64{256, 512, 768, 1024}));
  EXPECT_EQ(at(4, W, 0), (Pixel64{0x5500, 0x5500, 0x5500, 0x5500}));
  EXPECT_EQ(at(4, 0, H), (Pixel64{0, 0, 0, 0}));
}

TEST_F(ReadTest, DataExtentsBoundTheVisiblePixels) {
  int32_t left = -1, top = -1, right = -1, bottom = -1;
  RVL_FindDataExtentsLayer(2, &left, &top, &right, &bottom);
  EXPECT_EQ(left, W);
  EXPECT_EQ(top, H);
  EXPECT_EQ(right, 0);
  EXPECT_EQ(bottom, 0);
  set(2, 3, 4, {0, 0, 0, 1});
  set(2, 10, 2, {0, 0, 0, 9});
  set(2, 12, 8, {5, 5, 5, 0});  // colour without alpha does not count
  RVL_FindDataExtentsLayer(2, &left, &top, &right, &bottom);
  EXPECT_EQ(left, 3);
  EXPECT_EQ(top, 2);
  EXPECT_EQ(right, 10);
  EXPECT_EQ(bottom, 4);
  left = -7;
  RVL_FindDataExtentsLayer(9, &left, &top, &right, &bottom);
  EXPECT_EQ(left, -7) << "an empty slot writes nothing";
  RVL_FindDataExtentsLayer(2, nullptr, &top, &right, &bottom);
}

}  // namespace
}  // namespace rvl::test
