#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "plot/canvas.h"

namespace tarvolen {

// One canvas operation as recorded.
struct CanvasCall {
  enum class Kind { kFillRect, kRectangle, kLine, kEllipse, kTextOut, kInvertRect, kClip, kNoClip };
  Kind kind = Kind::kFillRect;
  Rect rect;            // FillRect, Rectangle, Ellipse, InvertRect, Clip
  Point from, to;       // Line; TextOut uses `from` for its position
  TChartPen pen;        // Rectangle, Line, Ellipse
  TChartBrush brush;    // Rectangle, Ellipse
  TColor color = 0;     // FillRect, InvertRect
  std::string text;     // TextOut
  TChartFont font;      // TextOut
  int angle = 0;        // TextOut
};

// A canvas that draws nothing and records every operation, with fixed font metrics: at 11
// pixels a digit is 5 pixels wide, ".", ",", "-" and " " are 3, any other character 7; other
// sizes scale these widths by size / 11 (rounded per character); a text is size + 2 high.
// `TextExtent` calls are not recorded.
class RecordingCanvas : public Canvas {
 public:
  void FillRect(const Rect& r, TColor color) override;
  void Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) override;
  void Line(Point from, Point to, const TChartPen& pen) override;
  void Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) override;
  void TextOut(int x, int y, std::string_view text, const TChartFont& font, int angle) override;
  Size TextExtent(std::string_view text, const TChartFont& font) override;
  void InvertRectOutline(const Rect& r, TColor color) override;
  void SetClipRect(const Rect& r) override;
  void ClearClipRect() override;

  const std::vector<CanvasCall>& Calls() const { return calls_; }
  std::vector<CanvasCall> CallsOf(CanvasCall::Kind kind) const;
  // The texts written, in order.
  std::vector<std::string> Texts() const;
  void Clear() { calls_.clear(); }

 private:
  std::vector<CanvasCall> calls_;
};

}  // namespace tarvolen
