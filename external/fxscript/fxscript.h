// The effect-script library: renders stored effect scripts (procedural pictures: grit
// patterns, brush tips, paper textures, backgrounds, displacement maps) and runs numbered
// built-in effects on packed 32-bit pictures in place.
//
// Every result is a 32-bit integer, non-zero for success. The library keeps one state:
// whether it is initialised, the loaded script and the one added effect with its value
// slots. Order of use and what happens outside it:
//  - FXR_Initialize starts a use (a second call starts afresh: script and effect are
//    dropped) and returns 1. Every other operation except FXR_Finish returns 0 and does
//    nothing while the library is not initialised.
//  - FXR_LoadScriptFromFile replaces the loaded script; when the file is missing, is no
//    script or is malformed it returns 0 and no script stays loaded.
//  - FXR_InitBuffers prepares the loaded script's working row; 0 without a loaded script
//    or when the row cannot be allocated. FXR_ExecuteScript prepares it itself when
//    FXR_InitBuffers was not called.
//  - FXR_ReadScriptHeaderFromFile reads a script file on its own (the loaded script is not
//    touched) and fills all 25 entries; on failure it sets all 25 to 0 and returns 0.
//  - FXR_ExecuteScript returns 0 without a loaded script or with a null buffer.
//  - FXR_AddEffect returns 0 for an unknown number or a count other than 1; on success
//    the effect becomes effect 0 with its default values, replacing an earlier one.
//  - FXR_SetEffectValue returns 0 without an added effect, for an index other than 0 or
//    for a slot outside 0..kEffectSlots-1.
//  - FXR_ExecuteScriptOnImage returns 0 without an added effect, for a null picture, a
//    side outside 1..10000, or when the effect refuses its values; the picture is then
//    untouched. The effect stays added and can run again.
//  - FXR_Finish releases everything and leaves the library uninitialised; it returns 1
//    when it ended a use, 0 when there was none.
#pragma once

#include <cstdint>

namespace rvl::fxscript {

inline constexpr int32_t kHeaderEntries = 25;
inline constexpr int32_t kEffectSlots = 32;

int32_t FXR_Initialize() noexcept;
int32_t FXR_LoadScriptFromFile(const char* path) noexcept;
int32_t FXR_InitBuffers() noexcept;
int32_t FXR_ReadScriptHeaderFromFile(const char* path, int32_t header[kHeaderEntries]) noexcept;
int32_t FXR_ExecuteScript(uint8_t* buffer) noexcept;
int32_t FXR_AddEffect(int32_t number, int32_t count) noexcept;
int32_t FXR_SetEffectValue(int32_t effectIndex, int32_t slot, int32_t value) noexcept;
int32_t FXR_ExecuteScriptOnImage(uint8_t* picture, int32_t width, int32_t height) noexcept;
int32_t FXR_Finish() noexcept;

// The size FXR_ExecuteScript renders for the loaded script (false when none is loaded):
// callers check it against the header they allocated from.
bool loadedScriptSize(int32_t& width, int32_t& height) noexcept;
// Ends any use (the engine's reset).
void resetLibraryState() noexcept;

}  // namespace rvl::fxscript
