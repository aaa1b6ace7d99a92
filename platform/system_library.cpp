#include "platform/system_library.h"

#include <map>
#include <string>

namespace rvl::platform {

namespace {
struct Library {
  std::map<std::string, void*> entries;
};
std::map<std::string, Library>& libraries() {
  static auto* table = new std::map<std::string, Library>;
  return *table;
}
int openCount = 0;
}  // namespace

LibraryHandle loadSystemLibrary(const char* name) {
  if (!name) return nullptr;
  auto it = libraries().find(name);
  if (it == libraries().end()) return nullptr;
  ++openCount;
  return &it->second;
}

LibraryEntry findLibraryEntry(LibraryHandle library, const char* entry) {
  if (!library || !entry) return nullptr;
  auto& entries = static_cast<Library*>(library)->entries;
  auto it = entries.find(entry);
  return it == entries.end() ? nullptr : it->second;
}

void releaseSystemLibrary(LibraryHandle library) {
  if (library) --openCount;
}

namespace testing {
void installSystemLibrary(const char* library, const char* entryName, void* entry) {
  Library& lib = libraries()[library];
  lib.entries.clear();
  if (entryName) lib.entries[entryName] = entry;
}
void removeSystemLibraries() { libraries().clear(); }
int openLibraryCount() { return openCount; }
}  // namespace testing

}  // namespace rvl::platform
