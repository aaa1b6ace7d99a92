// Selection: the state the mask builders keep between calls, and the kernels behind the
// mask exports. Kernels take their buffers, sizes and pointers as arguments and read no
// engine state; only the exports read the page and the view settings.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rvl {

struct SelectState {};

// (Not named "select": that would clash with the system's select() wherever the rvl
// namespace is brought in.)
extern SelectState selection;

void resetSelectState();

// ---- Mask store (select/mask_store.cpp) -----------------------------------------------
// Masks are 16-bit values, maskPitch values per row; layer pixels RGBA64 with
// pixelPitch channel units per row; columns x rows pixels are walked.

void fillMask(uint16_t* mask, size_t count, uint16_t value);
void invertMask(uint16_t* mask, size_t count);
// Each RGB24 pixel's three bytes = 255 - (m >> 8).
void saveMaskRGB24(const uint16_t* mask, int32_t maskPitch, int32_t columns, int32_t rows, uint8_t* rgb,
                   int64_t rgbPitch);
// m = the mask grey of the mean of the pixel's bytes, times 256.
void loadMaskRGB24(const uint8_t* rgb, int64_t rgbPitch, int32_t columns, int32_t rows, uint16_t* mask,
                   int32_t maskPitch);
// Grey opaque pixels from the mask: 65535 - m when m > 254, else 65280.
void imageFromMask(const uint16_t* mask, int32_t maskPitch, int32_t columns, int32_t rows, uint16_t* pixels,
                   int32_t pixelPitch);
void alphaFromMask(const uint16_t* mask, int32_t maskPitch, int32_t columns, int32_t rows, uint16_t* pixels,
                   int32_t pixelPitch);
void maskFromAlpha(const uint16_t* pixels, int32_t pixelPitch, int32_t columns, int32_t rows, uint16_t* mask,
                   int32_t maskPitch);
// m = the mask grey of the pixel's colour.
void maskFromImage(const uint16_t* pixels, int32_t pixelPitch, int32_t columns, int32_t rows, uint16_t* mask,
                   int32_t maskPitch);

// ---- Mask builders (select/mask_builders.cpp) -----------------------------------------

// The value a builder writes for the strength v: (65535 - v) x 256 in 16 bits, which is
// (255 - v) x 256 for v in 0..255 (0 selects, 255 protects).
constexpr uint16_t builderValue(int32_t v) noexcept { return uint16_t((255u - uint8_t(v)) << 8); }

// Which pixels a builder selects. Sources are packed, one pixel per mask value.
enum class MaskMatch : uint8_t {
  Colour,          // RGBA32 colour bytes equal (r, g, b)
  ColourRGB24,     // the same on RGB24
  Flood,           // the flood byte is 1
  Difference,      // any byte of two RGBA32 pixels differs
  ColourRange,     // each of R, G, B within tolerance of (r, g, b)
  AlphaRange,      // A within tolerance of r
  LuminanceRange,  // (R + G + B) / 3 within tolerance of (r + g + b) / 3
  HueRange,        // hue within tolerance degrees of the hue of (r, g, b), both ways round
  HslRange,        // hue, saturation and lightness each within its real tolerance
};
inline constexpr int kMaskMatchKinds = 9;

struct MaskRule {
  MaskMatch match = MaskMatch::Colour;
  int32_t r = 0, g = 0, b = 0;  // the reference colour (AlphaRange: the alpha in r)
  int32_t tolerance = 0;        // integer tolerance (a negative one matches nothing)
  double hueTolerance = 0;      // HslRange: degrees
  double saturationTolerance = 0;
  double lightnessTolerance = 0;
};

// The bytes per source pixel of a rule.
int32_t maskRuleBytes(MaskMatch match) noexcept;
// Sets value into the width x height mask (pitch width) wherever the packed source pixel
// (and, for Difference, the pixel of second) matches the rule; leaves the rest. Rows may
// be split between threads.
void buildMask(const MaskRule& rule, const uint8_t* source, const uint8_t* second, uint16_t* mask, int32_t width,
               int32_t height, uint16_t value);
// True when the hue H is within tolerance of H0 (degrees, -1 for a grey) going either way
// round the circle: tolerance >= abs(trunc(H - H0)), abs(trunc(H - (H0 - 360))) or
// abs(trunc(H - 360 - H0)).
bool hueWithin(double H, double H0, double tolerance) noexcept;
// Every RGBA32 pixel of count whose alpha is within tolerance of alpha becomes colour.
void replaceAlphaRange(uint8_t* rgba, size_t count, int32_t alpha, int32_t tolerance, const uint8_t colour[4]);

// ---- Mask on results and packing (select/mask_apply.cpp) ------------------------------

// Alpha of columns x rows RGBA32 pixels (rgbaPitch bytes per row) scaled by the mask's
// high byte h: 0 clears it, 255 keeps it, else (alpha (h + 1)) >> 8.
void applyMaskToAlpha(uint8_t* rgba, int64_t rgbaPitch, const uint16_t* mask, int32_t maskPitch, int32_t columns,
                      int32_t rows);
// Packing between RGB24 and RGBA32, columns x rows pixels, rowPixels pixels per row.
void rgbaAlphaToRgb(uint8_t* rgb, const uint8_t* rgba, int32_t columns, int32_t rows, int32_t rowPixels);
void rgbToRgbaAlpha(uint8_t* rgba, const uint8_t* rgb, int32_t columns, int32_t rows, int32_t rowPixels);
void rgbToRgba(uint8_t* rgba, const uint8_t* rgb, int32_t columns, int32_t rows, int32_t rowPixels);
void rgbaToRgb(uint8_t* rgb, const uint8_t* rgba, int32_t columns, int32_t rows, int32_t rowPixels);

// ---- Restriction by mask and texture (select/adjust.cpp) ------------------------------

// The alpha of columns x rows RGBA32 pixels (rgbaPitch bytes per row) restricted by the
// restriction factor of the texture byte and mask value at the same place (texturePitch
// and maskPitch per row; a null texture or mask is neutral).
void restrictByMaskAndTexture(uint8_t* rgba, int64_t rgbaPitch, const uint8_t* texture, const uint16_t* mask,
                              int32_t mapPitch, int32_t columns, int32_t rows);
// Colour un-premultiplied for alpha composition: alpha a > 0 gives min(255, c 255 / a).
void unpremultiplyForAlphaComp(uint8_t* rgba, size_t count);
// The pair around a filter: premultiply (alpha other than 0 and 255: trunc(a / 255 (c + 1)))
// and restore (min(255, trunc(c 255 / a))); RGBA64 for alpha a > 0: trunc(a / 65535 c)
// and min(65535, trunc(c 65535 / a)).
void preFilterRGBA32(uint8_t* rgba, size_t count);
void postFilterRGBA32(uint8_t* rgba, size_t count);
void preFilterRGBA64(uint16_t* rgba, size_t count);
void postFilterRGBA64(uint16_t* rgba, size_t count);

}  // namespace rvl
