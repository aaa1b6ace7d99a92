// Well-known directories of the system.
#pragma once

namespace rvl::platform {

// The directory of the operating system's own files, where a desktop system keeps its
// settings files. Here that is /etc.
const char* systemDirectory();

}  // namespace rvl::platform
