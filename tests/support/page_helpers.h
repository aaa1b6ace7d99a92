#pragma once

#include <cstdint>
#include <cstddef>

#include "page/page.h"

namespace rvl::test {

// True when every 16-bit value of the buffer equals value.
inline bool allValues(const uint16_t* data, size_t count, uint16_t value) {
  for (size_t i = 0; i < count; ++i)
    if (data[i] != value) return false;
  return true;
}

inline size_t layerValues(const LayerSlot& slot) { return size_t(slot.width) * size_t(slot.height) * 4; }

}  // namespace rvl::test
