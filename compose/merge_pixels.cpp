// MergePixels: one rectangle of a source layer composited over a destination buffer.
#include <cstddef>
#include <cstring>

#include "compose/alpha_stage.h"
#include "compose/composite_stage.h"
#include "compose/compose.h"
#include "frame/parallel_rows.h"

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

// The fast path of one row for a standard mode M (0 to 20) without a mask: transparent
// source pixels, copies over transparent destination pixels and opaque Normal pixels are
// decided with integers, the mode and opacity tests once per run; every pixel that needs
// the floating-point blend takes the plain step mergePixel.
template <int32_t M, bool FullOpacity, bool KeepAlpha>
void mergeRowAs(const uint16_t* s, uint16_t* d, int32_t width, const MergeParameters& q) {
  const int32_t opacity = q.opacity;
  static_assert(M >= 0 && M <= kLastStandardMode);
  for (int32_t i = 0; i < width; ++i, s += 4, d += 4) {
    int32_t a = s[3];
    if (a == 0) continue;  // every standard mode skips a transparent source pixel
    if (!FullOpacity) a = scaleByOpacity(a, opacity);
    if (d[3] == 0) {
      // (the alpha stage leaves standard pixels alone, nothing replaces)
      if (isTexturizeMode(M)) writePixel(d, 0, 0, 0, 0, KeepAlpha);
      else writePixel(d, s[0], s[1], s[2], a, KeepAlpha);
      continue;
    }
    if (a == 0) continue;
    if (M == 0 && a >= 65280) {
      if (KeepAlpha || !FullOpacity) writePixel(d, s[0], s[1], s[2], a, KeepAlpha);
      else std::memcpy(d, s, 8);
      continue;
    }
    // The floating-point cases take the plain pixel step itself.
    mergePixel(s, nullptr, d, q);
  }
}

using RowFunction = void (*)(const uint16_t*, uint16_t*, int32_t, const MergeParameters&);

template <int32_t M>
RowFunction rowFunctionFor(bool fullOpacity, bool keepAlpha) {
  if (fullOpacity) return keepAlpha ? mergeRowAs<M, true, true> : mergeRowAs<M, true, false>;
  return keepAlpha ? mergeRowAs<M, false, true> : mergeRowAs<M, false, false>;
}

template <int32_t... M>
RowFunction pickRowFunction(int32_t mode, bool fullOpacity, bool keepAlpha,
                            std::integer_sequence<int32_t, M...>) {
  RowFunction f = nullptr;
  ((mode == M ? (void)(f = rowFunctionFor<M>(fullOpacity, keepAlpha)) : (void)0), ...);
  return f;
}

// The fast row function for the run, or null when the run takes the plain path (alpha
// modes, a Layer Mask, modes outside the table).
RowFunction fastRowFunction(const MergeParameters& q, bool useMask) {
  if (useMask || q.mergeMode < 0 || q.mergeMode > kLastStandardMode) return nullptr;
  return pickRowFunction(q.mergeMode, q.opacity >= 255, q.keepDestinationAlpha,
                         std::make_integer_sequence<int32_t, kLastStandardMode + 1>{});
}

struct MergeRun {
  const uint16_t* source;
  int32_t sourceX, sourceY, width, sourceStride;
  const uint16_t* maskLayer;  // null: no mask
  uint16_t* destination;
  int32_t destinationX, destinationY, destinationStride;
  MergeParameters q;
  RowFunction fast;  // null: the plain path
};

void mergeRows(const MergeRun& run, int32_t firstRow, int32_t endRow) {
  for (int32_t j = firstRow; j < endRow; ++j) {
    const ptrdiff_t sourceAt =
        (ptrdiff_t(run.sourceY) + j) * run.sourceStride + ptrdiff_t(run.sourceX) * 4;
    const uint16_t* s = run.source + sourceAt;
    uint16_t* d = run.destination + (ptrdiff_t(run.destinationY) + j) * run.destinationStride +
                  ptrdiff_t(run.destinationX) * 4;
    if (run.fast) {
      run.fast(s, d, run.width, run.q);
      continue;
    }
    const uint16_t* m = run.maskLayer ? run.maskLayer + sourceAt : nullptr;
    for (int32_t i = 0; i < run.width; ++i, s += 4, d += 4)
      mergePixel(s, m ? m + ptrdiff_t(i) * 4 : nullptr, d, run.q);
  }
}

// Byte range [first, last) of a run's rows in one buffer.
struct Span {
  uintptr_t first, last;
};
Span spanOf(const uint16_t* base, int32_t x, int32_t y, int32_t width, int32_t height,
            int32_t stride) {
  const uint16_t* a = base + ptrdiff_t(y) * stride + ptrdiff_t(x) * 4;
  const uint16_t* b = base + (ptrdiff_t(y) + height - 1) * stride + (ptrdiff_t(x) + width) * 4;
  const uintptr_t p = reinterpret_cast<uintptr_t>(a), r = reinterpret_cast<uintptr_t>(b);
  return p < r ? Span{p, r} : Span{r, p};
}

// Rows are split between threads only when no row can see another row's writes: the
// destination does not overlap the source or the mask (or is exactly the source, merged
// in place pixel by pixel).
bool rowsAreIndependent(const MergeRun& run, int32_t height) {
  const Span d = spanOf(run.destination, run.destinationX, run.destinationY, run.width, height,
                        run.destinationStride);
  const auto apart = [&](const uint16_t* base) {
    const Span o = spanOf(base, run.sourceX, run.sourceY, run.width, height, run.sourceStride);
    return o.last <= d.first || d.last <= o.first;
  };
  const bool inPlace = run.source == run.destination && run.sourceX == run.destinationX &&
                       run.sourceY == run.destinationY && run.sourceStride == run.destinationStride;
  if (!inPlace && !apart(run.source)) return false;
  return !run.maskLayer || apart(run.maskLayer);
}

// Merges of this many pixels or more split their rows between threads.
inline constexpr int64_t kSplitMergePixels = 1 << 18;

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
  const MergeRun run{source, sourceX, sourceY, width, sourceStride, useMask ? maskLayer : nullptr,
                     destination, destinationX, destinationY, destinationStride, q,
                     compose.plainMergeOnly ? nullptr : fastRowFunction(q, useMask)};
  if (!compose.mergeThreads || !parallelRowsSplit(height, width, kSplitMergePixels) ||
      !rowsAreIndependent(run, height)) {
    mergeRows(run, 0, height);
    return;
  }
  parallelRows(height, width, kSplitMergePixels,
               [&run](int32_t firstRow, int32_t endRow, int32_t) { mergeRows(run, firstRow, endRow); });
}

}  // namespace rvl
