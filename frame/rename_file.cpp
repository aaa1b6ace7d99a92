#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ravelin.h"

// Renames or moves a file without ever replacing an existing one.
extern "C" int32_t RVL_RenameFile(const char* oldPath, const char* newPath) noexcept {
  if (!oldPath || !newPath) return 0;
  if (renameat2(AT_FDCWD, oldPath, AT_FDCWD, newPath, RENAME_NOREPLACE) == 0) return 1;
  if (errno != EINVAL && errno != ENOSYS) return 0;
  // The file system cannot rename without replacing: check first, then rename.
  struct stat existing {};
  if (lstat(newPath, &existing) == 0 || errno != ENOENT) return 0;
  return rename(oldPath, newPath) == 0 ? 1 : 0;
}
