// Load-time set-up: the system calls this once when the library enters the process.
#include <dlfcn.h>

#include "frame/frame.h"

namespace {

void* ownInstance() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ownInstance), &info) && info.dli_fbase) return info.dli_fbase;
  return nullptr;
}

__attribute__((constructor)) void ravelinProcessAttach() { rvl::onProcessAttach(ownInstance()); }

}  // namespace
