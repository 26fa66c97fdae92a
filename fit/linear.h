#pragma once

#include <array>

#include "fit/centred_fit.h"
#include "fit/matrice2.h"
#include "fit/procedure.h"

namespace tarvolen::fit {

// Solves the normal equations a·solution = rhs (rhs a column of a's order) through the matrix
// inverse of a and a product, in extended precision, returning the solution column. A singular a
// (an exact zero pivot) ends the fit with kSingularMessage; a floating-point fault with the error
// of the first failing operation.
RCOVec SolveNormal(const RCOMat& a, const RCOMat& rhs);

// Ends the fit with kSingularMessage when the data rows hold fewer distinct X values than the
// model has coefficients: the normal equations are then singular although rounding in the
// transformed sums (ln x, 1/x, x·x) may leave their pivots a hair from zero, and their
// "solution" would be noise reported as a fit.
void RequireDistinctX(const DataPoints& points, std::size_t coefficients);

// Solves the 2 x 2 normal equations [[s0, sx], [sx, sxx]]·[k, m] = [sy, sxy] through the matrix
// inverse and a product, returning (k, m). A singular matrix ends the fit with kSingularMessage.
std::array<Extended, 2> SolveNormal2(Extended s0, Extended sx, Extended sxx, Extended sy,
                                     Extended sxy);

// y = a + b·x, by its normal equations.
struct Linear {
  template <class T>
  struct Sums {
    T ybar = Extended(0), s0 = Extended(0), sx = Extended(0), sxx = Extended(0), sy = Extended(0),
      sxy = Extended(0);
  };

  template <class T>
  static void FirstRow(Sums<T>& s, RowReader<T>& row, T n) {
    const T x = row.X();
    const T y = row.Y();
    // The mean is a running sum of y/n, not Sy/n: the two can differ in the last bits.
    s.ybar = s.ybar + y / n;
    s.s0 = s.s0 + T(Extended(1));
    s.sx = s.sx + x;
    s.sxx = s.sxx + x * x;
    s.sy = s.sy + y;
    s.sxy = s.sxy + x * y;
  }

  struct Coefficients {
    Extended a, b;
  };

  static Coefficients Solve(const Sums<Extended>& s, const DataPoints& points, Extended,
                            SolveContext& context) {
    RequireDistinctX(points, 2);
    if (const auto k = CentredLeastSquares<2, PlainAxis, PlainAxis>(
            points, {s.s0, s.sx, s.sxx}, {s.sy, s.sxy}, context.work)) {
      return {(*k)[0], (*k)[1]};
    }
    const auto solution = SolveNormal2(s.s0, s.sx, s.sxx, s.sy, s.sxy);
    return {solution[0], solution[1]};
  }

  template <class T>
  static T Fitted(const Coefficients& c, T x, LnMemo&) {
    return T(c.b) * x + T(c.a);
  }
  static constexpr bool kCheapSample = true;
  template <class T>
  static T Sample(const Coefficients& c, T x, T, LnMemo& memo) {
    return Fitted(c, x, memo);
  }
  static std::array<ReportValue, 2> Report(const Coefficients& c) {
    return {{{"a", c.a}, {"b", c.b}}};
  }
};

}  // namespace tarvolen::fit
