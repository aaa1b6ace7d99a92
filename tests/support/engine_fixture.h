// Every engine test starts from, and leaves, the engine as it is at load.
#pragma once

#include <gtest/gtest.h>

#include "frame/allocator.h"
#include "frame/frame.h"
#include "platform/memory_status.h"
#include "platform/system_library.h"
#include "platform/system_metrics.h"
#include "platform/window.h"
#include "ravelin.h"

namespace rvl::test {

inline void resetAll() {
  rvl::testing::clearAllocationFaults();
  platform::testing::clearMemoryStatus();
  platform::testing::resetSystemMetrics();
  platform::testing::removeSystemLibraries();
  platform::testing::clearQuit();
  rvl::resetEngine();
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { resetAll(); }
  void TearDown() override { resetAll(); }
};

}  // namespace rvl::test
