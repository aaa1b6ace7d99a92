// The library state and the nine operations (fxscript.h describes their order).
#include <cstdio>
#include <cstring>

#include "external/fxscript/effects.h"
#include "external/fxscript/fxscript.h"
#include "external/fxscript/memory.h"
#include "external/fxscript/script.h"

namespace rvl::fxscript {

namespace {

struct LibraryState {
  bool initialised;
  bool scriptLoaded;
  Script script;
  double* row;  // the working row of the loaded script: script.width doubles
  Script headerScript;  // a script read only for its header
  const EffectEntry* effect;
  EffectValues values;
};

LibraryState state{};

void dropScript() {
  deallocate(state.row);
  state.row = nullptr;
  state.scriptLoaded = false;
  state.script.width = state.script.height = state.script.layerCount = 0;
}

// Reads and parses a script file. A file larger than the largest script is no script.
bool readScriptFile(const char* path, Script& script) {
  if (!path || !*path) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  uint8_t* text = allocateArray<uint8_t>(kMaxScriptBytes + 1);
  bool ok = false;
  if (text) {
    const size_t got = std::fread(text, 1, kMaxScriptBytes + 1, file);
    ok = got <= kMaxScriptBytes && parseScript(text, got, script);
    deallocate(text);
  }
  std::fclose(file);
  return ok;
}

}  // namespace

int32_t FXR_Initialize() noexcept {
  FXR_Finish();
  state.initialised = true;
  return 1;
}

int32_t FXR_LoadScriptFromFile(const char* path) noexcept {
  if (!state.initialised) return 0;
  dropScript();
  if (!readScriptFile(path, state.script)) {
    dropScript();
    return 0;
  }
  state.scriptLoaded = true;
  return 1;
}

int32_t FXR_InitBuffers() noexcept {
  if (!state.initialised || !state.scriptLoaded) return 0;
  if (!state.row) state.row = allocateArray<double>(static_cast<size_t>(state.script.width));
  return state.row ? 1 : 0;
}

int32_t FXR_ReadScriptHeaderFromFile(const char* path, int32_t header[kHeaderEntries]) noexcept {
  if (!header) return 0;
  std::memset(header, 0, sizeof(int32_t) * kHeaderEntries);
  if (!state.initialised) return 0;
  if (!readScriptFile(path, state.headerScript)) return 0;
  fillHeader(state.headerScript, header);
  return 1;
}

int32_t FXR_ExecuteScript(uint8_t* buffer) noexcept {
  if (!buffer || FXR_InitBuffers() == 0) return 0;
  renderScript(state.script, buffer, state.row);
  return 1;
}

int32_t FXR_AddEffect(int32_t number, int32_t count) noexcept {
  if (!state.initialised || count != 1) return 0;
  const EffectEntry* entry = findEffect(number);
  if (!entry) return 0;
  state.effect = entry;
  state.values = defaultValues(*entry);
  return 1;
}

int32_t FXR_SetEffectValue(int32_t effectIndex, int32_t slot, int32_t value) noexcept {
  if (!state.initialised || !state.effect || effectIndex != 0) return 0;
  if (slot < 0 || slot >= kEffectSlots) return 0;
  state.values.slot[slot] = value;
  return 1;
}

int32_t FXR_ExecuteScriptOnImage(uint8_t* picture, int32_t width, int32_t height) noexcept {
  if (!state.initialised || !state.effect || !picture) return 0;
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return 0;
  return state.effect->run(picture, width, height, state.values) ? 1 : 0;
}

int32_t FXR_Finish() noexcept {
  const bool wasInitialised = state.initialised;
  dropScript();
  state.effect = nullptr;
  state.values = EffectValues{};
  state.initialised = false;
  return wasInitialised ? 1 : 0;
}

bool loadedScriptSize(int32_t& width, int32_t& height) noexcept {
  if (!state.initialised || !state.scriptLoaded) return false;
  width = state.script.width;
  height = state.script.height;
  return true;
}

void resetLibraryState() noexcept { FXR_Finish(); }

}  // namespace rvl::fxscript
