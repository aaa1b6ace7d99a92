// Row walks split over the engine's task arena (see frame/parallel_rows.h).
#include "frame/parallel_rows.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <limits>

namespace rvl {

namespace {

// A few ranges per worker, so that a worker held up by other work on the machine leaves
// the rest of its share to the others.
inline constexpr int32_t kRangesPerWorker = 4;
inline constexpr int32_t kMaxRanges = kMaxRowWorkers * kRangesPerWorker;

int32_t machineWorkers() {
  return std::clamp(int32_t(tbb::info::default_concurrency()), int32_t(1), kMaxRowWorkers);
}

// The arena: `workers` slots, one kept for the calling thread. Its threads start with the
// first split walk and wait between walks.
struct RowPool {
  int32_t workers = machineWorkers();
  tbb::task_arena arena{workers, 1};
};

RowPool& rowPool() {
  static RowPool pool;
  return pool;
}

// Set while this thread runs a row body.
thread_local bool insideRowBody = false;

struct RowBodyScope {
  bool outer = insideRowBody;
  RowBodyScope() { insideRowBody = true; }
  ~RowBodyScope() { insideRowBody = outer; }
  RowBodyScope(const RowBodyScope&) = delete;
  RowBodyScope& operator=(const RowBodyScope&) = delete;
};

}  // namespace

int32_t parallelRowWorkers() { return rowPool().workers; }

bool parallelRowsSplit(int32_t rowCount, int64_t workPerRow, int64_t minimumWork) {
  if (rowCount < 2 || workPerRow <= 0 || insideRowBody) return false;
  const int64_t work = workPerRow > std::numeric_limits<int64_t>::max() / rowCount
                           ? std::numeric_limits<int64_t>::max()
                           : workPerRow * rowCount;
  return work >= minimumWork && parallelRowWorkers() > 1;
}

void parallelRows(int32_t rowCount, int64_t workPerRow, int64_t minimumWork, RowBody body) {
  if (rowCount <= 0) return;
  if (!parallelRowsSplit(rowCount, workPerRow, minimumWork)) {
    RowBodyScope scope;
    body(0, rowCount, 0);
    return;
  }
  RowPool& pool = rowPool();
  const int32_t ranges = std::min(rowCount, pool.workers * kRangesPerWorker);
  const auto rangeStart = [rowCount, ranges](int32_t range) {
    return int32_t(int64_t(rowCount) * range / ranges);
  };
  bool done[kMaxRanges] = {};
  std::atomic<bool> bodyFailed{false};
  const auto runRange = [&](int32_t range, int32_t worker) {
    RowBodyScope scope;
    try {
      body(rangeStart(range), rangeStart(range + 1), worker);
    } catch (...) {
      bodyFailed.store(true, std::memory_order_relaxed);
      throw;
    }
    done[range] = true;
  };
  try {
    pool.arena.execute([&] {
      tbb::parallel_for(
          tbb::blocked_range<int32_t>(0, ranges, 1),
          [&](const tbb::blocked_range<int32_t>& part) {
            // The slot of this thread in the arena: below pool.workers, held by this
            // thread alone until the range is done.
            const int32_t worker = int32_t(tbb::this_task_arena::current_thread_index());
            for (int32_t range = part.begin(); range != part.end(); ++range) runRange(range, worker);
          },
          tbb::simple_partitioner());
    });
  } catch (...) {
    // A body's exception goes to the caller (parallel_for stopped the other ranges and
    // waited for the running ones). Otherwise the pool itself failed, before or between
    // ranges: what it did not run, the calling thread runs, so every row is still walked
    // exactly once.
    if (bodyFailed.load(std::memory_order_relaxed)) throw;
    for (int32_t range = 0; range < ranges; ++range)
      if (!done[range]) runRange(range, 0);
  }
}

namespace testing {
void setParallelRowWorkers(int32_t workers) {
  RowPool& pool = rowPool();
  pool.arena.terminate();
  pool.workers = workers > 0 ? std::min(workers, kMaxRowWorkers) : machineWorkers();
  pool.arena.initialize(pool.workers, 1);
}
}  // namespace testing

}  // namespace rvl
