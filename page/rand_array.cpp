#include "frame/allocator.h"
#include "frame/frame.h"
#include "frame/guard.h"
#include "frame/random.h"
#include "page/page.h"

#include <stdexcept>

namespace rvl {

void deleteRandArray(RandArray& array) {
  guarded("DeleteRandArrayBtye Excpt", [&] {
    release(array.data);
    array.length = 0;
  });
}

void makeRandArrayByte(RandArray& array, int32_t modulus, int32_t length) {
  if (array.data && array.length == length && array.modulus == modulus &&
      array.seed == frame.randomSeed)
    return;
  deleteRandArray(array);
  guarded("MakeRandArrayByte Excpt", [&] {
    if (modulus <= 0 || length < 0) throw std::invalid_argument("random array");
    seedRandom(static_cast<uint32_t>(frame.randomSeed));
    uint8_t* data = allocArrayOrThrow<uint8_t>(size_t(length));
    for (int32_t i = 0; i < length; ++i) data[i] = static_cast<uint8_t>(nextRandom() % modulus);
    array.data = data;
    array.length = length;
    array.modulus = modulus;
    array.seed = frame.randomSeed;
  });
}

}  // namespace rvl
