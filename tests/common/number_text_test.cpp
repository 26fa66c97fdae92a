#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/errors.h"
#include "common/fp_check.h"

namespace tarvolen {
namespace {

struct ParseCase {
  const char* text;
  char separator;
  Extended expected;
};

TEST(TextToFloat, AcceptsTheNumberForms) {
  const ParseCase cases[] = {
      {"2.5", '.', 2.5L},
      {"  2.5  ", '.', 2.5L},
      {"+7", '.', 7},
      {"-7", '.', -7},
      {"-.5", '.', -0.5L},
      {"5.", '.', 5},
      {".", '.', 0},
      {"-.", '.', 0},
      {"1e3", '.', 1000},
      {"1E+3", '.', 1000},
      {"2.5e-3", '.', 0.0025L},
      {"1e", '.', 1},
      {"1e-", '.', 1},
      {"2,5", ',', 2.5L},
      {"0.000015", '.', 0.000015L},
      {"123456789012345", '.', 123456789012345.0L},
      {"000000000000000000000000012", '.', 12},
      {"1e-5000", '.', 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToFloat(c.text, c.separator), c.expected);
  }
}

TEST(TextToFloat, RejectsEverythingElseWithTheWholeText) {
  const std::pair<const char*, char> cases[] = {
      {"", '.'},     {" ", '.'},      {"-", '.'},      {"+", '.'},        {"e5", '.'},
      {"1 2", '.'},  {"1.2.3", '.'},  {"1,5", '.'},    {"1.5", ','},      {"1,000.5", '.'},
      {"abc", '.'},  {"1x", '.'},     {"inf", '.'},    {"nan", '.'},      {"0x10", '.'},
      {"1e5e", '.'}, {"\t1", '.'},    {"1\t", '.'},    {"1e99999", '.'},  {"--1", '.'},
  };
  for (const auto& [text, separator] : cases) {
    SCOPED_TRACE(text);
    try {
      TextToFloat(text, separator);
      ADD_FAILURE() << "accepted";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

TEST(TextToFloat, RoundsCorrectlyBeyondTheExactPath) {
  // Long mantissas and large exponents take the library path; both paths round to nearest.
  EXPECT_EQ(TextToFloat("0.1", '.'), 0.1L);
  EXPECT_EQ(TextToFloat("3.14159265358979323846264338327950288", '.'),
            3.14159265358979323846264338327950288L);
  EXPECT_EQ(TextToFloat("1e300", '.'), 1e300L);
  EXPECT_EQ(TextToFloat("1e4000", '.'), 1e4000L);
  EXPECT_EQ(TextToFloat("1234567890123456789012", '.'), 1234567890123456789012.0L);
}

TEST(TextToFloat, LeavesTheFloatingPointFlagsAlone) {
  fp::Clear();
  Extended value;
  EXPECT_FALSE(TryTextToFloat("1e99999", '.', value));
  EXPECT_TRUE(TryTextToFloat("1e-99999", '.', value));
  EXPECT_TRUE(TryTextToFloat("0.0000000000000000000000000000000000001", '.', value));
  EXPECT_FALSE(fp::Raised());
}

TEST(FloatToText, GeneralFormatWithFifteenDigits) {
  const std::pair<Extended, const char*> cases[] = {
      {0, "0"},
      {2.2L, "2.2"},
      {-0.285714285714285714L, "-0.285714285714286"},
      {12.5L, "12.5"},
      {1500, "1500"},
      {0.00123L, "0.00123"},
      {0.0001L, "0.0001"},
      {0.000015L, "1.5E-5"},
      {0.00001L, "1E-5"},
      {2.5e-7L, "2.5E-7"},
      {1e15L, "1E15"},
      {1.5e15L, "1.5E15"},
      {123456789012345.0L, "123456789012345"},
      {999999999999999.0L, "999999999999999"},
      {9999999999999999.0L, "1E16"},
      {0.99999999999999999L, "1"},
      {1e-300L, "1E-300"},
      {-1e4000L, "-1E4000"},
      {0.894427190999915878563669467492510494L, "0.894427190999916"},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(expected);
    EXPECT_EQ(FloatToText(value, '.'), expected);
  }
}

TEST(FloatToText, UsesTheDecimalSeparatorGiven) {
  EXPECT_EQ(FloatToText(2.5L, ','), "2,5");
  EXPECT_EQ(FloatToText(1.5e-5L, ','), "1,5E-5");
}

TEST(FloatToText, RoundsHalfAwayFromZero) {
  // 16 significant digits, exactly representable: the 16th digit is a tie.
  EXPECT_EQ(FloatToText(1000000000000000.5L, '.'), "1E15");
  EXPECT_EQ(FloatToText(1234567890123455.0L, '.'), "1.23456789012346E15");
  EXPECT_EQ(FloatToText(-1234567890123445.0L, '.'), "-1.23456789012345E15");
}

}  // namespace
}  // namespace tarvolen
