// Selection state other subsystems read: the mask overlay options of the view.
#pragma once

#include <cstdint>

namespace rvl {

struct SelectState {
  // Overlay colours, red, green, blue, each an 8-bit value x 256: A on odd squares of the
  // 32-pixel checkerboard, B on even ones.
  uint16_t maskOverlayColourA[3];
  uint16_t maskOverlayColourB[3];
  // Non-zero: the overlay is drawn at full strength instead of half.
  int32_t maskOverlayFull;
};

// (Not named "select": that would clash with the system's select() wherever the rvl
// namespace is brought in.)
extern SelectState selection;

void resetSelectState();

}  // namespace rvl
