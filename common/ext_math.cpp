#include "common/ext_math.h"

namespace tarvolen::ext {

namespace detail {
namespace {

// Results that raise their fault at run time: the operands are hidden from the compiler, so the
// operation is neither folded nor moved. +∞ with overflow, +0 with underflow, -∞ with division
// by zero, +NaN with invalid operation.
Extended Hidden(Extended x) {
  asm volatile("" : "+t"(x));
  return x;
}
Extended Overflowed() {
  return Hidden(0x1p16383L) * Hidden(0x1p16383L);
}
Extended Underflowed() {
  return Hidden(0x1p-16382L) * Hidden(0x1p-16382L);
}
Extended DividedByZero() {
  return Hidden(-1) / Hidden(0);
}
Extended InvalidNaN() {
  return fabsl(Hidden(0) / Hidden(0));
}
void RaiseUnderflow() {
  Hidden(Underflowed());
}

constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;

// True for an argument that is not a number: a NaN comes back quiet (invalid operation for a
// signalling one); the encodings the arithmetic rejects (pseudo-NaN, pseudo-infinity,
// unnormal) give the default NaN with invalid operation. False for a number.
bool NotANumber(const Bits& b) {
  const unsigned e = b.sign_exponent & 0x7FFF;
  if (e == 0x7FFF) return b.significand != kIntegerBit;
  return e != 0 && !(b.significand & kIntegerBit);
}

}  // namespace

Extended ExpWide(Extended zh, Extended zl) {
  if (__builtin_isgreater(zh, 11357.0L)) return Overflowed();
  if (__builtin_isless(zh, -11400.0L)) return Underflowed();
  ExpParts e = ExpReduced<true>(zh, zl);
  if (e.hi + e.lo < 1) {  // hi + lo into [1, 2), so that 2^m decides the grid of the result
    e.hi *= 2;
    e.lo *= 2;
    --e.m;
  }
  if (e.m >= -16382) {
    // (hi + lo)·2^m in two steps: the first is exact, the second too unless it overflows.
    const std::int64_t m1 = e.m / 2;
    return ((e.hi + e.lo) * Pow2(m1)) * Pow2(e.m - m1);
  }
  // Below the normal range the result's grid is 2^-16445, which is 2^g for hi + lo: round the
  // sum once onto that grid (adding 2^(g + 63) > hi + lo moves the last place there), then
  // scale exactly.
  const std::int64_t g = -16445 - e.m;  // -62 <= g <= 3
  const Extended shift = Pow2(g + 63);
  const Extended s = shift + e.hi;
  const Extended s_error = e.hi - (s - shift);
  const Extended on_grid = (s + (s_error + e.lo)) - shift;
  RaiseUnderflow();  // e^z is never exact (z != 0): a denormal result is an inexact tiny one
  return (on_grid * Pow2(e.m + 128)) * 0x1p-128L;
}

Extended ExpSpecial(Extended x) {
  const Bits b = BitsOf(x);
  if (NotANumber(b)) return x + x;
  const unsigned e = b.sign_exponent & 0x7FFF;
  if (e == 0x7FFF) return (b.sign_exponent & 0x8000) ? 0 : x;  // e^-∞ = 0, e^∞ = ∞
  // |x| < 2^-70 (zero and denormals included): e^x rounds to 1, exactly 1 for a zero.
  if (e < 0x3FFF - 70) return 1 + x;
  return ExpWide(x, 0);
}

Extended2 LnSpecial(Extended x) {
  const Bits b = BitsOf(x);
  if (NotANumber(b)) return {x + x, 0};
  const bool negative = b.sign_exponent & 0x8000;
  if ((b.sign_exponent & 0x7FFF) == 0x7FFF) return {negative ? InvalidNaN() : x, 0};
  if (b.significand == 0) return {DividedByZero(), 0};
  if (negative) return {InvalidNaN(), 0};
  // A positive denormal (or pseudo-denormal): scaled by 2^64 into the normal range, exactly.
  const Bits s = BitsOf(x * 0x1p64L);
  const Extended2 l =
      LnReduced<true>(s.significand, static_cast<std::uint32_t>(s.sign_exponent) - 64);
  const Extended hi = l.hi + l.lo;
  return {hi, l.lo - (hi - l.hi)};
}

Extended Log10Special(Extended x) {
  const Extended2 l = LnSpecial(x);
  if (!__builtin_isfinite(l.hi)) return l.hi;
  return Log10OfLn(l);
}

Extended ExpOfProductSpecial(Extended a, Extended2 b) {
  // The product of the definition, with its faults (raised once more here: the same flags).
  const Extended z = a * b.hi;
  if (!__builtin_isfinite(z)) return ExpSpecial(z);
  const Extended size = fabsl(z);
  if (size < 0x1p-70L) return 1 + z;
  if (size > 11500) return z > 0 ? Overflowed() : Underflowed();
  // One factor is far outside [2^-16000, 2^16000]: move its power of two to the other factor,
  // exactly, so that both halves of the exact product stay in range.
  int shift;
  const Extended a_scaled = frexpl(a, &shift);
  const Extended2 b_scaled{ldexpl(b.hi, shift), ldexpl(b.lo, shift)};
  const Extended p = a_scaled * b_scaled.hi;  // = z
  const Extended zl = ProductError(a_scaled, FactorOf(b_scaled.hi, 0), p) + a_scaled * b_scaled.lo;
  if (size < 8192) {
    const ExpParts e = ExpReduced<true>(p, zl);
    return (e.hi + e.lo) * Pow2(e.m);
  }
  return ExpWide(p, zl);
}

}  // namespace detail

void Exp(std::span<const Extended> x, std::span<Extended> out) {
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = Exp(x[i]);
}

void Ln(std::span<const Extended> x, std::span<Extended> out) {
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = Ln(x[i]);
}

void Log10(std::span<const Extended> x, std::span<Extended> out) {
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = Log10(x[i]);
}

void ExpOfProduct(Extended2 factor, std::span<const Extended> x, std::span<Extended> out) {
  const ReadyFactor b = Ready(factor);  // split once
  for (std::size_t i = 0; i < x.size(); ++i) out[i] = ExpOfProduct(x[i], b);
}

void Pow(std::span<const Extended> base, std::span<const Extended> y, std::span<Extended> out) {
  for (std::size_t i = 0; i < base.size(); ++i) out[i] = Pow(base[i], y[i]);
}

}  // namespace tarvolen::ext
