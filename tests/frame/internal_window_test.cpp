#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

using namespace rvl::platform;
using InternalWindowTest = EngineTest;

TEST_F(InternalWindowTest, IsCreatedAtLoadWithItsClassAndTitle) {
  ASSERT_NE(frame.internalWindow, nullptr);
  EXPECT_TRUE(isWindow(frame.internalWindow));
  EXPECT_STREQ(platform::testing::windowClassName(frame.internalWindow), "Larkmoor DLL window");
  EXPECT_STREQ(platform::testing::windowTitle(frame.internalWindow), "LM Internal WND");
  const WindowClass* cls = platform::testing::findWindowClass("Larkmoor DLL window");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->style, kClassHorizontalRedraw | kClassVerticalRedraw);
  EXPECT_EQ(cls->background, kStockWhiteBrush);
  EXPECT_EQ(cls->instance, frame.moduleInstance);
}

TEST_F(InternalWindowTest, MessagesThatSetTheDisplayFlag) {
  struct Case {
    uint32_t message;
    uintptr_t first;
    bool sets;
  };
  const Case cases[] = {
      {kMsgSettingChange, 0, true},      {kMsgUserChanged, 0, true},
      {kMsgDisplayChange, 32, true},     {kMsgActivateApp, 1, true},
      {kMsgActivateApp, 0, false},       {kMsgPowerBroadcast, kPowerResumeSuspend, true},
      {kMsgPowerBroadcast, 4, false},    {kMsgPowerBroadcast, 18, false},
      {0x0200 /* mouse move */, 0, false},
  };
  for (const Case& c : cases) {
    sendMessage(frame.internalWindow, c.message, c.first, 0);
    EXPECT_EQ(RVL_IsDisplayChanged(), c.sets ? 1 : 0) << std::hex << c.message << " " << c.first;
    EXPECT_EQ(RVL_IsDisplayChanged(), 0);
  }
}

TEST_F(InternalWindowTest, TwoChangesAreReportedOnce) {
  sendMessage(frame.internalWindow, kMsgDisplayChange, 0, 0);
  sendMessage(frame.internalWindow, kMsgSettingChange, 0, 0);
  EXPECT_EQ(RVL_IsDisplayChanged(), 1);
  EXPECT_EQ(RVL_IsDisplayChanged(), 0);
}

TEST_F(InternalWindowTest, CloseDestroysTheWindowAndPostsQuit) {
  // A second window of the same class, so the engine's own window stays.
  WindowHandle window = createWindow(WindowDesc{kInternalWindowClass, "second", 0, 0, nullptr, nullptr});
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(sendMessage(window, kMsgClose, 0, 0), 0);
  EXPECT_FALSE(isWindow(window));
  int code = -1;
  EXPECT_TRUE(platform::testing::quitPosted(&code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(RVL_IsDisplayChanged(), 0);
}

TEST_F(InternalWindowTest, LoadSurvivesAWindowThatCannotBeCreated) {
  WindowHandle original = frame.internalWindow;
  platform::testing::failNextWindowCreation();
  onProcessAttach(frame.moduleInstance);
  EXPECT_EQ(frame.internalWindow, nullptr);
  EXPECT_EQ(RVL_IsDisplayChanged(), 0);
  frame.internalWindow = original;
}

TEST_F(InternalWindowTest, RedrawRequestsReachKnownWindowsOnly) {
  WindowHandle host = platform::testing::createHostWindow();
  ASSERT_NE(host, nullptr);
  // Only the flag's low byte is sent: 0x100 turns redrawing off.
  EXPECT_EQ(RVL_SetWindowRedraw(host, 0x100), 0);
  EXPECT_FALSE(platform::testing::windowRecord(host).redrawEnabled);
  RVL_SetWindowRedraw(host, 1);
  EXPECT_TRUE(platform::testing::windowRecord(host).redrawEnabled);

  EXPECT_EQ(RVL_RedrawWindow(host), 1);
  auto record = platform::testing::windowRecord(host);
  EXPECT_EQ(record.redrawRequests, 1);
  EXPECT_EQ(record.lastRedrawFlags, kRedrawInvalidate | kRedrawErase | kRedrawAllChildren | kRedrawFrame);

  auto* unknown = reinterpret_cast<RVL_Window>(uintptr_t(0xDEAD0));
  EXPECT_EQ(RVL_RedrawWindow(unknown), 0);
  EXPECT_EQ(RVL_SetWindowRedraw(unknown, 1), 0);
  EXPECT_EQ(RVL_RedrawWindow(nullptr), 0);
  destroyWindow(host);
  EXPECT_EQ(RVL_RedrawWindow(host), 0);
}

}  // namespace
}  // namespace rvl::test
