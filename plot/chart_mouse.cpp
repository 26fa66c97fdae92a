// Zoom and scroll with the mouse, driven by pixel events.

#include <algorithm>
#include <cstdlib>

#include "plot/chart.h"

namespace tarvolen {
namespace {

// A drag must exceed this many pixels both ways to zoom or undo.
constexpr int kMinZoomDrag = 16;
// How far from an axis line a press still hits the axis.
constexpr int kAxisHitDistance = 3;
// The share of the range one wheel step shifts.
constexpr double kWheelShift = 0.03;

}  // namespace

bool TChart::InsidePlot(int x, int y) const {
  const Rect& r = chart_rect_;
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

bool TChart::OnAxis(int x, int y) const {
  for (std::size_t i = 0; i < 4; ++i) {
    if (!axis_shown_[i]) continue;
    const TChartAxis& axis = axes_[i];
    const int along = axis.Horizontal() ? x : y;
    const int across = axis.Horizontal() ? y : x;
    if (along >= axis.IStartPos() && along <= axis.IEndPos() &&
        std::abs(across - axis.PosAxis()) <= kAxisHitDistance) {
      return true;
    }
  }
  return false;
}

void TChart::SaveScales() {
  if (saved_scales_) return;
  std::array<SavedScale, 4> saved;
  for (std::size_t i = 0; i < saved.size(); ++i) {
    const TChartAxis& a = axes_[i];
    saved[i] = {a.Automatic, a.AutomaticMinimum, a.AutomaticMaximum, a.Minimum, a.Maximum};
  }
  saved_scales_ = saved;
}

void TChart::ZoomRect(const Rect& r) {
  SaveScales();
  for (std::size_t i = 0; i < 4; ++i) {
    TChartAxis& axis = axes_[i];
    if (axis.Horizontal()) {
      axis.SetMinMax(axis.CalcPosPoint(r.left), axis.CalcPosPoint(r.right));
    } else {
      axis.SetMinMax(axis.CalcPosPoint(r.bottom), axis.CalcPosPoint(r.top));
    }
  }
  Invalidate();
}

void TChart::UndoZoom() {
  if (saved_scales_) {
    for (std::size_t i = 0; i < 4; ++i) {
      TChartAxis& axis = axes_[i];
      const SavedScale& s = (*saved_scales_)[i];
      axis.Automatic = s.automatic;
      axis.AutomaticMinimum = s.automatic_minimum;
      axis.AutomaticMaximum = s.automatic_maximum;
      if (!axis.Automatic) {
        axis.Minimum = s.minimum;
        axis.Maximum = s.maximum;
      }
    }
    saved_scales_.reset();
  }
  Invalidate();
}

void TChart::MouseDown(TMouseButton button, int x, int y) {
  if (drag_ != Drag::kNone || button == TMouseButton::mbMiddle) return;
  if (!OnAxis(x, y) && !(InsidePlot(x, y) && HasActiveSeries())) return;
  drag_start_ = drag_now_ = {x, y};
  if (button == TMouseButton::mbLeft && AllowZoom) {
    drag_ = Drag::kZoom;
    arrow_cursor_ = true;
  } else if (button == TMouseButton::mbRight && AllowPanning) {
    drag_ = Drag::kScroll;
  }
}

void TChart::MouseMove(int x, int y) {
  switch (drag_) {
    case Drag::kNone:
      arrow_cursor_ = false;
      return;
    case Drag::kZoom:
      drag_now_ = {x, y};
      return;
    case Drag::kScroll:
      break;
  }
  if (!InsidePlot(x, y)) {
    drag_ = Drag::kNone;
    return;
  }
  SaveScales();
  const Point from = drag_now_;
  for (std::size_t i = 0; i < 4; ++i) {
    TChartAxis& axis = axes_[i];
    const double shift = axis.Horizontal() ? axis.CalcPosPoint(from.x) - axis.CalcPosPoint(x)
                                           : axis.CalcPosPoint(from.y) - axis.CalcPosPoint(y);
    const double minimum = axis.Minimum + shift;
    const double maximum = axis.Maximum + shift;
    axis.Automatic = axis.AutomaticMinimum = axis.AutomaticMaximum = false;
    axis.Minimum = minimum;
    axis.Maximum = maximum;
  }
  drag_now_ = {x, y};
  Invalidate();
}

void TChart::MouseUp(TMouseButton button, int x, int y) {
  const Drag drag = drag_;
  drag_ = Drag::kNone;
  if (drag != Drag::kZoom || button != TMouseButton::mbLeft) return;
  const int dx = x - drag_start_.x;
  const int dy = y - drag_start_.y;
  if (std::abs(dx) > kMinZoomDrag && std::abs(dy) > kMinZoomDrag) {
    if (dx > 0 && dy > 0) {
      ZoomRect({drag_start_.x, drag_start_.y, x, y});
    } else {
      UndoZoom();
    }
  }
  Invalidate();
}

void TChart::MouseWheel(int steps) {
  if (steps == 0) return;
  // The scales before the first shift are kept, so undoing the zoom brings automatic scaling
  // back after the wheel too.
  SaveScales();
  for (TChartAxis* axis : {&LeftAxis(), &RightAxis()}) {
    // Each step down adds 3 % of the range to both bounds; each step up subtracts it.
    for (int i = 0; i < std::abs(steps); ++i) {
      const double delta = kWheelShift * (axis->Maximum - axis->Minimum);
      const double shift = steps < 0 ? delta : -delta;
      axis->Automatic = axis->AutomaticMinimum = axis->AutomaticMaximum = false;
      axis->Minimum += shift;
      axis->Maximum += shift;
    }
  }
  Invalidate();
}

std::optional<Rect> TChart::ZoomRectangle() const {
  if (drag_ != Drag::kZoom) return std::nullopt;
  return Rect{std::min(drag_start_.x, drag_now_.x), std::min(drag_start_.y, drag_now_.y),
              std::max(drag_start_.x, drag_now_.x), std::max(drag_start_.y, drag_now_.y)};
}

TColor TChart::ZoomPenColor() const {
  const TColor color = ResolveColor(color_);
  return color == clWhite ? clBlack : color;
}

}  // namespace tarvolen
