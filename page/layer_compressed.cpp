// Whole layers as zlib-deflated packed RGBA32.
#include "external/imaging/compression.h"
#include "frame/allocator.h"
#include "frame/guard.h"
#include "page/layer_load.h"
#include "page/layer_read.h"
#include "page/page.h"
#include "ravelin.h"

using namespace rvl;

extern "C" void RVL_LoadRGBA32LayerCompressed(const void* data, int32_t ignored, int32_t length,
                                              int32_t index) noexcept {
  (void)ignored;
  guarded("LoadRGBA32LayerCompressed Excpt", [&] {
    LayerSlot* slot = filledSlotAt(index);
    if (!slot || !data || length <= 0) return;
    const size_t bytes = size_t(slot->width) * size_t(slot->height) * 4;
    if (bytes == 0 || bytes > UINT32_MAX) return;
    uint8_t* buffer = allocArray<uint8_t>(bytes);
    if (!buffer) return;
    // Only a stream that inflates to exactly the whole layer is loaded: corrupt or
    // short data leaves the layer as it was.
    const uint32_t inflated = imaging::IS3InflateBuffer(data, uint32_t(length), buffer, uint32_t(bytes), 0);
    if (inflated == bytes)
      loadRGBA32Layer(buffer, slot->width * 4, index, 0, 0, slot->width, slot->height, false);
    engineFree(buffer);
  });
}

extern "C" int32_t RVL_GetRGBA32LayerCompressed(void* output, int32_t ignored, int32_t capacity,
                                                int32_t index, int32_t level) noexcept {
  (void)ignored;
  uint8_t* buffer = nullptr;
  const int32_t result = guarded("GetRGBA32Layer Excpt", 0, [&]() -> int32_t {
    if (!filledSlotAt(index)) return 0;
    if (!output || capacity <= 0) return 0;
    const size_t bytes = pagePixels() * 4;
    buffer = allocArrayOrThrow<uint8_t>(bytes);
    getRGBA32Layer(buffer, page.pageWidth * 4, index);
    return int32_t(imaging::IS3DeflateBuffer(buffer, uint32_t(bytes), output, uint32_t(capacity), level));
  });
  engineFree(buffer);
  return result;
}
