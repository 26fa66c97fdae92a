#pragma once

// The least-squares solve of the normal-equation models (linear, quadratic, logarithmic, inverse
// and the hyperbola's reciprocal line), accurate on badly scaled data.
//
// Each of them fits v ≈ k0 + k1·u (+ k2·u²) to transformed data: u = x, ln x or 1/x; v = y or
// 1/y. Sums of raw powers of u square the condition of the problem: with X around 10^9, or in
// steps of 10^-8, they lose every digit. Here:
//   1. u is centred on a shift c near its mean and divided by a power of two s (exactly), and v
//      is centred on v0; the normal equations of t = (u - c)/s are formed from those and solved
//      through the matrix inverse;
//   2. that solution is written as the coefficients of u itself, each carried as an unevaluated
//      sum hi + lo of about 128 bits;
//   3. one step of iterative refinement: the residual of every row, v - (k0 + k1·u + k2·u²), is
//      formed to that precision from u and v themselves (ln x and the reciprocals are carried to
//      128 bits as well), and the same inverse turns its sums into a correction.
// The coefficients are then rounded once. They are the least-squares coefficients to about the
// precision of the extended real, also where an intercept far from the data keeps only the last
// digits of the values it is formed from (a line through X around 400 with an intercept of 0.26).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/ext_math.h"
#include "common/fp_check.h"
#include "common/parallel.h"
#include "fit/fit.h"
#include "fit/matrice2.h"

namespace tarvolen::fit {

// Arithmetic on unevaluated sums hi + lo (|lo| at most half an ulp of hi after each operation).
// Exact where it says so barring overflow (a factor beyond about 2^16350 overflows in the split,
// which the caller's fault check sees) and underflow of the partial products.
namespace wide {

using ext::Extended2;

// s + e = a + b exactly.
inline Extended2 TwoSum(Extended a, Extended b) {
  const Extended s = a + b;
  const Extended bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// The same for |a| >= |b| (or a = 0).
inline Extended2 FastTwoSum(Extended a, Extended b) {
  const Extended s = a + b;
  return {s, b - (s - a)};
}

// a = hi + lo with hi of 32 significant bits and lo of at most 32: products of halves are exact.
using ext::detail::Split;

// p + e = a·b exactly.
inline Extended2 TwoProduct(Extended a, Extended b) {
  const Extended p = a * b;
  Extended a1, a2, b1, b2;
  Split(a, a1, a2);
  Split(b, b1, b2);
  return {p, ((a1 * b1 - p) + a1 * b2 + a2 * b1) + a2 * b2};
}

// A factor b = hi + lo of many exact products, its hi split once.
using ext::detail::Factor;
inline Factor FactorOf(Extended2 b) { return ext::detail::FactorOf(b.hi, b.lo); }

// The rounding error of p = b.hi·a, from the halves a1 + a2 of a: p + error = b.hi·a exactly.
inline Extended ProductError(const Factor& b, Extended a1, Extended a2, Extended p) {
  return ((b.h1 * a1 - p) + b.h1 * a2 + b.h2 * a1) + b.h2 * a2;
}

inline Extended2 Add(Extended2 a, Extended2 b) {
  Extended2 s = TwoSum(a.hi, b.hi);
  const Extended2 t = TwoSum(a.lo, b.lo);
  s = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(s.hi, s.lo + t.lo);
}

inline Extended2 Negated(Extended2 a) { return {-a.hi, -a.lo}; }

inline Extended2 Mul(Extended2 a, Extended2 b) {
  const Extended2 p = TwoProduct(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

}  // namespace wide

// The transformations of the data, carried to about 128 bits.
struct PlainAxis {
  static ext::Extended2 Of(Extended x) { return {x, 0}; }
};
struct LnAxis {
  static ext::Extended2 Of(Extended x) { return ext::LnWide(x); }
};
struct ReciprocalAxis {
  // 1/x = r + (1 - x·r)/x, where 1 - x·r is formed exactly (x·r lies within a rounding of 1)
  // and then divided by x as multiplied by r, within a rounding of the same.
  static ext::Extended2 Of(Extended x) {
    const Extended r = Extended(1) / x;
    const ext::Extended2 p = wide::TwoProduct(x, r);
    return {r, ((Extended(1) - p.hi) - p.lo) * r};
  }
};

namespace detail {

// Rows per round of the passes below: a round's values fit in a small buffer.
inline constexpr std::size_t kPairRound = 1 << 16;
// Fewer rows than this are gone through on the calling thread alone.
inline constexpr std::size_t kSpreadRows = 1 << 15;

// Computes value(i, first, second) for the rows [0, count) and hands them round by round to
// add(pair, size) on the calling thread, which sums pair(k) = (first, second) of the round's row k
// for k < size in row order. The values are computed as they are added when kInline says they
// are cheap, or when the rows are too few to repay spreading them (waking the threads, the
// buffers); else on the work's threads beforehand. False as soon as a row or an addition raised a
// floating-point fault.
template <bool kInline, class Value, class Add>
bool PairsInRowOrder(std::size_t count, const WorkContext& work, Value&& value, Add&& add) {
  const bool inline_values = kInline || count < kSpreadRows;
  std::vector<Extended> first(inline_values ? 0 : std::min(count, kPairRound)),
      second(first.size());
  for (std::size_t begin = 0; begin < count; begin += kPairRound) {
    work.progress.Report(begin, count);
    const std::size_t size = std::min(kPairRound, count - begin);
    if (inline_values) {
      if (!fp::RanClean([&] {
            add(
                [&](std::size_t k) {
                  Extended a, b;
                  value(begin + k, a, b);
                  return std::pair{a, b};
                },
                size);
          })) {
        return false;
      }
    } else {
      const bool clean = fp::CleanInParallel(
          size,
          [&](std::size_t from, std::size_t to) {
            for (std::size_t k = from; k < to; ++k) value(begin + k, first[k], second[k]);
          },
          work);
      if (!clean || !fp::RanClean([&] {
            add([&](std::size_t k) { return std::pair{first[k], second[k]}; }, size);
          })) {
        return false;
      }
    }
  }
  return true;
}

// The centred sums from the first pass's raw ones: Σ(u - c)^k = Σ_j C(k, j)·(-c)^(k-j)·Σu^j, and
// so on. Cancellation costs them about (1 + r)^(k/2) of their precision, r = n·c²/Σ(u - c)², the
// squared distance of u's mean from 0 in units of its spread: where that leaves the system of the
// highest power good to about 2^-44 (and the refinement then squares its error away), they are
// taken and true is returned; otherwise (or on a fault) false, and the rows are gone through.
template <std::size_t kTerms>
bool ShiftedSums(const std::array<Extended, 2 * kTerms - 1>& u_powers,
                 const std::array<Extended, kTerms>& v_moments, Extended n, Extended c,
                 Extended v0, std::array<Extended, 2 * kTerms - 1>& power_sums,
                 std::array<Extended, kTerms>& cross_sums) {
  constexpr std::size_t kPowers = 2 * kTerms - 1;
  std::array<Extended, kPowers> powers{};
  std::array<Extended, kTerms> cross{};
  bool usable = false;
  const bool clean = fp::RanClean([&] {
    // (-c)^j and the binomial coefficients C(k, j).
    std::array<Extended, kPowers> minus_c{};
    minus_c[0] = 1;
    for (std::size_t j = 1; j < kPowers; ++j) minus_c[j] = minus_c[j - 1] * -c;
    auto binomial = [](std::size_t k, std::size_t j) {
      Extended b = 1;
      for (std::size_t i = 0; i < j; ++i) b = b * Extended(k - i) / Extended(i + 1);
      return b;
    };
    for (std::size_t k = 0; k < kPowers; ++k) {
      Extended sum = 0;
      for (std::size_t j = 0; j <= k; ++j) {
        sum = sum + binomial(k, j) * minus_c[k - j] * u_powers[j];
      }
      powers[k] = sum;
    }
    for (std::size_t k = 0; k < kTerms; ++k) {
      Extended sum = 0;
      for (std::size_t j = 0; j <= k; ++j) {
        sum = sum + binomial(k, j) * minus_c[k - j] * (v_moments[j] - v0 * u_powers[j]);
      }
      cross[k] = sum;
    }
    if (!(powers[2] > 0)) return;
    const Extended loss = 1 + n * c * c / powers[2];  // 1 + r
    usable = (kTerms == 2 ? loss : loss * loss) <= 0x1p20L;
  });
  if (!clean || !usable) return false;
  powers[0] = n;
  power_sums = powers;
  cross_sums = cross;
  return true;
}

// v - (k0 + k1·u + k2·u²), with the coefficients and u and v carried as hi + lo: the large parts
// cancel exactly, so the residual is formed to about the precision of the extended real even where
// it is a tiny part of the terms. kExactU, kExactV: u.lo, v.lo are 0 (left out, as the compiler may
// not drop a product with 0 itself).
template <std::size_t kTerms, bool kExactU, bool kExactV>
Extended Residual(const std::array<wide::Factor, kTerms>& k, ext::Extended2 u, ext::Extended2 v) {
  Extended u1, u2;
  wide::Split(u.hi, u1, u2);
  const Extended p1 = k[1].hi * u.hi;
  Extended e1 = wide::ProductError(k[1], u1, u2, p1) + k[1].lo * u.hi;
  if constexpr (!kExactU) e1 = e1 + k[1].hi * u.lo;
  Extended low = -k[0].lo - e1;
  if constexpr (!kExactV) low = low + v.lo;
  ext::Extended2 high = wide::TwoSum(v.hi, -k[0].hi);
  low = low + high.lo;
  high = wide::TwoSum(high.hi, -p1);
  low = low + high.lo;
  if constexpr (kTerms == 3) {
    // u² = square + square_error, then k2·u².
    const Extended square = u.hi * u.hi;
    Extended square_error = ((u1 * u1 - square) + 2 * (u1 * u2)) + u2 * u2;
    if constexpr (!kExactU) square_error = square_error + 2 * (u.hi * u.lo);
    Extended s1, s2;
    wide::Split(square, s1, s2);
    const Extended p2 = k[2].hi * square;
    low = low - (wide::ProductError(k[2], s1, s2, p2) +
                 (k[2].hi * square_error + k[2].lo * square));
    high = wide::TwoSum(high.hi, -p2);
    low = low + high.lo;
  }
  return high.hi + low;
}

}  // namespace detail

// The least-squares coefficients k0, k1 (, k2) of v ≈ k0 + k1·u (+ k2·u²) over the data rows,
// u = UAxis::Of(x) and v = VAxis::Of(y), rounded to extended. `u_powers` are the first pass's
// sums of u^j (j = 0 .. 2·kTerms - 2), `v_moments` its sums of u^j·v (j < kTerms): the means of u
// and v are the shifts, and where u is far enough from its mean relative to its spread, those
// sums shifted give the centred ones well enough for the refinement to finish (the data are not
// gone through again for them).
//
// Throws EFitError(kSingularMessage) when the centred system has an exact zero pivot (the
// transformed X do not determine the coefficients). Returns nothing when a floating-point fault
// arose on the way (data at the edges of the extended range): the caller then solves the plain
// normal equations, whose own faults name the failing operation.
template <std::size_t kTerms, class UAxis, class VAxis>
std::optional<std::array<Extended, kTerms>> CentredLeastSquares(
    const DataPoints& points, const std::array<Extended, 2 * kTerms - 1>& u_powers,
    const std::array<Extended, kTerms>& v_moments, const WorkContext& work) {
  static_assert(kTerms == 2 || kTerms == 3);
  using ext::Extended2;
  constexpr std::size_t kPowers = 2 * kTerms - 1;
  // Plain X and Y need no transformation: their rows' values are formed as they are added.
  constexpr bool kPlain = std::is_same_v<UAxis, PlainAxis> && std::is_same_v<VAxis, PlainAxis>;
  const std::size_t count = points.Count();
  const Extended n = static_cast<Extended>(count);

  Extended c = 0, v0 = 0;
  if (!fp::RanClean([&] { c = u_powers[1] / n, v0 = v_moments[0] / n; }, c, v0)) {
    return std::nullopt;
  }
  auto centred = [&](std::size_t i, Extended2& u) {
    u = UAxis::Of(points.x[i]);
    if constexpr (std::is_same_v<UAxis, PlainAxis>) return u.hi - c;
    return (u.hi - c) + u.lo;
  };

  // 1. Sums of d^j (j = 1 .. 2·kTerms - 2) and of d^j·w (j < kTerms), d = u - c, w = v - v0.
  std::array<Extended, kPowers> power_sums{};
  std::array<Extended, kTerms> cross_sums{};
  power_sums[0] = n;
  const bool shifted =
      detail::ShiftedSums<kTerms>(u_powers, v_moments, n, c, v0, power_sums, cross_sums);
  // Adds the pairs (d, w) = pair(k) for k < size, keeping the running sums in locals of their
  // own (registers).
  auto add_pairs = [&](auto pair, std::size_t size) {
    Extended s1 = power_sums[1], s2 = power_sums[2], w0 = cross_sums[0], w1 = cross_sums[1];
    if constexpr (kTerms == 2) {
      for (std::size_t k = 0; k < size; ++k) {
        const auto [d, w] = pair(k);
        s1 = s1 + d;
        s2 = s2 + d * d;
        w0 = w0 + w;
        w1 = w1 + d * w;
      }
    } else {
      Extended s3 = power_sums[3], s4 = power_sums[4], w2 = cross_sums[2];
      for (std::size_t k = 0; k < size; ++k) {
        const auto [d, w] = pair(k);
        const Extended d2 = d * d;
        s1 = s1 + d;
        s2 = s2 + d2;
        s3 = s3 + d2 * d;
        s4 = s4 + d2 * d2;
        w0 = w0 + w;
        w1 = w1 + d * w;
        w2 = w2 + d2 * w;
      }
      power_sums[3] = s3, power_sums[4] = s4, cross_sums[2] = w2;
    }
    power_sums[1] = s1, power_sums[2] = s2, cross_sums[0] = w0, cross_sums[1] = w1;
  };
  if (!shifted && !detail::PairsInRowOrder<kPlain>(
                      count, work.Part(0, 0.5),
                      [&](std::size_t i, Extended& d, Extended& w) {
                        Extended2 u;
                        d = centred(i, u);
                        const Extended2 v = VAxis::Of(points.y[i]);
                        w = (v.hi - v0) + v.lo;
                      },
                      add_pairs)) {
    return std::nullopt;
  }

  // 2. The centred, scaled system, its inverse and solution, and that solution as coefficients
  // of u: with g_j = β_j / s^j, the polynomial Σ g_j·(u - c)^j expanded in u.
  RCOMat inverse;
  std::array<Extended, kTerms> scale{};  // s^j
  auto solve = [&](const std::array<Extended, kTerms>& sums) {
    RCOMat rhs = ZeroMatrix(static_cast<int>(kTerms), 1), solution;
    for (std::size_t j = 0; j < kTerms; ++j) rhs[j][0] = sums[j] / scale[j];
    static_cast<void>(MatMult(inverse, rhs, solution));
    std::array<Extended2, kTerms> k{};
    for (std::size_t j = 0; j < kTerms; ++j) k[j] = {solution[j][0] / scale[j], 0};
    for (std::size_t i = 0; i + 1 < kTerms; ++i) {
      for (std::size_t j = kTerms - 1; j-- > i;) {
        k[j] = wide::Add(k[j], wide::Negated(wide::Mul(k[j + 1], {c, 0})));
      }
    }
    return k;
  };
  bool singular = false;
  std::array<Extended2, kTerms> k{};
  std::array<wide::Factor, kTerms> factors{};  // k, split for the residuals' exact products
  if (!fp::RanClean([&] {
        if (!(power_sums[2] > 0)) {
          singular = true;
          return;
        }
        int exponent = 0;
        frexpl(sqrtl(power_sums[2] / n), &exponent);
        const Extended s = ldexpl(1, exponent);
        scale[0] = 1;
        for (std::size_t j = 1; j < kTerms; ++j) scale[j] = scale[j - 1] * s;
        RCOMat normal = ZeroMatrix(static_cast<int>(kTerms), static_cast<int>(kTerms));
        for (std::size_t i = 0; i < kTerms; ++i) {
          for (std::size_t j = 0; j < kTerms; ++j) {
            normal[i][j] = power_sums[i + j] / (scale[i] * scale[j]);
          }
        }
        if (MatInverse(normal, inverse) == kMatSingular) {
          singular = true;
          return;
        }
        k = solve(cross_sums);
        k[0] = wide::Add(k[0], {v0, 0});
        for (std::size_t j = 0; j < kTerms; ++j) factors[j] = wide::FactorOf(k[j]);
      })) {
    return std::nullopt;
  }
  if (singular) throw EFitError(kSingularMessage);

  // 3. One step of refinement on the residuals of the rows.
  std::array<Extended, kTerms> residual_sums{};
  if (!detail::PairsInRowOrder<kPlain>(
          count, work.Part(0.5, 1),
          [&](std::size_t i, Extended& d, Extended& residual) {
            Extended2 u;
            d = centred(i, u);
            residual = detail::Residual<kTerms, std::is_same_v<UAxis, PlainAxis>,
                                        std::is_same_v<VAxis, PlainAxis>>(factors, u,
                                                                          VAxis::Of(points.y[i]));
          },
          [&](auto pair, std::size_t size) {
            Extended r0 = residual_sums[0], r1 = residual_sums[1];
            Extended r2 = residual_sums[kTerms - 1];
            for (std::size_t k = 0; k < size; ++k) {
              const auto [d, residual] = pair(k);
              const Extended dr = d * residual;
              r0 = r0 + residual;
              r1 = r1 + dr;
              if constexpr (kTerms == 3) r2 = r2 + d * dr;
            }
            residual_sums[0] = r0, residual_sums[1] = r1;
            if constexpr (kTerms == 3) residual_sums[2] = r2;
          })) {
    return std::nullopt;
  }
  std::array<Extended, kTerms> result{};
  if (!fp::RanClean([&] {
        const std::array<Extended2, kTerms> correction = solve(residual_sums);
        for (std::size_t j = 0; j < kTerms; ++j) result[j] = wide::Add(k[j], correction[j]).hi;
      })) {
    return std::nullopt;
  }
  return result;
}

}  // namespace tarvolen::fit
