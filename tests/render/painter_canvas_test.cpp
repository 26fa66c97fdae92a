#include "render/painter_canvas.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <string>
#include <vector>

namespace tarvolen::render {
namespace {

// A 40 x 30 white picture, drawn on through a PainterCanvas, as rows of characters: '.' white,
// '#' black, 'r' red, '?' anything else.
class Picture {
 public:
  Picture() : image_(40, 30, QImage::Format_RGB32) { image_.fill(Qt::white); }
  template <class Draw>
  void Paint(Draw&& draw) {
    QPainter painter(&image_);
    PainterCanvas canvas(painter);
    draw(canvas);
  }
  std::string Row(int y, int from, int to) const {
    std::string row;
    for (int x = from; x < to; ++x) {
      const QRgb c = image_.pixel(x, y) & 0xFFFFFF;
      row += c == 0xFFFFFF ? '.' : c == 0 ? '#' : c == 0xFF0000 ? 'r' : '?';
    }
    return row;
  }
  const QImage& Image() const { return image_; }

 private:
  QImage image_;
};

const TChartPen kBlack{clBlack, 1};

TEST(PainterCanvas, LinesLeaveOutTheirEndPixel) {
  Picture p;
  p.Paint([](Canvas& c) {
    c.Line({2, 1}, {8, 1}, kBlack);
    c.Line({8, 3}, {2, 3}, kBlack);
    c.Line({2, 5}, {8, 5}, {clBlack, 1, TPenStyle::psDot});
  });
  EXPECT_EQ(p.Row(1, 0, 10), "..######..");
  EXPECT_EQ(p.Row(3, 0, 10), "...######.");
  EXPECT_EQ(p.Row(5, 0, 10), "..#.#.#...");
}

TEST(PainterCanvas, WideLinesCoverOnePixelEachSide) {
  Picture p;
  p.Paint([](Canvas& c) { c.Line({2, 5}, {8, 5}, {clBlack, 2}); });
  EXPECT_EQ(p.Row(3, 0, 10), "..........");
  EXPECT_EQ(p.Row(4, 0, 10), "..######..");
  EXPECT_EQ(p.Row(5, 0, 10), "..######..");
  EXPECT_EQ(p.Row(6, 0, 10), "..........");
}

TEST(PainterCanvas, CircleMarkerFillsItsEightPixelBox) {
  Picture p;
  p.Paint([](Canvas& c) {
    // The marker of a point at (10, 10): x - 4 .. x + 3.
    c.Ellipse({6, 6, 14, 14}, kBlack, {clRed, true});
  });
  const std::vector<std::string> expected = {
      "..####..", ".#rrrr#.", "#rrrrrr#", "#rrrrrr#",
      "#rrrrrr#", "#rrrrrr#", ".#rrrr#.", "..####..",
  };
  for (int y = 0; y < 8; ++y) EXPECT_EQ(p.Row(6 + y, 6, 14), expected[y]) << "row " << y;
  EXPECT_EQ(p.Row(5, 4, 16), "............");
  EXPECT_EQ(p.Row(14, 4, 16), "............");
}

TEST(PainterCanvas, RepeatedMarkersDrawAlike) {
  // Markers come from a stored picture after the first: every copy must match a fresh one.
  Picture once, many;
  once.Paint([](Canvas& c) { c.Ellipse({20, 10, 28, 18}, kBlack, {clRed, true}); });
  many.Paint([](Canvas& c) {
    c.Ellipse({2, 2, 10, 10}, kBlack, {clRed, true});
    c.FillRect({0, 0, 40, 30}, clWhite);
    c.Ellipse({20, 10, 28, 18}, kBlack, {clRed, true});
  });
  EXPECT_EQ(once.Image(), many.Image());
}

TEST(PainterCanvas, RectangleOutlinesItsOuterPixelsAndFillsInside) {
  Picture p;
  p.Paint([](Canvas& c) { c.Rectangle({2, 2, 8, 6}, kBlack, {clRed, true}); });
  EXPECT_EQ(p.Row(1, 0, 10), "..........");
  EXPECT_EQ(p.Row(2, 0, 10), "..######..");
  EXPECT_EQ(p.Row(3, 0, 10), "..#rrrr#..");
  EXPECT_EQ(p.Row(5, 0, 10), "..######..");
  EXPECT_EQ(p.Row(6, 0, 10), "..........");
}

TEST(PainterCanvas, ClipsToTheRectangleUntilCleared) {
  Picture p;
  p.Paint([](Canvas& c) {
    c.SetClipRect({3, 0, 6, 30});
    c.Line({0, 1}, {10, 1}, kBlack);
    c.ClearClipRect();
    c.Line({0, 2}, {10, 2}, kBlack);
  });
  EXPECT_EQ(p.Row(1, 0, 10), "...###....");
  EXPECT_EQ(p.Row(2, 0, 10), "##########");
}

TEST(PainterCanvas, InvertedOutlineRestoresThePictureWhenDrawnTwice) {
  Picture p;
  p.Paint([](Canvas& c) { c.FillRect({0, 0, 20, 30}, clRed); });
  const QImage before = p.Image().copy();
  p.Paint([](Canvas& c) { c.InvertRectOutline({5, 5, 30, 20}, clWhite); });
  // Every outline pixel changed, the corners too; nothing inside.
  for (const QPoint at : {QPoint(5, 5), QPoint(29, 5), QPoint(5, 19), QPoint(29, 19),
                          QPoint(15, 5), QPoint(5, 12)}) {
    EXPECT_NE(p.Image().pixel(at), before.pixel(at)) << at.x() << ", " << at.y();
  }
  EXPECT_EQ(p.Image().pixel(12, 12), before.pixel(12, 12));
  p.Paint([](Canvas& c) { c.InvertRectOutline({5, 5, 30, 20}, clWhite); });
  EXPECT_EQ(p.Image(), before);
}

TEST(PainterCanvas, ArialResolvesToAFontWithItsMetrics) {
  QFont font("Arial");
  font.setPixelSize(11);
  EXPECT_EQ(QFontInfo(font).family(), "Liberation Sans");
  QImage image(10, 10, QImage::Format_RGB32);
  QPainter painter(&image);
  PainterCanvas canvas(painter);
  const Size w = canvas.TextExtent("W", {"Arial", 11, false, clBlack});
  EXPECT_GE(w.height, 11);
  EXPECT_LE(w.height, 15);
  // Digits share one width, so labels of equal length measure alike.
  EXPECT_EQ(canvas.TextExtent("10.208", {"Arial", 11, false, clBlack}).width,
            canvas.TextExtent("99.999", {"Arial", 11, false, clBlack}).width);
}

TEST(PainterCanvas, UprightTextReadsUpwardFromItsPoint) {
  Picture p;
  Size extent;
  p.Paint([&](Canvas& c) {
    const TChartFont font{"Arial", 16, true, clBlack};
    extent = c.TextExtent("Y", font);
    c.TextOut(5, 25, "Y", font, 90);
  });
  // Ink only in columns 5 .. 5 + height and rows 25 - width .. 25.
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool ink = (p.Image().pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
      if (ink) {
        EXPECT_GE(x, 5);
        EXPECT_LE(x, 5 + extent.height);
        EXPECT_GE(y, 25 - extent.width);
        EXPECT_LE(y, 25);
      }
    }
  }
}

}  // namespace
}  // namespace tarvolen::render
