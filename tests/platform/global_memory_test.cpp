#include "platform/global_memory.h"

#include <cstring>

#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using namespace platform;
using GlobalMemoryTest = EngineTest;

TEST_F(GlobalMemoryTest, BlocksLockToTheirBytes) {
  const int64_t live = platform::testing::liveGlobalBlocks();
  GlobalBlock zeroed = globalAlloc(1000, true);
  GlobalBlock plain = globalAlloc(24, false);
  GlobalBlock empty = globalAlloc(0, true);
  ASSERT_NE(zeroed, nullptr);
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(platform::testing::liveGlobalBlocks(), live + 3);

  EXPECT_EQ(globalSize(zeroed), 1000u);
  EXPECT_EQ(globalSize(plain), 24u);
  EXPECT_EQ(globalSize(empty), 0u);
  auto* bytes = static_cast<uint8_t*>(globalLock(zeroed));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bytes) % alignof(std::max_align_t), 0u);
  for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(bytes[i], 0) << i;
  std::memset(bytes, 0x5A, 1000);
  globalUnlock(zeroed);
  EXPECT_EQ(globalLock(zeroed), bytes);  // blocks never move
  EXPECT_EQ(bytes[999], 0x5A);
  std::memset(globalLock(plain), 1, 24);
  EXPECT_NE(globalLock(empty), nullptr);

  globalFree(zeroed);
  globalFree(plain);
  globalFree(empty);
  globalFree(nullptr);
  EXPECT_EQ(platform::testing::liveGlobalBlocks(), live);
  EXPECT_EQ(rvl::testing::liveBlocks(), 0);
}

TEST_F(GlobalMemoryTest, NullHandlesAndFailedAllocations) {
  EXPECT_EQ(globalLock(nullptr), nullptr);
  EXPECT_EQ(globalSize(nullptr), 0u);
  globalUnlock(nullptr);

  const int64_t live = platform::testing::liveGlobalBlocks();
  rvl::testing::failNextAllocations(1);
  EXPECT_EQ(globalAlloc(64, true), nullptr);
  EXPECT_EQ(globalAlloc(SIZE_MAX, false), nullptr);
  EXPECT_EQ(platform::testing::liveGlobalBlocks(), live);
}

}  // namespace
}  // namespace rvl::test
