// Number to report text and back. The first 10 bytes are an extended real (its integer bit made
// consistent with its exponent, as arithmetic always leaves it); byte 11 is the decimal separator
// ("," or else "."). For every finite value: the text is a plain number of at most 15 significant
// digits, reads back without error to within the 15-digit rounding, and formatting the value
// read back gives the same text.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "common/errors.h"
#include "common/fp_check.h"
#include "common/number_text.h"
#include "fuzz_check.h"

namespace tarvolen::fuzz {
namespace {

// The digits of `text` between its sign and its exponent, leading zeros dropped.
int SignificantDigits(const std::string& text) {
  int count = 0;
  bool leading = true;
  for (const char c : text) {
    if (c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++count;
  }
  return count;
}

}  // namespace
}  // namespace tarvolen::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolen;
  using namespace tarvolen::fuzz;
  if (size < 10) return 0;
  std::uint8_t bits[16] = {};
  std::memcpy(bits, data, 10);
  const unsigned exponent_bits = (bits[9] & 0x7F) << 8 | bits[8];
  if (exponent_bits == 0x7FFF) return 0;  // infinities and NaNs are never formatted
  // The explicit integer bit: set for normal numbers, clear for subnormals and zero.
  if (exponent_bits != 0) bits[7] |= 0x80; else bits[7] &= 0x7F;
  Extended value;
  std::memcpy(&value, bits, sizeof value);
  const char sep = size > 10 && data[10] == ',' ? ',' : '.';

  const std::string text = FloatToText(value, sep);
  const std::string shown = Show(value);
  Require(!text.empty() && !ShowsNanOrInf(text), "bad text", shown + " -> " + text);
  Require(SignificantDigits(text) <= 15, "more than 15 significant digits", shown + " -> " + text);
  Require(text.find(sep == '.' ? ',' : '.') == std::string::npos, "wrong separator", text);

  Extended back = 0;
  try {
    back = TextToFloat(text, sep);
  } catch (const Exception& e) {
    Fail("a formatted number does not read back", shown + " -> " + text + ": " + e.what());
  }
  Require(std::signbit(back) == std::signbit(value) || value == 0, "sign lost",
          shown + " -> " + text);

  if (value != 0) {
    // value = 0.d1d2... x 10^e; the 15-digit rounding moves it by at most half a unit of the
    // 15th digit, and reading the text back adds at most half an extended unit.
    const Extended magnitude = std::fabs(value);
    int e = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    if (magnitude >= std::pow(10.0L, static_cast<Extended>(e))) ++e;
    if (magnitude < std::pow(10.0L, static_cast<Extended>(e - 1))) --e;
    const Extended half_unit = 0.5L * std::pow(10.0L, static_cast<Extended>(e - 15));
    const Extended allowed = half_unit * (1 + 1e-17L) +
                             std::fabs(value) * std::numeric_limits<Extended>::epsilon() +
                             std::numeric_limits<Extended>::denorm_min();
    Require(std::fabs(back - value) <= allowed, "read back too far from the value",
            shown + " -> " + text + " -> " + Show(back));
  }
  Require(FloatToText(back, sep) == text, "formatting the value read back changes the text",
          shown + " -> " + text + " -> " + FloatToText(back, sep));
  fp::Clear();
  return 0;
}
