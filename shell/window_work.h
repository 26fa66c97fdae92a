#pragma once

// The window's long work, run apart from the window (see shell/background_work.h): each holds
// copies of its inputs and keeps its outcome until the window applies it on its own thread.

#include <exception>
#include <optional>
#include <string>

#include "common/progress.h"
#include "data/grid_table.h"
#include "fit/compare.h"
#include "fit/fit.h"
#include "fit/statistics.h"
#include "plot/chart.h"
#include "plot/chart_curve.h"

namespace tarvolen {

// One model's fit on a copy of the grid (which shares the window's texts until either is
// written), starting from the window's fit fields, with its curve on a chart of its own, then
// the statistics of the fit. `Run` throws what RunFit throws; whatever ran of the fit is kept
// (the results, the fields and the curve as far as it got, with its extremes found) for the
// window to apply. The copy of the grid is let go when the fit ends, so that the window's next
// change to its grid copies nothing.
struct FitWork {
  FitWork(Model model, GridTable data, char decimal_separator, const FitFields& fields)
      : model(model), grid(std::move(data)), separator(decimal_separator), fields(fields) {}
  FitWork(const FitWork&) = delete;
  FitWork& operator=(const FitWork&) = delete;

  void Run(ProgressObserver& observer);

  const Model model;
  GridTable grid;
  const char separator;
  FitFields fields;
  StringResultLines lines;  // the results box as the fit left it
  TChart chart;             // holds the curve only
  ChartCurve curve{chart};  // Series() is null while the fit has not replaced the curve
  std::optional<FitStatistics> statistics;  // of a fit that succeeded
};

// All ten models fitted to a copy of the grid and ranked (CompareModels), which is let go when
// the comparison ends. `Run` throws only `Cancelled` and std::bad_alloc.
struct CompareWork {
  CompareWork(GridTable data, char decimal_separator)
      : grid(std::move(data)), separator(decimal_separator) {}
  CompareWork(const CompareWork&) = delete;
  CompareWork& operator=(const CompareWork&) = delete;

  void Run(ProgressObserver& observer);

  GridTable grid;
  const char separator;
  ModelComparison comparison;
};

// A data load into a grid of its own, followed by the data points it plots, gathered on a chart
// of its own. Without a file the points come from a copy of the window's grid (Load Data whose
// dialog was cancelled replots the grid as it is), which is let go once they are gathered. `Run`
// throws when the file cannot be read; an error of the plot is kept in `plot_error`, as the
// window shows it after the load.
struct LoadWork {
  // `grid`: an empty grid with the window's fixed rows and headers to load `path` into, or, when
  // `path` is empty, the copy of the window's data to plot.
  LoadWork(std::optional<std::string> path, GridTable grid, char decimal_separator);
  LoadWork(const LoadWork&) = delete;
  LoadWork& operator=(const LoadWork&) = delete;

  void Run(ProgressObserver& observer);

  const std::optional<std::string> path;
  GridTable grid;
  const char separator;
  TChart chart;
  TPointSeries& points;
  std::exception_ptr plot_error;
};

// An empty grid as a load starts it in place of `grid`: the header texts, and no fixed row when
// `grid` has none left (a load of an empty file takes it for good).
GridTable EmptyGridLike(const GridTable& grid);

}  // namespace tarvolen
