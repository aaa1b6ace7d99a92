// The engine allocator: every page buffer comes from here.
//
// engineAlloc returns null when no block can be had; engineAllocOrThrow raises
// OutOfMemory instead, for guarded bodies whose failure is "the export stops".
// The test hooks make allocations fail on purpose so out-of-memory paths can be run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace rvl {

struct OutOfMemory : std::bad_alloc {
  const char* what() const noexcept override { return "engine allocation failed"; }
};

void* engineAlloc(size_t bytes) noexcept;
void engineFree(void* block) noexcept;
void* engineAllocOrThrow(size_t bytes);

template <class T>
T* allocArray(size_t count) noexcept {
  if (count > SIZE_MAX / sizeof(T)) return nullptr;
  return static_cast<T*>(engineAlloc(count * sizeof(T)));
}

template <class T>
T* allocArrayOrThrow(size_t count) {
  if (count > SIZE_MAX / sizeof(T)) throw OutOfMemory();
  return static_cast<T*>(engineAllocOrThrow(count * sizeof(T)));
}

// Frees *block if present and sets it to null.
template <class T>
void release(T*& block) noexcept {
  if (block) {
    engineFree(block);
    block = nullptr;
  }
}

namespace testing {
// Every allocation larger than bytes fails (SIZE_MAX: none).
void failAllocationsAbove(size_t bytes);
// Allocation number n from now (1 = the next one) fails; with persistent, so does every
// allocation after it.
void failNthAllocation(uint64_t n, bool persistent = false);
// The next k allocations fail.
void failNextAllocations(uint64_t k);
// No allocation fails on purpose any more.
void clearAllocationFaults();
// Allocations attempted since the last clearAllocationFaults.
uint64_t allocationCount();
// Blocks currently held by the engine.
int64_t liveBlocks();
}  // namespace testing

}  // namespace rvl
