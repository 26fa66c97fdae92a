#include "plot/series.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "plot/chart.h"

namespace tarvolen {

TChartSeries::~TChartSeries() {
  if (parent_) parent_->RemoveFromList(this);
}

void TChartSeries::SetParentChart(TChart* chart) {
  if (parent_ == chart) return;
  if (parent_) {
    parent_->RemoveFromList(this);
    parent_ = nullptr;  // also when the old parent did not list it
  }
  if (!chart) return;
  parent_ = chart;
  if (chart->IsListed(this)) return;
  if (series_color_ == clAutoColor) series_color_ = chart->FirstFreeColor();
  chart->AppendSeries(this);
}

void TChartSeries::SetSeriesColor(TColor color) {
  series_color_ = color;
  Changed();
}

void TChartSeries::SetActive(bool active) {
  active_ = active;
  Changed();
}

void TChartSeries::Changed() {
  if (parent_) parent_->Invalidate();
}

void TChartSeries::FindYExtremes() const {
  if (y_.Empty()) {
    min_y_ = max_y_ = 0;
  } else {
    const auto [low, high] = std::minmax_element(y_.begin(), y_.end());
    min_y_ = *low;
    max_y_ = *high;
  }
  y_extremes_known_ = true;
}

double TChartSeries::MinYValue() const {
  if (!y_extremes_known_) FindYExtremes();
  return min_y_;
}

double TChartSeries::MaxYValue() const {
  if (!y_extremes_known_) FindYExtremes();
  return max_y_;
}

void TChartSeries::CalcHorizMargins(int& left, int& right) const { left = right = 0; }

void TChartSeries::CalcVerticalMargins(int& top, int& bottom) const { top = bottom = 0; }

void TChartSeries::DrawValues(Canvas&, const TChartAxis&, const TChartAxis&, const Rect&) const {}

std::size_t TChartSeries::AddPoint(double x, double y) {
  std::size_t index;
  if (x_.Empty() || !(x < x_.Last())) {
    index = x_.Count();
    x_.PushBack(x);
    y_.PushBack(y);
  } else {
    // After the last value not greater than x.
    index = static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), x) - x_.begin());
    x_.Insert(index, x);
    y_.Insert(index, y);
  }
  ExtremesChanged();
  Changed();
  return index;
}

void TChartSeries::AddPoints(const double* xs, const double* ys, std::size_t count) {
  if (count == 0) return;
  ExtremesChanged();
  // Adding one by one puts each pair after every stored X not greater than its own, so the
  // result is the stored list merged with the new pairs sorted stably by X, stored ones first
  // on equal X. Only the stored values within the new pairs' X range move: a batch of curve
  // samples costs its own length whether it arrives ascending or descending.
  // The new pairs in that order: as given, reversed when strictly descending, else sorted.
  const bool ascending = std::is_sorted(xs, xs + count);
  std::vector<std::size_t> order;
  if (!ascending) {
    order.resize(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (std::adjacent_find(xs, xs + count, [](double a, double b) { return !(b < a); }) ==
        xs + count) {
      std::reverse(order.begin(), order.end());
    } else {
      std::stable_sort(order.begin(), order.end(),
                       [xs](std::size_t a, std::size_t b) { return xs[a] < xs[b]; });
    }
  }
  const auto nth = [&](std::size_t k) { return ascending ? k : order[k]; };
  const double low = xs[nth(0)];
  const double high = xs[nth(count - 1)];
  const std::size_t begin =
      static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), low) - x_.begin());
  const std::size_t end =
      static_cast<std::size_t>(std::upper_bound(x_.begin(), x_.end(), high) - x_.begin());
  if (ascending && begin == end) {
    // No stored value among them (a curve's next samples): they go in as they are.
    x_.Splice(begin, end, xs, count);
    y_.Splice(begin, end, ys, count);
    Changed();
    return;
  }
  std::vector<double> mx, my;
  mx.reserve(end - begin + count);
  my.reserve(end - begin + count);
  std::size_t i = begin;
  for (std::size_t n = 0; n < count; ++n) {
    const std::size_t k = nth(n);
    while (i < end && !(xs[k] < x_[i])) {
      mx.push_back(x_[i]);
      my.push_back(y_[i]);
      ++i;
    }
    mx.push_back(xs[k]);
    my.push_back(ys[k]);
  }
  for (; i < end; ++i) {
    mx.push_back(x_[i]);
    my.push_back(y_[i]);
  }
  x_.Splice(begin, end, mx.data(), mx.size());
  y_.Splice(begin, end, my.data(), my.size());
  Changed();
}

void TChartSeries::ReservePoints(std::size_t count, bool descending) {
  x_.Reserve(count, descending);
  y_.Reserve(count, descending);
}

void TChartSeries::TakePoints(TChartSeries& other) {
  Clear();
  x_.Swap(other.x_);
  y_.Swap(other.y_);
  y_extremes_known_ = other.y_extremes_known_;
  min_y_ = other.min_y_;
  max_y_ = other.max_y_;
  other.ExtremesChanged();
  other.Changed();
  Changed();
}

void TChartSeries::Clear() {
  x_.Clear();
  y_.Clear();
  ExtremesChanged();
  Changed();
}

}  // namespace tarvolen
