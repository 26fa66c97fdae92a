#include "render/painter_canvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPen>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/errors.h"
#include "common/file_io.h"

namespace tarvolen::render {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Thin pens draw both end pixels of a line (the canvas shortens the line first); wider ones
// cover exactly the span between the ends.
QPen ToQPen(const TChartPen& pen) {
  if (!pen.Draws()) return QPen(Qt::NoPen);
  QPen q(ToQColor(pen.Color));
  q.setWidth(pen.Width);
  q.setCapStyle(pen.Width <= 1 ? Qt::SquareCap : Qt::FlatCap);
  q.setJoinStyle(Qt::MiterJoin);
  if (pen.Style == TPenStyle::psDot) q.setDashPattern({1.0, 1.0});
  return q;
}

}  // namespace

QColor ToQColor(TColor color) {
  return QColor(static_cast<int>(RedOf(color)), static_cast<int>(GreenOf(color)),
                static_cast<int>(BlueOf(color)));
}

// ----- PainterCanvas -----

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {
  painter_.save();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.setClipping(false);
}

PainterCanvas::~PainterCanvas() { painter_.restore(); }

void PainterCanvas::UsePen(const TChartPen& pen) {
  if (pen_set_ && pen == pen_) return;
  painter_.setPen(ToQPen(pen));
  pen_ = pen;
  pen_set_ = true;
}

void PainterCanvas::UseBrush(const TChartBrush& brush) {
  if (brush_set_ && brush == brush_) return;
  painter_.setBrush(brush.Solid ? QBrush(ToQColor(brush.Color)) : QBrush(Qt::NoBrush));
  brush_ = brush;
  brush_set_ = true;
}

const QFont& PainterCanvas::FontFor(const TChartFont& font) {
  const QString key = ToQString(font.Name) + '/' + QString::number(font.PixelSize) +
                      (font.Bold ? "/b" : "/r");
  auto it = fonts_.find(key);
  if (it == fonts_.end()) {
    QFont q(ToQString(font.Name));
    q.setPixelSize(font.PixelSize);
    q.setBold(font.Bold);
    it = fonts_.insert(key, q);
  }
  return *it;
}

void PainterCanvas::FillRect(const Rect& r, TColor color) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  painter_.fillRect(ToQRect(r), ToQColor(color));
}

void PainterCanvas::Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  if (!pen.Draws()) {
    if (brush.Solid) painter_.fillRect(ToQRect(r), ToQColor(brush.Color));
    return;
  }
  UsePen(pen);
  UseBrush(brush);
  // A painter's outlined rectangle covers one pixel more than its size.
  painter_.drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
}

void PainterCanvas::Line(Point from, Point to, const TChartPen& pen) {
  if (!pen.Draws() || from == to) return;
  UsePen(pen);
  if (pen.Width > 1) {
    painter_.drawLine(QPoint(from.x, from.y), QPoint(to.x, to.y));
    return;
  }
  // The painter would draw the end pixel, or leave out whichever end lies further right or
  // down: draw up to the pixel before `to` instead, whatever the direction.
  const int dx = to.x - from.x;
  const int dy = to.y - from.y;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  if (steps == 1) {
    painter_.drawPoint(from.x, from.y);
    return;
  }
  const double share = static_cast<double>(steps - 1) / steps;
  const QPoint last(from.x + static_cast<int>(std::lround(dx * share)),
                    from.y + static_cast<int>(std::lround(dy * share)));
  painter_.drawLine(QPoint(from.x, from.y), last);
}

void PainterCanvas::Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  static constexpr int kMaxSprite = 64;
  if (r.Width() > kMaxSprite || r.Height() > kMaxSprite) {
    UsePen(pen);
    UseBrush(brush);
    painter_.drawEllipse(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
    return;
  }
  auto matches = [&](const Sprite& s) {
    return s.width == r.Width() && s.height == r.Height() && s.pen == pen && s.brush == brush;
  };
  if (last_sprite_ >= sprites_.size() || !matches(sprites_[last_sprite_])) {
    last_sprite_ = static_cast<std::size_t>(
        std::find_if(sprites_.begin(), sprites_.end(), matches) - sprites_.begin());
    if (last_sprite_ == sprites_.size()) {
      QImage sprite(r.Width(), r.Height(), QImage::Format_ARGB32_Premultiplied);
      sprite.fill(Qt::transparent);
      QPainter p(&sprite);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setPen(ToQPen(pen));
      p.setBrush(brush.Solid ? QBrush(ToQColor(brush.Color)) : QBrush(Qt::NoBrush));
      p.drawEllipse(QRect(0, 0, r.Width() - 1, r.Height() - 1));
      p.end();
      sprites_.push_back({r.Width(), r.Height(), pen, brush, sprite});
    }
  }
  painter_.drawImage(r.left, r.top, sprites_[last_sprite_].image);
}

void PainterCanvas::TextOut(int x, int y, std::string_view text, const TChartFont& font,
                            int angle) {
  if (text.empty()) return;
  const QFont& q = FontFor(font);
  const QFontMetrics metrics(q);
  painter_.save();
  painter_.setFont(q);
  painter_.setPen(ToQColor(font.Color));
  painter_.translate(x, y);
  if (angle != 0) painter_.rotate(-angle);
  painter_.drawText(0, metrics.ascent(), ToQString(text));
  painter_.restore();
  pen_set_ = false;
}

Size PainterCanvas::TextExtent(std::string_view text, const TChartFont& font) {
  const QFontMetrics metrics(FontFor(font));
  return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

void PainterCanvas::InvertRectOutline(const Rect& r, TColor color) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  painter_.save();
  painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QPen pen(ToQColor(color));
  pen.setWidth(1);
  painter_.setPen(pen);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRect(r.left, r.top, r.Width() - 1, r.Height() - 1));
  painter_.restore();
  pen_set_ = brush_set_ = false;
}

void PainterCanvas::SetClipRect(const Rect& r) { painter_.setClipRect(ToQRect(r)); }

void PainterCanvas::ClearClipRect() { painter_.setClipping(false); }

// ----- ImageBitmap -----

namespace {

// A canvas that owns its painter (the painter must be made before the canvas uses it).
struct PainterHolder {
  explicit PainterHolder(QImage& image) : painter(&image) {}
  QPainter painter;
};

class ImageCanvas : private PainterHolder, public PainterCanvas {
 public:
  explicit ImageCanvas(QImage& image) : PainterHolder(image), PainterCanvas(painter) {}
};

}  // namespace

ImageBitmap::ImageBitmap(int width, int height)
    : image_(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32) {
  image_.fill(Qt::white);
}

std::unique_ptr<Canvas> ImageBitmap::Paint() { return std::make_unique<ImageCanvas>(image_); }

TColor ImageBitmap::Pixel(int x, int y) const {
  const QRgb c = image_.pixel(x, y);
  return RGB(static_cast<unsigned>(qRed(c)), static_cast<unsigned>(qGreen(c)),
             static_cast<unsigned>(qBlue(c)));
}

void ImageBitmap::ReadRowBgr(int y, std::uint8_t* bgr) const {
  const auto* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
  for (int x = 0; x < image_.width(); ++x) {
    *bgr++ = static_cast<std::uint8_t>(qBlue(row[x]));
    *bgr++ = static_cast<std::uint8_t>(qGreen(row[x]));
    *bgr++ = static_cast<std::uint8_t>(qRed(row[x]));
  }
}

std::unique_ptr<TBitmap> MakeImageBitmap(int width, int height) {
  return std::make_unique<ImageBitmap>(width, height);
}

QImage RenderChartImage(TChart& chart) {
  const Size client = chart.ClientSize();
  const std::unique_ptr<TBitmap> bitmap =
      RenderChartBitmap(chart, clWhite, {0, 0, client.width, client.height}, MakeImageBitmap);
  return static_cast<const ImageBitmap&>(*bitmap).Image();
}

void SaveChartPng(TChart& chart, const std::string& file_name) {
  const QImage image = RenderChartImage(chart);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw EWriteError();
  WriteWholeFile(file_name, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// ----- Widget painting -----

void PaintChart(QPainter& painter, TChart& chart, QImage& stored, Size client) {
  const Rect whole{0, 0, client.width, client.height};
  if (!chart.BufferedDisplay()) {
    PainterCanvas canvas(painter);
    chart.Draw(canvas, whole);
    return;
  }
  const QSize size(client.width, client.height);
  if (chart.NeedsFrame(client) || stored.size() != size) {
    if (stored.size() != size) stored = QImage(size, QImage::Format_RGB32);
    QPainter image_painter(&stored);
    PainterCanvas canvas(image_painter);
    chart.DrawFrame(canvas, whole);
    chart.FrameStored(client);
  }
  painter.drawImage(0, 0, stored);
  PainterCanvas canvas(painter);
  chart.DrawZoomRectangle(canvas);
}

// ----- GuiForPictures -----

namespace {

void DropQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) qFatal("%s", qPrintable(message));
}

}  // namespace

struct GuiForPictures::State {
  int argc = 1;
  char name[16] = "tarvolen";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QGuiApplication> app;
  QtMessageHandler previous_handler = nullptr;
  bool quiet = false;
};

GuiForPictures::GuiForPictures(bool quiet) : state_(std::make_unique<State>()) {
  if (QGuiApplication::instance()) return;
  state_->quiet = quiet;
  if (quiet) state_->previous_handler = qInstallMessageHandler(DropQtMessage);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  state_->app = std::make_unique<QGuiApplication>(state_->argc, state_->argv);
}

GuiForPictures::~GuiForPictures() {
  state_->app.reset();
  if (state_->quiet) qInstallMessageHandler(state_->previous_handler);
}

}  // namespace tarvolen::render
