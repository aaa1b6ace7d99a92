#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "external/imaging/imaging.h"
#include "frame/allocator.h"
#include "platform/global_memory.h"
#include "support/file_scratch.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

struct Decoded {
  bool ok = false;
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
};

Decoded take(platform::GlobalBlock block, uint32_t w, uint32_t h, uint32_t bpp) {
  Decoded d;
  if (!block) return d;
  EXPECT_EQ(platform::globalSize(block), size_t(w) * h * bpp);
  const uint8_t* p = static_cast<const uint8_t*>(platform::globalLock(block));
  d.pixels.assign(p, p + size_t(w) * h * bpp);
  d.ok = true;
  d.width = w;
  d.height = h;
  platform::globalFree(block);
  return d;
}

Decoded readMemory(const std::vector<uint8_t>& bytes, uint32_t bpp = 4) {
  SourceHandle source = IS3OpenMemorySource(bytes.data(), uint32_t(bytes.size()));
  uint32_t w = 0, h = 0;
  platform::GlobalBlock block = bpp == 4 ? IS3ReadImageToRGBA(source, &w, &h, 0)
                                         : IS3ReadImageToRGB(source, &w, &h, 0);
  IS3CloseSource(source);
  return take(block, w, h, bpp);
}

Decoded readPath(const std::string& path, uint32_t bpp = 4) {
  return readMemory(readBytes(path), bpp);
}

uint32_t guess(const std::vector<uint8_t>& bytes) {
  SourceHandle source = IS3OpenMemorySource(bytes.data(), uint32_t(bytes.size()));
  const uint32_t type = IS3GuessFileType(source);
  IS3CloseSource(source);
  return type;
}

// RGBA32 test picture: varied colours, alpha 255 except a few transparent and
// half-transparent pixels when withAlpha.
std::vector<uint8_t> picture(uint32_t w, uint32_t h, bool withAlpha, uint32_t bpp = 4) {
  std::vector<uint8_t> p(size_t(w) * h * bpp);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t* o = &p[(size_t(y) * w + x) * bpp];
      o[0] = uint8_t(x * 37 + y * 3);
      o[1] = uint8_t(y * 29 + 7);
      o[2] = uint8_t((x ^ y) * 11);
      if (bpp == 4) o[3] = !withAlpha ? 255 : (x + y) % 5 == 0 ? 0 : (x + y) % 5 == 1 ? 128 : 255;
    }
  return p;
}

// RGBA32 with alpha 255 from RGB24.
std::vector<uint8_t> opaque(const std::vector<uint8_t>& rgb) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < rgb.size(); i += 3) out.insert(out.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
  return out;
}

bool writeFile(const std::string& path, const std::function<uint32_t(DestinationHandle)>& write) {
  DestinationHandle d = IS3OpenFileDest(path.c_str(), 0);
  if (!d) return false;
  const uint32_t written = write(d);
  const uint32_t closed = IS3CloseDest(d);
  return written && closed;
}

class ImagingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    IS3Initialize(0);
    resetJPGSettings();
    rvl::testing::clearAllocationFaults();
    blocks = rvl::testing::liveBlocks();
    globals = platform::testing::liveGlobalBlocks();
  }
  void TearDown() override {
    rvl::testing::clearAllocationFaults();
    EXPECT_EQ(rvl::testing::liveBlocks(), blocks);
    EXPECT_EQ(platform::testing::liveGlobalBlocks(), globals);
  }
  Scratch scratch;
  int64_t blocks = 0, globals = 0;
};

// ---- round trips ----

TEST_F(ImagingFiles, LosslessRoundTripsAreExact) {
  const uint32_t W = 13, H = 7;
  const auto rgba = picture(W, H, true);
  const auto rgb = picture(W, H, false, 3);
  struct Case {
    const char* name;
    uint32_t type;
    bool alpha;
    std::function<uint32_t(DestinationHandle)> write;
  };
  const std::vector<Case> cases = {
      {"a.bmp", kTypeBMP, false, [&](DestinationHandle d) { return IS3WriteBMP(d, rgb.data(), W, H, 24, W * 3, 0, nullptr, nullptr, 0); }},
      {"b.bmp", kTypeBMP, true, [&](DestinationHandle d) { return IS3WriteBMP(d, rgba.data(), W, H, 32, W * 4, 0, nullptr, nullptr, 0); }},
      {"a.png", kTypePNG, false, [&](DestinationHandle d) { return IS3WritePNG(d, rgb.data(), W, H, W * 3, 8, 0, nullptr, 2, 0, 0, nullptr, 0); }},
      {"b.png", kTypePNG, true, [&](DestinationHandle d) { return IS3WritePNG(d, rgba.data(), W, H, W * 4, 8, 0, nullptr, 6, 0.45455, 1, nullptr, 0); }},
      {"a.tga", kTypeTGA, false, [&](DestinationHandle d) { return IS3WriteTGA(d, rgb.data(), W, H, W * 3, 24, 0); }},
      {"b.tga", kTypeTGA, true, [&](DestinationHandle d) { return IS3WriteTGA(d, rgba.data(), W, H, W * 4, 32, 0); }},
      {"a.pcx", kTypePCX, false, [&](DestinationHandle d) { return IS3WritePCX(d, rgb.data(), W, H, W * 3, 24, nullptr, 0); }},
      {"a.psd", kTypePSD, false, [&](DestinationHandle d) { return IS3WritePSD(d, rgb.data(), W, H, W * 3, 24, nullptr, 0); }},
      {"b.psd", kTypePSD, true, [&](DestinationHandle d) { return IS3WritePSD(d, rgba.data(), W, H, W * 4, 32, nullptr, 0); }},
      {"a.tif", kTypeTIFF, false, [&](DestinationHandle d) { return IS3WriteTIFF(d, rgb.data(), W, H, W * 3, 24, 5, nullptr, 0); }},
      {"b.tif", kTypeTIFF, true, [&](DestinationHandle d) { return IS3WriteTIFF(d, rgba.data(), W, H, W * 4, 32, 8, nullptr, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = scratch.path(c.name);
    ASSERT_TRUE(writeFile(path, c.write));
    EXPECT_EQ(guess(readBytes(path)), c.type);
    const Decoded d = readPath(path);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, W);
    EXPECT_EQ(d.height, H);
    EXPECT_EQ(d.pixels, c.alpha ? rgba : opaque(rgb));
    const Decoded d3 = readPath(path, 3);
    ASSERT_TRUE(d3.ok);
    if (!c.alpha) {
      EXPECT_EQ(d3.pixels, rgb);
    }
  }
}

TEST_F(ImagingFiles, PaletteFormatsRoundTrip) {
  const uint32_t W = 9, H = 5;
  uint8_t palette[768] = {};
  for (int i = 0; i < 256; ++i) palette[3 * i] = uint8_t(i), palette[3 * i + 1] = uint8_t(255 - i), palette[3 * i + 2] = uint8_t(i * 7);
  std::vector<uint8_t> indices(W * H);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t(i * 13);
  std::vector<uint8_t> expected;
  for (uint8_t i : indices) expected.insert(expected.end(), {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2], 255});

  ASSERT_TRUE(writeFile(scratch.path("p.pcx"), [&](DestinationHandle d) { return IS3WritePCX(d, indices.data(), W, H, W, 8, palette, 0); }));
  ASSERT_TRUE(writeFile(scratch.path("p.bmp"), [&](DestinationHandle d) { return IS3WriteBMP(d, indices.data(), W, H, 8, W, 256, palette, nullptr, 0); }));
  ASSERT_TRUE(writeFile(scratch.path("p.png"), [&](DestinationHandle d) { return IS3WritePNG(d, indices.data(), W, H, W, 8, 256, palette, 3, 0, 0, nullptr, 0); }));
  ASSERT_TRUE(writeFile(scratch.path("p.gif"), [&](DestinationHandle d) { return IS3WriteGIF(d, indices.data(), W, H, W, 8, 256, palette, -1, 0); }));
  for (const char* name : {"p.pcx", "p.bmp", "p.png", "p.gif"}) {
    SCOPED_TRACE(name);
    const Decoded d = readPath(scratch.path(name));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, expected);
  }
  EXPECT_EQ(guess(readBytes(scratch.path("p.gif"))), kTypeGIF);

  // The transparent index reads back with alpha 0.
  ASSERT_TRUE(writeFile(scratch.path("t.gif"), [&](DestinationHandle d) { return IS3WriteGIF(d, indices.data(), W, H, W, 8, 256, palette, 13, 0); }));
  const Decoded t = readPath(scratch.path("t.gif"));
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.pixels[4 * 1 + 3], 0);
  EXPECT_EQ(t.pixels[4 * 0 + 3], 255);
}

TEST_F(ImagingFiles, QuantisedGifKeepsAFewColours) {
  const uint32_t W = 16, H = 8;
  std::vector<uint8_t> rgb(W * H * 3);
  for (size_t i = 0; i < W * H; ++i) {
    const uint8_t c = uint8_t((i % 4) * 80);
    rgb[3 * i] = c, rgb[3 * i + 1] = uint8_t(255 - c), rgb[3 * i + 2] = 40;
  }
  std::vector<uint8_t> indices(W * H);
  uint8_t palette[768];
  const uint32_t colours = IS3RGBToPalette(rgb.data(), W, H, W * 3, indices.data(), W, 256, palette, 1, 20, 0);
  ASSERT_GE(colours, 4u);
  ASSERT_TRUE(writeFile(scratch.path("q.gif"), [&](DestinationHandle d) { return IS3WriteGIF(d, indices.data(), W, H, W, 8, 256, palette, -1, 0); }));
  const Decoded d = readPath(scratch.path("q.gif"), 3);
  ASSERT_TRUE(d.ok);
  for (size_t i = 0; i < rgb.size(); ++i) EXPECT_NEAR(d.pixels[i], rgb[i], 3) << i;
}

TEST_F(ImagingFiles, JpegRoundTripIsClose) {
  const uint32_t W = 32, H = 16;
  std::vector<uint8_t> rgb(W * H * 3);
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < W; ++x) {
      uint8_t* o = &rgb[(y * W + x) * 3];
      o[0] = uint8_t(x * 8), o[1] = uint8_t(y * 16), o[2] = 128;
    }
  ASSERT_TRUE(writeFile(scratch.path("a.jpg"), [&](DestinationHandle d) { return IS3WriteJPG(d, rgb.data(), W, H, W * 3, 97, 24, nullptr, 0); }));
  const auto bytes = readBytes(scratch.path("a.jpg"));
  EXPECT_EQ(guess(bytes), kTypeJPEG);
  const Decoded d = readMemory(bytes, 3);
  ASSERT_TRUE(d.ok);
  ASSERT_EQ(d.width, W);
  ASSERT_EQ(d.height, H);
  double error = 0;
  for (size_t i = 0; i < rgb.size(); ++i) error += std::abs(int(d.pixels[i]) - int(rgb[i]));
  EXPECT_LT(error / double(rgb.size()), 3.0);
  const Decoded d4 = readMemory(bytes);
  ASSERT_TRUE(d4.ok);
  for (size_t i = 3; i < d4.pixels.size(); i += 4) EXPECT_EQ(d4.pixels[i], 255);
}

TEST_F(ImagingFiles, LineWritersTakeRowsInFileOrder) {
  const uint32_t W = 6, H = 4;
  const auto rgba = picture(W, H, true);
  const auto rgb = picture(W, H, false, 3);
  const uint32_t factors[10] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_NE(IS3SetJPGDCTMethod(3), 0u);
  ASSERT_NE(IS3SetJPGSampleFactors(factors, factors), 0u);
  const LineResolution res{3779.5, 3779.5, 1};
  struct Case {
    const char* name;
    bool alpha, bottomUp;
    std::function<LineWriterHandle(DestinationHandle)> init;
  };
  const std::vector<Case> cases = {
      {"l.bmp", false, true, [&](DestinationHandle d) { return IS3InitWriteBMPLines(d, W, H, 24, 0, nullptr, &res, 0); }},
      {"l.png", true, false, [&](DestinationHandle d) { return IS3InitWritePNGLines(d, W, H, W * 4, 8, 0, nullptr, 6, 0, 0, &res, 0); }},
      {"l.tga", true, false, [&](DestinationHandle d) { return IS3InitWriteTGALines(d, W, H, 32, 0, 0); }},
      {"r.tga", true, false, [&](DestinationHandle d) { return IS3InitWriteTGALines(d, W, H, 32, 1, 0); }},
      {"l.tif", true, false, [&](DestinationHandle d) { return IS3InitWriteTIFFLines(d, W, H, 32, nullptr, 8, &res, 0); }},
      {"l.jpg", false, false, [&](DestinationHandle d) { return IS3InitWriteJPGLines(d, W, H, 100, 24, &res, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DestinationHandle d = IS3OpenFileDest(scratch.path(c.name).c_str(), 0);
    LineWriterHandle lines = c.init(d);
    ASSERT_NE(lines, nullptr);
    const auto& src = c.alpha ? rgba : rgb;
    const uint32_t bpp = c.alpha ? 4 : 3;
    for (uint32_t i = 0; i < H; ++i) {
      const uint32_t y = c.bottomUp ? H - 1 - i : i;
      EXPECT_NE(IS3WriteNextLine(lines, src.data() + y * W * bpp), 0u);
    }
    EXPECT_EQ(IS3WriteNextLine(lines, src.data()), 0u);  // one row too many
    EXPECT_NE(IS3DestroyWriteLines(lines), 0u);
    EXPECT_NE(IS3CloseDest(d), 0u);
    const Decoded back = readPath(scratch.path(c.name), bpp);
    ASSERT_TRUE(back.ok);
    if (std::string(c.name) == "l.jpg") {
      for (size_t i = 0; i < src.size(); ++i) EXPECT_NEAR(back.pixels[i], src[i], 24) << i;
    } else {
      EXPECT_EQ(back.pixels, src);
    }
  }
}

TEST_F(ImagingFiles, IncompleteOrNullLineWritersFail) {
  const auto rgb = picture(4, 3, false, 3);
  DestinationHandle d = IS3OpenFileDest(scratch.path("short.png").c_str(), 0);
  LineWriterHandle lines = IS3InitWritePNGLines(d, 4, 3, 12, 8, 0, nullptr, 2, 0, 0, nullptr, 0);
  ASSERT_NE(lines, nullptr);
  EXPECT_NE(IS3WriteNextLine(lines, rgb.data()), 0u);
  EXPECT_EQ(IS3DestroyWriteLines(lines), 0u);
  IS3CloseDest(d);
  EXPECT_FALSE(readPath(scratch.path("short.png")).ok);

  EXPECT_EQ(IS3InitWriteBMPLines(nullptr, 4, 3, 24, 0, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(IS3InitWriteJPGLines(nullptr, 4, 3, 90, 24, nullptr, 0), nullptr);
  EXPECT_EQ(IS3InitWriteTIFFLines(nullptr, 4, 3, 32, nullptr, 8, nullptr, 0), nullptr);
  EXPECT_EQ(IS3WriteNextLine(nullptr, rgb.data()), 0u);
  EXPECT_EQ(IS3DestroyWriteLines(nullptr), 0u);
  EXPECT_EQ(IS3CloseDest(nullptr), 0u);
  EXPECT_EQ(IS3WriteBMP(nullptr, rgb.data(), 4, 3, 24, 12, 0, nullptr, nullptr, 0), 0u);
  EXPECT_EQ(IS3OpenFileDest(scratch.path("no/such/dir/x.bmp").c_str(), 0), nullptr);
  EXPECT_EQ(IS3OpenFileSource(scratch.path("missing.bmp").c_str()), nullptr);
  EXPECT_EQ(IS3OpenFileSource(nullptr), nullptr);
}

TEST_F(ImagingFiles, MetafileRendersItsBitmap) {
  const uint32_t W = 5, H = 3;
  const auto rgb = picture(W, H, false, 3);
  const std::string path = scratch.path("m.emf");
  ASSERT_TRUE(writeFile(path, [&](DestinationHandle d) { return IS3WriteEMF(d, rgb.data(), W, H, W * 3, 24, 0); }));
  EXPECT_EQ(guess(readBytes(path)), kTypeEMF);
  uint32_t w = 0, h = 0;
  platform::GlobalBlock block = IS3ReadMetafile(path.c_str(), 0, 0, 0x0000FF, 0, &w, &h);
  const Decoded own = take(block, w, h, 3);
  ASSERT_TRUE(own.ok);
  EXPECT_EQ(own.pixels, rgb);
  // Twice the size: every source pixel becomes a 2 × 2 block.
  block = IS3ReadMetafile(path.c_str(), 2 * W, 2 * H, 0x0000FF, 0, &w, &h);
  const Decoded big = take(block, w, h, 3);
  ASSERT_TRUE(big.ok);
  EXPECT_EQ(w, 2 * W);
  for (uint32_t y = 0; y < 2 * H; ++y)
    for (uint32_t x = 0; x < 2 * W; ++x)
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(big.pixels[(y * 2 * W + x) * 3 + c], rgb[((y / 2) * W + x / 2) * 3 + c]);
  // Not a metafile of the kind rendered: refused.
  const auto png = scratch.path("x.png");
  ASSERT_TRUE(writeFile(png, [&](DestinationHandle d) { return IS3WritePNG(d, rgb.data(), W, H, W * 3, 8, 0, nullptr, 2, 0, 0, nullptr, 0); }));
  EXPECT_EQ(IS3ReadMetafile(png.c_str(), 0, 0, 0, 0, &w, &h), nullptr);
  auto bytes = readBytes(path);
  bytes[108] = 82;  // the bitmap record becomes another kind
  writeBytes(scratch.path("other.emf"), bytes);
  EXPECT_EQ(IS3ReadMetafile(scratch.path("other.emf").c_str(), 0, 0, 0, 0, &w, &h), nullptr);
}

// ---- variants written by other programs ----

std::vector<uint8_t> bmpFile(uint32_t infoBits, int32_t width, int32_t height, uint32_t compression,
                             const std::vector<uint8_t>& table, const std::vector<uint8_t>& bits) {
  std::vector<uint8_t> f(54, 0);
  const uint32_t offBits = uint32_t(54 + table.size());
  f[0] = 'B', f[1] = 'M';
  auto le32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i)); };
  le32(2, uint32_t(offBits + bits.size()));
  le32(10, offBits);
  le32(14, 40);
  le32(18, uint32_t(width));
  le32(22, uint32_t(height));
  f[26] = 1;
  f[28] = uint8_t(infoBits);
  le32(30, compression);
  le32(46, uint32_t(table.size() / 4));
  for (uint8_t b : table) f.push_back(b);
  for (uint8_t b : bits) f.push_back(b);
  return f;
}

TEST_F(ImagingFiles, BmpVariants) {
  // Colour table: 0 black, 1 red, 2 green, 3 blue (stored blue, green, red, 0).
  const std::vector<uint8_t> table = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
  // RLE8, 4 × 2, bottom-up: bottom row red ×4; top row green, then end of bitmap.
  const auto rle8 = bmpFile(8, 4, 2, 1, table, {4, 1, 0, 0, 1, 2, 0, 1});
  Decoded d = readMemory(rle8);
  ASSERT_TRUE(d.ok);
  const std::vector<uint8_t> red = {255, 0, 0, 255}, green = {0, 255, 0, 255}, blue = {0, 0, 255, 255};
  EXPECT_EQ(std::vector<uint8_t>(d.pixels.begin() + 16, d.pixels.begin() + 20), red);  // bottom row
  EXPECT_EQ(std::vector<uint8_t>(d.pixels.begin(), d.pixels.begin() + 4), green);
  EXPECT_EQ(d.pixels[7], 0);  // skipped: transparent
  // RLE4, 3 × 1: absolute run of nibbles 1, 2, 3.
  const auto rle4 = bmpFile(4, 3, 1, 2, table, {0, 3, 0x12, 0x30, 0, 1});
  d = readMemory(rle4);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255}));
  // 1 bit, top-down (negative height), 2 × 2.
  const auto mono = bmpFile(1, 2, -2, 0, table, {0x80, 0, 0, 0, 0x40, 0, 0, 0});
  d = readMemory(mono);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 0, 0, 255}));
  // 4 bit plain, 16 bit 5-5-5.
  d = readMemory(bmpFile(4, 2, 1, 0, table, {0x32, 0, 0, 0}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{0, 0, 255, 255, 0, 255, 0, 255}));
  d = readMemory(bmpFile(16, 1, 1, 0, {}, {0x00, 0x7C, 0, 0}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, red);
  (void)blue;
}

TEST_F(ImagingFiles, TgaVariants) {
  // Colour-mapped RLE, 3 × 1, bottom-up: a run of three of entry 1 (24-bit map).
  std::vector<uint8_t> mapped = {0, 1, 9, 0, 0, 2, 0, 24, 0, 0, 0, 0, 3, 0, 1, 0, 8, 0,
                                 0, 0, 0, 0, 0, 255, 0x82, 1};
  Decoded d = readMemory(mapped);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255}));
  // Grey, uncompressed, 2 × 2 bottom-up.
  std::vector<uint8_t> grey = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0, 10, 20, 30, 40};
  d = readMemory(grey, 3);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{30, 30, 30, 40, 40, 40, 10, 10, 10, 20, 20, 20}));
  // 16 bits with an alpha bit, top-down: one opaque red, one transparent.
  std::vector<uint8_t> sixteen = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 16, 0x21,
                                  0x00, 0xFC, 0x00, 0x7C};
  d = readMemory(sixteen);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{255, 0, 0, 255, 255, 0, 0, 0}));
}

TEST_F(ImagingFiles, PsdRawGreyscale) {
  std::vector<uint8_t> f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2,
                            0, 0, 0, 3, 0, 8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                            1, 2, 3, 4, 5, 6};
  const Decoded d = readMemory(f, 3);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, 3u);
  EXPECT_EQ(d.height, 2u);
  EXPECT_EQ(d.pixels, (std::vector<uint8_t>{1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6}));
  f.pop_back();
  EXPECT_FALSE(readMemory(f).ok);
}

// ---- resolution and size readers ----

TEST_F(ImagingFiles, DimensionReadersReportResolution) {
  const uint32_t W = 6, H = 4;
  const auto rgb = picture(W, H, false, 3);
  const WriteResolution ppm{11811, 11811, 0}, dpi{300, 300, 1}, tif{299, 299, 2}, psd{150, 150, 2};
  ASSERT_TRUE(writeFile(scratch.path("r.bmp"), [&](DestinationHandle d) { return IS3WriteBMP(d, rgb.data(), W, H, 24, W * 3, 0, nullptr, &ppm, 0); }));
  ASSERT_TRUE(writeFile(scratch.path("r.jpg"), [&](DestinationHandle d) { return IS3WriteJPG(d, rgb.data(), W, H, W * 3, 90, 24, &dpi, 0); }));
  const WriteResolution pngRes{3780, 3780, 1};
  ASSERT_TRUE(writeFile(scratch.path("r.png"), [&](DestinationHandle d) { return IS3WritePNG(d, rgb.data(), W, H, W * 3, 8, 0, nullptr, 2, 0, 0, &pngRes, 0); }));
  ASSERT_TRUE(writeFile(scratch.path("r.tif"), [&](DestinationHandle d) { return IS3WriteTIFF(d, rgb.data(), W, H, W * 3, 24, 0, &tif, 0); }));
  ASSERT_TRUE(writeFile(scratch.path("r.psd"), [&](DestinationHandle d) { return IS3WritePSD(d, rgb.data(), W, H, W * 3, 24, &psd, 0); }));
  using Reader = uint32_t (*)(SourceHandle, uint32_t*, uint32_t*, uint32_t*, Resolution*);
  struct Case { const char* name; Reader read; Resolution expected; uint32_t bits; };
  const Case cases[] = {{"r.bmp", IS3GetBMPDimensions, {11811, 11811, 2}, 24},
                        {"r.jpg", IS3GetJPGDimensions, {300, 300, 1}, 24},
                        {"r.png", IS3GetPNGDimensions, {3780, 3780, 1}, 24},
                        {"r.tif", IS3GetTIFFDimensions, {299, 299, 2}, 24},
                        {"r.psd", IS3GetPSDDimensions, {150, 150, 2}, 24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SourceHandle s = IS3OpenFileSource(scratch.path(c.name).c_str());
    ASSERT_NE(s, nullptr);
    uint32_t w = 0, h = 0, bits = 0;
    Resolution r{};
    ASSERT_NE(c.read(s, &w, &h, &bits, &r), 0u);
    IS3CloseSource(s);
    EXPECT_EQ(w, W);
    EXPECT_EQ(h, H);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(r.x, c.expected.x);
    EXPECT_EQ(r.y, c.expected.y);
    EXPECT_EQ(r.unit, c.expected.unit);
  }
}

// ---- refused input ----

TEST_F(ImagingFiles, TruncatedFilesAreRefused) {
  const uint32_t W = 20, H = 10;
  const auto rgba = picture(W, H, true);
  const auto rgb = picture(W, H, false, 3);
  std::vector<uint8_t> indices(W * H);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t(i * 7);
  uint8_t palette[768] = {};
  const std::vector<std::pair<const char*, std::function<uint32_t(DestinationHandle)>>> files = {
      {"t.bmp", [&](DestinationHandle d) { return IS3WriteBMP(d, rgb.data(), W, H, 24, W * 3, 0, nullptr, nullptr, 0); }},
      {"t.png", [&](DestinationHandle d) { return IS3WritePNG(d, rgba.data(), W, H, W * 4, 8, 0, nullptr, 6, 0, 0, nullptr, 0); }},
      {"t.jpg", [&](DestinationHandle d) { return IS3WriteJPG(d, rgb.data(), W, H, W * 3, 80, 24, nullptr, 0); }},
      {"t.tga", [&](DestinationHandle d) { return IS3WriteTGA(d, rgba.data(), W, H, W * 4, 32, 0); }},
      {"t.pcx", [&](DestinationHandle d) { return IS3WritePCX(d, rgb.data(), W, H, W * 3, 24, nullptr, 0); }},
      {"t.psd", [&](DestinationHandle d) { return IS3WritePSD(d, rgba.data(), W, H, W * 4, 32, nullptr, 0); }},
      {"t.tif", [&](DestinationHandle d) { return IS3WriteTIFF(d, rgba.data(), W, H, W * 4, 32, 0, nullptr, 0); }},
      {"t.gif", [&](DestinationHandle d) { return IS3WriteGIF(d, indices.data(), W, H, W, 8, 256, palette, -1, 0); }},
  };
  for (const auto& [name, write] : files) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(writeFile(scratch.path(name), write));
    const auto bytes = readBytes(scratch.path(name));
    ASSERT_TRUE(readMemory(bytes).ok);
    for (size_t length : {size_t(0), size_t(8), size_t(30), bytes.size() / 2}) {
      const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(length));
      EXPECT_FALSE(readMemory(cut).ok) << length;
    }
  }
}

TEST_F(ImagingFiles, OversizedAndInconsistentHeadersAreRefused) {
  // BMP claiming 10001 × 1 and one claiming more rows than its data.
  EXPECT_FALSE(readMemory(bmpFile(24, 10001, 1, 0, {}, std::vector<uint8_t>(30004))).ok);
  EXPECT_FALSE(readMemory(bmpFile(24, 4, 4000, 0, {}, std::vector<uint8_t>(100))).ok);
  EXPECT_FALSE(readMemory(bmpFile(24, 0, 1, 0, {}, std::vector<uint8_t>(4))).ok);
  EXPECT_FALSE(readMemory(bmpFile(24, 1, 1, 7, {}, std::vector<uint8_t>(4))).ok);
  // PNG whose header says 20000 × 1.
  const auto rgb = picture(4, 1, false, 3);
  ASSERT_TRUE(writeFile(scratch.path("w.png"), [&](DestinationHandle d) { return IS3WritePNG(d, rgb.data(), 4, 1, 12, 8, 0, nullptr, 2, 0, 0, nullptr, 0); }));
  auto png = readBytes(scratch.path("w.png"));
  png[16] = 0, png[17] = 0, png[18] = 0x4E, png[19] = 0x20;
  EXPECT_FALSE(readMemory(png).ok);
  // TGA whose pixels are missing; PSD with 16-bit channels; unknown bytes.
  EXPECT_FALSE(readMemory({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 100, 0, 24, 0}).ok);
  EXPECT_FALSE(readMemory({'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 16, 0, 3}).ok);
  EXPECT_FALSE(readMemory({1, 2, 3, 4, 5, 6, 7, 8}).ok);
  EXPECT_EQ(guess({1, 2, 3, 4, 5, 6, 7, 8}), kTypeUnknown);
  EXPECT_EQ(IS3ReadImageToRGBA(nullptr, nullptr, nullptr, 0), nullptr);
}

TEST_F(ImagingFiles, AllocationFailuresAreReported) {
  const uint32_t W = 32, H = 32;
  const auto rgba = picture(W, H, true);
  for (const char* name : {"f.png", "f.bmp", "f.tga", "f.tif", "f.psd"}) {
    SCOPED_TRACE(name);
    const std::string path = scratch.path(name);
    ASSERT_TRUE(writeFile(path, [&](DestinationHandle d) {
      const std::string n = name;
      if (n == "f.png") return IS3WritePNG(d, rgba.data(), W, H, W * 4, 8, 0, nullptr, 6, 0, 0, nullptr, 0);
      if (n == "f.bmp") return IS3WriteBMP(d, rgba.data(), W, H, 32, W * 4, 0, nullptr, nullptr, 0);
      if (n == "f.tga") return IS3WriteTGA(d, rgba.data(), W, H, W * 4, 32, 0);
      if (n == "f.tif") return IS3WriteTIFF(d, rgba.data(), W, H, W * 4, 32, 0, nullptr, 0);
      return IS3WritePSD(d, rgba.data(), W, H, W * 4, 32, nullptr, 0);
    }));
    const auto bytes = readBytes(path);
    // The picture block is the largest allocation: refuse it.
    rvl::testing::failAllocationsAbove(W * H * 4 - 1);
    EXPECT_FALSE(readMemory(bytes).ok);
    EXPECT_EQ(IS3GetLastError(), kOutOfMemory);
    rvl::testing::clearAllocationFaults();
    // Every single allocation of the read failing in turn.
    rvl::testing::clearAllocationFaults();
    ASSERT_TRUE(readMemory(bytes).ok);
    const uint64_t count = rvl::testing::allocationCount();
    for (uint64_t n = 1; n <= count; ++n) {
      rvl::testing::clearAllocationFaults();
      rvl::testing::failNthAllocation(n);
      EXPECT_FALSE(readMemory(bytes).ok) << n;
    }
  }
  // Writers: no line buffer, no file record.
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(IS3OpenFileDest(scratch.path("n.bmp").c_str(), 0), nullptr);
  rvl::testing::clearAllocationFaults();
  DestinationHandle d = IS3OpenFileDest(scratch.path("n.bmp").c_str(), 0);
  rvl::testing::failNextAllocations(5);
  EXPECT_EQ(IS3WriteBMP(d, rgba.data(), W, H, 32, W * 4, 0, nullptr, nullptr, 0), 0u);
  EXPECT_EQ(IS3WriteTGA(d, rgba.data(), W, H, W * 4, 32, 0), 0u);
  rvl::testing::clearAllocationFaults();
  IS3CloseDest(d);
}

// ---- data that cannot hold the picture its header declares ----

// Little- and big-endian field writers for the crafted files below.
void putLE(std::vector<uint8_t>& f, size_t at, uint64_t v, int bytes) {
  if (f.size() < at + bytes) f.resize(at + bytes);
  for (int i = 0; i < bytes; ++i) f[at + i] = uint8_t(v >> (8 * i));
}
void putBE(std::vector<uint8_t>& f, size_t at, uint64_t v, int bytes) {
  if (f.size() < at + bytes) f.resize(at + bytes);
  for (int i = 0; i < bytes; ++i) f[at + i] = uint8_t(v >> (8 * (bytes - 1 - i)));
}
void append(std::vector<uint8_t>& f, const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) f.push_back(b);
}

// PCX of width × height, 8 bits, one plane, run-length coded, with data after the header.
std::vector<uint8_t> pcxFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> f(128, 0);
  f[0] = 0x0A, f[1] = 5, f[2] = 1, f[3] = 8, f[65] = 1;
  putLE(f, 8, width - 1, 2);
  putLE(f, 10, height - 1, 2);
  putLE(f, 66, width, 2);
  append(f, data);
  return f;
}

// TGA of width × height, run-length coded (grey 8 bits when grey, else 24-bit colour), top row first.
std::vector<uint8_t> tgaFile(uint32_t width, uint32_t height, bool grey, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> f(18, 0);
  f[2] = grey ? 11 : 10;
  putLE(f, 12, width, 2);
  putLE(f, 14, height, 2);
  f[16] = grey ? 8 : 24;
  f[17] = 0x20;
  append(f, data);
  return f;
}

// PSD of one grey channel, RLE coded: the row length table, then the rows.
std::vector<uint8_t> psdFile(uint32_t width, uint32_t height, const std::vector<uint16_t>& lengths,
                             const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  putBE(f, 12, 1, 2);
  putBE(f, 14, height, 4);
  putBE(f, 18, width, 4);
  putBE(f, 22, 8, 2);
  putBE(f, 24, 1, 2);  // greyscale
  f.resize(26 + 12, 0);  // empty colour data, resources and layers
  putBE(f, f.size(), 1, 2);
  for (uint16_t length : lengths) putBE(f, f.size(), length, 2);
  append(f, rows);
  return f;
}

void pngChunk(std::vector<uint8_t>& f, const char* type, const std::vector<uint8_t>& data) {
  putBE(f, f.size(), data.size(), 4);
  const size_t start = f.size();
  for (int i = 0; i < 4; ++i) f.push_back(uint8_t(type[i]));
  append(f, data);
  putBE(f, f.size(), crc32(0, f.data() + start, uInt(f.size() - start)), 4);
}

// A PNG of width × height 8-bit grey whose image data is the deflated bytes given.
std::vector<uint8_t> pngFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  putBE(header, 0, width, 4);
  putBE(header, 4, height, 4);
  append(header, {8, 0, 0, 0, 0});
  pngChunk(f, "IHDR", header);
  uLongf packedSize = compressBound(uLong(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  EXPECT_EQ(compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9), Z_OK);
  packed.resize(packedSize);
  pngChunk(f, "IDAT", packed);
  pngChunk(f, "IEND", {});
  return f;
}

// A TIFF of width × height, 8-bit grey in one strip of the data given, with its
// compression code.
std::vector<uint8_t> tiffFile(uint32_t width, uint32_t height, uint32_t compression,
                              const std::vector<uint8_t>& data) {
  std::vector<uint8_t> f = {'I', 'I', 42, 0, 8, 0, 0, 0};
  struct Entry { uint16_t tag, type; uint32_t value; };
  const uint32_t dataAt = 8 + 2 + 9 * 12 + 4;
  const Entry entries[] = {{256, 4, width}, {257, 4, height}, {258, 3, 8}, {259, 3, compression},
                           {262, 3, 1},     {273, 4, dataAt}, {277, 3, 1}, {278, 4, height},
                           {279, 4, uint32_t(data.size())}};
  putLE(f, 8, 9, 2);
  for (const Entry& e : entries) {
    const size_t at = f.size();
    putLE(f, at, e.tag, 2);
    putLE(f, at + 2, e.type, 2);
    putLE(f, at + 4, 1, 4);
    putLE(f, at + 8, e.value, 4);
  }
  putLE(f, f.size(), 0, 4);
  append(f, data);
  return f;
}

// A GIF with one width × height frame, no screen size (the frame sets it), two colours,
// and the LZW bytes given in one sub-block.
std::vector<uint8_t> gifFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& lzw) {
  std::vector<uint8_t> f = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
  f.push_back(0x2C);
  putLE(f, f.size(), 0, 4);
  putLE(f, f.size(), width, 2);
  putLE(f, f.size(), height, 2);
  append(f, {0, 2, uint8_t(lzw.size())});
  append(f, lzw);
  append(f, {0, 0x3B});
  return f;
}

// A JPEG written by the library, its frame header then told it is width × height.
std::vector<uint8_t> jpegClaiming(Scratch& scratch, uint32_t width, uint32_t height) {
  const auto rgb = picture(16, 16, false, 3);
  EXPECT_TRUE(writeFile(scratch.path("claim.jpg"), [&](DestinationHandle d) {
    return IS3WriteJPG(d, rgb.data(), 16, 16, 48, 75, 24, nullptr, 0);
  }));
  auto f = readBytes(scratch.path("claim.jpg"));
  for (size_t i = 2; i + 9 < f.size(); ++i)
    if (f[i] == 0xFF && f[i + 1] == 0xC0) {
      putBE(f, i + 5, height, 2);
      putBE(f, i + 7, width, 2);
      return f;
    }
  ADD_FAILURE() << "no frame header";
  return f;
}

// Each file declares a 10000 × 10000 picture (400 MB as RGBA) over a few bytes. Every one
// is refused as corrupt before the picture is allocated: with every allocation above
// 1 MB failing, an attempt would show as out of memory instead.
TEST_F(ImagingFiles, DataThatCannotHoldThePictureIsRefusedBeforeAllocating) {
  const uint32_t N = 10000;
  const std::vector<uint8_t> runs = {0xFF, 7, 0xFF, 7, 0xFF, 7, 0xFF, 7};
  const std::vector<uint8_t> table = {0, 0, 0, 0, 255, 255, 255, 0};
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  const std::vector<Case> cases = {
      {"PCX runs", pcxFile(N, N, runs)},
      {"PCX runs, 4 × 40 KB of them", pcxFile(N, N, std::vector<uint8_t>(160000, 0xFF))},
      {"TGA grey runs", tgaFile(N, N, true, {0xFF, 1, 0xFF, 2, 0xFF, 3})},
      {"TGA colour runs", tgaFile(N, N, false, std::vector<uint8_t>(4 * 4000, 0xFF))},
      {"BMP RLE8 cut short", bmpFile(8, int32_t(N), int32_t(N), 1, table, {255, 1, 255, 1})},
      {"BMP RLE4 cut short", bmpFile(4, int32_t(N), int32_t(N), 2, table, {0, 0, 255, 0x11})},
      {"PSD RLE rows too short", psdFile(N, 2, {2, 2}, {0x81, 9, 0x81, 9})},
      {"PNG", pngFile(N, N, std::vector<uint8_t>(20000, 0))},
      {"JPEG", jpegClaiming(scratch, N, N)},
      {"TIFF plain", tiffFile(N, N, 1, std::vector<uint8_t>(64, 9))},
      {"TIFF PackBits", tiffFile(N, N, 32773, std::vector<uint8_t>(64, 0x81))},
      {"TIFF LZW", tiffFile(N, N, 5, std::vector<uint8_t>(64, 0))},
      {"TIFF Deflate", tiffFile(N, N, 8, std::vector<uint8_t>(64, 0))},
      {"GIF", gifFile(N, N, {0x44, 0x01})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rvl::testing::failAllocationsAbove(size_t(1) << 20);
    setLastError(kNoError);
    EXPECT_FALSE(readMemory(c.file).ok);
    EXPECT_EQ(IS3GetLastError(), kCorruptData);
    rvl::testing::clearAllocationFaults();
  }
}

// The bounds are the most the data can hold, not less: files that reach them exactly, and
// pictures of one colour that compress as far as their format allows, still read.
TEST_F(ImagingFiles, DataAtTheMostItCanHoldStillReads) {
  // 126 pixels from two runs of 63 (PCX); 256 pixels from two packets of 128 (TGA); a PSD
  // row of 256 from two PackBits runs of 128.
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    uint32_t width;
    uint8_t grey;
  };
  const std::vector<Case> cases = {
      {"PCX", pcxFile(126, 1, {0xFF, 40, 0xFF, 40}), 126, 40},
      {"TGA", tgaFile(256, 1, false, {0xFF, 50, 50, 50, 0xFF, 50, 50, 50}), 256, 50},
      {"PSD", psdFile(256, 1, {4}, {0x81, 60, 0x81, 60}), 256, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d = readMemory(c.file, 3);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, c.width);
    EXPECT_EQ(d.pixels, std::vector<uint8_t>(size_t(c.width) * 3, c.grey));
    const auto shorter = std::vector<uint8_t>(c.file.begin(), c.file.end() - 1);
    EXPECT_FALSE(readMemory(shorter).ok);
  }

  // One colour over 1024 × 1024 in every compressed format we write.
  const uint32_t W = 1024, H = 1024;
  const std::vector<uint8_t> rgba(size_t(W) * H * 4, 200), rgb(size_t(W) * H * 3, 200);
  const std::vector<uint8_t> indices(size_t(W) * H, 7);
  uint8_t palette[768];
  std::memset(palette, 200, sizeof palette);
  const std::vector<std::pair<const char*, std::function<uint32_t(DestinationHandle)>>> files = {
      {"s.png", [&](DestinationHandle d) { return IS3WritePNG(d, rgba.data(), W, H, W * 4, 8, 0, nullptr, 6, 0, 0, nullptr, 0); }},
      {"s.jpg", [&](DestinationHandle d) { return IS3WriteJPG(d, rgb.data(), W, H, W * 3, 90, 24, nullptr, 0); }},
      {"lzw.tif", [&](DestinationHandle d) { return IS3WriteTIFF(d, rgb.data(), W, H, W * 3, 24, 5, nullptr, 0); }},
      {"zip.tif", [&](DestinationHandle d) { return IS3WriteTIFF(d, rgb.data(), W, H, W * 3, 24, 8, nullptr, 0); }},
      {"pack.tif", [&](DestinationHandle d) { return IS3WriteTIFF(d, rgb.data(), W, H, W * 3, 24, 32773, nullptr, 0); }},
      {"s.pcx", [&](DestinationHandle d) { return IS3WritePCX(d, indices.data(), W, H, W, 8, palette, 0); }},
      {"s.psd", [&](DestinationHandle d) { return IS3WritePSD(d, rgb.data(), W, H, W * 3, 24, nullptr, 0); }},
      {"s.gif", [&](DestinationHandle d) { return IS3WriteGIF(d, indices.data(), W, H, W, 8, 256, palette, -1, 0); }},
      {"s.tga", [&](DestinationHandle d) {
         LineWriterHandle lines = IS3InitWriteTGALines(d, W, H, 24, 1, 0);
         for (uint32_t y = 0; y < H; ++y) IS3WriteNextLine(lines, rgb.data() + size_t(y) * W * 3);
         return IS3DestroyWriteLines(lines);
       }},
  };
  for (const auto& [name, write] : files) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(writeFile(scratch.path(name), write));
    const Decoded d = readPath(scratch.path(name), 3);
    ASSERT_TRUE(d.ok);
    for (size_t i = 0; i < d.pixels.size(); ++i)
      if (std::abs(int(d.pixels[i]) - 200) > 1) FAIL() << "byte " << i << " is " << int(d.pixels[i]);
  }
}

// A run-length bitmap must reach its end code (or its last pixel); one cut short is
// refused. The end code may come early: the rest of the picture stays transparent.
TEST_F(ImagingFiles, RunLengthBitmapsMustReachTheirEnd) {
  const std::vector<uint8_t> table = {0, 0, 0, 0, 0, 0, 255, 0};
  // 4 × 2, bottom row four red, end of line, then the data stops one pixel into the top row.
  EXPECT_FALSE(readMemory(bmpFile(8, 4, 2, 1, table, {4, 1, 0, 0, 1, 1})).ok);
  EXPECT_EQ(IS3GetLastError(), kCorruptData);
  // The same with its end code, and with the top row full: both read.
  for (const std::vector<uint8_t>& bits : {std::vector<uint8_t>{4, 1, 0, 0, 1, 1, 0, 1},
                                           std::vector<uint8_t>{4, 1, 0, 0, 4, 1}}) {
    const Decoded d = readMemory(bmpFile(8, 4, 2, 1, table, bits));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels[16 + 3], 255);  // bottom row painted
    EXPECT_EQ(d.pixels[0], 255);       // top row's first pixel red
  }
  // Only the end code: a picture of transparent black.
  const Decoded empty = readMemory(bmpFile(8, 3, 3, 1, table, {0, 1}));
  ASSERT_TRUE(empty.ok);
  EXPECT_EQ(empty.pixels, std::vector<uint8_t>(36, 0));
}

}  // namespace
}  // namespace rvl::test
