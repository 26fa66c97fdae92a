#pragma once

#include <string>

#include "data/grid_table.h"
#include "plot/data_plot.h"
#include "render/painter_canvas.h"

namespace tarvolen::render {

// Chart1 after loading the five example points and fitting the line y = 2.2 + 0.6 x (its 101
// samples added as a fit adds them), painted once on screen.
struct FivePoints {
  TChart chart;
  FivePoints() {
    ConfigureChart1(chart);
    GridTable grid;
    grid.SetRowCount(6);
    const char* ys[] = {"2", "4", "5", "4", "5"};
    for (int row = 1; row <= 5; ++row) {
      grid.SetCell(1, row, std::to_string(row));
      grid.SetCell(2, row, ys[row - 1]);
    }
    PlotDataPoints(chart, grid, '.', nullptr);
    TLineSeries& curve = chart.CreateSeries<TLineSeries>();
    curve.SetParentChart(&chart);
    curve.SetShowInLegend(false);
    for (int i = 0; i <= 100; ++i) {
      const double x = 4.0 / 100 * i + 1;
      curve.AddPoint(x, 2.2 + 0.6 * x);
    }
    RenderChartImage(chart);
  }
};

}  // namespace tarvolen::render
