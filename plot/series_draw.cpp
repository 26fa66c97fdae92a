// How point and line series put their values on the canvas.

#include <algorithm>
#include <cmath>

#include "plot/axis.h"
#include "plot/series.h"

namespace tarvolen {
namespace {

// Pixels beyond this are left out: they could not be drawn reliably.
constexpr int kMaxPixel = 32766;

bool Drawable(int x, int y) {
  return x >= -kMaxPixel && x <= kMaxPixel && y >= -kMaxPixel && y <= kMaxPixel;
}

TColor Resolved(TColor c) { return ResolveColor(c); }

}  // namespace

void TCustomSeries::CalcHorizMargins(int& left, int& right) const {
  left = right = pointer_.Visible ? pointer_.HorizSize + 1 : 0;
}

void TCustomSeries::CalcVerticalMargins(int& top, int& bottom) const {
  top = bottom = pointer_.Visible ? pointer_.VertSize + 1 : 0;
}

bool TCustomSeries::VisibleRange(double xl, double xr, std::size_t& first,
                                 std::size_t& last) const {
  const double* begin = XValues().begin();
  const double* end = XValues().end();
  const double* from = std::lower_bound(begin, end, xl);
  if (from == end) return false;
  first = static_cast<std::size_t>(from - begin);
  if (end[-1] > xr) {
    last = static_cast<std::size_t>(std::lower_bound(from, end, xr) - begin);
  } else {
    last = Count() - 1;
  }
  return true;
}

void TCustomSeries::DrawValues(Canvas& canvas, const TChartAxis& horiz, const TChartAxis& vert,
                               const Rect& plot) const {
  double xl = horiz.CalcPosPoint(plot.left);
  double xr = horiz.CalcPosPoint(plot.right);
  if (horiz.Inverted) std::swap(xl, xr);
  std::size_t first = 0;
  std::size_t last = 0;
  if (!VisibleRange(xl, xr, first, last)) return;

  // Inside the plot rectangle, off its left column, top row and bottom two rows.
  canvas.SetClipRect({plot.left + 1, plot.top + 1, plot.right, plot.bottom - 1});

  const TChartValueList& xs = XValues();
  const TChartValueList& ys = YValues();
  const bool markers = pointer_.Visible;
  TChartPen marker_pen = pointer_.Pen;
  TChartPen line_pen = line_pen_;
  TChartBrush marker_brush = pointer_.Brush;
  auto draw_marker = [&](Point p, TColor color) {
    marker_pen.Color = Resolved(pointer_.Pen.Color == clAutoColor ? color : pointer_.Pen.Color);
    marker_brush.Color =
        Resolved(pointer_.Brush.Color == clAutoColor ? color : pointer_.Brush.Color);
    const int h = pointer_.HorizSize;
    const int v = pointer_.VertSize;
    if (pointer_.Style == TSeriesPointerStyle::psCircle) {
      canvas.Ellipse({p.x - h, p.y - v, p.x + h, p.y + v}, marker_pen, marker_brush);
    } else {
      canvas.Rectangle({p.x - h, p.y - v, p.x + h + 1, p.y + v + 1}, marker_pen, marker_brush);
    }
  };

  // The last point drawn, whose marker waits for the segment that leaves it.
  bool have_previous = false;
  bool previous_marker_pending = false;
  Point previous;
  TColor previous_color = 0;
  for (std::size_t i = first; i <= last; ++i) {
    const TColor color = ValueColor(i);
    const Point p{horiz.CalcPosValue(xs[i]), vert.CalcPosValue(ys[i])};
    if (!Drawable(p.x, p.y)) continue;
    line_pen.Color = Resolved(color);
    if (i == first) {
      if (i > 0 && draw_lines_) {
        // The line comes in from the plot's edge, at the value interpolated there.
        const double edge_x = horiz.Inverted ? xr : xl;
        const double x0 = xs[i - 1];
        const double y0 = ys[i - 1];
        const double edge_y =
            x0 == xs[i] ? y0 : y0 + (ys[i] - y0) * (edge_x - x0) / (xs[i] - x0);
        const Point edge{horiz.Inverted ? plot.right : plot.left, vert.CalcPosValue(edge_y)};
        if (Drawable(edge.x, edge.y) && !(edge == p)) canvas.Line(edge, p, line_pen);
      }
    } else if (have_previous) {
      if (!(p == previous) && draw_lines_) canvas.Line(previous, p, line_pen);
      if (markers) draw_marker(previous, previous_color);
    }
    previous_marker_pending = markers;
    if (i == last && markers) {
      draw_marker(p, color);
      previous_marker_pending = false;
    }
    have_previous = true;
    previous = p;
    previous_color = color;
  }
  // The last visible point lay too far out to draw: the marker before it still belongs here.
  if (previous_marker_pending) draw_marker(previous, previous_color);

  canvas.ClearClipRect();
}

}  // namespace tarvolen
