// The renderer's running composite of one page pixel: un-premultiplied colour normalised
// by 65280 and alpha normalised by 65535, each a 32-bit float in [0, 1].
#pragma once

#include <cstdint>

#include "compose/composite_stage.h"

namespace rvl {

struct ViewAccumulator {
  float c[3];
  float a;
};

inline ViewAccumulator accumulatorFromPixel(int32_t r, int32_t g, int32_t b, int32_t a) {
  return ViewAccumulator{{float(unitClamp(r / 65280.0)), float(unitClamp(g / 65280.0)),
                          float(unitClamp(b / 65280.0))},
                         float(unitClamp(a / 65535.0))};
}

inline ViewAccumulator accumulatorFromBlend(const Blended& blended) {
  return ViewAccumulator{{float(blended.c[0]), float(blended.c[1]), float(blended.c[2])},
                         float(blended.a)};
}

inline Backdrop backdropFromAccumulator(const ViewAccumulator& acc) {
  Backdrop b;
  b.ad = acc.a;
  for (int c = 0; c < 3; ++c) b.d[c] = float(double(acc.c[c]) * acc.a);
  return b;
}

// Back to 16 bits, truncated. A float holds a value to within 2^-24 of itself, less than
// 1/256 of a unit at this scale: the small margin added before truncating keeps a value
// that entered exactly (an integer colour or alpha) from coming out one unit lower.
inline constexpr double kAccumulatorMargin = 1.0 / 128;
inline int32_t accumulatorColour16(float c) { return int32_t(double(c) * 65280 + kAccumulatorMargin); }
inline int32_t accumulatorAlpha16(float a) { return int32_t(double(a) * 65535 + kAccumulatorMargin); }

}  // namespace rvl
