#include "frame/frame.h"
#include "frame/random.h"

namespace rvl {

FrameState frame{};

void resetFrameState() {
  // The library's instance and the internal window belong to the process, not to a page.
  void* instance = frame.moduleInstance;
  platform::WindowHandle window = frame.internalWindow;
  frame = FrameState{};
  frame.moduleInstance = instance;
  frame.internalWindow = window;
  seedRandom(1);
}

}  // namespace rvl
