#include "fit/statistics.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/fp_check.h"
#include "common/number_text.h"
#include "fit/model_types.h"
#include "fit/student_t.h"

namespace tarvolen {
namespace {

using fp::Checked;

constexpr std::size_t kMaxCoefficients = 3;
using Parameters = std::array<Extended, kMaxCoefficients>;
using Matrix = std::array<std::array<Extended, kMaxCoefficients>, kMaxCoefficients>;

// A Cholesky pivot of JᵀJ scaled to a unit diagonal at or below this makes JᵀJ singular: the
// coefficients would then be determined to fewer than about three digits.
constexpr Extended kSmallestPivot = 1e-16L;

// The rows of J for each family of models. Row(parameters, x, y, j, line_residual, memo) sets
// j[0..kParameters) to the derivatives of the fitted function by its parameters at x, in report
// order; a family fitted on a transformed Y also sets line_residual, the residual on that scale.
template <class M>
struct JacobianOf;

template <>
struct JacobianOf<fit::Linear> {
  static constexpr std::size_t kParameters = 2;
  static constexpr bool kOnTransformedY = false;
  template <class T>
  static void Row(const Parameters&, T x, T, T* j, T&, LnMemo&) {
    j[0] = T(Extended(1));
    j[1] = x;
  }
};

template <>
struct JacobianOf<fit::Quadratic> {
  static constexpr std::size_t kParameters = 3;
  static constexpr bool kOnTransformedY = false;
  template <class T>
  static void Row(const Parameters&, T x, T, T* j, T&, LnMemo&) {
    j[0] = T(Extended(1));
    j[1] = x;
    j[2] = x * x;
  }
};

// The straight line v = k + m·u through transformed data: the design matrix of u.
template <class Shape>
struct JacobianOf<fit::LineThrough<Shape>> {
  static constexpr std::size_t kParameters = 2;
  static constexpr bool kOnTransformedY = !std::is_base_of_v<fit::shape::OnY<Shape>, Shape>;
  template <class T>
  static void Row(const Parameters& line, T x, T y, T* j, T& line_residual, LnMemo&) {
    const T u = Shape::U(x);
    j[0] = T(Extended(1));
    j[1] = u;
    if constexpr (kOnTransformedY) line_residual = Shape::V(y) - (T(line[0]) + T(line[1]) * u);
  }
};

// The Gauss–Newton Jacobian of the refinement.
template <class Shape>
struct JacobianOf<fit::LogStarted<Shape>> {
  static constexpr std::size_t kParameters = 2;
  static constexpr bool kOnTransformedY = false;
  template <class T>
  static void Row(const Parameters& c, T x, T y, T* j, T&, LnMemo& memo) {
    const T a = c[0];
    const T b = c[1];
    T residual;
    Shape::Row(a, b, x, y, Shape::Kernel(b, x, memo), residual, j[0], j[1], memo);
  }
};

// The upper triangle of JᵀJ row by row ((0,0), (0,1), (0,2), (1,1), (1,2), (2,2)) and the
// residual sum of squares on a transformed Y.
template <class T>
struct GramSums {
  T jtj[6]{};
  T line_sse = Extended(0);
};

// JᵀJ and the residual sum on a transformed Y, round by round: the rows of J spread over the
// cores, then added in row order. A fault among the rows leaves them to the checked rerun of the
// row that raised it, which throws its error.
template <class M>
GramSums<Extended> SumGram(const DataPoints& points, const Parameters& parameters,
                           const WorkContext& work) {
  using J = JacobianOf<M>;
  constexpr std::size_t kWidth = J::kParameters + 1;  // the row of J, then the line's residual
  GramSums<Extended> sums{};
  std::vector<Extended> rows(std::min(points.Count(), fit::kRoundRows) * kWidth);
  for (std::size_t begin = 0; begin < points.Count(); begin += fit::kRoundRows) {
    work.progress.Report(begin, points.Count());
    const std::size_t end = std::min(begin + fit::kRoundRows, points.Count());
    const bool rows_clean = fp::CleanInParallel(
        end - begin,
        [&](std::size_t from, std::size_t to) {
          LnMemo memo;
          for (std::size_t k = from; k < to; ++k) {
            Extended* row = rows.data() + k * kWidth;
            J::Row(parameters, points.x[begin + k], points.y[begin + k], row, row[J::kParameters],
                   memo);
          }
        },
        work);
    LnMemo memo;
    fp::GuardedRows<GramSums>(begin, end, sums, [&](auto tag, auto& s, std::size_t i) {
      using T = decltype(tag);
      T j[kWidth]{};
      if (rows_clean) {
        for (std::size_t c = 0; c < kWidth; ++c) j[c] = rows[(i - begin) * kWidth + c];
      } else {
        J::Row(parameters, T(points.x[i]), T(points.y[i]), j, j[J::kParameters], memo);
      }
      std::size_t k = 0;
      for (std::size_t r = 0; r < J::kParameters; ++r) {
        for (std::size_t c = r; c < J::kParameters; ++c, ++k) s.jtj[k] = s.jtj[k] + j[r] * j[c];
      }
      if constexpr (J::kOnTransformedY) {
        s.line_sse = s.line_sse + j[J::kParameters] * j[J::kParameters];
      }
    });
  }
  work.progress.Report(points.Count(), points.Count());
  return sums;
}

// The value `compute()` returns (a Checked), or the floating-point fault that stopped it.
template <class Compute>
Figure CheckedFigure(const char* what, Compute&& compute) {
  try {
    return Figure::Of(fp::RunChecked([&] { return Checked(compute()).v; }));
  } catch (const EMathError& error) {
    fp::Clear();
    return Figure::NotDefined(std::string(error.what()) + " while computing " + what);
  }
}

// The inverse of the symmetric p x p matrix g: its rows and columns scaled to a unit diagonal,
// then Cholesky. Nothing when g is singular to working precision. May throw EMathError.
std::optional<Matrix> InverseOfGram(const Matrix& g, std::size_t p) {
  Checked scale[kMaxCoefficients];
  for (std::size_t i = 0; i < p; ++i) {
    if (!(g[i][i] > 0)) return std::nullopt;
    scale[i] = Checked(1) / fp::Sqrt(Checked(g[i][i]));
  }
  Checked lower[kMaxCoefficients][kMaxCoefficients] = {};
  for (std::size_t c = 0; c < p; ++c) {
    for (std::size_t r = c; r < p; ++r) {
      Checked sum = scale[r] * Checked(g[r][c]) * scale[c];
      for (std::size_t k = 0; k < c; ++k) sum = sum - lower[r][k] * lower[c][k];
      if (r == c) {
        if (!(sum.v > kSmallestPivot)) return std::nullopt;
        lower[c][c] = fp::Sqrt(sum);
      } else {
        lower[r][c] = sum / lower[c][c];
      }
    }
  }
  // W = L⁻¹, lower triangular; the scaled inverse is WᵀW.
  Checked w[kMaxCoefficients][kMaxCoefficients] = {};
  for (std::size_t r = 0; r < p; ++r) {
    w[r][r] = Checked(1) / lower[r][r];
    for (std::size_t c = 0; c < r; ++c) {
      Checked sum = 0;
      for (std::size_t k = c; k < r; ++k) sum = sum + lower[r][k] * w[k][c];
      w[r][c] = -sum / lower[r][r];
    }
  }
  Matrix inverse{};
  for (std::size_t r = 0; r < p; ++r) {
    for (std::size_t c = 0; c < p; ++c) {
      Checked sum = 0;
      for (std::size_t k = std::max(r, c); k < p; ++k) sum = sum + w[k][r] * w[k][c];
      inverse[r][c] = (scale[r] * sum * scale[c]).v;
    }
  }
  return inverse;
}

// The covariance of (a, b) = (1/k, m/k) from that of the line's (k, m): P·K·Pᵀ with P the
// derivatives [[-a², 0], [-a·b, a]]. May throw EMathError.
Matrix ToHyperbola(const Matrix& line, Extended a_value, Extended b_value) {
  const Checked a = a_value, b = b_value;
  const Checked p[2][2] = {{-(a * a), Checked(0)}, {-(a * b), a}};
  Matrix result{};
  for (std::size_t r = 0; r < 2; ++r) {
    for (std::size_t c = 0; c < 2; ++c) {
      Checked sum = 0;
      for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t j = 0; j < 2; ++j) {
          sum = sum + p[r][i] * Checked(line[i][j]) * p[c][j];
        }
      }
      result[r][c] = sum.v;
    }
  }
  return result;
}

std::string Count(std::size_t n) {
  return std::to_string(n);
}

template <class M>
FitStatistics Compute(const FitResult& result, const WorkContext& work) {
  using J = JacobianOf<M>;
  FitStatistics s;
  s.model = result.model;
  s.n = result.n;
  s.p = result.coefficients.size();
  s.degrees_of_freedom = static_cast<long long>(s.n) - static_cast<long long>(s.p);
  s.sse = result.sse;
  s.sst = result.sst;
  s.refinement = result.refinement;

  const Extended n = static_cast<Extended>(s.n);
  const Extended dof = static_cast<Extended>(s.degrees_of_freedom);
  const std::string sizes = "(n = " + Count(s.n) + ", p = " + Count(s.p) + ")";
  const std::string no_dof = "needs more rows than coefficients " + sizes;
  const char* const flat_y = "all Y are equal: the total sum of squares is zero";

  if (s.degrees_of_freedom > 0) {
    s.residual_sd = CheckedFigure("the residual standard deviation",
                                  [&] { return fp::Sqrt(Checked(s.sse) / Checked(dof)); });
    s.t_quantile = Figure::Of(StudentTQuantile(0.975L, s.degrees_of_freedom));
  } else {
    s.residual_sd = s.t_quantile = Figure::NotDefined(no_dof);
  }
  if (s.sst == 0) {
    s.r_squared = s.adjusted_r_squared = Figure::NotDefined(flat_y);
  } else {
    s.r_squared = CheckedFigure("R²", [&] { return Checked(1) - Checked(s.sse) / Checked(s.sst); });
    s.adjusted_r_squared =
        s.degrees_of_freedom > 0
            ? CheckedFigure("the adjusted R²",
                            [&] {
                              return Checked(1) - (Checked(s.sse) / Checked(dof)) /
                                                      (Checked(s.sst) / Checked(n - 1));
                            })
            : Figure::NotDefined(no_dof);
  }
  // k counts the coefficients and the variance of the scatter.
  const Extended k = static_cast<Extended>(s.p + 1);
  if (s.n < s.p + 3) {
    s.aicc = Figure::NotDefined("needs at least p + 3 rows " + sizes);
  } else if (s.sse == 0) {
    s.aicc = Figure::NotDefined("the residual sum of squares is zero");
  } else {
    s.aicc = CheckedFigure("AICc", [&] {
      const Checked ck = k;
      return Checked(n) * fp::Ln(Checked(s.sse) / Checked(n)) + Checked(2) * ck +
             Checked(2) * ck * (ck + Checked(1)) / (Checked(n) - ck - Checked(1));
    });
  }

  // The inverse of JᵀJ, for the hyperbola carried over to a and b, or why there is none.
  Parameters values{};
  for (std::size_t i = 0; i < s.p && i < kMaxCoefficients; ++i) {
    values[i] = result.coefficients[i].value;
  }
  std::optional<Matrix> shape;
  std::string no_covariance;
  Extended covariance_sse = s.sse;
  try {
    Parameters parameters = values;
    if constexpr (J::kOnTransformedY) {
      // The line 1/y = k + m·(1/x) of the reported a = 1/k and b = m·a.
      fp::RunChecked([&] {
        parameters[0] = (Checked(1) / Checked(values[0])).v;
        parameters[1] = (Checked(values[1]) / Checked(values[0])).v;
      });
    }
    const GramSums<Extended> sums = SumGram<M>(result.points, parameters, work);
    if constexpr (J::kOnTransformedY) {
      s.reciprocal_line_sse = Figure::Of(sums.line_sse);
      covariance_sse = sums.line_sse;
    }
    Matrix gram{};
    std::size_t at = 0;
    for (std::size_t r = 0; r < J::kParameters; ++r) {
      for (std::size_t c = r; c < J::kParameters; ++c, ++at) {
        gram[r][c] = gram[c][r] = sums.jtj[at];
      }
    }
    try {
      shape = InverseOfGram(gram, J::kParameters);
      if (!shape) {
        no_covariance = "JᵀJ is singular: the data do not determine the coefficients separately";
      } else if constexpr (J::kOnTransformedY) {
        shape = ToHyperbola(*shape, values[0], values[1]);
      }
    } catch (const EMathError& error) {
      fp::Clear();
      shape.reset();
      no_covariance = std::string(error.what()) + " while inverting JᵀJ";
    }
  } catch (const EMathError& error) {
    fp::Clear();
    no_covariance = std::string(error.what()) + " while forming JᵀJ";
    if constexpr (J::kOnTransformedY) {
      s.reciprocal_line_sse = Figure::NotDefined(no_covariance);
    }
  }

  s.correlation.assign(s.p, std::vector<Figure>(s.p));
  for (std::size_t r = 0; r < s.p; ++r) {
    for (std::size_t c = 0; c < s.p; ++c) {
      if (!shape) {
        s.correlation[r][c] = Figure::NotDefined(no_covariance);
      } else if (r == c) {
        s.correlation[r][c] = Figure::Of(1);
      } else {
        s.correlation[r][c] = CheckedFigure("a correlation", [&] {
          return Checked((*shape)[r][c]) /
                 fp::Sqrt(Checked((*shape)[r][r]) * Checked((*shape)[c][c]));
        });
      }
    }
  }

  for (std::size_t i = 0; i < s.p; ++i) {
    CoefficientStatistics& coefficient = s.coefficients.emplace_back();
    coefficient.name = result.coefficients[i].name;
    coefficient.value = result.coefficients[i].value;
    if (s.degrees_of_freedom <= 0) {
      coefficient.std_error = Figure::NotDefined(no_dof);
    } else if (!shape) {
      coefficient.std_error = Figure::NotDefined(no_covariance);
    } else {
      coefficient.std_error = CheckedFigure("a standard error", [&] {
        return fp::Sqrt(Checked(covariance_sse) / Checked(dof) * Checked((*shape)[i][i]));
      });
    }
    if (!coefficient.std_error.Defined()) {
      coefficient.ci_low = coefficient.ci_high = coefficient.std_error;
      continue;
    }
    const Extended half = *s.t_quantile.value * *coefficient.std_error.value;
    coefficient.ci_low = CheckedFigure("a confidence interval",
                                       [&] { return Checked(coefficient.value) - Checked(half); });
    coefficient.ci_high = CheckedFigure("a confidence interval",
                                        [&] { return Checked(coefficient.value) + Checked(half); });
  }
  return s;
}

}  // namespace

RefinementEndText DescribeRefinementEnd(RefinementEnd end) {
  switch (end) {
    case RefinementEnd::kConverged:
      return {"converged", "the last step lowered the residual sum by at most one millionth"};
    case RefinementEnd::kStalled:
      return {"stalled",
              "no shortened step lowered the residual sum: the coefficients from before that "
              "step stand"};
  }
  return {"ended", "the refinement ended"};
}

FitStatistics ComputeStatistics(const FitResult& result, const WorkContext& work) {
  return fit::VisitModelType(result.model, [&](auto type) {
    return Compute<typename decltype(type)::type>(result, work);
  });
}

std::string FigureText(const Figure& figure, char decimal_separator) {
  if (!figure.Defined()) return "not defined: " + figure.reason;
  return FloatToText(*figure.value, decimal_separator);
}

std::vector<StatisticsRow> StatisticsRows(const FitStatistics& s, char separator) {
  std::vector<StatisticsRow> rows;
  auto add = [&](std::string label, std::string value) {
    rows.push_back({std::move(label), std::move(value)});
  };
  auto figure = [&](std::string label, const Figure& f) {
    add(std::move(label), FigureText(f, separator));
  };
  add("Rows (n)", Count(s.n));
  add("Coefficients (p)", Count(s.p));
  add("Degrees of freedom (n - p)", std::to_string(s.degrees_of_freedom));
  add("Residual sum of squares (SSE)", FloatToText(s.sse, separator));
  figure("Residual standard deviation √(SSE/(n - p))", s.residual_sd);
  figure("R² = 1 - SSE/SST", s.r_squared);
  figure("Adjusted R²", s.adjusted_r_squared);
  figure("AICc", s.aicc);
  figure("Student's t (97.5 %, n - p degrees of freedom)", s.t_quantile);
  for (const CoefficientStatistics& c : s.coefficients) {
    figure(c.name + ": standard error", c.std_error);
    add(c.name + ": 95 % confidence interval",
        c.ci_low.Defined() && c.ci_high.Defined()
            ? FloatToText(*c.ci_low.value, separator) + " to " +
                  FloatToText(*c.ci_high.value, separator)
            : FigureText(c.ci_low.Defined() ? c.ci_high : c.ci_low, separator));
  }
  for (std::size_t r = 0; r < s.p; ++r) {
    for (std::size_t c = r + 1; c < s.p; ++c) {
      figure("Correlation of " + s.coefficients[r].name + " and " + s.coefficients[c].name,
             s.correlation[r][c]);
    }
  }
  if (s.reciprocal_line_sse) {
    figure("Residual sum of squares on 1/y", *s.reciprocal_line_sse);
    add("Standard errors from",
        "the straight line 1/y = 1/a + (b/a)·(1/x) through (1/x, 1/y), carried over to a and b");
  }
  if (s.refinement) {
    const RefinementEndText end = DescribeRefinementEnd(s.refinement->end);
    add("Refinement iterations", std::to_string(s.refinement->iterations));
    add("Refinement ended", std::string(end.name) + ": " + end.description);
  }
  if (s.r_squared.Defined() && *s.r_squared.value < 0) {
    add("Note", "R² is negative: the curve misses Y by more than the mean of Y does");
  }
  return rows;
}

}  // namespace tarvolen
