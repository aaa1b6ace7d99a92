// The undo store: the back buffer (record 0, held by the page) and up to 500 saved
// rectangles under a memory budget in kilobytes.
#pragma once

#include <cstdint>

#include "frame/buffer.h"

namespace rvl {

inline constexpr int kMaxUndoLevels = 500;

struct UndoRecord {
  Buffer<uint16_t> pixels;  // RGBA64, w * h, packed rows
  Buffer<uint16_t> mask;    // w * h values
  int32_t left, top, right, bottom;  // inclusive page rectangle
  int32_t layer;
};

struct DirtyRect {
  int32_t minX, minY, maxX, maxY;  // inclusive; empty when minX > maxX
};

struct UndoState {
  UndoRecord undoRecord[kMaxUndoLevels + 1];  // 1 to 500; 1 the most recent
  int32_t undoLevels;
  int32_t undoPosition;
  uint8_t undoPaused;
  int32_t undoUsedKB;
  int32_t undoBudgetKB;
  uint8_t undoAutoBudget;
  DirtyRect dirtyRect;
};

extern UndoState undo;

// Kilobytes the back buffer of the present page counts for.
int32_t backBufferKB();

void resetDirtyRect();
// Copies the slot's pixels and the mask into the back buffer (unless paused). Only the
// part the slot and the page share is copied; the rest of the back buffer is cleared.
void saveUndoBackBuffer(int32_t layerIndex);
// Empties the store: every record released, redo gone, store resumed, back buffer
// refreshed from the current layer, budget updated.
void clearUndo();
// Releases a record's buffers, uncounting each, and clears its fields.
void releaseUndoRecord(UndoRecord& record);
// Releases every record's buffers (records 1 to 500) and clears their fields.
void releaseUndoRecords();
// Discards the redo records (those undone since the last save).
void removeAbandonedUndo();
// Releases the oldest records until at least kilobytes were released; returns what was.
int32_t reduceUndo(int32_t kilobytes);
// With the automatic budget: recomputes the budget from the system's free memory.
void updateUndoBudget();
// Clears the store and sets its number of levels (0 to 500); returns the stored value.
int32_t setUndoLevels(int32_t levels);

// 0: the budget follows free memory; otherwise a fixed budget of that many megabytes.
void setUndoMB(int32_t megabytes);
// Records the changed rectangle (dirtyRect) of the current layer and / or the mask.
void saveUndoBuffer(bool saveLayer, bool saveMask);
void undoStep();
void redoStep();

void resetUndoState();

// The store's answers to the page's lifecycle (engine/lifecycle.cpp): every record goes
// with the page; a new page starts an empty store; the back buffer follows the current
// layer; the oldest steps are sacrificed when memory runs out (true when any went).
void releaseUndoPageBuffers();
void undoPageCreated();
void undoLayerSelected(int32_t previous, int32_t index);
bool reclaimUndoMemory(int32_t kilobytes);

}  // namespace rvl
