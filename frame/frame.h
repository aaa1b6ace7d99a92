// Engine frame: load-time set-up, the internal window, the last error text.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace rvl {

struct FrameState {
  char lastError[512];        // always terminated: byte 511 is never written
  uint8_t displayChanged;     // set by the internal window, cleared by RVL_IsDisplayChanged
  char startDir[1024];
  int32_t randomSeed;
  void* moduleInstance;       // base address of the loaded library
  platform::WindowHandle internalWindow;
};

extern FrameState frame;

// The text every failing export leaves for the host.
void setLastError(const char* text);

// Load-time work: keep the instance, register the window class, create the internal window.
void onProcessAttach(void* instance);

// The internal window's procedure (exposed so tests can drive it directly).
intptr_t internalWindowProc(platform::WindowHandle window, uint32_t message, uintptr_t first,
                            intptr_t second);

inline constexpr const char* kInternalWindowClass = "Larkmoor DLL window";
inline constexpr const char* kInternalWindowTitle = "LM Internal WND";

// Returns the whole engine to its load-time state (tests use it between cases):
// every page buffer released, every subsystem's state zeroed. The internal window stays.
// (Defined with the lifecycle table, engine/lifecycle.cpp.)
void resetEngine();
// The frame's own part of that: last error, start directory and seed as at load.
void resetFrameState();

}  // namespace rvl
