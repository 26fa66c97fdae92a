#include "common/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace tarvolen {
namespace {

TEST(ParallelFor, CallsEveryIndexExactlyOnce) {
  for (const std::size_t count : {0u, 1u, 2u, 7u, 1000u}) {
    std::vector<std::atomic<int>> calls(count);
    ParallelFor(count, [&](std::size_t i) { ++calls[i]; });
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(calls[i], 1) << count << " / " << i;
  }
}

// An item that divides by zero, overflows or throws at one index makes the whole run unclean,
// wherever that index falls among the chunks; harmless items leave it clean.
TEST(CleanInParallel, SeesAFaultOrAnExceptionInAnyChunk) {
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
  for (const Case& c : cases) {
    std::vector<Extended> out(c.count);
    volatile Extended zero = 0;
    volatile Extended huge = 1e4000L;
    const bool clean = fp::CleanInParallel(c.count, [&](std::size_t i) {
      Extended v = static_cast<Extended>(i) + 1;
      if (i == c.at && c.fault == kDivide) v = v / zero;
      if (i == c.at && c.fault == kOverflow) v = huge * huge;
      if (i == c.at && c.fault == kThrow) throw std::runtime_error("item");
      out[i] = v;
    });
    EXPECT_EQ(clean, c.clean) << c.count << " " << c.at << " " << c.fault;
  }
}

}  // namespace
}  // namespace tarvolen
