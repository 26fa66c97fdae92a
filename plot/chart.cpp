#include "plot/chart.h"

#include <algorithm>

namespace tarvolen {

TChart::TChart() = default;

TChart::~TChart() {
  list_.clear();
  owned_.clear();
}

void TChart::FreeSeries(TChartSeries* series) {
  if (!series) return;
  RemoveFromList(series);
  const auto it = std::find_if(owned_.begin(), owned_.end(),
                               [series](const auto& owned) { return owned.get() == series; });
  if (it != owned_.end()) owned_.erase(it);
}

void TChart::ReleaseUnlisted(std::initializer_list<const TChartSeries*> keep) {
  std::erase_if(owned_, [&](const std::unique_ptr<TChartSeries>& series) {
    if (IsListed(series.get())) return false;
    return std::find(keep.begin(), keep.end(), series.get()) == keep.end();
  });
}

bool TChart::IsListed(const TChartSeries* series) const {
  return std::find(list_.begin(), list_.end(), series) != list_.end();
}

void TChart::ClearSeriesList() {
  list_.clear();
  Invalidate();
}

void TChart::AppendSeries(TChartSeries* series) {
  list_.push_back(series);
  Invalidate();
}

void TChart::RemoveFromList(TChartSeries* series) {
  const auto it = std::find(list_.begin(), list_.end(), series);
  if (it == list_.end()) return;
  list_.erase(it);
  if (series->parent_ == this) series->parent_ = nullptr;
  Invalidate();
}

TColor TChart::FirstFreeColor() const {
  for (TColor candidate : SeriesColorPalette) {
    if (candidate == color_ || candidate == back_color_) continue;
    const bool held = std::any_of(list_.begin(), list_.end(), [candidate](const TChartSeries* s) {
      return s->SeriesColor() == candidate;
    });
    if (!held) return candidate;
  }
  return SeriesColorPalette[0];
}

void TChart::SetColor(TColor color) {
  color_ = color;
  Invalidate();
}

void TChart::SetBackColor(TColor color) {
  back_color_ = color;
  Invalidate();
}

}  // namespace tarvolen
