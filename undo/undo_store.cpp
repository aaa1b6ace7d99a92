#include <algorithm>
#include <climits>
#include <cstring>

#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/page.h"
#include "platform/memory_status.h"
#include "ravelin.h"
#include "undo/undo.h"

namespace rvl {

UndoState undo{};

namespace {

int32_t kilobytes(int64_t w, int64_t h, int bytesPerPixel) {
  return static_cast<int32_t>((w * h * bytesPerPixel) / 1024);
}

void uncount(int32_t kb) { undo.undoUsedKB = std::max(0, undo.undoUsedKB - kb); }

int64_t recordWidth(const UndoRecord& r) { return int64_t(r.right) - r.left + 1; }
int64_t recordHeight(const UndoRecord& r) { return int64_t(r.bottom) - r.top + 1; }

}  // namespace

void releaseUndoRecord(UndoRecord& r) {
  int64_t w = recordWidth(r), h = recordHeight(r);
  if (r.pixels) uncount(kilobytes(w, h, 8));
  if (r.mask) uncount(kilobytes(w, h, 2));
  release(r.pixels);
  release(r.mask);
  r = UndoRecord{};
}

int32_t backBufferKB() { return kilobytes(page.pageWidth, page.pageHeight, 10); }

void resetDirtyRect() {
  undo.dirtyRect = DirtyRect{page.pageWidth - 1, page.pageHeight - 1, 0, 0};
}

void saveUndoBackBuffer(int32_t layerIndex) {
  if (undo.undoPaused) return;
  const size_t width = size_t(std::max(page.pageWidth, 0));
  const size_t height = size_t(std::max(page.pageHeight, 0));
  LayerSlot* slot = filledSlotAt(layerIndex);
  if (slot && page.backBuffer.pixels) {
    uint16_t* out = page.backBuffer.pixels;
    if (slot->width == page.pageWidth && slot->height == page.pageHeight) {
      std::memcpy(out, slot->pixels, width * height * 8);
    } else {
      // A layer of another size (the page was just resized): copy what both hold.
      const size_t cols = std::min(width, size_t(std::max(slot->width, 0)));
      const size_t rows = std::min(height, size_t(std::max(slot->height, 0)));
      const size_t layerRow = size_t(std::max(slot->width, 0)) * 4;
      for (size_t y = 0; y < height; ++y) {
        uint16_t* row = out + y * width * 4;
        size_t copied = 0;
        if (y < rows) {
          std::memcpy(row, slot->pixels + y * layerRow, cols * 8);
          copied = cols;
        }
        std::memset(row + copied * 4, 0, (width - copied) * 8);
      }
    }
  }
  if (page.mask && page.backBuffer.mask)
    std::memcpy(page.backBuffer.mask, page.mask, width * height * 2);
}

void releaseUndoRecords() {
  for (int n = 1; n <= kMaxUndoLevels; ++n) releaseUndoRecord(undo.undoRecord[n]);
}

void clearUndo() {
  guarded("ClearUndo Excpt", [] {
    resetDirtyRect();
    undo.undoPaused = 0;
    undo.undoPosition = 0;
    releaseUndoRecords();
    undo.undoUsedKB = backBufferKB();
    saveUndoBackBuffer(page.currentLayerIndex);
    updateUndoBudget();
  });
}

void removeAbandonedUndo() {
  guarded("RemoveAdandonedUndo Excpt", [] {
    const int32_t position = std::clamp(undo.undoPosition, 0, kMaxUndoLevels);
    if (position == 0) return;
    for (int n = 1; n <= position; ++n) releaseUndoRecord(undo.undoRecord[n]);
    const int32_t levels = std::clamp(undo.undoLevels, 0, kMaxUndoLevels);
    int to = 1;
    for (int from = position + 1; from <= levels; ++from, ++to) {
      undo.undoRecord[to] = std::move(undo.undoRecord[from]);
      undo.undoRecord[from] = UndoRecord{};
    }
    undo.undoPosition = 0;
  });
}

int32_t reduceUndo(int32_t kilobytesWanted) {
  removeAbandonedUndo();
  int32_t released = 0;
  for (int n = std::clamp(undo.undoLevels, 0, kMaxUndoLevels); n >= 1; --n) {
    UndoRecord& r = undo.undoRecord[n];
    if (!r.pixels) continue;  // records holding only a mask are passed over
    if (released >= kilobytesWanted) break;
    int32_t d = kilobytes(recordWidth(r), recordHeight(r), 10);
    release(r.pixels);
    release(r.mask);
    r = UndoRecord{};
    uncount(d);
    released += d;
  }
  return released;
}

void updateUndoBudget() {
  if (!undo.undoAutoBudget) return;
  platform::MemoryStatus status{};
  status.length = sizeof status;
  uint64_t freeBytes = 0;
  if (platform::queryMemoryStatus(status)) freeBytes = std::min(status.availPhys, status.availPageFile);
  const double x = double(freeBytes >> 10) * 0.85 + undo.undoUsedKB;
  const int64_t p = (int64_t(page.pageHeight) * page.pageWidth) / 1024;
  int64_t budget = int64_t(x) - 20 * p;
  if (budget < 15 * p) budget = 15 * p;
  undo.undoBudgetKB = static_cast<int32_t>(std::min<int64_t>(budget, INT32_MAX));
}

int32_t setUndoLevels(int32_t levels) {
  clearUndo();
  undo.undoLevels = std::clamp(levels, 0, kMaxUndoLevels);
  return undo.undoLevels;
}

void setUndoMB(int32_t megabytes) {
  if (megabytes == 0) {
    undo.undoAutoBudget = 1;
    updateUndoBudget();
    return;
  }
  undo.undoAutoBudget = 0;
  undo.undoBudgetKB = int32_t(std::clamp<int64_t>(int64_t(megabytes) * 1024, 0, INT32_MAX));
}

void resetUndoState() { undo = UndoState{}; }

void releaseUndoPageBuffers() {
  releaseUndoRecords();
  clearUndo();
  undo.undoUsedKB = 0;
}

void undoPageCreated() {
  clearUndo();
  undo.undoUsedKB = backBufferKB();
}

void undoLayerSelected(int32_t /*previous*/, int32_t index) { saveUndoBackBuffer(index); }

bool reclaimUndoMemory(int32_t kilobytes) {
  auto recordCount = [] {
    int count = 0;
    for (int n = 1; n <= kMaxUndoLevels; ++n)
      if (undo.undoRecord[n].pixels || undo.undoRecord[n].mask) ++count;
    return count;
  };
  const int before = recordCount();
  if (before == 0) return false;
  return reduceUndo(kilobytes) != 0 || recordCount() != before;
}

}  // namespace rvl

using namespace rvl;

extern "C" void RVL_ClearUndo(void) noexcept {
  rvl::guarded(nullptr, [&] { clearUndo(); });
}
extern "C" void RVL_ReduceUndo(int32_t kilobytes) noexcept {
  rvl::guarded(nullptr, [&] { reduceUndo(kilobytes); });
}
extern "C" void RVL_SetUndoMB(int32_t megabytes) noexcept {
  rvl::guarded(nullptr, [&] { setUndoMB(megabytes); });
}
extern "C" void RVL_PauseUndo(void) noexcept { undo.undoPaused = 1; }
extern "C" void RVL_ResumeUndo(void) noexcept { undo.undoPaused = 0; }

extern "C" int32_t RVL_GetTotalUndoMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    updateUndoBudget();
    return undo.undoBudgetKB / 1024;
  });
}

extern "C" int32_t RVL_GetCurrentUndoMemory(void) noexcept { return undo.undoUsedKB / 1024; }

extern "C" int32_t RVL_SetUndoLevels(int32_t levels) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t { return rvl::setUndoLevels(levels); });
}
