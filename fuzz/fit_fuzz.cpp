// The whole fit of all ten models, one after another as a user pressing the buttons would, on a
// small fuzzed data file. The first byte is the decimal separator (",", else "."); the rest is the file.
// Each fit must end in a complete report or one of the system's messages; anything else (another
// exception type, a NaN or infinity on the chart or in the report, a second curve left on the
// chart) is a finding, as are crashes, sanitizer reports and slow inputs (-timeout).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/errors.h"
#include "data/data_file.h"
#include "data/grid_table.h"
#include "fit/causes.h"
#include "fit/fit.h"
#include "fit/outcome_check.h"
#include "fuzz_check.h"
#include "plot/chart.h"
#include "plot/chart_curve.h"

namespace {
// More rows only make an input slower, not more interesting.
constexpr int kMaxRows = 200;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolen;
  using namespace tarvolen::fuzz;
  if (size < 1) return 0;
  const char separator = data[0] == ',' ? ',' : '.';
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

  GridTable grid;
  grid.WriteHeaders();
  FillGridFromText(file, grid);
  if (grid.RowCount() - 1 > kMaxRows) return 0;
  // The data points: rows whose X and Y are both blank are left out.
  long long rows = 0;
  for (int row = 1; row < grid.RowCount(); ++row) rows += fit::IsEmptyDataRow(grid, row) ? 0 : 1;

  TChart chart;
  ChartCurve curve(chart);
  FitFields fields;
  StringResultLines memo;
  const FitTarget target{grid, &curve, fields, memo, separator};
  for (int number = 1; number <= kModelCount; ++number) {
    const Model model = static_cast<Model>(number);
    const std::string name(ModelName(model));
    memo.Add("a line of the previous fit");
    bool reported = false;
    try {
      RunFit(model, target);
      reported = true;
    } catch (const Exception& error) {
      const std::string problem = testing::CheckFitError(error, separator);
      Require(problem.empty(), "not one of the system's messages", name + ": " + problem);
      // A model still being built answers before the fit starts, so before the box is emptied.
      Require(memo.Lines().empty() || testing::IsNotAvailableYet(error.what()),
              "a failed fit left report lines", name);
    }
    // Any other exception escapes: libFuzzer reports it as a crash.
    Require(chart.OwnedSeriesCount() <= 1, "more than one curve on the chart", name);
    const std::string points = testing::CheckCurvePoints(curve.Series());
    Require(points.empty(), "the chart got a point that is not finite", name + ": " + points);
    if (reported) {
      const std::string report = testing::CheckReport(model, memo.Lines(), separator);
      Require(report.empty(), "bad report", name + ": " + report);
      const std::string complete = testing::CheckCompleteCurve(curve.Series(), fields, rows);
      Require(complete.empty(), "incomplete result", name + ": " + complete);
    }
  }
  return 0;
}
