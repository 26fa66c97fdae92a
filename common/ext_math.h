#pragma once

// The exponential function and the logarithms in 80-bit extended precision, written for
// throughput, and the power function of the fits computed without rounding its intermediate
// product.
//
// Accuracy: each result is the exact value rounded once to the 64-bit significand, but for a
// small error before that rounding: Exp, Ln and Log10 stay below 0.503 units in the last place,
// ExpOfProduct and Pow below 0.52 (the logarithm's error, about 2^-90 of ln x, grows with the
// exponent it is multiplied by). All but about 1 in 10^4 results are correctly rounded (the rest
// lie that close to a midway point between two extended reals), and results that are extended
// reals (e^0, ln 1, log₁₀ 10^k, exact powers) come out exactly. The proof is tests/accuracy,
// against MPFR.
//
// Faults: invalid operation, division by zero and overflow are raised exactly where the C
// library's expl, logl and log10l raise them, and nowhere else; no internal step leaves a flag
// of its own (the one difference: for the encodings the x87 rejects, pseudo-NaN and
// pseudo-infinity, expl adds overflow to invalid operation, Exp raises invalid alone). Underflow
// is raised by results below the normal range, not by denormal arguments; inexact by almost
// every result, and by some exact ones (log₁₀ 10, as by the C library's). The rounding mode must
// be the default, to nearest.
//
// Every function has a form for one value (inline, branch-free but for the special ranges) and
// a block form over arrays, whose independent evaluations the processor overlaps.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "common/ext_math_tables.h"
#include "common/extended.h"

namespace tarvolen::ext {

// An unevaluated sum hi + lo, |lo| at most about one unit in the last place of hi: a value
// carried to about 128 bits.
struct Extended2 {
  Extended hi = 0;
  Extended lo = 0;
};

namespace detail {

// The bits of an extended real: 64-bit significand (explicit integer bit) and sign-exponent.
struct Bits {
  std::uint64_t significand;
  std::uint16_t sign_exponent;
  std::uint16_t padding[3];
};
static_assert(sizeof(Bits) == sizeof(Extended));

// Through a 10-byte copy and two narrow loads: loading all 16 bytes of a just-stored value at
// once would wait for the store to complete.
[[gnu::always_inline]] inline Bits BitsOf(Extended x) {
  unsigned char bytes[10];
  std::memcpy(bytes, &x, 10);
  Bits b{0, 0, {0, 0, 0}};
  std::memcpy(&b.significand, bytes, 8);
  std::memcpy(&b.sign_exponent, bytes + 8, 2);
  return b;
}

// 2^m for -16382 <= m <= 16383.
[[gnu::always_inline]] inline Extended Pow2(std::int64_t m) {
  alignas(16) unsigned char bytes[16];
  const std::uint64_t significand = std::uint64_t{1} << 63;
  const auto sign_exponent = static_cast<std::uint64_t>(m + 16383);
  std::memcpy(bytes, &significand, 8);
  std::memcpy(bytes + 8, &sign_exponent, 8);
  Extended p;
  std::memcpy(&p, bytes, 10);
  return p;
}

// Round to the nearest integer in the current (nearest) mode; |t| < 2^62, so never invalid.
[[gnu::always_inline]] inline std::int64_t RoundToInt(Extended t) {
  std::int64_t n;
  asm("fistpll %0" : "=m"(n) : "t"(t) : "st");
  return n;
}

// a = hi + lo with hi of 32 significant bits and lo of at most 32: products of the halves are
// exact. |a| must stay below 2^16350 (no overflow of a·(2^32 + 1)).
[[gnu::always_inline]] inline void Split(Extended a, Extended& hi, Extended& lo) {
  const Extended t = a * 4294967297.0L;
  hi = t - (t - a);
  lo = a - hi;
}

// A factor b = hi + lo made ready for exact products: hi = h1 + h2 of 32 bits each.
struct Factor {
  Extended hi = 0, h1 = 0, h2 = 0, lo = 0;
};
[[gnu::always_inline]] inline Factor FactorOf(Extended hi, Extended lo) {
  Factor f{hi, 0, 0, lo};
  Split(hi, f.h1, f.h2);
  return f;
}

// The rounding error of p = a·b.hi (Dekker: p + error = a·b.hi exactly), barring underflow of
// the partial products.
[[gnu::always_inline]] inline Extended ProductError(Extended a, const Factor& b, Extended p) {
  Extended a1, a2;
  Split(a, a1, a2);
  return ((a1 * b.h1 - p) + a1 * b.h2 + a2 * b.h1) + a2 * b.h2;
}

// e^(zh + zl) = (hi + lo)·2^m for |zh| below about 11800 and |zl| at most half an ulp of zh,
// with hi + lo close to [1, 2) and lo below 2^-10 of hi: the sum rounds once to the result.
struct ExpParts {
  Extended hi;
  Extended lo;
  std::int64_t m;
};

// zh = n·ln2/1024 + r, |r| <= ln2/2048; e^zh = 2^(n >> 10)·2^((n & 1023)/1024)·e^r. Without
// a low part (kWithLow false) zl is not read.
template <bool kWithLow>
[[gnu::always_inline]] inline ExpParts ExpReduced(Extended zh, Extended zl) {
  const std::int64_t n = RoundToInt(zh * Extended(kExpInvStep));
  const Extended nf = static_cast<Extended>(n);
  const Extended r_hi = zh - nf * Extended(kExpStepHi);  // exact: n·step_hi has at most 64 bits
  const Extended p = nf * Extended(kExpStepLo);
  const Extended r = r_hi - p;
  Extended r_lo = (r_hi - r) - p;  // the rounding error of r
  if constexpr (kWithLow) r_lo += zl;
  // e^r - 1 - r to degree 6: the first term left out is below 2^-92. The coefficients after
  // 1/2 need no more than double precision.
  const Extended r2 = r * r;
  constexpr double k3 = 1 / 6.0, k4 = 1 / 24.0, k5 = 1 / 120.0, k6 = 1 / 720.0;
  const Extended q = r2 * (0.5L + r * Extended(k3)) +
                     (r2 * r2) * ((Extended(k4) + r * Extended(k5)) + r2 * Extended(k6));
  const Extended w = r_lo + (q + r * r_lo);  // e^(r + r_lo) = 1 + r + w, to 2^-100
  const Exp2Entry& t = kExp2[static_cast<std::size_t>(n) & 1023];
  const Extended t_hi = t.hi;
  const Extended t_lo = t.lo;
  // (t_hi + t_lo)·(1 + r + w), the small terms first.
  return {t_hi, t_hi * r + (t_lo + (t_hi * w + t_lo * r)), n >> 10};
}

// ln x = hi + lo for a positive normal x with the given bits, lo up to 2^-9 of hi (not yet
// normalised: hi + lo rounds once). Wide (kWide), the sum holds ln x to about 2^-90 of it; else
// to about 2^-76, enough for the one rounding to extended.
template <bool kWide>
[[gnu::always_inline]] inline Extended2 LnReduced(std::uint64_t significand,
                                                  std::uint32_t exponent) {
  // x = 2^k·m, m in [1, 2); the bucket centred on 1 + i/256 holds m, and c ≈ 1/(1 + i/256)
  // (halved from about √2 on) makes r = m·c - 1 small. m = m1 + m2 with m1 the top 53 bits: the
  // products with c are exact, and so is their sum r + r_lo.
  const LnBucket& bucket = kLnBuckets[(((significand >> 54) & 0x1FF) + 1) >> 1];
  const Extended m1 = static_cast<Extended>(static_cast<std::int64_t>(significand >> 11));
  const Extended m2 = static_cast<Extended>(static_cast<std::int64_t>(significand & 0x7FF));
  const Extended u = m1 * Extended(bucket.c_hi) - 1;
  const Extended v = m2 * Extended(bucket.c_lo);
  const Extended r = u + v;
  const Extended r_lo = (u - r) + v;
  const Extended k =
      static_cast<Extended>(static_cast<std::int32_t>(exponent) - 16383 + bucket.halve);
  // The small terms gather in `small` as they come, which keeps few values alive on the x87
  // register stack. ln(1 + r + r_lo) = ln(1 + r) + r_lo·(1 - r), to 2^-145.
  Extended small = (k * Extended(kLn2Lo) + Extended(bucket.t_lo)) + (r_lo - r * r_lo);
  // k·ln 2 + t, exact (both on the grid 2^-49, below 2^14), then + r: |B| >= |r| unless B = 0.
  const Extended big = k * Extended(kLn2Hi) + Extended(bucket.t_hi);
  const Extended s1 = big + r;
  small += r - (s1 - big);
  const Extended r2 = r * r;
  // ln(1 + r) - r + r²/2 = r³·(1/3 - r/4 + ... - r⁷/10); the first term left out is below 2^-99.
  // Only 1/3 needs more than double precision (r³/3 reaches 2^-27).
  constexpr Extended k3 = 1 / 3.0L;
  constexpr double k5 = 1 / 5.0, k6 = 1 / 6.0, k7 = 1 / 7.0, k9 = 1 / 9.0, k10 = 1 / 10.0;
  const Extended tail =
      ((k3 - r * 0.25L) + r2 * (Extended(k5) - r * Extended(k6))) +
      (r2 * r2) * ((Extended(k7) - r * 0.125L) + r2 * (Extended(k9) - r * Extended(k10)));
  if constexpr (kWide) {
    // -r²/2 exactly: in the buckets next to 1 it is 2^-10 of ln x, and its rounding would
    // show after a multiplication by a large exponent.
    Extended r_a, r_b;
    Split(r, r_a, r_b);
    small -= 0.5L * (((r_a * r_a - r2) + 2 * r_a * r_b) + r_b * r_b);
    const Extended half_r2 = -0.5L * r2;
    const Extended s2 = s1 + half_r2;
    small += half_r2 - (s2 - s1);
    return {s2, small + (r2 * r) * tail};
  } else {
    return {s1, (-0.5L * r2 + (r2 * r) * tail) + small};
  }
}

// True for a positive normal extended real (not zero, denormal, unnormal, ∞ or NaN).
[[gnu::always_inline]] inline bool PositiveNormal(const Bits& b) {
  return static_cast<std::uint16_t>(b.sign_exponent - 1) < 0x7FFE &&
         static_cast<std::int64_t>(b.significand) < 0;
}

// Quiet comparisons (no invalid operation for a quiet NaN): the range tests of the fast paths.
[[gnu::always_inline]] inline bool InFastExpRange(Extended z) {
  const Extended a = fabsl(z);
  return __builtin_isless(a, 8192.0L) && __builtin_isgreaterequal(a, 0x1p-70L);
}

// e^(zh + zl) for |zh| >= 8192 and finite: overflow, or a result near or below the normal range.
[[gnu::noinline]] Extended ExpWide(Extended zh, Extended zl);
[[gnu::noinline]] Extended ExpSpecial(Extended x);
[[gnu::noinline]] Extended2 LnSpecial(Extended x);
[[gnu::noinline]] Extended Log10Special(Extended x);
[[gnu::noinline]] Extended ExpOfProductSpecial(Extended a, Extended2 b);

// (hi + lo)/ln 10, rounded once, with the product hi·(1/ln 10) exact.
[[gnu::always_inline]] inline Extended Log10OfLn(Extended2 l) {
  Extended h1, h2;
  Split(l.hi, h1, h2);
  const Extended a = kInvLn10A, b = kInvLn10B;
  const Extended inv_hi = a + b;  // exact: 64 bits
  const Extended p = l.hi * inv_hi;
  const Extended e = ((h1 * a - p) + h1 * b + h2 * a) + h2 * b;
  return p + (e + (l.hi * Extended(kInvLn10Lo) + l.lo * inv_hi));
}

// e^(a·b) for a factor b with |b.hi| < 2^16000.
[[gnu::always_inline]] inline Extended ExpOfProductInRange(Extended a, const Factor& b) {
  const Extended z = a * b.hi;
  if (__builtin_expect(InFastExpRange(z) && __builtin_isless(fabsl(a), 0x1p16000L), 1)) {
    const ExpParts e = ExpReduced<true>(z, ProductError(a, b, z) + a * b.lo);
    return (e.hi + e.lo) * Pow2(e.m);
  }
  return ExpOfProductSpecial(a, {b.hi, b.lo});
}

}  // namespace detail

// The integer nearest to t (ties to even), for |t| < 2^62: one x87 instruction, no call and no
// change of the rounding mode.
using detail::RoundToInt;

// e^x. Overflow from x = 11356.523406294143950 on (the first x whose e^x rounds beyond the
// extended range); a result below the normal range is rounded onto the denormal grid.
[[gnu::always_inline]] inline Extended Exp(Extended x) {
  if (__builtin_expect(detail::InFastExpRange(x), 1)) {
    const detail::ExpParts e = detail::ExpReduced<false>(x, 0);
    return (e.hi + e.lo) * detail::Pow2(e.m);
  }
  return detail::ExpSpecial(x);
}

// ln x as an unevaluated sum, to about 2^-90 of its value: the logarithm that a power raises
// by many exponents. Faults and special values as Ln, with lo = 0.
[[gnu::always_inline]] inline Extended2 LnWide(Extended x) {
  const detail::Bits b = detail::BitsOf(x);
  if (__builtin_expect(detail::PositiveNormal(b), 1)) {
    const Extended2 l = detail::LnReduced<true>(b.significand, b.sign_exponent);
    const Extended hi = l.hi + l.lo;
    return {hi, l.lo - (hi - l.hi)};
  }
  return detail::LnSpecial(x);
}

// ln x. ln 0 = -∞ with division by zero; a negative x (-∞ included) gives NaN with invalid
// operation; ln 1 = +0. Always LnWide(x).hi, so that code which keeps the wide logarithm of a
// value and code which takes Ln of it see the same number.
[[gnu::always_inline]] inline Extended Ln(Extended x) {
  const detail::Bits b = detail::BitsOf(x);
  if (__builtin_expect(detail::PositiveNormal(b), 1)) {
    const Extended2 l = detail::LnReduced<true>(b.significand, b.sign_exponent);
    return l.hi + l.lo;
  }
  return detail::LnSpecial(x).hi;
}

// log₁₀ x, with the faults of Ln; exact at the powers of ten that are exact in extended.
[[gnu::always_inline]] inline Extended Log10(Extended x) {
  const detail::Bits b = detail::BitsOf(x);
  if (__builtin_expect(detail::PositiveNormal(b), 1)) {
    return detail::Log10OfLn(detail::LnReduced<false>(b.significand, b.sign_exponent));
  }
  return detail::Log10Special(x);
}

// e^(a·(b.hi + b.lo)) of the exact product, for |b.lo| at most half an ulp of b.hi (b =
// LnWide(base) gives base^a). The faults are those of e^(a·b) with the product rounded: the
// product itself may raise invalid operation (0·∞) or overflow; the result overflows where the
// exact value does.
[[gnu::always_inline]] inline Extended ExpOfProduct(Extended a, Extended2 b) {
  // Both factors well inside the range, so that the halves of the exact product neither
  // overflow nor fall below the normal range.
  if (__builtin_expect(__builtin_isless(fabsl(b.hi), 0x1p16000L), 1)) {
    return detail::ExpOfProductInRange(a, detail::FactorOf(b.hi, b.lo));
  }
  return detail::ExpOfProductSpecial(a, b);
}

// e^(a·b) of the exact product a·b: the exponential model's e^(b·x) without the rounding of b·x.
[[gnu::always_inline]] inline Extended ExpOfProduct(Extended a, Extended b) {
  return ExpOfProduct(a, Extended2{b, 0});
}

// A factor b = hi + lo made ready for many exact products a·b (one base raised to many
// exponents): its high part is split once. ExpOfProduct(a, Ready(b)) is ExpOfProduct(a, b).
using ReadyFactor = detail::Factor;

[[gnu::always_inline]] inline ReadyFactor Ready(Extended2 b) {
  // Far outside the range (∞, NaN) the products take the special path, which splits nothing.
  if (__builtin_expect(__builtin_isless(fabsl(b.hi), 0x1p16000L), 1)) {
    return detail::FactorOf(b.hi, b.lo);
  }
  return {b.hi, 0, 0, b.lo};
}

[[gnu::always_inline]] inline Extended ExpOfProduct(Extended a, const ReadyFactor& b) {
  if (__builtin_expect(__builtin_isless(fabsl(b.hi), 0x1p16000L), 1)) {
    return detail::ExpOfProductInRange(a, b);
  }
  return detail::ExpOfProductSpecial(a, {b.hi, b.lo});
}

// The power function of the fits, defined as e^(y·ln base) and computed as the exact value of
// that expression: base^y for a positive base, rounded once. Every other base takes the course
// of the definition: a negative base (-∞ included) raises invalid operation in the logarithm,
// a zero base division by zero, and the product y·ln base decides the rest (0·∞ is invalid,
// y·(-∞) with y < 0 gives +∞ without overflow).
[[gnu::always_inline]] inline Extended Pow(Extended base, Extended y) {
  return ExpOfProduct(y, LnWide(base));
}

// Block forms: out[i] = f(in[i]); `out` may be `in`, and must be at least as long.
void Exp(std::span<const Extended> x, std::span<Extended> out);
void Ln(std::span<const Extended> x, std::span<Extended> out);
void Log10(std::span<const Extended> x, std::span<Extended> out);
// out[i] = e^(x[i]·factor), e.g. the exponential model's e^(b·x) for every x, or with
// factor = LnWide(b) the compound model's bˣ.
void ExpOfProduct(Extended2 factor, std::span<const Extended> x, std::span<Extended> out);
// out[i] = Pow(base[i], y[i]).
void Pow(std::span<const Extended> base, std::span<const Extended> y, std::span<Extended> out);

}  // namespace tarvolen::ext
