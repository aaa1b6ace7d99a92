// The script model: what a parsed effect-script file holds, the limits the parser keeps,
// and the parse, header and render entry points (docs/fxscript.md describes the format).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rvl::fxscript {

inline constexpr std::string_view kFirstLine = "RAVELIN-FXSCRIPT 1";
inline constexpr int32_t kMaxSide = 10000;
inline constexpr size_t kMaxScriptBytes = 65536;
inline constexpr size_t kMaxLineLength = 512;
inline constexpr int32_t kMaxLines = 4096;
inline constexpr int32_t kMaxLayers = 32;
inline constexpr int32_t kMaxCoordinate = 100000;
inline constexpr int32_t kMaxOctaves = 8;

// Header entry 0: the bytes "RFXS" read as a little-endian 32-bit integer.
inline constexpr int32_t kHeaderMagic = 0x53584652;
inline constexpr int32_t kFormatVersion = 1;

struct Color {
  uint8_t r, g, b, a;
};

enum class GeneratorKind : int32_t { Solid, Linear, Radial, Noise, Perlin, Plasma, Checker, Stripes };
enum class BlendMode : int32_t { Normal, Multiply, Screen, Overlay, Darken, Lighten, Add, Subtract };
enum class Curve : int32_t { Linear, Smooth };
enum class Profile : int32_t { Square, Triangle, Sine };

// One generator line. Only the fields of its kind are meaningful; the parser fills the
// others with their defaults.
struct Layer {
  GeneratorKind kind;
  BlendMode blend;
  int32_t opacity;  // percent, 0..100
  Color color0;     // t = 0 (solid: the colour)
  Color color1;     // t = 1
  Curve curve;      // linear, radial
  int32_t x0, y0, x1, y1;                        // linear
  int32_t cx, cy, radius, inner;                 // radial
  int32_t scale, octaves, persistence, seed;     // noise, perlin (scale, seed: plasma)
  int32_t size;                                  // checker
  int32_t period, angle;                         // stripes
  Profile profile;                               // stripes
};

struct Script {
  int32_t width;
  int32_t height;
  int32_t layerCount;
  Layer layers[kMaxLayers];
};

// Parses a whole script held in memory. Returns false, with out left in an unspecified
// but valid state, for anything that is not a well-formed script within the limits.
// Allocates nothing.
bool parseScript(const uint8_t* data, size_t size, Script& out) noexcept;

// Fills the 25 header entries of a parsed script.
void fillHeader(const Script& script, int32_t* header) noexcept;

// Renders the script into width x height BGRA pixels (width x 4 bytes per row, every byte
// written). row is working space of script.width doubles.
void renderScript(const Script& script, uint8_t* bgra, double* row) noexcept;

}  // namespace rvl::fxscript
