#include "plot/axis.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "plot/axis_labels.h"

namespace tarvolen {
namespace {

// The text height of a font: the height of "W".
int TextHeight(Canvas& canvas, const TChartFont& font) {
  return canvas.TextExtent("W", font).height;
}

}  // namespace

TChartAxis::TChartAxis(TAxisPlace place) : place_(place) {
  Title.Angle = place == TAxisPlace::Left ? 90 : place == TAxisPlace::Right ? 270 : 0;
}

void TChartAxis::SetMinMax(double minimum, double maximum) {
  Automatic = AutomaticMinimum = AutomaticMaximum = false;
  if (minimum > maximum) std::swap(minimum, maximum);
  if (maximum - minimum < 1e-10) maximum = minimum + 1e-10;
  Minimum = minimum;
  Maximum = maximum;
}

void TChartAxis::CalcMinMax(bool has_values, double low, double high) {
  if (Automatic || AutomaticMaximum) Maximum = has_values ? high : 0;
  if (Automatic || AutomaticMinimum) Minimum = has_values ? low : 0;
  minimum_ = Minimum;
  maximum_ = Maximum;
  range_ = maximum_ - minimum_;
}

int TChartAxis::Shrink(Rect& rect, int size) const {
  switch (place_) {
    case TAxisPlace::Bottom:
      return rect.bottom -= size;
    case TAxisPlace::Top:
      return rect.top += size;
    case TAxisPlace::Left:
      return rect.left += size;
    case TAxisPlace::Right:
      return rect.right -= size;
  }
  return 0;
}

int TChartAxis::TitleRoom(Canvas& canvas) const {
  if (TitleSize != 0) return TitleSize;
  const int angle = ((Title.Angle % 360) + 360) % 360;
  const bool along = Horizontal() ? (angle == 0 || angle == 180) : (angle == 90 || angle == 270);
  const Size extent = canvas.TextExtent(Title.Caption, Title.Font);
  return along ? extent.height : extent.width;
}

double TChartAxis::LabelStep(Canvas& canvas, const FormatSettings& format) const {
  const Size low = canvas.TextExtent(FormatAxisLabel(minimum_, format), LabelsFont);
  const Size high = canvas.TextExtent(FormatAxisLabel(maximum_, format), LabelsFont);
  const int size = Horizontal() ? std::max(low.width, high.width)
                                : std::max(low.height, high.height);
  const int fit = LabelsThatFit(size, length_, LabelsSeparation);
  return AxisLabelStep(range_, fit, Increment, LabelsSeparation);
}

int TChartAxis::WidestLabel(Canvas& canvas, const FormatSettings& format) const {
  // The length here is the previous frame's: this frame's is not known yet.
  const double step = LabelStep(canvas, format);
  const int low =
      canvas.TextExtent(FormatAxisLabel(TruncateToStep(minimum_, step), format), LabelsFont).width;
  const int high =
      canvas.TextExtent(FormatAxisLabel(TruncateToStep(maximum_, step), format), LabelsFont).width;
  return std::max(low, high) + canvas.TextExtent(" ", LabelsFont).width;
}

void TChartAxis::ReserveRoom(Rect& rect, Canvas& canvas, const FormatSettings& format,
                             bool shows_labels) {
  if (!Title.Caption.empty()) pos_title_ = Shrink(rect, TitleRoom(canvas));
  if (Labels) {
    int size = LabelsSize;
    if (size == 0) {
      if (Horizontal()) {
        size = TextHeight(canvas, LabelsFont);
      } else {
        size = shows_labels ? WidestLabel(canvas, format) : 0;
      }
    }
    pos_labels_ = Shrink(rect, size);
  }
  int ticks = Axis.Draws() ? Axis.Width : 0;
  if (Ticks.Draws()) ticks += TickLength;
  if (MinorTicks.Draws()) ticks = std::max(ticks, MinorTickLength);
  pos_axis_ = Shrink(rect, ticks);
}

void TChartAxis::UpdateLength() {
  from_start_ = Horizontal() != Inverted;
  length_ = end_ - start_;
  center_ = (start_ + end_) / 2;  // halves toward zero
}

void TChartAxis::SetPositions(const Rect& plot) {
  const int from = Horizontal() ? plot.left : plot.top;
  const int size = Horizontal() ? plot.Width() : plot.Height();
  start_ = from + RoundToInt(size * StartPosition / 100.0);
  end_ = from + RoundToInt(size * EndPosition / 100.0);
  UpdateLength();
  switch (place_) {
    case TAxisPlace::Bottom:
      pos_axis_ = plot.bottom;
      break;
    case TAxisPlace::Top:
      pos_axis_ = plot.top;
      break;
    case TAxisPlace::Left:
      pos_axis_ = plot.left;
      break;
    case TAxisPlace::Right:
      pos_axis_ = plot.right;
      break;
  }
}

void TChartAxis::ApplySeriesMargins(int at_start, int at_end) {
  // The start pixel holds the minimum on a horizontal axis and the maximum on a vertical one.
  const bool start_is_minimum = Horizontal() != Inverted;
  if (!(start_is_minimum ? AutomaticMinimum : AutomaticMaximum)) at_start = 0;
  if (!(start_is_minimum ? AutomaticMaximum : AutomaticMinimum)) at_end = 0;
  if (at_start == 0 && at_end == 0) return;

  const int old_start = start_;
  const int old_end = end_;
  start_ += at_start;
  end_ -= at_end;
  UpdateLength();
  double a = CalcPosPoint(old_start);
  double b = CalcPosPoint(old_end);
  start_ = old_start;
  end_ = old_end;
  UpdateLength();
  if (a > b) std::swap(a, b);
  minimum_ = a;
  maximum_ = b;
  range_ = maximum_ - minimum_;
}

double TChartAxis::CalcPosPoint(int pixel) const {
  if (length_ < 1) return 0;
  const double offset = Inverted ? static_cast<double>(end_ - pixel)
                                 : static_cast<double>(pixel - start_);
  const double d = offset * range_ / length_;
  return Horizontal() ? minimum_ + d : maximum_ - d;
}

void TChartAxis::Draw(Canvas& canvas, const Rect& plot, const FormatSettings& format,
                      bool shows_labels) {
  tick_count_ = 0;
  if (!Title.Caption.empty()) DrawTitle(canvas);
  if (Labels && shows_labels && LabelStyle != TAxisLabelStyle::talNone) {
    DrawLabels(canvas, format);
  }

  if (Axis.Draws()) {
    const TChartPen pen = Resolved(Axis);
    if (Horizontal()) {
      canvas.Line({start_, pos_axis_}, {end_, pos_axis_}, pen);
    } else {
      canvas.Line({pos_axis_, start_}, {pos_axis_, end_}, pen);
    }
  }
  if (Ticks.Draws()) {
    const TChartPen pen = Resolved(Ticks);
    for (int i = 0; i < tick_count_; ++i) DrawTick(canvas, pen, ticks_[i], TickLength, false);
  }
  if (Grid.Draws()) {
    TChartPen pen = Grid;
    if (pen.Color == clAutoColor) pen.Color = clGray;
    pen = Resolved(pen);
    for (int i = 0; i < tick_count_; ++i) {
      const int p = ticks_[i];
      if (Horizontal()) {
        canvas.Line({p, plot.top + 1}, {p, plot.bottom}, pen);
      } else {
        canvas.Line({plot.left + 1, p}, {plot.right, p}, pen);
      }
    }
  }
  if (TicksInner.Draws() && TickInnerLength > 0) {
    for (int i = 0; i < tick_count_; ++i) {
      DrawTick(canvas, Resolved(TicksInner), ticks_[i], TickInnerLength, true);
    }
  }
  if (MinorTicks.Draws() && MinorTickCount > 0 && MinorTickLength > 0) {
    DrawMinorTicks(canvas, Resolved(MinorTicks));
  }
}

void TChartAxis::DrawTitle(Canvas& canvas) {
  const TChartFont font = Resolved(Title.Font);
  const Size extent = canvas.TextExtent(Title.Caption, font);
  switch (place_) {
    case TAxisPlace::Bottom:
      canvas.TextOut(center_ - extent.width / 2, pos_title_, Title.Caption, font, 0);
      break;
    case TAxisPlace::Top:
      canvas.TextOut(center_ - extent.width / 2, pos_title_ - extent.height, Title.Caption,
                     font, 0);
      break;
    case TAxisPlace::Left:
      // Reading upward, just left of the title position.
      canvas.TextOut(pos_title_ - extent.height, center_ + extent.width / 2, Title.Caption,
                     font, 90);
      break;
    case TAxisPlace::Right:
      canvas.TextOut(pos_title_, center_ + extent.width / 2, Title.Caption, font, 90);
      break;
  }
}

void TChartAxis::DrawLabels(Canvas& canvas, const FormatSettings& format) {
  const double step = LabelStep(canvas, format);
  if (!(step > 0) || maximum_ < minimum_) return;
  const TChartFont font = Resolved(LabelsFont);
  for (const double value :
       AxisLabelValues(minimum_, maximum_, step, RoundFirstLabel, kMaxTicks)) {
    const int pixel = CalcPosValue(value);
    const std::string text = FormatAxisLabel(value, format);
    const Size extent = canvas.TextExtent(text, font);
    switch (place_) {
      case TAxisPlace::Bottom:
        canvas.TextOut(pixel - extent.width / 2, pos_labels_, text, font, 0);
        break;
      case TAxisPlace::Top:
        canvas.TextOut(pixel - extent.width / 2, pos_labels_ - extent.height, text, font,
                       0);
        break;
      case TAxisPlace::Left:
        canvas.TextOut(pos_labels_ - extent.width, pixel - extent.height / 2, text, font,
                       0);
        break;
      case TAxisPlace::Right:
        canvas.TextOut(pos_labels_, pixel - extent.height / 2, text, font, 0);
        break;
    }
    ticks_[tick_count_++] = pixel;
  }
}

void TChartAxis::DrawTick(Canvas& canvas, const TChartPen& pen, int pixel, int length,
                          bool inner) const {
  // Outward is down for the bottom axis, left for the left one, and mirrored for the others.
  const bool far_side = place_ == TAxisPlace::Bottom || place_ == TAxisPlace::Right;
  const int direction = (far_side != inner) ? 1 : -1;
  const int from = pos_axis_ + direction;
  const int to = from + direction * length;
  if (Horizontal()) {
    canvas.Line({pixel, from}, {pixel, to}, pen);
  } else {
    canvas.Line({from, pixel}, {to, pixel}, pen);
  }
}

void TChartAxis::DrawMinorTicks(Canvas& canvas, const TChartPen& pen) const {
  const int parts = MinorTickCount + 1;
  auto offset = [parts](int k, int delta) { return RoundToInt(k * delta / double(parts)); };
  auto draw = [&](int pixel) {
    if (pixel > start_ && pixel < end_) DrawTick(canvas, pen, pixel, MinorTickLength, false);
  };
  for (int i = 1; i < tick_count_; ++i) {
    const int previous = ticks_[i - 1];
    const int next = ticks_[i];
    for (int k = 1; k <= MinorTickCount; ++k) draw(next - offset(k, next - previous));
  }
  if (tick_count_ >= 2) {
    const int first_delta = ticks_[1] - ticks_[0];
    const int last_delta = ticks_[tick_count_ - 1] - ticks_[tick_count_ - 2];
    for (int k = 1; k <= MinorTickCount; ++k) {
      draw(ticks_[0] - offset(k, first_delta));
      draw(ticks_[tick_count_ - 1] + offset(k, last_delta));
    }
  }
}

}  // namespace tarvolen
