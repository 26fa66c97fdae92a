#pragma once

#include <array>
#include <string>

#include "common/number_text.h"
#include "plot/canvas.h"

namespace tarvolen {

enum class TAxisPlace { Bottom, Top, Left, Right };

enum class TAxisLabelStyle { talAuto, talNone, talValue };

struct TChartAxisTitle {
  std::string Caption;
  TChartFont Font;
  int Angle = 0;
};

// One axis of the chart (`TCustomChartAxis`): its stored properties, and the working values it
// recomputes in every frame (range, pixel positions, tick table). Linear, numeric axes only.
//
// A frame uses an axis in this order: `CalcMinMax`, `ReserveRoom` (visible axes only),
// `SetPositions`, `ApplySeriesMargins`, then the conversions and `Draw`. The working values
// persist until the next frame, so the mouse converts with the layout last drawn.
class TChartAxis {
 public:
  static constexpr int kMaxTicks = 2000;

  explicit TChartAxis(TAxisPlace place);

  TAxisPlace Place() const { return place_; }
  bool Horizontal() const { return place_ == TAxisPlace::Bottom || place_ == TAxisPlace::Top; }

  // Stored properties.
  bool Visible = true;
  bool Automatic = true;
  bool AutomaticMinimum = true;
  bool AutomaticMaximum = true;
  double Minimum = 0;
  double Maximum = 0;
  double Increment = 0;
  bool Inverted = false;
  bool Labels = true;
  TChartFont LabelsFont;
  int LabelsSize = 0;
  int LabelsSeparation = 10;
  TAxisLabelStyle LabelStyle = TAxisLabelStyle::talAuto;
  bool RoundFirstLabel = true;
  TChartPen Axis{clBlack, 2};
  TChartPen Ticks{clGray};
  int TickLength = 4;
  TChartPen TicksInner{clGray};
  int TickInnerLength = 0;
  TChartPen MinorTicks{clGray};
  int MinorTickLength = 2;
  int MinorTickCount = 3;
  TChartPen Grid{clGray, 1, TPenStyle::psDot};
  TChartAxisTitle Title;
  int TitleSize = 0;
  int StartPosition = 0;
  int EndPosition = 100;

  // Sets the range by hand (zoom, scroll): all automatic flags off, the bounds in order, and a
  // range of at least 1e-10.
  void SetMinMax(double minimum, double maximum);

  // The automatic range: each automatic end takes the extreme of `low`..`high` (the values of
  // the series drawing against the axis; `has_values` false when none has a point, giving 0).
  // The working range follows the stored one.
  void CalcMinMax(bool has_values, double low, double high);

  // Takes room for the title, the labels and the ticks from the side of `rect` the axis lies on
  // and notes where each goes. `shows_labels` tells whether value labels are drawn.
  void ReserveRoom(Rect& rect, Canvas& canvas, const FormatSettings& format, bool shows_labels);

  // Start and end pixels from the plot rectangle.
  void SetPositions(const Rect& plot);

  // Widens the working range so that the data's extremes lie `at_start` and `at_end` pixels
  // inside the axis ends; only automatic ends take a margin. A zero range stays zero.
  void ApplySeriesMargins(int at_start, int at_end);

  // Pixel to value and value to pixel with the working range and positions. A zero range maps
  // every value to the centre; so do values too far out to give a pixel.
  double CalcPosPoint(int pixel) const;
  int CalcPosValue(double value) const {
    if (range_ != 0) {
      const double t = (value - minimum_) * length_ / range_;
      if (t > -2147483647.0 && t < 2147483647.0) {
        // Nearest integer, halves to the even one: adding and taking away 1.5 x 2^52 leaves
        // only the integer part (exact for |t| < 2^51; no library call per point).
        constexpr double kRounder = 6755399441055744.0;
        const long long r = static_cast<long long>((t + kRounder) - kRounder);
        const long long pixel = from_start_ ? start_ + r : end_ - r;
        // Far-off pixels need only stay far off: callers skip anything beyond +-32766.
        return pixel < kFarPixel ? (pixel > -kFarPixel ? static_cast<int>(pixel) : -kFarPixel)
                                 : kFarPixel;
      }
    }
    return center_;
  }

  // The label step for the working range and length (most labels that fit, the 1-2-5 series).
  double LabelStep(Canvas& canvas, const FormatSettings& format) const;

  // Draws title, labels, axis line, ticks, grid, inner and minor ticks, in that order, and fills
  // the tick table. `plot` is the plot rectangle, right and bottom edges included.
  void Draw(Canvas& canvas, const Rect& plot, const FormatSettings& format, bool shows_labels);

  // Working values of the last frame.
  double IMinimum() const { return minimum_; }
  double IMaximum() const { return maximum_; }
  double IRange() const { return range_; }
  int IStartPos() const { return start_; }
  int IEndPos() const { return end_; }
  int IAxisSize() const { return length_; }
  int ICenterPos() const { return center_; }
  int PosAxis() const { return pos_axis_; }
  int PosLabels() const { return pos_labels_; }
  int PosTitle() const { return pos_title_; }
  int TickCount() const { return tick_count_; }
  int Tick(int i) const { return ticks_[i]; }

 private:
  // Moves the axis' side of `rect` inward by `size`; returns the new edge.
  int Shrink(Rect& rect, int size) const;
  int TitleRoom(Canvas& canvas) const;
  int WidestLabel(Canvas& canvas, const FormatSettings& format) const;
  void DrawTitle(Canvas& canvas);
  void DrawLabels(Canvas& canvas, const FormatSettings& format);
  // A tick of `length` pixels at `pixel` along the axis, pointing out of the plot (inward when
  // `inner`).
  void DrawTick(Canvas& canvas, const TChartPen& pen, int pixel, int length, bool inner) const;
  void DrawMinorTicks(Canvas& canvas, const TChartPen& pen) const;
  void UpdateLength();

  static constexpr int kFarPixel = 1 << 30;

  TAxisPlace place_;
  // Whether values grow from the start pixel (horizontal and not inverted, or vertical and
  // inverted); set with the positions.
  bool from_start_ = true;
  double minimum_ = 0;
  double maximum_ = 0;
  double range_ = 0;
  int start_ = 0;
  int end_ = 0;
  int length_ = 0;
  int center_ = 0;
  int pos_axis_ = 0;
  int pos_labels_ = 0;
  int pos_title_ = 0;
  std::array<int, kMaxTicks> ticks_{};
  int tick_count_ = 0;
};

}  // namespace tarvolen
