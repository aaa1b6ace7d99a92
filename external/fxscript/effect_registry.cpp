// The registry of numbered built-in effects. A new effect adds one row to kEffects.
#include "external/fxscript/effects.h"

namespace rvl::fxscript {

namespace {

constexpr SlotDefault kRotateDefaults[] = {{kRotateAngleSlot, 0}, {kRotateScaleSlot, 100}};

constexpr EffectEntry kEffects[] = {
    {kRotateEffect, "Rotate", rotatePicture, kRotateDefaults},
};

}  // namespace

const EffectEntry* findEffect(int32_t number) noexcept {
  for (const EffectEntry& entry : kEffects)
    if (entry.number == number) return &entry;
  return nullptr;
}

EffectValues defaultValues(const EffectEntry& entry) noexcept {
  EffectValues values{};
  for (const SlotDefault& d : entry.defaults)
    if (d.slot >= 0 && d.slot < kEffectSlots) values.slot[d.slot] = d.value;
  return values;
}

}  // namespace rvl::fxscript
