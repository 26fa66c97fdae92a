// Cell text to number. The first byte picks the decimal separator and the floating-point flags
// raised beforehand; the rest is the text. Checked: TextToFloat and TryTextToFloat agree, the error
// names the whole text, the fault flags are as before, and for "." and "," the value is the one
// the C library reads from the same number written in its own syntax (correctly rounded).

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <locale.h>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "common/fp_check.h"
#include "common/number_text.h"
#include "fuzz_check.h"

namespace tarvolen::fuzz {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The accepted syntax, read plainly and handed to strtold; false when the text is not a number.
bool ReferenceValue(std::string_view t, char sep, Extended& value) {
  std::size_t i = 0;
  std::size_t end = t.size();
  while (i < end && t[i] == ' ') ++i;
  while (end > i && t[end - 1] == ' ') --end;
  std::string c_text;
  if (i < end && (t[i] == '+' || t[i] == '-')) c_text += t[i++];
  bool any_digit = false;
  bool any_separator = false;
  for (; i < end; ++i) {
    if (IsDigit(t[i])) {
      c_text += t[i];
      any_digit = true;
    } else if (t[i] == sep && !any_separator) {
      c_text += '.';
      any_separator = true;
    } else {
      break;
    }
  }
  if (!any_digit && !any_separator) return false;
  if (i < end && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    std::string exponent = "e";
    if (i < end && (t[i] == '+' || t[i] == '-')) exponent += t[i++];
    const std::size_t first_digit = i;
    while (i < end && IsDigit(t[i])) exponent += t[i++];
    if (i > first_digit) c_text += exponent;
  }
  if (i != end) return false;
  if (!any_digit) {  // a lone separator reads as zero
    value = c_text[0] == '-' ? -0.0L : 0.0L;
    return true;
  }
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const Extended v = strtold_l(c_text.c_str(), nullptr, c_locale);
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

}  // namespace
}  // namespace tarvolen::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolen;
  using namespace tarvolen::fuzz;
  if (size < 1) return 0;
  // The first byte: "." or "," is the separator; ":" and ";" are "." and "," with an overflow
  // flag raised beforehand; any other byte is itself the separator, checked for consistency only.
  const char mode = static_cast<char>(data[0]);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool odd_separator = mode != '.' && mode != ',' && mode != ':' && mode != ';';
  const char sep = mode == ':' ? '.' : mode == ';' ? ',' : mode;
  const unsigned flags_before = (mode == ':' || mode == ';') ? fp::kOverflowBit : 0;

  fp::Clear();
  if (flags_before) std::feraiseexcept(FE_OVERFLOW);
  Extended tried = 0;
  const bool accepted = TryTextToFloat(text, sep, tried);
  Require(fp::RaisedBits() == flags_before, "TryTextToFloat changed the fault flags",
          std::string(text));

  Extended converted = 0;
  bool threw = false;
  try {
    converted = TextToFloat(text, sep);
  } catch (const EConvertError& e) {
    threw = true;
    const std::string expected = "'" + std::string(text) + "' is not a valid floating point value";
    // what() is a C string: a text with a NUL byte (which no loaded cell holds) ends there.
    Require(e.what() == expected.substr(0, expected.find('\0')), "conversion error text",
            e.what());
  }
  Require(fp::RaisedBits() == flags_before, "TextToFloat changed the fault flags",
          std::string(text));
  fp::Clear();
  Require(accepted != threw, "TextToFloat and TryTextToFloat disagree", std::string(text));
  if (accepted) {
    Require(std::isfinite(tried), "an accepted text gave a NaN or infinity", std::string(text));
    Require(converted == tried && std::signbit(converted) == std::signbit(tried),
            "TextToFloat and TryTextToFloat give different values", std::string(text));
  }
  if (odd_separator) return 0;

  Extended reference = 0;
  const bool reference_accepts = ReferenceValue(text, sep, reference);
  Require(reference_accepts == accepted,
          accepted ? "accepted a text that is not a number" : "rejected a number",
          std::string(text));
  Require(!accepted || (reference == tried && std::signbit(reference) == std::signbit(tried)),
          "value differs from the correctly rounded one",
          std::string(text) + " -> " + Show(tried) + ", expected " + Show(reference));
  return 0;
}
