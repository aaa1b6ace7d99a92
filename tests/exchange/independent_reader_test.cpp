// Files this engine writes open in an independent reader: ImageMagick's convert reads
// them back to raw pixels. Skipped with a message where ImageMagick is not installed.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "support/file_scratch.h"

namespace rvl::test {
namespace {

bool haveImageMagick() { return std::system("identify -version > /dev/null 2>&1") == 0; }

// The picture as ImageMagick decodes it: raw bytes of the given map ("rgb" or "rgba").
std::vector<uint8_t> decodeWithImageMagick(const std::string& path, const char* map, int& width, int& height) {
  std::vector<uint8_t> bytes;
  FILE* size = popen(("identify -format '%w %h' '" + path + "[0]' 2>/dev/null").c_str(), "r");
  if (!size) return bytes;
  width = height = 0;
  if (std::fscanf(size, "%d %d", &width, &height) != 2) width = height = 0;
  pclose(size);
  FILE* raw = popen(("convert '" + path + "[0]' -depth 8 " + map + ":- 2>/dev/null").c_str(), "r");
  if (!raw) return bytes;
  uint8_t buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, raw)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  pclose(raw);
  return bytes;
}

// A picture with a gradient, odd sizes so row padding matters.
std::vector<uint8_t> picture(int w, int h, int channels) {
  std::vector<uint8_t> p(size_t(w) * h * channels);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* q = &p[(size_t(y) * w + x) * channels];
      q[0] = uint8_t(x * 255 / std::max(w - 1, 1));
      q[1] = uint8_t(y * 255 / std::max(h - 1, 1));
      q[2] = uint8_t((x + y) * 7);
      if (channels == 4) q[3] = uint8_t(255 - x * 9);
    }
  return p;
}

int largestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

using IndependentReader = EngineTest;

TEST_F(IndependentReader, ReadsEveryFormatWeWrite) {
  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick (identify, convert) is not installed";
  Scratch scratch;
  struct Case {
    const char* extension;
    int channels;
    int tolerance;  // JPEG is lossy (a 7 x 5 picture of sharp steps), GIF quantised
  };
  const Case cases[] = {{".bmp", 3, 0}, {".png", 3, 0}, {".jpg", 3, 40}, {".gif", 3, 24}, {".pcx", 3, 0},
                        {".psd", 3, 0}, {".png", 4, 0}, {".tga", 4, 0},  {".tif", 4, 0}};
  for (const int size : {1, 7}) {
    for (const Case& c : cases) {
      const int w = size == 1 ? 1 : 7, h = size == 1 ? 1 : 5;
      const auto pixels = picture(w, h, c.channels);
      const std::string path = scratch.path("picture" + std::to_string(size) + std::to_string(c.channels) + c.extension);
      const int32_t written = c.channels == 3
                                  ? RVL_WriteToFileRGB24(pixels.data(), w, h, path.c_str(), c.extension, 96)
                                  : RVL_WriteToFileRGBA32(pixels.data(), w, h, path.c_str(), c.extension, 96);
      ASSERT_EQ(written, 1) << c.extension;
      int rw = 0, rh = 0;
      const auto decoded = decodeWithImageMagick(path, c.channels == 3 ? "rgb" : "rgba", rw, rh);
      EXPECT_EQ(rw, w) << c.extension;
      EXPECT_EQ(rh, h) << c.extension;
      ASSERT_EQ(decoded.size(), pixels.size()) << c.extension << " " << c.channels;
      EXPECT_LE(largestDifference(decoded, pixels), c.tolerance) << c.extension << " " << c.channels;
    }
  }
}

// And the other way round: PCX files ImageMagick writes (24-bit in three planes, and 8-bit
// with a 256-colour palette; odd widths, whose lines are padded to an even byte count)
// read back to the same pixels.
TEST_F(IndependentReader, ReadsPcxFilesImageMagickWrites) {
  if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick (identify, convert) is not installed";
  Scratch scratch;
  struct Case {
    const char* name;
    const char* options;  // how convert writes the file
  };
  const Case cases[] = {{"truecolour", "-type TrueColor"}, {"palette", "-type Palette"}};
  for (const auto& [w, h] : {std::pair{7, 5}, std::pair{1, 1}, std::pair{16, 3}}) {
    // A gradient of at most 35 colours, so the palette form keeps every colour exactly.
    std::vector<uint8_t> pixels = picture(w, h, 3);
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << c.name << " " << w << " x " << h);
      const std::vector<uint8_t>& want = pixels;
      const std::string raw = scratch.path("in.rgb"), pcx = scratch.path(std::string(c.name) + ".pcx");
      writeBytes(raw, pixels);
      const std::string command = "convert -size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 8 'rgb:" +
                                  raw + "' " + c.options + " 'pcx:" + pcx + "' > /dev/null 2>&1";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
      ASSERT_EQ(RVL_ReadFromFile(pcx.c_str()), 1);
      ASSERT_EQ(RVL_GetNewRGBAWidth(), w);
      ASSERT_EQ(RVL_GetNewRGBAHeight(), h);
      std::vector<uint8_t> rgba(size_t(w) * h * 4);
      RVL_GetNewRGBA32(rgba.data());
      std::vector<uint8_t> rgb(size_t(w) * h * 3);
      for (size_t i = 0; i < size_t(w) * h; ++i) {
        for (int ch = 0; ch < 3; ++ch) rgb[3 * i + size_t(ch)] = rgba[4 * i + size_t(ch)];
        EXPECT_EQ(rgba[4 * i + 3], 255) << "pixel " << i;
      }
      EXPECT_EQ(rgb, want);
      std::vector<uint8_t> direct(size_t(w) * h * 3, 0xEE);
      EXPECT_EQ(RVL_ReadFromFileRGB24(direct.data(), w, h, pcx.c_str()), 1);
      EXPECT_EQ(direct, want);
    }
  }
  RVL_DeleteNewRGBA();
}

}  // namespace
}  // namespace rvl::test
