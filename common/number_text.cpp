#include "common/number_text.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

#include <string>

#include "common/errors.h"
#include "common/fp_check.h"

namespace tarvolen {
namespace {

// 10^k is exact in the 64-bit significand for k <= 27 (5^27 < 2^64).
constexpr int kMaxExactPow10 = 27;

// With the value written as 0.d1d2... x 10^E: from E = 4934 on it exceeds the largest extended
// real (1.19e4932); up to E = -4951 it lies below half the smallest one (3.6e-4951) and rounds to
// zero.
constexpr long long kOverflowDecimalExponent = 4934;
constexpr long long kZeroDecimalExponent = -4951;

struct Pow10Table {
  Extended value[kMaxExactPow10 + 1];
  Pow10Table() {
    Extended p = 1;
    for (int k = 0; k <= kMaxExactPow10; ++k) {
      value[k] = p;
      p *= 10;
    }
  }
};

const Pow10Table& Pow10() {
  static const Pow10Table table;
  return table;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

// The slow path, for more than 19 significant digits or a large exponent: builds a plain C text
// of the accepted number (never zero here) and lets the C library round it.
bool ConvertWithLibrary(std::string_view text, std::size_t begin, std::size_t end, char sep,
                        Extended& value) {
  std::string c_text(text.substr(begin, end - begin));
  for (char& ch : c_text) {
    if (ch == sep) ch = '.';
  }
  // A trailing exponent letter (with or without a sign) has no digits: the C library would
  // stop before it anyway, but drop it so the whole text is consumed.
  while (!c_text.empty() && (c_text.back() == 'e' || c_text.back() == 'E' ||
                             c_text.back() == '+' || c_text.back() == '-')) {
    c_text.pop_back();
  }
  fp::FlagsKeeper keep;
  errno = 0;
  char* stop = nullptr;
  const Extended v = strtold_l(c_text.c_str(), &stop, CLocale());
  if (std::isinf(v)) return false;  // beyond the extended range
  value = v;
  return true;
}

}  // namespace

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

bool TryTextToFloat(std::string_view text, char sep, Extended& value) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  const std::size_t number_begin = i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= n || !(IsDigit(text[i]) || text[i] == sep)) return false;

  // Significant digits: up to 19 go into a 64-bit integer; the rest only shift the exponent.
  std::uint64_t mantissa = 0;
  int digits = 0;           // significant digits taken into the mantissa
  bool dropped = false;     // a non-zero digit did not fit into the mantissa
  long long exponent = 0;   // decimal exponent of the mantissa's last digit
  bool seen_separator = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      const int d = c - '0';
      if (digits == 0 && d == 0) {
        if (seen_separator) --exponent;
        continue;
      }
      if (digits < 19) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(d);
        ++digits;
        if (seen_separator) --exponent;
      } else {
        if (d != 0) dropped = true;
        if (!seen_separator) ++exponent;
      }
    } else if (c == sep && !seen_separator) {
      seen_separator = true;
    } else {
      break;
    }
  }
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool exp_negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
      exp_negative = text[i] == '-';
      ++i;
    }
    long long e = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
      if (e < 1000000000LL) e = e * 10 + (text[i] - '0');
    }
    exponent += exp_negative ? -e : e;
  }
  const std::size_t number_end = i;
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return false;

  if (mantissa == 0) {
    value = negative ? -0.0L : 0.0L;
    return true;
  }
  // Far outside the extended range either way: no need to hand what may be millions of digits to
  // the library.
  const long long decimal_exponent = exponent + digits;
  if (decimal_exponent >= kOverflowDecimalExponent) return false;
  if (decimal_exponent <= kZeroDecimalExponent) {
    value = negative ? -0.0L : 0.0L;
    return true;
  }
  if (!dropped) {
    // Strip trailing zeros of the mantissa into the exponent, then try the exact path: an
    // integer below 2^64 and a power of ten up to 10^27 are both exact in the significand, so
    // one multiplication or division rounds correctly.
    while (mantissa % 10 == 0 && exponent < kMaxExactPow10) {
      mantissa /= 10;
      ++exponent;
    }
    if (exponent >= -kMaxExactPow10 && exponent <= kMaxExactPow10) {
      Extended v = static_cast<Extended>(mantissa);
      if (exponent >= 0) {
        v *= Pow10().value[exponent];
      } else {
        v /= Pow10().value[-exponent];
      }
      value = negative ? -v : v;
      return true;
    }
  }
  return ConvertWithLibrary(text, number_begin, number_end, sep, value);
}

void ThrowNotAFloat(std::string_view text) {
  std::string message;
  message.reserve(text.size() + 40);
  message += '\'';
  message += text;
  message += "' is not a valid floating point value";
  throw EConvertError(message);
}

Extended TextToFloat(std::string_view text, char decimal_separator) {
  Extended value;
  if (!TryTextToFloat(text, decimal_separator, value)) ThrowNotAFloat(text);
  return value;
}

Extended CellToFloat(std::string_view text, char decimal_separator, int column, int row) {
  Extended value;
  if (TryTextToFloat(text, decimal_separator, value)) return value;
  try {
    ThrowNotAFloat(text);
  } catch (EConvertError& error) {
    error.SetCause("Row " + std::to_string(row) + ", column " + (column == 1 ? "X" : "Y") + ".");
    throw;
  }
}

std::string FloatToText(Extended value, char sep) {
  if (value == 0) return "0";
  fp::FlagsKeeper keep;
  const bool negative = value < 0;
  // 41 significant digits, exact up to the last one; rounding to 15 then looks at digit 16
  // and rounds half away from zero.
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%.40Le", negative ? -value : value);
  char digits[42];
  int count = 0;
  const char* p = buffer;
  for (; *p && *p != 'e'; ++p) {
    if (IsDigit(*p)) digits[count++] = *p;
  }
  int exp10 = std::atoi(p + 1);  // value = d.ddd x 10^exp10
  constexpr int kPrecision = 15;
  if (digits[kPrecision] >= '5') {
    int k = kPrecision - 1;
    while (k >= 0 && digits[k] == '9') digits[k--] = '0';
    if (k >= 0) {
      ++digits[k];
    } else {
      digits[0] = '1';
      ++exp10;
    }
  }
  int used = kPrecision;
  while (used > 1 && digits[used - 1] == '0') --used;
  const int e = exp10 + 1;  // value = 0.d1d2... x 10^e

  std::string out;
  if (negative) out += '-';
  if (e >= -3 && e <= 15) {
    if (e >= 1) {
      for (int k = 0; k < e; ++k) out += k < used ? digits[k] : '0';
      if (used > e) {
        out += sep;
        out.append(digits + e, digits + used);
      }
    } else {
      out += '0';
      out += sep;
      out.append(static_cast<std::size_t>(-e), '0');
      out.append(digits, digits + used);
    }
  } else {
    out += digits[0];
    if (used > 1) {
      out += sep;
      out.append(digits + 1, digits + used);
    }
    out += 'E';
    if (e - 1 < 0) out += '-';
    out += std::to_string(std::abs(e - 1));
  }
  return out;
}

}  // namespace tarvolen
