#include "platform/memory_status.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>

#include <cstdio>
#include <cstring>

namespace rvl::platform {

namespace {

bool injected = false;
MemoryStatus injectedStatus{};

// Reads "Name:   value kB" lines; returns bytes, or -1 when the name is absent.
int64_t readKilobyteField(const char* path, const char* name) {
  FILE* file = std::fopen(path, "r");
  if (!file) return -1;
  char line[256];
  size_t nameLength = std::strlen(name);
  int64_t result = -1;
  while (std::fgets(line, sizeof line, file)) {
    if (std::strncmp(line, name, nameLength) == 0 && line[nameLength] == ':') {
      long long kilobytes = 0;
      if (std::sscanf(line + nameLength + 1, "%lld", &kilobytes) == 1) result = kilobytes * 1024;
      break;
    }
  }
  std::fclose(file);
  return result;
}

int readOvercommitMode() {
  FILE* file = std::fopen("/proc/sys/vm/overcommit_memory", "r");
  if (!file) return 0;
  int mode = 0;
  if (std::fscanf(file, "%d", &mode) != 1) mode = 0;
  std::fclose(file);
  return mode;
}

uint64_t positive(int64_t value) { return value > 0 ? static_cast<uint64_t>(value) : 0; }

}  // namespace

bool queryMemoryStatus(MemoryStatus& status) {
  if (status.length != sizeof(MemoryStatus)) return false;
  if (injected) {
    status = injectedStatus;
    status.length = sizeof(MemoryStatus);
    return true;
  }
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return false;
  uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  uint64_t totalRam = uint64_t(info.totalram) * unit;
  uint64_t freeRam = uint64_t(info.freeram) * unit;
  uint64_t totalSwap = uint64_t(info.totalswap) * unit;
  uint64_t freeSwap = uint64_t(info.freeswap) * unit;

  int64_t available = readKilobyteField("/proc/meminfo", "MemAvailable");
  uint64_t availPhys = available >= 0 ? uint64_t(available) : freeRam;

  uint64_t totalPage = totalRam + totalSwap;
  uint64_t availPage = availPhys + freeSwap;
  if (readOvercommitMode() == 2) {
    int64_t limit = readKilobyteField("/proc/meminfo", "CommitLimit");
    int64_t committed = readKilobyteField("/proc/meminfo", "Committed_AS");
    if (limit >= 0 && committed >= 0) {
      totalPage = positive(limit);
      availPage = positive(limit - committed);
    }
  }

  uint64_t totalVirtual = (uint64_t(1) << 47) - 4096;
  struct rlimit limit {};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < totalVirtual)
    totalVirtual = limit.rlim_cur;
  int64_t reserved = readKilobyteField("/proc/self/status", "VmSize");
  uint64_t availVirtual = totalVirtual > positive(reserved) ? totalVirtual - positive(reserved) : 0;

  status.memoryLoad = totalRam ? uint32_t(100 - (availPhys * 100) / totalRam) : 0;
  status.totalPhys = totalRam;
  status.availPhys = availPhys;
  status.totalPageFile = totalPage;
  status.availPageFile = availPage;
  status.totalVirtual = totalVirtual;
  status.availVirtual = availVirtual;
  status.availExtendedVirtual = 0;
  return true;
}

namespace testing {
void setMemoryStatus(const MemoryStatus& status) {
  injected = true;
  injectedStatus = status;
}
void clearMemoryStatus() { injected = false; }
}  // namespace testing

}  // namespace rvl::platform
