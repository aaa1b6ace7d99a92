// A scratch directory for tests that write files, removed with everything in it when the
// test ends; and small file helpers.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace rvl::test {

class Scratch {
 public:
  Scratch() {
    static int serial = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("ravelin_files_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace rvl::test
