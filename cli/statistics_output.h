#pragma once

// What tarvolen-fit prints besides the report lines: the statistics of a fit (--stats), a fit or
// the comparison of the ten models as JSON (--json), and the comparison's table (--model all).

#include <string>
#include <vector>

#include "fit/compare.h"
#include "fit/fit.h"
#include "fit/statistics.h"

namespace tarvolen {

// The statistics as "label= value" lines, each ending in a newline.
std::string StatisticsText(const FitStatistics& statistics, char decimal_separator);

// The comparison as a table with a header line, its columns lined up, then a line per model.
std::string ComparisonText(const ModelComparison& comparison, char decimal_separator);

// What one fit gives, for the JSON object of a fit.
struct FitOutcome {
  Model model = Model::kLinear;
  std::vector<std::string> report;    // the report lines; none when the fit failed
  const FitResult* result = nullptr;  // null when the fit failed
  const FitStatistics* statistics = nullptr;
  std::string error;  // the message as the error box shows it, or ""
};

// One fit as a JSON object (one line, newline-terminated): the model, the report lines, each
// coefficient with its standard error and 95 % confidence interval, the report's standard error
// and correlation coefficient, the statistics, and the error (null without one). A number is an
// object {"value": v, "extended": "t"}: v with 17 significant digits, t the extended value in 21
// significant digits, which reads back exactly; a number without value (not defined, or beyond
// the range of a double) has "value": null and a "reason".
std::string FitJson(const FitOutcome& outcome);

// The comparison as a JSON array (one line, newline-terminated) of the objects of FitJson, in
// the comparison's order, each with its "rank" (null when unranked or failed), "aicc" and
// "delta_aicc".
std::string ComparisonJson(const ModelComparison& comparison, char decimal_separator);

// What tarvolen-fit writes to standard output after one fit: the report lines, followed by the
// statistics with `with_statistics`; with `json` the object of FitJson instead. `result` is null
// when the fit failed with `error` (as the error box shows it).
std::string FitOutputText(Model model, const std::vector<std::string>& report,
                          const FitResult* result, const std::string& error, bool with_statistics,
                          bool json, char decimal_separator);

// What tarvolen-fit writes to standard output for the comparison: its table, followed with
// `with_statistics` by each fitted model's report lines and statistics in the table's order;
// with `json` the array of ComparisonJson instead.
std::string ComparisonOutputText(const ModelComparison& comparison, bool with_statistics, bool json,
                                 char decimal_separator);

}  // namespace tarvolen
