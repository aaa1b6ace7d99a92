// RVL_Render: a rectangle of the page drawn into the host's BGR24 view bitmap.
#include <algorithm>
#include <cstdlib>
#include <cstddef>
#include <cstring>

#include "brush/brush.h"
#include "compose/alpha_stage.h"
#include "compose/composite_stage.h"
#include "compose/compose.h"
#include "compose/view_accumulator.h"
#include "compose/view_mapping.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"
#include "select/select.h"

namespace rvl {

namespace {

inline constexpr int kMaxRenderEntries = kLayerSlots;  // 63 layers and the paint layer

// One layer of the render list.
struct RenderEntry {
  const LayerSlot* slot;
  const LayerSlot* maskLayer;  // the Layer Mask entry that scales this one, or null
  bool opaqueBase;             // the background: its pixels count as fully opaque
};

struct RenderList {
  RenderEntry entries[kMaxRenderEntries];
  int count = 0;
};

// Visible layers bottom to top (never the trace layer, never a Texturize3 layer), the
// paint layer right after the current layer's pixels.
void buildRenderList(RenderList& list) {
  const LayerSlot* paint = brush.paintLayer.slot.pixels ? &brush.paintLayer.slot : nullptr;
  const uint16_t* current = page.currentLayer ? page.currentLayer->pixels : nullptr;
  int currentEntry = -1;
  for (int index = kBackgroundSlot; index < kLayerSlots; ++index) {
    const LayerSlot& slot = page.layerTable[index];
    if (!slot.pixels) continue;
    if (slot.visible && slot.mergeMode != kMergeModeTexturize3)
      list.entries[list.count++] = RenderEntry{&slot, nullptr, false};
    if (paint && slot.pixels == current && list.count < kMaxRenderEntries) {
      currentEntry = list.count - 1;
      if (currentEntry >= 0 && list.entries[currentEntry].slot != &slot) currentEntry = -1;
      list.entries[list.count++] = RenderEntry{paint, nullptr, false};
    }
  }
  if (list.count > 0 && list.entries[0].slot == &page.layerTable[kBackgroundSlot])
    list.entries[0].opaqueBase = true;
  // The Layer Mask check looks at the next entry, passing over the paint layer that
  // follows the current layer unless nothing comes after it.
  for (int e = 0; e < list.count; ++e) {
    int next = e + 1;
    if (e == currentEntry && next + 1 < list.count) ++next;
    if (next < list.count && list.entries[next].slot->mergeMode == kLayerMaskMode)
      list.entries[e].maskLayer = list.entries[next].slot;
  }
}

// The render list resolved for one page row.
struct RowEntry {
  const uint16_t* pixels;  // the layer's row, or null when the layer has no such row
  int32_t columns;         // the layer's width
  const uint16_t* mask;    // the Layer Mask layer's row, or null
  int32_t maskColumns;
  int32_t opacity;
  int32_t mode;
  bool opaqueBase;
};

const uint16_t* rowOf(const LayerSlot& slot, int32_t row) {
  return row < slot.height ? slot.pixels + size_t(row) * size_t(slot.width) * 4 : nullptr;
}

struct Finish {
  const uint16_t* traceRow;  // null: no tracing on this row
  int32_t traceColumns;
  const uint16_t* maskRow;  // null: no mask overlay
  int32_t row;              // the sampled page row
};

// Composites page column c of the row's entries; writes the 16-bit result.
inline void compositeColumn(const RowEntry* entries, int count, int32_t c, int32_t k,
                            int32_t out[4]) {
  ViewAccumulator acc{{0, 0, 0}, 0};
  for (int e = 0; e < count; ++e) {
    const RowEntry& entry = entries[e];
    if (!entry.pixels || c >= entry.columns) continue;
    const uint16_t* s = entry.pixels + size_t(c) * 4;
    int32_t a = s[3];
    if (entry.opaqueBase) {
      a = 65535;
    } else {
      if (a == 0 && skipsTransparent(entry.mode)) continue;
      if (entry.mask && c < entry.maskColumns) {
        const uint16_t* m = entry.mask + size_t(c) * 4;
        if (m[3] != 0) a = scaleByMaskPixel(a, m);
      }
    }
    a = scaleByOpacity(a, entry.opacity);
    StagedPixel p{s[0], s[1], s[2], a, entry.mode, false};
    alphaStage(p, false, k);
    switch (compositeOutcome(p, acc.a == 0, false)) {
      case Outcome::Keep:
        break;
      case Outcome::Clear:
        acc = ViewAccumulator{{0, 0, 0}, 0};
        break;
      case Outcome::Copy:
        acc = accumulatorFromPixel(p.r, p.g, p.b, p.a);
        break;
      case Outcome::OpaqueCopy:
        acc = accumulatorFromPixel(p.r, p.g, p.b, 65535);
        break;
      case Outcome::Blend:
        acc = accumulatorFromBlend(blendPixel(p, backdropFromAccumulator(acc)));
        break;
    }
  }
  for (int i = 0; i < 3; ++i) out[i] = accumulatorColour16(acc.c[i]);
  out[3] = accumulatorAlpha16(acc.a);
}

// Tracing, checkerboard and mask overlay; writes blue, green, red.
inline void finishColumn(int32_t v[4], int32_t c, const Finish& f, uint8_t* bgr) {
  if (f.traceRow && c < f.traceColumns) {
    const uint16_t* t = f.traceRow + size_t(c) * 4;
    for (int i = 0; i < 3; ++i) v[i] = (t[i] + v[i]) >> 1;
  }
  const bool oddSquare = (((c >> 5) + (f.row >> 5)) & 1) != 0;
  const uint32_t a = uint32_t(v[3]);
  if (a < 65535) {
    const uint32_t grey = oddSquare ? 40959 : 65535;
    for (int i = 0; i < 3; ++i)
      v[i] = int32_t((((a * uint32_t(v[i])) >> 8) + ((grey * (65535 - a)) >> 8)) >> 8);
  }
  uint32_t m = f.maskRow ? f.maskRow[c] : 65535;
  if (m < 65535) {
    if (!selection.maskOverlayFull) m = (m >> 1) + 32767;
    const uint32_t n = 65535 - m;
    const uint16_t* overlay = oddSquare ? selection.maskOverlayColourA : selection.maskOverlayColourB;
    for (int i = 0; i < 3; ++i)
      bgr[2 - i] = uint8_t((((m * uint32_t(v[i])) >> 8) + ((n * overlay[i]) >> 8)) >> 16);
  } else {
    for (int i = 0; i < 3; ++i) bgr[2 - i] = uint8_t(v[i] >> 8);
  }
}

void render(uint8_t* output, int32_t pitch, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!currentSlot() || !output) return;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  if (int64_t(x) + width > page.pageWidth) width = page.pageWidth - x;
  if (int64_t(y) + height > page.pageHeight) height = page.pageHeight - y;
  if (width <= 0 || height <= 0) return;

  RenderList list;
  buildRenderList(list);
  const ViewMapping mapping = chooseViewMapping(x, y, width, height, page.viewScaleWhole,
                                                page.viewScale, page.viewWidth, page.viewHeight);
  if (mapping.columns <= 0 || mapping.rows <= 0) return;

  const LayerSlot* trace =
      page.tracingMode && page.traceLayer && page.traceLayer->pixels ? page.traceLayer : nullptr;
  const bool overlay = page.maskDisplayed && page.maskEnabled && page.mask;
  const int32_t k = compose.alphaLayerOpacity;
  RowEntry row[kMaxRenderEntries];

  ViewAxis rows(mapping, y, height);
  // (Rows are copied only when they cannot overlap.)
  const bool reuseRows = compose.reuseViewRows && std::abs(int64_t(pitch)) >= int64_t(mapping.columns) * 3;
  int32_t previousRow = -1, previousMaskRow = -1;
  for (int32_t j = 0; j < mapping.rows; ++j, rows.advance()) {
    const int32_t r = rows.position();
    const int32_t maskRow = mapping.kind == ViewMappingKind::Shrink
                                ? shrunkMaskRow(mapping, j, y, page.pageHeight)
                                : r;
    uint8_t* out = output + ptrdiff_t(j) * pitch;
    // A magnified (or repeated) row shows exactly what the row above showed.
    if (reuseRows && r == previousRow && maskRow == previousMaskRow) {
      std::memmove(out, out - pitch, size_t(mapping.columns) * 3);
      continue;
    }
    previousRow = r;
    previousMaskRow = maskRow;
    for (int e = 0; e < list.count; ++e) {
      const RenderEntry& entry = list.entries[e];
      row[e] = RowEntry{rowOf(*entry.slot, r),
                        entry.slot->width,
                        entry.maskLayer ? rowOf(*entry.maskLayer, r) : nullptr,
                        entry.maskLayer ? entry.maskLayer->width : 0,
                        entry.slot->opacity,
                        entry.slot->mergeMode,
                        entry.opaqueBase};
    }
    Finish finish{trace ? rowOf(*trace, r) : nullptr, trace ? trace->width : 0, nullptr, r};
    if (overlay) finish.maskRow = page.mask + size_t(maskRow) * size_t(page.pageWidth);

    ViewAxis columns(mapping, x, width);
    int32_t shown = -1;  // the page column the last written pixel showed
    for (int32_t i = 0; i < mapping.columns; ++i, columns.advance(), out += 3) {
      const int32_t c = columns.position();
      if (c == shown) {
        std::memcpy(out, out - 3, 3);
        continue;
      }
      int32_t v[4];
      compositeColumn(row, list.count, c, k, v);
      finishColumn(v, c, finish, out);
      shown = c;
    }
  }
}

}  // namespace

}  // namespace rvl

extern "C" void RVL_Render(uint8_t* output, int32_t pitch, int32_t x, int32_t y, int32_t width,
                           int32_t height) {
  rvl::render(output, pitch, x, y, width, height);
}
