#include <cstring>
#include <string>

#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using LastErrorTest = EngineTest;

TEST_F(LastErrorTest, KeepsAtMost511CharactersAndAlwaysTerminates) {
  std::string longText(600, 'x');
  RVL_SetLastError(longText.c_str());
  EXPECT_EQ(std::strlen(RVL_GetLastError()), 511u);
  EXPECT_EQ(RVL_GetLastError()[511], 0);

  // A shorter text replaces it completely: the rest of the buffer is zero-filled.
  RVL_SetLastError("CreateImage Excpt");
  EXPECT_STREQ(RVL_GetLastError(), "CreateImage Excpt");
  for (int i = 17; i < 512; ++i) ASSERT_EQ(RVL_GetLastError()[i], 0) << i;

  RVL_SetLastError(nullptr);
  EXPECT_STREQ(RVL_GetLastError(), "");
}

TEST_F(LastErrorTest, SuccessNeverClearsTheText) {
  RVL_SetLastError("DeleteLayer Excpt");
  RVL_CreateImage(nullptr, 8, 8, 4, 0);
  ASSERT_EQ(RVL_CreateLayer(1, 8, 8), 1);
  EXPECT_STREQ(RVL_GetLastError(), "DeleteLayer Excpt");
}

TEST_F(LastErrorTest, StartDirectoryKeepsTextsShorterThan1024) {
  std::string fits(1023, 'd');
  RVL_SetStartDir(fits.c_str());
  EXPECT_EQ(std::string(frame.startDir), fits);
  std::string tooLong(1024, 'e');
  RVL_SetStartDir(tooLong.c_str());
  EXPECT_EQ(std::string(frame.startDir), fits);
  RVL_SetStartDir("/home/painter");
  EXPECT_STREQ(frame.startDir, "/home/painter");
  RVL_SetStartDir(nullptr);
  EXPECT_STREQ(frame.startDir, "/home/painter");
}

}  // namespace
}  // namespace rvl::test
