// Row parallelism for the large pixel walks (merges and view renders): the rows of a
// rectangle are split into contiguous ranges that run on a small pool of threads, or on
// the calling thread alone when the work is too small to pay for the hand-over.
//
// The pool is oneTBB (Debian's libtbb-dev): tbb::parallel_for over ranges of rows inside
// the engine's own tbb::task_arena. oneTBB rather than OpenMP because
//  - an exception thrown in a worker reaches the caller by itself (an OpenMP region must
//    not let one escape), so a failure inside a row body stays a failure of the export;
//  - the arena caps the threads the engine uses and keeps them apart from any TBB work of
//    the host program: a thread waiting inside an export never runs the host's tasks;
//  - it is one library with the same behaviour under gcc and clang (the fuzz build), no
//    compiler runtime (libgomp or libomp) to match, and runs clean under the sanitizers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace rvl {

// A non-owning reference to a callable: what a function taking a callback needs when it
// only calls it during the call. It stays valid only while the callable it was made from
// lives (a lambda passed straight into the call is fine).
template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
             std::is_object_v<std::remove_reference_t<F>> &&
             std::is_invocable_r_v<R, std::remove_reference_t<F>&, Args...>)
  FunctionRef(F&& callable) noexcept  // NOLINT: converts implicitly, like a function pointer
      : object_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
        call_([](void* object, Args... args) -> R {
          return std::invoke(*static_cast<std::remove_reference_t<F>*>(object),
                             std::forward<Args>(args)...);
        }) {}

  R operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

 private:
  void* object_;
  R (*call_)(void*, Args...);
};

// The body of a row walk: rows firstRow up to (not including) endRow. worker is below
// parallelRowWorkers(); no two calls that run at the same time get the same worker, so a
// caller may give each worker its own scratch memory, allocated before the walk. A body
// must not allocate per row.
using RowBody = FunctionRef<void(int32_t firstRow, int32_t endRow, int32_t worker)>;

// The most threads a row walk uses at once: the machine's processors (as the process may
// use them), at most kMaxRowWorkers, or what the test hook set.
inline constexpr int32_t kMaxRowWorkers = 64;
int32_t parallelRowWorkers();

// True when parallelRows splits a walk of rowCount rows of workPerRow units each: at
// least two rows, at least minimumWork units in all, more than one worker, and not
// already inside a row body (a walk started from a body runs on the calling thread).
bool parallelRowsSplit(int32_t rowCount, int64_t workPerRow, int64_t minimumWork);

// Calls body over ranges of rows that together cover 0 .. rowCount - 1, each row exactly
// once, and returns when every range is done. Unsplit (see parallelRowsSplit) it is one
// call body(0, rowCount, 0) on the calling thread. Split, the ranges run at the same time
// in any order, so rows must not depend on each other's results. The first exception a
// body throws is thrown from here once the running ranges have stopped; ranges not yet
// started are then left out. Nothing happens for rowCount <= 0.
void parallelRows(int32_t rowCount, int64_t workPerRow, int64_t minimumWork, RowBody body);

// The work below which a whole-page pixel walk stays on the calling thread.
inline constexpr int64_t kSplitPagePixels = int64_t(1) << 18;

// Calls body(row) for every row 0 .. rowCount - 1 of a walk of columns pixels per row,
// split between workers from kSplitPagePixels pixels on (rows must be independent).
template <class Body>
void eachRowInParallel(int32_t rowCount, int32_t columns, Body&& body) {
  parallelRows(rowCount, columns, kSplitPagePixels, [&](int32_t first, int32_t end, int32_t) {
    for (int32_t row = first; row < end; ++row) body(size_t(row));
  });
}

namespace testing {
// Sets the number of row workers (1 runs everything on the calling thread); 0 returns to
// the machine's number. Not to be called during a walk.
void setParallelRowWorkers(int32_t workers);
}  // namespace testing

}  // namespace rvl
