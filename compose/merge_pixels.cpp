// MergePixels: one rectangle of a source layer composited over a destination buffer.
#include <cstddef>

#include "compose/alpha_stage.h"
#include "compose/composite_stage.h"
#include "compose/compose.h"

namespace rvl {

namespace {

struct MergeParameters {
  int32_t mergeMode;
  int32_t opacity;
  int32_t k;
  bool keepDestinationAlpha;
  bool sameMode;
};

inline void writePixel(uint16_t* d, int32_t r, int32_t g, int32_t b, int32_t a, bool keepAlpha) {
  d[0] = uint16_t(r);
  d[1] = uint16_t(g);
  d[2] = uint16_t(b);
  if (!keepAlpha) d[3] = uint16_t(a);
}

// One source pixel s (with its mask pixel m, or null) over destination pixel d.
inline void mergePixel(const uint16_t* s, const uint16_t* m, uint16_t* d, const MergeParameters& q) {
  int32_t a = s[3];
  if (a == 0 && skipsTransparent(q.mergeMode)) return;
  if (m && m[3] != 0) a = scaleByMaskPixel(a, m);
  a = scaleByOpacity(a, q.opacity);
  StagedPixel p{s[0], s[1], s[2], a, q.mergeMode, false};
  alphaStage(p, q.sameMode, q.k);
  switch (compositeOutcome(p, d[3] == 0, true)) {
    case Outcome::Keep:
      return;
    case Outcome::Clear:
      writePixel(d, 0, 0, 0, 0, q.keepDestinationAlpha);
      return;
    case Outcome::Copy:
    case Outcome::OpaqueCopy:
      writePixel(d, p.r, p.g, p.b, p.a, q.keepDestinationAlpha);
      return;
    case Outcome::Blend: {
      const Blended out = blendPixel(p, backdropFromPixel(d));
      writePixel(d, int32_t(out.c[0] * 65280), int32_t(out.c[1] * 65280), int32_t(out.c[2] * 65280),
                 int32_t(out.a * 65535), q.keepDestinationAlpha);
      return;
    }
  }
}

}  // namespace

void MergePixels(const uint16_t* source, int32_t sourceX, int32_t sourceY, int32_t width,
                 int32_t height, int32_t sourceStride, const uint16_t* maskLayer,
                 uint16_t* destination, int32_t destinationX, int32_t destinationY,
                 int32_t destinationStride, int32_t mergeMode, int32_t maskMode, int32_t opacity,
                 bool keepDestinationAlpha, bool sameMode) {
  if (!source || !destination || width <= 0 || height <= 0) return;
  const MergeParameters q{mergeMode, opacity, compose.alphaLayerOpacity, keepDestinationAlpha,
                          sameMode};
  const bool useMask = maskLayer && maskMode == kLayerMaskMode;
  for (int32_t j = 0; j < height; ++j) {
    const ptrdiff_t sourceAt = (ptrdiff_t(sourceY) + j) * sourceStride + ptrdiff_t(sourceX) * 4;
    const uint16_t* s = source + sourceAt;
    const uint16_t* m = useMask ? maskLayer + sourceAt : nullptr;
    uint16_t* d = destination + (ptrdiff_t(destinationY) + j) * destinationStride +
                  ptrdiff_t(destinationX) * 4;
    for (int32_t i = 0; i < width; ++i, s += 4, d += 4)
      mergePixel(s, m ? m + ptrdiff_t(i) * 4 : nullptr, d, q);
  }
}

}  // namespace rvl
