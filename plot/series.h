#pragma once

#include <array>
#include <cstddef>

#include "common/colors.h"
#include "plot/canvas.h"
#include "plot/value_list.h"

namespace tarvolen {

class TChart;
class TChartAxis;

enum class TSeriesPointerStyle { psRectangle, psCircle };

struct TSeriesPointer {
  bool Visible = true;
  int HorizSize = 4;
  int VertSize = 4;
  TSeriesPointerStyle Style = TSeriesPointerStyle::psRectangle;
  TChartPen Pen;
  TChartBrush Brush;
  bool InflateMargins = true;
  bool Draw3D = true;
};

// The 16 default series colours.
inline constexpr std::array<TColor, 16> SeriesColorPalette = {
    RGB(255, 0, 0),     RGB(0, 128, 0),   RGB(255, 255, 0), RGB(0, 0, 255),
    RGB(255, 255, 255), RGB(128, 128, 128), RGB(255, 0, 255), RGB(0, 128, 128),
    RGB(0, 0, 128),     RGB(128, 0, 0),   RGB(0, 255, 0),   RGB(128, 128, 0),
    RGB(128, 0, 128),   RGB(192, 192, 192), RGB(0, 255, 255), RGB(0, 0, 0)};

// A series of (x, y) values drawn by a chart (`TChartSeries`). The X list is kept in ascending
// order and the Y list follows it. Series are owned by their chart (created with
// `TChart::CreateSeries`); whether one is drawn depends only on whether the chart's list holds it.
// Every point of this program has the colour clAutoColor and an empty label, so neither is stored.
class TChartSeries {
 public:
  explicit TChartSeries(TChart& owner) : owner_(&owner) {}
  virtual ~TChartSeries();
  TChartSeries(const TChartSeries&) = delete;
  TChartSeries& operator=(const TChartSeries&) = delete;

  TChart& Owner() const { return *owner_; }
  TChart* ParentChart() const { return parent_; }
  // Attaches to `chart` (first detaching from another parent): resolves the axes, and unless the
  // chart already lists the series, gives it the first free palette colour when its colour is
  // clAutoColor and appends it to the list. nullptr detaches.
  void SetParentChart(TChart* chart);

  TColor SeriesColor() const { return series_color_; }
  void SetSeriesColor(TColor color);
  bool Active() const { return active_; }
  void SetActive(bool active);
  bool ShowInLegend() const { return show_in_legend_; }
  void SetShowInLegend(bool show) { show_in_legend_ = show; }

  const TChartValueList& XValues() const { return x_; }
  const TChartValueList& YValues() const { return y_; }
  std::size_t Count() const { return x_.Count(); }
  // The extremes of the values; 0 for an empty series. X is sorted, Y is scanned once after each
  // change and kept.
  double MinXValue() const { return x_.Empty() ? 0 : x_.First(); }
  double MaxXValue() const { return x_.Empty() ? 0 : x_.Last(); }
  double MinYValue() const;
  double MaxYValue() const;
  // The colour of point i as drawn: the series colour, as every point has clAutoColor.
  TColor ValueColor(std::size_t) const { return series_color_; }

  // Adds one pair, after every stored X not greater than x; returns its index.
  std::size_t AddPoint(double x, double y);
  // Adds the pairs as that many AddPoint calls in order would, without their quadratic cost
  // for descending or unordered X.
  void AddPoints(const double* xs, const double* ys, std::size_t count);
  // Makes room for `count` more points arriving in ascending (or descending) X.
  void ReservePoints(std::size_t count, bool descending);
  void Clear();
  // Takes the points of `other` in place of its own, without copying them (points gathered
  // apart from the chart, on another thread, say), and the extremes of Y found there, if any;
  // `other` is left without points.
  void TakePoints(TChartSeries& other);

  // Pixels the series needs between its extreme values and the axis ends: at the left and
  // right ends of its horizontal axis, at the top and bottom of its vertical one.
  virtual void CalcHorizMargins(int& left, int& right) const;
  virtual void CalcVerticalMargins(int& top, int& bottom) const;

  // Draws the points in the plot rectangle `plot` (right and bottom edges included) with the
  // working layout of the two axes.
  virtual void DrawValues(Canvas& canvas, const TChartAxis& horiz, const TChartAxis& vert,
                          const Rect& plot) const;

 private:
  friend class TChart;
  void Changed();
  void ExtremesChanged() { y_extremes_known_ = false; }
  void FindYExtremes() const;

  TChart* owner_;
  TChart* parent_ = nullptr;
  TColor series_color_ = clAutoColor;
  bool active_ = true;
  bool show_in_legend_ = true;
  TChartValueList x_;
  TChartValueList y_;
  mutable bool y_extremes_known_ = false;
  mutable double min_y_ = 0;
  mutable double max_y_ = 0;
};

// Point and line series share their drawing (`TCustomSeries`): a pointer (marker) per point and
// optionally a line joining consecutive points.
class TCustomSeries : public TChartSeries {
 public:
  using TChartSeries::TChartSeries;
  TSeriesPointer& Pointer() { return pointer_; }
  const TSeriesPointer& Pointer() const { return pointer_; }
  TChartPen& LinePen() { return line_pen_; }
  const TChartPen& LinePen() const { return line_pen_; }
  bool DrawLines() const { return draw_lines_; }

  void CalcHorizMargins(int& left, int& right) const override;
  void CalcVerticalMargins(int& top, int& bottom) const override;
  // Markers and lines of the visible points; see series_draw.cpp.
  void DrawValues(Canvas& canvas, const TChartAxis& horiz, const TChartAxis& vert,
                  const Rect& plot) const override;

  // The first and last index drawn when the horizontal axis shows `xl`..`xr`: the first X not
  // below xl, and the first X not below xr when the series runs on beyond xr (so a line reaches
  // the edge). False when no X reaches xl.
  bool VisibleRange(double xl, double xr, std::size_t& first, std::size_t& last) const;

 protected:
  TSeriesPointer pointer_;
  TChartPen line_pen_;
  bool draw_lines_ = false;
};

// The data points: circular markers, not joined.
class TPointSeries : public TCustomSeries {
 public:
  explicit TPointSeries(TChart& owner) : TCustomSeries(owner) {
    pointer_.Visible = true;
    draw_lines_ = false;
  }
};

// The fitted curve: a polyline without markers.
class TLineSeries : public TCustomSeries {
 public:
  explicit TLineSeries(TChart& owner) : TCustomSeries(owner) {
    pointer_.Visible = false;
    draw_lines_ = true;
  }
};

}  // namespace tarvolen
