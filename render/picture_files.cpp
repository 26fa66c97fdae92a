#include "render/picture_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/installation.h"
#include "plot/bitmap.h"
#include "render/painter_canvas.h"

namespace tarvolen::render {
namespace {

// The canvas of an SVG drawing. The chart's pixel rules become geometry: a pen of odd width is
// centred on the middle of its pixels, so that a viewer draws the lines as sharply as the screen
// does; lines that join end to end in one pen become one path (the fitted curve of hundreds of
// samples is one element); the clip rectangle, which the SVG writer would drop, cuts the lines
// here and leaves out the shapes that lie wholly outside it.
class SvgCanvas : public PainterCanvas {
 public:
  SvgCanvas(QPainter& painter, Size size) : PainterCanvas(painter), size_(size) {}
  ~SvgCanvas() override { EndPath(); }

  void FillRect(const Rect& r, TColor color) override {
    EndPath();
    PainterCanvas::FillRect(r, color);
  }
  void Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) override;
  void Line(Point from, Point to, const TChartPen& pen) override;
  void Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) override;
  void TextOut(int x, int y, std::string_view text, const TChartFont& font, int angle) override {
    EndPath();
    PainterCanvas::TextOut(x, y, text, font, angle);
  }
  // The zoom rectangle is drawn on the screen only.
  void InvertRectOutline(const Rect&, TColor) override {}
  void SetClipRect(const Rect& r) override {
    EndPath();
    clip_ = r;
  }
  void ClearClipRect() override {
    EndPath();
    clip_.reset();
  }

 private:
  static double Offset(const TChartPen& pen) { return pen.Width % 2 != 0 ? 0.5 : 0.0; }
  bool OutsideClip(const Rect& r) const {
    return clip_ && (r.right <= clip_->left || r.left >= clip_->right || r.bottom <= clip_->top ||
                     r.top >= clip_->bottom);
  }
  // Cuts the segment to the clip rectangle; false when nothing of it is left.
  bool Clip(QPointF& a, QPointF& b, bool& cut) const;
  void EndPath();

  // Whether an ellipse like this one was drawn at its place already; see Ellipse.
  bool DrawnBefore(const Rect& r, const TChartPen& pen, const TChartBrush& brush);

  Size size_;
  std::optional<Rect> clip_;
  // The places of the ellipses drawn in the last style, by their top-left pixel.
  struct MarkerStyle {
    int width = 0, height = 0;
    TChartPen pen;
    TChartBrush brush;
    bool operator==(const MarkerStyle&) const = default;
  };
  MarkerStyle marker_style_;
  std::vector<bool> marker_drawn_;
  // The path being built: lines in one pen, each starting where the one before ended.
  QPainterPath path_;
  TChartPen path_pen_;
  Point path_end_;
  int segments_ = 0;
  bool moved_ = true;  // the next segment starts a new piece of the path
  Point first_from_, first_to_;
  bool first_cut_ = false;
};

bool SvgCanvas::Clip(QPointF& a, QPointF& b, bool& cut) const {
  cut = false;
  if (!clip_) return true;
  const double d[2] = {b.x() - a.x(), b.y() - a.y()};
  const double low[2] = {static_cast<double>(clip_->left), static_cast<double>(clip_->top)};
  const double high[2] = {static_cast<double>(clip_->right), static_cast<double>(clip_->bottom)};
  const double start[2] = {a.x(), a.y()};
  double t0 = 0;
  double t1 = 1;
  for (int axis = 0; axis < 2; ++axis) {
    const double p[2] = {-d[axis], d[axis]};
    const double q[2] = {start[axis] - low[axis], high[axis] - start[axis]};
    for (int side = 0; side < 2; ++side) {
      if (p[side] == 0) {
        if (q[side] < 0) return false;
        continue;
      }
      const double t = q[side] / p[side];
      if (p[side] < 0) {
        t0 = std::max(t0, t);
      } else {
        t1 = std::min(t1, t);
      }
    }
  }
  if (t0 > t1) return false;
  cut = t0 > 0 || t1 < 1;
  b = QPointF(start[0] + t1 * d[0], start[1] + t1 * d[1]);
  a = QPointF(start[0] + t0 * d[0], start[1] + t0 * d[1]);
  return true;
}

void SvgCanvas::Line(Point from, Point to, const TChartPen& pen) {
  if (!pen.Draws() || from == to) return;
  if (segments_ == 0 || !(pen == path_pen_) || !(from == path_end_)) {
    EndPath();
    path_pen_ = pen;
  }
  path_end_ = to;
  const double offset = Offset(pen);
  QPointF a(from.x + offset, from.y + offset);
  QPointF b(to.x + offset, to.y + offset);
  bool cut = false;
  const bool visible = Clip(a, b, cut);
  if (segments_++ == 0) {
    first_from_ = from;
    first_to_ = to;
    first_cut_ = cut || !visible;
  }
  if (!visible) {
    moved_ = true;
    return;
  }
  if (moved_ || path_.currentPosition() != a) path_.moveTo(a);
  path_.lineTo(b);
  moved_ = cut;
}

void SvgCanvas::EndPath() {
  if (segments_ == 0) return;
  const TChartPen pen = path_pen_;
  QPainterPath path = std::exchange(path_, QPainterPath());
  const int segments = std::exchange(segments_, 0);
  moved_ = true;
  if (path.isEmpty()) return;
  if (segments == 1 && !first_cut_ && pen.Width <= 1) {
    // A line on its own leaves out its end pixel, as on the screen.
    const int dx = first_to_.x - first_from_.x;
    const int dy = first_to_.y - first_from_.y;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (steps == 1) {
      PainterCanvas::FillRect({first_from_.x, first_from_.y, first_from_.x + 1, first_from_.y + 1},
                              pen.Color);
      return;
    }
    const double share = static_cast<double>(steps - 1) / steps;
    path = QPainterPath(QPointF(first_from_.x + 0.5, first_from_.y + 0.5));
    path.lineTo(first_from_.x + std::lround(dx * share) + 0.5,
                first_from_.y + std::lround(dy * share) + 0.5);
  }
  UsePen(pen);
  UseBrush(TChartBrush{clBlack, false});
  Painter().drawPath(path);
}

void SvgCanvas::Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  EndPath();
  if (r.Width() <= 0 || r.Height() <= 0 || OutsideClip(r)) return;
  if (!pen.Draws()) {
    PainterCanvas::Rectangle(r, pen, brush);
    return;
  }
  UsePen(pen);
  UseBrush(brush);
  const double offset = Offset(pen);
  Painter().drawRect(QRectF(r.left + offset, r.top + offset, r.Width() - 1, r.Height() - 1));
}

bool SvgCanvas::DrawnBefore(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  const MarkerStyle style{r.Width(), r.Height(), pen, brush};
  if (!(style == marker_style_)) {
    marker_style_ = style;
    marker_drawn_.assign(static_cast<std::size_t>(size_.width) * size_.height, false);
  }
  if (r.left < 0 || r.top < 0 || r.left >= size_.width || r.top >= size_.height) return false;
  const auto place = static_cast<std::size_t>(r.top) * size_.width + r.left;
  if (marker_drawn_[place]) return true;
  marker_drawn_[place] = true;
  return false;
}

void SvgCanvas::Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  EndPath();
  if (r.Width() <= 0 || r.Height() <= 0 || OutsideClip(r)) return;
  // The data points' markers are all alike: one drawn again where one already stands would
  // change at most which of two overlapping markers lies on top, but a million points would
  // write a million circles. The drawing holds one a pixel at most.
  if (DrawnBefore(r, pen, brush)) return;
  UsePen(pen);
  UseBrush(brush);
  const double offset = pen.Draws() ? Offset(pen) : 0.5;
  Painter().drawEllipse(QRectF(r.left + offset, r.top + offset, r.Width() - 1, r.Height() - 1));
}

}  // namespace

std::optional<PictureFormat> PictureFormatOfName(std::string_view file_name) {
  for (const PictureFormat format :
       {PictureFormat::kBmp, PictureFormat::kPng, PictureFormat::kSvg}) {
    if (HasExtension(file_name, PictureExtension(format))) return format;
  }
  return std::nullopt;
}

const char* PictureExtension(PictureFormat format) {
  switch (format) {
    case PictureFormat::kPng:
      return ".png";
    case PictureFormat::kSvg:
      return ".svg";
    case PictureFormat::kBmp:
      break;
  }
  return ".bmp";
}

std::string ChartSvg(TChart& chart) {
  const Size client = chart.ClientSize();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(client.width, client.height));
  generator.setViewBox(QRect(0, 0, client.width, client.height));
  generator.setResolution(96);
  generator.setTitle(QStringLiteral("Tarvolen chart"));
  generator.setDescription(QStringLiteral("Drawn by Tarvolen ") + QLatin1String(ProgramVersion()));
  QPainter painter;
  if (!painter.begin(&generator)) throw EWriteError();
  {
    SvgCanvas canvas(painter, client);
    DrawChartForExport(chart, canvas, {0, 0, client.width, client.height});
  }
  painter.end();
  return bytes.toStdString();
}

void SaveChartPicture(TChart& chart, const std::string& file_name, PictureFormat format) {
  switch (format) {
    case PictureFormat::kPng:
      SaveChartPng(chart, file_name);
      return;
    case PictureFormat::kSvg:
      WriteWholeFile(file_name, ChartSvg(chart));
      return;
    case PictureFormat::kBmp:
      break;
  }
  SaveChartBitmap(chart, file_name, MakeImageBitmap);
}

}  // namespace tarvolen::render
