#include "fit/compare.h"

#include <algorithm>
#include <utility>

#include "common/errors.h"
#include "common/number_text.h"

namespace tarvolen {
namespace {

// Where a fitted model stands: an exact fit (SSE zero) first, then by AICc; the rest unranked.
enum class Standing { kExact, kByAicc, kUnranked, kFailed };

Standing StandingOf(const ComparedModel& entry) {
  if (!entry.Fitted()) return Standing::kFailed;
  const FitStatistics& s = *entry.statistics;
  if (s.aicc.Defined()) return Standing::kByAicc;
  if (s.sse == 0 && s.n >= s.p + 3) return Standing::kExact;
  return Standing::kUnranked;
}

bool RanksBefore(const ComparedModel& x, const ComparedModel& y) {
  const Standing sx = StandingOf(x), sy = StandingOf(y);
  if (sx != sy) return sx < sy;
  if (sx == Standing::kExact) return x.statistics->p < y.statistics->p;
  if (sx == Standing::kByAicc) return *x.statistics->aicc.value < *y.statistics->aicc.value;
  return false;  // the order of the buttons
}

}  // namespace

ModelComparison CompareModels(const GridTable& grid, char decimal_separator, std::size_t threads,
                              ProgressObserver* observer) {
  ModelComparison comparison;
  for (int number = 1; number <= kModelCount; ++number) {
    ComparedModel& entry = comparison.models.emplace_back();
    entry.model = static_cast<Model>(number);
    // The fit takes nine tenths of the model's share, its statistics the rest.
    const double from = (number - 1) / static_cast<double>(kModelCount);
    const double to = number / static_cast<double>(kModelCount);
    const double fitted = from + 0.9 * (to - from);
    std::optional<PartObserver> fit_observer;
    if (observer) fit_observer.emplace(*observer, from, fitted);
    FitFields fields;
    StringResultLines lines;
    try {
      FitResult result = RunFit(entry.model, {grid, nullptr, fields, lines, decimal_separator,
                                              threads, fit_observer ? &*fit_observer : nullptr});
      const double span = to - from;
      const WorkContext work{threads, Progress(observer).Part(fitted, fitted + 0.1 * span)};
      entry.statistics = ComputeStatistics(result, work);
      result.points = DataPoints{};  // ten copies of large data are not kept
      entry.result = std::move(result);
    } catch (const Exception& error) {
      entry.error = error.what();
    }
  }

  std::stable_sort(comparison.models.begin(), comparison.models.end(), RanksBefore);
  const ComparedModel& best = comparison.models.front();
  const bool exact_best = StandingOf(best) == Standing::kExact;
  int rank = 0;
  for (ComparedModel& entry : comparison.models) {
    const Standing standing = StandingOf(entry);
    if (standing == Standing::kExact) {
      entry.rank = ++rank;
      entry.delta_aicc = Figure::NotDefined("the residual sum of squares is zero");
    } else if (standing == Standing::kByAicc) {
      entry.rank = ++rank;
      entry.delta_aicc =
          exact_best ? Figure::NotDefined("the best model fits every point exactly")
                     : Figure::Of(*entry.statistics->aicc.value - *best.statistics->aicc.value);
    } else if (standing == Standing::kUnranked) {
      entry.delta_aicc = entry.statistics->aicc;
    }
  }
  return comparison;
}

std::vector<ComparisonRow> ComparisonRows(const ModelComparison& comparison,
                                          char decimal_separator) {
  std::vector<ComparisonRow> rows;
  for (const ComparedModel& entry : comparison.models) {
    ComparisonRow& row = rows.emplace_back();
    row.model = std::string(ModelName(entry.model));
    if (!entry.Fitted()) {
      row.note = ErrorBoxText(entry.error);
      continue;
    }
    const FitStatistics& s = *entry.statistics;
    std::vector<std::string> notes;
    if (entry.rank > 0) {
      row.rank = std::to_string(entry.rank);
      row.delta_aicc = entry.delta_aicc.Defined() ? FigureText(entry.delta_aicc, decimal_separator)
                                                  : "not defined";
    } else {
      notes.push_back("unranked: AICc " + s.aicc.reason);
    }
    row.aicc = s.aicc.Defined() ? FigureText(s.aicc, decimal_separator) : "not defined";
    if (entry.rank > 0 && !s.aicc.Defined()) notes.push_back("the residual sum of squares is zero");
    row.std_error = FloatToText(entry.result->std_error, decimal_separator);
    row.r_squared =
        s.r_squared.Defined() ? FigureText(s.r_squared, decimal_separator) : "not defined";
    if (s.Propagated()) notes.push_back("fitted on 1/y: its AICc on Y is an upper bound");
    if (s.refinement && s.refinement->end != RefinementEnd::kConverged) {
      notes.push_back(std::string("refinement ") + DescribeRefinementEnd(s.refinement->end).name);
    }
    for (const std::string& note : notes) row.note += (row.note.empty() ? "" : "; ") + note;
  }
  return rows;
}

}  // namespace tarvolen
