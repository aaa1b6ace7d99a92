// Compressed whole-layer loads from arbitrary data into a 16 x 16 layer: the load must
// never write outside the layer, and data that does not inflate to exactly the layer
// must leave it unchanged.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ravelin.h"

namespace {
constexpr int kSide = 16;

bool pageReady() {
  RVL_CreateImage(nullptr, kSide, kSide, 8, 0);
  RVL_CreateLayer(1, kSide, kSide);
  RVL_CreateLayer(2, kSide, kSide);
  RVL_SetLayer(2);
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = pageReady();
  (void)ready;
  RVL_Clear(1, 2, 3, 4);
  std::vector<uint16_t> before(kSide * kSide * 4);
  RVL_GetLayerData(before.data(), 2);

  RVL_LoadRGBA32LayerCompressed(data, 0, int32_t(size), 2);

  std::vector<uint16_t> after(before.size());
  RVL_GetLayerData(after.data(), 2);
  if (after != before) {
    // Changed: then the data must be a whole layer, and it reads back the same.
    std::vector<uint8_t> out(kSide * kSide * 4 + 128);
    const int32_t length = RVL_GetRGBA32LayerCompressed(out.data(), 0, int32_t(out.size()), 2, 6);
    if (length <= 0) __builtin_trap();
  }
  return 0;
}
