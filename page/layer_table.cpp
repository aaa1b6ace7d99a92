// Creating, selecting, configuring, reordering and deleting layers.
#include <algorithm>
#include <cstring>
#include <utility>

#include "frame/allocator.h"
#include "frame/guard.h"
#include "frame/lifecycle.h"
#include "page/page.h"
#include "ravelin.h"

namespace rvl {

int32_t createLayer(int32_t index, int32_t width, int32_t height) {
  LayerSlot* slot = slotAt(index);
  if (!slot) return 0;
  // Layers are never larger than the largest page; anything else is refused rather than
  // handed to the allocator.
  if (width < 0 || height < 0 || width > kMaxPageSide || height > kMaxPageSide) return 0;
  if (slot->pixels && (slot->width != width || slot->height != height)) release(slot->pixels);
  slot->width = width;
  slot->height = height;
  slot->stride = width * 4;
  const size_t bytes = size_t(width) * size_t(height) * 8;
  if (!slot->pixels) {
    const int32_t wantedKB = static_cast<int32_t>(bytes / 1024);
    // Make room (the undo store sacrifices its oldest steps); give up when nothing more
    // can be released.
    while (!slot->pixels.allocate(size_t(width) * size_t(height) * 4))
      if (!lifecycle::reclaimMemory(wantedKB)) return 0;
  }
  std::memset(slot->pixels, index == kBackgroundSlot ? 255 : 0, bytes);
  return 1;
}

void deleteLayer(int32_t index) {
  if (LayerSlot* slot = slotAt(index)) release(slot->pixels);
}

void setLayer(int32_t index) {
  LayerSlot* slot = filledSlotAt(index);
  if (!slot) return;
  if (MergeMode(slot->mergeMode) == MergeMode::Texturize3) release(page.textureBuffer);
  const int32_t previous = page.currentLayerIndex;
  page.currentLayer = slot;
  page.currentLayerIndex = index;
  // The paper texture follows the old current layer; the undo store's back buffer the new.
  lifecycle::layerSelected(previous, index);
}

}  // namespace rvl

using namespace rvl;

extern "C" int32_t RVL_CreateLayer(int32_t index, int32_t width, int32_t height) noexcept {
  return guarded("CreateLayer Excpt", 0, [&] { return createLayer(index, width, height); });
}

extern "C" void RVL_DeleteLayer(int32_t index) noexcept {
  guarded("DeleteLayer Excpt", [&] { deleteLayer(index); });
}

extern "C" void RVL_SetLayer(int32_t index) noexcept {
  rvl::guarded(nullptr, [&] { setLayer(index); });
}

extern "C" void RVL_SetLayerOptions(int32_t index, int32_t visible, int32_t lockTransparency,
                                    int32_t opacityPercent, const char* modeName) noexcept {
  rvl::guarded(nullptr, [&] {
    LayerSlot* slot = slotAt(index);
    if (!slot || !modeName) return;
    if (MergeMode(slot->mergeMode) == MergeMode::Texturize3) release(page.textureBuffer);
    slot->visible = static_cast<uint8_t>(visible);
    slot->lockTransparency = static_cast<uint8_t>(lockTransparency);
    // Opacity is 0 to 256; percentages outside 0 to 100 are held to that range.
    const double opacity = double(opacityPercent) * 2.56;
    slot->opacity = static_cast<uint16_t>(std::clamp(static_cast<int64_t>(opacity), int64_t(0), int64_t(256)));
    slot->modeName[0] = 0;
    const size_t length = strnlen(modeName, kModeNameSize);
    if (length < size_t(kModeNameSize)) std::memcpy(slot->modeName, modeName, length + 1);
    slot->mergeMode = mergeModeCode(modeName);
    page.topLayerIndex = 1;
    for (int i = 1; i < kLayerSlots; ++i)
      if (page.layerTable[i].pixels) page.topLayerIndex = i;
    lifecycle::layerOptionsSet(index);
  });
}

extern "C" void RVL_SwapLayers(int32_t a, int32_t b) noexcept {
  LayerSlot* first = slotAt(a);
  LayerSlot* second = slotAt(b);
  if (!first || !second) return;
  std::swap(*first, *second);
}

extern "C" int32_t RVL_GetLayerCount(void) noexcept {
  int32_t count = 0;
  for (const auto& slot : page.layerTable)
    if (slot.pixels) ++count;
  return count;
}

extern "C" int32_t RVL_GetLayerNum(void) noexcept { return page.currentLayerIndex; }
