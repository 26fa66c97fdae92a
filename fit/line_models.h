#pragma once

// The models solved once through the 2 x 2 normal equations of a straight line v = k + m·u
// through transformed data:
//
//   logarithmic  y = a + b·ln x      u = ln x   v = y     a = k,   b = m
//   inverse      y = a + b/x         u = 1/x    v = y     a = k,   b = m
//   hyperbola    y = a·x/(b + x)     u = 1/x    v = 1/y   a = 1/k, b = m·a

#include <algorithm>
#include <array>
#include <cmath>

#include "common/fp_check.h"
#include "fit/linear.h"
#include "fit/procedure.h"
#include "fit/refine.h"

namespace tarvolen::fit {

// A model of this family, given its shape: U(x), V(y) for the first pass, UAxis and VAxis (the
// same transformations carried wider, fit/centred_fit.h) for the solve, FromLine(k, m) -> (a, b),
// Value(c, x) and Sample(c, x, previous_y).
template <class Shape>
struct LineThrough {
  template <class T>
  using Sums = Linear::Sums<T>;  // s0, Su as sx, Suu as sxx, Sv as sy, Suv as sxy
  using Coefficients = CoefficientPair;
  static constexpr bool kSampleReadsPrevious = requires { requires Shape::kSampleReadsPrevious; };
  static constexpr bool kCheapSample = requires { requires Shape::kCheapSample; };

  // X is transformed as soon as it is read, before Y is converted; the mean uses the
  // untransformed y.
  template <class T>
  static void FirstRow(Sums<T>& s, RowReader<T>& row, T n) {
    const T u = Shape::U(row.X());
    const T y = row.Y();
    s.ybar = s.ybar + y / n;
    const T v = Shape::V(y);
    s.s0 = s.s0 + T(Extended(1));
    s.sx = s.sx + u;
    s.sxx = s.sxx + u * u;
    s.sy = s.sy + v;
    s.sxy = s.sxy + u * v;
  }

  static Coefficients Solve(const Sums<Extended>& s, const DataPoints& points, Extended,
                            SolveContext& context) {
    RequireDistinctX(points, 2);
    if (const auto line = CentredLeastSquares<2, typename Shape::UAxis, typename Shape::VAxis>(
            points, {s.s0, s.sx, s.sxx}, {s.sy, s.sxy}, context.work)) {
      return Shape::FromLine((*line)[0], (*line)[1]);
    }
    const auto line = SolveNormal2(s.s0, s.sx, s.sxx, s.sy, s.sxy);
    return Shape::FromLine(line[0], line[1]);
  }

  template <class T>
  static T Fitted(const Coefficients& c, T x, LnMemo&) {
    return Shape::Value(c, x);
  }
  template <class T>
  static T Sample(const Coefficients& c, T x, T previous_y, LnMemo&) {
    return Shape::Sample(c, x, previous_y);
  }
  static bool SamplesReadNoPrevious(const Coefficients& c, Extended first, Extended last)
    requires kSampleReadsPrevious
  {
    return Shape::SamplesReadNoPrevious(c, first, last);
  }
  static std::array<ReportValue, 2> Report(const Coefficients& c) {
    return {{{"a", c.a}, {"b", c.b}}};
  }
};

namespace shape {

// The shapes fitted on Y itself (v = y, a = k, b = m), whose curve is computed at every
// sample, whatever x is.
template <class Derived>
struct OnY {
  using VAxis = PlainAxis;
  template <class T>
  static T V(T y) {
    return y;
  }
  static CoefficientPair FromLine(Extended k, Extended m) { return {k, m}; }
  template <class T>
  static T Sample(const CoefficientPair& c, T x, T) {
    return Derived::Value(c, x);
  }
};

// ŷ = b·ln(x) + a.
struct Logarithmic : OnY<Logarithmic> {
  using UAxis = LnAxis;
  template <class T>
  static T U(T x) {
    return fp::Ln(x);
  }
  template <class T>
  static T Value(const CoefficientPair& c, T x) {
    return T(c.b) * fp::Ln(x) + T(c.a);
  }
};

// ŷ = b/x + a, at every curve sample: one falling on x = 0 divides by zero.
struct Inverse : OnY<Inverse> {
  static constexpr bool kCheapSample = true;
  using UAxis = ReciprocalAxis;
  template <class T>
  static T U(T x) {
    return T(Extended(1)) / x;
  }
  template <class T>
  static T Value(const CoefficientPair& c, T x) {
    return T(c.b) / x + T(c.a);
  }
};

// ŷ = (a·x)/(b + x), from 1/y = 1/a + (b/a)·(1/x).
struct Hyperbola {
  using UAxis = ReciprocalAxis;
  using VAxis = ReciprocalAxis;
  template <class T>
  static T U(T x) {
    return T(Extended(1)) / x;
  }
  template <class T>
  static T V(T y) {
    return T(Extended(1)) / y;
  }
  // a = 1/k, then b = m·a with the new a; k = 0 divides by zero.
  static CoefficientPair FromLine(Extended k, Extended m) {
    return fp::RunChecked([&] {
      const fp::Checked a = fp::Checked(1) / fp::Checked(k);
      const fp::Checked b = fp::Checked(m) * a;
      return CoefficientPair{a.v, b.v};
    });
  }
  template <class T>
  static T Value(const CoefficientPair& c, T x) {
    return (T(c.a) * x) / (T(c.b) + x);
  }
  // The curve skips the pole: a sample whose b + x is within the threshold of zero repeats the
  // previous sample's y (0 for the first), so the polyline runs flat across it.
  static constexpr bool kSampleReadsPrevious = true;
  static constexpr bool kCheapSample = true;
  template <class T>
  static T Sample(const CoefficientPair& c, T x, T previous_y) {
    if (fp::Abs(T(c.b) + x) > T(kConvergenceThreshold)) return Value(c, x);
    return previous_y;
  }
  // Whether no sample between first and last comes near the pole, so that none reads the
  // previous one: b + x stays beyond the threshold over the whole range, with room to spare for
  // the rounding of the samples' x and of b + x.
  static bool SamplesReadNoPrevious(const CoefficientPair& c, Extended first, Extended last) {
    bool far = false;
    const bool clean = fp::RanClean(
        [&] {
          const Extended low = std::min(first, last), high = std::max(first, last);
          const Extended room =
              (fabsl(low) + fabsl(high) + fabsl(c.b)) * 0x1p-56L + kConvergenceThreshold;
          far = c.b + low > room || c.b + high < -room;
        },
        far);
    return clean && far;
  }
};

}  // namespace shape

using Logarithmic = LineThrough<shape::Logarithmic>;
using Inverse = LineThrough<shape::Inverse>;
using Hyperbola = LineThrough<shape::Hyperbola>;

}  // namespace tarvolen::fit
