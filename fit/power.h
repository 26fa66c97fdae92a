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

// The logarithm of the last positive base taken through `LnOf` or `Power`, for code that takes
// the logarithm of one base many times (one base raised to many exponents, or a base raised and
// then its logarithm used again). The values stay exactly those without the memo: ln is the same
// function of the same base. Only positive bases are remembered, so a logarithm that faults is
// always taken afresh and faults where it would. A memo belongs to one chunk of work on one
// thread: it is never shared between threads, nor kept from one fit to the next.
struct LnMemo {
  Extended base = 0;  // 0: nothing remembered
  Extended ln = 0;
};

// ln base, from `memo` when it remembers this base (`memo` may be null).
template <class T>
T LnOf(T base, LnMemo* memo) {
  const Extended b = fp::Value(base);
  if (!memo || !(b > 0)) return fp::Ln(base);
  if (b != memo->base) {
    const T ln = fp::Ln(base);
    *memo = {b, fp::Value(ln)};
  }
  return T(memo->ln);
}

// The general power function base^x of the fits:
//   x = 0 gives 1; base = 0 with x > 0 gives 0;
//   a whole x with |x| <= 2147483647 goes through IntPower (so a negative base is accepted);
//   otherwise e^(x·ln base): a negative base is an invalid operation, a zero base with a
//   negative x a division by zero.
template <class T>
T Power(T base, T x, LnMemo* memo = nullptr) {
  const Extended xv = fp::Value(x);
  if (xv == 0) return T(Extended(1));
  if (fp::Value(base) == 0 && xv > 0) return T(Extended(0));
  // rintl(x) == x exactly when x is whole, like truncl, without switching the rounding mode.
  if (xv == rintl(xv) && fabsl(xv) <= 2147483647.0L) {
    return IntPower(base, static_cast<std::int64_t>(xv));
  }
  return fp::Exp(x * LnOf(base, memo));
}

}  // namespace tarvolen
