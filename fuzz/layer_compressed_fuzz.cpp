// Compressed whole-layer loads from arbitrary data into a 16 x 16 layer: the load must
// never write outside the layer; data that does not inflate to exactly the layer must
// leave it unchanged; data that does is loaded as zlib itself inflates it (each byte times
// 256, a pixel of alpha 0 as transparent black) and reads back the same.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "ravelin.h"

namespace {
constexpr int kSide = 16;
constexpr size_t kLayerBytes = size_t(kSide) * kSide * 4;

bool pageReady() {
  RVL_CreateImage(nullptr, kSide, kSide, 8, 0);
  RVL_CreateLayer(1, kSide, kSide);
  RVL_CreateLayer(2, kSide, kSide);
  RVL_SetLayer(2);
  return true;
}

// The picture zlib's own uncompress makes of the data, when that is exactly one layer.
bool inflatesToTheLayer(const uint8_t* data, size_t size, std::vector<uint8_t>& picture) {
  picture.assign(kLayerBytes + 1, 0);  // one byte more: a longer stream is told apart
  uLongf length = uLongf(picture.size());
  if (uncompress(picture.data(), &length, data, uLong(size)) != Z_OK || length != kLayerBytes) return false;
  picture.resize(kLayerBytes);
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
  std::vector<uint8_t> picture;
  if (!inflatesToTheLayer(data, size, picture)) {
    if (after != before) __builtin_trap();  // changed by data zlib does not inflate to a layer
    return 0;
  }
  for (size_t i = 0; i < kLayerBytes; i += 4) {
    const bool clear = picture[i + 3] == 0;
    for (size_t c = 0; c < 4; ++c)
      if (after[i + c] != (clear ? 0 : uint16_t(picture[i + c] << 8))) __builtin_trap();
  }
  // What loaded reads back the same: the engine's stream inflates to the loaded picture's
  // high bytes.
  std::vector<uint8_t> out(compressBound(uLong(kLayerBytes)) + 64);
  const int32_t length = RVL_GetRGBA32LayerCompressed(out.data(), 0, int32_t(out.size()), 2, 6);
  if (length <= 0) __builtin_trap();
  std::vector<uint8_t> back;
  if (!inflatesToTheLayer(out.data(), size_t(length), back)) __builtin_trap();
  for (size_t i = 0; i < kLayerBytes; ++i)
    if (back[i] != uint8_t(after[i] >> 8)) __builtin_trap();
  return 0;
}
