// Memory blocks for the host, and the small utilities that go with them.
#include <cstring>

#include "frame/allocator.h"
#include "ravelin.h"

extern "C" void* RVL_Alloc(int32_t size) noexcept {
  if (size < 0) return nullptr;
  return rvl::engineAlloc(static_cast<size_t>(size));
}

extern "C" void RVL_Free(void* block) noexcept { rvl::engineFree(block); }

extern "C" void RVL_Memcpy(void* destination, const void* source, int32_t length) noexcept {
  if (!destination || !source || length <= 0) return;
  std::memcpy(destination, source, static_cast<size_t>(length));
}

extern "C" int32_t BankAdrs(int32_t value) noexcept { return value; }
