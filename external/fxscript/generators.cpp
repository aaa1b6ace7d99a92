// The geometric generators (solid, linear and radial gradients, checker, stripes) and the
// dispatch of a layer row to its generator. Geometric generators sample each pixel at its
// centre (x + 0.5, y + 0.5).
#include "external/fxscript/generators.h"

#include <cmath>
#include <numbers>

namespace rvl::fxscript {

namespace {

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

double applyCurve(Curve curve, double t) { return curve == Curve::Smooth ? t * t * (3.0 - 2.0 * t) : t; }

void solidRow(int32_t width, double* t) {
  for (int32_t x = 0; x < width; ++x) t[x] = 0.0;
}

void linearRow(const Layer& l, int32_t width, int32_t y, double* t) {
  const double dx = l.x1 - l.x0, dy = l.y1 - l.y0;
  const double inverseLength2 = 1.0 / (dx * dx + dy * dy);
  const double py = y + 0.5 - l.y0;
  for (int32_t x = 0; x < width; ++x) {
    const double px = x + 0.5 - l.x0;
    t[x] = applyCurve(l.curve, clamp01((px * dx + py * dy) * inverseLength2));
  }
}

void radialRow(const Layer& l, int32_t width, int32_t y, double* t) {
  const double span = static_cast<double>(l.radius) - l.inner;
  const double py = y + 0.5 - l.cy;
  for (int32_t x = 0; x < width; ++x) {
    const double px = x + 0.5 - l.cx;
    const double d = std::sqrt(px * px + py * py);
    t[x] = applyCurve(l.curve, clamp01((d - l.inner) / span));
  }
}

void checkerRow(const Layer& l, int32_t width, int32_t y, double* t) {
  const int32_t rowCell = y / l.size;
  for (int32_t x = 0; x < width; ++x) t[x] = ((x / l.size + rowCell) & 1) ? 1.0 : 0.0;
}

void stripesRow(const Layer& l, int32_t width, int32_t y, double* t) {
  double c = 1.0, s = 0.0;
  degreesCosSin(l.angle, c, s);
  const double rowPart = (y + 0.5) * s;
  const double inversePeriod = 1.0 / l.period;
  for (int32_t x = 0; x < width; ++x) {
    const double u = ((x + 0.5) * c + rowPart) * inversePeriod;
    const double f = u - std::floor(u);
    switch (l.profile) {
      case Profile::Square: t[x] = f < 0.5 ? 0.0 : 1.0; break;
      case Profile::Triangle: t[x] = f < 0.5 ? 2.0 * f : 2.0 - 2.0 * f; break;
      case Profile::Sine: t[x] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * f); break;
    }
  }
}

}  // namespace

void degreesCosSin(int32_t degrees, double& c, double& s) noexcept {
  const int32_t d = ((degrees % 360) + 360) % 360;
  switch (d) {
    case 0: c = 1.0; s = 0.0; return;
    case 90: c = 0.0; s = 1.0; return;
    case 180: c = -1.0; s = 0.0; return;
    case 270: c = 0.0; s = -1.0; return;
    default: {
      const double radians = d * (std::numbers::pi / 180.0);
      c = std::cos(radians);
      s = std::sin(radians);
    }
  }
}

void generateRow(const Layer& layer, int32_t width, int32_t height, int32_t y, double* t) noexcept {
  switch (layer.kind) {
    case GeneratorKind::Solid: solidRow(width, t); return;
    case GeneratorKind::Linear: linearRow(layer, width, y, t); return;
    case GeneratorKind::Radial: radialRow(layer, width, y, t); return;
    case GeneratorKind::Noise: valueNoiseRow(layer, width, y, t); return;
    case GeneratorKind::Perlin: perlinNoiseRow(layer, width, y, t); return;
    case GeneratorKind::Plasma: plasmaRow(layer, width, height, y, t); return;
    case GeneratorKind::Checker: checkerRow(layer, width, y, t); return;
    case GeneratorKind::Stripes: stripesRow(layer, width, y, t); return;
  }
  solidRow(width, t);
}

}  // namespace rvl::fxscript
