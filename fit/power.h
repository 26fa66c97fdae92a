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
  // ln base as the unevaluated sum ln_hi + ln_lo (fp::LnWide). Two fields rather than one
  // pair: each is read back on its own, as it was stored, which the processor forwards from the
  // store at once.
  Extended ln_hi = 0;
  Extended ln_lo = 0;
};

// fp::LnWide(base), from `memo` when it remembers this base (`memo` may be null).
template <class T>
ext::Extended2 LnWideOf(T base, LnMemo* memo) {
  const Extended b = fp::Value(base);
  if (!memo || !(b > 0)) return fp::LnWide(base);
  if (b != memo->base) {
    const ext::Extended2 ln = fp::LnWide(base);
    memo->base = b;
    memo->ln_hi = ln.hi;
    memo->ln_lo = ln.lo;
    return ln;
  }
  return {memo->ln_hi, memo->ln_lo};
}

// ln base (the same number as fp::Ln(base)), from `memo` when it remembers this base.
template <class T>
T LnOf(T base, LnMemo* memo) {
  return T(LnWideOf(base, memo).hi);
}

// The general power function base^x of the fits:
//   x = 0 gives 1; base = 0 with x > 0 gives 0;
//   a whole x with |x| <= 2147483647 goes through IntPower (so a negative base is accepted);
//   otherwise e^(x·ln base), of the exact product, rounded once: a negative base is an invalid
//   operation, a zero base with a negative x a division by zero.
template <class T>
T Power(T base, T x, LnMemo* memo = nullptr) {
  const Extended xv = fp::Value(x);
  if (xv == 0) return T(Extended(1));
  if (fp::Value(base) == 0 && xv > 0) return T(Extended(0));
  // A quiet comparison first (a NaN is not whole), then x against its nearest integer.
  if (__builtin_islessequal(fabsl(xv), 2147483647.0L)) {
    const std::int64_t whole = ext::RoundToInt(xv);
    if (static_cast<Extended>(whole) == xv) return IntPower(base, whole);
  }
  return fp::ExpOfProduct(x, LnWideOf(base, memo));
}

}  // namespace tarvolen
