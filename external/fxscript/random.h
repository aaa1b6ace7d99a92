// The seeded random numbers of the noise generators: a stateless lattice hash for the
// noise families and a small sequential generator for parameters drawn from a seed.
// Both are fixed here so a script renders the same picture on every run.
#pragma once

#include <cstdint>

namespace rvl::fxscript {

// The 32-bit finaliser of the hash: an invertible mix of all bits.
constexpr uint32_t mix32(uint32_t h) noexcept {
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

// The random value of lattice point (i, j) under a seed.
constexpr uint32_t latticeHash(uint32_t seed, int32_t i, int32_t j) noexcept {
  return mix32(seed ^ mix32(static_cast<uint32_t>(i) * 0x9E3779B1u ^
                            mix32(static_cast<uint32_t>(j) + 0x632BE5ABu)));
}

// The seed of noise octave k: seed + k * 0x9E3779B9 (modulo 2^32).
constexpr uint32_t octaveSeed(int32_t seed, int32_t octave) noexcept {
  return static_cast<uint32_t>(seed) + static_cast<uint32_t>(octave) * 0x9E3779B9u;
}

// splitmix64: state += 0x9E3779B97F4A7C15, then two xor-shift-multiply rounds.
class SeededRandom {
 public:
  explicit constexpr SeededRandom(int32_t seed) noexcept
      : state_(static_cast<uint64_t>(static_cast<uint32_t>(seed))) {}

  constexpr uint64_t next() noexcept {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A real number in [0, 1): the top 53 bits of next() / 2^53.
  constexpr double unit() noexcept { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_;
};

}  // namespace rvl::fxscript
