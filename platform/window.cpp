#include "platform/window.h"

#include <map>
#include <string>

namespace rvl::platform {

namespace {

struct ClassEntry {
  std::string name;
  WindowClass record;
};

struct WindowEntry {
  std::string className;
  std::string title;
  WindowProc procedure;
  testing::WindowRecord record;
};

struct WindowSystem {
  std::map<std::string, ClassEntry> classes;
  std::map<uintptr_t, WindowEntry> windows;
  uintptr_t nextHandle = 0x10010;
  bool quit = false;
  int quitCode = 0;
  bool failClass = false;
  bool failWindow = false;
};

// Constructed on first use: the library's load-time code creates a window before
// other static objects of this unit might be initialised.
WindowSystem& system() {
  static WindowSystem* instance = new WindowSystem;
  return *instance;
}

WindowEntry* find(WindowHandle window) {
  auto& windows = system().windows;
  auto it = windows.find(reinterpret_cast<uintptr_t>(window));
  return it == windows.end() ? nullptr : &it->second;
}

}  // namespace

bool registerWindowClass(const WindowClass& windowClass) {
  auto& sys = system();
  if (sys.failClass) {
    sys.failClass = false;
    return false;
  }
  if (!windowClass.name || !windowClass.procedure) return false;
  std::string name = windowClass.name;
  if (sys.classes.count(name)) return false;  // already registered
  ClassEntry entry{name, windowClass};
  auto& stored = sys.classes[name] = std::move(entry);
  stored.record.name = stored.name.c_str();
  return true;
}

WindowHandle createWindow(const WindowDesc& desc) {
  auto& sys = system();
  if (sys.failWindow) {
    sys.failWindow = false;
    return nullptr;
  }
  if (!desc.className) return nullptr;
  auto cls = sys.classes.find(desc.className);
  if (cls == sys.classes.end()) return nullptr;
  uintptr_t handle = sys.nextHandle;
  sys.nextHandle += 4;
  WindowEntry entry{cls->first, desc.title ? desc.title : "", cls->second.record.procedure,
                    {true, true, 0, 0, 0}};
  sys.windows.emplace(handle, std::move(entry));
  return reinterpret_cast<WindowHandle>(handle);
}

bool destroyWindow(WindowHandle window) {
  WindowEntry* entry = find(window);
  if (!entry) return false;
  WindowProc procedure = entry->procedure;
  procedure(window, kMsgDestroy, 0, 0);
  system().windows.erase(reinterpret_cast<uintptr_t>(window));
  return true;
}

bool isWindow(WindowHandle window) { return find(window) != nullptr; }

intptr_t sendMessage(WindowHandle window, uint32_t message, uintptr_t first, intptr_t second) {
  WindowEntry* entry = find(window);
  if (!entry) return 0;
  ++entry->record.messagesReceived;
  return entry->procedure(window, message, first, second);
}

intptr_t defaultWindowProc(WindowHandle window, uint32_t message, uintptr_t first,
                           intptr_t second) {
  (void)second;
  WindowEntry* entry = find(window);
  switch (message) {
    case kMsgSetRedraw:
      if (entry) entry->record.redrawEnabled = first != 0;
      return 0;
    case kMsgClose:
      destroyWindow(window);
      return 0;
    case kMsgPowerBroadcast:
      return 1;  // "true": the request is granted
    default:
      return 0;
  }
}

void postQuitMessage(int exitCode) {
  system().quit = true;
  system().quitCode = exitCode;
}

bool redrawWindow(WindowHandle window, uint32_t flags) {
  WindowEntry* entry = find(window);
  if (!entry) return false;
  ++entry->record.redrawRequests;
  entry->record.lastRedrawFlags = flags;
  return true;
}

namespace testing {

WindowHandle createHostWindow() {
  static const bool registered = registerWindowClass(
      WindowClass{"ravelin test host window", 0, defaultWindowProc, nullptr, kStockWhiteBrush});
  (void)registered;
  return createWindow(WindowDesc{"ravelin test host window", "host", 0, 0, nullptr, nullptr});
}

WindowRecord windowRecord(WindowHandle window) {
  WindowEntry* entry = find(window);
  return entry ? entry->record : WindowRecord{false, false, 0, 0, 0};
}

bool quitPosted(int* exitCode) {
  if (exitCode) *exitCode = system().quitCode;
  return system().quit;
}

void clearQuit() { system().quit = false; }
void failNextClassRegistration() { system().failClass = true; }
void failNextWindowCreation() { system().failWindow = true; }

const WindowClass* findWindowClass(const char* name) {
  auto it = system().classes.find(name ? name : "");
  return it == system().classes.end() ? nullptr : &it->second.record;
}

const char* windowClassName(WindowHandle window) {
  WindowEntry* entry = find(window);
  return entry ? entry->className.c_str() : nullptr;
}

const char* windowTitle(WindowHandle window) {
  WindowEntry* entry = find(window);
  return entry ? entry->title.c_str() : nullptr;
}

}  // namespace testing

}  // namespace rvl::platform
