#include "plot/data_plot.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/number_text.h"

namespace tarvolen {
namespace {

// The chart keeps doubles: a cell beyond their range must not turn into infinity.
double ToChartValue(Extended value) {
  const double d = static_cast<double>(value);
  if (std::isinf(d)) throw EOverflow();
  return d;
}

// Releases the series a data load took off the list, also when the load fails.
class ReleaseUnlistedOnExit {
 public:
  ReleaseUnlistedOnExit(TChart& chart, const TChartSeries* keep) : chart_(chart), keep_(keep) {}
  ~ReleaseUnlistedOnExit() { chart_.ReleaseUnlisted({keep_}); }
  ReleaseUnlistedOnExit(const ReleaseUnlistedOnExit&) = delete;
  ReleaseUnlistedOnExit& operator=(const ReleaseUnlistedOnExit&) = delete;

 private:
  TChart& chart_;
  const TChartSeries* keep_;
};

}  // namespace

void AddDataPoints(TChartSeries& series, const GridTable& grid, char decimal_separator,
                   const Progress& progress) {
  const int rows = grid.RowCount() - 1;
  // Room for the rows that hold both texts at most: a grid of many empty rows takes none.
  const int filled = std::min({rows, grid.StoredRows(1) - 1, grid.StoredRows(2) - 1});
  std::vector<double> xs;
  std::vector<double> ys;
  xs.reserve(static_cast<std::size_t>(std::max(filled, 0)));
  ys.reserve(static_cast<std::size_t>(std::max(filled, 0)));
  for (int row = 1; row <= rows; ++row) {
    progress.ReportRow(row, rows);
    const std::string& x_text = grid.Cell(1, row);
    const std::string& y_text = grid.Cell(2, row);
    if (x_text.empty() || y_text.empty() || (IsBlank(x_text) && IsBlank(y_text))) continue;
    const Extended x = CellToFloat(x_text, decimal_separator, 1, row);
    const Extended y = CellToFloat(y_text, decimal_separator, 2, row);
    xs.push_back(ToChartValue(x));
    ys.push_back(ToChartValue(y));
  }
  series.AddPoints(xs.data(), ys.data(), xs.size());
  progress.ReportRow(rows + 1, rows);
}

void ShowDataPoints(TChart& chart, const std::function<void(TPointSeries&)>& fill,
                    const TChartSeries* curve_series) {
  chart.SetColor(clInactiveCaptionText);
  chart.SetBevelOuter(TPanelBevel::bvNone);
  chart.SetLegendVisible(false);

  // The colour is chosen while the previous data series and curve are still listed.
  TPointSeries& points = chart.CreateSeries<TPointSeries>();
  points.SetParentChart(&chart);
  points.SetShowInLegend(false);
  points.Pointer().Style = TSeriesPointerStyle::psCircle;

  chart.ClearSeriesList();
  const ReleaseUnlistedOnExit release(chart, curve_series);
  fill(points);
  chart.AppendSeries(&points);
}

void PlotDataPoints(TChart& chart, const GridTable& grid, char decimal_separator,
                    const TChartSeries* curve_series) {
  ShowDataPoints(
      chart, [&](TPointSeries& points) { AddDataPoints(points, grid, decimal_separator); },
      curve_series);
}

}  // namespace tarvolen
