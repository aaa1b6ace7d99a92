#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "external/imaging/imaging.h"
#include "support/file_scratch.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

class PageExport : public LayerFixture {
 protected:
  void SetUp() override {
    LayerFixture::SetUp();
    RVL_SetLayerOptions(1, 1, 0, 100, "Normal");
    // Background: top row red, the rest white; everything opaque but the bottom-right
    // pixel, which is transparent.
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        set(1, x, y, y == 0 ? Pixel64{65280, 0, 0, 65280} : Pixel64{65280, 65280, 65280, 65280});
    set(1, W - 1, H - 1, Pixel64{0, 0, 0, 0});
  }
  std::vector<uint8_t> readBack(const std::string& path) {
    std::vector<uint8_t> out(W * H * 4, 0xEE);
    EXPECT_EQ(RVL_ReadFromFileRGBA32(out.data(), W, H, path.c_str()), 1);
    return out;
  }
  Scratch scratch;
};

TEST_F(PageExport, ThreeChannelFilesShowTheTopRowAtTheTop) {
  for (const char* extension : {".bmp", ".PNG", ".jpg"}) {
    SCOPED_TRACE(extension);
    const std::string path = scratch.path(std::string("page") + extension);
    EXPECT_EQ(RVL_SavePageToFileRGB24(path.c_str(), extension, 96), 0);
    const auto pixels = readBack(path);
    const int tolerance = extension == std::string(".jpg") ? 12 : 0;
    for (int x = 0; x < W; ++x) {
      EXPECT_NEAR(pixels[x * 4], 255, tolerance);
      EXPECT_NEAR(pixels[x * 4 + 1], 0, tolerance);
      const uint8_t* below = &pixels[(2 * W + x) * 4];
      EXPECT_NEAR(below[1], 255, tolerance);
    }
    EXPECT_EQ(pixels[(W * H - 1) * 4 + 3], 255);  // no alpha
    EXPECT_EQ(RVL_GetDPIFromFile(path.c_str()), 96);
  }
  SourceHandle s = IS3OpenFileSource(scratch.path("page.PNG").c_str());
  uint32_t bits = 0;
  ASSERT_NE(IS3GetPNGDimensions(s, nullptr, nullptr, &bits, nullptr), 0u);
  IS3CloseSource(s);
  EXPECT_EQ(bits, 24u);
}

TEST_F(PageExport, FourChannelFilesKeepTransparency) {
  for (const char* extension : {".png", ".tga", ".TIF"}) {
    SCOPED_TRACE(extension);
    const std::string path = scratch.path(std::string("page") + extension);
    EXPECT_EQ(RVL_SavePageToFileRGB32(path.c_str(), extension, 300), 0);
    const auto pixels = readBack(path);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[1], 0);
    EXPECT_EQ(pixels[3], 255);
    EXPECT_EQ(pixels[(W * H - 1) * 4 + 3], 0);
    EXPECT_EQ(pixels[(W * H - 2) * 4 + 3], 255);
  }
  EXPECT_EQ(RVL_GetDPIFromFile(scratch.path("page.TIF").c_str()), 300);
}

// The file holds the merge of every visible layer from the background up, each with its
// own mode: the trace layer and hidden layers stay out.
TEST_F(PageExport, SeveralVisibleLayersAreMergedIntoTheFile) {
  for (int i = 3; i <= 5; ++i) ASSERT_EQ(RVL_CreateLayer(i, W, H), 1);
  RVL_SetLayerOptions(0, 1, 0, 100, "Normal");
  RVL_SetLayerOptions(3, 1, 0, 100, "Normal");
  RVL_SetLayerOptions(4, 0, 0, 100, "Normal");
  RVL_SetLayerOptions(5, 1, 0, 100, "Multiply");
  // The trace layer is visible with a dot of its own; a hidden layer is all black.
  set(0, 12, 8, {0, 65280, 0, 65535});
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) set(4, x, y, {0, 0, 0, 65535});
  for (int y = 3; y <= 5; ++y)
    for (int x = 2; x <= 4; ++x) set(2, x, y, {0, 0, 65280, 65535});  // a blue square
  set(3, 3, 4, {65280, 65280, 0, 65535});                             // yellow over its middle
  // Multiply of (32768, 65280, 65280) over the white background (alpha 65280): as = 1,
  // ad = 65280 / 65535, so Rc = Sc * (iad + ad) = Sc and ar = 1: the colour itself,
  // 32768 / 256 = 128 in the file.
  set(5, 10, 6, {32768, 65280, 65280, 65535});
  struct Spot {
    int x, y;
    uint8_t r, g, b;
  };
  const Spot spots[] = {{0, 0, 255, 0, 0},    {2, 3, 0, 0, 255},     {4, 5, 0, 0, 255},   {3, 4, 255, 255, 0},
                        {5, 4, 255, 255, 255}, {10, 6, 128, 255, 255}, {12, 8, 255, 255, 255}};
  struct Writer {
    const char* extension;
    bool fourChannels;
  };
  for (const Writer& w : {Writer{".bmp", false}, {".png", false}, {".png", true}, {".tga", true}, {".tif", true}}) {
    SCOPED_TRACE(::testing::Message() << w.extension << (w.fourChannels ? " RGBA" : " RGB"));
    const std::string path = scratch.path(std::string(w.fourChannels ? "rgba" : "rgb") + w.extension);
    EXPECT_EQ(w.fourChannels ? RVL_SavePageToFileRGB32(path.c_str(), w.extension, 72)
                             : RVL_SavePageToFileRGB24(path.c_str(), w.extension, 72),
              0);
    const auto pixels = readBack(path);
    for (const Spot& s : spots) {
      const uint8_t* p = &pixels[size_t(s.y * W + s.x) * 4];
      EXPECT_EQ((std::vector<uint8_t>(p, p + 4)), (std::vector<uint8_t>{s.r, s.g, s.b, 255})) << s.x << "," << s.y;
    }
    // The background's alpha is 65280: 255 in the file; its transparent corner stays
    // transparent in the four-channel files.
    EXPECT_EQ(pixels[(W * H - 1) * 4 + 3], w.fourChannels ? 0 : 255);
  }
}

TEST_F(PageExport, OtherExtensionsWriteNothing) {
  EXPECT_EQ(RVL_SavePageToFileRGB24(scratch.path("page.gif").c_str(), ".gif", 72), 0);
  EXPECT_EQ(RVL_SavePageToFileRGB32(scratch.path("page.bmp").c_str(), ".bmp", 72), 0);
  EXPECT_EQ(RVL_SavePageToFileRGB24(scratch.path("page.tga").c_str(), ".tga", 72), 0);
  EXPECT_EQ(RVL_SavePageToFileRGB24(scratch.path("page").c_str(), nullptr, 72), 0);
  EXPECT_FALSE(fileExists(scratch.path("page.gif")));
  EXPECT_FALSE(fileExists(scratch.path("page.bmp")));
  EXPECT_FALSE(fileExists(scratch.path("page.tga")));
  // A destination that cannot be opened is passed on and nothing happens.
  EXPECT_EQ(RVL_SavePageToFileRGB24(scratch.path("no/dir/p.png").c_str(), ".png", 72), 0);
}

TEST_F(PageExport, FailedRowBuffersOpenNothing) {
  const int64_t live = rvl::testing::liveBlocks();
  for (uint64_t n : {1, 2}) {
    rvl::testing::clearAllocationFaults();
    rvl::testing::failNthAllocation(n);
    EXPECT_EQ(RVL_SavePageToFileRGB24(scratch.path("p.png").c_str(), ".png", 72), 0);
    EXPECT_FALSE(fileExists(scratch.path("p.png")));
  }
  rvl::testing::clearAllocationFaults();
  EXPECT_EQ(rvl::testing::liveBlocks(), live);
}

TEST_F(PageExport, NoPageNoFile) {
  resetPageState();  // the page as it is at load: no size
  EXPECT_EQ(RVL_SavePageToFileRGB24(scratch.path("p.png").c_str(), ".png", 72), 0);
  EXPECT_FALSE(fileExists(scratch.path("p.png")));
}

}  // namespace
}  // namespace rvl::test
