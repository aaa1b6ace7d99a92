#include <algorithm>
#include <cstring>
#include <vector>

#include "frame/allocator.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using LoadTest = LayerFixture;

TEST_F(LoadTest, PlainWriteExpandsBytesAndRoundTrips) {
  auto picture = solid(W, H, {255, 128, 0, 255});
  RVL_LoadRGBA32Layer(picture.data(), W * 4, 2, 0, 0, W, H, 0);
  EXPECT_EQ(at(2, 5, 5), (Pixel64{65280, 32768, 0, 65280}));
  std::vector<uint8_t> back(size_t(W) * H * 4);
  EXPECT_EQ(RVL_GetRGBA32Layer(back.data(), W * 4, 2), H);
  EXPECT_EQ(back, picture);
}

TEST_F(LoadTest, ClipsToTheSlot) {
  makePage(120, 60);
  // Source pixel (c, r) holds red c, green r.
  std::vector<uint8_t> source(100 * 50 * 4);
  for (int r = 0; r < 50; ++r)
    for (int c = 0; c < 100; ++c) {
      uint8_t* p = &source[(r * 100 + c) * 4];
      p[0] = uint8_t(c), p[1] = uint8_t(r), p[2] = 7, p[3] = 255;
    }
  RVL_LoadRGBA32Layer(source.data(), 100 * 4, 2, -10, -5, 100, 50, 0);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{10 << 8, 5 << 8, 7 << 8, 65280}));
  EXPECT_EQ(at(2, 89, 44), (Pixel64{99 << 8, 49 << 8, 7 << 8, 65280}));
  EXPECT_EQ(at(2, 90, 0)[3], 0);
  EXPECT_EQ(at(2, 0, 45)[3], 0);

  // Rectangles that clip to nothing write nothing, whatever the 32-bit ends add up to.
  for (auto [x, y, w, h] : std::vector<std::array<int32_t, 4>>{
           {120, 0, 100, 50}, {0, 60, 100, 50}, {-100, 0, 100, 50}, {INT32_MAX, 0, INT32_MAX, 1},
           {INT32_MIN, INT32_MIN, 10, 10}, {0, 0, -5, 10}}) {
    std::vector<uint16_t> before(page.layerTable[2].pixels.get(), page.layerTable[2].pixels + 120 * 60 * 4);
    RVL_LoadRGBA32Layer(source.data(), 100 * 4, 2, x, y, w, h, 0);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), page.layerTable[2].pixels.get())) << x << "," << y;
  }

  // A null source and an empty slot write nothing (and do not fill the slot).
  const uint16_t* pixels = page.layerTable[2].pixels;
  const std::vector<uint16_t> before(pixels, pixels + 120 * 60 * 4);
  RVL_LoadRGBA32Layer(nullptr, 4, 2, 0, 0, 1, 1, 0);
  RVL_LoadRGBA32Layer(source.data(), 4, 7, 0, 0, 1, 1, 0);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), pixels));
  EXPECT_TRUE(page.layerTable[7].pixels == nullptr);
}

struct WriteCase {
  const char* what;
  int32_t apply;     // the apply argument as the host passes it
  int32_t mask;      // page mask value at the pixel; -1: mask disabled (value 0 stored, which would block)
  int texture;       // -1: no texture
  Pixel64 layer;     // before
  std::array<uint8_t, 4> source;
  bool lock;
  Pixel64 expected;
};

TEST_F(LoadTest, WritesByApplyFlagMaskTextureAndLock) {
  const WriteCase cases[] = {
      {"plain: a transparent source clears the pixel", 0, 0x8000, -1, {1000, 2000, 3000, 4000}, {10, 20, 30, 0}, false, {0, 0, 0, 0}},
      {"plain under lock: colour stored, alpha kept", 0, 0x8000, -1, {1000, 2000, 3000, 4000}, {10, 20, 30, 0}, true, {2560, 5120, 7680, 4000}},
      {"apply 256: only the low byte counts", 256, 0, -1, {1, 2, 3, 4}, {10, 20, 30, 0}, false, {0, 0, 0, 0}},
      {"apply without mask or texture is a plain write", 1, -1, -1, {1, 2, 3, 4}, {10, 20, 30, 0}, false, {0, 0, 0, 0}},
      {"mask high byte 0 leaves the pixel", 1, 0x00FF, -1, {1, 2, 3, 4}, {200, 100, 50, 255}, false, {1, 2, 3, 4}},
      {"full coverage writes as is", 1, 0xFFFF, -1, {1, 2, 3, 4}, {200, 100, 50, 0}, false, {51200, 25600, 12800, 0}},
      {"full coverage under lock keeps alpha", 1, 0xFFFF, -1, {1, 2, 3, 4}, {200, 100, 50, 0}, true, {51200, 25600, 12800, 4}},
      // f = (129 * 65535) >> 8 = 33023, E = 32512
      {"partial over transparent", 1, 0x8000, -1, {9, 9, 9, 0}, {200, 100, 50, 255}, false, {51200, 25600, 12800, 32894}},
      {"partial, transparent source", 1, 0x8000, -1, {5, 6, 7, 65535}, {200, 100, 50, 0}, false, {5, 6, 7, 32511}},
      {"partial blend", 1, 0x8000, -1, {65535, 0, 0, 65535}, {200, 100, 50, 128}, false, {58310, 12899, (((50 * 256 * 33023) >> 8) + 0) >> 8, 49023}},
      {"partial blend under lock", 1, 0x8000, -1, {65535, 0, 0, 65535}, {200, 100, 50, 128}, true, {58310, 12899, 6449, 65535}},
      {"texture 0 covers nothing", 1, 0xFFFF, 0, {1, 2, 3, 4}, {200, 100, 50, 255}, false, {1, 2, 3, 4}},
      {"texture 128 covers fully", 1, 0xFFFF, 128, {1, 2, 3, 4}, {200, 100, 50, 255}, false, {51200, 25600, 12800, 65280}},
      // texture 64: f = (129 * 65535) >> 8, the same as mask 0x8000
      {"texture 64 like mask 0x8000", 1, 0xFFFF, 64, {9, 9, 9, 0}, {200, 100, 50, 255}, false, {51200, 25600, 12800, 32894}},
  };
  for (const WriteCase& c : cases) {
    set(2, 3, 4, c.layer);
    page.maskEnabled = c.mask >= 0;
    setMask(3, 4, c.mask >= 0 ? uint16_t(c.mask) : 0);
    release(page.textureBuffer);
    if (c.texture >= 0) {
      page.textureBuffer.allocate(size_t(W) * H);
      std::memset(page.textureBuffer, 255, size_t(W) * H);
      page.textureBuffer[4 * W + 3] = uint8_t(c.texture);
    }
    RVL_SetLayerOptions(2, 1, c.lock, 100, "Normal");
    RVL_LoadRGBA32Layer(c.source.data(), 4, 2, 3, 4, 1, 1, c.apply);
    EXPECT_EQ(at(2, 3, 4), c.expected) << c.what;
  }
}

TEST_F(LoadTest, FilteredWriteIntoALayerLargerThanThePageStaysInsideTheMask) {
  ASSERT_EQ(RVL_CreateLayer(3, W * 3, H * 3), 1);
  auto big = solid(W * 3, H * 3, {1, 2, 3, 255});
  RVL_LoadRGBA32Layer(big.data(), W * 3 * 4, 3, 0, 0, W * 3, H * 3, 1);
  EXPECT_EQ(at(3, W - 1, H - 1)[3], 65280);
  EXPECT_EQ(at(3, W, 0)[3], 0) << "outside the page there is no mask to filter by";
  RVL_LoadRGBA32Layer(big.data(), W * 3 * 4, 3, 0, 0, W * 3, H * 3, 0);
  EXPECT_EQ(at(3, W * 3 - 1, H * 3 - 1)[3], 65280);
}

TEST_F(LoadTest, CurrentLayerWrites) {
  auto picture = solid(W, H, {255, 128, 0, 255});
  RVL_LoadRGBA32(picture.data(), W * 4, 0);
  EXPECT_EQ(at(2, W - 1, H - 1), (Pixel64{65280, 32768, 0, 65280}));
  setMask(1, 1, 0);
  auto other = solid(W, H, {0, 0, 255, 255});
  RVL_LoadRGBA32Into(other.data(), W * 4, 2, 0, 0, W, H);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{0, 0, 65280, 65280}));
  EXPECT_EQ(at(2, 1, 1), (Pixel64{65280, 32768, 0, 65280})) << "masked out";

  // No current layer (a new page whose layer is not selected): nothing is written.
  RVL_CreateImage(nullptr, W, H, 8, 0);
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  RVL_LoadRGBA32(picture.data(), W * 4, 0);
  RVL_LoadRGB24(picture.data(), W * 3, 0);
  RVL_LoadRGB24ToAlpha(picture.data(), W * 3, 0);
  const uint16_t* pixels = page.layerTable[2].pixels;
  EXPECT_EQ(std::count(pixels, pixels + size_t(W) * H * 4, 0), W * H * 4) << "the unselected layer stays clear";
}

TEST_F(LoadTest, RGB24WritesColourAndKeepsAlpha) {
  std::vector<uint8_t> rgb(size_t(W) * H * 3, 0);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200, rgb[i + 1] = 100, rgb[i + 2] = 50;
  set(2, 0, 0, {0, 0, 0, 777});
  set(2, 1, 0, {65535, 0, 0, 65535});
  setMask(2, 0, 0x00FF);  // high byte 0: no coverage
  set(2, 2, 0, {1, 1, 1, 1});
  setMask(1, 0, 0x8000);
  RVL_LoadRGB24(rgb.data(), W * 3, 1);
  EXPECT_EQ(at(2, 0, 0), (Pixel64{51200, 25600, 12800, 777}));
  EXPECT_EQ(at(2, 1, 0), (Pixel64{58310, 12899, 6449, 65535}));
  EXPECT_EQ(at(2, 2, 0), (Pixel64{1, 1, 1, 1}));
  RVL_LoadRGB24(rgb.data(), W * 3, 0);
  EXPECT_EQ(at(2, 2, 0), (Pixel64{51200, 25600, 12800, 1}));
}

TEST_F(LoadTest, RGB24ToAlphaUsesItsOwnCoverage) {
  std::vector<uint8_t> rgb(size_t(W) * H * 3, 0);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 100, rgb[i + 1] = 1, rgb[i + 2] = 2;
  set(2, 0, 0, {5, 5, 5, 0});      // transparent: never changed
  set(2, 1, 0, {5, 5, 5, 50000});  // texture 64 and mask 0x8000
  set(2, 2, 0, {5, 5, 5, 50000});  // full coverage
  page.textureBuffer.allocate(size_t(W) * H);
  std::memset(page.textureBuffer, 200, size_t(W) * H);
  page.textureBuffer[1] = 64;
  setMask(1, 0, 0x8000);
  RVL_LoadRGB24ToAlpha(rgb.data(), W * 3, 1);
  EXPECT_EQ(at(2, 0, 0)[3], 0);
  EXPECT_EQ(at(2, 1, 0)[3], 43899);  // f = (0x8000 * ((128 * 65535) >> 8)) >> 16 = 16383
  EXPECT_EQ(at(2, 2, 0)[3], 25600);
  EXPECT_EQ(at(2, 2, 0)[0], 5) << "colour untouched";
  RVL_LoadRGB24ToAlpha(rgb.data(), W * 3, 0);
  EXPECT_EQ(at(2, 1, 0)[3], 25600);
}

TEST_F(LoadTest, BGR24IsOpaqueAndCutToThePage) {
  const int w = W + 4, h = 3;
  std::vector<uint8_t> bgr(size_t(w) * h * 3);
  for (size_t i = 0; i < bgr.size(); i += 3) bgr[i] = 1, bgr[i + 1] = 2, bgr[i + 2] = 3;
  RVL_Load(bgr.data(), w * 3, w, h);
  EXPECT_EQ(at(2, W - 1, 2), (Pixel64{768, 512, 256, 65535}));
  EXPECT_EQ(at(2, 0, 3)[3], 0);
}

TEST_F(LoadTest, RawTransfers) {
  std::vector<uint16_t> raw(size_t(W) * H * 4);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = uint16_t(i * 7);
  EXPECT_EQ(RVL_SetRGBA64Layer(raw.data(), W * 8, 2), H);
  EXPECT_EQ(at(2, 1, 0), (Pixel64{28, 35, 42, 49}));
  EXPECT_EQ(RVL_SetRGBA64Layer(raw.data(), W * 8, 9), 0);
  EXPECT_EQ(RVL_SetRGBA64Layer(nullptr, W * 8, 2), 0);

  RVL_CopyLayerData(2, 0);
  std::vector<uint16_t> out(raw.size());
  RVL_GetLayerData(out.data(), 0);
  EXPECT_EQ(out, raw);
  std::vector<uint16_t> zeros(raw.size(), 0);
  RVL_SetLayerData(zeros.data(), 0);
  EXPECT_EQ(at(0, 1, 0), (Pixel64{0, 0, 0, 0}));
  RVL_SetLayerData(nullptr, 0);
  RVL_CopyLayerData(2, 9);

  // A smaller slot receives only what it holds.
  ASSERT_EQ(RVL_CreateLayer(4, 2, 2), 1);
  RVL_SetLayerData(raw.data(), 4);
  RVL_CopyLayerData(2, 4);
  RVL_GetLayerData(out.data(), 4);
  EXPECT_EQ(out[15], raw[15]);
}

}  // namespace
}  // namespace rvl::test
