#include "shell/window_work.h"

#include <utility>

#include "common/errors.h"
#include "data/data_file.h"
#include "plot/data_plot.h"

namespace tarvolen {

void FitWork::Run(ProgressObserver& observer) {
  // The statistics take one more pass over the rows: the last twentieth of the progress.
  PartObserver fit_observer(observer, 0, 0.95);
  FitTarget target{grid, &curve, fields, lines, separator};
  target.observer = &fit_observer;
  std::exception_ptr error;
  bool cancelled = false;
  try {
    const FitResult result = RunFit(model, target);
    statistics = ComputeStatistics(result, {0, Progress(&observer).Part(0.95, 1)});
  } catch (const Cancelled&) {
    cancelled = true;
    error = std::current_exception();
  } catch (...) {
    error = std::current_exception();
  }
  grid = GridTable();  // done with the texts
  // The extremes of the curve, also of one a failed fit left, are found here rather than by the
  // window's next frame.
  if (!cancelled && curve.Series()) curve.Series()->MinYValue();
  if (error) std::rethrow_exception(error);
}

void CompareWork::Run(ProgressObserver& observer) {
  // The texts are let go when the comparison ends, however it ends.
  const GridTable data = std::exchange(grid, GridTable());
  comparison = CompareModels(data, separator, 0, &observer);
}

LoadWork::LoadWork(std::optional<std::string> file, GridTable data, char decimal_separator)
    : path(std::move(file)),
      grid(std::move(data)),
      separator(decimal_separator),
      points(chart.CreateSeries<TPointSeries>()) {}

void LoadWork::Run(ProgressObserver& observer) {
  const Progress progress(&observer);
  if (path) LoadDataFile(*path, grid, progress.Part(0, 0.7));
  try {
    AddDataPoints(points, grid, separator, progress.Part(path ? 0.7 : 0, 1));
    points.MinYValue();  // found here rather than by the window's first frame
  } catch (const Exception&) {
    plot_error = std::current_exception();
  }
  if (!path) grid = GridTable();
}

GridTable EmptyGridLike(const GridTable& grid) {
  GridTable empty;
  if (grid.FixedRows() == 0) empty.SetRowCount(1);
  empty.WriteHeaders();
  return empty;
}

}  // namespace tarvolen
