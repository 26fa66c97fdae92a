#pragma once

#include <functional>

#include "common/progress.h"
#include "data/grid_table.h"
#include "plot/chart.h"

namespace tarvolen {

// The data-point plot after every data load: gives the chart its stored colour, no bevel and no
// legend; creates a circle-marker point series whose colour is chosen against the series still
// listed; clears the list (the previous curve disappears from view); adds the X and Y of every
// data row 1..RowCount-1 whose two cells are both non-empty, in grid order; and lists the new
// series alone. Rows whose cells are blank (spaces only) are left out as empty ones are.
//
// A cell that is not a number throws EConvertError "'<text>' is not a valid floating point
// value", followed by its row and column, and one beyond the range of the chart's doubles
// EOverflow "Floating point overflow"; the list then stays empty. Either way the series that are
// no longer listed are released, except `curve_series` (the current fitted curve, which the next
// fit frees).
void PlotDataPoints(TChart& chart, const GridTable& grid, char decimal_separator,
                    const TChartSeries* curve_series);

// The points part of PlotDataPoints, for work that runs apart from the chart: adds the X and Y
// of the rows the plot shows to `series`, or throws as PlotDataPoints does. `progress` is told
// how many rows are read and asked between chunks of rows whether to stop (see
// common/progress.h).
void AddDataPoints(TChartSeries& series, const GridTable& grid, char decimal_separator,
                   const Progress& progress = {});

// The chart part of PlotDataPoints, with the points coming from `fill`, which adds them to the
// new series (taking them from a series that AddDataPoints filled, say) or throws the error
// that AddDataPoints threw; the chart is then left as PlotDataPoints leaves it.
void ShowDataPoints(TChart& chart, const std::function<void(TPointSeries&)>& fill,
                    const TChartSeries* curve_series);

}  // namespace tarvolen
