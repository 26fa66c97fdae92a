#include "shell/window_work.h"

#include <algorithm>
#include <utility>

#include "common/errors.h"
#include "data/data_file.h"
#include "plot/data_plot.h"

namespace tarvolen {

GridTable CopyOfData(const GridTable& grid) {
  GridTable copy;
  copy.SetRowCount(grid.RowCount());
  const int rows = std::min(std::max(grid.StoredRows(1), grid.StoredRows(2)), grid.RowCount());
  copy.ReserveRows(rows);
  for (const int column : {1, 2}) {
    const int stored = std::min(grid.StoredRows(column), rows);
    for (int row = 0; row < stored; ++row) {
      const std::string& text = grid.Cell(column, row);
      if (!text.empty()) copy.SetCell(column, row, text);
    }
  }
  return copy;
}

void FitWork::Run(ProgressObserver& observer) {
  FitTarget target{grid, &curve, fields, lines, separator};
  target.observer = &observer;
  RunFit(model, target);
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
  } catch (const Exception&) {
    plot_error = std::current_exception();
  }
}

GridTable EmptyGridLike(const GridTable& grid) {
  GridTable empty;
  if (grid.FixedRows() == 0) empty.SetRowCount(1);
  empty.WriteHeaders();
  return empty;
}

}  // namespace tarvolen
