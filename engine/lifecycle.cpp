// The one table of the engine's lifecycle: for every subsystem, what it does when the page
// goes or comes, when a layer becomes current or gets its options, when memory runs out,
// and how it returns to its load-time state. Rows run bottom folder first; each event
// walks them in that order.
#include "brush/brush.h"
#include "compose/compose.h"
#include "effects/ipl.h"
#include "exchange/exchange.h"
#include "external/fxscript/fxscript.h"
#include "frame/frame.h"
#include "frame/lifecycle.h"
#include "page/page.h"
#include "select/select.h"
#include "undo/undo.h"

namespace rvl {

namespace {

struct SubsystemHooks {
  const char* name;
  void (*pageReleased)();
  void (*pageCreated)();
  void (*layerSelected)(int32_t previous, int32_t index);
  void (*layerOptionsSet)(int32_t index);
  bool (*reclaimMemory)(int32_t kilobytes);
  void (*reset)();
};

void resetEffectScriptLibrary() { fxscript::resetLibraryState(); }

constexpr SubsystemHooks kSubsystems[] = {
    // name       released                 created          selected              options set             reclaim            reset
    {"frame",    nullptr,                 nullptr,         nullptr,              nullptr,                nullptr,           resetFrameState},
    {"page",     nullptr,                 nullptr,         nullptr,              nullptr,                nullptr,           resetPageState},
    {"undo",     releaseUndoPageBuffers,  undoPageCreated, undoLayerSelected,    nullptr,                reclaimUndoMemory, resetUndoState},
    {"brush",    releaseBrushPageBuffers, nullptr,         textureLayerSelected, textureLayerOptionsSet, nullptr,           resetBrushState},
    {"compose",  nullptr,                 nullptr,         nullptr,              nullptr,                nullptr,           resetComposeState},
    {"select",   nullptr,                 nullptr,         nullptr,              nullptr,                nullptr,           resetSelectState},
    {"effects",  releaseIplBuffers,       nullptr,         nullptr,              nullptr,                nullptr,           resetIplState},
    {"exchange", nullptr,                 nullptr,         nullptr,              nullptr,                nullptr,           resetExchangeState},
    {"external", nullptr,                 nullptr,         nullptr,              nullptr,                nullptr,           resetEffectScriptLibrary},
};

}  // namespace

namespace lifecycle {

void pageReleased() {
  for (const auto& s : kSubsystems)
    if (s.pageReleased) s.pageReleased();
}

void pageCreated() {
  for (const auto& s : kSubsystems)
    if (s.pageCreated) s.pageCreated();
}

void layerSelected(int32_t previous, int32_t index) {
  for (const auto& s : kSubsystems)
    if (s.layerSelected) s.layerSelected(previous, index);
}

void layerOptionsSet(int32_t index) {
  for (const auto& s : kSubsystems)
    if (s.layerOptionsSet) s.layerOptionsSet(index);
}

bool reclaimMemory(int32_t kilobytes) {
  bool released = false;
  for (const auto& s : kSubsystems)
    if (s.reclaimMemory && s.reclaimMemory(kilobytes)) released = true;
  return released;
}

}  // namespace lifecycle

void resetEngine() {
  for (const auto& s : kSubsystems) s.reset();
}

}  // namespace rvl
