#pragma once

#include <string>

namespace rvl::test {

// A file under the repository's data/ folder.
inline std::string dataPath(const std::string& relative) {
  std::string here = __FILE__;  // .../tests/support/data_path.h
  return here.substr(0, here.rfind("/tests/")) + "/data/" + relative;
}

}  // namespace rvl::test
