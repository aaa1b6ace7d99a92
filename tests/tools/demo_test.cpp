#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/engine_fixture.h"
#include "support/file_scratch.h"

namespace rvl::test {
namespace {

class DemoTest : public EngineTest {
 protected:
  // Reads a picture through the engine's own reader; its RGBA32 pixels.
  static std::vector<uint8_t> read(const std::string& path, int& width, int& height) {
    if (!RVL_ReadFromFile(path.c_str())) return {};
    width = RVL_GetNewRGBAWidth();
    height = RVL_GetNewRGBAHeight();
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    RVL_GetNewRGBA32(pixels.data());
    RVL_DeleteNewRGBA();
    return pixels;
  }
  Scratch scratch{"ravelin-demo"};
  const std::string dir = scratch.dir();
};

TEST_F(DemoTest, PaintsAPictureAndAView) {
  const std::string command = std::string(RAVELIN_DEMO_PATH) + " --width 320 --height 200 --out " + dir + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  int w = 0, h = 0;
  const auto pagePixels = read(dir + "/ravelin-demo.png", w, h);
  ASSERT_FALSE(pagePixels.empty());
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
  std::set<uint32_t> colours;
  for (size_t i = 0; i < pagePixels.size(); i += 4)
    colours.insert(uint32_t(pagePixels[i]) << 16 | uint32_t(pagePixels[i + 1]) << 8 | pagePixels[i + 2]);
  EXPECT_GT(colours.size(), 50u) << "strokes of several colours";
  // Nothing is painted in the bottom corners: the white background shows.
  for (size_t at : {size_t(((h - 2) * w + 1) * 4), size_t(((h - 2) * w + w - 2) * 4)})
    EXPECT_EQ((std::vector<uint8_t>(pagePixels.begin() + at, pagePixels.begin() + at + 3)),
              (std::vector<uint8_t>{255, 255, 255}));

  const auto view = read(dir + "/ravelin-demo-view.png", w, h);
  ASSERT_FALSE(view.empty());
  EXPECT_EQ(w, 320 / 8 * 4);
  EXPECT_EQ(h, 200 / 8 * 4);
}

TEST_F(DemoTest, RefusesBadOptions) {
  // Every refused run is pointed at the scratch folder, so nothing it might still write
  // lands in the working directory; it must write nothing there either.
  const std::string demo = std::string(RAVELIN_DEMO_PATH) + " --out " + dir;
  EXPECT_NE(std::system((demo + " --width 5 > /dev/null 2>&1").c_str()), 0);
  EXPECT_NE(std::system((demo + " --bogus > /dev/null 2>&1").c_str()), 0);
  EXPECT_NE(std::system((std::string(RAVELIN_DEMO_PATH) + " --out " + dir + "/no/such/dir > /dev/null 2>&1").c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

}  // namespace
}  // namespace rvl::test
