// Libraries of the desktop system that the engine loads at call time, by name.
//
// Nothing of the desktop exists here, so by default every load fails, which is what the
// engine expects of a system without that library. Tests install stand-in libraries
// with named entries to run the other paths.
#pragma once

#include <cstdint>

namespace rvl::platform {

using LibraryHandle = void*;
using LibraryEntry = void*;

LibraryHandle loadSystemLibrary(const char* name);  // null: not available
LibraryEntry findLibraryEntry(LibraryHandle library, const char* entry);
void releaseSystemLibrary(LibraryHandle library);

// The composition query's entry: fills the flag, returns a status (negative: failed).
using CompositionQuery = int32_t (*)(int32_t* enabled);

namespace testing {
// Makes `library` loadable with one entry (entryName may be null: the entry is missing).
void installSystemLibrary(const char* library, const char* entryName, void* entry);
void removeSystemLibraries();
// Loads not yet released.
int openLibraryCount();
}  // namespace testing

}  // namespace rvl::platform
