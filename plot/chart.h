#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "common/colors.h"
#include "plot/series.h"

namespace tarvolen {

// The chart (`TChart`): owns every series created on it and keeps the ordered list of the
// series it draws. Changes never draw at once; they only mark the chart for repainting.
class TChart {
 public:
  TChart();
  ~TChart();
  TChart(const TChart&) = delete;
  TChart& operator=(const TChart&) = delete;

  // Creates a series owned by the chart; it is not attached (not in the list) yet.
  template <class Series>
  Series& CreateSeries() {
    auto series = std::make_unique<Series>(*this);
    Series& result = *series;
    owned_.push_back(std::move(series));
    return result;
  }
  // Destroys a series of this chart; a listed series is removed from the list first.
  void FreeSeries(TChartSeries* series);
  // Destroys every owned series that is neither in the list nor among `keep`: series that a
  // data load removed from the list are never drawn again.
  void ReleaseUnlisted(std::initializer_list<const TChartSeries*> keep);
  std::size_t OwnedSeriesCount() const { return owned_.size(); }

  // The series list, in drawing order. It owns nothing.
  const std::vector<TChartSeries*>& SeriesList() const { return list_; }
  bool IsListed(const TChartSeries* series) const;
  // Removes every series from the list; destroys none, and they keep their parent.
  void ClearSeriesList();
  // Appends directly, without the attach steps (so without a colour choice).
  void AppendSeries(TChartSeries* series);
  // Removes the series from the list and clears its parent (detaching).
  void RemoveFromList(TChartSeries* series);

  // The first palette colour held by no listed series and equal to neither Color nor BackColor;
  // red when none is free.
  TColor FirstFreeColor() const;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TColor BackColor() const { return back_color_; }
  void SetBackColor(TColor color);

  // Marks the chart for repainting; the version changes with every change.
  void Invalidate() { ++version_; }
  std::uint64_t Version() const { return version_; }

 private:
  std::vector<std::unique_ptr<TChartSeries>> owned_;
  std::vector<TChartSeries*> list_;
  TColor color_ = clInactiveCaptionText;
  TColor back_color_ = clWhite;
  std::uint64_t version_ = 0;
};

}  // namespace tarvolen
