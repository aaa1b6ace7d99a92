// Load-time set-up of the process heap: the imaging library, the effect-script library and
// the global memory blocks take their memory from the engine allocator, so its accounting
// and its fault hooks reach every buffer they make. Installed before any other load-time
// work (and before any static object of the engine is built), so no block of theirs can
// come from another allocator.
#include "frame/allocator.h"
#include "platform/heap.h"

namespace {

void* allocateFromEngine(size_t bytes) { return rvl::engineAlloc(bytes); }
void freeToEngine(void* block) { rvl::engineFree(block); }

__attribute__((constructor(101))) void installHeapAllocator() {
  rvl::platform::setAllocator(allocateFromEngine, freeToEngine);
}

}  // namespace
