// Exports that report on the system: colours, metrics, memory, composition, directory.
#include <cstring>

#include "frame/guard.h"
#include "frame/frame.h"
#include "platform/directories.h"
#include "platform/memory_status.h"
#include "platform/system_library.h"
#include "platform/system_metrics.h"
#include "ravelin.h"

namespace {

using rvl::platform::MemoryStatus;

MemoryStatus memoryStatus() {
  MemoryStatus status{};
  status.length = sizeof(MemoryStatus);
  if (!rvl::platform::queryMemoryStatus(status)) status = MemoryStatus{};
  return status;
}

uint64_t megabytes(uint64_t bytes) { return bytes >> 20; }

char dirInfo[261];

}  // namespace

extern "C" int32_t RVL_GetWindowBackgroundColor(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return static_cast<int32_t>(rvl::platform::systemColour(rvl::platform::SystemColour::ButtonFace));
  });
}
extern "C" int32_t RVL_GetWindowTextColor(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return static_cast<int32_t>(rvl::platform::systemColour(rvl::platform::SystemColour::ButtonText));
  });
}
extern "C" int32_t RVL_GetWindowCaptionSize(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return rvl::platform::systemMetric(rvl::platform::SystemMetric::CaptionHeight);
  });
}
extern "C" int32_t RVL_GetWindowSmallCaptionSize(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return rvl::platform::systemMetric(rvl::platform::SystemMetric::SmallCaptionHeight);
  });
}
extern "C" int32_t RVL_GetWindowFixedFrameSize(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return rvl::platform::systemMetric(rvl::platform::SystemMetric::DialogFrameHeight);
  });
}

extern "C" uint64_t RVL_GetTotalPhyMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> uint64_t { return megabytes(memoryStatus().totalPhys); });
}
extern "C" uint64_t RVL_GetAvailPhyMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> uint64_t { return megabytes(memoryStatus().availPhys); });
}
extern "C" uint64_t RVL_GetTotalPgMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> uint64_t { return megabytes(memoryStatus().totalPageFile); });
}
extern "C" uint64_t RVL_GetAvailPgMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> uint64_t { return megabytes(memoryStatus().availPageFile); });
}
extern "C" uint64_t RVL_GetTotalVirMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> uint64_t { return megabytes(memoryStatus().totalVirtual); });
}
extern "C" uint64_t RVL_GetAvailVirMemory(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> uint64_t { return megabytes(memoryStatus().availVirtual); });
}

extern "C" int32_t RVL_IsCompositionEnabled(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    using namespace rvl::platform;
    LibraryHandle library = loadSystemLibrary("dwmapi.dll");
    if (!library) return 0;
    int32_t result = 0;
    if (auto query = reinterpret_cast<CompositionQuery>(
            findLibraryEntry(library, "DwmIsCompositionEnabled"))) {
      int32_t enabled = 0;
      int32_t status = query(&enabled);
      result = (status >= 0 && enabled != 0) ? 1 : 0;
    }
    releaseSystemLibrary(library);
    return result;
  });
}

extern "C" const char* RVL_GetDirInfo(void) noexcept {
  return rvl::guarded(nullptr, [&]() -> const char* {
    const char* dir = rvl::platform::systemDirectory();
    std::strncpy(dirInfo, dir, sizeof dirInfo - 1);
    dirInfo[sizeof dirInfo - 1] = 0;
    return dirInfo;
  });
}
