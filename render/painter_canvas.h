#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "plot/bitmap.h"
#include "plot/canvas.h"
#include "plot/chart.h"

namespace tarvolen::render {

// The chart's canvas over a QPainter: the screen, exported pictures and the command-line
// picture all draw through it. Shapes are drawn without anti-aliasing and lines leave out their
// end pixel, as the chart's pixel rules expect; text keeps the font's own smoothing.
//
// The painter must stay active while the canvas is used; the canvas leaves the painter's state
// as it found it (it saves on construction and restores on destruction).
class PainterCanvas : public Canvas {
 public:
  explicit PainterCanvas(QPainter& painter);
  ~PainterCanvas() override;
  PainterCanvas(const PainterCanvas&) = delete;
  PainterCanvas& operator=(const PainterCanvas&) = delete;

  void FillRect(const Rect& r, TColor color) override;
  void Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) override;
  void Line(Point from, Point to, const TChartPen& pen) override;
  void Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) override;
  void TextOut(int x, int y, std::string_view text, const TChartFont& font, int angle) override;
  Size TextExtent(std::string_view text, const TChartFont& font) override;
  void InvertRectOutline(const Rect& r, TColor color) override;
  void SetClipRect(const Rect& r) override;
  void ClearClipRect() override;

 protected:
  QPainter& Painter() { return painter_; }
  // Hand the pen and brush to the painter, skipping what it holds already.
  void UsePen(const TChartPen& pen);
  void UseBrush(const TChartBrush& brush);

 private:
  const QFont& FontFor(const TChartFont& font);

  QPainter& painter_;
  // The last pen and brush handed to the painter, to skip needless state changes.
  TChartPen pen_;
  bool pen_set_ = false;
  TChartBrush brush_;
  bool brush_set_ = false;
  QHash<QString, QFont> fonts_;
  // Ellipses drawn once into a small transparent picture and then copied: a data set of many
  // points draws the same marker over and over.
  struct Sprite {
    int width, height;
    TChartPen pen;
    TChartBrush brush;
    QImage image;
  };
  std::vector<Sprite> sprites_;
  std::size_t last_sprite_ = 0;
};

// QColor of a 24-bit chart colour.
QColor ToQColor(TColor color);

// A chart bitmap over a QImage (32 bits per pixel, RGB).
class ImageBitmap : public TBitmap {
 public:
  ImageBitmap(int width, int height);
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }
  std::unique_ptr<Canvas> Paint() override;
  TColor Pixel(int x, int y) const override;
  void ReadRowBgr(int y, std::uint8_t* bgr) const override;
  const QImage& Image() const { return image_; }

 private:
  QImage image_;
};

// Makes ImageBitmaps: the factory for RenderChartBitmap and SaveChartBitmap.
std::unique_ptr<TBitmap> MakeImageBitmap(int width, int height);

// The chart's client rectangle rendered as export renders it (white background, buffering off
// for the frame).
QImage RenderChartImage(TChart& chart);

// Saves the chart picture as SaveChartBitmap does, but as PNG. Same errors.
void SaveChartPng(TChart& chart, const std::string& file_name);

// What a chart widget draws on a paint request: a new frame into `stored` when the chart asks
// for one (or straight onto the painter when buffering is off), the stored picture, and the zoom
// rectangle inverted on top. `client` is the widget's client size; the painter's origin is the
// client's top-left corner.
void PaintChart(QPainter& painter, TChart& chart, QImage& stored, Size client);

// Makes sure a QGuiApplication exists, which fonts need: creates one on the offscreen platform
// (no display needed) when there is none, and destroys it with itself. `quiet` drops Qt's
// own warnings meanwhile (a command-line program prints only its results).
class GuiForPictures {
 public:
  explicit GuiForPictures(bool quiet = false);
  ~GuiForPictures();
  GuiForPictures(const GuiForPictures&) = delete;
  GuiForPictures& operator=(const GuiForPictures&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tarvolen::render
