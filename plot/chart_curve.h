#pragma once

#include <cstddef>

#include "common/curve_sink.h"
#include "plot/chart.h"

namespace tarvolen {

// The fitted curve on a chart, as the window and the command line show it: the window's
// `CurveSeries`. Each fit's `Restart` destroys the current curve series (taking it off the list
// when a data load has not already done so), creates a new line series owned by the chart and
// attaches it, so that it is drawn after the data points in the first free colour, kept out of
// the legend; the fit's samples are then added to it in order.
class ChartCurve : public CurveSink {
 public:
  explicit ChartCurve(TChart& chart) : chart_(chart) {}
  ChartCurve(const ChartCurve&) = delete;
  ChartCurve& operator=(const ChartCurve&) = delete;

  // The current fitted curve, owned by the chart; null before the first fit.
  TLineSeries* Series() const { return series_; }

  // Destroys the current curve, taking it off the chart; the next fit starts a new one.
  void Remove();

  void Restart() override;
  void Reserve(std::size_t count, bool descending) override;
  void Add(const double* xs, const double* ys, std::size_t count) override;

 private:
  TChart& chart_;
  TLineSeries* series_ = nullptr;
};

}  // namespace tarvolen
