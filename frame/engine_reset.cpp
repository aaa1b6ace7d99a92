#include "brush/brush.h"
#include "effects/ipl.h"
#include "external/fxscript/fxscript.h"
#include "frame/frame.h"
#include "frame/random.h"
#include "page/page.h"
#include "undo/undo.h"

namespace rvl {

void resetEngine() {
  resetPageState();
  resetUndoState();
  resetBrushState();
  resetIplState();
  fxscript::resetLibraryState();
  void* instance = frame.moduleInstance;
  platform::WindowHandle window = frame.internalWindow;
  frame = FrameState{};
  frame.moduleInstance = instance;
  frame.internalWindow = window;
  seedRandom(1);
}

}  // namespace rvl
