#include <cstring>

#include "frame/guard.h"
#include "frame/frame.h"
#include "ravelin.h"

namespace rvl {

void setLastError(const char* text) {
  // At most 511 characters; the rest of the buffer up to byte 511 is zero-filled.
  char* out = frame.lastError;
  size_t i = 0;
  if (text) {
    for (; i < sizeof frame.lastError - 1 && text[i]; ++i) out[i] = text[i];
  }
  std::memset(out + i, 0, sizeof frame.lastError - 1 - i);
}

}  // namespace rvl

extern "C" void RVL_SetLastError(const char* text) noexcept {
  rvl::guarded(nullptr, [&] { rvl::setLastError(text); });
}

extern "C" const char* RVL_GetLastError(void) noexcept { return rvl::frame.lastError; }
