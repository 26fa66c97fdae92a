#pragma once

// The cause sentences a failed fit's error carries after its message (see Exception::SetCause):
// what made the fit fail, in the user's terms (the model, the row, the value), composed by the
// procedure from what it knew when the error reached it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/extended.h"
#include "common/number_text.h"
#include "data/grid_table.h"
#include "fit/fit.h"

namespace tarvolen::fit {

// Points every model needs: the standard error divides by n - 2.
inline constexpr std::size_t kFewestPoints = 3;

// "Linear", "Quadratic", ..., "Geometric2", "Inverse", "Hyperbola".
std::string ModelTitle(Model model);

// The step of the fit an error came from.
enum class FitStage { kFirstPass, kSolve, kSampling, kSecondPass, kStatistics };

// What the procedure knew when an error reached it.
struct FitFailure {
  Model model = Model::kLinear;
  FitStage stage = FitStage::kFirstPass;
  bool floating_point = false;  // the error is a floating-point fault
  char separator = '.';
  const GridTable* grid = nullptr;
  const DataPoints* points = nullptr;  // the data rows read (all of them from the solve step on)
  int row = 0;                         // first pass: the grid row being read
  std::size_t point = 0;               // second pass: the data point being read
  Extended sample_x = 0;               // sampling: the sample's X
  std::optional<Extended> sample_y;    // sampling: its value, when it could be computed
  Extended curve_first = 0, curve_last = 0;
  std::vector<Extended> coefficients;  // second pass: the solved coefficients, in report order
  std::optional<RefinementSummary> refinement;  // solve: how far a refinement got
};

// One plain sentence on why the fit failed, or "" when nothing is known beyond the message:
//   too few points for any model (every step but the first pass);
//   first pass: the model and the row whose X or Y is outside the model's domain
//     ("The Logarithmic model takes ln x; row 1 has X = 0, and every X must be above 0."),
//     otherwise the row and its values;
//   solve: fewer distinct X than the model has coefficients, or, for a floating-point fault, how
//     far the refinement got;
//   sampling: the inverse model's pole between the first and last X, a value beyond the chart's
//     range, or the sample's X;
//   second pass: the hyperbola's pole at a row's X, or the row and its values;
//   statistics: every Y the same.
std::string FailureCause(const FitFailure& failure);

// Whether grid row `row` holds no data point: its X and Y are both blank. Every reader of the
// data leaves such rows out, so that a grid with rows still to be typed can be fitted.
inline bool IsEmptyDataRow(const GridTable& grid, int row) {
  return IsBlank(grid.Cell(1, row)) && IsBlank(grid.Cell(2, row));
}

// The first `limit` different X values of the data points, in row order (fewer when the data
// hold fewer).
std::vector<Extended> FirstDistinctX(const DataPoints& points, std::size_t limit);

// The grid row of data point `index` (from 0): rows that are empty (IsEmptyDataRow) hold none.
int GridRowOfPoint(const GridTable& grid, std::size_t index);

}  // namespace tarvolen::fit
