#include "platform/global_memory.h"

#include <cstring>
#include <new>

#include "platform/heap.h"

namespace rvl::platform {

// The block's header; the caller's bytes follow it, keeping the allocator's alignment.
struct alignas(std::max_align_t) GlobalBlockData {
  size_t bytes;
};

namespace {
int64_t liveBlocks = 0;

uint8_t* payload(GlobalBlock block) { return reinterpret_cast<uint8_t*>(block + 1); }
}  // namespace

GlobalBlock globalAlloc(size_t bytes, bool zeroed) {
  if (bytes > SIZE_MAX - sizeof(GlobalBlockData)) return nullptr;
  void* memory = allocate(sizeof(GlobalBlockData) + bytes);
  if (!memory) return nullptr;
  GlobalBlock block = new (memory) GlobalBlockData{bytes};
  if (zeroed) std::memset(payload(block), 0, bytes);
  ++liveBlocks;
  return block;
}

void* globalLock(GlobalBlock block) { return block ? payload(block) : nullptr; }

void globalUnlock(GlobalBlock) {}

size_t globalSize(GlobalBlock block) { return block ? block->bytes : 0; }

void globalFree(GlobalBlock block) {
  if (!block) return;
  --liveBlocks;
  block->~GlobalBlockData();
  deallocate(block);
}

namespace testing {
int64_t liveGlobalBlocks() { return liveBlocks; }
}  // namespace testing

}  // namespace rvl::platform
