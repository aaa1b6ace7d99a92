#include "frame/random.h"

#include "frame/frame.h"
#include "ravelin.h"

namespace rvl {

namespace {
thread_local uint32_t randomState = 1;
}

void seedRandom(uint32_t seed) noexcept { randomState = seed; }

int32_t nextRandom() noexcept {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 32767u);
}

}  // namespace rvl

extern "C" void RVL_SetRandomSeed(int32_t seed) noexcept {
  rvl::frame.randomSeed = seed;
  rvl::seedRandom(static_cast<uint32_t>(seed));
}
