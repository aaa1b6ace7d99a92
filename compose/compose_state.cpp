// The compositing state and the alpha-layer opacity setter.
#include <cmath>

#include "compose/compose.h"
#include "ravelin.h"

namespace rvl {

ComposeState compose{};

void resetComposeState() { compose = ComposeState{}; }

namespace testing {
void setViewRowReuse(bool enabled) { compose.reuseViewRows = enabled; }
void setPlainMergeOnly(bool enabled) { compose.plainMergeOnly = enabled; }
void setComposeThreads(bool enabled) { compose.mergeThreads = enabled; }
}  // namespace testing

}  // namespace rvl

extern "C" void RVL_SetAlphaLayerOpacity(int32_t percent) noexcept {
  // Percentages outside 0 to 100 are held to the 16-bit range.
  const double value = std::trunc(double(percent) * 0.01 * 65535);
  rvl::compose.alphaLayerOpacity =
      static_cast<uint16_t>(value < 0 ? 0 : value > 65535 ? 65535 : value);
}
