#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/extended.h"
#include "common/number_text.h"
#include "data/grid_table.h"
#include "plot/chart.h"

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

// What a fit leaves on the main window besides the chart and the results box.
struct FitFields {
  TLineSeries* CurveSeries = nullptr;  // the current fitted curve, owned by the chart
  Extended CurveXFirst = 0;            // X of data row 1 read by the last fit
  Extended CurveXLast = 0;             // X of data row n read by the last fit
  Extended StdError = 0;               // holds the running residual sum during the second pass
  Extended CorrCoef = 0;
};

// Everything one fit reads and writes.
struct FitTarget {
  const GridTable& grid;
  TChart& chart;
  FitFields& fields;
  ResultLines& memo;
  char decimal_separator = '.';
  // False: the curve's samples are computed and checked as always but not stored, for a caller
  // that shows neither the chart nor the curve (the command line without a picture).
  bool keep_curve_points = true;
};

// Our own message for a system the data do not determine (an exact zero pivot, or fewer distinct
// X than the model has coefficients): the fit ends at its solve step, with the results box empty
// and the chart unchanged.
inline constexpr const char* kSingularMessage =
    "Singular matrix: the data do not determine the model's coefficients";

// Runs one model's fit on the data rows 1..RowCount-1 of the grid: empties the results box,
// solves, replaces the fitted curve by 20·n + 1 samples between the first and the last row's X,
// computes the standard error and correlation coefficient and appends the report lines.
// Throws the error that ended the fit; what the fit left behind then follows from the step that
// failed (results box empty; chart and fields as far as the fit got).
void RunFit(Model model, FitTarget& target);

}  // namespace tarvolen
