#include "common/errors.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvolen {
namespace {

// A cell or a file name holding terminal codes is shown, not obeyed; the message around it and
// every printable character, in any script, stay as they are.
TEST(ErrorBoxText, ShowsControlCharactersEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"'\x1b]0;owned\x07\x1b[2J' is not a valid floating point value",
       "'\\x1b]0;owned\\x07\\x1b[2J' is not a valid floating point value."},
      {"'a\tb\r\n' is not a valid floating point value",
       "'a\\x09b\\x0d\\x0a' is not a valid floating point value."},
      {std::string("'\0\x7f' x", 6), "'\\x00\\x7f' x."},
      // C1 controls: UTF-8 encoded (CSI is U+009B), and as lone bytes of a single-byte text.
      {"'\xc2\x9b" "31m'", "'\\xc2\\x9b31m'"},
      {"'\x9b" "31m'", "'\\x9b31m'"},
      // Printable non-ASCII: continuation bytes 0x80..0x9f inside UTF-8 characters, Latin-1.
      {"'3\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xc4\x80'", "'3\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xc4\x80'"},
      {"'3\xe9' C:\\data\\x1b", "'3\xe9' C:\\data\\x1b."},
      // A control character at the end is escaped after the full stop was decided.
      {"ends with\x1b", "ends with\\x1b"},
  };
  for (const auto& [message, shown] : cases) EXPECT_EQ(ErrorBoxText(message), shown) << shown;
}

// The cause follows the message, which stays first and unchanged.
TEST(Exception, ShowsItsCauseAfterItsMessage) {
  const struct {
    std::string message, cause, shown;
  } cases[] = {
      {"'' is not a valid floating point value", "Row 3, column Y.",
       "'' is not a valid floating point value. Row 3, column Y."},
      {"Cannot open file \"a\". No such file or directory.", "Why.",
       "Cannot open file \"a\". No such file or directory. Why."},
      {"Floating point overflow", "", "Floating point overflow"},
  };
  for (const auto& c : cases) {
    Exception error(c.message);
    error.SetCause(c.cause);
    EXPECT_EQ(std::string(error.what()), c.shown);
    EXPECT_EQ(std::string(error.Message()), c.message);
    EXPECT_EQ(error.Cause(), c.cause);
    // A copy, as a rethrow on another thread makes, keeps both.
    const Exception copy = error;
    EXPECT_EQ(std::string(copy.what()), c.shown);
  }
}

}  // namespace
}  // namespace tarvolen
