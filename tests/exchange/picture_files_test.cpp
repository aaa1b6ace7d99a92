#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "brush/brush.h"
#include "exchange/exchange.h"
#include "external/imaging/imaging.h"
#include "support/file_scratch.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using namespace rvl::imaging;

std::vector<uint8_t> rgbaPicture(int w, int h) {
  std::vector<uint8_t> p(size_t(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    p[4 * i] = uint8_t(i * 7), p[4 * i + 1] = uint8_t(i * 3 + 1), p[4 * i + 2] = uint8_t(200 - i);
    p[4 * i + 3] = 255;
  }
  return p;
}

std::vector<uint8_t> rgbPicture(int w, int h) {
  std::vector<uint8_t> p(size_t(w) * h * 3);
  for (size_t i = 0; i < p.size(); ++i) p[i] = uint8_t(i * 5);
  return p;
}

// Size and type of a file as the imaging library sees them.
struct FileInfo {
  uint32_t type = 0, width = 0, height = 0;
};
FileInfo inspect(const std::string& path) {
  FileInfo info;
  SourceHandle s = IS3OpenFileSource(path.c_str());
  if (!s) return info;
  info.type = IS3GuessFileType(s);
  IS3Seek(s, 0, 0);
  platform::GlobalBlock b = IS3ReadImageToRGBA(s, &info.width, &info.height, 0);
  IS3CloseSource(s);
  platform::globalFree(b);
  return info;
}

class PictureFiles : public LayerFixture {
 public:
  Scratch scratch;
  std::string path(const char* name) { return scratch.path(name); }
};

TEST_F(PictureFiles, NewRGBAStartsEmpty) {
  EXPECT_EQ(RVL_GetNewRGBAWidth(), 0);
  EXPECT_EQ(RVL_GetNewRGBAHeight(), 0);
  EXPECT_EQ(RVL_IsNewRGBA32Transparent(), 0);
  uint8_t untouched[4] = {9, 9, 9, 9};
  RVL_GetNewRGBA32(untouched);
  RVL_GetNewRGBA24(untouched);
  RVL_GetResizedNewRGBA24(untouched, 1, 1);
  RVL_SetInNewRGBA();
  EXPECT_EQ(untouched[0], 9);
  EXPECT_EQ(RVL_DeleteNewRGBA(), 0);
}

TEST_F(PictureFiles, ReadFromFileFillsTheNewRGBA) {
  auto rgba = rgbaPicture(6, 4);
  rgba[4 * 5 + 3] = 128;  // one half-transparent pixel
  ASSERT_NE(RVL_WriteToFileRGBA32(rgba.data(), 6, 4, path("a.png").c_str(), ".png", 72), 0);
  ASSERT_EQ(RVL_ReadFromFile(path("a.png").c_str()), 1);
  EXPECT_EQ(RVL_GetNewRGBAWidth(), 6);
  EXPECT_EQ(RVL_GetNewRGBAHeight(), 4);
  std::vector<uint8_t> out(6 * 4 * 4);
  RVL_GetNewRGBA32(out.data());
  EXPECT_EQ(out, rgba);
  EXPECT_EQ(RVL_IsNewRGBA32Transparent(), 1);
  std::vector<uint8_t> rgb(6 * 4 * 3);
  RVL_GetNewRGBA24(rgb.data());
  for (int i = 0; i < 24; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(rgb[3 * i + c], rgba[4 * i + c]);

  // A failed read keeps the picture; a JPEG is opaque.
  EXPECT_EQ(RVL_ReadFromFile(path("missing.png").c_str()), 0);
  EXPECT_EQ(RVL_GetNewRGBAWidth(), 6);
  const auto jrgb = rgbPicture(8, 8);
  ASSERT_NE(RVL_WriteToFileRGB24(jrgb.data(), 8, 8, path("b.jpg").c_str(), ".jpg", 72), 0);
  ASSERT_EQ(RVL_ReadFromFile(path("b.jpg").c_str()), 1);
  EXPECT_EQ(RVL_IsNewRGBA32Transparent(), 0);

  // Deleting keeps the size.
  RVL_DeleteNewRGBA();
  EXPECT_EQ(newRGBA.pixels, nullptr);
  EXPECT_EQ(RVL_GetNewRGBAWidth(), 8);
}

TEST_F(PictureFiles, ReadIntoBuffersNeedsTheExactSize) {
  const auto rgba = rgbaPicture(5, 3);
  ASSERT_NE(RVL_WriteToFileRGBA32(rgba.data(), 5, 3, path("a.tga").c_str(), ".tga", 72), 0);
  std::vector<uint8_t> buffer(5 * 3 * 4, 0xEE);
  EXPECT_EQ(RVL_ReadFromFileRGBA32(buffer.data(), 5, 4, path("a.tga").c_str()), 0);
  EXPECT_EQ(RVL_ReadFromFileRGBA32(buffer.data(), 3, 5, path("a.tga").c_str()), 0);
  EXPECT_EQ(buffer, std::vector<uint8_t>(5 * 3 * 4, 0xEE));
  EXPECT_EQ(RVL_ReadFromFileRGBA32(buffer.data(), 5, 3, path("a.tga").c_str()), 1);
  EXPECT_EQ(buffer, rgba);
  std::vector<uint8_t> rgb(5 * 3 * 3);
  EXPECT_EQ(RVL_ReadFromFileRGB24(rgb.data(), 5, 3, path("a.tga").c_str()), 1);
  EXPECT_EQ(rgb[3], rgba[4]);
  EXPECT_EQ(RVL_ReadFromFileRGB24(rgb.data(), 5, 3, path("missing").c_str()), 0);
}

TEST_F(PictureFiles, MetafilesRenderAtThePageSizeOnTheBrushColour) {
  const auto rgb = rgbPicture(W / 2, H / 2);
  ASSERT_NE(RVL_WriteToFileRGB24(rgb.data(), W / 2, H / 2, path("m.emf").c_str(), ".emf", 72), 0);
  ASSERT_NE(RVL_WriteToFileRGB24(rgb.data(), W / 2, H / 2, path("m.wmf").c_str(), ".WMF", 72), 0);
  EXPECT_EQ(inspect(path("m.wmf")).type, uint32_t(kTypeEMF));
  // The bitmap drawn one column narrower: the last column shows the background.
  auto bytes = readBytes(path("m.emf"));
  bytes[108 + 72] = uint8_t(W / 2 - 1);
  writeBytes(path("n.emf"), bytes);
  brush.brushColour[0] = 0x12FF;
  brush.brushColour[1] = 0x3400;
  brush.brushColour[2] = 0x56AA;
  ASSERT_EQ(RVL_ReadFromFile(path("n.emf").c_str()), 1);
  EXPECT_EQ(RVL_GetNewRGBAWidth(), W);
  EXPECT_EQ(RVL_GetNewRGBAHeight(), H);
  EXPECT_EQ(RVL_IsNewRGBA32Transparent(), 0);
  std::vector<uint8_t> out(W * H * 4);
  RVL_GetNewRGBA32(out.data());
  EXPECT_EQ(out[0], rgb[0]);
  const uint8_t* last = &out[(W - 1) * 4];
  EXPECT_EQ(last[0], 0x12);
  EXPECT_EQ(last[1], 0x34);
  EXPECT_EQ(last[2], 0x56);
  std::vector<uint8_t> buffer(W * H * 3);
  EXPECT_EQ(RVL_ReadFromFileRGB24(buffer.data(), W, H, path("m.emf").c_str()), 1);
  EXPECT_EQ(buffer[3], rgb[0]);  // each source pixel covers two columns
}

TEST_F(PictureFiles, ResizedCopyAndLoadIntoTheLayer) {
  // 4 × 2 picture of 2 × 2 blocks: 20 and 220 in red.
  std::vector<uint8_t> rgba(4 * 2 * 4, 255);
  for (int i = 0; i < 8; ++i) rgba[4 * i] = (i % 4) < 2 ? 20 : 220;
  ASSERT_NE(RVL_WriteToFileRGBA32(rgba.data(), 4, 2, path("r.png").c_str(), ".png", 72), 0);
  ASSERT_EQ(RVL_ReadFromFile(path("r.png").c_str()), 1);
  uint8_t small[2 * 1 * 3];
  RVL_GetResizedNewRGBA24(small, 2, 1);
  EXPECT_EQ(small[0], 20);
  EXPECT_EQ(small[3], 220);
  std::vector<uint8_t> big(8 * 4 * 3);
  RVL_GetResizedNewRGBA24(big.data(), 8, 4);
  EXPECT_EQ(big[0], 20);
  EXPECT_EQ(big[7 * 3], 220);
  RVL_SetInNewRGBA();
  EXPECT_EQ(at(2, 0, 0)[0], 20 * 256);
  EXPECT_EQ(at(2, 3, 1)[0], 220 * 256);
  EXPECT_EQ(at(2, 3, 1)[3], 255 * 256);
  EXPECT_EQ(at(2, 4, 0)[3], 0);
}

TEST_F(PictureFiles, ResolutionIsSnapped) {
  const auto rgb = rgbPicture(4, 4);
  const auto rgba = rgbaPicture(4, 4);
  // How each file is made: the engine's writers with dots per inch, or the library's
  // writers with a resolution of their own (pixels per metre, per centimetre).
  enum class Writer { Rgb24, Rgba32, PngPerMetre, PsdPerCentimetre };
  struct Case {
    const char* file;
    const char* extension;
    Writer writer;
    uint32_t resolution;
    int32_t dpi;  // what RVL_GetDPIFromFile reports
  };
  const Case cases[] = {
      {"a.tif", ".tif", Writer::Rgba32, 299, 300},
      {"a.bmp", ".bmp", Writer::Rgb24, 100, 72},
      {"b.bmp", ".bmp", Writer::Rgb24, 600, 600},
      {"a.png", nullptr, Writer::PngPerMetre, 3780, 96},
      {"b.png", ".png", Writer::Rgb24, 150, 150},
      // Capital extension: a quality-97 JPEG at 300 dots per inch.
      {"c.jpg", ".JPG", Writer::Rgb24, 300, 300},
      {"a.psd", nullptr, Writer::PsdPerCentimetre, 79, 200},
      {"a.gif", ".gif", Writer::Rgb24, 300, 72},  // GIF has no resolution
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string p = path(c.file);
    switch (c.writer) {
      case Writer::Rgb24:
        ASSERT_NE(RVL_WriteToFileRGB24(rgb.data(), 4, 4, p.c_str(), c.extension, int32_t(c.resolution)), 0);
        break;
      case Writer::Rgba32:
        ASSERT_NE(RVL_WriteToFileRGBA32(rgba.data(), 4, 4, p.c_str(), c.extension, int32_t(c.resolution)), 0);
        break;
      case Writer::PngPerMetre: {
        DestinationHandle d = IS3OpenFileDest(p.c_str(), 0);
        const WriteResolution ppm{c.resolution, c.resolution, 1};
        ASSERT_NE(IS3WritePNG(d, rgb.data(), 4, 4, 12, 8, 0, nullptr, 2, 0, 0, &ppm, 0), 0u);
        IS3CloseDest(d);
        break;
      }
      case Writer::PsdPerCentimetre: {
        DestinationHandle d = IS3OpenFileDest(p.c_str(), 0);
        const WriteResolution perCm{c.resolution, c.resolution, 3};
        ASSERT_NE(IS3WritePSD(d, rgb.data(), 4, 4, 12, 24, &perCm, 0), 0u);
        IS3CloseDest(d);
        break;
      }
    }
    EXPECT_EQ(RVL_GetDPIFromFile(p.c_str()), c.dpi);
  }
  EXPECT_EQ(inspect(path("c.jpg")).type, uint32_t(kTypeJPEG));
  // The four-letter form is not in the table: nothing is written.
  EXPECT_EQ(RVL_WriteToFileRGB24(rgb.data(), 4, 4, path("d.jpeg").c_str(), ".jpeg", 300), 0);
  EXPECT_FALSE(fileExists(path("d.jpeg")));
  for (const std::string& missing : {path("missing"), std::string()}) EXPECT_EQ(RVL_GetDPIFromFile(missing.c_str()), 72);
  EXPECT_EQ(RVL_GetDPIFromFile(nullptr), 72);
}

TEST_F(PictureFiles, WritersFollowTheExtensionTables) {
  const auto rgb = rgbPicture(7, 5);
  const auto rgba = rgbaPicture(7, 5);
  const std::pair<const char*, uint32_t> rgbTable[] = {
      {".bmp", kTypeBMP}, {".png", kTypePNG}, {".jpg", kTypeJPEG}, {".gif", kTypeGIF},
      {".pcx", kTypePCX}, {".PSD", kTypePSD}};
  for (const auto& [extension, type] : rgbTable) {
    SCOPED_TRACE(extension);
    const std::string p = path((std::string("x") + extension).c_str());
    ASSERT_NE(RVL_WriteToFileRGB24(rgb.data(), 7, 5, p.c_str(), extension, 96), 0);
    const FileInfo info = inspect(p);
    EXPECT_EQ(info.type, type);
    EXPECT_EQ(info.width, 7u);
    EXPECT_EQ(info.height, 5u);
  }
  const std::pair<const char*, uint32_t> rgbaTable[] = {
      {".png", kTypePNG}, {".Tga", kTypeTGA}, {".tif", kTypeTIFF}};
  for (const auto& [extension, type] : rgbaTable) {
    SCOPED_TRACE(extension);
    const std::string p = path((std::string("y") + extension).c_str());
    ASSERT_NE(RVL_WriteToFileRGBA32(rgba.data(), 7, 5, p.c_str(), extension, 96), 0);
    EXPECT_EQ(inspect(p).type, type);
    std::vector<uint8_t> back(rgba.size());
    EXPECT_EQ(RVL_ReadFromFileRGBA32(back.data(), 7, 5, p.c_str()), 1);
    EXPECT_EQ(back, rgba);
  }
  for (const char* extension : {"bmp", ".tga", ".tiff", "", ".bmp.png"})
    EXPECT_EQ(RVL_WriteToFileRGB24(rgb.data(), 7, 5, path("z").c_str(), extension, 72), 0);
  for (const char* extension : {".bmp", ".jpg", "png"})
    EXPECT_EQ(RVL_WriteToFileRGBA32(rgba.data(), 7, 5, path("z").c_str(), extension, 72), 0);
  EXPECT_EQ(RVL_WriteToFileRGB24(rgb.data(), 7, 5, path("z").c_str(), nullptr, 72), 0);
  EXPECT_EQ(RVL_WriteToFileRGB24(nullptr, 7, 5, path("z").c_str(), ".bmp", 72), 0);
  EXPECT_EQ(RVL_WriteToFileRGB24(rgb.data(), 0, 5, path("z").c_str(), ".bmp", 72), 0);
  EXPECT_FALSE(fileExists(path("z")));
  EXPECT_EQ(RVL_WriteToFileRGB24(rgb.data(), 7, 5, path("no/dir/z.bmp").c_str(), ".bmp", 72), 0);
}

FileInfo thumbnailOf(PictureFiles& t, int w, int h, int size) {
  const auto rgba = rgbaPicture(w, h);
  const std::string source = t.path("source.png"), target = t.path("thumb.bmp");
  EXPECT_NE(RVL_WriteToFileRGBA32(rgba.data(), w, h, source.c_str(), ".png", 72), 0);
  EXPECT_EQ(RVL_MakeThumbnail(source.c_str(), target.c_str(), size), 0);
  return inspect(target);
}

TEST_F(PictureFiles, ThumbnailsKeepTheLongerSide) {
  struct Case {
    int w, h, size;
    uint32_t thumbWidth, thumbHeight;
  };
  for (const Case& c : {Case{256, 128, 64, 64, 32}, {128, 256, 64, 32, 64}, {128, 128, 64, 64, 64},
                        {16, 8, 64, 64, 32}}) {  // the last one enlarged by the general resizer
    SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << " to " << c.size);
    const FileInfo info = thumbnailOf(*this, c.w, c.h, c.size);
    EXPECT_EQ(info.type, uint32_t(kTypeBMP));
    EXPECT_EQ(info.width, c.thumbWidth);
    EXPECT_EQ(info.height, c.thumbHeight);
  }
  // Transparent pixels become white.
  std::vector<uint8_t> clear(4 * 4 * 4, 0);
  ASSERT_NE(RVL_WriteToFileRGBA32(clear.data(), 4, 4, path("clear.png").c_str(), ".png", 72), 0);
  EXPECT_EQ(RVL_MakeThumbnail(path("clear.png").c_str(), path("white.bmp").c_str(), 2), 0);
  std::vector<uint8_t> white(2 * 2 * 3);
  ASSERT_EQ(RVL_ReadFromFileRGB24(white.data(), 2, 2, path("white.bmp").c_str()), 1);
  EXPECT_EQ(white, std::vector<uint8_t>(12, 255));
  EXPECT_EQ(RVL_MakeThumbnail(path("missing").c_str(), path("none.bmp").c_str(), 2), 0);
  EXPECT_FALSE(fileExists(path("none.bmp")));
}

FileInfo webPicOf(PictureFiles& t, int w, int h, int maxW, int maxH) {
  const auto rgb = rgbPicture(w, h);
  const std::string source = t.path("web.bmp"), target = t.path("web.jpg");
  EXPECT_NE(RVL_WriteToFileRGB24(rgb.data(), w, h, source.c_str(), ".bmp", 72), 0);
  EXPECT_EQ(RVL_MakeWebPic(source.c_str(), target.c_str(), maxW, maxH), 0);
  return inspect(target);
}

TEST_F(PictureFiles, WebPicturesFitTheBoxWithoutEnlarging) {
  struct Case {
    int w, h, maxW, maxH;
    uint32_t webWidth, webHeight;
  };
  for (const Case& c : {Case{50, 40, 640, 480, 50, 40}, {2048, 1024, 512, 480, 512, 256},
                        {1024, 2048, 640, 480, 240, 480}}) {
    SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h << " into " << c.maxW << " x " << c.maxH);
    const FileInfo info = webPicOf(*this, c.w, c.h, c.maxW, c.maxH);
    EXPECT_EQ(info.type, uint32_t(kTypeJPEG));
    EXPECT_EQ(info.width, c.webWidth);
    EXPECT_EQ(info.height, c.webHeight);
  }
}

// Allocations a read of the file makes through the library alone.
uint64_t libraryReadAllocations(const std::string& path) {
  rvl::testing::clearAllocationFaults();
  SourceHandle s = IS3OpenFileSource(path.c_str());
  uint32_t w, h;
  platform::globalFree(IS3ReadImageToRGBA(s, &w, &h, 0));
  IS3CloseSource(s);
  return rvl::testing::allocationCount();
}

TEST_F(PictureFiles, FailureTexts) {
  const auto rgba = rgbaPicture(16, 16);
  const auto rgb = rgbPicture(16, 16);
  const std::string png = path("f.png");
  ASSERT_NE(RVL_WriteToFileRGBA32(rgba.data(), 16, 16, png.c_str(), ".png", 72), 0);
  const int64_t live = rvl::testing::liveBlocks();
  const int64_t globals = platform::testing::liveGlobalBlocks();

  // The new RGBA cannot be created: the allocation after the library's read.
  const uint64_t reading = libraryReadAllocations(png);
  rvl::testing::clearAllocationFaults();
  rvl::testing::failNthAllocation(reading + 1);
  RVL_SetLastError("");
  EXPECT_EQ(RVL_ReadFromFile(png.c_str()), 0);
  EXPECT_STREQ(RVL_GetLastError(), "CreateNewRGBA Excpt");
  EXPECT_EQ(newRGBA.pixels, nullptr);

  // The GIF's index buffer cannot be had.
  rvl::testing::clearAllocationFaults();
  rvl::testing::failAllocationsAbove(16 * 16 - 1);
  EXPECT_EQ(RVL_WriteToFileRGB24(rgb.data(), 16, 16, path("f.gif").c_str(), ".gif", 72), 0);
  EXPECT_STREQ(RVL_GetLastError(), "WriteToFileRGB24 Excpt");

  // The engine copy of the source picture cannot be had.
  for (bool thumbnail : {true, false}) {
    rvl::testing::clearAllocationFaults();
    rvl::testing::failNthAllocation(reading + 1);
    if (thumbnail) {
      RVL_MakeThumbnail(png.c_str(), path("t.bmp").c_str(), 8);
      EXPECT_STREQ(RVL_GetLastError(), "MakeThumbnails Excpt");
    } else {
      RVL_MakeWebPic(png.c_str(), path("t.jpg").c_str(), 8, 8);
      EXPECT_STREQ(RVL_GetLastError(), "MakeWebPic Excpt");
    }
  }
  rvl::testing::clearAllocationFaults();
  ASSERT_EQ(RVL_ReadFromFile(png.c_str()), 1);
  rvl::testing::failAllocationsAbove(100);
  RVL_GetResizedNewRGBA24(std::vector<uint8_t>(40 * 40 * 3).data(), 40, 40);
  EXPECT_STREQ(RVL_GetLastError(), "GetResizedNewRGB24 Excpt");
  rvl::testing::clearAllocationFaults();
  RVL_DeleteNewRGBA();
  EXPECT_EQ(rvl::testing::liveBlocks(), live);
  EXPECT_EQ(platform::testing::liveGlobalBlocks(), globals);
}

TEST_F(PictureFiles, SetColorAlphaRGBABufColoursTransparentPixels) {
  uint8_t buffer[8] = {1, 2, 3, 0, 4, 5, 6, 7};
  RVL_SetColorAlphaRGBABuf(buffer, 2, 1, 0x1FF, 255, 254);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 8), (std::vector<uint8_t>{255, 255, 254, 0, 4, 5, 6, 7}));
  RVL_SetColorAlphaRGBABuf(nullptr, 2, 1, 0, 0, 0);
  RVL_SetColorAlphaRGBABuf(buffer, -1, 1, 0, 0, 0);
}

}  // namespace
}  // namespace rvl::test
