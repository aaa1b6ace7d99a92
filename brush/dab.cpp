// The dab renderer: one stamp of the brush tip centred on a page position, painted into
// the paint layer when one exists, otherwise into the current layer; or, in mask-maker
// mode, a grey value painted into the selection mask.
#include <algorithm>
#include <cmath>

#include "frame/guard.h"
#include "brush/brush.h"
#include "brush/paint_kinds.h"
#include "frame/random.h"
#include "page/coverage.h"
#include "page/mask_grey.h"
#include "page/page.h"
#include "ravelin.h"
#include "undo/undo.h"

namespace rvl {

namespace {

// The dab's rectangle on the page and where its first row and column sit in the tip.
struct DabGeometry {
  int32_t n;            // dab side in page pixels (sampleCount, held to the buffers)
  int32_t halfSize;     // brushSize / 2
  int32_t tip;          // tip side the buffers hold (tipSize())
  int32_t x0, y0, x1, y1;  // clipped, x1 and y1 exclusive
  int32_t srcX0;        // tip column of a clipped left edge (a table value)
  int32_t srcRowIndex;  // table index of the first row (a clipped top edge)
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

DabGeometry dabGeometry(int32_t x, int32_t y, int32_t destinationWidth, int32_t destinationHeight) {
  DabGeometry g{};
  const int32_t b = std::max(page.brushBufferSize, 0);
  g.tip = tipSize();
  g.n = std::clamp(brush.sampleCount, 0, std::min(b, kMaxSampleTable));
  g.halfSize = brush.brushSize / 2;
  const int32_t half = g.n / 2;
  int64_t x0 = int64_t(x) - half, y0 = int64_t(y) - half;
  int64_t x1 = x0 + g.n, y1 = y0 + g.n;
  if (x0 < 0) {
    // The left edge stores the table value of the first visible column.
    g.srcX0 = (-x0 < g.n) ? brush.sampleTable[-x0] : 0;
    x0 = 0;
  }
  if (y0 < 0) {
    g.srcRowIndex = int32_t(std::min<int64_t>(-y0, g.n));
    y0 = 0;
  }
  x1 = std::min<int64_t>(x1, std::min(page.pageWidth, destinationWidth));
  y1 = std::min<int64_t>(y1, std::min(page.pageHeight, destinationHeight));
  g.x0 = int32_t(std::min<int64_t>(x0, INT32_MAX));
  g.y0 = int32_t(std::min<int64_t>(y0, INT32_MAX));
  g.x1 = int32_t(std::max<int64_t>(x1, INT32_MIN));
  g.y1 = int32_t(std::max<int64_t>(y1, INT32_MIN));
  return g;
}

void growDirtyRect(const DabGeometry& g, bool paintLayerToo) {
  DirtyRect& d = undo.dirtyRect;
  d.minX = std::min(d.minX, g.x0);
  d.minY = std::min(d.minY, g.y0);
  d.maxX = std::max(d.maxX, g.x1);
  d.maxY = std::max(d.maxY, g.y1);
  if (paintLayerToo) {
    PaintLayer& p = brush.paintLayer;
    p.minX = std::min(p.minX, g.x0);
    p.minY = std::min(p.minY, g.y0);
    p.maxX = std::max(p.maxX, g.x1);
    p.maxY = std::max(p.maxY, g.y1);
  }
}

void changeGritPattern() {
  if (brush.gritSize == 0 || brush.drawingLengthLeft >= 1) return;
  const GritPosition old = brush.currentGrit;
  GritPosition next{};
  do {
    next = GritPosition{int32_t(uint32_t(nextRandom()) % 20), 0};
  } while (next.buffer == old.buffer && next.offset == old.offset);
  const int32_t rows = int32_t(uint32_t(nextRandom()) % 25), columns = int32_t(uint32_t(nextRandom()) % 25);
  next.offset = rows * page.brushBufferSize + columns;
  brush.currentGrit = next;
  brush.drawingLengthLeft = brush.drawingLength;
}

// The grit pattern the dab reads, or null when grit is off or no pattern can be read.
const uint8_t* gritPattern() {
  if (brush.gritSize == 0) return nullptr;
  // A position that does not fit the present buffers (they were made for another brush
  // buffer size) is chosen anew, like one never chosen.
  const int64_t b = page.brushBufferSize;
  if (brush.currentGrit.buffer >= kGritBuffers || brush.currentGrit.offset < 0 ||
      brush.currentGrit.offset > 24 * b + 24)
    brush.currentGrit.buffer = -1;
  if (brush.currentGrit.buffer < 0) {
    // No pattern chosen yet (a tool whose length has not run out): choose one now.
    brush.drawingLengthLeft = 0;
    changeGritPattern();
  }
  const uint8_t* buffer = page.gritBuffers[brush.currentGrit.buffer];
  return buffer ? buffer + brush.currentGrit.offset : nullptr;
}

// A per-row walk through one of the pixel-variation arrays.
struct RandomWalk {
  const RandArray* array = nullptr;
  int64_t at = -1;  // unset
  bool active() const { return array != nullptr; }
  void placeForRow(int32_t n) {
    const int32_t b = page.brushBufferSize;
    if (at < 0 || at + n >= int64_t(array->length) - 1) at = b > 0 ? int64_t(uint32_t(nextRandom()) % uint32_t(b)) : 0;
    if (at >= array->length) at = 0;
  }
  uint8_t next() {
    const uint8_t v = array->data[at];
    if (++at >= array->length) at = 0;
    return v;
  }
};

RandomWalk walkOver(const RandArray& array, int32_t vary) {
  RandomWalk w;
  if (vary > 0 && array.data && array.length > 0) w.array = &array;
  return w;
}

// Per-pixel colour variation: delta in steps of 128.
inline int64_t colourDelta(int32_t N, uint8_t byte) { return (int64_t(N & -2) - 2 * (byte % N)) * 128; }

// Per-pixel lighten / darken.
inline uint32_t lumVary(uint32_t c, int32_t V, uint8_t byte) {
  const double p = double((128 - (V >> 1)) + (byte % V)) / 256.0;
  if (p > 0.5) return clamp16(int64_t(std::trunc((65535.0 - c) * 2 * (p - 0.5) + c)));
  return clamp16(int64_t(std::trunc(c - c * 2 * (0.5 - p))));
}

// The tip position of dab column k on the current row: index into tip, grit and blend
// buffers, or -1 when it would fall outside them.
struct TipSampler {
  const DabGeometry& g;
  int32_t b;
  int64_t limit;  // b * b
  int64_t index(int32_t tipRow, int32_t k) const {
    const int32_t sample = brush.sampleTable[k];
    int64_t i;
    if (brush.rotateMode == 1) {
      const int32_t dx = sample - g.halfSize + g.srcX0, dy = tipRow - g.halfSize;
      const int32_t sx = g.halfSize + int32_t(std::trunc(brush.rotateCos * float(dx) - brush.rotateSin * float(dy)));
      const int32_t sy = g.halfSize + int32_t(std::trunc(brush.rotateCos * float(dy) + brush.rotateSin * float(dx)));
      if (sx >= 0 && sx < g.tip && sy >= 0 && sy < g.tip)
        i = int64_t(sy) * b + sx;
      else
        i = int64_t(tipRow) * b + g.srcX0 + sample;
    } else {
      i = int64_t(tipRow) * b + g.srcX0 + sample;
    }
    return (i >= 0 && i < limit) ? i : -1;
  }
};

// Steps P1 to P3 of a dab pixel: the tip position (a cut table is read without rotation),
// the grit test and the coverage from tip, dab opacity, texture and, unless the dab paints
// the mask itself, the mask. False when the pixel is skipped.
bool coverPixel(const TipSampler& sampler, const int32_t* table, int32_t tipRow, int32_t k, const uint8_t* grit,
                const CoverageMaps& maps, size_t pageIndex, bool withMask, int64_t& tipIndex, uint32_t& Y) {
  if (table == brush.sampleTable) {
    tipIndex = sampler.index(tipRow, k);
  } else {
    const int64_t i = int64_t(tipRow) * sampler.b + sampler.g.srcX0 + table[k];
    tipIndex = (i >= 0 && i < sampler.limit) ? i : -1;
  }
  if (tipIndex < 0) return false;
  if (grit && grit[tipIndex] > brush.densityThreshold) return false;
  Y = page.shapeBuffer[tipIndex];
  if (brush.alphaPercent < 100) Y = (Y * uint32_t(brush.alphaScale)) >> 7;
  Y = dabCoverage(Y, maps.textureAt(pageIndex), withMask ? maps.maskAt(pageIndex) : kNoMask);
  if (Y == 0) return false;
  if (brush.solidBrushMode) Y = 65535;
  Y = std::min<uint32_t>(Y, 65535);
  return true;
}

// A sample table whose entries all lie inside the tip the buffers hold: the brush's own
// when it does, else a copy cut to the tip (the host set a size beyond the buffers).
const int32_t* checkedSampleTable(const DabGeometry& g, int32_t* scratch) {
  bool inside = true;
  for (int32_t i = 0; i < g.n && inside; ++i) inside = brush.sampleTable[i] >= 0 && brush.sampleTable[i] < std::max(g.tip, 1);
  if (inside) return brush.sampleTable;
  for (int32_t i = 0; i < g.n; ++i) scratch[i] = std::clamp(brush.sampleTable[i], 0, std::max(g.tip - 1, 0));
  return scratch;
}

// What a dab reads once before its rows: the sample table (cut to the tip when needed),
// the grit pattern, whether the blend buffer takes part, the walks through the
// pixel-variation arrays and the tip sampler. Built in this order: choosing the grit
// pattern may draw from the random generator.
struct DabPass {
  explicit DabPass(const DabGeometry& geo)
      : table(checkedSampleTable(geo, scratch)),
        grit(gritPattern()),
        blendActive(brush.blendStrength != 0 && !brush.blendOffOnce && page.blendBuffer),
        q(walkOver(brush.pixColourRandom, brush.pixColourVary)),
        u(walkOver(brush.pixLumRandom, brush.pixLumVary)),
        sampler{geo, page.brushBufferSize, int64_t(page.brushBufferSize) * page.brushBufferSize} {}
  DabPass(const DabPass&) = delete;
  DabPass& operator=(const DabPass&) = delete;

  int32_t scratch[kMaxSampleTable];
  const int32_t* table;
  const uint8_t* grit;
  bool blendActive;
  RandomWalk q, u;  // pixColourRandom, pixLumRandom
  TipSampler sampler;
};

// The rows and columns of a dab through steps P1 to P3: pixel(px, py, page index, tip
// index, Y) for every pixel the dab covers. The random walks are placed at every row
// before its pixels.
template <class Pixel>
inline void forEachCoveredPixel(const DabGeometry& geo, DabPass& pass, bool withMask, Pixel pixel) {
  const CoverageMaps maps = pageCoverageMaps();
  int32_t srcRowIndex = geo.srcRowIndex;
  for (int32_t py = geo.y0; py < geo.y1; ++py, ++srcRowIndex) {
    const int32_t tipRow = pass.table[std::min(srcRowIndex, geo.n - 1)];
    if (pass.q.active()) pass.q.placeForRow(geo.n);
    if (pass.u.active()) pass.u.placeForRow(geo.n);
    const size_t pageRow = size_t(py) * size_t(page.pageWidth);
    for (int32_t px = geo.x0, k = 0; px < geo.x1; ++px, ++k) {
      int64_t tipIndex;
      uint32_t Y;
      if (coverPixel(pass.sampler, pass.table, tipRow, k, pass.grit, maps, pageRow + size_t(px), withMask, tipIndex, Y))
        pixel(px, py, pageRow + size_t(px), tipIndex, Y);
    }
  }
}

struct DabColour {
  uint32_t R, G, B, A;
};

void endOfDab() {
  brush.blendOffOnce = 0;
  brush.maskMakerOn = 0;
  brush.eraseModeOn = 0;
}

// Division of a 32-bit numerator by a 16-bit divisor through a table of 64-bit
// reciprocals: ((M * n) >> 64) with M = floor((2^64 - 1) / d) + 1 is exact for every
// 32-bit n and d.
struct Reciprocals {
  uint64_t m[65536];
  Reciprocals() {
    m[0] = 0;
    for (uint32_t d = 1; d < 65536; ++d) m[d] = UINT64_MAX / d + 1;
  }
};
const Reciprocals& reciprocals() {
  static const Reciprocals* table = new Reciprocals;
  return *table;
}
inline uint32_t divide(uint32_t n, uint64_t m) { return uint32_t((static_cast<unsigned __int128>(m) * n) >> 64); }
// n / 65535 for every 32-bit n, as a multiply (checked over all 2^32 values).
inline uint32_t div65535(uint32_t n) { return uint32_t((uint64_t(n) * 0x80008001ull) >> 47); }

bool fastPathEnabled = true;

// The common dab: no rotation, no blend buffer, no per-pixel variation, normal or
// multiply kind, not erasing. The same arithmetic as the general loop, with the dab colour
// and the per-dab weights hoisted, the tests that cannot change within a dab decided once
// (template flags), and the division by Z through the reciprocal table.
template <bool Normal, bool Grit, bool Texture, bool Mask>
void paintPlainRows(const DabGeometry& geo, LayerSlot* destination, const uint8_t* grit, const DabColour& dab,
                    bool writeAlpha) {
  const int32_t bb = page.brushBufferSize;
  const int64_t limit = int64_t(bb) * bb;
  const uint32_t alphaScale = uint32_t(brush.alphaScale);
  const bool scaleTip = brush.alphaPercent < 100;
  const int32_t density = brush.densityThreshold;
  const uint8_t* texture = page.textureBuffer;
  const uint16_t* mask = page.mask;
  const uint16_t* shape = page.shapeBuffer;
  const bool solid = brush.solidBrushMode != 0, colourLocked = brush.colourLocked != 0;
  const bool blobLocked = brush.blobLocked != 0;
  const int32_t alphaLevel = brush.alphaLevel;
  const uint32_t cR = dab.R, cG = dab.G, cB = dab.B, A = dab.A;
  const uint32_t fullR = (65535 * cR) >> 16, fullG = (65535 * cG) >> 16, fullB = (65535 * cB) >> 16;
  const int32_t* table = brush.sampleTable;
  const uint64_t* recip = reciprocals().m;
  int32_t srcRowIndex = geo.srcRowIndex;
  for (int32_t py = geo.y0; py < geo.y1; ++py, ++srcRowIndex) {
    const int64_t rowBase = int64_t(table[std::min(srcRowIndex, geo.n - 1)]) * bb + geo.srcX0;
    uint16_t* dp = destination->pixels + (size_t(py) * size_t(destination->width) + size_t(geo.x0)) * 4;
    const size_t pageRow = size_t(py) * size_t(page.pageWidth);
    for (int32_t px = geo.x0, k = 0; px < geo.x1; ++px, ++k, dp += 4) {
      const int64_t tipIndex = rowBase + table[k];
      if (tipIndex >= limit) continue;
      if (Grit && grit[tipIndex] > density) continue;
      uint32_t Y = shape[tipIndex];
      if (scaleTip) Y = (Y * alphaScale) >> 7;
      Y = dabCoverage(Y, Texture ? texture[pageRow + px] : kNoTexture, Mask ? mask[pageRow + px] : kNoMask);
      if (Y == 0) continue;
      if (solid) Y = 65535;

      const uint32_t f = dp[3];
      uint32_t oR, oG, oB, Z;
      if (f == 0) {
        oR = cR, oG = cG, oB = cB;
        Z = (Y * A) >> 16;
      } else if (Normal && Y == 65535 && f == 65535 && A == 65535) {
        // Full cover of an opaque pixel: w = 65535 and Z = 65535, so the colour is the
        // per-dab constant (65535 * c) >> 16.
        oR = fullR, oG = fullG, oB = fullB;
        Z = 65535;
      } else {
        const uint32_t w = div65535(Y * A);
        const uint32_t iw = 65535 - w;
        Z = f + div65535((65535 - f) * w);
        auto channel = [&](uint32_t d, uint32_t c) -> uint32_t {
          const uint32_t pd = (d * f) >> 16;
          uint32_t sum;
          if (Normal) {
            sum = div65535(pd * iw) + ((w * c) >> 16);
          } else {
            const uint32_t h = (w * c) >> 16;
            sum = div65535(pd * iw) + div65535((65535 - f) * h) + div65535(pd * h);
          }
          if (Z == 65535) return sum > 65535 ? 65535 : sum;
          const uint64_t n = uint64_t(sum) * 65535;
          const uint64_t q = n <= UINT32_MAX ? divide(uint32_t(n), recip[Z]) : n / Z;
          return q > 65535 ? 65535 : uint32_t(q);
        };
        oR = channel(dp[0], cR);
        oG = channel(dp[1], cG);
        oB = channel(dp[2], cB);
      }
      if (!colourLocked) {
        dp[0] = uint16_t(oR);
        dp[1] = uint16_t(oG);
        dp[2] = uint16_t(oB);
      }
      if (writeAlpha) {
        if (blobLocked && (f <= 8191 || Z <= 8191)) continue;
        dp[3] = uint16_t(alphaLevel > 0 ? std::min(alphaLevel, 65535) : std::min<uint32_t>(Z, 65535));
      }
    }
  }
}

template <bool Normal, bool Grit, bool Texture>
void paintPlainMask(const DabGeometry& geo, LayerSlot* destination, const uint8_t* grit, const DabColour& dab,
                    bool writeAlpha) {
  if (page.maskEnabled && page.mask)
    paintPlainRows<Normal, Grit, Texture, true>(geo, destination, grit, dab, writeAlpha);
  else
    paintPlainRows<Normal, Grit, Texture, false>(geo, destination, grit, dab, writeAlpha);
}

template <bool Normal, bool Grit>
void paintPlainTexture(const DabGeometry& geo, LayerSlot* destination, const uint8_t* grit, const DabColour& dab,
                       bool writeAlpha) {
  if (page.textureBuffer)
    paintPlainMask<Normal, Grit, true>(geo, destination, grit, dab, writeAlpha);
  else
    paintPlainMask<Normal, Grit, false>(geo, destination, grit, dab, writeAlpha);
}

void paintPlain(const DabGeometry& geo, LayerSlot* destination, const uint8_t* grit, const DabColour& dab,
                int32_t kind, bool writeAlpha) {
  if (kind == kKindNormal) {
    if (grit)
      paintPlainTexture<true, true>(geo, destination, grit, dab, writeAlpha);
    else
      paintPlainTexture<true, false>(geo, destination, grit, dab, writeAlpha);
  } else {
    if (grit)
      paintPlainTexture<false, true>(geo, destination, grit, dab, writeAlpha);
    else
      paintPlainTexture<false, false>(geo, destination, grit, dab, writeAlpha);
  }
}

}  // namespace

namespace testing {
void setDabFastPath(bool enabled) { fastPathEnabled = enabled; }
}  // namespace testing

void drawDab(int32_t x, int32_t y, uint32_t r, uint32_t g, uint32_t b) {
  brush.brushColour[0] = uint16_t(r & 65280);
  brush.brushColour[1] = uint16_t(g & 65280);
  brush.brushColour[2] = uint16_t(b & 65280);
  brush.brushColour[3] = 65535;
  if (brush.maskMakerOn) {
    drawDabMask(x, y);
    return;
  }
  const bool toPaintLayer = brush.paintLayer.slot.pixels != nullptr;
  LayerSlot* destination = toPaintLayer ? &brush.paintLayer.slot : page.currentLayer;
  if (!destination || !destination->pixels || !page.shapeBuffer) {
    endOfDab();
    return;
  }

  // Dab colour with its per-dab variation.
  DabColour dab{brush.brushColour[0], brush.brushColour[1], brush.brushColour[2], 65535};
  if (brush.colourVary > 0) {
    const int32_t v = brush.colourVary;
    const int64_t delta = (int64_t(v / 2) - int64_t(uint32_t(nextRandom()) % uint32_t(v))) * 256;
    dab = DabColour{clamp16(dab.R + delta), clamp16(dab.G + delta), clamp16(dab.B + delta), clamp16(65535 + delta)};
  }
  if (brush.eraseModeOn) dab = DabColour{65535, 65535, 65535, 0};
  changeGritPattern();

  const DabGeometry geo = dabGeometry(x, y, destination->width, destination->height);
  growDirtyRect(geo, toPaintLayer);
  if (geo.empty() || geo.n == 0) {
    endOfDab();
    return;
  }

  DabPass pass(geo);
  const bool blendActive = pass.blendActive;
  RandomWalk& q = pass.q;
  RandomWalk& u = pass.u;
  uint16_t* blend = page.blendBuffer;
  const bool writeAlpha = toPaintLayer || (!destination->lockTransparency && !brush.alphaLocked && page.currentLayerIndex > 1);
  const int32_t kind = (brush.mixKind > kKindMultiply && !hasPaintKindRule(brush.mixKind)) ? kKindNormal : brush.mixKind;
  const uint32_t P = uint32_t(brush.primaryColourStrength), Pinv = uint32_t(brush.primaryColourStrengthInverse);
  const uint32_t S = uint32_t(brush.blendStrength), Sinv = uint32_t(brush.blendStrengthInverse);
  const int32_t N = brush.pixColourVary, V = brush.pixLumVary;

  if (fastPathEnabled && pass.table == brush.sampleTable && brush.rotateMode != 1 && !blendActive && !q.active() &&
      !u.active() && kind <= kKindMultiply && !brush.eraseModeOn) {
    paintPlain(geo, destination, pass.grit, dab, kind, writeAlpha);
    endOfDab();
    return;
  }

  forEachCoveredPixel(geo, pass, true, [&](int32_t px, int32_t py, size_t, int64_t tipIndex, uint32_t Y) {
    // P4. source colour
    uint32_t c[3], A;
    uint16_t* bp = blend + tipIndex * 4;
    if (blendActive) {
      c[0] = bp[0], c[1] = bp[1], c[2] = bp[2], A = bp[3];
      if (brush.imageBrushMode && A < 65535) {
        Y = (Y * A) >> 16;
        A = 65535;
        if (Y == 0) Y = 1;
      }
      if (q.active()) {
        const int64_t delta = colourDelta(N, q.next());
        for (uint32_t& ch : c) ch = clamp16(int64_t(ch) + delta);
      }
      if (u.active()) {
        const uint8_t byte = u.next();
        for (uint32_t& ch : c) ch = lumVary(ch, V, byte);
      }
      if (P != 0) {
        const uint32_t dabC[3] = {dab.R, dab.G, dab.B};
        for (int ch = 0; ch < 3; ++ch) c[ch] = clamp16((int64_t(c[ch]) * Pinv + int64_t(P) * dabC[ch]) >> 8);
        A = clamp16((int64_t(A) * Pinv + int64_t(P) * dab.A) >> 8);
      }
    } else {
      c[0] = dab.R, c[1] = dab.G, c[2] = dab.B, A = dab.A;
      if (q.active()) {
        const int64_t delta = colourDelta(N, q.next());
        c[0] = clamp16(dab.R + delta), c[1] = clamp16(dab.G + delta), c[2] = clamp16(dab.B + delta);
        A = clamp16(dab.A + delta);
      }
      if (u.active()) {
        const uint8_t byte = u.next();
        c[0] = lumVary(dab.R, V, byte), c[1] = lumVary(dab.G, V, byte), c[2] = lumVary(dab.B, V, byte);
      }
    }

    // P5. combine with the destination
    uint16_t* dp = destination->pixels + (size_t(py) * size_t(destination->width) + size_t(px)) * 4;
    uint32_t d[3] = {dp[0], dp[1], dp[2]};
    const uint32_t f = dp[3];
    uint32_t o[3] = {d[0], d[1], d[2]};
    uint32_t Z;
    bool colourProduced = true;
    if (kind > kKindMultiply) {
      applyPaintKind(kind, Y, c, A, d, f, o, Z);
    } else if (f == 0) {
      o[0] = c[0], o[1] = c[1], o[2] = c[2];
      Z = (Y * A) >> 16;
      d[0] = d[1] = d[2] = 0;
    } else if (blendActive && kind == kKindNormal) {
      Z = ((((65536 - Y) * f) >> 8) + ((Y * A) >> 8)) >> 8;
      if (A != 0)
        for (int ch = 0; ch < 3; ++ch) o[ch] = ((((65536 - Y) * d[ch]) >> 8) + ((Y * c[ch]) >> 8)) >> 8;
    } else if (brush.eraseModeOn) {
      Z = ((65535 - Y) * f) >> 16;
      colourProduced = false;
    } else {
      const uint64_t w = (uint64_t(Y) * A) / 65535;
      Z = uint32_t(f + ((65535 - f) * w) / 65535);
      for (int ch = 0; ch < 3; ++ch) {
        const uint64_t pd = (uint64_t(d[ch]) * f) >> 16;
        uint64_t sum;
        if (kind == kKindNormal) {
          sum = (pd * (65535 - w)) / 65535 + ((w * c[ch]) >> 16);
        } else {
          const uint64_t h = (w * c[ch]) >> 16;
          sum = (pd * (65535 - w)) / 65535 + ((65535 - f) * h) / 65535 + (pd * h) / 65535;
        }
        o[ch] = clamp16(int64_t(sum * 65535 / Z));
      }
    }

    // P6. blend write-back
    if (blendActive && brush.blendRemix) {
      if (A == 0) {
        bp[0] = uint16_t(d[0]), bp[1] = uint16_t(d[1]), bp[2] = uint16_t(d[2]);
        bp[3] = uint16_t(clamp16((int64_t(Sinv) * f) >> 8));
      } else if (f == 0) {
        bp[0] = uint16_t(c[0]), bp[1] = uint16_t(c[1]), bp[2] = uint16_t(c[2]);
        bp[3] = uint16_t(clamp16((int64_t(S) * A) >> 8));
      } else {
        for (int ch = 0; ch < 3; ++ch)
          bp[ch] = uint16_t(std::min<int64_t>(65535, ((int64_t(Sinv) * d[ch] + int64_t(S) * c[ch]) >> 8) + 1));
        bp[3] = uint16_t(clamp16((int64_t(Sinv) * f + int64_t(S) * A) >> 8));
      }
    }

    // P7. write
    if (brush.eraseModeOn) {
      if (brush.blobLocked) {
        if (f > 8191) dp[3] = uint16_t(std::max<uint32_t>(Z, 9215));
      } else {
        dp[3] = uint16_t(std::min<uint32_t>(Z, 65535));
      }
      return;
    }
    if (!brush.colourLocked && colourProduced) {
      dp[0] = uint16_t(o[0]);
      dp[1] = uint16_t(o[1]);
      dp[2] = uint16_t(o[2]);
    }
    if (writeAlpha) {
      if (brush.blobLocked && (f <= 8191 || Z <= 8191)) return;
      dp[3] = uint16_t(brush.alphaLevel > 0 ? std::min(brush.alphaLevel, 65535) : std::min<uint32_t>(Z, 65535));
    }
  });
  endOfDab();
}

void drawDabMask(int32_t x, int32_t y) {
  int64_t D = maskGrey(brush.brushColour[0], brush.brushColour[1], brush.brushColour[2]);
  if (brush.colourVary > 0) {
    const int32_t v = brush.colourVary;
    D = clamp16(D + (int64_t(v / 2) - int64_t(uint32_t(nextRandom()) % uint32_t(v))) * 256);
  }
  D = clamp16(D);
  if (brush.eraseModeOn) D = 65535;
  changeGritPattern();
  if (!page.mask || !page.shapeBuffer) {
    brush.blendOffOnce = 0;
    return;
  }
  const DabGeometry geo = dabGeometry(x, y, page.pageWidth, page.pageHeight);
  growDirtyRect(geo, false);
  if (geo.empty() || geo.n == 0) {
    brush.blendOffOnce = 0;
    return;
  }
  DabPass pass(geo);
  const int32_t bb = page.brushBufferSize;
  const bool blendActive = pass.blendActive;
  RandomWalk& q = pass.q;
  RandomWalk& u = pass.u;
  const uint32_t P = uint32_t(brush.primaryColourStrength);
  const uint32_t S = uint32_t(brush.blendStrength), Sinv = uint32_t(brush.blendStrengthInverse);
  // The mask-maker blend layout: one grey value per tip pixel at row * brushStride + column.
  const int64_t greyLimit = int64_t(bb) * bb * 4;
  uint16_t* mask = page.mask;

  forEachCoveredPixel(geo, pass, false, [&](int32_t, int32_t, size_t pageIndex, int64_t tipIndex, uint32_t Y) {
    // The grey value's place in the blend buffer: the tip row and column, times the
    // RGBA pitch (brushStride) per row.
    const int64_t tipRowOf = tipIndex / bb, tipColumnOf = tipIndex % bb;
    const int64_t greyIndex = tipRowOf * int64_t(bb) * 4 + tipColumnOf;
    uint16_t* grey = (blendActive && greyIndex < greyLimit) ? page.blendBuffer + greyIndex : nullptr;
    int64_t value;
    if (grey) {
      value = *grey;
      if (q.active()) value = clamp16(value + colourDelta(brush.pixColourVary, q.next()));
      if (u.active()) value = lumVary(uint32_t(value), brush.pixLumVary, u.next());
      if (P != 0) value = clamp16(((256 - int64_t(P)) * value + int64_t(P) * D) >> 8);
    } else {
      value = D;
      if (q.active()) value = clamp16(value + colourDelta(brush.pixColourVary, q.next()));
      if (u.active()) value = lumVary(uint32_t(D), brush.pixLumVary, u.next());
    }
    const uint32_t m = mask[pageIndex];
    mask[pageIndex] = uint16_t(clamp16(((((65536 - int64_t(Y)) * m) >> 8) + ((int64_t(Y) * value) >> 8)) >> 8));
    if (grey && brush.blendRemix)
      *grey = uint16_t(std::min<int64_t>(65535, ((int64_t(Sinv) * m + int64_t(S) * value) >> 8) + 1));
  });
  brush.blendOffOnce = 0;
}

}  // namespace rvl

extern "C" void RVL_DrawDabGrit(int32_t x, int32_t y, int32_t red, int32_t green, int32_t blue) noexcept {
  rvl::guarded(nullptr, [&] {
    rvl::drawDab(x, y, uint32_t(red), uint32_t(green), uint32_t(blue));
  });
}

extern "C" void RVL_DrawDabGritMask(int32_t x, int32_t y) noexcept {
  rvl::guarded(nullptr, [&] { rvl::drawDabMask(x, y); });
}
