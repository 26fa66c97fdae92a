#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/colors.h"
#include "common/number_text.h"
#include "plot/axis.h"
#include "plot/canvas.h"
#include "plot/series.h"

namespace tarvolen {

enum class TPanelBevel { bvNone, bvLowered, bvRaised };
enum class TBorderStyle { bsNone, bsSingle };
enum class TCursor { crDefault, crCross };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TLegendAlignment { laLeft, laRight, laTop, laBottom };

// The title or foot: lines of text centred above (below) the plot.
struct TChartTitle {
  bool Visible = true;
  std::vector<std::string> Text;
  TChartFont Font;
  bool FrameVisible = false;
};

// The legend. Every series of this program is kept out of it, so it never lists anything and
// takes no room.
struct TChartLegend {
  bool Visible = true;
  TLegendAlignment Alignment = TLegendAlignment::laRight;
};

struct TChartWall {
  TColor Color = clWhite;
  TChartBrush Brush{clWhite, false};
  TChartPen Pen;
};

// Values the main window's chart stores but this chart engine never draws: it is flat, has no
// side walls and no gradient. Kept so that the stored layout is complete in one place.
struct TChartStoredNotDrawn {
  bool View3D = true;                   // stored False: the chart is two-dimensional
  TChartWall LeftWall;                  // drawn only in 3D
  TColor GradientStartColor = clWhite;  // the gradient is never visible
  TColor GradientEndColor = clWhite;
};

// The chart (`TChart`): owns every series created on it and keeps the ordered list of the
// series it draws; lays out and draws one frame onto a canvas; zooms and scrolls on mouse
// events.
//
// Changes never draw at once; they only mark the chart for repainting (`Version` changes). A
// window shows the chart by asking `NeedsFrame` on every paint request, drawing a frame into its
// stored picture with `DrawFrame` when it says so (then `FrameStored`), and showing the stored picture
// with the zoom rectangle, if any, inverted on top. Properties changed through the references
// below (axes, title, walls) take effect at the next frame; call `Invalidate` after changing them.
class TChart {
 public:
  TChart();
  ~TChart();
  TChart(const TChart&) = delete;
  TChart& operator=(const TChart&) = delete;

  // ----- Series -----

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
  // Whether an active series is in the list.
  bool HasActiveSeries() const;

  // The first palette colour held by no listed series and equal to neither Color nor BackColor;
  // red when none is free.
  TColor FirstFreeColor() const;

  // ----- Properties -----

  // Position and size on the window; the picture covers the client area inside the border.
  int Left = 0;
  int Top = 0;
  int Width = 400;
  int Height = 250;
  TBorderStyle BorderStyle = TBorderStyle::bsNone;
  Size ClientSize() const;
  TCursor Cursor = TCursor::crDefault;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  // The back wall's colour.
  TColor BackColor() const { return back_wall_.Color; }
  void SetBackColor(TColor color);
  TPanelBevel BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TPanelBevel bevel);
  bool LegendVisible() const { return legend_.Visible; }
  void SetLegendVisible(bool visible);

  // Margins in percent: left and right of the client width, top and bottom of its height.
  int MarginLeft = 3;
  int MarginTop = 4;
  int MarginRight = 3;
  int MarginBottom = 4;
  bool AxisVisible = true;
  bool AllowZoom = true;
  bool AllowPanning = true;  // in both directions

  TChartTitle& Title() { return title_; }
  TChartTitle& Foot() { return foot_; }
  TChartLegend& Legend() { return legend_; }
  TChartWall& BackWall() { return back_wall_; }
  TChartStoredNotDrawn& StoredNotDrawn() { return stored_not_drawn_; }
  const TChartStoredNotDrawn& StoredNotDrawn() const { return stored_not_drawn_; }

  TChartAxis& BottomAxis() { return axes_[0]; }
  TChartAxis& TopAxis() { return axes_[1]; }
  TChartAxis& LeftAxis() { return axes_[2]; }
  TChartAxis& RightAxis() { return axes_[3]; }
  const TChartAxis& BottomAxis() const { return axes_[0]; }
  const TChartAxis& TopAxis() const { return axes_[1]; }
  const TChartAxis& LeftAxis() const { return axes_[2]; }
  const TChartAxis& RightAxis() const { return axes_[3]; }

  // The separators of the axis labels (the user's locale).
  const FormatSettings& LabelFormat() const { return label_format_; }
  void SetLabelFormat(const FormatSettings& format);

  // ----- Drawing -----

  // Draws one complete frame within `rect` (normally the client rectangle at (0, 0)): the
  // background and bevel, the title's room, the axes' room and ranges, the back wall, the axes,
  // the series in list order, and last the zoom rectangle while a zoom drag is on.
  void Draw(Canvas& canvas, const Rect& rect);
  // The frame without the zoom rectangle (for a stored picture), and the zoom rectangle alone.
  void DrawFrame(Canvas& canvas, const Rect& rect);
  void DrawZoomRectangle(Canvas& canvas) const;

  // The plot rectangle of the last frame, right and bottom edges included.
  const Rect& ChartRect() const { return chart_rect_; }
  // Whether the axis was drawn in the last frame.
  bool AxisShown(const TChartAxis& axis) const;

  // Marks the chart for repainting; the version changes with every change, and the change
  // handler, if any, is called (a window asks for a paint there; it must not draw at once).
  void Invalidate() {
    ++version_;
    if (on_change_) on_change_();
  }
  std::uint64_t Version() const { return version_; }
  void SetChangeHandler(std::function<void()> handler) { on_change_ = std::move(handler); }

  // Off-screen buffering of the screen picture. Switching it off discards the stored picture
  // and marks the chart changed.
  bool BufferedDisplay() const { return buffered_; }
  void SetBufferedDisplay(bool buffered);
  // Whether a paint request at `client` size must draw a new frame: without buffering always;
  // with it when the chart changed since the stored frame, or the size did, or none is stored.
  bool NeedsFrame(Size client) const;
  // Records that a frame of the current version was stored at `client` size.
  void FrameStored(Size client);

  // ----- Mouse -----

  // Pixel events in client coordinates. A press inside the plot rectangle (with an active
  // series in the list) or on an axis line starts a drag: the left button a zoom rectangle, the
  // right button a scroll. Releasing the left button zooms in when the rectangle went right and
  // down, and undoes the zoom when it went any other way, if it spans more than 16 pixels both
  // ways. Scrolling shifts the axes by the values the pointer moved over.
  void MouseDown(TMouseButton button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(TMouseButton button, int x, int y);
  // Shifts the vertical axes by 3 % of their range per step: down (negative `steps`) raises
  // the values shown, up lowers them. Saves the scales first if none are saved, as zooming and
  // scrolling do, so `UndoZoom` restores them.
  void MouseWheel(int steps);

  // The cursor to show over the chart now: the chart's own, or the arrow from the start of a
  // zoom drag until the next move without a drag.
  TCursor CurrentCursor() const { return arrow_cursor_ ? TCursor::crDefault : Cursor; }
  // The zoom rectangle while a zoom drag is on (from the press point to the pointer), drawn
  // inverted with `ZoomPenColor`.
  std::optional<Rect> ZoomRectangle() const;
  TColor ZoomPenColor() const;
  bool Dragging() const { return drag_ != Drag::kNone; }

  // Zooms to the values under `r` (pixels) on all four axes, saving the scales first if none
  // are saved.
  void ZoomRect(const Rect& r);
  // Restores the scales saved before the first zoom, scroll or wheel step since the last undo,
  // if any: the axes are automatic again unless they were manual before.
  void UndoZoom();
  bool HasSavedScales() const { return saved_scales_.has_value(); }

 private:
  enum class Drag { kNone, kZoom, kScroll };
  struct SavedScale {
    bool automatic, automatic_minimum, automatic_maximum;
    double minimum, maximum;
  };

  bool SeriesUses(const TChartSeries& series, const TChartAxis& axis) const;
  bool AxisVisibleNow(const TChartAxis& axis) const;
  bool AxisShowsLabels(const TChartAxis& axis) const;
  void CalcAxisRange(TChartAxis& axis) const;
  void ApplyMargins(TChartAxis& axis) const;
  void DrawBevel(Canvas& canvas, const Rect& rect) const;
  bool InsidePlot(int x, int y) const;
  bool OnAxis(int x, int y) const;
  void SaveScales();

  std::vector<std::unique_ptr<TChartSeries>> owned_;
  std::vector<TChartSeries*> list_;
  TColor color_ = clBtnFace;
  TPanelBevel bevel_outer_ = TPanelBevel::bvRaised;
  TChartTitle title_;
  TChartTitle foot_;
  TChartLegend legend_;
  TChartWall back_wall_;
  TChartStoredNotDrawn stored_not_drawn_;
  std::array<TChartAxis, 4> axes_;
  FormatSettings label_format_;
  std::uint64_t version_ = 0;
  std::function<void()> on_change_;

  Rect chart_rect_;
  std::array<bool, 4> axis_shown_{};

  bool buffered_ = true;
  bool frame_stored_ = false;
  std::uint64_t stored_version_ = 0;
  Size stored_size_;

  Drag drag_ = Drag::kNone;
  Point drag_start_;
  Point drag_now_;
  bool arrow_cursor_ = false;
  std::optional<std::array<SavedScale, 4>> saved_scales_;
};

// Configures `chart` as the main window's `Chart1`: 305 x 247 at (480, 122) with a single
// border, a cross-hair cursor, the inactive-caption-text colour around a white, flat plot, 3 %
// margins, one empty title line, and the axis titles "X" and "Y" in Arial bold 16 pixels (the
// left one 13 pixels wide).
void ConfigureChart1(TChart& chart);

}  // namespace tarvolen
