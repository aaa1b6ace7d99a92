#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "brush/brush.h"
#include "support/layer_fixture.h"

namespace rvl::test {
namespace {

using SettingsTest = LayerFixture;

TEST_F(SettingsTest, ColoursUseTheLowByte) {
  RVL_SetColor(255, 128, 0);
  EXPECT_EQ((std::vector<uint16_t>(brush.brushColour, brush.brushColour + 4)),
            (std::vector<uint16_t>{65280, 32768, 0, 65535}));
  RVL_SetColor(511, 0, 0);
  EXPECT_EQ(brush.brushColour[0], 65280);
  RVL_SetColor16(1, 2, 70000);
  EXPECT_EQ(brush.brushColour[2], uint16_t(70000));
  EXPECT_EQ(brush.brushColour[3], 65535);
  RVL_SetColorBanks(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0x1FF);
  EXPECT_EQ(brush.colourBanks[0], 256);
  EXPECT_EQ(brush.colourBanks[1], 4 << 8);
  EXPECT_EQ(brush.colourBanks[4], 2 << 8);
  EXPECT_EQ(brush.colourBanks[11], 0xFF00);
  EXPECT_EQ(brush.colourBanks[15], 65535);
}

TEST_F(SettingsTest, DerivedValues) {
  RVL_SetAlpha(50);
  EXPECT_EQ(brush.alphaScale, 64);
  RVL_SetAlpha(100);
  EXPECT_EQ(brush.alphaScale, 128);

  const std::pair<int32_t, int32_t> shifts[] = {{127, 0}, {200, 9}, {254, 15}, {255, 16}, {256, 16}, {0, -15}, {100, -3}};
  for (auto [amount, shift] : shifts) {
    RVL_SetMixMode(40, amount);
    EXPECT_EQ(brush.mixShift, shift) << amount;
    EXPECT_EQ(brush.mixAmountInverse, 256 - amount);
  }

  RVL_SetBlendStrength(100);
  RVL_SetBlendStrength(0);
  EXPECT_EQ(brush.blendStrengthInverse, 156) << "kept when the strength is 0";
  RVL_SetBlendPrimaryColorStrength(-4);
  EXPECT_EQ(brush.primaryColourStrengthInverse, 0);

  RVL_SetDensity(256);
  EXPECT_EQ(brush.densityThreshold, 255);
  RVL_SetRotateBrushMode(1, 90);
  EXPECT_NEAR(brush.rotateSin, 1.0f, 1e-6);
  EXPECT_NEAR(brush.rotateCos, 0.0f, 1e-5);
  RVL_DisplayMask(0x101);
  EXPECT_EQ(page.maskDisplayed, 1);
  RVL_EnableMask(0x100);
  EXPECT_EQ(page.maskEnabled, 0);
}

TEST_F(SettingsTest, SizeAndSampleTable) {
  RVL_SetSize(40);
  EXPECT_EQ(brush.sampleCount, 40);
  EXPECT_EQ(brush.sampleTable[39], 39);
  RVL_SetScaleSize(0);
  EXPECT_EQ(brush.sampleCount, 1);
  EXPECT_EQ(brush.sampleTable[0], 20);
  RVL_SetScaleSize(20);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(brush.sampleTable[i], 2 * i + 1) << i;
  RVL_SetScaleSize(500);
  EXPECT_EQ(brush.sampleCount, 40);
  // The table has 1000 entries: larger sizes are held there.
  RVL_SetSize(5000);
  EXPECT_EQ(brush.brushSize, 1000);
  EXPECT_EQ(tipSize(), 8) << "the page's brush buffers are 8 wide";
  RVL_SetSize(-3);
  EXPECT_EQ(brush.sampleCount, 0);
}

TEST_F(SettingsTest, PixelVariationArraysAreReusedAndRebuilt) {
  RVL_SetRandomSeed(3);
  RVL_SetPixColorVary(5);
  RVL_SetPixLumVary(7);
  ASSERT_NE(brush.pixColourRandom.data, nullptr);
  EXPECT_EQ(brush.pixColourRandom.length, 3 * 8);
  EXPECT_EQ(brush.pixColourRandom.modulus, 1000);
  EXPECT_EQ(brush.pixLumRandom.modulus, 256);
  const uint8_t* kept = brush.pixColourRandom.data;
  const auto allocations = rvl::testing::allocationCount();
  RVL_SetPixColorVary(9);
  EXPECT_EQ(brush.pixColourRandom.data, kept);
  EXPECT_EQ(rvl::testing::allocationCount(), allocations);
  RVL_SetPixColorVary(0);
  EXPECT_EQ(brush.pixColourVary, 0);
}

TEST_F(SettingsTest, OneShotFlagsAndSmallExports) {
  RVL_TempDisableBlend();
  RVL_SetMaskMakerOn();
  RVL_SetEraseModeOn();
  EXPECT_EQ(brush.blendOffOnce + brush.maskMakerOn + brush.eraseModeOn, 3);
  brush.drawingLengthLeft = 3;
  RVL_DecDrawingLength();
  EXPECT_EQ(brush.drawingLengthLeft, 2);

  page.textureBuffer.allocate(size_t(W) * H);
  RVL_DeleteTexture();
  EXPECT_EQ(page.textureBuffer, nullptr);
  RVL_DeleteTexture();

  std::vector<uint8_t> rgb(size_t(W) * H * 3, 0);
  RVL_SetPixelRGB24(rgb.data(), W * 3, 1, 2, 0x1234, 0x5678, 0x9ABC);
  EXPECT_EQ(rgb[(2 * W + 1) * 3 + 0], 0x12);
  EXPECT_EQ(rgb[(2 * W + 1) * 3 + 2], 0x9A);
  RVL_SetPixelRGB24(rgb.data(), W * 3, W, 0, 0xFFFF, 0xFFFF, 0xFFFF);
  RVL_SetPixelRGB24(rgb.data(), W * 3, 0, -1, 0xFFFF, 0xFFFF, 0xFFFF);
  EXPECT_EQ(rgb[0], 0);
}

// A hostile host passes any 32-bit value to any setting. Each setting is held to its range
// where it is stored: an in-range value is stored as given, an out-of-range one as the
// nearest end of the range (a flag as 0 or 1), and a stroke painted after an out-of-range
// value is the stroke painted with that end of the range.
struct HeldSetting {
  const char* name;
  enum { kRange, kFlag, kFloatBits } kind;
  double lo, hi;
  int32_t inRange;
  std::function<void(int32_t)> set;
  std::function<double()> stored;
};

// The tool of every stroke; a row of the table changes one of its arguments.
struct ToolArgs {
  float opacity = 1.0f;
  int32_t grit = 2, cell = 200, pixel = 220, softness = 80, vary = 0, length = 1, blend = 120, primary = 40;
  void install() const {
    RVL_SetTool(opacity, grit, cell, pixel, softness, vary, length, blend, primary, 1, 0, 0, 0, "", "", 0);
  }
};

void withTool(void (*change)(ToolArgs&, int32_t), int32_t v) {
  ToolArgs args;
  change(args, v);
  args.install();
}

class HeldSettingsTest : public SettingsTest {
 protected:
  // The base of every stroke: a soft round 8-pixel tip with grit, the blend buffer, paint
  // kind 40 and partial opacity and density, every one-by-one setting back at its base.
  static void baseSettings() {
    RVL_SetColor(0x80, 0x20, 0xC0);  // (the blend buffer copy mixes in the brush colour)
    RVL_SetSize(8);
    ToolArgs{}.install();
    RVL_SetMixMode(40, 128);
    RVL_SetAlpha(70);
    RVL_SetDensity(180);
    RVL_SetShapeBlur(0);
    RVL_SetColorVary(0);
    RVL_SetPixColorVary(0);
    RVL_SetPixLumVary(0);
    RVL_SetAlphaLocked(0);
    RVL_SetColorLocked(0);
    RVL_SetBlobLocked(0);
    RVL_SetAlphaLevel(0);
    RVL_SetImageBrushMode(0);
    RVL_SetSolidBrushMode(0);
    RVL_SetRotateBrushMode(0, 0);
  }
  // The layer under the stroke: a pattern of colours and alphas, some transparent.
  static void patternLayer() {
    ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        set(2, x, y, {uint16_t(x * 4000), uint16_t(y * 5000), uint16_t((x + y) * 2000), uint16_t((x * y % 5) * 16000)});
  }
  // The setting under test, then a stroke of two dabs: layer 2 and the blend buffer after it.
  static std::vector<uint16_t> stroke(const HeldSetting& setting, int32_t v) {
    patternLayer();
    std::memset(page.blendBuffer.get(), 0, size_t(8) * 8 * 8);
    brush.currentGrit = GritPosition{-1, 0};  // (the next pattern depends on the last one)
    baseSettings();
    setting.set(v);
    RVL_CopyBlendBufferSurface(8, 6, 100, 0);
    RVL_DrawDabGrit(8, 6, 0x8000, 0x2000, 0xC000);
    RVL_DecDrawingLength();
    RVL_DrawDabGrit(5, 5, 0xFF00, 0x4000, 0x1000);
    const LayerSlot& s = page.layerTable[2];
    std::vector<uint16_t> out(s.pixels.get(), s.pixels.get() + size_t(W) * H * 4);
    out.insert(out.end(), page.blendBuffer.get(), page.blendBuffer.get() + size_t(8) * 8 * 4);
    return out;
  }
  // What every reader of the settings relies on, whatever was set.
  static void expectDerivedInRange(const char* name, int32_t v) {
    SCOPED_TRACE(::testing::Message() << name << "(" << v << ")");
    EXPECT_TRUE(brush.alphaPercent >= 0 && brush.alphaPercent <= 100);
    EXPECT_TRUE(brush.alphaScale >= 0 && brush.alphaScale <= 128);
    EXPECT_TRUE(brush.densityThreshold >= -1 && brush.densityThreshold <= 255);
    for (int32_t w : {brush.blendStrength, brush.blendStrengthInverse, brush.primaryColourStrength,
                      brush.primaryColourStrengthInverse, brush.mixAmount, brush.mixAmountInverse,
                      brush.gritCellThreshold, brush.gritPixelThreshold})
      EXPECT_TRUE(w >= 0 && w <= 256) << w;
    EXPECT_TRUE(brush.mixShift >= -15 && brush.mixShift <= 16);
    EXPECT_TRUE(brush.tipOpacity >= 0.0f && brush.tipOpacity <= 1.0f);
    EXPECT_TRUE(brush.gritSize >= 0 && brush.gritSize <= 1025);
    EXPECT_TRUE(brush.drawingLength >= 0);
    EXPECT_TRUE(brush.alphaLevel >= 0 && brush.alphaLevel <= 65535);
    EXPECT_TRUE(brush.shapeBlur >= 0 && brush.shapeBlur <= 100);
    EXPECT_TRUE(std::fabs(brush.rotateSin) <= 1.0f && std::fabs(brush.rotateCos) <= 1.0f);
    for (int32_t n : {brush.colourVary, brush.pixColourVary, brush.pixLumVary}) EXPECT_GE(n, 0);
  }
};

TEST_F(HeldSettingsTest, ExtremeValuesAreHeldToEachRange) {
  RVL_SetRandomSeed(11);
  using S = HeldSetting;
  constexpr double kIntMin = std::numeric_limits<int32_t>::min(), kIntMax = std::numeric_limits<int32_t>::max();
  const HeldSetting settings[] = {
      {"SetAlpha", S::kRange, 0, 100, 50, RVL_SetAlpha, [] { return double(brush.alphaPercent); }},
      {"SetDensity", S::kRange, 0, 256, 100, RVL_SetDensity, [] { return brush.densityThreshold + 1.0; }},
      {"SetBlendStrength", S::kRange, 0, 256, 100, RVL_SetBlendStrength, [] { return double(brush.blendStrength); }},
      {"SetBlendPrimaryColorStrength", S::kRange, 0, 256, 30, RVL_SetBlendPrimaryColorStrength,
       [] { return double(brush.primaryColourStrength); }},
      {"SetMixMode", S::kRange, 0, 256, 200, [](int32_t v) { RVL_SetMixMode(40, v); },
       [] { return double(brush.mixAmount); }},
      {"SetShapeBlur", S::kRange, 0, 100, 20, RVL_SetShapeBlur, [] { return double(brush.shapeBlur); }},
      {"SetAlphaLevel", S::kRange, 0, 65535, 30000, RVL_SetAlphaLevel, [] { return double(brush.alphaLevel); }},
      {"SetColorVary", S::kRange, 0, kIntMax, 30, RVL_SetColorVary, [] { return double(brush.colourVary); }},
      {"SetPixColorVary", S::kRange, 0, kIntMax, 10, RVL_SetPixColorVary, [] { return double(brush.pixColourVary); }},
      {"SetPixLumVary", S::kRange, 0, kIntMax, 40, RVL_SetPixLumVary, [] { return double(brush.pixLumVary); }},
      {"SetSize", S::kRange, 0, 1000, 6, RVL_SetSize, [] { return double(brush.brushSize); }},
      {"SetScaleSize", S::kRange, 1, 8, 5, RVL_SetScaleSize, [] { return double(brush.sampleCount); }},
      {"SetRotateBrushMode", S::kRange, kIntMin, kIntMax, 30, [](int32_t v) { RVL_SetRotateBrushMode(1, v); },
       [] { return double(brush.rotateAngle); }},
      {"SetAlphaLocked", S::kFlag, 0, 1, 1, RVL_SetAlphaLocked, [] { return double(brush.alphaLocked); }},
      {"SetColorLocked", S::kFlag, 0, 1, 1, RVL_SetColorLocked, [] { return double(brush.colourLocked); }},
      {"SetBlobLocked", S::kFlag, 0, 1, 1, RVL_SetBlobLocked, [] { return double(brush.blobLocked); }},
      {"SetImageBrushMode", S::kFlag, 0, 1, 1, RVL_SetImageBrushMode, [] { return double(brush.imageBrushMode); }},
      {"SetSolidBrushMode", S::kFlag, 0, 1, 1, RVL_SetSolidBrushMode, [] { return double(brush.solidBrushMode); }},
      // The tip opacity comes as the four bytes of a 32-bit float: 0x3F000000 is 0.5.
      {"SetTool opacity", S::kFloatBits, 0, 1, 0x3F000000,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.opacity = std::bit_cast<float>(x); }, v); },
       [] { return double(brush.tipOpacity); }},
      {"SetTool grit size", S::kRange, 0, 1025, 3,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.grit = x; }, v); }, [] { return double(brush.gritSize); }},
      {"SetTool cell threshold", S::kRange, 0, 256, 150,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.cell = x; }, v); },
       [] { return double(brush.gritCellThreshold); }},
      {"SetTool pixel threshold", S::kRange, 0, 256, 150,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.pixel = x; }, v); },
       [] { return double(brush.gritPixelThreshold); }},
      {"SetTool colour vary", S::kRange, 0, kIntMax, 20,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.vary = x; }, v); }, [] { return double(brush.colourVary); }},
      {"SetTool drawing length", S::kRange, 0, kIntMax, 3,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.length = x; }, v); },
       [] { return double(brush.drawingLength); }},
      {"SetTool blend strength", S::kRange, 0, 256, 60,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.blend = x; }, v); },
       [] { return double(brush.blendStrength); }},
      {"SetTool primary colour strength", S::kRange, 0, 256, 90,
       [](int32_t v) { withTool([](ToolArgs& a, int32_t x) { a.primary = x; }, v); },
       [] { return double(brush.primaryColourStrength); }},
  };
  for (const HeldSetting& setting : settings) {
    std::vector<int32_t> values = {INT32_MIN, -1, 0, setting.inRange, INT32_MAX, 1 << 28, 1 << 30};
    if (setting.kind == S::kFloatBits) values.push_back(0x3F800001);  // just above 1.0
    else if (setting.hi < kIntMax) values.push_back(int32_t(setting.hi) + 1);
    for (int32_t v : values) {
      SCOPED_TRACE(::testing::Message() << setting.name << "(" << v << ")");
      // The value the setting stands for, and the value it must be held to.
      const double given = setting.kind == S::kFloatBits ? double(std::bit_cast<float>(v)) : double(v);
      const double held = setting.kind == S::kFlag  ? double(v != 0)
                          : std::isnan(given)        ? setting.lo
                                                     : std::clamp(given, setting.lo, setting.hi);
      const std::vector<uint16_t> painted = stroke(setting, v);
      expectDerivedInRange(setting.name, v);
      EXPECT_TRUE(brush.drawingLengthLeft >= 0 && brush.drawingLengthLeft <= brush.drawingLength);
      baseSettings();
      setting.set(v);
      EXPECT_EQ(setting.stored(), held);
      if (held == given) continue;
      const int32_t heldArgument =
          setting.kind == S::kFloatBits ? std::bit_cast<int32_t>(float(held)) : int32_t(held);
      EXPECT_EQ(painted, stroke(setting, heldArgument)) << "painted as " << held;
    }
  }

  // Hand-worked: a negative opacity paints nothing, as 0 % does; density INT_MIN with grit on
  // paints nowhere; INT_MAX % is full opacity.
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  RVL_SetSize(8);
  ToolArgs{1.0f, 0, 0, 0, 0, 0, 1, 0, 0}.install();
  RVL_SetDensity(256);
  RVL_SetAlpha(-50);
  RVL_DrawDabGrit(8, 6, 0xFF00, 0, 0);
  EXPECT_EQ(at(2, 8, 6), (Pixel64{0, 0, 0, 0}));
  RVL_SetAlpha(INT32_MAX);
  RVL_DrawDabGrit(8, 6, 0xFF00, 0, 0);
  EXPECT_EQ(at(2, 8, 6), (Pixel64{0xFF00, 0, 0, 65534})) << "(65535 * 65535) >> 16";
  ASSERT_EQ(RVL_CreateLayer(2, W, H), 1);
  ToolArgs{1.0f, 2, 256, 256, 0, 0, 1, 0, 0}.install();  // every grit pixel drawn
  RVL_SetDensity(INT32_MIN);
  RVL_DrawDabGrit(8, 6, 0xFF00, 0, 0);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) ASSERT_EQ(at(2, x, y)[3], 0) << x << "," << y;
}

}  // namespace
}  // namespace rvl::test
