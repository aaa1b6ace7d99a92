// The engine's random generator: s <- s * 214013 + 2531011 (mod 2^32),
// value = (s >> 16) & 32767. One state per thread, like the runtime generator it
// replaces; RVL_SetRandomSeed seeds the calling thread's.
#pragma once

#include <cstdint>

namespace rvl {

void seedRandom(uint32_t seed) noexcept;
int32_t nextRandom() noexcept;  // 0 to 32767

}  // namespace rvl
