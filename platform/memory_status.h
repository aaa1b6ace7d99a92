// The system's memory status, in the layout of the desktop's extended status record.
#pragma once

#include <cstdint>

namespace rvl::platform {

struct MemoryStatus {
  uint32_t length;          // must be sizeof(MemoryStatus) (64) when asking
  uint32_t memoryLoad;      // percent of physical memory in use
  uint64_t totalPhys;
  uint64_t availPhys;
  uint64_t totalPageFile;   // commit limit
  uint64_t availPageFile;   // what is left of it
  uint64_t totalVirtual;    // the process's user address space
  uint64_t availVirtual;    // what of it is not reserved
  uint64_t availExtendedVirtual;
};
static_assert(sizeof(MemoryStatus) == 64);

// Fills the record; false when its length field is wrong or the system cannot tell.
//
// On this system: physical memory from sysinfo and MemAvailable of /proc/meminfo;
// the commit limit and what is left of it from CommitLimit and Committed_AS when the
// kernel enforces it (overcommit mode 2), otherwise physical memory plus swap, and
// available memory plus free swap; the address space from the address-space limit
// (or the 47-bit user space) less the process's VmSize.
bool queryMemoryStatus(MemoryStatus& status);

namespace testing {
// Every later query answers with this record (the length field is ignored).
void setMemoryStatus(const MemoryStatus& status);
// Queries ask the system again.
void clearMemoryStatus();
}  // namespace testing

}  // namespace rvl::platform
