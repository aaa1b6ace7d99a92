// A scratch directory for tests (and fuzz targets) that write files: a fresh, private
// directory under the system's temporary folder (TMPDIR when it is set, else /tmp),
// removed with everything in it when the Scratch ends; and small file helpers.
// Free of GoogleTest, so the fuzz targets can use it too.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rvl::test {

class Scratch {
 public:
  explicit Scratch(std::string_view label = "ravelin") {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error || base.empty()) base = "/tmp";
    std::string pattern = (base / (std::string(label) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch directory under " + base.string());
    dir_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  // The directory itself, and a name inside it.
  const std::string& dir() const { return dir_; }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const uint8_t* bytes, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes), std::streamsize(size));
}
inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  writeBytes(path, bytes.data(), bytes.size());
}
inline void writeText(const std::string& path, std::string_view text) {
  writeBytes(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace rvl::test
