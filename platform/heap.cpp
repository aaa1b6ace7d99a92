// The process heap and its allocator hook.
#include "platform/heap.h"

#include <cstdlib>

namespace rvl::platform {

namespace {
void* systemAllocate(size_t bytes) { return std::malloc(bytes); }
void systemFree(void* block) { std::free(block); }

AllocateFunction allocateHook = systemAllocate;
FreeFunction freeHook = systemFree;
}  // namespace

void setAllocator(AllocateFunction allocate, FreeFunction free) noexcept {
  const bool both = allocate && free;
  allocateHook = both ? allocate : systemAllocate;
  freeHook = both ? free : systemFree;
}

void* allocate(size_t bytes) noexcept { return allocateHook(bytes ? bytes : 1); }

void deallocate(void* block) noexcept {
  if (block) freeHook(block);
}

}  // namespace rvl::platform
