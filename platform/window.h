// Windows and window messages, as the engine needs them.
//
// The engine keeps one hidden internal window that hears about display and setting
// changes, and it sends redraw requests to the host's windows. On this headless system
// the windows live in a small table here: a handle is known once created, messages are
// delivered synchronously to the window's procedure, and a handle that was never
// created (or was destroyed) fails every request, as it would on a desktop.
#pragma once

#include <cstdint>

namespace rvl::platform {

using WindowHandle = void*;
using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t first,
                                intptr_t second);

// Message numbers (the values the desktop system uses).
inline constexpr uint32_t kMsgDestroy = 0x0002;
inline constexpr uint32_t kMsgSetRedraw = 0x000B;
inline constexpr uint32_t kMsgClose = 0x0010;
inline constexpr uint32_t kMsgSettingChange = 0x001A;
inline constexpr uint32_t kMsgActivateApp = 0x001C;
inline constexpr uint32_t kMsgUserChanged = 0x0054;
inline constexpr uint32_t kMsgDisplayChange = 0x007E;
inline constexpr uint32_t kMsgPowerBroadcast = 0x0218;
inline constexpr uintptr_t kPowerResumeSuspend = 7;

// Class styles and redraw flags.
inline constexpr uint32_t kClassHorizontalRedraw = 0x0002;
inline constexpr uint32_t kClassVerticalRedraw = 0x0001;
inline constexpr uint32_t kRedrawInvalidate = 0x0001;
inline constexpr uint32_t kRedrawErase = 0x0004;
inline constexpr uint32_t kRedrawAllChildren = 0x0080;
inline constexpr uint32_t kRedrawFrame = 0x0400;

inline constexpr int kStockWhiteBrush = 0;

struct WindowClass {
  const char* name;
  uint32_t style;
  WindowProc procedure;
  void* instance;
  int background;  // stock brush number
};

struct WindowDesc {
  const char* className;
  const char* title;
  uint32_t extendedStyle;
  uint32_t style;
  WindowHandle parent;
  void* instance;
};

bool registerWindowClass(const WindowClass& windowClass);
WindowHandle createWindow(const WindowDesc& desc);  // null on failure
bool destroyWindow(WindowHandle window);            // sends the destroy message first
bool isWindow(WindowHandle window);
// Delivers the message to the window's procedure; 0 for an unknown window.
intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second);
// What the system does with a message the window does not handle itself.
intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t first,
                           intptr_t second);
void postQuitMessage(int exitCode);
// Asks for the window to be redrawn; false for an unknown window.
bool redrawWindow(WindowHandle window, uint32_t flags);

namespace testing {
// A window as a host would own it (its own class, the default procedure).
WindowHandle createHostWindow();
struct WindowRecord {
  bool known;
  bool redrawEnabled;      // last set-redraw state
  int redrawRequests;      // redrawWindow calls that reached it
  uint32_t lastRedrawFlags;
  int messagesReceived;
};
WindowRecord windowRecord(WindowHandle window);
bool quitPosted(int* exitCode = nullptr);
void clearQuit();
// Fails the next class registration / window creation (load-time failure paths).
void failNextClassRegistration();
void failNextWindowCreation();
// The class record as registered (null when no such class).
const WindowClass* findWindowClass(const char* name);
// The class name and title of a window.
const char* windowClassName(WindowHandle window);
const char* windowTitle(WindowHandle window);
}  // namespace testing

}  // namespace rvl::platform
