// The noise family: value noise, gradient (Perlin-style) noise and sine plasma. They
// sample pixel (x, y) at its index, so with scale 1 every pixel is its own lattice point.
#include <cmath>
#include <numbers>

#include "external/fxscript/generators.h"
#include "external/fxscript/random.h"

namespace rvl::fxscript {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double unitValue(uint32_t hash) { return hash * 0x1.0p-32; }  // [0, 1)

double smoothstep(double f) { return f * f * (3.0 - 2.0 * f); }
double fade(double f) { return f * f * f * (f * (f * 6.0 - 15.0) + 10.0); }
double lerp(double a, double b, double f) { return a + (b - a) * f; }

// Gradient directions of the lattice, chosen by the top three bits of the hash.
constexpr double kGradients[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};

double gradientDot(uint32_t hash, double fx, double fy) {
  const double* g = kGradients[hash >> 29];
  return g[0] * fx + g[1] * fy;
}

// Octave k has frequency 2^k / scale and amplitude (persistence / 100)^k; the octaves are
// summed and divided by the sum of the amplitudes.
template <class Octave>
void sumOctaves(const Layer& l, int32_t width, double* t, Octave&& octave) {
  for (int32_t x = 0; x < width; ++x) t[x] = 0.0;
  const double persistence = l.persistence / 100.0;
  double amplitude = 1.0, total = 0.0;
  for (int32_t k = 0; k < l.octaves; ++k) {
    octave(octaveSeed(l.seed, k), std::ldexp(1.0, k) / l.scale, amplitude);
    total += amplitude;
    amplitude *= persistence;
  }
  const double inverse = 1.0 / total;
  for (int32_t x = 0; x < width; ++x) t[x] *= inverse;
}

}  // namespace

void valueNoiseRow(const Layer& l, int32_t width, int32_t y, double* t) noexcept {
  sumOctaves(l, width, t, [&](uint32_t seed, double frequency, double amplitude) {
    const double v = y * frequency;
    const double jf = std::floor(v);
    const int32_t j = static_cast<int32_t>(jf);
    const double sy = smoothstep(v - jf);
    for (int32_t x = 0; x < width; ++x) {
      const double u = x * frequency;
      const double iF = std::floor(u);
      const int32_t i = static_cast<int32_t>(iF);
      const double sx = smoothstep(u - iF);
      const double top = lerp(unitValue(latticeHash(seed, i, j)), unitValue(latticeHash(seed, i + 1, j)), sx);
      const double bottom =
          lerp(unitValue(latticeHash(seed, i, j + 1)), unitValue(latticeHash(seed, i + 1, j + 1)), sx);
      t[x] += amplitude * lerp(top, bottom, sy);
    }
  });
}

void perlinNoiseRow(const Layer& l, int32_t width, int32_t y, double* t) noexcept {
  sumOctaves(l, width, t, [&](uint32_t seed, double frequency, double amplitude) {
    const double v = y * frequency;
    const double jf = std::floor(v);
    const int32_t j = static_cast<int32_t>(jf);
    const double fy = v - jf;
    const double sy = fade(fy);
    for (int32_t x = 0; x < width; ++x) {
      const double u = x * frequency;
      const double iF = std::floor(u);
      const int32_t i = static_cast<int32_t>(iF);
      const double fx = u - iF;
      const double sx = fade(fx);
      const double top = lerp(gradientDot(latticeHash(seed, i, j), fx, fy),
                              gradientDot(latticeHash(seed, i + 1, j), fx - 1.0, fy), sx);
      const double bottom = lerp(gradientDot(latticeHash(seed, i, j + 1), fx, fy - 1.0),
                                 gradientDot(latticeHash(seed, i + 1, j + 1), fx - 1.0, fy - 1.0), sx);
      t[x] += amplitude * lerp(top, bottom, sy);
    }
  });
  // Gradient noise lies about in [-1, 1]: centre it on grey.
  for (int32_t x = 0; x < width; ++x) {
    const double v = 0.5 + 0.5 * t[x];
    t[x] = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
  }
}

void plasmaRow(const Layer& l, int32_t width, int32_t height, int32_t y, double* t) noexcept {
  // Seven draws in this order: four phases, the direction of the third wave, the centre
  // of the fourth.
  SeededRandom random(l.seed);
  const double p1 = kTwoPi * random.unit(), p2 = kTwoPi * random.unit();
  const double p3 = kTwoPi * random.unit(), p4 = kTwoPi * random.unit();
  const double direction = kTwoPi * random.unit();
  const double cx = width * random.unit(), cy = height * random.unit();
  const double omega = kTwoPi / l.scale;
  const double c = std::cos(direction), s = std::sin(direction);
  const double w2 = std::sin(omega * y + p2);
  const double dy = y - cy;
  for (int32_t x = 0; x < width; ++x) {
    const double dx = x - cx;
    const double w1 = std::sin(omega * x + p1);
    const double w3 = std::sin(omega * 0.7 * (x * c + y * s) + p3);
    const double w4 = std::sin(omega * 0.5 * std::sqrt(dx * dx + dy * dy) + p4);
    t[x] = 0.5 + 0.125 * (w1 + w2 + w3 + w4);
  }
}

}  // namespace rvl::fxscript
