#pragma once

#include "data/grid_table.h"
#include "plot/chart.h"

namespace tarvolen {

// The data-point plot after every data load: gives the chart its stored colour, no bevel and no
// legend; creates a circle-marker point series whose colour is chosen against the series still
// listed; clears the list (the previous curve disappears from view); adds the X and Y of every
// data row 1..RowCount-1 whose two cells are both non-empty, in grid order; and lists the new
// series alone.
//
// A cell that is not a number throws EConvertError "'<text>' is not a valid floating point
// value", and one beyond the range of the chart's doubles EOverflow "Floating point overflow";
// the list then stays empty. Either way the series that are no longer listed are released,
// except `curve_series` (the current fitted curve, which the next fit frees).
void PlotDataPoints(TChart& chart, const GridTable& grid, char decimal_separator,
                    const TChartSeries* curve_series);

}  // namespace tarvolen
