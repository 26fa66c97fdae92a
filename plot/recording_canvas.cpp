#include "plot/recording_canvas.h"

#include <cmath>

namespace tarvolen {
namespace {

int CharWidth(char c) {
  if (c >= '0' && c <= '9') return 5;
  if (c == '.' || c == ',' || c == '-' || c == ' ') return 3;
  return 7;
}

CanvasCall Make(CanvasCall::Kind kind) {
  CanvasCall call;
  call.kind = kind;
  return call;
}

CanvasCall Shape(CanvasCall::Kind kind, const Rect& r, const TChartPen& pen,
                 const TChartBrush& brush) {
  CanvasCall call = Make(kind);
  call.rect = r;
  call.pen = pen;
  call.brush = brush;
  return call;
}

}  // namespace

void RecordingCanvas::FillRect(const Rect& r, TColor color) {
  CanvasCall call = Make(CanvasCall::Kind::kFillRect);
  call.rect = r;
  call.color = color;
  calls_.push_back(std::move(call));
}

void RecordingCanvas::Rectangle(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  calls_.push_back(Shape(CanvasCall::Kind::kRectangle, r, pen, brush));
}

void RecordingCanvas::Line(Point from, Point to, const TChartPen& pen) {
  CanvasCall call = Make(CanvasCall::Kind::kLine);
  call.from = from;
  call.to = to;
  call.pen = pen;
  calls_.push_back(std::move(call));
}

void RecordingCanvas::Ellipse(const Rect& r, const TChartPen& pen, const TChartBrush& brush) {
  calls_.push_back(Shape(CanvasCall::Kind::kEllipse, r, pen, brush));
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text, const TChartFont& font,
                              int angle) {
  CanvasCall call = Make(CanvasCall::Kind::kTextOut);
  call.from = {x, y};
  call.text = std::string(text);
  call.font = font;
  call.angle = angle;
  calls_.push_back(std::move(call));
}

Size RecordingCanvas::TextExtent(std::string_view text, const TChartFont& font) {
  int width = 0;
  for (char c : text) {
    width += static_cast<int>(std::lround(CharWidth(c) * font.PixelSize / 11.0));
  }
  return {width, font.PixelSize + 2};
}

void RecordingCanvas::InvertRectOutline(const Rect& r, TColor color) {
  CanvasCall call = Make(CanvasCall::Kind::kInvertRect);
  call.rect = r;
  call.color = color;
  calls_.push_back(std::move(call));
}

void RecordingCanvas::SetClipRect(const Rect& r) {
  CanvasCall call = Make(CanvasCall::Kind::kClip);
  call.rect = r;
  calls_.push_back(std::move(call));
}

void RecordingCanvas::ClearClipRect() { calls_.push_back(Make(CanvasCall::Kind::kNoClip)); }

std::vector<CanvasCall> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> result;
  for (const CanvasCall& call : calls_) {
    if (call.kind == kind) result.push_back(call);
  }
  return result;
}

std::vector<std::string> RecordingCanvas::Texts() const {
  std::vector<std::string> texts;
  for (const CanvasCall& call : calls_) {
    if (call.kind == CanvasCall::Kind::kTextOut) texts.push_back(call.text);
  }
  return texts;
}

}  // namespace tarvolen
