// The numbered built-in effects: each runs in place on a packed 32-bit picture (blue,
// green, red, alpha; width x 4 bytes per row) with the integer values of its slots.
// The registry maps a number to the effect and the default values its slots start with.
#pragma once

#include <cstdint>
#include <span>

#include "external/fxscript/fxscript.h"

namespace rvl::fxscript {

struct EffectValues {
  int32_t slot[kEffectSlots];
};

// Runs the effect; false (picture untouched) when it refuses its values or cannot get
// its working memory. width and height are 1..10000 and picture is not null.
using EffectRun = bool (*)(uint8_t* picture, int32_t width, int32_t height,
                           const EffectValues& values) noexcept;

struct SlotDefault {
  int32_t slot;
  int32_t value;
};

struct EffectEntry {
  int32_t number;
  const char* name;
  EffectRun run;
  std::span<const SlotDefault> defaults;  // slots not listed start at 0
};

// The entry of an effect number, or null when the library has no such effect.
const EffectEntry* findEffect(int32_t number) noexcept;

// The slot values an effect starts with when it is added.
EffectValues defaultValues(const EffectEntry& entry) noexcept;

// Effect 51, rotation (effect_rotate.cpp): slot 3 = angle in degrees, slot 4 = scale in
// percent.
inline constexpr int32_t kRotateEffect = 51;
inline constexpr int32_t kRotateAngleSlot = 3;
inline constexpr int32_t kRotateScaleSlot = 4;
bool rotatePicture(uint8_t* picture, int32_t width, int32_t height, const EffectValues& values) noexcept;

}  // namespace rvl::fxscript
