// System colours and metrics. A headless system has no theme: it answers with the
// classic desktop defaults, which tests may replace.
#pragma once

#include <cstdint>

namespace rvl::platform {

enum class SystemColour { ButtonFace, ButtonText };
enum class SystemMetric { CaptionHeight, SmallCaptionHeight, DialogFrameHeight };

uint32_t systemColour(SystemColour which);  // 0x00BBGGRR
int32_t systemMetric(SystemMetric which);

namespace testing {
void setSystemColour(SystemColour which, uint32_t colour);
void setSystemMetric(SystemMetric which, int32_t value);
void resetSystemMetrics();
}  // namespace testing

}  // namespace rvl::platform
