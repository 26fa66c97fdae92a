#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "fit/fit.h"
#include "plot/chart_curve.h"

namespace tarvolen::testing {

// Makes the data rows of `grid` exactly these (X, Y) texts: RowCount = rows + 1.
inline void SetGridRows(GridTable& grid,
                        const std::vector<std::pair<std::string, std::string>>& rows) {
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    grid.SetCell(1, static_cast<int>(i) + 1, rows[i].first);
    grid.SetCell(2, static_cast<int>(i) + 1, rows[i].second);
  }
}

// A grid, a chart with its fitted curve, the fit fields and a results box, as the main window
// holds them.
class FitFixture : public ::testing::Test {
 protected:
  FitFixture() { grid.WriteHeaders(); }

  // Makes the data rows exactly these (X, Y) texts: RowCount = rows + 1.
  void SetRows(const std::vector<std::pair<std::string, std::string>>& rows) {
    SetGridRows(grid, rows);
  }

  // Runs the fit; returns the message of the error that ended it (without its cause, which
  // `cause` then holds), or "" on success.
  std::string Fit(Model model, char separator = '.') {
    cause.clear();
    try {
      RunFit(model, {grid, &curve, fields, memo, separator});
    } catch (const Exception& e) {
      cause = e.Cause();
      return e.Message();
    }
    return "";
  }

  const std::vector<std::string>& Lines() const { return memo.Lines(); }
  const TLineSeries* CurveSeries() const { return curve.Series(); }
  std::size_t CurveCount() const { return CurveSeries() ? CurveSeries()->Count() : 0; }

  GridTable grid;
  TChart chart;
  ChartCurve curve{chart};
  FitFields fields;
  StringResultLines memo;
  std::string cause;  // of the error that ended the last Fit
};

}  // namespace tarvolen::testing
