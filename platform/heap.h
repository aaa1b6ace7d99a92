// The process heap of the desktop system: where the outside libraries (imaging, effect
// scripts) and the global memory blocks take their memory. Plain malloc and free until a
// program installs its own allocator (the engine installs its own at load, so its
// accounting and fault hooks reach every block).
#pragma once

#include <cstddef>
#include <cstdint>

namespace rvl::platform {

// allocate returns null when no block can be had; free accepts null.
using AllocateFunction = void* (*)(size_t bytes);
using FreeFunction = void (*)(void* block);

// Installs the pair every later allocation and release goes through. A null in either
// place returns both to malloc and free. Install it before the first call that
// allocates: a block must go back to the allocator it came from.
void setAllocator(AllocateFunction allocate, FreeFunction free) noexcept;

// A block of at least bytes bytes (a zero-byte request still gets a block); null when the
// installed allocator has none.
void* allocate(size_t bytes) noexcept;
// Returns a block from allocate; null is ignored.
void deallocate(void* block) noexcept;

// count elements of T, null when the size overflows or no block can be had.
template <class T>
T* allocateArray(size_t count) noexcept {
  if (count > SIZE_MAX / sizeof(T)) return nullptr;
  return static_cast<T*>(allocate(count * sizeof(T)));
}

}  // namespace rvl::platform
