// RVL_Render: a rectangle of the page drawn into the host's BGR24 view bitmap.
#include <algorithm>
#include <cstdlib>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "frame/guard.h"
#include "brush/brush.h"
#include "compose/alpha_stage.h"
#include "compose/composite_stage.h"
#include "compose/compose.h"
#include "compose/view_accumulator.h"
#include "compose/view_mapping.h"
#include "frame/parallel_rows.h"
#include "page/page.h"
#include "page/pixel_convert.h"
#include "ravelin.h"

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
  const uint16_t* current = page.currentLayer ? page.currentLayer->pixels.get() : nullptr;
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

// One entry's step over page column c of the running composite acc, for both paths: the
// plain path (compositeColumn) and the row walk of compositeEntryRow. M < 0: the entry's
// own mode through the alpha stage; M >= 0: the entry's mode, a standard mode (the alpha
// stage leaves it alone), so the blend's formulas are chosen at compile time.
template <int32_t M>
inline void compositeEntryAt(const RowEntry& entry, int32_t c, int32_t k, ViewAccumulator& acc) {
  const uint16_t* s = entry.pixels + size_t(c) * 4;
  int32_t a = s[3];
  const int32_t mode = M >= 0 ? M : entry.mode;
  if (entry.opaqueBase) {
    a = 65535;
  } else {
    if (a == 0 && skipsTransparent(mode)) return;
    if (entry.mask && c < entry.maskColumns) {
      const uint16_t* m = entry.mask + size_t(c) * 4;
      if (m[3] != 0) a = scaleByMaskPixel(a, m);
    }
  }
  a = scaleByOpacity(a, entry.opacity);
  StagedPixel p{s[0], s[1], s[2], a, mode, false};
  if (M < 0) alphaStage(p, false, k);
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
      if (M >= 0) acc = accumulatorFromBlend(blendPixelAs<M>(p, backdropFromAccumulator(acc)));
      else acc = accumulatorFromBlend(blendPixel(p, backdropFromAccumulator(acc)));
      break;
  }
}

// Composites page column c of the row's entries; writes the 16-bit result.
inline void compositeColumn(const RowEntry* entries, int count, int32_t c, int32_t k,
                            int32_t out[4]) {
  ViewAccumulator acc{{0, 0, 0}, 0};
  for (int e = 0; e < count; ++e)
    if (entries[e].pixels && c < entries[e].columns) compositeEntryAt<-1>(entries[e], c, k, acc);
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
    if (!compose.maskOverlayFull) m = (m >> 1) + 32767;
    const uint32_t n = 65535 - m;
    const uint16_t* overlay = oddSquare ? compose.maskOverlayColourA : compose.maskOverlayColourB;
    for (int i = 0; i < 3; ++i)
      bgr[2 - i] = uint8_t((((m * uint32_t(v[i])) >> 8) + ((n * overlay[i]) >> 8)) >> 16);
  } else {
    for (int i = 0; i < 3; ++i) bgr[2 - i] = uint8_t(v[i] >> 8);
  }
}

// One entry over a row's distinct page columns (those the entry holds pixels for).
template <int32_t M>
void compositeEntryRow(const RowEntry& entry, const int32_t* columns, int32_t count, int32_t k,
                       ViewAccumulator* acc) {
  if (!entry.pixels) return;
  for (int32_t n = 0; n < count; ++n) {
    const int32_t c = columns[n];
    if (c < entry.columns) compositeEntryAt<M>(entry, c, k, acc[n]);
  }
}

using EntryRowFunction = void (*)(const RowEntry&, const int32_t*, int32_t, int32_t,
                                  ViewAccumulator*);

template <int32_t... M>
EntryRowFunction pickEntryRow(int32_t mode, std::integer_sequence<int32_t, M...>) {
  (void)mode;
  return compositeEntryRow<-1>;
}

EntryRowFunction entryRowFunctionFor(const RowEntry& entry) {
  if (entry.opaqueBase) return compositeEntryRow<-1>;
  return pickEntryRow(entry.mode, std::make_integer_sequence<int32_t, kLastStandardMode + 1>{});
}

struct RenderJob {
  uint8_t* output;
  int32_t pitch, x, y, width, height;
  const RenderList* list;
  ViewMapping mapping;
  const LayerSlot* trace;
  bool overlay;
  int32_t k;
  bool reuseRows;
  bool plain;  // the plain column-by-column path
  const int32_t* distinctColumns;  // the page columns of an output row, repeats left out
  int32_t distinctCount;
};

void renderRows(const RenderJob& job, int32_t firstRow, int32_t endRow,
                ViewAccumulator* accumulators) {
  const RenderList& list = *job.list;
  const ViewMapping& mapping = job.mapping;
  const int32_t y = job.y;
  RowEntry row[kMaxRenderEntries];
  EntryRowFunction entryRow[kMaxRenderEntries];
  ViewAxis rows(mapping, y, job.height);
  for (int32_t j = 0; j < firstRow; ++j) rows.advance();
  int32_t previousRow = -1, previousMaskRow = -1;
  for (int32_t j = firstRow; j < endRow; ++j, rows.advance()) {
    const int32_t r = rows.position();
    const int32_t maskRow = mapping.kind == ViewMappingKind::Shrink
                                ? shrunkMaskRow(mapping, j, y, page.pageHeight)
                                : r;
    uint8_t* out = job.output + ptrdiff_t(j) * job.pitch;
    // A magnified (or repeated) row shows exactly what the row above showed.
    if (job.reuseRows && r == previousRow && maskRow == previousMaskRow) {
      std::memmove(out, out - job.pitch, size_t(mapping.columns) * 3);
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
      entryRow[e] = entryRowFunctionFor(row[e]);
    }
    Finish finish{job.trace ? rowOf(*job.trace, r) : nullptr, job.trace ? job.trace->width : 0,
                  nullptr, r};
    if (job.overlay) finish.maskRow = page.mask + size_t(maskRow) * size_t(page.pageWidth);

    if (!job.plain) {
      // Entry by entry over the whole row: each page column still sees the entries bottom
      // to top, with the same steps as compositeColumn.
      for (int32_t n = 0; n < job.distinctCount; ++n) accumulators[n] = ViewAccumulator{{0, 0, 0}, 0};
      for (int e = 0; e < list.count; ++e)
        entryRow[e](row[e], job.distinctColumns, job.distinctCount, job.k, accumulators);
    }

    ViewAxis columns(mapping, job.x, job.width);
    int32_t shown = -1;  // the page column the last written pixel showed
    int32_t n = 0;       // the distinct column it was
    for (int32_t i = 0; i < mapping.columns; ++i, columns.advance(), out += 3) {
      const int32_t c = columns.position();
      if (c == shown) {
        std::memcpy(out, out - 3, 3);
        continue;
      }
      int32_t v[4];
      if (job.plain) {
        compositeColumn(row, list.count, c, job.k, v);
      } else {
        const ViewAccumulator& acc = accumulators[n++];
        for (int q = 0; q < 3; ++q) v[q] = accumulatorColour16(acc.c[q]);
        v[3] = accumulatorAlpha16(acc.a);
      }
      finishColumn(v, c, finish, out);
      shown = c;
    }
  }
}

// Views of this many output pixels or more split their rows between threads.
inline constexpr int64_t kSplitRenderPixels = 1 << 17;

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
  // (Rows are copied only when they cannot overlap.)
  const bool reuseRows = compose.reuseViewRows && std::abs(int64_t(pitch)) >= int64_t(mapping.columns) * 3;
  RenderJob job{output, pitch, x, y, width, height, &list, mapping, trace, overlay,
                compose.alphaLayerOpacity, reuseRows, compose.plainMergeOnly, nullptr, 0};

  // Large views split their output rows between threads: separate rows write separate
  // bytes and each range of rows starts without a row to copy, so the view is the same.
  bool split = compose.mergeThreads && std::abs(int64_t(pitch)) >= int64_t(mapping.columns) * 3 &&
               parallelRowsSplit(mapping.rows, mapping.columns, kSplitRenderPixels);

  // The distinct page columns of a row (the same for every row) and the running composites
  // of one row for each thread; without the memory for them the plain path draws the view,
  // without enough for every thread the calling thread draws it alone.
  std::vector<int32_t> distinct;
  std::vector<ViewAccumulator> accumulators;
  if (!job.plain) {
    try {
      ViewAxis columns(mapping, x, width);
      int32_t shown = -1;
      for (int32_t i = 0; i < mapping.columns; ++i, columns.advance())
        if (columns.position() != shown) distinct.push_back(shown = columns.position());
      accumulators.resize(distinct.size());
    } catch (...) {
      job.plain = true;
    }
    job.distinctColumns = distinct.data();
    job.distinctCount = int32_t(distinct.size());
    if (split && !job.plain) {
      try {
        accumulators.resize(distinct.size() * size_t(parallelRowWorkers()));
      } catch (...) {
        split = false;
      }
    }
  }
  if (!split) {
    renderRows(job, 0, mapping.rows, accumulators.data());
    return;
  }
  parallelRows(mapping.rows, mapping.columns, kSplitRenderPixels,
               [&job, &accumulators, &distinct](int32_t firstRow, int32_t endRow, int32_t worker) {
                 ViewAccumulator* own =
                     job.plain ? nullptr : accumulators.data() + size_t(worker) * distinct.size();
                 renderRows(job, firstRow, endRow, own);
               });
}

}  // namespace

}  // namespace rvl

extern "C" void RVL_Render(uint8_t* output, int32_t pitch, int32_t x, int32_t y, int32_t width,
                           int32_t height) noexcept {
  rvl::guarded(nullptr, [&] {
    rvl::render(output, pitch, x, y, width, height);
  });
}
