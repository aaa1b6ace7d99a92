// Effect-script parsing: any bytes either parse into a script within the limits or are
// refused. Small scripts are also rendered and their picture turned by effect 51.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "external/fxscript/effects.h"
#include "external/fxscript/script.h"

using namespace rvl::fxscript;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Script script;
  if (!parseScript(data, size, script)) return 0;
  if (script.width < 1 || script.width > kMaxSide || script.height < 1 || script.height > kMaxSide ||
      script.layerCount < 1 || script.layerCount > kMaxLayers)
    __builtin_trap();
  int32_t header[kHeaderEntries];
  fillHeader(script, header);
  if (header[4] != script.width || header[5] != script.height) __builtin_trap();

  // Render only what stays quick: at most 256 x 256 pixels, fewer for many layers.
  const size_t pixels = static_cast<size_t>(script.width) * static_cast<size_t>(script.height);
  if (pixels * static_cast<size_t>(script.layerCount) > 256 * 256 * 2) return 0;
  std::vector<uint8_t> picture(pixels * 4);
  std::vector<double> row(static_cast<size_t>(script.width));
  renderScript(script, picture.data(), row.data());

  EffectValues values{};
  uint32_t sum = 0;
  for (size_t i = 0; i < size; ++i) sum = sum * 31 + data[i];
  values.slot[kRotateAngleSlot] = static_cast<int32_t>(sum % 1441) - 720;
  values.slot[kRotateScaleSlot] = static_cast<int32_t>((sum >> 11) % 400) + 1;
  rotatePicture(picture.data(), script.width, script.height, values);
  return 0;
}
