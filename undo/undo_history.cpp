// Undo and redo: a snapshot's content is exchanged with the layer and the mask, so the
// same snapshot holds the undo data before an undo and the redo data after it.
#include <algorithm>

#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"
#include "undo/rect_copy.h"
#include "undo/undo.h"

namespace rvl {

namespace {

bool isEmpty(const UndoRecord& r) { return !r.pixels && !r.mask; }

// The three copies: snapshot into the target, back buffer into the snapshot, target into
// the back buffer; each cut to what the target and the page hold.
void exchange(uint16_t* snapshot, int32_t snapshotWidth, uint16_t* target, int32_t targetWidth, uint16_t* back,
              const CutRect& cut, int channels) {
  copyRect(target, targetWidth, snapshot, snapshotWidth, cut, channels, false);
  copyRect(back, page.pageWidth, snapshot, snapshotWidth, cut, channels, true);
  copyBetween(target, targetWidth, back, page.pageWidth, cut, channels);
}

void applyRecord(UndoRecord& r) {
  if (r.layer != page.currentLayerIndex) setLayer(r.layer);
  const int32_t w = r.right - r.left + 1;
  LayerSlot* layer = page.currentLayer;
  // A snapshot of a layer that was deleted since cannot go anywhere else.
  if (r.pixels && layer && layer->pixels && page.currentLayerIndex == r.layer && page.backBuffer.pixels) {
    const CutRect cut = cutRect(r.left, r.top, r.right, r.bottom, std::min(layer->width, page.pageWidth),
                                std::min(layer->height, page.pageHeight));
    exchange(r.pixels, w, layer->pixels, layer->width, page.backBuffer.pixels, cut, 4);
  }
  if (r.mask && page.mask && page.backBuffer.mask) {
    const CutRect cut = cutRect(r.left, r.top, r.right, r.bottom, page.pageWidth, page.pageHeight);
    exchange(r.mask, w, page.mask, page.pageWidth, page.backBuffer.mask, cut, 1);
  }
}

}  // namespace

void undoStep() {
  if (undo.undoPaused || undo.undoPosition >= undo.undoLevels) return;
  UndoRecord& r = undo.undoRecord[undo.undoPosition + 1];
  if (isEmpty(r)) return;
  applyRecord(r);
  undo.undoPosition += 1;
}

void redoStep() {
  if (undo.undoPaused || undo.undoPosition <= 0) return;
  undo.undoPosition -= 1;
  applyRecord(undo.undoRecord[undo.undoPosition + 1]);
}

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_Undo(void) noexcept {
  rvl::guarded(nullptr, [&] { undoStep(); });
}
extern "C" void RVL_Redo(void) noexcept {
  rvl::guarded(nullptr, [&] { redoStep(); });
}

extern "C" int32_t RVL_CanUndo(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return (undo.undoPosition < undo.undoLevels && !isEmpty(undo.undoRecord[undo.undoPosition + 1])) ? 1 : 0;
  });
}

extern "C" int32_t RVL_CanRedo(void) noexcept { return undo.undoPosition != 0 ? 1 : 0; }
extern "C" int32_t RVL_GetRedoCount(void) noexcept { return undo.undoPosition; }

extern "C" int32_t RVL_GetUndoCount(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    int32_t count = 0;
    for (int n = 1; n <= kMaxUndoLevels; ++n)
      if (!isEmpty(undo.undoRecord[n])) ++count;
    return count;
  });
}
