#pragma once

#include <array>

#include "fit/linear.h"
#include "fit/procedure.h"

namespace tarvolen::fit {

// y = a + b·x + c·x², by its 3 x 3 normal equations.
struct Quadratic {
  template <class T>
  struct Sums {
    T ybar = Extended(0), s0 = Extended(0), sx = Extended(0), sxx = Extended(0), sx3 = Extended(0),
      sx4 = Extended(0), sy = Extended(0), sxy = Extended(0), sx2y = Extended(0);
  };

  template <class T>
  static void FirstRow(Sums<T>& s, RowReader<T>& row, T n) {
    const T x = row.X();
    const T y = row.Y();
    s.ybar = s.ybar + y / n;
    s.s0 = s.s0 + T(Extended(1));
    s.sx = s.sx + x;
    s.sxx = s.sxx + x * x;
    s.sx3 = s.sx3 + (x * x) * x;
    s.sx4 = s.sx4 + ((x * x) * x) * x;
    s.sy = s.sy + y;
    s.sxy = s.sxy + x * y;
    s.sx2y = s.sx2y + (x * x) * y;
  }

  struct Coefficients {
    Extended a, b, c;
  };

  static Coefficients Solve(const Sums<Extended>& s, const DataPoints& points, Extended,
                            SolveContext& context) {
    RequireDistinctX(points, 3);
    if (const auto k = CentredLeastSquares<3, PlainAxis, PlainAxis>(
            points, {s.s0, s.sx, s.sxx, s.sx3, s.sx4}, {s.sy, s.sxy, s.sx2y}, context.work)) {
      return {(*k)[0], (*k)[1], (*k)[2]};
    }
    const RCOVec solution = SolveNormal({{s.s0, s.sx, s.sxx}, {s.sx, s.sxx, s.sx3},
                                         {s.sxx, s.sx3, s.sx4}},
                                        {{s.sy}, {s.sxy}, {s.sx2y}});
    return {solution[0], solution[1], solution[2]};
  }

  template <class T>
  static T Fitted(const Coefficients& c, T x, LnMemo&) {
    const T line = T(c.b) * x + T(c.a);
    return line + (T(c.c) * x) * x;
  }
  static constexpr bool kCheapSample = true;
  template <class T>
  static T Sample(const Coefficients& c, T x, T, LnMemo& memo) {
    return Fitted(c, x, memo);
  }
  // Three coefficients, yet the standard error keeps the divisor n - 2 of every model.
  static std::array<ReportValue, 3> Report(const Coefficients& c) {
    return {{{"a", c.a}, {"b", c.b}, {"c", c.c}}};
  }
};

}  // namespace tarvolen::fit
