#pragma once

// The fits as the front ends use them: one call runs a model's whole fit on the grid's texts,
// fills the results box, hands the curve to a sink and returns everything it computed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/curve_sink.h"
#include "common/extended.h"
#include "common/number_text.h"
#include "common/progress.h"
#include "data/grid_table.h"

namespace tarvolen {

// The ten models, numbered as the window lists them.
enum class Model {
  kLinear = 1,
  kQuadratic,
  kCompound,
  kLogarithmic,
  kExponential,
  kPower,
  kGeometric,
  kGeometric2,
  kInverse,
  kHyperbola,
};

inline constexpr int kModelCount = 10;

// "linear", "quadratic", ... "hyperbola".
std::string_view ModelName(Model model);
// A number 1..10 or a model name (any letter case).
std::optional<Model> ParseModel(std::string_view text);

// The results box `Memo1` as a fit uses it: emptied first, then one line appended per value.
class ResultLines {
 public:
  virtual ~ResultLines() = default;
  virtual void Clear() = 0;
  virtual void Add(const std::string& line) = 0;
};

// Results kept as a list of lines (the command-line program and the tests).
class StringResultLines : public ResultLines {
 public:
  void Clear() override { lines_.clear(); }
  void Add(const std::string& line) override { lines_.push_back(line); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// What a fit leaves on the main window besides the chart and the results box. A fit that fails
// leaves them as far as it got.
struct FitFields {
  Extended CurveXFirst = 0;  // X of data row 1 read by the last fit
  Extended CurveXLast = 0;   // X of data row n read by the last fit
  Extended StdError = 0;     // holds the running residual sum during the second pass
  Extended CorrCoef = 0;
};

// The converted cells of the data rows 1..n (index 0 is row 1), in grid order.
struct DataPoints {
  std::vector<Extended> x;
  std::vector<Extended> y;
  std::size_t Count() const { return x.size(); }
};

// How the Gauss–Newton refinement of the compound, exponential, power, geometric and geometric2
// models ended. A fit that returns ended in one of the first two ways; the other two end the fit
// with an error that says so.
enum class RefinementEnd {
  kConverged,         // a full Gauss–Newton step lowered the residual sum by at most one
                      // millionth of it
  kAtPrecisionLimit,  // no step could move the coefficients and lower the residual sum, where
                      // the full step promised a drop of at most one millionth of it: the
                      // optimum up to the rounding of the residual sum
  kStalled,           // no step lowers the residual sum short of the optimum
  kIterationLimit,    // the iterations ran out
};

// JᵀJ of a refined model at its final coefficients: the sums over the data rows of (df/da)²,
// df/da·df/db and (df/db)².
struct RefinementNormal {
  Extended aa = 0, ab = 0, bb = 0;
};

struct RefinementSummary {
  int iterations = 0;  // steps taken
  RefinementEnd end = RefinementEnd::kConverged;
  std::optional<RefinementNormal> normal;  // where it could be formed without a fault
};

// One coefficient as the report names it.
struct FitCoefficient {
  const char* name;  // "a", "b", "c"
  Extended value;
};

// Everything a successful fit computed, for a caller that wants more than the report lines.
struct FitResult {
  Model model = Model::kLinear;
  std::vector<FitCoefficient> coefficients;  // in report order
  std::size_t n = 0;                         // data rows
  // The sums of the second pass, on the untransformed Y: total and residual.
  Extended sst = 0, sse = 0;
  Extended std_error = 0;  // sqrt(SSE / (n - 2)), for every model
  Extended corr_coef = 0;  // sqrt(SSR / SST)
  std::optional<RefinementSummary> refinement;  // the refined models only
  DataPoints points;                            // the data the fit ran on
};

// The report lines of `result`: each coefficient, then "Standard Error= " and "correlation
// coefficient= ", with the decimal separator given.
std::vector<std::string> ReportLines(const FitResult& result, char decimal_separator);

// Everything one fit reads and writes. The fit touches nothing else, so a fit can run on any
// thread with inputs of its own (a copy of the grid, a curve on a chart of its own, fields and
// lines of its own) and its outputs applied to the window afterwards.
struct FitTarget {
  const GridTable& grid;
  // The curve's samples go here; null: they are computed and checked as always but not kept
  // (a caller that shows neither the chart nor the curve).
  CurveSink* curve;
  FitFields& fields;
  ResultLines& memo;
  char decimal_separator = '.';
  // Threads the fit's passes may use, the calling one included; 0: as many as there are cores
  // (at most eight). The results are the same for any number.
  std::size_t threads = 0;
  // Told how far the fit got, and asked between chunks whether to stop (then the fit throws
  // `Cancelled`, leaving what it changed so far as a failure would). May be null.
  ProgressObserver* observer = nullptr;
};

// Our own message for a system the data do not determine (an exact zero pivot, or fewer distinct
// X than the model has coefficients): the fit ends at its solve step, with the results box empty
// and the chart unchanged.
inline constexpr const char* kSingularMessage =
    "Singular matrix: the data do not determine the model's coefficients";

// Our own message for a grid without a single data row: the fit ends after its first pass, with
// the results box empty and the chart unchanged.
inline constexpr const char* kNoDataMessage = "No data points to fit";

// Runs one model's fit on the n data rows among rows 1..RowCount-1 of the grid (rows whose X and
// Y are both blank hold none): empties the results box, solves, replaces the fitted curve by
// 20·n + 1 samples between the first and the last data row's X, computes the standard error and
// correlation coefficient and appends the report lines.
// Throws the error that ended the fit, with a sentence on its cause where one is known (see
// fit/causes.h); what the fit left behind then follows from the step that failed (results box
// empty; curve and fields as far as the fit got).
FitResult RunFit(Model model, const FitTarget& target);

}  // namespace tarvolen
