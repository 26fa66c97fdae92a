#pragma once

// A window's worth of fit targets for running the models through RunFit in tests.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/number_text.h"
#include "data/grid_table.h"
#include "fit/fit.h"
#include "plot/chart.h"

namespace tarvolen::fittest {

using Rows = std::vector<std::pair<std::string, std::string>>;

// The grid holds exactly `rows` as data rows 1..n.
inline void FillGrid(GridTable& grid, const Rows& rows) {
  grid.WriteHeaders();
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    grid.SetCell(1, static_cast<int>(i) + 1, rows[i].first);
    grid.SetCell(2, static_cast<int>(i) + 1, rows[i].second);
  }
}

// Rows from numbers, written with 21 significant digits (every extended value reads back
// exactly).
inline Rows NumberRows(const std::vector<long double>& xs, const std::vector<long double>& ys) {
  Rows rows;
  char x[64], y[64];
  for (std::size_t i = 0; i < xs.size(); ++i) {
    std::snprintf(x, sizeof x, "%.21Lg", xs[i]);
    std::snprintf(y, sizeof y, "%.21Lg", ys[i]);
    rows.emplace_back(x, y);
  }
  return rows;
}

struct FitWindow {
  GridTable grid;
  TChart chart;
  FitFields fields;
  StringResultLines memo;
  FitTarget target{grid, chart, fields, memo, '.'};

  explicit FitWindow(const Rows& rows) { FillGrid(grid, rows); }

  // Runs the fit; the message of the error that ended it, or "" when it reported.
  std::string Run(Model model) {
    try {
      RunFit(model, target);
    } catch (const Exception& error) {
      return error.what();
    }
    return "";
  }

  // The number after the label in the report line that starts with `label`.
  long double Reported(const std::string& label) const {
    for (const std::string& line : memo.Lines()) {
      if (line.rfind(label, 0) == 0) return TextToFloat(line.substr(label.size()), '.');
    }
    ADD_FAILURE() << "no line " << label;
    return 0;
  }
};

}  // namespace tarvolen::fittest
