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
      {-2, 3, -8, ""},             // a whole exponent accepts a negative base
      {-2, -2, 0.25, ""},          // reciprocal of the square-and-multiply result
      {10, -3, 1 / 1000.0L, ""},   // 1/1000, not 0.1·0.1·0.1
      {1e3000L, 1, 1e3000L, ""},   // no squaring after the last bit, so no overflow
      {2, 0.5, sqrtl(2), ""},      // e^(0.5·ln 2)
      {0, -2, 0, "Floating point division by zero"},
      {0, -2.5, 0, "Floating point division by zero"},
      {-2, 0.5, 0, "Invalid floating point operation"},
      {10, 5000, 0, "Floating point overflow"},
      // Beyond the 32-bit range a whole exponent goes through the logarithm.
      {-1, 4294967296.0L, 0, "Invalid floating point operation"},
      {1, 4294967296.0L, 1, ""},
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
      EXPECT_LE(fabsl(plain - c.expected), fabsl(c.expected) * 1e-18L);  // in extended
      EXPECT_EQ(checked, plain);
    } else {
      EXPECT_TRUE(fp::Raised());
    }
  }
}

}  // namespace
}  // namespace tarvolen
