// Replays a libFuzzer target's inputs as an ordinary program, built with the normal
// compiler (and its sanitizers in the sanitizer build): every file of the folders (or the
// files) named on the command line goes once through LLVMFuzzerTestOneInput, after one
// empty input. The inputs are the target's seeds and the inputs that once made it fail
// (fuzz/seeds/<target>/), so a fixed crash stays fixed. A target fails an input by
// crashing or trapping, which ends this program abnormally.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& where) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  if (std::filesystem::is_regular_file(where, error)) {
    files.push_back(where);
  } else if (std::filesystem::is_directory(where, error)) {
    for (const auto& entry : std::filesystem::directory_iterator(where, error))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
  } else {
    std::fprintf(stderr, "fuzz replay: no input at %s\n", where.c_str());
  }
  return files;
}

// The input in a block of exactly its size, as libFuzzer hands it over, so that a read
// past its end is seen by the sanitizers.
void replay(const std::vector<char>& bytes) {
  std::unique_ptr<uint8_t[]> data(new uint8_t[std::max<size_t>(bytes.size(), 1)]);
  std::copy(bytes.begin(), bytes.end(), data.get());
  LLVMFuzzerTestOneInput(data.get(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const auto found = inputsOf(argv[i]);
    files.insert(files.end(), found.begin(), found.end());
  }
  replay({});
  for (const auto& file : files) {
    std::fprintf(stderr, "fuzz replay: %s\n", file.c_str());
    std::ifstream in(file, std::ios::binary);
    replay(std::vector<char>(std::istreambuf_iterator<char>(in), {}));
  }
  std::printf("fuzz replay: %zu inputs and the empty one passed\n", files.size());
  return 0;
}
