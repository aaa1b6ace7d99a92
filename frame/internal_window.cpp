#include "frame/guard.h"
#include "frame/frame.h"
#include "ravelin.h"

namespace rvl {

intptr_t internalWindowProc(platform::WindowHandle window, uint32_t message, uintptr_t first,
                            intptr_t second) {
  using namespace platform;
  switch (message) {
    case kMsgDestroy:
      postQuitMessage(0);
      return 0;
    case kMsgClose:
      destroyWindow(window);
      return 0;
    case kMsgSettingChange:
    case kMsgUserChanged:
    case kMsgDisplayChange:
      frame.displayChanged = 1;
      break;
    case kMsgActivateApp:
      if (first == 1) frame.displayChanged = 1;
      break;
    case kMsgPowerBroadcast:
      if (first == kPowerResumeSuspend) frame.displayChanged = 1;
      break;
    default:
      break;
  }
  return defaultWindowProc(window, message, first, second);
}

void onProcessAttach(void* instance) {
  using namespace platform;
  frame.moduleInstance = instance;
  // A failure to register or create is ignored: the library still loads, and
  // displayChanged then simply never becomes set.
  registerWindowClass(WindowClass{kInternalWindowClass, kClassHorizontalRedraw | kClassVerticalRedraw,
                                  internalWindowProc, instance, kStockWhiteBrush});
  frame.internalWindow = createWindow(
      WindowDesc{kInternalWindowClass, kInternalWindowTitle, 0, 0, nullptr, instance});
}

}  // namespace rvl

extern "C" int32_t RVL_IsDisplayChanged(void) noexcept {
  if (!rvl::frame.displayChanged) return 0;
  rvl::frame.displayChanged = 0;
  return 1;
}

extern "C" int32_t RVL_SetWindowRedraw(RVL_Window window, int32_t flag) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    return static_cast<int32_t>(rvl::platform::sendMessage(
        window, rvl::platform::kMsgSetRedraw, static_cast<uint8_t>(flag), 0));
  });
}

extern "C" int32_t RVL_RedrawWindow(RVL_Window window) noexcept {
  return rvl::guarded(nullptr, [&]() -> int32_t {
    using namespace rvl::platform;
    return redrawWindow(window, kRedrawInvalidate | kRedrawErase | kRedrawAllChildren | kRedrawFrame)
               ? 1
               : 0;
  });
}
