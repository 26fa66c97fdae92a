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

// The general power function base^x of the fits:
//   x = 0 gives 1; base = 0 with x > 0 gives 0;
//   a whole x with |x| <= 2147483647 goes through IntPower (so a negative base is accepted);
//   otherwise e^(x·ln base): a negative base is an invalid operation, a zero base with a
//   negative x a division by zero.
template <class T>
T Power(T base, T x) {
  const Extended xv = fp::Value(x);
  if (xv == 0) return T(Extended(1));
  if (fp::Value(base) == 0 && xv > 0) return T(Extended(0));
  if (xv == truncl(xv) && fabsl(xv) <= 2147483647.0L) {
    return IntPower(base, static_cast<std::int64_t>(xv));
  }
  return fp::Exp(x * fp::Ln(base));
}

}  // namespace tarvolen
