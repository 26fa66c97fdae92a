#include "plot/chart_curve.h"

namespace tarvolen {

void ChartCurve::Remove() {
  chart_.FreeSeries(series_);
  series_ = nullptr;
}

void ChartCurve::Restart() {
  Remove();
  TLineSeries& curve = chart_.CreateSeries<TLineSeries>();
  series_ = &curve;
  curve.SetParentChart(&chart_);
  curve.SetShowInLegend(false);
}

void ChartCurve::Reserve(std::size_t count, bool descending) {
  if (series_) series_->ReservePoints(count, descending);
}

void ChartCurve::Add(const double* xs, const double* ys, std::size_t count) {
  if (!series_) return;
  if (count == 1) {
    series_->AddPoint(*xs, *ys);
  } else {
    series_->AddPoints(xs, ys, count);
  }
}

}  // namespace tarvolen
