#include "plot/chart.h"

#include <algorithm>
#include <cmath>

namespace tarvolen {
namespace {

// The lines of a title (or foot) centred between `left` and `right`, from `top` down; empty
// lines only take their room.
void DrawTitleLines(Canvas& canvas, const TChartTitle& title, int top, int left, int right) {
  const TChartFont font = Resolved(title.Font);
  int y = top;
  for (const std::string& line : title.Text) {
    const Size extent = canvas.TextExtent(line.empty() ? "W" : line, font);
    if (!line.empty()) canvas.TextOut(left + (right - left - extent.width) / 2, y, line, font, 0);
    y += extent.height;
  }
}

// The room a title (or foot) takes: its lines and 5 pixels.
int TitleRoom(Canvas& canvas, const TChartTitle& title) {
  if (!title.Visible || title.Text.empty()) return 0;
  const int line_height = canvas.TextExtent("W", Resolved(title.Font)).height;
  return static_cast<int>(title.Text.size()) * line_height + 5;
}

}  // namespace

TChart::TChart()
    : axes_{TChartAxis(TAxisPlace::Bottom), TChartAxis(TAxisPlace::Top),
            TChartAxis(TAxisPlace::Left), TChartAxis(TAxisPlace::Right)} {
  title_.Text = {""};
  title_.Font.Color = clBlue;
}

TChart::~TChart() {
  on_change_ = nullptr;
  list_.clear();
  owned_.clear();
}

// ----- Series -----

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

bool TChart::HasActiveSeries() const {
  return std::any_of(list_.begin(), list_.end(), [](const TChartSeries* s) { return s->Active(); });
}

TColor TChart::FirstFreeColor() const {
  for (TColor candidate : SeriesColorPalette) {
    if (candidate == color_ || candidate == BackColor()) continue;
    const bool held = std::any_of(list_.begin(), list_.end(), [candidate](const TChartSeries* s) {
      return s->SeriesColor() == candidate;
    });
    if (!held) return candidate;
  }
  return SeriesColorPalette[0];
}

// ----- Properties -----

Size TChart::ClientSize() const {
  const int border = BorderStyle == TBorderStyle::bsSingle ? 1 : 0;
  return {std::max(0, Width - 2 * border), std::max(0, Height - 2 * border)};
}

void TChart::SetColor(TColor color) {
  color_ = color;
  Invalidate();
}

void TChart::SetBackColor(TColor color) {
  back_wall_.Color = color;
  Invalidate();
}

void TChart::SetBevelOuter(TPanelBevel bevel) {
  bevel_outer_ = bevel;
  Invalidate();
}

void TChart::SetLegendVisible(bool visible) {
  legend_.Visible = visible;
  Invalidate();
}

void TChart::SetLabelFormat(const FormatSettings& format) {
  label_format_ = format;
  Invalidate();
}

// ----- Layout and drawing -----

bool TChart::SeriesUses(const TChartSeries&, const TChartAxis& axis) const {
  // Every series draws against the bottom and the left axis.
  return axis.Place() == TAxisPlace::Bottom || axis.Place() == TAxisPlace::Left;
}

bool TChart::AxisVisibleNow(const TChartAxis& axis) const {
  if (!axis.Visible || !AxisVisible) return false;
  if (!HasActiveSeries()) return true;
  return std::any_of(list_.begin(), list_.end(), [&](const TChartSeries* s) {
    return s->Active() && SeriesUses(*s, axis);
  });
}

bool TChart::AxisShowsLabels(const TChartAxis& axis) const {
  return std::any_of(list_.begin(), list_.end(), [&](const TChartSeries* s) {
    return s->Active() && SeriesUses(*s, axis);
  });
}

void TChart::CalcAxisRange(TChartAxis& axis) const {
  // Active series with points count; inactive ones only when no active series uses the axis.
  bool any_active = false;
  for (const TChartSeries* s : list_) any_active |= s->Active() && SeriesUses(*s, axis);
  bool has_values = false;
  double low = 0;
  double high = 0;
  for (const TChartSeries* s : list_) {
    if (!SeriesUses(*s, axis) || s->Count() == 0 || (any_active && !s->Active())) continue;
    const double series_low = axis.Horizontal() ? s->MinXValue() : s->MinYValue();
    const double series_high = axis.Horizontal() ? s->MaxXValue() : s->MaxYValue();
    if (!has_values) {
      low = series_low;
      high = series_high;
      has_values = true;
    } else {
      low = std::min(low, series_low);
      high = std::max(high, series_high);
    }
  }
  axis.CalcMinMax(has_values, low, high);
}

void TChart::ApplyMargins(TChartAxis& axis) const {
  int at_start = 0;
  int at_end = 0;
  for (const TChartSeries* s : list_) {
    if (!s->Active() || !SeriesUses(*s, axis)) continue;
    int a = 0;
    int b = 0;
    if (axis.Horizontal()) {
      s->CalcHorizMargins(a, b);
    } else {
      s->CalcVerticalMargins(a, b);
    }
    at_start = std::max(at_start, a);
    at_end = std::max(at_end, b);
  }
  axis.ApplySeriesMargins(at_start, at_end);
}

void TChart::DrawBevel(Canvas& canvas, const Rect& r) const {
  if (bevel_outer_ == TPanelBevel::bvNone || r.Width() <= 0 || r.Height() <= 0) return;
  const bool raised = bevel_outer_ == TPanelBevel::bvRaised;
  const TColor light = ResolveColor(clBtnHighlight);
  const TColor dark = ResolveColor(clBtnShadow);
  const TColor upper_left = raised ? light : dark;
  const TColor lower_right = raised ? dark : light;
  canvas.FillRect({r.left, r.top, r.right - 1, r.top + 1}, upper_left);
  canvas.FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, upper_left);
  canvas.FillRect({r.left, r.bottom - 1, r.right, r.bottom}, lower_right);
  canvas.FillRect({r.right - 1, r.top, r.right, r.bottom}, lower_right);
}

void TChart::Draw(Canvas& canvas, const Rect& rect) {
  DrawFrame(canvas, rect);
  DrawZoomRectangle(canvas);
}

void TChart::DrawZoomRectangle(Canvas& canvas) const {
  if (const auto zoom = ZoomRectangle()) canvas.InvertRectOutline(*zoom, ZoomPenColor());
}

void TChart::DrawFrame(Canvas& canvas, const Rect& rect) {
  // Background and bevel.
  canvas.FillRect(rect, ResolveColor(color_));
  DrawBevel(canvas, rect);

  // The rectangle inside the margins, less the title's and the foot's lines (the legend lists
  // nothing and takes nothing).
  const Rect inside{rect.left + RoundToInt(rect.Width() * MarginLeft / 100.0),
                    rect.top + RoundToInt(rect.Height() * MarginTop / 100.0),
                    rect.right - RoundToInt(rect.Width() * MarginRight / 100.0),
                    rect.bottom - RoundToInt(rect.Height() * MarginBottom / 100.0)};
  Rect plot = inside;
  plot.top += TitleRoom(canvas, title_);
  const int foot_room = TitleRoom(canvas, foot_);
  plot.bottom -= foot_room;

  // Axes: ranges, room for titles, labels and ticks, positions, series margins.
  std::array<TChartAxis*, 4> outer = {&axes_[0], &axes_[1], &axes_[2], &axes_[3]};
  for (TChartAxis& axis : axes_) CalcAxisRange(axis);
  for (std::size_t i = 0; i < outer.size(); ++i) {
    axis_shown_[i] = AxisVisibleNow(*outer[i]);
    if (axis_shown_[i]) {
      outer[i]->ReserveRoom(plot, canvas, label_format_, AxisShowsLabels(*outer[i]));
    }
  }
  for (TChartAxis* axis : outer) axis->SetPositions(plot);
  for (TChartAxis* axis : outer) ApplyMargins(*axis);
  chart_rect_ = plot;

  // The back wall, right and bottom edges included.
  canvas.Rectangle({plot.left, plot.top, plot.right + 1, plot.bottom + 1},
                   Resolved(back_wall_.Pen), Resolved(back_wall_.Brush));
  if (title_.Visible) DrawTitleLines(canvas, title_, inside.top, inside.left, inside.right);
  if (foot_.Visible) {
    DrawTitleLines(canvas, foot_, inside.bottom - foot_room + 5, inside.left, inside.right);
  }

  // The axes before the series, so that series lie on the grid.
  for (std::size_t i = 0; i < outer.size(); ++i) {
    if (!axis_shown_[i]) continue;
    outer[i]->Draw(canvas, plot, label_format_, AxisShowsLabels(*outer[i]));
  }

  // The series in list order: later ones on top.
  for (const TChartSeries* s : list_) {
    if (s->Active()) s->DrawValues(canvas, BottomAxis(), LeftAxis(), plot);
  }
}

bool TChart::AxisShown(const TChartAxis& axis) const {
  return axis_shown_[static_cast<std::size_t>(axis.Place())];
}

// ----- Buffering -----

void TChart::SetBufferedDisplay(bool buffered) {
  if (buffered == buffered_) return;
  buffered_ = buffered;
  if (!buffered) {
    frame_stored_ = false;
    Invalidate();
  }
}

bool TChart::NeedsFrame(Size client) const {
  return !buffered_ || !frame_stored_ || stored_version_ != version_ || !(stored_size_ == client);
}

void TChart::FrameStored(Size client) {
  frame_stored_ = buffered_;
  stored_version_ = version_;
  stored_size_ = client;
}

// ----- Configuration of the main window's chart -----

void ConfigureChart1(TChart& chart) {
  chart.Left = 480;
  chart.Top = 122;
  chart.Width = 305;
  chart.Height = 247;
  chart.BorderStyle = TBorderStyle::bsSingle;
  chart.Cursor = TCursor::crCross;
  chart.SetColor(clInactiveCaptionText);
  chart.SetBackColor(clWhite);
  chart.BackWall().Brush = {clWhite, true};
  TChartStoredNotDrawn& stored = chart.StoredNotDrawn();
  stored.View3D = false;
  stored.LeftWall.Color = RGB(157, 225, 202);
  stored.LeftWall.Brush = {clWhite, true};
  stored.GradientStartColor = RGB(128, 255, 128);
  stored.GradientEndColor = clWhite;
  chart.MarginTop = 3;
  chart.MarginBottom = 3;
  chart.Title().Text = {""};
  const TChartFont title_font{"Arial", 16, true, clBlack};
  chart.BottomAxis().Title.Caption = std::string("X");
  chart.BottomAxis().Title.Font = title_font;
  chart.LeftAxis().Title.Caption = std::string("Y");
  chart.LeftAxis().Title.Font = title_font;
  chart.LeftAxis().TitleSize = 13;
  chart.Invalidate();
}

}  // namespace tarvolen
