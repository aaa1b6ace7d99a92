// The generators: each turns one row of a layer into values t in [0, 1], which the
// renderer maps from the layer's color0 (t = 0) to color1 (t = 1).
#pragma once

#include <cstdint>

#include "external/fxscript/script.h"

namespace rvl::fxscript {

// Writes t for pixels 0..width-1 of row y of a width x height picture.
void generateRow(const Layer& layer, int32_t width, int32_t height, int32_t y, double* t) noexcept;

// The families in noise.cpp.
void valueNoiseRow(const Layer& layer, int32_t width, int32_t y, double* t) noexcept;
void perlinNoiseRow(const Layer& layer, int32_t width, int32_t y, double* t) noexcept;
void plasmaRow(const Layer& layer, int32_t width, int32_t height, int32_t y, double* t) noexcept;

// cos and sin of a whole number of degrees, exact for multiples of 90.
void degreesCosSin(int32_t degrees, double& c, double& s) noexcept;

}  // namespace rvl::fxscript
