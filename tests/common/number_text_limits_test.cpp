// Number texts at the ends of the extended range and texts of a million digits. A data file line
// of 100 MB of digits once spent seconds in the library's conversion only to fail.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/number_text.h"

namespace tarvolen {
namespace {

// What the C library reads from `text` (C syntax), or NaN when that is beyond the extended range.
Extended LibraryValue(const std::string& text) {
  const Extended v = std::strtold(text.c_str(), nullptr);
  return std::isinf(v) ? NAN : v;
}

TEST(TextToFloatLimits, AgreesWithTheLibraryAroundTheRangeEnds) {
  const std::string million_zeros(1000000, '0');
  const std::string cases[] = {
      "1e4932", "1.18973149535723176502e4932", "1.18973149535723176503e4932",
      "1.2e4932", "9.99e4932", "0.1e4934", "1e4933", "1" + million_zeros,
      "0.9e4934", "-1e4933", "1e-4951", "1.8e-4951", "1.9e-4951", "3.6e-4951",
      "0.99e-4950", "1e-4952", "-1e-4952", "0." + million_zeros + "1",
      "1" + million_zeros + "e-1000000", "0." + million_zeros + "1e1000001",
      "12345678901234567890123456789e4904", "12345678901234567890123456789e4905",
  };
  std::setlocale(LC_NUMERIC, "C");
  for (const std::string& text : cases) {
    const std::string shown = text.size() > 40 ? text.substr(0, 20) + "..." : text;
    const Extended expected = LibraryValue(text);
    Extended value = 0;
    const bool accepted = TryTextToFloat(text, '.', value);
    EXPECT_EQ(accepted, !std::isnan(expected)) << shown;
    if (accepted && !std::isnan(expected)) {
      EXPECT_EQ(value, expected) << shown;
      EXPECT_EQ(std::signbit(value), std::signbit(expected)) << shown;
    }
  }
}

}  // namespace
}  // namespace tarvolen
