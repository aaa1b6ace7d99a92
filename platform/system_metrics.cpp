#include "platform/system_metrics.h"

namespace rvl::platform {

namespace {
constexpr uint32_t kDefaultColours[] = {0x00F0F0F0u, 0x00000000u};
constexpr int32_t kDefaultMetrics[] = {23, 23, 3};
uint32_t colours[] = {kDefaultColours[0], kDefaultColours[1]};
int32_t metrics[] = {kDefaultMetrics[0], kDefaultMetrics[1], kDefaultMetrics[2]};
}  // namespace

uint32_t systemColour(SystemColour which) { return colours[static_cast<int>(which)]; }
int32_t systemMetric(SystemMetric which) { return metrics[static_cast<int>(which)]; }

namespace testing {
void setSystemColour(SystemColour which, uint32_t colour) { colours[static_cast<int>(which)] = colour; }
void setSystemMetric(SystemMetric which, int32_t value) { metrics[static_cast<int>(which)] = value; }
void resetSystemMetrics() {
  for (int i = 0; i < 2; ++i) colours[i] = kDefaultColours[i];
  for (int i = 0; i < 3; ++i) metrics[i] = kDefaultMetrics[i];
}
}  // namespace testing

}  // namespace rvl::platform
