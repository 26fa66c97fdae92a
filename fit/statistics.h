#pragma once

// How sure a fit is: the standard error and 95 % confidence interval of each coefficient, the
// correlation of the coefficients and the goodness-of-fit figures of a finished fit, computed
// in extended precision from its `FitResult`, at the coefficients it reported.
//
// The covariance of the coefficients is s²·(JᵀJ)⁻¹ with s² = SSE/(n - p), J the derivatives of
// the fitted function by its coefficients at every data X (for the straight-line models the
// design matrix of the transformed X), p the number of coefficients. The hyperbola's
// coefficients come from the straight line 1/y = 1/a + (b/a)·(1/x) fitted to (1/x, 1/y): the
// covariance of that line's coefficients, with its own residuals on 1/y, is carried over to a
// and b by their derivatives.
//
// A figure the fit does not define (too few rows, a singular JᵀJ, all Y equal, a floating-point
// fault while computing it) has no value but a reason; computing the statistics never throws a
// system error and leaves no fault flag raised.

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/extended.h"
#include "common/parallel.h"
#include "fit/fit.h"

namespace tarvolen {

// A value, or the reason there is none.
struct Figure {
  std::optional<Extended> value;
  std::string reason;  // empty when there is a value

  static Figure Of(Extended v) { return {v, {}}; }
  static Figure NotDefined(std::string why) { return {std::nullopt, std::move(why)}; }
  bool Defined() const { return value.has_value(); }
};

struct CoefficientStatistics {
  std::string name;  // "a", "b", "c"
  Extended value = 0;
  Figure std_error;
  Figure ci_low, ci_high;  // the 95 % confidence interval
};

// How the refinement ended, in words: a short name ("converged") and a sentence.
struct RefinementEndText {
  const char* name;
  const char* description;
};
RefinementEndText DescribeRefinementEnd(RefinementEnd end);

struct FitStatistics {
  Model model = Model::kLinear;
  std::size_t n = 0;                 // data rows
  std::size_t p = 0;                 // coefficients
  long long degrees_of_freedom = 0;  // n - p, may be 0 or negative
  Extended sse = 0;                  // residual sum of squares on Y
  Extended sst = 0;                  // total sum of squares on Y
  Figure residual_sd;                // √(SSE/(n - p))
  Figure r_squared;                  // 1 - SSE/SST; negative when the curve misses Y more
                                     // than the mean of Y does
  Figure adjusted_r_squared;         // 1 - (SSE/(n - p))/(SST/(n - 1))
  Figure aicc;                       // n·ln(SSE/n) + 2k + 2k(k + 1)/(n - k - 1), k = p + 1
  Figure t_quantile;                 // Student's t at 97.5 % with n - p degrees of freedom
  std::vector<CoefficientStatistics> coefficients;
  std::vector<std::vector<Figure>> correlation;  // p x p, 1 on the diagonal
  // The hyperbola only: the residual sum of squares of its straight line on 1/y, which gives s²
  // for its covariance.
  std::optional<Figure> reciprocal_line_sse;
  std::optional<RefinementSummary> refinement;  // the refined models only

  // The standard errors were carried over from the straight line through (1/x, 1/y).
  bool Propagated() const { return reciprocal_line_sse.has_value(); }
};

// The statistics of `result`, a fit that succeeded. Reads result.points, coefficients, n, sse
// and sst. `work` gives the threads of the pass over the data and its progress; a stop it
// requests throws `Cancelled`.
FitStatistics ComputeStatistics(const FitResult& result, const WorkContext& work = {});

// One line of the statistics table: what the value is, and its text.
struct StatisticsRow {
  std::string label;
  std::string value;
};

// The statistics as the table shows them, top to bottom: every number in the report's format
// with `decimal_separator`; a figure without value reads "not defined: <reason>".
std::vector<StatisticsRow> StatisticsRows(const FitStatistics& statistics, char decimal_separator);

// The text of a figure in the report's format, or "not defined: <reason>".
std::string FigureText(const Figure& figure, char decimal_separator);

}  // namespace tarvolen
