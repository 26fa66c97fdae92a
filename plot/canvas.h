#pragma once

// The drawing surface of the chart engine. Everything the chart shows goes through these few
// operations, so scaling, colour choice and layout never depend on a window system: a painter
// canvas draws on screen and into pictures, a recording canvas lists the calls for the tests.

#include <cmath>
#include <string>
#include <string_view>

#include "common/colors.h"

namespace tarvolen {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// The nearest integer, halves to the even neighbour (the chart's "round").
inline int RoundToInt(double v) { return static_cast<int>(std::nearbyint(v)); }

// The pixels from `left` to `right` - 1 and from `top` to `bottom` - 1: the right and bottom
// edges lie outside the rectangle.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class TPenStyle { psSolid, psDot, psClear };

struct TChartPen {
  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = TPenStyle::psSolid;
  bool Visible = true;
  // Whether the pen draws anything.
  bool Draws() const { return Visible && Style != TPenStyle::psClear; }
  friend bool operator==(const TChartPen&, const TChartPen&) = default;
};

struct TChartBrush {
  TColor Color = clAutoColor;
  bool Solid = true;  // a clear brush fills nothing
  friend bool operator==(const TChartBrush&, const TChartBrush&) = default;
};

// A text face. `PixelSize` is the character height in pixels (8 points on a 96 dpi screen are
// 11 pixels).
struct TChartFont {
  std::string Name = "Arial";
  int PixelSize = 11;
  bool Bold = false;
  TColor Color = clBlack;
  friend bool operator==(const TChartFont&, const TChartFont&) = default;
};

// Copies with system colours resolved to the fixed values a canvas draws with (clAutoColor
// must have been replaced by the caller).
inline TChartPen Resolved(TChartPen pen) {
  pen.Color = ResolveColor(pen.Color);
  return pen;
}
inline TChartBrush Resolved(TChartBrush brush) {
  brush.Color = ResolveColor(brush.Color);
  return brush;
}
inline TChartFont Resolved(TChartFont font) {
  font.Color = ResolveColor(font.Color);
  return font;
}

// The character height of `points` on a 96 dpi screen.
constexpr int PointsToPixels(int points) { return (points * 96 + 36) / 72; }

// The drawing operations. Every colour handed to a canvas is a plain 24-bit RGB value (the
// chart resolves system colours and clAutoColor first). Coordinates are integer pixels; the
// results are those of plain raster drawing without anti-aliasing of shapes.
class Canvas {
 public:
  virtual ~Canvas() = default;

  // Fills the pixels of `r` with `color`.
  virtual void FillRect(const Rect& r, TColor color) = 0;
  // Fills `r` with the brush and outlines its outermost pixels with the pen (a pen of width 1
  // draws on columns left and right - 1, rows top and bottom - 1).
  virtual void Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) = 0;
  // A line from `from` up to `to`, the pixel at `to` itself not drawn. Wider pens are centred
  // on the line (width 2: one pixel each side of it).
  virtual void Line(Point from, Point to, const TChartPen& pen) = 0;
  // The ellipse inscribed in `r` (columns left to right - 1, rows top to bottom - 1), filled with
  // the brush and outlined with the pen.
  virtual void Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) = 0;
  // Writes one line of text with a transparent background. At angle 0, (x, y) is the top-left
  // corner of the text; at angle 90 the text reads upward from (x, y), which is then the
  // bottom-left corner of the box it covers: columns x to x + height, rows y - width to y.
  virtual void TextOut(int x, int y, std::string_view text, const TChartFont& font,
                       int angle) = 0;
  // Width and height of the text unrotated.
  virtual Size TextExtent(std::string_view text, const TChartFont& font) = 0;
  // Draws the 1-pixel outline of `r` in a mode that inverts what it covers by combining it with
  // `color`; drawing the same outline twice restores the picture.
  virtual void InvertRectOutline(const Rect& r, TColor color) = 0;
  // Restricts all following drawing to `r` until `ClearClipRect`.
  virtual void SetClipRect(const Rect& r) = 0;
  virtual void ClearClipRect() = 0;
};

}  // namespace tarvolen
