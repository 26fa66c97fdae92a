#pragma once

// Independent pieces of a pass spread over the processor's cores.
//
// Worker threads inherit the floating-point control state of the thread that started them
// (rounding to nearest, 64-bit significand), and each thread has its own fault flags, so a piece
// computes the same bits on any thread and reports its own faults. Sums stay with the caller, in
// row order: only work whose result does not depend on the order is spread.

#include <cstddef>
#include <functional>

#include "common/fp_check.h"

namespace tarvolen {

// How many threads `ParallelFor` uses, the calling thread included: the cores there are, at most
// eight, and at most the limit below.
std::size_t WorkerCount();

// Limits the threads `ParallelFor` uses from now on (1: everything on the calling thread), for
// tests and measurements that compare a spread run with a run in one thread.
void SetWorkerLimit(std::size_t limit);

// Calls `task(i)` for every i in [0, count), spread over `WorkerCount()` threads, and returns when
// all calls have returned. `task` must not throw.
void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& task);

namespace fp {

// Runs `item(i)` plainly for every i in [0, count), in chunks spread over the worker threads, and
// tells whether every chunk ended without a fault flag and without an exception. The caller then
// redoes the work in row order, checked, when it did not: that is where the first failing
// operation is found.
template <class Item>
bool CleanInParallel(std::size_t count, Item&& item, std::size_t chunk = 8192) {
  // Items [first, last) on this thread; true when they raised no fault and threw nothing.
  const auto clean_run = [&item](std::size_t first, std::size_t last) {
    Clear();
    bool clean = false;
    try {
      for (std::size_t i = first; i < last; ++i) item(i);
      asm volatile("" ::: "memory");
      clean = !Raised();
    } catch (...) {
    }
    Clear();
    return clean;
  };
  const std::size_t chunks = (count + chunk - 1) / chunk;
  if (chunks <= 1 || WorkerCount() == 1) return clean_run(0, count);
  bool clean = true;  // written only as false, by whichever chunk fails
  ParallelFor(chunks, [&](std::size_t c) {
    const std::size_t first = c * chunk;
    if (!clean_run(first, first + chunk < count ? first + chunk : count)) {
      __atomic_store_n(&clean, false, __ATOMIC_RELAXED);
    }
  });
  return clean;
}

}  // namespace fp
}  // namespace tarvolen
