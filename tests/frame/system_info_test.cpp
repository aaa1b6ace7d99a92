#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using namespace rvl::platform;
using SystemInfoTest = EngineTest;

TEST_F(SystemInfoTest, ColoursAndMetricsComeFromTheSystem) {
  EXPECT_EQ(RVL_GetWindowBackgroundColor(), 0x00F0F0F0);
  EXPECT_EQ(RVL_GetWindowTextColor(), 0);
  EXPECT_GT(RVL_GetWindowCaptionSize(), 0);
  EXPECT_GT(RVL_GetWindowSmallCaptionSize(), 0);
  EXPECT_GT(RVL_GetWindowFixedFrameSize(), 0);
  platform::testing::setSystemColour(SystemColour::ButtonFace, 0x00332211);
  platform::testing::setSystemMetric(SystemMetric::CaptionHeight, 31);
  EXPECT_EQ(RVL_GetWindowBackgroundColor(), 0x00332211);
  EXPECT_EQ(RVL_GetWindowCaptionSize(), 31);
}

TEST_F(SystemInfoTest, MemoryIsReportedInWholeMegabytes) {
  const uint64_t MB = 1 << 20;
  MemoryStatus status{};
  status.totalPhys = 5 * 1024 * MB + 123;      // 5 GB and a little
  status.availPhys = MB - 1;                   // under one megabyte
  status.totalPageFile = uint64_t(6) << 40;    // 6 TB: more than 32 bits of megabytes' bytes
  status.availPageFile = 4096 * MB;
  status.totalVirtual = 128 * MB + MB / 2;
  status.availVirtual = 0;
  platform::testing::setMemoryStatus(status);
  EXPECT_EQ(RVL_GetTotalPhyMemory(), 5120u);
  EXPECT_EQ(RVL_GetAvailPhyMemory(), 0u);
  EXPECT_EQ(RVL_GetTotalPgMemory(), uint64_t(6) << 20);
  EXPECT_EQ(RVL_GetAvailPgMemory(), 4096u);
  EXPECT_EQ(RVL_GetTotalVirMemory(), 128u);
  EXPECT_EQ(RVL_GetAvailVirMemory(), 0u);
}

TEST_F(SystemInfoTest, RealMemoryStatusIsConsistent) {
  EXPECT_GT(RVL_GetTotalPhyMemory(), 0u);
  EXPECT_LE(RVL_GetAvailPhyMemory(), RVL_GetTotalPhyMemory());
  EXPECT_LE(RVL_GetAvailPgMemory(), RVL_GetTotalPgMemory());
  EXPECT_GT(RVL_GetTotalVirMemory(), 0u);
  EXPECT_LE(RVL_GetAvailVirMemory(), RVL_GetTotalVirMemory());
  MemoryStatus wrongLength{};
  wrongLength.length = 32;
  EXPECT_FALSE(queryMemoryStatus(wrongLength));
}

int32_t compositionOn(int32_t* enabled) {
  *enabled = 1;
  return 0;
}
int32_t compositionOff(int32_t* enabled) {
  *enabled = 0;
  return 0;
}
int32_t compositionFails(int32_t* enabled) {
  *enabled = 1;
  return -2147467259;  // a failure status
}

TEST_F(SystemInfoTest, CompositionQueryLoadsTheLibraryAtCallTime) {
  EXPECT_EQ(RVL_IsCompositionEnabled(), 0);  // no such library here

  struct Case {
    const char* entryName;
    void* entry;
    int32_t expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, 0},
      {"DwmIsCompositionEnabled", reinterpret_cast<void*>(&compositionOn), 1},
      {"DwmIsCompositionEnabled", reinterpret_cast<void*>(&compositionOff), 0},
      {"DwmIsCompositionEnabled", reinterpret_cast<void*>(&compositionFails), 0},
  };
  for (const Case& c : cases) {
    platform::testing::installSystemLibrary("dwmapi.dll", c.entryName, c.entry);
    EXPECT_EQ(RVL_IsCompositionEnabled(), c.expected) << (c.entryName ? c.entryName : "no entry");
    EXPECT_EQ(platform::testing::openLibraryCount(), 0) << "the library is released again";
  }
}

TEST_F(SystemInfoTest, DirectoryInfoIsTheSystemDirectory) {
  EXPECT_STREQ(RVL_GetDirInfo(), "/etc");
}

}  // namespace
}  // namespace rvl::test
