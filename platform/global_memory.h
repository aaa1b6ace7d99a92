// The desktop's global memory blocks: what the imaging library's whole-file readers and
// bitmap converters return, and what the clipboard takes and gives.
//
// A block is reached through its handle. Blocks never move here, so locking a block just
// gives its address and unlocking does nothing; callers still pair them as the desktop
// asks. Blocks come from the engine allocator, so its fault hooks make them fail too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rvl::platform {

struct GlobalBlockData;
using GlobalBlock = GlobalBlockData*;  // null: no block

// A block of bytes (0 is allowed and still gives a block), its content zero-filled when
// zeroed is set and undefined otherwise. Null when the memory cannot be had.
GlobalBlock globalAlloc(size_t bytes, bool zeroed);
// The block's first byte, aligned for any type; null for a null handle.
void* globalLock(GlobalBlock block);
void globalUnlock(GlobalBlock block);
// The size asked for at allocation; 0 for a null handle.
size_t globalSize(GlobalBlock block);
// Releases the block; a null handle is ignored.
void globalFree(GlobalBlock block);

namespace testing {
// Global blocks allocated and not yet freed.
int64_t liveGlobalBlocks();
}  // namespace testing

}  // namespace rvl::platform
