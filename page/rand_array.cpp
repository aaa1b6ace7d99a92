#include "frame/allocator.h"
#include "frame/frame.h"
#include "frame/guard.h"
#include "frame/random.h"
#include "page/page.h"

#include <stdexcept>

namespace rvl {

void deleteRandArray(RandArray& array) noexcept {
  guarded("DeleteRandArrayBtye Excpt", [&] {
    release(array.data);
    array.length = 0;
  });
}

void makeRandArrayByte(RandArray& array, int32_t modulus, int32_t length) noexcept {
  if (array.data && array.length == length && array.modulus == modulus &&
      array.seed == frame.randomSeed)
    return;
  deleteRandArray(array);
  guarded("MakeRandArrayByte Excpt", [&] {
    if (modulus <= 0 || length < 0) throw std::invalid_argument("random array");
    seedRandom(static_cast<uint32_t>(frame.randomSeed));
    array.data.allocateOrThrow(size_t(length));
    uint8_t* data = array.data;
    for (int32_t i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(nextRandom() % modulus);
    array.length = length;
    array.modulus = modulus;
    array.seed = frame.randomSeed;
  });
}

}  // namespace rvl
