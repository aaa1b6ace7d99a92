#include "frame/allocator.h"

#include <cstdlib>

namespace rvl {

namespace {
struct Faults {
  size_t failAbove = SIZE_MAX;
  uint64_t attempts = 0;
  uint64_t failFrom = 0;    // attempt number that fails first (0: none)
  uint64_t failUntil = 0;   // last attempt that fails (UINT64_MAX: from then on)
  int64_t live = 0;
};
Faults faults;

bool injectedFailure(size_t bytes) {
  uint64_t attempt = ++faults.attempts;
  if (bytes > faults.failAbove) return true;
  return faults.failFrom != 0 && attempt >= faults.failFrom && attempt <= faults.failUntil;
}
}  // namespace

void* engineAlloc(size_t bytes) noexcept {
  if (injectedFailure(bytes)) return nullptr;
  // A zero-byte request still gets a distinct block, so "present" stays non-null.
  void* block = std::malloc(bytes ? bytes : 1);
  if (block) ++faults.live;
  return block;
}

void engineFree(void* block) noexcept {
  if (!block) return;
  --faults.live;
  std::free(block);
}

void* engineAllocOrThrow(size_t bytes) {
  void* block = engineAlloc(bytes);
  if (!block) throw OutOfMemory();
  return block;
}

namespace testing {
void failAllocationsAbove(size_t bytes) { faults.failAbove = bytes; }

void failNthAllocation(uint64_t n, bool persistent) {
  faults.failFrom = faults.attempts + n;
  faults.failUntil = persistent ? UINT64_MAX : faults.failFrom;
}

void failNextAllocations(uint64_t k) {
  if (k == 0) return;
  faults.failFrom = faults.attempts + 1;
  faults.failUntil = faults.attempts + k;
}

void clearAllocationFaults() {
  faults.failAbove = SIZE_MAX;
  faults.failFrom = faults.failUntil = 0;
  faults.attempts = 0;
}

uint64_t allocationCount() { return faults.attempts; }
int64_t liveBlocks() { return faults.live; }
}  // namespace testing

}  // namespace rvl
