// Recording a step: the old content of the changed rectangle goes from the back buffer
// into a new snapshot, and the back buffer takes the new content from the layer.
#include <algorithm>

#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/page.h"
#include "ravelin.h"
#include "undo/rect_copy.h"
#include "undo/undo.h"

namespace rvl {

void saveUndoBuffer(bool saveLayer, bool saveMask) {
  if (undo.undoPaused) return;
  DirtyRect& d = undo.dirtyRect;
  d.minX = std::max(d.minX, 0);
  d.maxX = std::min(d.maxX, page.pageWidth - 1);
  d.minY = std::max(d.minY, 0);
  d.maxY = std::min(d.maxY, page.pageHeight - 1);
  int32_t left = d.minX, top = d.minY, right = d.maxX, bottom = d.maxY;
  removeAbandonedUndo();
  // An empty rectangle, and one a single pixel wide or high, saves the whole page.
  if (left >= right || top >= bottom) {
    left = 0;
    top = 0;
    right = page.pageWidth - 1;
    bottom = page.pageHeight - 1;
  }
  const int64_t w = int64_t(right) - left + 1, h = int64_t(bottom) - top + 1;
  updateUndoBudget();

  uint16_t* pixels = nullptr;
  uint16_t* mask = nullptr;
  bool obtained = !saveLayer && !saveMask;
  const int32_t levels = std::clamp(undo.undoLevels, 0, kMaxUndoLevels);
  const int32_t wantedKB = int32_t((w * h * 10) / 1024);
  for (int32_t n = levels; n >= 1 && !obtained; --n) {
    releaseUndoRecord(undo.undoRecord[n]);
    if (int64_t(undo.undoUsedKB) + wantedKB >= undo.undoBudgetKB && n > 1) continue;
    if (saveLayer && !pixels && (pixels = allocArray<uint16_t>(size_t(w * h) * 4)))
      undo.undoUsedKB += int32_t((w * h * 8) / 1024);
    if (saveMask && !mask && (mask = allocArray<uint16_t>(size_t(w * h))))
      undo.undoUsedKB += int32_t((w * h * 2) / 1024);
    obtained = (!saveLayer || pixels) && (!saveMask || mask);
  }

  if (obtained && levels > 0) {
    releaseUndoRecord(undo.undoRecord[levels]);
    for (int32_t n = levels; n > 1; --n) undo.undoRecord[n] = std::move(undo.undoRecord[n - 1]);
    undo.undoRecord[1] = UndoRecord{Buffer<uint16_t>(pixels), Buffer<uint16_t>(mask), left, top, right, bottom,
                                    page.currentLayerIndex};
    const CutRect cut = cutRect(left, top, right, bottom, page.pageWidth, page.pageHeight);
    if (pixels && page.backBuffer.pixels)
      copyRect(page.backBuffer.pixels, page.pageWidth, pixels, int32_t(w), cut, 4, true);
    if (mask && page.backBuffer.mask)
      copyRect(page.backBuffer.mask, page.pageWidth, mask, int32_t(w), cut, 1, true);
  } else {
    // Not recorded: nothing obtained is kept.
    if (pixels) undo.undoUsedKB = std::max(0, undo.undoUsedKB - int32_t((w * h * 8) / 1024));
    if (mask) undo.undoUsedKB = std::max(0, undo.undoUsedKB - int32_t((w * h * 2) / 1024));
    release(pixels);
    release(mask);
  }

  // The back buffer follows the layer and the mask in every case.
  LayerSlot* layer = page.currentLayer;
  if (saveLayer && layer && layer->pixels && page.backBuffer.pixels) {
    const CutRect cut = cutRect(left, top, right, bottom, std::min(layer->width, page.pageWidth),
                                std::min(layer->height, page.pageHeight));
    copyBetween(layer->pixels, layer->width, page.backBuffer.pixels, page.pageWidth, cut, 4);
  }
  if (saveMask && page.mask && page.backBuffer.mask) {
    const CutRect cut = cutRect(left, top, right, bottom, page.pageWidth, page.pageHeight);
    copyBetween(page.mask, page.pageWidth, page.backBuffer.mask, page.pageWidth, cut, 1);
  }
  resetDirtyRect();
}

}  // namespace rvl

extern "C" void RVL_SaveUndoBuffer(int32_t saveLayer, int32_t saveMask) noexcept {
  rvl::guarded("SaveUndoBuf Excpt",
               [&] { rvl::saveUndoBuffer(uint8_t(saveLayer) != 0, uint8_t(saveMask) != 0); });
}

extern "C" void RVL_SaveUndoBackBuffer(int32_t layerIndex) noexcept {
  rvl::guarded(nullptr, [&] { rvl::saveUndoBackBuffer(layerIndex); });
}
