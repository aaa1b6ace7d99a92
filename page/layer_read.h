// Reading layers out to host pictures.
#pragma once

#include <cstdint>

namespace rvl {

// Reduces the slot's page-sized walk to RGBA32; returns pageHeight, 0 for an empty slot.
int32_t getRGBA32Layer(uint8_t* destination, int32_t pitch, int32_t index);

}  // namespace rvl
