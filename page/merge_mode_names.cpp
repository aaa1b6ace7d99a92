// Merge-mode names to codes and back, through the merge-mode table.
#include <cstring>

#include "page/merge_mode.h"

namespace rvl {

int32_t mergeModeCode(const char* name) {
  if (!name) return codeOf(MergeMode::Normal);
  for (const MergeModeInfo& row : kMergeModes)
    if (row.name && std::strcmp(row.name, name) == 0) return codeOf(row.mode);
  return codeOf(MergeMode::Normal);
}

const char* mergeModeName(int32_t code) {
  const MergeModeInfo* row = mergeModeInfo(code);
  return row ? row->name : nullptr;
}

}  // namespace rvl
