#include <cstring>

#include "page/page.h"

namespace rvl {

namespace {
// Indexed by code; code 20 has no name.
constexpr const char* kModeNames[] = {
    "Normal",                  // 0
    "Multiply",                // 1
    "Screen",                  // 2
    "Darken",                  // 3
    "Lighten",                 // 4
    "Difference",              // 5
    "Negation",                // 6
    "Exclusion",               // 7
    "Overlay",                 // 8
    "Hard Light",              // 9
    "Soft Light",              // 10
    "Dodge",                   // 11
    "Burn",                    // 12
    "Reflect",                 // 13
    "Glow",                    // 14
    "Add",                     // 15
    "Subtract",                // 16
    "Texturize",               // 17
    "Texturize2",              // 18
    "Texturize3",              // 19
    nullptr,                   // 20
    "Alpha Normal",            // 21
    "Alpha Filter",            // 22
    "Alpha Black Outline",     // 23
    "Alpha Outline Tint 1",    // 24
    "Alpha Outline Tint 2",    // 25
    "Alpha Invert",            // 26
    "Alpha Shader",            // 27
    "Alpha Shader Color",      // 28
    "Alpha Shader Texture2",   // 29
    "Alpha Highlight Texture2",// 30
    "Alpha Smooth",            // 31
    "Alpha Smooth Lum",        // 32
    "Alpha Smooth Lum2",       // 33
    "Alpha Smooth Lum3",       // 34
    "Alpha Smooth Lum4",       // 35
    "Alpha Smooth Lum5",       // 36
    "Alpha Overlay Outline",   // 37
    "Alpha Highlight",         // 38
    "Layer Mask",              // 39
    "Luminance Alpha",         // 40
    "Luminance Alpha Invert",  // 41
};
constexpr int kModeCount = sizeof kModeNames / sizeof kModeNames[0];
static_assert(kModeCount == 42);
}  // namespace

int32_t mergeModeCode(const char* name) {
  if (!name) return 0;
  for (int code = 0; code < kModeCount; ++code)
    if (kModeNames[code] && std::strcmp(kModeNames[code], name) == 0) return code;
  return 0;
}

const char* mergeModeName(int32_t code) {
  return (code >= 0 && code < kModeCount) ? kModeNames[code] : nullptr;
}

}  // namespace rvl
