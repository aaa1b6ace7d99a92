// Imaging library: start and end of its four modules, and the last error.
#pragma once

#include <cstdint>

namespace rvl::imaging {

// Error codes that IS3GetLastError reports.
enum ImagingError : uint32_t {
  kNoError = 0,
  kBadArgument = 1,      // null buffer, size below 1, pitch too small, unknown format or mode
  kOutOfMemory = 2,      // a working buffer could not be had
  kOutputTooSmall = 3,   // the result does not fit the buffer given
  kCorruptData = 4,      // input data that cannot be decoded
  kLibraryFailure = 5,   // a third-party library refused the call
};

// Each module's initialisation (version-4 core, version-4 effects, version-3 core,
// version-3 effects). The key is accepted and not checked. They clear the last error
// and return non-zero.
uint32_t IS40_Initialize(uint32_t key);
uint32_t ISE40_Initialize(uint32_t key);
uint32_t IS3Initialize(uint32_t key);
uint32_t ISE3Initialize(uint32_t key);

// Shuts the version-3 core down. Nothing is held, so the other calls keep working.
// Returns non-zero.
uint32_t IS3Exit();

// The code of the last failed imaging call (0: none since initialisation). Successful
// calls leave it as it is.
uint32_t IS3GetLastError();

// Records the failure of a call; the families call it on every failing path.
void setLastError(uint32_t code);

}  // namespace rvl::imaging
