// The mask store: the mask grey rule, clear, invert, the RGB24 save / load round trip,
// the transfers with the current layer, the mask on RGBA32 alpha and the packing routines.
#include <gtest/gtest.h>

#include <vector>

#include "compose/compose.h"
#include "page/mask_grey.h"
#include "select_support.h"

namespace rvl::test {
namespace {

class MaskStore : public MaskPage {};

TEST(MaskGrey, Rule) {
  const struct { uint32_t r, g, b, grey; } cases[] = {
      {0, 0, 0, 65535},         {255, 255, 255, 65535},   {0, 0, 767, 65535},  // means below 256 select
      {256, 256, 256, 65024},   {0, 0, 768, 65024},       {32768, 32768, 32768, 32512},
      {65280, 65280, 65280, 0}, {65281, 65281, 65281, 0}, {65535, 65535, 65535, 0},
      {100, 200, 600, 64980},
  };
  for (const auto& c : cases) EXPECT_EQ(maskGrey(c.r, c.g, c.b), c.grey) << c.r << " " << c.g << " " << c.b;
}

TEST_F(MaskStore, ClearMaskTakesTheGreyOfTheColour) {
  const struct { int32_t r, g, b; uint16_t m; } cases[] = {
      {0, 0, 0, 65535}, {65280, 65280, 65280, 0}, {32768, 32768, 32768, 32512},
      {0x10000, 0, 0, 65535},  // low 16 bits: black
      {-1, -1, -1, 0},         // 65535 each: whiter than white
  };
  for (const auto& c : cases) {
    RVL_ClearMask(c.r, c.g, c.b);
    for (size_t i = 0; i < count(); ++i) ASSERT_EQ(page.mask[i], c.m) << c.r;
  }
}

TEST_F(MaskStore, InvertMask) {
  page.mask[0] = 0, page.mask[1] = 65535, page.mask[2] = 1234;
  RVL_InvertMask();
  EXPECT_EQ(page.mask[0], 65535);
  EXPECT_EQ(page.mask[1], 0);
  EXPECT_EQ(page.mask[2], 64301);
  EXPECT_EQ(page.mask[3], 65535 - kUntouched);
}

TEST_F(MaskStore, SaveLoadRoundTrip) {
  makePage(16, 17);  // 272 pixels: 65535, 0 and every multiple of 256 below 65280
  std::vector<uint16_t> want(count());
  want[0] = 65535;
  want[1] = 0;
  for (uint32_t k = 0; k < 255; ++k) want[2 + k] = uint16_t(k * 256);
  want[257] = 32768;
  for (size_t i = 258; i < count(); ++i) want[i] = 65535;
  for (size_t i = 0; i < count(); ++i) page.mask[i] = want[i];
  const int32_t pitch = 16 * 3 + 2;  // padded rows
  std::vector<uint8_t> rgb(size_t(pitch) * 17, 0xEE);
  RVL_SaveMask(rgb.data(), pitch);
  EXPECT_EQ(rgb[0], 0);    // 65535: black
  EXPECT_EQ(rgb[3], 255);  // 0: white
  const size_t at32768 = size_t(257 / 16) * pitch + (257 % 16) * 3;
  EXPECT_EQ(rgb[at32768], 127);
  EXPECT_EQ(rgb[at32768 + 2], 127);
  EXPECT_EQ(rgb[size_t(pitch) - 1], 0xEE);  // padding untouched
  fillMask(kUntouched);
  RVL_LoadMask(rgb.data(), pitch, 16, 17);
  for (size_t i = 0; i < count(); ++i) ASSERT_EQ(page.mask[i], want[i]) << i;
}

TEST_F(MaskStore, LoadMaskGreyRuleAndClipping) {
  const struct { uint8_t r, g, b; uint16_t m; } cases[] = {
      {0, 0, 0, 65535}, {255, 255, 255, 0}, {1, 1, 1, 65024}, {0, 0, 2, 65535}, {128, 128, 129, 32512}};
  for (const auto& c : cases) {
    std::vector<uint8_t> rgb(count() * 3);
    for (size_t i = 0; i < count(); ++i) rgb[i * 3] = c.r, rgb[i * 3 + 1] = c.g, rgb[i * 3 + 2] = c.b;
    RVL_LoadMask(rgb.data(), W * 3, W, H);
    EXPECT_EQ(page.mask[count() - 1], c.m) << int(c.r);
  }
  // A 2 x 1 picture fills only its pixels; one wider than the page is cut to it, its rows
  // still as wide as they are.
  fillMask(kUntouched);
  std::vector<uint8_t> small(6, 255);
  RVL_LoadMask(small.data(), 6, 2, 1);
  EXPECT_EQ(page.mask[1], 0);
  EXPECT_EQ(page.mask[2], kUntouched);
  EXPECT_EQ(page.mask[size_t(W)], kUntouched);
  fillMask(kUntouched);
  const int32_t wide = W + 3;
  std::vector<uint8_t> big(size_t(wide) * 3 * size_t(H + 5), 0);
  RVL_LoadMask(big.data(), wide * 3, wide, H + 5);
  for (size_t i = 0; i < count(); ++i) ASSERT_EQ(page.mask[i], 65535);
  RVL_LoadMask(nullptr, 0, W, H);
  RVL_LoadMask(big.data(), -1, W, H);  // a negative pitch: nothing
  RVL_LoadMask(big.data(), 0, -5, H);  // negative sizes: nothing
  RVL_SaveMask(nullptr, 0);
}

TEST_F(MaskStore, ImageAndAlphaFromMask) {
  const uint16_t m[] = {254, 255, 65535, 0, 1000, 32768, 65280, 65534};
  for (size_t i = 0; i < 8; ++i) page.mask[i] = m[i];
  const uint16_t grey[] = {65280, 65280, 0, 65280, 64535, 32767, 255, 1};
  RVL_CreateImageFromMask();
  for (size_t i = 0; i < 8; ++i) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(pixel(2, i)[c], grey[i]) << i;
    EXPECT_EQ(pixel(2, i)[3], 65535);
  }
  RVL_CreateAlphaFromMask();
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(pixel(2, i)[3], m[i]);
  EXPECT_EQ(pixel(2, 8)[3], kUntouched);
  fillMask(7);
  RVL_CreateMaskFromAlpha();
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(page.mask[i], m[i]);
}

TEST_F(MaskStore, MaskFromImage) {
  const uint16_t colours[][3] = {{0, 0, 0}, {255, 255, 255}, {256, 256, 256}, {65280, 65280, 65280},
                                 {65281, 65281, 65281}, {65535, 65535, 65535}, {100, 200, 600}, {0, 0, 768}};
  const uint16_t want[] = {65535, 65535, 65024, 0, 0, 0, 64980, 65024};
  for (size_t i = 0; i < 8; ++i)
    for (int c = 0; c < 3; ++c) pixel(2, i)[c] = colours[i][c];
  RVL_CreateMaskFromImage();
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(page.mask[i], want[i]) << i;
}

TEST_F(MaskStore, LayerTransfersWithoutLayerOrMaskDoNothing) {
  RVL_DeleteLayer(2);
  RVL_CreateImageFromMask();
  RVL_CreateMaskFromImage();
  RVL_CreateMaskFromAlpha();
  RVL_CreateAlphaFromMask();
  EXPECT_EQ(page.mask[0], kUntouched);
  RVL_DeleteImage();
  RVL_InvertMask();
  RVL_ClearMask(0, 0, 0);
}

TEST_F(MaskStore, ApplyMaskToAlpha) {
  // h = m >> 8: 0 clears, 255 keeps, else alpha (h + 1) >> 8.
  const uint16_t m[] = {32768, 65280, 255, 65535, 256, 0, 33024, 65279};
  const uint8_t want[] = {128, 255, 0, 255, 1, 0, 129, 254};
  for (size_t i = 0; i < 8; ++i) page.mask[i] = m[i];
  std::vector<uint8_t> p = picture(1, 2, 3, 255);
  RVL_ApplyMaskToAlpha_RGBA32(p.data());
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(p[i * 4 + 3], want[i]) << i;
    EXPECT_EQ(p[i * 4], 1);
  }
}

TEST_F(MaskStore, ApplyMaskToAlphaRect) {
  for (size_t i = 0; i < count(); ++i) page.mask[i] = uint16_t(i * 256);  // h = page index
  // Rectangle (-1, 1) .. (2, 5): the buffer's first pixel is page (-1, 1); on the page are
  // columns 0..2 of rows 1..3.
  const int32_t pitch = 4 * 4 + 4;
  std::vector<uint8_t> buffer(size_t(pitch) * 5, 255);
  RVL_ApplyMaskToAlphaRect_RGBA32(buffer.data(), pitch, -1, 1, 2, 5);
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 4; ++col) {
      const int px = col - 1, py = row + 1;
      const bool onPage = px >= 0 && py < H;
      const uint32_t h = onPage ? uint32_t(py * W + px) : 0;
      const uint8_t want = !onPage ? 255 : h == 0 ? 0 : uint8_t((255 * (h + 1)) >> 8);
      EXPECT_EQ(buffer[size_t(row) * pitch + size_t(col) * 4 + 3], want) << col << "," << row;
    }
  EXPECT_EQ(buffer[16 + 3], 255);  // row padding untouched
  std::vector<uint8_t> copy = buffer;
  RVL_ApplyMaskToAlphaRect_RGBA32(buffer.data(), pitch, 3, 1, 2, 2);  // reversed: nothing
  RVL_ApplyMaskToAlphaRect_RGBA32(buffer.data(), pitch, W, 0, W + 3, 2);  // off the page
  RVL_ApplyMaskToAlphaRect_RGBA32(buffer.data(), -pitch, 0, 0, 1, 1);
  RVL_ApplyMaskToAlphaRect_RGBA32(nullptr, pitch, 0, 0, 1, 1);
  EXPECT_EQ(buffer, copy);
}

TEST_F(MaskStore, Packing) {
  // A 10 x 2 picture on the 8 x 4 page: 8 columns of each 10-pixel row.
  const int32_t w = 10, h = 2;
  std::vector<uint8_t> rgba(size_t(w * h) * 4), rgb(size_t(w * h) * 3, 0xEE);
  for (size_t i = 0; i < size_t(w * h); ++i)
    rgba[i * 4] = uint8_t(i), rgba[i * 4 + 1] = 100, rgba[i * 4 + 2] = 200, rgba[i * 4 + 3] = uint8_t(50 + i);
  RVL_RGBAlphaToRGB(rgb.data(), w, h, rgba.data());
  EXPECT_EQ(rgb[0], 50);
  EXPECT_EQ(rgb[2], 50);
  EXPECT_EQ(rgb[13 * 3], 63);     // row 1, column 3
  EXPECT_EQ(rgb[8 * 3], 0xEE);    // column 8: beyond the page
  RVL_RGBAToRGB(rgb.data(), w, h, rgba.data());
  EXPECT_EQ(rgb[13 * 3], 13);
  EXPECT_EQ(rgb[13 * 3 + 1], 100);
  EXPECT_EQ(rgb[13 * 3 + 2], 200);
  std::vector<uint8_t> src = {1, 2, 4, 255, 255, 254};
  std::vector<uint8_t> dst = {9, 9, 9, 77, 9, 9, 9, 88};
  RVL_RGBToRGBAlpha(dst.data(), 2, 1, src.data());
  EXPECT_EQ(dst, (std::vector<uint8_t>{9, 9, 9, 2, 9, 9, 9, 254}));
  RVL_RGBToRGBA(dst.data(), 2, 1, src.data());
  EXPECT_EQ(dst, (std::vector<uint8_t>{1, 2, 4, 2, 255, 255, 254, 254}));
  RVL_RGBToRGBA(nullptr, 2, 1, src.data());
  RVL_RGBToRGBA(dst.data(), -2, 1, src.data());
  EXPECT_EQ(dst, (std::vector<uint8_t>{1, 2, 4, 2, 255, 255, 254, 254}));
}

TEST_F(MaskStore, MaskOptions) {
  RVL_SetMaskOptions(1, 2, 255, 256, 128, 0, 7);
  EXPECT_EQ(compose.maskOverlayColourA[0], 256);
  EXPECT_EQ(compose.maskOverlayColourA[1], 512);
  EXPECT_EQ(compose.maskOverlayColourA[2], 65280);
  EXPECT_EQ(compose.maskOverlayColourB[0], 0);  // low byte of 256
  EXPECT_EQ(compose.maskOverlayColourB[1], 32768);
  EXPECT_EQ(compose.maskOverlayColourB[2], 0);
  EXPECT_EQ(compose.maskOverlayFull, 7);
  RVL_DisplayMask(1);
  EXPECT_EQ(page.maskDisplayed, 1);
}

}  // namespace
}  // namespace rvl::test
