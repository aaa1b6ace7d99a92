// Row walks: every row exactly once in ranges that cover 0 .. n - 1, the split and inline
// thresholds, one worker slot per running range, walks started inside a body, and a
// body's exception reaching the caller (and a guarded export) from a worker thread.
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "frame/guard.h"
#include "frame/parallel_rows.h"
#include "support/engine_fixture.h"

namespace rvl::test {
namespace {

struct Range {
  int32_t first, end, worker;
  std::thread::id thread;
};

class ParallelRowsTest : public EngineTest {
 protected:
  void TearDown() override {
    rvl::testing::setParallelRowWorkers(0);
    EngineTest::TearDown();
  }
  // Every range one walk hands to its body.
  static std::vector<Range> walk(int32_t rows, int64_t workPerRow, int64_t minimumWork) {
    std::mutex lock;
    std::vector<Range> ranges;
    parallelRows(rows, workPerRow, minimumWork, [&](int32_t first, int32_t end, int32_t worker) {
      const std::lock_guard<std::mutex> hold(lock);
      ranges.push_back({first, end, worker, std::this_thread::get_id()});
    });
    return ranges;
  }
};

TEST_F(ParallelRowsTest, EveryRowExactlyOnceInRangesThatCoverTheRows) {
  struct Case {
    int32_t workers, rows;
    int64_t workPerRow, minimumWork;
    bool split;
  };
  for (const Case& c : {Case{2, 512, 512, 1 << 18, true},      // exactly the minimum
                        Case{2, 512, 511, 1 << 18, false},     // one unit short of it
                        Case{2, 2, 1 << 17, 1 << 18, true},    // two rows
                        Case{2, 1, 1 << 30, 1 << 18, false},   // one row never splits
                        Case{3, 7, 1, 0, true},                // fewer rows than ranges
                        Case{3, 4099, 1000, 1 << 17, true},
                        Case{1, 4099, 1000, 1 << 17, false},   // one worker: inline
                        Case{2, 1000, int64_t(1) << 62, INT64_MAX, true},  // no overflow
                        Case{2, 0, 1000, 0, false}, Case{2, -5, 1000, 0, false}}) {
    rvl::testing::setParallelRowWorkers(c.workers);
    ASSERT_EQ(parallelRowWorkers(), c.workers);
    const std::vector<Range> ranges = walk(c.rows, c.workPerRow, c.minimumWork);
    SCOPED_TRACE(::testing::Message() << c.workers << " workers, " << c.rows << " rows");
    if (c.rows <= 0) {
      EXPECT_TRUE(ranges.empty());
      continue;
    }
    EXPECT_EQ(parallelRowsSplit(c.rows, c.workPerRow, c.minimumWork), c.split);
    std::vector<int> seen(size_t(c.rows), 0);
    for (const Range& r : ranges) {
      ASSERT_LE(0, r.first);
      ASSERT_LT(r.first, r.end);
      ASSERT_LE(r.end, c.rows);
      ASSERT_LE(0, r.worker);
      ASSERT_LT(r.worker, c.workers);
      for (int32_t row = r.first; row < r.end; ++row) ++seen[size_t(row)];
    }
    for (int32_t row = 0; row < c.rows; ++row) ASSERT_EQ(seen[size_t(row)], 1) << "row " << row;
    if (c.split) {
      EXPECT_GT(ranges.size(), 1u);
    } else {
      ASSERT_EQ(ranges.size(), 1u);
      EXPECT_EQ(ranges[0].first, 0);
      EXPECT_EQ(ranges[0].end, c.rows);
      EXPECT_EQ(ranges[0].worker, 0);
      EXPECT_EQ(ranges[0].thread, std::this_thread::get_id());
    }
  }
}

TEST_F(ParallelRowsTest, RangesRunningAtOnceHaveTheirOwnWorker) {
  // Each worker's scratch is held while its range runs: a second range of the same worker
  // starting meanwhile would find it taken.
  for (int32_t workers : {2, 3}) {
    rvl::testing::setParallelRowWorkers(workers);
    std::atomic<bool> busy[4] = {};
    std::atomic<int> clashes{0}, running{0}, mostAtOnce{0};
    std::atomic<int64_t> rowsDone{0};
    parallelRows(600, 1, 2, [&](int32_t first, int32_t end, int32_t worker) {
      if (busy[worker].exchange(true)) ++clashes;
      const int now = ++running;
      for (int most = mostAtOnce.load(); now > most && !mostAtOnce.compare_exchange_weak(most, now);) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      rowsDone += end - first;
      --running;
      busy[worker] = false;
    });
    EXPECT_EQ(clashes.load(), 0) << workers;
    EXPECT_EQ(rowsDone.load(), 600);
    EXPECT_LE(mostAtOnce.load(), workers);
  }
}

TEST_F(ParallelRowsTest, AWalkInsideABodyRunsOnItsThread) {
  rvl::testing::setParallelRowWorkers(2);
  std::atomic<int> innerCalls{0}, wrong{0};
  parallelRows(8, 1, 0, [&](int32_t, int32_t, int32_t) {
    EXPECT_FALSE(parallelRowsSplit(100, 1 << 20, 0));
    const std::thread::id self = std::this_thread::get_id();
    parallelRows(100, 1 << 20, 0, [&](int32_t first, int32_t end, int32_t worker) {
      ++innerCalls;
      if (first != 0 || end != 100 || worker != 0 || std::this_thread::get_id() != self) ++wrong;
    });
  });
  EXPECT_EQ(innerCalls.load(), 8);
  EXPECT_EQ(wrong.load(), 0);
  // Outside a body, walks split again.
  EXPECT_TRUE(parallelRowsSplit(100, 1 << 20, 0));
}

struct RowFailure {
  int32_t row;
};

// A walk whose body throws on a thread other than the caller's: the caller's first range
// waits until another thread has taken a range, and that thread's range throws.
void walkThatFailsOnAWorker(int32_t rows) {
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<bool> otherStarted{false};
  parallelRows(rows, 1, 0, [&](int32_t first, int32_t, int32_t) {
    if (std::this_thread::get_id() == caller) {
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!otherStarted.load() && std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
      return;
    }
    otherStarted = true;
    throw RowFailure{first};
  });
}

TEST_F(ParallelRowsTest, ABodysExceptionReachesTheCaller) {
  for (int32_t workers : {2, 3}) {
    rvl::testing::setParallelRowWorkers(workers);
    bool caught = false;
    try {
      walkThatFailsOnAWorker(64);
    } catch (const RowFailure& failure) {
      caught = true;
      EXPECT_GE(failure.row, 0);
      EXPECT_LT(failure.row, 64);
    }
    EXPECT_TRUE(caught) << workers;
    // The pool takes the next walk as usual.
    std::atomic<int64_t> rows{0};
    parallelRows(1000, 1, 0, [&](int32_t first, int32_t end, int32_t) { rows += end - first; });
    EXPECT_EQ(rows.load(), 1000);
  }
  // Unsplit, the exception comes straight from the body.
  EXPECT_THROW(parallelRows(3, 1, 1000, [](int32_t, int32_t, int32_t) { throw RowFailure{0}; }),
               RowFailure);
}

TEST_F(ParallelRowsTest, AGuardedExportReportsAWorkersFailure) {
  rvl::testing::setParallelRowWorkers(2);
  const int32_t result = guarded("Walk Excpt", int32_t(-1), [] {
    walkThatFailsOnAWorker(64);
    return int32_t(1);
  });
  EXPECT_EQ(result, -1);
  EXPECT_STREQ(RVL_GetLastError(), "Walk Excpt");
}

}  // namespace
}  // namespace rvl::test
