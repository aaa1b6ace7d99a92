#include "platform/directories.h"

namespace rvl::platform {

const char* systemDirectory() { return "/etc"; }

}  // namespace rvl::platform
