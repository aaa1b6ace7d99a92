#include <cstring>

#include "frame/frame.h"
#include "ravelin.h"

extern "C" void RVL_SetStartDir(const char* dir) noexcept {
  if (!dir) return;
  size_t length = strnlen(dir, sizeof rvl::frame.startDir);
  if (length >= sizeof rvl::frame.startDir) return;  // too long: keep the old directory
  std::memcpy(rvl::frame.startDir, dir, length + 1);
}
