#pragma once

#include <cmath>
#include <cstdint>

#include "common/extended.h"
#include "common/fp_check.h"

namespace tarvolen {

// base^|exponent| by square-and-multiply (rising bits, no squaring after the last one), then the
// reciprocal for a negative exponent: a zero base with a negative exponent divides by zero.
template <class T>
T IntPower(T base, std::int64_t exponent) {
  std::uint64_t e = exponent < 0 ? static_cast<std::uint64_t>(-exponent)
                                 : static_cast<std::uint64_t>(exponent);
  T result = Extended(1);
  T square = base;
  while (e != 0) {
    if (e & 1) result = result * square;
    e >>= 1;
    if (e != 0) square = square * square;
  }
  if (exponent < 0) result = T(Extended(1)) / result;
  return result;
}

// The logarithm of the last positive base raised through `Power`, for code that raises one base
// to many exponents. The values stay exactly those without the memo: ln is the same function of
// the same base. Only positive bases are remembered, so a logarithm that faults is always taken
// afresh and faults where it would. A memo belongs to one chunk of work on one thread: it is
// never shared between threads, nor kept from one fit to the next.
struct LnMemo {
  Extended base = 0;  // 0: nothing remembered
  // fp::LnWide(base), made ready for the exact products of Power. It is read in place, field by
  // field, never copied whole: a copy would load it in wider pieces than it was stored in, which
  // waits for the stores to complete.
  ext::ReadyFactor ln;

  // Remembers b = Value(base) > 0 unless it already is. The logarithm is taken of `base`, of
  // either number type: a checked one throws before anything is remembered.
  template <class T>
  [[gnu::always_inline]] void Remember(Extended b, T base_value) {
    if (b != base) {
      ln = ext::Ready(fp::LnWide(base_value));
      base = b;
    }
  }
};

// Whether x is a whole number with |x| <= 2147483647, and which. Adding and taking away 1.5·2^63
// rounds x to an integer, like the rounding to an integer that follows, but in registers.
[[gnu::always_inline]] inline bool SmallWhole(Extended x, std::int64_t& whole) {
  if (!__builtin_islessequal(fabsl(x), 2147483647.0L)) return false;  // quiet: a NaN is not whole
  if ((x + 0x1.8p63L) - 0x1.8p63L != x) return false;
  whole = ext::RoundToInt(x);
  return true;
}

// The general power function base^x of the fits:
//   x = 0 gives 1; base = 0 with x > 0 gives 0;
//   a whole x with |x| <= 2147483647 goes through IntPower (so a negative base is accepted);
//   otherwise e^(x·ln base), of the exact product, rounded once: a negative base is an invalid
//   operation, a zero base with a negative x a division by zero.
template <class T>
[[gnu::always_inline]] inline T Power(T base, T x, LnMemo* memo = nullptr) {
  const Extended xv = fp::Value(x);
  if (xv == 0) return T(Extended(1));
  const Extended b = fp::Value(base);
  if (b == 0 && xv > 0) return T(Extended(0));
  std::int64_t whole;
  if (SmallWhole(xv, whole)) return IntPower(base, whole);
  if (memo && b > 0) {
    memo->Remember(b, base);
    return fp::ExpOfProduct(x, memo->ln);
  }
  return fp::ExpOfProduct(x, ext::Ready(fp::LnWide(base)));
}

}  // namespace tarvolen
