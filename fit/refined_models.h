#pragma once

// The five models fitted in two stages: a straight line l = k + m·t through logarithms gives
// start values, which the Gauss–Newton refinement then improves by least squares on Y itself.
//
//   compound     y = a·bˣ          t = x          l = log₁₀ y   a = 10^k, b = 10^m
//   exponential  y = a·e^(b·x)     t = x          l = ln y      a = e^k,  b = m
//   power        y = a·x^b         t = log₁₀ x    l = log₁₀ y   a = 10^k, b = m
//   geometric    y = a·x^(b·x)     t = x·log₁₀ x  l = log₁₀ y   a = 10^k, b = m
//   geometric2   y = a·x^(b/x)     t = log₁₀ x/x  l = log₁₀ y   a = 10^k, b = m

#include <array>

#include "common/fp_check.h"
#include "fit/power.h"
#include "fit/procedure.h"
#include "fit/refine.h"

namespace tarvolen::fit {

// The sums of the start line; the mean of Y is a running sum of y/n, as in every model.
template <class T>
struct LogLineSums {
  T ybar = Extended(0), stl = Extended(0), st = Extended(0), sl = Extended(0), stt = Extended(0);
};

// A model of this family, given its shape: Abscissa(x) -> t, LogY(y) -> l, FromLine(k, m) ->
// start (a, b), and Value and Row for the refinement (fit/refine.h).
template <class ModelShape>
struct LogStarted {
  using Shape = ModelShape;
  template <class T>
  using Sums = LogLineSums<T>;
  using Coefficients = CoefficientPair;

  // X is transformed as soon as it is read, before Y is converted.
  template <class T>
  static void FirstRow(Sums<T>& s, RowReader<T>& row, T n) {
    const T t = Shape::Abscissa(row.X());
    const T y = row.Y();
    s.ybar = s.ybar + y / n;
    const T l = Shape::LogY(y);
    s.stl = s.stl + t * l;
    s.st = s.st + t;
    s.sl = s.sl + l;
    s.stt = s.stt + t * t;
  }

  // The start line in closed form, with n itself (these fits keep no count of their own):
  // m = (n·Stl - St·Sl) / (n·Stt - St·St), k = Sl/n - m·St/n, then the shape's back-
  // transformation. All t equal makes the denominator zero: division by zero, or an invalid
  // operation when the numerator is zero too (no rows, or one).
  static CoefficientPair Start(const Sums<Extended>& s, Extended n) {
    using C = fp::Checked;
    return fp::RunChecked([&] {
      const C numerator = C(n) * C(s.stl) - C(s.st) * C(s.sl);
      const C denominator = C(n) * C(s.stt) - C(s.st) * C(s.st);
      const C m = numerator / denominator;
      const C intercept = C(s.sl) / C(n);
      const C k = intercept - m * C(s.st) / C(n);
      return Shape::FromLine(k, m);
    });
  }

  static Coefficients Solve(const Sums<Extended>& s, const DataPoints& points, Extended n,
                            SolveContext& context) {
    return Refine<Shape>(points, Start(s, n), context);
  }

  template <class T>
  static T Fitted(const Coefficients& c, T x, LnMemo& memo) {
    return Value<Shape>(T(c.a), T(c.b), x, memo);
  }
  template <class T>
  static T Sample(const Coefficients& c, T x, T, LnMemo& memo) {
    return Fitted(c, x, memo);
  }
  static std::array<ReportValue, 2> Report(const Coefficients& c) {
    return {{{"a", c.a}, {"b", c.b}}};
  }
};

namespace shape {

template <class T>
T One() {
  return T(Extended(1));
}
inline fp::Checked Ten() { return fp::Checked(10); }

// The start line of the compound and exponential models runs through x itself.
struct OnX {
  template <class T>
  static T Abscissa(T x) {
    return x;
  }
};

// The logarithm memo serves the compound model's passes, which raise one b to every x: ln b is
// taken once. The power-type models raise a different x in every row, where a memo would only
// cost its upkeep.

// y = a·bˣ: f = bˣ·a, df/da = bˣ, df/db = b^(x-1)·(a·x).
struct Compound : OnX {
  static constexpr bool kGrowthFactor = true;
  template <class T>
  static T LogY(T y) {
    return fp::Log10(y);
  }
  static CoefficientPair FromLine(fp::Checked k, fp::Checked m) {
    const fp::Checked a = tarvolen::Power(Ten(), k);
    const fp::Checked b = tarvolen::Power(Ten(), m);
    return {a.v, b.v};
  }
  template <class T>
  static T Kernel(T b, T x, LnMemo& memo) {
    return tarvolen::Power(b, x, &memo);
  }
  template <class T>
  static void Row(T a, T b, T x, T y, T power, T& r, T& da, T& db, LnMemo& memo) {
    r = y - power * a;
    da = power;
    const T lower = tarvolen::Power(b, x - One<T>(), &memo);
    db = lower * (a * x);
  }
};

// y = a·e^(b·x): f = e^(b·x)·a, df/da = e^(b·x), df/db = e^(b·x)·(a·x).
struct Exponential : OnX {
  template <class T>
  static T LogY(T y) {
    return fp::Ln(y);
  }
  static CoefficientPair FromLine(fp::Checked k, fp::Checked m) { return {fp::Exp(k).v, m.v}; }
  template <class T>
  static T Kernel(T b, T x, LnMemo&) {
    return fp::Exp(b * x);
  }
  template <class T>
  static void Row(T a, T, T x, T y, T e, T& r, T& da, T& db, LnMemo&) {
    r = y - e * a;
    da = e;
    db = e * (a * x);
  }
};

// The power-type models: l = log₁₀ y, a = 10^k, b = m, f = x^g·a with the exponent g(b, x).
template <class Exponent>
struct PowerType {
  template <class T>
  static T LogY(T y) {
    return fp::Log10(y);
  }
  static CoefficientPair FromLine(fp::Checked k, fp::Checked m) {
    return {tarvolen::Power(Ten(), k).v, m.v};
  }
  template <class T>
  static T Kernel(T b, T x, LnMemo&) {
    return tarvolen::Power(x, Exponent::Of(b, x));
  }
};

// y = a·x^b: t = log₁₀ x; df/da = x^b, df/db = ln x·(x^b·a).
struct Power : PowerType<Power> {
  template <class T>
  static T Abscissa(T x) {
    return fp::Log10(x);
  }
  template <class T>
  static T Of(T b, T) {
    return b;
  }
  template <class T>
  static void Row(T a, T, T x, T y, T power, T& r, T& da, T& db, LnMemo&) {
    const T f = power * a;
    r = y - f;
    da = power;
    db = fp::Ln(x) * f;
  }
};

// y = a·x^(b·x): t = x·log₁₀ x; df/da = x^(b·x), df/db = (ln x·(a·x))·x^(b·x).
struct Geometric : PowerType<Geometric> {
  template <class T>
  static T Abscissa(T x) {
    return x * fp::Log10(x);
  }
  template <class T>
  static T Of(T b, T x) {
    return b * x;
  }
  template <class T>
  static void Row(T a, T, T x, T y, T power, T& r, T& da, T& db, LnMemo&) {
    r = y - power * a;
    da = power;
    const T ln_x = fp::Ln(x);
    db = (ln_x * (a * x)) * power;
  }
};

// y = a·x^(b/x): t = (log₁₀ x)/x; df/da = x^(b/x), df/db = (ln x·(a/x))·x^(b/x).
struct Geometric2 : PowerType<Geometric2> {
  template <class T>
  static T Abscissa(T x) {
    return fp::Log10(x) / x;
  }
  template <class T>
  static T Of(T b, T x) {
    return b / x;
  }
  template <class T>
  static void Row(T a, T, T x, T y, T power, T& r, T& da, T& db, LnMemo&) {
    r = y - power * a;
    da = power;
    const T ln_x = fp::Ln(x);
    db = (ln_x * (a / x)) * power;
  }
};

}  // namespace shape

using Compound = LogStarted<shape::Compound>;
using Exponential = LogStarted<shape::Exponential>;
using PowerModel = LogStarted<shape::Power>;
using Geometric = LogStarted<shape::Geometric>;
using Geometric2 = LogStarted<shape::Geometric2>;

}  // namespace tarvolen::fit
