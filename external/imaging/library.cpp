// Start and end of the imaging library. No module holds resources, so initialisation
// and exit only reset the error state.
#include "external/imaging/library.h"

namespace rvl::imaging {

namespace {
uint32_t lastError = kNoError;

uint32_t initialise() {
  lastError = kNoError;
  return 1;
}
}  // namespace

uint32_t IS40_Initialize(uint32_t) { return initialise(); }
uint32_t ISE40_Initialize(uint32_t) { return initialise(); }
uint32_t IS3Initialize(uint32_t) { return initialise(); }
uint32_t ISE3Initialize(uint32_t) { return initialise(); }

uint32_t IS3Exit() { return 1; }

uint32_t IS3GetLastError() { return lastError; }

void setLastError(uint32_t code) { lastError = code; }

}  // namespace rvl::imaging
