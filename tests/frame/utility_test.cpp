#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "frame/random.h"
#include "support/engine_fixture.h"
#include "support/file_scratch.h"

namespace rvl::test {
namespace {

using UtilityTest = EngineTest;

TEST_F(UtilityTest, MemoryBlocks) {
  char* block = static_cast<char*>(RVL_Alloc(16));
  ASSERT_NE(block, nullptr);
  RVL_Memcpy(block, "fifteen letters", 16);
  EXPECT_STREQ(block, "fifteen letters");
  RVL_Memcpy(nullptr, block, 16);
  RVL_Memcpy(block, nullptr, 16);
  RVL_Memcpy(block, "xx", -3);
  EXPECT_STREQ(block, "fifteen letters");
  RVL_Free(block);
  RVL_Free(nullptr);

  EXPECT_EQ(RVL_Alloc(-1), nullptr);
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(RVL_Alloc(64), nullptr);
  void* zero = RVL_Alloc(0);
  EXPECT_NE(zero, nullptr);
  RVL_Free(zero);

  EXPECT_EQ(BankAdrs(-5), -5);
  EXPECT_EQ(BankAdrs(0x7fffffff), 0x7fffffff);
}

class RenameTest : public EngineTest {
 protected:
  void write(const std::string& name, const std::string& text) { std::ofstream(dir + name) << text; }
  std::string read(const std::string& name) {
    std::ifstream in(dir + name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  Scratch scratch{"ravelin-rename"};
  const std::string dir = scratch.dir();
};

TEST_F(RenameTest, RenamesButNeverReplaces) {
  write("/a", "first");
  write("/c", "third");
  RVL_SetLastError("before");
  EXPECT_EQ(RVL_RenameFile((dir + "/a").c_str(), (dir + "/b").c_str()), 1);
  EXPECT_EQ(read("/b"), "first");
  EXPECT_EQ(RVL_RenameFile((dir + "/b").c_str(), (dir + "/c").c_str()), 0);
  EXPECT_EQ(read("/b"), "first");
  EXPECT_EQ(read("/c"), "third");
  EXPECT_EQ(RVL_RenameFile((dir + "/missing").c_str(), (dir + "/d").c_str()), 0);
  EXPECT_EQ(RVL_RenameFile(nullptr, (dir + "/d").c_str()), 0);
  EXPECT_STREQ(RVL_GetLastError(), "before");
}

TEST_F(UtilityTest, RandomGeneratorIsTheClassicSequence) {
  RVL_SetRandomSeed(1);
  EXPECT_EQ(frame.randomSeed, 1);
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169};
  for (int32_t value : expected) EXPECT_EQ(nextRandom(), value);
  RVL_SetRandomSeed(0);
  EXPECT_EQ(nextRandom(), 38);
}

TEST_F(UtilityTest, RandomGeneratorIsPerThread) {
  RVL_SetRandomSeed(1);
  std::thread other([] {
    seedRandom(99);
    nextRandom();
  });
  other.join();
  EXPECT_EQ(nextRandom(), 41);
}

TEST_F(UtilityTest, AllocatorFaultHooks) {
  using namespace rvl::testing;
  failNthAllocation(2);
  void* a = engineAlloc(8);
  void* b = engineAlloc(8);
  void* c = engineAlloc(8);
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_NE(c, nullptr);

  failNthAllocation(1, /*persistent=*/true);
  EXPECT_EQ(engineAlloc(1), nullptr);
  EXPECT_EQ(engineAlloc(1), nullptr);
  clearAllocationFaults();

  failAllocationsAbove(100);
  void* small = engineAlloc(100);
  EXPECT_NE(small, nullptr);
  EXPECT_EQ(engineAlloc(101), nullptr);
  EXPECT_THROW(engineAllocOrThrow(101), OutOfMemory);
  EXPECT_EQ(allocArray<uint64_t>(SIZE_MAX / 4), nullptr);
  clearAllocationFaults();

  engineFree(a);
  engineFree(c);
  engineFree(small);
}

}  // namespace
}  // namespace rvl::test
