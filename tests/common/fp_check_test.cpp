#include "common/fp_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include "common/errors.h"
#include "common/progress.h"

namespace tarvolen {
namespace {

using fp::Checked;

std::string MessageOf(const std::function<void()>& body) {
  fp::Clear();
  try {
    body();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

TEST(Checked, EachFaultEndsWithItsMessage) {
  volatile Extended zero = 0, one = 1, minus_one = -1;
  const Extended big = std::numeric_limits<Extended>::max();
  const Extended tiny = std::numeric_limits<Extended>::min();
  const std::vector<std::pair<std::function<Checked()>, std::string>> cases = {
      {[&] { return Checked(one) / Checked(zero); }, "Floating point division by zero"},
      {[&] { return Checked(zero) / Checked(zero); }, "Invalid floating point operation"},
      {[&] { return fp::Ln(Checked(zero)); }, "Floating point division by zero"},
      {[&] { return fp::Ln(Checked(minus_one)); }, "Invalid floating point operation"},
      {[&] { return fp::Log10(Checked(zero)); }, "Floating point division by zero"},
      {[&] { return fp::Sqrt(Checked(minus_one)); }, "Invalid floating point operation"},
      {[&] { return Checked(big) * Checked(Extended(2)); }, "Floating point overflow"},
      {[&] { return Checked(big) + Checked(big); }, "Floating point overflow"},
      {[&] { return fp::Exp(Checked(Extended(20000))); }, "Floating point overflow"},
      // Underflow and inexact results pass.
      {[&] { return Checked(tiny) * Checked(tiny); }, ""},
      {[&] { return fp::Exp(Checked(Extended(-20000))); }, ""},
      {[&] { return Checked(one) / Checked(Extended(3)); }, ""},
  };
  for (const auto& [op, message] : cases) {
    SCOPED_TRACE(message);
    EXPECT_EQ(MessageOf([&] { op(); }), message);
  }
}

TEST(ToDouble, BeyondTheDoubleRangeIsAnOverflow) {
  EXPECT_EQ(MessageOf([] { fp::ToDouble(Checked(1e400L)); }), "Floating point overflow");
  EXPECT_EQ(MessageOf([] { fp::ToDouble(Checked(-1e400L)); }), "Floating point overflow");
  EXPECT_EQ(MessageOf([] { fp::ToDouble(Checked(1e-400L)); }), "");
}

// The first failing operation decides, even when a later one in the same block raises another
// fault.
TEST(Guarded, NamesTheFirstFailingOperation) {
  volatile Extended zero = 0;
  const Extended big = std::numeric_limits<Extended>::max();
  int runs = 0;
  const std::string message = MessageOf([&] {
    fp::Guarded([&](auto tag) {
      using T = decltype(tag);
      ++runs;
      volatile Extended sink;
      const T overflow = T(big) * T(Extended(4));  // overflow first
      sink = fp::Value(overflow - overflow);       // then inf - inf
      sink = fp::Value(T(Extended(1)) / T(zero));  // then 1/0
      (void)sink;
    });
  });
  EXPECT_EQ(message, "Floating point overflow");
  EXPECT_EQ(runs, 2);  // plain, then checked
}

TEST(Guarded, RunsOnceWhenClean) {
  int runs = 0;
  Extended result = 0;
  fp::Guarded([&](auto tag) {
    using T = decltype(tag);
    ++runs;
    result = fp::Value(T(Extended(1)) / T(Extended(4)));
  });
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(result, 0.25L);
}

// A cancelled run is no fault of the data: it ends the pass at once, without a checked rerun.
TEST(Guarded, ACancellationPassesThroughWithoutARerun) {
  int runs = 0;
  EXPECT_THROW(fp::Guarded([&](auto) {
                 ++runs;
                 throw Cancelled();
               }),
               Cancelled);
  EXPECT_EQ(runs, 1);
}

template <class T>
struct Sum {
  T total = Extended(0);
};

TEST(GuardedRows, CommitsCleanBlocksAndStopsAtTheFailingRow) {
  // 1/x over x = 10, 9, ..., 1, 0: the row x = 0 divides by zero.
  std::vector<Extended> xs;
  for (int x = 10; x >= 0; --x) xs.push_back(x);
  std::vector<std::size_t> checked_rows;
  Sum<Extended> sum{};
  const std::string message = MessageOf([&] {
    fp::GuardedRows<Sum>(
        0, xs.size(), sum,
        [&](auto tag, auto& s, std::size_t i) {
          using T = decltype(tag);
          if constexpr (std::is_same_v<T, Checked>) checked_rows.push_back(i);
          s.total = s.total + T(Extended(1)) / T(xs[i]);
        },
        4);
  });
  EXPECT_EQ(message, "Floating point division by zero");
  // Blocks [0,4) and [4,8) were clean; the last block reran checked up to its failing row.
  EXPECT_EQ(checked_rows, (std::vector<std::size_t>{8, 9, 10}));
  Extended expected = 0;
  for (int i = 0; i < 8; ++i) expected = expected + 1 / xs[i];
  EXPECT_EQ(sum.total, expected);
}

// The checked rerun of a block starts from the state committed before it, every field included:
// one the rows never change, and one of another type.
template <class T>
struct Tally {
  T total = Extended(0);
  T untouched = Extended(7);
  int rows = 0;
};

TEST(GuardedRows, TheCheckedRerunStartsFromEveryFieldOfTheCommittedState) {
  const std::vector<Extended> xs = {1, 2, 4, 8, 0, 16};
  Tally<Extended> tally{};
  int rows_at_fault = -1;
  Extended untouched_at_fault = 0;
  const std::string message = MessageOf([&] {
    fp::GuardedRows<Tally>(
        0, xs.size(), tally,
        [&](auto tag, auto& s, std::size_t i) {
          using T = decltype(tag);
          if constexpr (std::is_same_v<T, Checked>) {
            if (xs[i] == 0) {
              rows_at_fault = s.rows;
              untouched_at_fault = fp::Value(s.untouched);
            }
          }
          s.total = s.total + T(Extended(1)) / T(xs[i]);
          ++s.rows;
        },
        2);
  });
  EXPECT_EQ(message, "Floating point division by zero");
  EXPECT_EQ(rows_at_fault, 4);
  EXPECT_EQ(untouched_at_fault, 7);
  EXPECT_EQ(tally.rows, 4);
  EXPECT_EQ(tally.total, 1 + 0.5L + 0.25L + 0.125L);
}

TEST(GuardedRows, AConversionErrorAfterAFaultInItsBlockReportsTheFault) {
  Sum<Extended> sum{};
  const std::string message = MessageOf([&] {
    fp::GuardedRows<Sum>(0, 3, sum, [&](auto tag, auto& s, std::size_t i) {
      using T = decltype(tag);
      if (i == 1) s.total = fp::Ln(T(Extended(0)));
      if (i == 2) throw EConvertError("'x' is not a valid floating point value");
    });
  });
  EXPECT_EQ(message, "Floating point division by zero");
}

TEST(ErrorBoxText, AddsAFullStopAfterLettersAndDigitsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"Floating point overflow", "Floating point overflow."},
      {"Stream write error", "Stream write error."},
      {"'' is not a valid floating point value", "'' is not a valid floating point value."},
      {"Cannot open file \"/x\". No such file or directory",
       "Cannot open file \"/x\". No such file or directory."},
      {"Ends with a stop.", "Ends with a stop."},
      {"Ends with a quote'", "Ends with a quote'"},
      {"Ends with a bracket)", "Ends with a bracket)"},
      {"", ""},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorBoxText(message), shown);
}

}  // namespace
}  // namespace tarvolen
