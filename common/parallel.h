#pragma once

// Independent pieces of a pass spread over the processor's cores.
//
// Threading rule: worker threads inherit the floating-point control state of the thread that
// started them (rounding to nearest, 64-bit significand), and each thread has its own fault
// flags, so a piece computes the same bits on any thread and reports its own faults. Sums stay
// with the caller, in row order: only work whose result does not depend on the order is spread.
// Threads share nothing but what the caller hands them; a flag several of them write is a
// std::atomic. Caches (the logarithm memo) belong to one chunk on one thread.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>

#include "common/fp_check.h"
#include "common/progress.h"

namespace tarvolen {

// Threads a pass uses when its caller does not say: the cores there are, at most eight.
std::size_t DefaultThreadCount();

// What the passes of one piece of work (a fit) share: how many threads they may use and the
// stretch of progress they report. Each fit has its own; passed by value.
struct WorkContext {
  std::size_t threads = 0;  // the calling thread included; 0: DefaultThreadCount()
  Progress progress;

  std::size_t Threads() const { return threads == 0 ? DefaultThreadCount() : threads; }
  WorkContext Part(double from, double to) const { return {threads, progress.Part(from, to)}; }
};

// Calls `task(i)` for every i in [0, count) on up to `threads` threads (the calling thread among
// them; 0: DefaultThreadCount()) and returns when every call has returned.
//
// An exception thrown by a call ends the job: no further index is started, the calls already
// running finish, and the first exception caught is rethrown here (later ones are dropped). A
// call made from inside a task runs its indices on its own thread, one after another, as does a
// job of one index or one thread. When worker threads cannot be started (a limit on processes,
// say), the calling thread runs the indices itself: the results are the same. One job at a time
// uses the workers; a caller on another thread waits for its turn.
void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& task,
                 std::size_t threads = 0);

// The worker threads started so far (none until a job asks for them), for tests.
std::size_t StartedWorkerThreads();

namespace fp {

// Runs `chunk(first, last)` plainly for the chunks [first, last) of [0, count), each under
// `RanClean`, spread over the work's threads, and tells whether every chunk was clean. Every
// chunk runs. The caller then redoes the work in row order, checked, when one was not: that is
// where the first failing operation is found. Before each chunk the work's observer is asked
// whether to stop (then `Cancelled` ends the pass). Unless `chunk_size` says otherwise, chunks
// hold 4096 to 8192 rows, about four per thread, so that the threads finish together.
template <class Chunk>
bool CleanInParallel(std::size_t count, Chunk&& chunk, const WorkContext& work,
                     std::size_t chunk_size = 0) {
  const std::size_t threads = work.Threads();
  if (chunk_size == 0) {
    chunk_size = std::clamp<std::size_t>((count + 4 * threads - 1) / (4 * threads), 4096, 8192);
  }
  const std::size_t chunks = (count + chunk_size - 1) / chunk_size;
  const auto run = [&](std::size_t c) {
    work.progress.CheckStop();
    const std::size_t first = c * chunk_size;
    const std::size_t last = first + chunk_size < count ? first + chunk_size : count;
    return RanClean([&] { chunk(first, last); });
  };
  if (chunks <= 1 || threads == 1) {
    bool clean = true;
    for (std::size_t c = 0; c < chunks; ++c) clean = run(c) && clean;
    return clean;
  }
  std::atomic<bool> clean{true};
  ParallelFor(
      chunks,
      [&](std::size_t c) {
        if (!run(c)) clean.store(false, std::memory_order_relaxed);
      },
      threads);
  return clean.load(std::memory_order_relaxed);
}

}  // namespace fp
}  // namespace tarvolen
