// The effect-script library: operation order, the script format, the generators and
// blend modes, the shipped scripts and effect 51 (rotation).
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "external/fxscript/effects.h"
#include "external/fxscript/fxscript.h"
#include "external/fxscript/random.h"
#include "external/fxscript/script.h"
#include "frame/allocator.h"
#include "support/engine_fixture.h"
#include "support/file_scratch.h"

namespace rvl::fxscript {
namespace {

using Bytes = std::vector<uint8_t>;
using Bgra = std::array<uint8_t, 4>;

const std::filesystem::path kScriptDir =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data" / "fxscripts";

uint32_t crc(const Bytes& bytes) {
  return static_cast<uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

Bgra pixelAt(const Bytes& picture, int32_t width, int32_t x, int32_t y) {
  const uint8_t* p = &picture[(static_cast<size_t>(y) * width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// A picture of varied bytes (all four channels) from a small fixed sequence.
Bytes patternPicture(int32_t width, int32_t height, uint32_t seed) {
  Bytes picture(static_cast<size_t>(width) * height * 4);
  for (uint8_t& b : picture) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 23);
  }
  return picture;
}

class FxScriptTest : public test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    FXR_Finish();
  }
  void TearDown() override {
    FXR_Finish();
    EngineTest::TearDown();
  }

  std::string writeScript(std::string_view text, const char* name = "script.fxs") {
    const std::string path = scratch.path(name);
    test::writeText(path, text);
    return path;
  }
  test::Scratch scratch{"ravelin-fx"};

  // The caller's sequence: initialise, load, prepare, read the header, render. Checks
  // that nothing is written past the picture.
  Bytes render(const std::string& path, int32_t* size = nullptr) {
    EXPECT_EQ(FXR_Initialize(), 1);
    EXPECT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1) << path;
    EXPECT_EQ(FXR_InitBuffers(), 1);
    int32_t header[kHeaderEntries] = {};
    EXPECT_EQ(FXR_ReadScriptHeaderFromFile(path.c_str(), header), 1);
    const size_t bytes = static_cast<size_t>(header[4]) * header[5] * 4;
    Bytes picture(bytes + 16, 0xAB);
    EXPECT_EQ(FXR_ExecuteScript(picture.data()), 1);
    for (size_t i = bytes; i < picture.size(); ++i) EXPECT_EQ(picture[i], 0xAB) << "past the end";
    picture.resize(bytes);
    EXPECT_EQ(FXR_Finish(), 1);
    if (size) size[0] = header[4], size[1] = header[5];
    return picture;
  }

  Bytes renderText(std::string_view body, int32_t* size = nullptr) {
    return render(writeScript(std::string(kFirstLine) + "\n" + std::string(body)), size);
  }

  // Runs effect 51 on a copy of picture; returns the result and the operation's result.
  Bytes rotate(const Bytes& picture, int32_t width, int32_t height, int32_t angle, int32_t scale,
               int32_t* result = nullptr) {
    Bytes out = picture;
    EXPECT_EQ(FXR_Initialize(), 1);
    EXPECT_EQ(FXR_AddEffect(kRotateEffect, 1), 1);
    EXPECT_EQ(FXR_SetEffectValue(0, kRotateAngleSlot, angle), 1);
    EXPECT_EQ(FXR_SetEffectValue(0, kRotateScaleSlot, scale), 1);
    const int32_t r = FXR_ExecuteScriptOnImage(out.data(), width, height);
    if (result) *result = r; else EXPECT_EQ(r, 1);
    FXR_Finish();
    return out;
  }
};

constexpr char kTiny[] = "RAVELIN-FXSCRIPT 1\nsize 3 2\nsolid color=#FF0000\n";

TEST_F(FxScriptTest, OperationsOutOfOrderAreRefused) {
  const std::string path = writeScript(kTiny);
  Bytes picture(3 * 2 * 4, 7);
  int32_t header[kHeaderEntries];
  std::fill(std::begin(header), std::end(header), 9);

  // Not initialised: nothing works.
  EXPECT_EQ(FXR_LoadScriptFromFile(path.c_str()), 0);
  EXPECT_EQ(FXR_InitBuffers(), 0);
  EXPECT_EQ(FXR_ReadScriptHeaderFromFile(path.c_str(), header), 0);
  for (int32_t entry : header) EXPECT_EQ(entry, 0);
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 0);
  EXPECT_EQ(FXR_AddEffect(kRotateEffect, 1), 0);
  EXPECT_EQ(FXR_SetEffectValue(0, 3, 10), 0);
  EXPECT_EQ(FXR_ExecuteScriptOnImage(picture.data(), 3, 2), 0);
  EXPECT_EQ(FXR_Finish(), 0);

  ASSERT_EQ(FXR_Initialize(), 1);
  EXPECT_EQ(FXR_InitBuffers(), 0) << "no script loaded";
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 0);
  EXPECT_EQ(FXR_SetEffectValue(0, 3, 10), 0) << "no effect added";
  EXPECT_EQ(FXR_ExecuteScriptOnImage(picture.data(), 3, 2), 0);
  EXPECT_EQ(FXR_AddEffect(50, 1), 0) << "unknown number";
  EXPECT_EQ(FXR_AddEffect(kRotateEffect, 2), 0) << "one effect per use";
  ASSERT_EQ(FXR_AddEffect(kRotateEffect, 1), 1);

  struct ValueCase { int32_t index, slot, expected; };
  for (const ValueCase& c : {ValueCase{1, 3, 0}, {-1, 3, 0}, {0, -1, 0}, {0, kEffectSlots, 0},
                             {0, kEffectSlots - 1, 1}, {0, 0, 1}, {0, 3, 1}}) {
    EXPECT_EQ(FXR_SetEffectValue(c.index, c.slot, 0), c.expected) << c.index << " " << c.slot;
  }
  struct SizeCase { uint8_t* picture; int32_t width, height; };
  for (const SizeCase& c : {SizeCase{nullptr, 3, 2}, {picture.data(), 0, 2}, {picture.data(), 3, -1},
                            {picture.data(), 10001, 1}, {picture.data(), 1, 10001}}) {
    EXPECT_EQ(FXR_ExecuteScriptOnImage(c.picture, c.width, c.height), 0) << c.width << "x" << c.height;
  }
  EXPECT_EQ(picture, Bytes(3 * 2 * 4, 7));
  EXPECT_EQ(FXR_ExecuteScriptOnImage(picture.data(), 3, 2), 1) << "the effect stays added";

  ASSERT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1);
  EXPECT_EQ(FXR_ExecuteScript(nullptr), 0);
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 1) << "prepares itself without InitBuffers";
  EXPECT_EQ(pixelAt(picture, 3, 2, 1), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(FXR_LoadScriptFromFile("/nonexistent/script.fxs"), 0);
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 0) << "a failed load leaves no script";

  ASSERT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1);
  ASSERT_EQ(FXR_Initialize(), 1) << "starts afresh";
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 0);
  EXPECT_EQ(FXR_ExecuteScriptOnImage(picture.data(), 3, 2), 0);

  ASSERT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1);
  ASSERT_EQ(FXR_AddEffect(kRotateEffect, 1), 1);
  EXPECT_EQ(FXR_Finish(), 1);
  ASSERT_EQ(FXR_Initialize(), 1);
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 0) << "Finish cleared the script";
  EXPECT_EQ(FXR_SetEffectValue(0, 3, 1), 0) << "and the effect";
}

TEST_F(FxScriptTest, FailedAllocationsFailTheOperation) {
  const std::string path = writeScript(kTiny);
  ASSERT_EQ(FXR_Initialize(), 1);
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(FXR_LoadScriptFromFile(path.c_str()), 0) << "no room to read the file";
  ASSERT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1);
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(FXR_InitBuffers(), 0);
  Bytes picture(3 * 2 * 4);
  EXPECT_EQ(FXR_ExecuteScript(picture.data()), 1) << "a later attempt prepares the row";

  Bytes square = patternPicture(4, 4, 1);
  const Bytes before = square;
  ASSERT_EQ(FXR_AddEffect(kRotateEffect, 1), 1);
  ASSERT_EQ(FXR_SetEffectValue(0, 3, 30), 1);
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(FXR_ExecuteScriptOnImage(square.data(), 4, 4), 0);
  EXPECT_EQ(square, before);
  FXR_Finish();
  EXPECT_EQ(rvl::testing::liveBlocks(), 0);
}

TEST_F(FxScriptTest, MalformedScriptsAreRefused) {
  const std::string head = std::string(kFirstLine) + "\n";
  const std::string ok = head + "size 4 4\n";
  std::string tooManyLayers = ok;
  for (int i = 0; i <= kMaxLayers; ++i) tooManyLayers += "solid\n";
  std::string oversized = ok + "solid\n";
  while (oversized.size() <= kMaxScriptBytes) oversized += "; padding padding padding padding\n";
  const std::string longLine = ok + "solid" + std::string(kMaxLineLength, ' ') + "\n";
  std::string manyLines = ok + "solid\n" + std::string(kMaxLines, '\n');

  const std::pair<const char*, std::string> cases[] = {
      {"empty file", ""},
      {"other first line", "RAVELIN-FXSCRIPT 2\nsize 4 4\nsolid\n"},
      {"first line with a trailing space", "RAVELIN-FXSCRIPT 1 \nsize 4 4\nsolid\n"},
      {"byte-order mark", "\xEF\xBB\xBF" + ok + "solid\n"},
      {"PNG signature", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"binary zero in a line", ok + std::string("solid\0\n", 7)},
      {"header only", head},
      {"no generator", ok},
      {"no size", head + "solid\n"},
      {"generator before size", head + "solid\nsize 4 4\n"},
      {"size twice", ok + "size 4 4\nsolid\n"},
      {"size zero", head + "size 0 4\nsolid\n"},
      {"size too large", head + "size 4 10001\nsolid\n"},
      {"size missing height", head + "size 4\nsolid\n"},
      {"size not a number", head + "size 4 4x\nsolid\n"},
      {"size with plus sign", head + "size +4 4\nsolid\n"},
      {"number too long", head + "size 0000000004 4\nsolid\n"},
      {"unknown keyword", ok + "sparkle\n"},
      {"keyword in capitals", ok + "SOLID\n"},
      {"unknown option", ok + "solid colour=#FFFFFF\n"},
      {"option without value", ok + "solid color=\n"},
      {"positional value", ok + "solid #FFFFFF\n"},
      {"duplicate option", ok + "solid opacity=5 opacity=5\n"},
      {"short colour", ok + "solid color=#FFF\n"},
      {"colour with bad digit", ok + "solid color=#GG0000\n"},
      {"colour without hash", ok + "solid color=FF0000\n"},
      {"opacity above 100", ok + "solid opacity=101\n"},
      {"unknown blend", ok + "solid blend=dissolve\n"},
      {"curve on a generator without one", ok + "solid curve=smooth\n"},
      {"missing required option", ok + "radial cx=1 cy=1\n"},
      {"linear of zero length", ok + "linear x0=1 y0=1 x1=1 y1=1\n"},
      {"radial inner not below radius", ok + "radial cx=1 cy=1 radius=3 inner=3\n"},
      {"noise scale zero", ok + "noise scale=0\n"},
      {"too many octaves", ok + "perlin octaves=9\n"},
      {"stripes period one", ok + "stripes period=1\n"},
      {"stripes angle out of range", ok + "stripes angle=361\n"},
      {"comment after a statement", ok + "solid ; red\n"},
      {"colour as a comment", ok + "#FF0000\nsolid\n"},
      {"high byte", ok + "solid\n; caf\xC3\xA9\n"},
      {"too many layers", tooManyLayers},
      {"line too long", longLine},
      {"too many lines", manyLines},
      {"file too large", oversized},
  };
  ASSERT_EQ(FXR_Initialize(), 1);
  int i = 0;
  for (const auto& [name, text] : cases) {
    const std::string path = writeScript(text, (std::to_string(i++) + ".fxs").c_str());
    int32_t header[kHeaderEntries];
    std::fill(std::begin(header), std::end(header), 9);
    EXPECT_EQ(FXR_LoadScriptFromFile(path.c_str()), 0) << name;
    EXPECT_EQ(FXR_ReadScriptHeaderFromFile(path.c_str(), header), 0) << name;
    EXPECT_EQ(header[4], 0) << name;
    EXPECT_EQ(header[5], 0) << name;
  }
  for (const char* path : {"", "/nonexistent/script.fxs", "/"}) {
    EXPECT_EQ(FXR_LoadScriptFromFile(path), 0) << path;
  }
  EXPECT_EQ(FXR_LoadScriptFromFile(nullptr), 0);
  EXPECT_EQ(FXR_ReadScriptHeaderFromFile(nullptr, nullptr), 0);
}

TEST_F(FxScriptTest, WellFormedVariantsAreAccepted) {
  const std::string head = std::string(kFirstLine) + "\n";
  std::string fullLayers = head + "size 2 2\n";
  for (int i = 0; i < kMaxLayers; ++i) fullLayers += "solid\n";
  const std::string cases[] = {
      head + "size 1 1\nsolid",                                       // no final newline
      "RAVELIN-FXSCRIPT 1\r\nsize 2 2\r\n\r\n; note\r\nsolid\r\n",   // CRLF lines
      head + "\t; indented comment\n  size\t2   2 \n\tsolid color=#12345678  \n",
      head + "size 10000 10000\nsolid\n",
      fullLayers,
      head + "size 8 8\nlinear x0=-5 y0=0 x1=100000 y1=-100000 curve=smooth blend=screen opacity=0\n"
             "radial cx=4 cy=4 radius=100000 inner=99999 color0=#00000000 color1=#ffffffff\n"
             "noise scale=10000 octaves=8 persistence=1 seed=-999999999\n"
             "perlin scale=1 octaves=1 persistence=100 seed=999999999 blend=overlay\n"
             "plasma scale=2 seed=0 blend=multiply\nchecker size=10000 blend=darken\n"
             "stripes period=10000 angle=-360 profile=triangle blend=subtract\n"
             "stripes profile=sine blend=add\nsolid blend=lighten\n",
  };
  ASSERT_EQ(FXR_Initialize(), 1);
  int i = 0;
  for (const std::string& text : cases) {
    const std::string path = writeScript(text, (std::to_string(i++) + ".fxs").c_str());
    EXPECT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1) << text;
  }
}

TEST_F(FxScriptTest, HeaderDescribesTheFileAndLeavesTheLoadedScript) {
  const std::string small = writeScript(kTiny, "small.fxs");
  const std::string large =
      writeScript(std::string(kFirstLine) + "\nsize 7 5\nsolid\nchecker size=2\n", "large.fxs");
  ASSERT_EQ(FXR_Initialize(), 1);
  ASSERT_EQ(FXR_LoadScriptFromFile(small.c_str()), 1);
  int32_t header[kHeaderEntries];
  ASSERT_EQ(FXR_ReadScriptHeaderFromFile(large.c_str(), header), 1);
  const int32_t expected[kHeaderEntries] = {kHeaderMagic, kFormatVersion, 2, 4, 7, 5, 28};
  for (int i = 0; i < kHeaderEntries; ++i) EXPECT_EQ(header[i], expected[i]) << "entry " << i;
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(header), 4), "RFXS");

  // Rendering still draws the 3 x 2 script.
  Bytes picture(3 * 2 * 4 + 8, 0xAB);
  ASSERT_EQ(FXR_ExecuteScript(picture.data()), 1);
  EXPECT_EQ(pixelAt(picture, 3, 2, 1), (Bgra{0, 0, 255, 255}));
  for (size_t i = 3 * 2 * 4; i < picture.size(); ++i) EXPECT_EQ(picture[i], 0xAB);
}

TEST_F(FxScriptTest, GeneratorsAndBlendsFollowTheirFormulas) {
  struct Case {
    const char* body;
    int32_t x, y;
    Bgra expected;
  };
  const Case cases[] = {
      {"size 4 1\nsolid color=#102030", 3, 0, {0x30, 0x20, 0x10, 255}},
      // Linear: t = projection of the pixel centre; 1.5 / 4 and 3.5 / 4 of 255.
      {"size 4 1\nlinear x0=0 y0=0 x1=4 y1=0", 1, 0, {96, 96, 96, 255}},
      {"size 4 1\nlinear x0=0 y0=0 x1=4 y1=0", 3, 0, {223, 223, 223, 255}},
      {"size 4 1\nlinear x0=0 y0=0 x1=4 y1=0 curve=smooth", 1, 0, {81, 81, 81, 255}},
      {"size 4 1\nlinear x0=0 y0=0 x1=4 y1=0 color0=#FF000000 color1=#FF0000FF", 0, 0, {0, 0, 255, 32}},
      // Radial: t = distance of the centre / radius, beyond the radius color1.
      {"size 8 8\nradial cx=4 cy=4 radius=4", 3, 3, {45, 45, 45, 255}},
      {"size 8 8\nradial cx=4 cy=4 radius=4", 0, 3, {225, 225, 225, 255}},
      {"size 8 8\nradial cx=4 cy=4 radius=4", 0, 0, {255, 255, 255, 255}},
      {"size 8 8\nradial cx=4 cy=4 radius=4 inner=2", 0, 3, {196, 196, 196, 255}},
      {"size 8 8\nradial cx=4 cy=4 radius=4 inner=2", 4, 4, {0, 0, 0, 255}},
      {"size 4 4\nchecker size=2", 1, 1, {0, 0, 0, 255}},
      {"size 4 4\nchecker size=2", 2, 0, {255, 255, 255, 255}},
      {"size 4 4\nchecker size=2", 3, 3, {0, 0, 0, 255}},
      {"size 4 4\nstripes period=4", 1, 3, {0, 0, 0, 255}},
      {"size 4 4\nstripes period=4", 2, 0, {255, 255, 255, 255}},
      {"size 4 4\nstripes period=4 angle=90", 3, 1, {0, 0, 0, 255}},
      {"size 4 4\nstripes period=4 angle=90", 0, 2, {255, 255, 255, 255}},
      {"size 4 4\nstripes period=4 profile=triangle", 1, 0, {191, 191, 191, 255}},
      {"size 4 4\nstripes period=4 profile=sine", 1, 0, {218, 218, 218, 255}},
      // Gradient noise is zero on the lattice: scale 1 puts every pixel there.
      {"size 5 5\nperlin scale=1 octaves=3 seed=9", 4, 2, {128, 128, 128, 255}},
      // Blend modes of #FF4000 over #808080.
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=normal", 0, 0, {0, 64, 255, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=multiply", 0, 0, {0, 32, 128, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=screen", 0, 0, {128, 160, 255, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=overlay", 0, 0, {1, 65, 255, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=darken", 0, 0, {0, 64, 128, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=lighten", 0, 0, {128, 128, 255, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=add", 0, 0, {128, 192, 255, 255}},
      {"size 1 1\nsolid color=#808080\nsolid color=#FF4000 blend=subtract", 0, 0, {128, 64, 0, 255}},
      // Opacity and alpha: source-over of non-premultiplied colours on transparent black.
      {"size 1 1\nsolid color=#000000\nsolid color=#FFFFFF opacity=50", 0, 0, {128, 128, 128, 255}},
      {"size 1 1\nsolid color=#FF000080", 0, 0, {0, 0, 255, 128}},
      {"size 1 1\nsolid color=#0000FF80\nsolid color=#FF000080", 0, 0, {85, 0, 170, 192}},
      {"size 1 1\nsolid color=#0000FF80\nsolid color=#FF0000 opacity=0", 0, 0, {255, 0, 0, 128}},
      {"size 1 1\nsolid color=#FF0000 blend=multiply", 0, 0, {0, 0, 255, 255}},
  };
  for (const Case& c : cases) {
    int32_t size[2] = {};
    const Bytes picture = renderText(c.body, size);
    ASSERT_FALSE(picture.empty()) << c.body;
    EXPECT_EQ(pixelAt(picture, size[0], c.x, c.y), c.expected) << c.body << " at " << c.x << "," << c.y;
  }
}

TEST_F(FxScriptTest, NoiseIsSeededAndRepeatable) {
  // Value noise at scale 1: every pixel is the lattice value V = hash / 2^32 of its index,
  // hash = mix32(s ^ mix32(i * 0x9E3779B1 ^ mix32(j + 0x632BE5AB))) with s = 5, worked out by
  // hand; the grey is V * 255 rounded (e.g. 2080664588 / 2^32 * 255 = 123.53).
  struct Lattice {
    int32_t x, y;
    uint32_t hash;
    uint8_t grey;
  };
  const Bytes white = renderText("size 16 4\nnoise scale=1 seed=5");
  for (const Lattice& l : {Lattice{0, 0, 2080664588u, 124}, {15, 3, 881940450u, 52}, {7, 2, 3779513794u, 224},
                           {3, 1, 2611759355u, 155}}) {
    EXPECT_EQ(latticeHash(octaveSeed(5, 0), l.x, l.y), l.hash) << l.x << "," << l.y;
    EXPECT_EQ(pixelAt(white, 16, l.x, l.y), (Bgra{l.grey, l.grey, l.grey, 255})) << l.x << "," << l.y;
  }
  for (const char* kind : {"noise scale=4 octaves=3", "perlin scale=5 octaves=2", "plasma scale=9"}) {
    const std::string body = std::string("size 24 20\n") + kind;
    const Bytes first = renderText(body + " seed=1");
    EXPECT_EQ(first, renderText(body + " seed=1")) << kind;
    EXPECT_NE(first, renderText(body + " seed=2")) << kind;
  }
}

TEST_F(FxScriptTest, ShippedScriptsRenderTheirRecordedPictures) {
  struct Case {
    const char* file;
    int32_t width, height;
    uint32_t crc;
  };
  const Case cases[] = {
      {"grit_noise.fxs", 600, 600, 1096975527u},
      {"tip_soft.fxs", 128, 128, 4270940982u},
      {"paper_texture.fxs", 512, 512, 2958715144u},
      {"background_plasma.fxs", 400, 300, 2040732u},
      {"displace_waves.fxs", 256, 256, 503604579u},
      {"checker_tile.fxs", 64, 64, 81240691u},
  };
  for (const Case& c : cases) {
    int32_t size[2] = {};
    const Bytes picture = render((kScriptDir / c.file).string(), size);
    EXPECT_EQ(size[0], c.width) << c.file;
    EXPECT_EQ(size[1], c.height) << c.file;
    EXPECT_EQ(crc(picture), c.crc) << c.file;
  }
  // Pixels worked out apart from the library, from the generator and layering formulas of
  // the script format (the checksums above were confirmed the same way, picture by picture).
  struct Spot {
    const char* file;
    int32_t width, x, y;
    Bgra expected;
  };
  const Spot spots[] = {
      {"grit_noise.fxs", 600, 0, 0, {114, 114, 114, 255}},
      {"grit_noise.fxs", 600, 599, 599, {89, 89, 89, 255}},
      {"grit_noise.fxs", 600, 123, 456, {98, 98, 98, 255}},
      {"grit_noise.fxs", 600, 300, 17, {113, 113, 113, 255}},
      {"tip_soft.fxs", 128, 64, 64, {255, 255, 255, 255}},
      {"tip_soft.fxs", 128, 0, 0, {0, 0, 0, 255}},
      {"tip_soft.fxs", 128, 64, 10, {23, 23, 23, 255}},
      {"tip_soft.fxs", 128, 100, 80, {119, 119, 119, 255}},
      {"paper_texture.fxs", 512, 0, 0, {199, 199, 199, 255}},
      {"paper_texture.fxs", 512, 511, 511, {192, 192, 192, 255}},
      {"paper_texture.fxs", 512, 200, 300, {192, 192, 192, 255}},
      {"paper_texture.fxs", 512, 77, 401, {188, 188, 188, 255}},
      {"background_plasma.fxs", 400, 0, 0, {34, 46, 65, 255}},
      {"background_plasma.fxs", 400, 399, 299, {32, 32, 40, 255}},
      {"background_plasma.fxs", 400, 200, 150, {83, 139, 193, 255}},
      {"background_plasma.fxs", 400, 37, 250, {46, 84, 116, 255}},
      {"displace_waves.fxs", 256, 0, 0, {32, 32, 32, 255}},
      {"displace_waves.fxs", 256, 255, 255, {179, 179, 179, 255}},
      {"displace_waves.fxs", 256, 128, 64, {167, 167, 167, 255}},
      {"displace_waves.fxs", 256, 10, 200, {151, 151, 151, 255}},
  };
  std::string last;
  Bytes picture;
  for (const Spot& s : spots) {
    if (last != s.file) picture = render((kScriptDir / s.file).string()), last = s.file;
    EXPECT_EQ(pixelAt(picture, s.width, s.x, s.y), s.expected) << s.file << " at " << s.x << "," << s.y;
  }
}

// The checker tile pixel by pixel: a checker of 8-pixel squares in #2E3440 and #D8DEE9,
// then white with alpha 0x60 * t added, t = ((px, py) . (64, 64)) / (64^2 * 2) along the
// diagonal. Over the opaque checker Da = 1 and add gives B = min(255, d + 255) = 255, so
// out = (a * 255 + (1 - a) * d) / 1, a = L.alpha / 255, rounded halves up.
TEST_F(FxScriptTest, CheckerTileFollowsItsTwoLayersPixelByPixel) {
  int32_t size[2] = {};
  const Bytes picture = render((kScriptDir / "checker_tile.fxs").string(), size);
  ASSERT_EQ(size[0], 64);
  ASSERT_EQ(size[1], 64);
  const double dark[3] = {0x2E, 0x34, 0x40}, light[3] = {0xD8, 0xDE, 0xE9};  // R, G, B
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) {
      const double* square = ((x / 8) + (y / 8)) % 2 ? light : dark;
      const double t = std::clamp(((x + 0.5) * 64 + (y + 0.5) * 64) / (64.0 * 64.0 * 2.0), 0.0, 1.0);
      const double layerAlpha = 0.0 + (96.0 - 0.0) * t;
      const double a = layerAlpha / 255 * 100 / 100;
      const double Da = 1.0, outAlpha = a + Da * (1 - a);
      uint8_t rgb[3];
      for (int c = 0; c < 3; ++c) {
        const double mixed = (1 - Da) * 255.0 + Da * std::min(255.0, square[c] + 255.0);
        rgb[c] = static_cast<uint8_t>(std::floor((a * mixed + Da * (1 - a) * square[c]) / outAlpha + 0.5));
      }
      ASSERT_EQ(pixelAt(picture, 64, x, y), (Bgra{rgb[2], rgb[1], rgb[0], 255})) << x << "," << y;
    }
  // Two corners by hand: (0, 0) has t = 1/128, a = 0.75 / 255, red 46 + 0.75 * 209 / 255;
  // (63, 63), a dark square, t = 127/128, red 46 + 95.25 * 209 / 255 = 124.07.
  EXPECT_EQ(pixelAt(picture, 64, 0, 0), (Bgra{0x41, 0x35, 0x2F, 255}));
  EXPECT_EQ(pixelAt(picture, 64, 63, 63), (Bgra{135, 128, 124, 255}));
}

// The fuzz target's seeds are well-formed scripts, and small ones reach every generator.
TEST_F(FxScriptTest, FuzzSeedsAreScriptsCoveringEveryGenerator) {
  const std::filesystem::path seeds = kScriptDir.parent_path().parent_path() / "fuzz" / "seeds" / "fxscript_parse_fuzz";
  std::vector<std::string> small;
  ASSERT_EQ(FXR_Initialize(), 1);
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    const std::string path = entry.path().string();
    EXPECT_EQ(FXR_LoadScriptFromFile(path.c_str()), 1) << path;
    int32_t header[kHeaderEntries] = {};
    ASSERT_EQ(FXR_ReadScriptHeaderFromFile(path.c_str(), header), 1) << path;
    if (int64_t(header[4]) * header[5] * header[2] <= 256 * 256 * 2) {
      const std::vector<uint8_t> bytes = test::readBytes(path);
      small.emplace_back(bytes.begin(), bytes.end());
    }
  }
  for (const char* generator : {"solid", "linear", "radial", "noise", "perlin", "plasma", "checker", "stripes"}) {
    const bool found = std::any_of(small.begin(), small.end(), [&](const std::string& text) {
      return text.find(std::string("\n") + generator + " ") != std::string::npos;
    });
    EXPECT_TRUE(found) << "no small seed uses " << generator;
  }
}

// Effect 51.

TEST_F(FxScriptTest, RotationByWholeTurnsLeavesThePictureUnchanged) {
  const Bytes picture = patternPicture(7, 5, 3);
  for (int32_t angle : {0, 360, -720}) EXPECT_EQ(rotate(picture, 7, 5, angle, 100), picture) << angle;

  // The defaults of effect 51 are angle 0, scale 100.
  Bytes copy = picture;
  ASSERT_EQ(FXR_Initialize(), 1);
  ASSERT_EQ(FXR_AddEffect(kRotateEffect, 1), 1);
  EXPECT_EQ(FXR_ExecuteScriptOnImage(copy.data(), 7, 5), 1);
  EXPECT_EQ(copy, picture);
}

TEST_F(FxScriptTest, QuarterTurnsMoveWholePixelsCounterClockwise) {
  for (int32_t n : {6, 5}) {
    const Bytes picture = patternPicture(n, n, 11);
    struct Turn { int32_t angle; int quarters; };  // counter-clockwise quarters
    for (const Turn& turn : {Turn{90, 1}, {180, 2}, {270, 3}, {-90, 3}, {450, 1}}) {
      const Bytes turned = rotate(picture, n, n, turn.angle, 100);
      for (int32_t y = 0; y < n; ++y) {
        for (int32_t x = 0; x < n; ++x) {
          int32_t sx = x, sy = y;  // the source pixel of (x, y)
          for (int q = 0; q < turn.quarters; ++q) {
            const int32_t px = sx;
            sx = n - 1 - sy;
            sy = px;
          }
          ASSERT_EQ(pixelAt(turned, n, x, y), pixelAt(picture, n, sx, sy))
              << n << " angle " << turn.angle << " at " << x << "," << y;
        }
      }
    }
  }
  // Counter-clockwise as seen: the pixel right of the centre goes above it.
  Bytes dot(9 * 9 * 4, 0);
  dot[(4 * 9 + 7) * 4 + 3] = 255;
  const Bytes up = rotate(dot, 9, 9, 90, 100);
  EXPECT_EQ(pixelAt(up, 9, 4, 1), (Bgra{0, 0, 0, 255}));
}

TEST_F(FxScriptTest, RotationSamplesBilinearlyAndClearsUncoveredPixels) {
  const Bytes picture = patternPicture(16, 16, 5);
  const Bytes turned = rotate(picture, 16, 16, 45, 100);
  EXPECT_EQ(crc(turned), 2910386731u);
  // The same turn from the definition: destination (x, y) samples (W/2, H/2) + R (x + 0.5 -
  // W/2, y + 0.5 - H/2), outside [0, W) x [0, H) transparent, else bilinear between the
  // pixel centres around it (edges repeated), each byte rounded.
  const double c = std::cos(std::numbers::pi / 4), s = std::sin(std::numbers::pi / 4);
  auto byteAt = [&](int32_t x, int32_t y, int ch) {
    return double(picture[(size_t(std::clamp(y, 0, 15)) * 16 + size_t(std::clamp(x, 0, 15))) * 4 + size_t(ch)]);
  };
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      const double dx = x + 0.5 - 8, dy = y + 0.5 - 8;
      const double sx = 8 + c * dx - s * dy, sy = 8 + s * dx + c * dy;
      Bgra want{0, 0, 0, 0};
      if (sx >= 0 && sx < 16 && sy >= 0 && sy < 16) {
        const double fx = sx - 0.5, fy = sy - 0.5;
        const int32_t x0 = int32_t(std::floor(fx)), y0 = int32_t(std::floor(fy));
        const double tx = fx - x0, ty = fy - y0;
        for (int ch = 0; ch < 4; ++ch) {
          const double top = byteAt(x0, y0, ch) * (1 - tx) + byteAt(x0 + 1, y0, ch) * tx;
          const double bottom = byteAt(x0, y0 + 1, ch) * (1 - tx) + byteAt(x0 + 1, y0 + 1, ch) * tx;
          want[size_t(ch)] = static_cast<uint8_t>(std::floor(top * (1 - ty) + bottom * ty + 0.5));
        }
      }
      EXPECT_EQ(pixelAt(turned, 16, x, y), want) << x << "," << y;
    }
  for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}})
    EXPECT_EQ(pixelAt(turned, 16, x, y), (Bgra{0, 0, 0, 0})) << "corner " << x << "," << y;

  // The centre of an odd picture stays in place at any angle.
  const Bytes odd = patternPicture(9, 7, 8);
  EXPECT_EQ(pixelAt(rotate(odd, 9, 7, 33, 100), 9, 4, 3), pixelAt(odd, 9, 4, 3));

  // Scale 50 halves the content: on 8 x 8 the two outer rings lose their source.
  const Bytes flat(8 * 8 * 4, 200);
  const Bytes half = rotate(flat, 8, 8, 0, 50);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 5;
      const Bgra expected = inside ? Bgra{200, 200, 200, 200} : Bgra{0, 0, 0, 0};
      EXPECT_EQ(pixelAt(half, 8, x, y), expected) << x << "," << y;
    }
  // Scale 200 doubles it: a horizontal ramp 0, 10, ... 70 is sampled between its pixels.
  Bytes ramp(8 * 1 * 4);
  for (int32_t x = 0; x < 8; ++x) ramp[x * 4] = static_cast<uint8_t>(x * 10);
  const Bytes doubled = rotate(ramp, 8, 1, 0, 200);
  // Pixel 0 samples 4 + (0.5 - 4) / 2 - 0.5 = 1.75 of the ramp.
  EXPECT_EQ(doubled[0], 18);
  EXPECT_EQ(doubled[7 * 4], 53);
}

TEST_F(FxScriptTest, RotationRefusesScalesOutsideItsRange) {
  const Bytes picture = patternPicture(4, 4, 2);
  for (int32_t scale : {0, -100, 10001}) {
    int32_t result = -1;
    EXPECT_EQ(rotate(picture, 4, 4, 30, scale, &result), picture) << scale;
    EXPECT_EQ(result, 0) << scale;
  }
}

TEST(FxEffectRegistry, KnowsEffect51WithItsDefaults) {
  const EffectEntry* rotateEntry = findEffect(kRotateEffect);
  ASSERT_NE(rotateEntry, nullptr);
  const EffectValues values = defaultValues(*rotateEntry);
  EXPECT_EQ(values.slot[kRotateAngleSlot], 0);
  EXPECT_EQ(values.slot[kRotateScaleSlot], 100);
  for (int32_t number : {0, 1, 50, 52, -51}) EXPECT_EQ(findEffect(number), nullptr) << number;
}

}  // namespace
}  // namespace rvl::fxscript
