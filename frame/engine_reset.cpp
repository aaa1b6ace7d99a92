#include "brush/brush.h"
#include "compose/compose.h"
#include "effects/ipl.h"
#include "exchange/exchange.h"
#include "external/fxscript/fxscript.h"
#include "frame/frame.h"
#include "frame/random.h"
#include "page/page.h"
#include "select/select.h"
#include "undo/undo.h"

namespace rvl {

void resetEngine() {
  resetPageState();
  resetUndoState();
  resetBrushState();
  resetIplState();
  resetExchangeState();
  fxscript::resetLibraryState();
  resetComposeState();
  resetSelectState();
  void* instance = frame.moduleInstance;
  platform::WindowHandle window = frame.internalWindow;
  frame = FrameState{};
  frame.moduleInstance = instance;
  frame.internalWindow = window;
  seedRandom(1);
}

}  // namespace rvl
