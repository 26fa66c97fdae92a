#include "fit/power.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tarvolen {
namespace {

// base^x through both number types: the plain value, and the checked run's error message ("" when
// it succeeds with the same value).
TEST(Power, FollowsTheRulesOfTheGeneralPowerFunction) {
  struct Case {
    long double base, x, expected;
    const char* message;
  };
  const Case cases[] = {
      {5, 0, 1, ""},
      {0, 0, 1, ""},
      {-3, 0, 1, ""},
      {0, 2.5, 0, ""},
      {0, 3, 0, ""},
      {2, 10, 1024, ""},
      {-2, 3, -8, ""},            // a whole exponent accepts a negative base
      {-2, -2, 0.25, ""},         // reciprocal of the square-and-multiply result
      {10, -3, 1 / 1000.0L, ""},  // 1/1000, not 0.1·0.1·0.1
      {1e3000L, 1, 1e3000L, ""},  // no squaring after the last bit, so no overflow
      {2, 0.5, sqrtl(2), ""},     // e^(0.5·ln 2)
      {0, -2, 0, "Floating point division by zero"},
      {0, -2.5, 0, "Floating point division by zero"},
      {-2, 0.5, 0, "Invalid floating point operation"},
      {10, 5000, 0, "Floating point overflow"},
      // Beyond the 32-bit range a whole exponent goes through the logarithm.
      {-1, 4294967296.0L, 0, "Invalid floating point operation"},
      {1, 4294967296.0L, 1, ""},
      // The edges of the whole-exponent range, and values just off a whole number.
      {-1, 2147483647.0L, -1, ""},
      {-1, -2147483647.0L, -1, ""},
      {-1, 2147483648.0L, 0, "Invalid floating point operation"},
      {-2, 3 + 0x1p-60L, 0, "Invalid floating point operation"},
      {2, 3 + 0x1p-60L, 8 + 0x1p-57L * 0.69314718055994530942L, ""},
      // e^(x·ln b) of the exact product: 10^1000.5 is rounded once, not after a product
      // x·ln 10 ≈ 2303.7 whose own rounding would cost about 2000 units in the last place.
      {10, 1000.5L, 3.16227766016837933200e1000L, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<double>(c.base)) + " ^ " +
                 std::to_string(static_cast<double>(c.x)));
    std::string message;
    long double checked = 0;
    fp::Clear();
    try {
      checked = Power(fp::Checked(c.base), fp::Checked(c.x)).v;
    } catch (const Exception& error) {
      message = error.what();
    }
    EXPECT_EQ(message, c.message);
    fp::Clear();
    const long double plain = Power(c.base, c.x);
    if (message.empty()) {
      EXPECT_FALSE(fp::Raised());
      EXPECT_LE(fabsl(plain - c.expected), fabsl(c.expected) * 1e-19L);  // in extended
      EXPECT_EQ(checked, plain);
    } else {
      EXPECT_TRUE(fp::Raised());
    }
  }
}

// A memo changes no value: the remembered logarithm of a base is the one taken afresh, and a base
// that faults is never remembered.
TEST(Power, TheLogarithmMemoGivesTheValuesOfAFreshLogarithm) {
  const long double bases[] = {1.5L, 1.5L,   0.1L,   -2,          -2,        1.5L,     0,
                               0,    7e300L, 7e300L, 0x1p-16440L, HUGE_VALL, HUGE_VALL};
  const long double exponents[] = {0.25L, -3.75L, 1e3L + 0.5L, 17.125L};
  LnMemo memo;
  for (const long double base : bases) {
    for (const long double x : exponents) {
      SCOPED_TRACE(std::to_string(static_cast<double>(base)) + " ^ " +
                   std::to_string(static_cast<double>(x)));
      fp::Clear();
      const long double fresh = Power(base, x);
      const bool fresh_raised = fp::Raised();
      fp::Clear();
      const long double remembered = Power(base, x, &memo);
      EXPECT_EQ(fp::Raised(), fresh_raised);
      if (!std::isnan(fresh)) {
        EXPECT_EQ(remembered, fresh);
        if (base > 0) {
          EXPECT_EQ(memo.ln.hi, fp::Ln(base)) << "the remembered logarithm";
        }
      }
    }
  }
  fp::Clear();
}

}  // namespace
}  // namespace tarvolen
