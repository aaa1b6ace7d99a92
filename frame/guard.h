// The guard every export with a failure text runs its body under.
//
// A failure raised inside the body (an exception, including the engine allocator's
// OutOfMemory) is caught here: the export's fixed text goes into the last error text,
// the rest of the body is abandoned and the export returns its failure value. Nothing
// leaves the library. Processor faults are not caught: the engine keeps every access
// inside its buffers instead. An export that has no failure text of its own passes null:
// it still stops and returns its failure value, and leaves the last error text alone.
#pragma once

#include <type_traits>
#include <utility>

#include "frame/frame.h"

namespace rvl {

template <class Body>
auto guarded(const char* failureText, Body&& body) noexcept -> std::invoke_result_t<Body> {
  using Result = std::invoke_result_t<Body>;
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    if (failureText) setLastError(failureText);
    if constexpr (!std::is_void_v<Result>) return Result{};
  }
}

template <class Result, class Body>
Result guarded(const char* failureText, Result failureValue, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    if (failureText) setLastError(failureText);
    return failureValue;
  }
}

}  // namespace rvl
