#include "common/parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/errors.h"

namespace tarvolen {
namespace {

TEST(ParallelFor, CallsEveryIndexExactlyOnce) {
  for (const std::size_t threads : {1u, 2u, 8u}) {
    for (const std::size_t count : {0u, 1u, 2u, 7u, 1000u}) {
      std::vector<std::atomic<int>> calls(count);
      ParallelFor(
          count, [&](std::size_t i) { ++calls[i]; }, threads);
      for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(calls[i], 1) << threads << " threads, " << count << " / " << i;
      }
    }
  }
}

// Waits until `started` reaches `wanted` or two seconds pass: a task that sees others start
// beside it shows that they run at once.
void WaitForCompany(const std::atomic<int>& started, int wanted) {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (started.load() < wanted && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// Asked for four threads, a job runs on four at once, on any machine (one core too).
TEST(ParallelFor, RunsOnAsManyThreadsAsAsked) {
  std::atomic<int> started{0};
  std::mutex mutex;
  std::set<std::thread::id> threads;
  ParallelFor(
      4,
      [&](std::size_t) {
        ++started;
        WaitForCompany(started, 4);
        std::lock_guard lock(mutex);
        threads.insert(std::this_thread::get_id());
      },
      4);
  EXPECT_EQ(threads.size(), 4u);
  EXPECT_GE(StartedWorkerThreads(), 3u);
}

// Every task throws its own error: exactly one reaches the caller, no further index starts once
// one has thrown, and the workers take the next job as usual.
TEST(ParallelFor, TheFirstExceptionReachesTheCallerAndTheRestIsAbandoned) {
  for (const std::size_t threads : {1u, 4u}) {
    std::atomic<int> started{0};
    std::string message;
    try {
      ParallelFor(
          1000,
          [&](std::size_t i) {
            ++started;
            throw std::runtime_error("index " + std::to_string(i));
          },
          threads);
    } catch (const std::runtime_error& error) {
      message = error.what();
    }
    EXPECT_EQ(message.rfind("index ", 0), 0u) << message;
    EXPECT_GE(started, 1);
    EXPECT_LE(started, static_cast<int>(threads)) << "indices started after the first error";

    std::atomic<int> calls{0};
    ParallelFor(
        100, [&](std::size_t) { ++calls; }, threads);
    EXPECT_EQ(calls, 100);
  }
}

// A task that starts a job of its own gets it done on its own thread, instead of waiting for
// the workers its own job holds.
TEST(ParallelFor, ANestedJobRunsOnTheTasksThread) {
  std::atomic<int> inner_calls{0};
  std::atomic<int> foreign{0};
  ParallelFor(
      8,
      [&](std::size_t) {
        const std::thread::id outer = std::this_thread::get_id();
        ParallelFor(
            50,
            [&](std::size_t) {
              ++inner_calls;
              if (std::this_thread::get_id() != outer) ++foreign;
            },
            4);
      },
      4);
  EXPECT_EQ(inner_calls, 8 * 50);
  EXPECT_EQ(foreign, 0);
}

// An item that divides by zero, overflows or throws at one index makes the whole run unclean,
// wherever that index falls among the chunks; harmless items leave it clean. Every item runs
// either way, but those after a failing one in its chunk.
TEST(CleanInParallel, SeesAFaultOrAnExceptionInAnyChunkAndRunsEveryItem) {
  enum Fault { kNone, kDivide, kOverflow, kThrow };
  struct Case {
    std::size_t count;
    std::size_t at;
    Fault fault;
    bool clean;
  };
  const Case cases[] = {
      {100000, 0, kNone, true},        {100000, 0, kDivide, false},
      {100000, 54321, kDivide, false}, {100000, 99999, kOverflow, false},
      {100000, 70000, kThrow, false},  {10, 9, kDivide, false},
      {0, 0, kNone, true},
  };
  constexpr std::size_t kChunk = 8192;
  for (const std::size_t threads : {1u, 4u}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(threads) + " threads, " + std::to_string(c.count) + " items, " +
                   std::to_string(c.fault) + " at " + std::to_string(c.at));
      std::vector<Extended> out(c.count);
      volatile Extended zero = 0;
      volatile Extended huge = 1e4000L;
      const bool clean = fp::CleanInParallel(
          c.count,
          [&](std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
              Extended v = static_cast<Extended>(i) + 1;
              if (i == c.at && c.fault == kDivide) v = v / zero;
              if (i == c.at && c.fault == kOverflow) v = huge * huge;
              if (i == c.at && c.fault == kThrow) throw EFitError("item");
              out[i] = v;
            }
          },
          WorkContext{threads, {}}, kChunk);
      EXPECT_EQ(clean, c.clean);
      const std::size_t chunk_end = std::min((c.at / kChunk + 1) * kChunk, c.count);
      const bool thrown = c.fault == kThrow;
      for (std::size_t i = 0; i < c.count; ++i) {
        if (thrown && i >= c.at && i < chunk_end) continue;
        if (c.fault != kNone && i == c.at) continue;
        ASSERT_EQ(out[i], static_cast<Extended>(i) + 1) << "item " << i << " did not run";
      }
    }
  }
}

// An observer that asks to stop ends the run with Cancelled, whichever thread asks it.
class StopAtOnce : public ProgressObserver {
 public:
  void Progressed(double) override {}
  bool StopRequested() const override { return true; }
};

// A cancellation or running out of memory is no fault of the data: it ends the run and reaches
// the caller.
TEST(CleanInParallel, ACancellationOrAnOutOfMemoryEndsTheRun) {
  StopAtOnce observer;
  for (const std::size_t threads : {1u, 4u}) {
    std::atomic<int> chunks{0};
    EXPECT_THROW(static_cast<void>(fp::CleanInParallel(
                     100000, [&](std::size_t, std::size_t) { ++chunks; },
                     WorkContext{threads, Progress(&observer)})),
                 Cancelled);
    EXPECT_EQ(chunks, 0);
    EXPECT_THROW(static_cast<void>(fp::CleanInParallel(
                     100000, [&](std::size_t, std::size_t) { throw std::bad_alloc(); },
                     WorkContext{threads, {}})),
                 std::bad_alloc);
  }
}

}  // namespace
}  // namespace tarvolen
