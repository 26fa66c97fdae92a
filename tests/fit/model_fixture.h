#pragma once

// Fit targets for tables of model cases: each case gets a window of its own, with a fresh chart.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/number_text.h"
#include "fit_fixture.h"

namespace tarvolen::testing {

using Rows = std::vector<std::pair<std::string, std::string>>;

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

// The window of FitFixture, made once per case of a table.
class FitWindow : public FitFixture {
 public:
  explicit FitWindow(const Rows& rows) { SetRows(rows); }

  using FitFixture::chart;
  using FitFixture::curve;
  using FitFixture::CurveSeries;
  using FitFixture::fields;
  using FitFixture::Fit;
  using FitFixture::grid;
  using FitFixture::Lines;
  using FitFixture::memo;
  using FitFixture::cause;

  // The number after the label in the report line that starts with `label`.
  long double Reported(const std::string& label) const {
    for (const std::string& line : Lines()) {
      if (line.rfind(label, 0) == 0) return TextToFloat(line.substr(label.size()), '.');
    }
    ADD_FAILURE() << "no line " << label;
    return 0;
  }

 private:
  void TestBody() override {}
};

}  // namespace tarvolen::testing
