// The renderer: layers every generator line, in file order, over a transparent picture.
//
// Per pixel, with the layer colour L = color0 + (color1 - color0) * t (all four channels,
// real), the layer alpha a = L.alpha / 255 * opacity / 100, and the picture so far D with
// alpha Da = D.alpha / 255:
//   mixed = (1 - Da) * L + Da * B(D, L)          (each of red, green, blue)
//   out.alpha = a + Da * (1 - a)
//   out = (a * mixed + Da * (1 - a) * D) / out.alpha, and 0 when out.alpha = 0
// every result rounded to the nearest byte (halves up). B is the blend mode.
#include <cmath>
#include <cstring>

#include "external/fxscript/generators.h"
#include "external/fxscript/script.h"

namespace rvl::fxscript {

namespace {

double blendChannel(BlendMode mode, double d, double l) {
  switch (mode) {
    case BlendMode::Normal: return l;
    case BlendMode::Multiply: return d * l / 255.0;
    case BlendMode::Screen: return d + l - d * l / 255.0;
    case BlendMode::Overlay:
      return d < 128.0 ? 2.0 * d * l / 255.0 : 255.0 - 2.0 * (255.0 - d) * (255.0 - l) / 255.0;
    case BlendMode::Darken: return d < l ? d : l;
    case BlendMode::Lighten: return d > l ? d : l;
    case BlendMode::Add: return d + l > 255.0 ? 255.0 : d + l;
    case BlendMode::Subtract: return d - l < 0.0 ? 0.0 : d - l;
  }
  return l;
}

uint8_t toByte(double v) {
  if (v <= 0.0) return 0;
  if (v >= 255.0) return 255;
  return static_cast<uint8_t>(std::floor(v + 0.5));
}

void blendRow(const Layer& layer, const double* t, int32_t width, uint8_t* bgra) {
  const double opacity = layer.opacity / 100.0;
  const Color& c0 = layer.color0;
  const Color& c1 = layer.color1;
  // Channel order of the picture: blue, green, red, alpha.
  const double from[4] = {double(c0.b), double(c0.g), double(c0.r), double(c0.a)};
  const double delta[4] = {double(c1.b) - c0.b, double(c1.g) - c0.g, double(c1.r) - c0.r,
                           double(c1.a) - c0.a};
  for (int32_t x = 0; x < width; ++x, bgra += 4) {
    const double a = (from[3] + delta[3] * t[x]) / 255.0 * opacity;
    if (a <= 0.0) continue;
    const double da = bgra[3] / 255.0;
    const double outAlpha = a + da * (1.0 - a);
    for (int ch = 0; ch < 3; ++ch) {
      const double l = from[ch] + delta[ch] * t[x];
      const double d = bgra[ch];
      const double mixed = (1.0 - da) * l + da * blendChannel(layer.blend, d, l);
      bgra[ch] = toByte((a * mixed + da * (1.0 - a) * d) / outAlpha);
    }
    bgra[3] = toByte(outAlpha * 255.0);
  }
}

}  // namespace

void renderScript(const Script& script, uint8_t* bgra, double* row) noexcept {
  const size_t rowBytes = static_cast<size_t>(script.width) * 4;
  for (int32_t y = 0; y < script.height; ++y) {
    uint8_t* line = bgra + rowBytes * static_cast<size_t>(y);
    std::memset(line, 0, rowBytes);
    for (int32_t i = 0; i < script.layerCount; ++i) {
      const Layer& layer = script.layers[i];
      if (layer.opacity == 0) continue;
      generateRow(layer, script.width, script.height, y, row);
      blendRow(layer, row, script.width, line);
    }
  }
}

}  // namespace rvl::fxscript
