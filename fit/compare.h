#pragma once

// Which model the data support: all ten models fitted to the same grid, each as its button
// would fit it, ranked by AICc on Y.
//
// The ranking rule. Every model is scored on the same scale, Y itself, with the same error
// model (independent scatter of one size about the curve): AICc = n·ln(SSE/n) + 2k +
// 2k(k + 1)/(n - k - 1), k = p + 1 (the coefficients and the size of the scatter), SSE the
// residual sum of squares on Y at the reported coefficients; lower is better. Nine models
// minimise exactly this SSE (the linear, quadratic, logarithmic and inverse ones by their
// normal equations, the five refined ones by their refinement), so their AICc is that of their
// best curve. The hyperbola minimises the squares on 1/y instead: its SSE on Y is at least that
// of the best hyperbola on Y, so its AICc is a fair upper bound and the ranking can only
// understate it. Ties keep the order of the model buttons. A fit whose SSE is exactly zero
// ranks first (fewer coefficients first); a fit whose AICc is not defined (n < p + 3) is listed
// after the ranked ones, unranked; a model whose fit failed is listed last with its message.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/progress.h"
#include "data/grid_table.h"
#include "fit/fit.h"
#include "fit/statistics.h"

namespace tarvolen {

// One model's place in the comparison.
struct ComparedModel {
  Model model = Model::kLinear;
  int rank = 0;  // 1 for the best; 0 when unranked or failed
  // A successful fit: its result (without the data points) and statistics, and AICc minus the
  // best model's.
  std::optional<FitResult> result;
  std::optional<FitStatistics> statistics;
  Figure delta_aicc;
  std::string error;  // the message that ended a failed fit

  bool Fitted() const { return result.has_value(); }
};

// Ranked models first, best first; then the unranked ones, then the failed ones, each in the
// order of the model buttons.
struct ModelComparison {
  std::vector<ComparedModel> models;
};

// Fits the ten models one after another to the data rows of `grid`, as RunFit would (the same
// conversions, the same checks, the same errors), without keeping their curves, and ranks them.
// `threads` and `observer` as in FitTarget: each model takes a tenth of the progress, and a stop
// throws `Cancelled`. Throws only `Cancelled` and std::bad_alloc: a fit's error is its entry.
ModelComparison CompareModels(const GridTable& grid, char decimal_separator,
                              std::size_t threads = 0, ProgressObserver* observer = nullptr);

// One row of the comparison table, every cell as text.
struct ComparisonRow {
  std::string rank;        // "1", ...; "" when unranked or failed
  std::string model;       // the model's name
  std::string aicc;        // or "not defined: ..."; "" for a failed fit
  std::string delta_aicc;  // AICc minus the best one's
  std::string std_error;   // the report's "Standard Error= "
  std::string r_squared;
  std::string note;  // why unranked, the failed fit's message, what to keep in mind
};

// The comparison as the table shows it, in the order of `comparison.models`.
std::vector<ComparisonRow> ComparisonRows(const ModelComparison& comparison,
                                          char decimal_separator);

}  // namespace tarvolen
