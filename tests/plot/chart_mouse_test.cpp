#include <gtest/gtest.h>

#include "plot/chart.h"
#include "plot/data_plot.h"
#include "plot/recording_canvas.h"

namespace tarvolen {
namespace {

constexpr Rect kClient{0, 0, 303, 245};

// Chart1 with data from (0, 0) to (10, 100), drawn once.
struct ZoomableChart {
  TChart chart;
  RecordingCanvas canvas;
  ZoomableChart() {
    ConfigureChart1(chart);
    GridTable grid;
    grid.SetRowCount(3);
    grid.SetCell(1, 1, "0");
    grid.SetCell(2, 1, "0");
    grid.SetCell(1, 2, "10");
    grid.SetCell(2, 2, "100");
    PlotDataPoints(chart, grid, '.', nullptr);
    Frame();
  }
  void Frame() {
    canvas.Clear();
    chart.Draw(canvas, kClient);
  }
  void Drag(TMouseButton button, Point from, Point to) {
    chart.MouseDown(button, from.x, from.y);
    chart.MouseMove(to.x, to.y);
    chart.MouseUp(button, to.x, to.y);
  }
  bool Automatic() const {
    const TChartAxis& b = chart.BottomAxis();
    const TChartAxis& l = chart.LeftAxis();
    return b.Automatic && b.AutomaticMinimum && b.AutomaticMaximum && l.Automatic &&
           l.AutomaticMinimum && l.AutomaticMaximum;
  }
};

TEST(TChartZoom, ZoomsToTheValuesUnderARectangleDraggedRightAndDown) {
  ZoomableChart z;
  const TChartAxis& bottom = z.chart.BottomAxis();
  const TChartAxis& left = z.chart.LeftAxis();
  const double x0 = bottom.CalcPosPoint(80), x1 = bottom.CalcPosPoint(180);
  const double y_top = left.CalcPosPoint(60), y_bottom = left.CalcPosPoint(150);
  z.Drag(TMouseButton::mbLeft, {80, 60}, {180, 150});
  EXPECT_TRUE(z.chart.HasSavedScales());
  EXPECT_FALSE(z.Automatic());
  EXPECT_DOUBLE_EQ(bottom.Minimum, x0);
  EXPECT_DOUBLE_EQ(bottom.Maximum, x1);
  EXPECT_DOUBLE_EQ(left.Minimum, y_bottom);
  EXPECT_DOUBLE_EQ(left.Maximum, y_top);
  // The next frame shows exactly that range: no series margins on manual ends.
  z.Frame();
  EXPECT_DOUBLE_EQ(bottom.IMinimum(), x0);
  EXPECT_DOUBLE_EQ(left.IMaximum(), y_top);
}

TEST(TChartZoom, ActsOnlyOnDragsOfMoreThanSixteenPixelsBothWays) {
  const struct {
    int dx, dy;
    const char* result;
  } cases[] = {
      {17, 17, "zoom"},  {16, 40, "none"},  {40, 16, "none"},  {-17, -17, "undo"},
      {17, -17, "undo"}, {-17, 17, "undo"}, {-16, -40, "none"}, {0, 0, "none"},
  };
  for (const auto& c : cases) {
    ZoomableChart z;
    // Zoomed in first, so that an undo shows.
    z.Drag(TMouseButton::mbLeft, {60, 40}, {250, 190});
    z.Frame();
    const double minimum = z.chart.BottomAxis().Minimum;
    z.Drag(TMouseButton::mbLeft, {140, 110}, {140 + c.dx, 110 + c.dy});
    const std::string what = std::string(c.result);
    if (what == "undo") {
      EXPECT_TRUE(z.Automatic()) << c.dx << ", " << c.dy;
      EXPECT_FALSE(z.chart.HasSavedScales()) << c.dx << ", " << c.dy;
    } else if (what == "zoom") {
      EXPECT_NE(z.chart.BottomAxis().Minimum, minimum) << c.dx << ", " << c.dy;
      EXPECT_TRUE(z.chart.HasSavedScales());
    } else {
      EXPECT_EQ(z.chart.BottomAxis().Minimum, minimum) << c.dx << ", " << c.dy;
      EXPECT_FALSE(z.Automatic()) << c.dx << ", " << c.dy;
    }
  }
}

TEST(TChartZoom, UndoRestoresAutomaticScalingOverSeveralZooms) {
  ZoomableChart z;
  z.Drag(TMouseButton::mbLeft, {60, 40}, {250, 190});
  z.Frame();
  z.Drag(TMouseButton::mbLeft, {80, 60}, {200, 150});
  z.Frame();
  z.Drag(TMouseButton::mbLeft, {200, 150}, {80, 60});
  EXPECT_TRUE(z.Automatic());
  z.Frame();
  EXPECT_NEAR(z.chart.BottomAxis().IMinimum(), 0, 1);
  EXPECT_LT(z.chart.BottomAxis().IMinimum(), 0);  // margins are back
}

TEST(TChartZoom, ShowsAnInvertedRectangleWhileDragging) {
  ZoomableChart z;
  EXPECT_EQ(z.chart.CurrentCursor(), TCursor::crCross);
  z.chart.MouseDown(TMouseButton::mbLeft, 150, 120);
  EXPECT_EQ(z.chart.CurrentCursor(), TCursor::crDefault);
  z.chart.MouseMove(100, 90);
  ASSERT_TRUE(z.chart.ZoomRectangle().has_value());
  EXPECT_EQ(*z.chart.ZoomRectangle(), (Rect{100, 90, 150, 120}));
  EXPECT_EQ(z.chart.ZoomPenColor(), ResolveColor(clInactiveCaptionText));
  z.chart.MouseUp(TMouseButton::mbLeft, 100, 90);
  EXPECT_FALSE(z.chart.ZoomRectangle().has_value());
  z.chart.MouseMove(100, 90);
  EXPECT_EQ(z.chart.CurrentCursor(), TCursor::crCross);

  // On a white chart the rectangle is black.
  z.chart.SetColor(clWhite);
  EXPECT_EQ(z.chart.ZoomPenColor(), clBlack);
}

TEST(TChartZoom, StartsOnlyInsideThePlotWithSeriesOrOnAnAxis) {
  ZoomableChart z;
  z.chart.MouseDown(TMouseButton::mbLeft, 3, 3);  // margin area
  EXPECT_FALSE(z.chart.Dragging());
  const TChartAxis& bottom = z.chart.BottomAxis();
  z.chart.MouseDown(TMouseButton::mbLeft, bottom.ICenterPos(), bottom.PosAxis() + 2);
  EXPECT_TRUE(z.chart.Dragging());
  z.chart.MouseUp(TMouseButton::mbLeft, bottom.ICenterPos(), bottom.PosAxis() + 2);

  TChart empty;
  ConfigureChart1(empty);
  RecordingCanvas canvas;
  empty.Draw(canvas, kClient);
  empty.MouseDown(TMouseButton::mbLeft, 150, 120);
  EXPECT_FALSE(empty.Dragging());
}

TEST(TChartZoom, ANewDataLoadKeepsTheZoomedRange) {
  ZoomableChart z;
  z.Drag(TMouseButton::mbLeft, {60, 40}, {250, 190});
  const double minimum = z.chart.BottomAxis().Minimum;
  GridTable grid;
  grid.SetRowCount(2);
  grid.SetCell(1, 1, "500");
  grid.SetCell(2, 1, "500");
  PlotDataPoints(z.chart, grid, '.', nullptr);
  z.Frame();
  EXPECT_EQ(z.chart.BottomAxis().IMinimum(), minimum);
  // The point lies beyond the right edge: drawn there, and clipped away.
  for (const CanvasCall& e : z.canvas.CallsOf(CanvasCall::Kind::kEllipse)) {
    EXPECT_GT(e.rect.left, z.chart.ChartRect().right);
  }
}

TEST(TChartScroll, RightDragShiftsBothAxesByTheValuesMovedOver) {
  ZoomableChart z;
  TChartAxis& bottom = z.chart.BottomAxis();
  TChartAxis& left = z.chart.LeftAxis();
  const double dx_value = bottom.CalcPosPoint(150) - bottom.CalcPosPoint(160);
  const double dy_value = left.CalcPosPoint(100) - left.CalcPosPoint(95);
  const double x_min = bottom.Minimum, y_max = left.Maximum;
  z.chart.MouseDown(TMouseButton::mbRight, 150, 100);
  z.chart.MouseMove(160, 95);
  EXPECT_DOUBLE_EQ(bottom.Minimum, x_min + dx_value);
  EXPECT_DOUBLE_EQ(left.Maximum, y_max + dy_value);
  EXPECT_FALSE(bottom.Automatic || bottom.AutomaticMinimum);
  EXPECT_TRUE(z.chart.HasSavedScales());

  // Leaving the plot ends the scroll.
  z.chart.MouseMove(1, 1);
  const double after = bottom.Minimum;
  z.chart.MouseMove(170, 95);
  EXPECT_EQ(bottom.Minimum, after);
  z.chart.MouseUp(TMouseButton::mbRight, 170, 95);

  // The saved scales bring automatic scaling back.
  z.Drag(TMouseButton::mbLeft, {200, 150}, {80, 60});
  EXPECT_TRUE(z.Automatic());
}

TEST(TChartScroll, AnyReleaseEndsIt) {
  ZoomableChart z;
  z.chart.MouseDown(TMouseButton::mbRight, 150, 100);
  z.chart.MouseUp(TMouseButton::mbLeft, 150, 100);
  const double minimum = z.chart.BottomAxis().Minimum;
  z.chart.MouseMove(170, 100);
  EXPECT_EQ(z.chart.BottomAxis().Minimum, minimum);
}

TEST(TChartWheel, ShiftsTheVerticalAxesByThreePercentPerStep) {
  ZoomableChart z;
  TChartAxis& left = z.chart.LeftAxis();
  const double low = left.Minimum, high = left.Maximum;
  const double step = 0.03 * (high - low);
  const std::uint64_t version = z.chart.Version();
  z.chart.MouseWheel(-1);  // one step down
  EXPECT_DOUBLE_EQ(left.Minimum, low + step);
  EXPECT_DOUBLE_EQ(left.Maximum, high + step);
  EXPECT_FALSE(left.Automatic);
  EXPECT_NE(z.chart.Version(), version);
  z.chart.MouseWheel(2);  // two steps up
  EXPECT_DOUBLE_EQ(left.Minimum, low - step);
  EXPECT_TRUE(z.chart.BottomAxis().Automatic);
  // Undoing the zoom undoes the wheel as well: the axis is automatic again.
  ASSERT_TRUE(z.chart.HasSavedScales());
  z.chart.UndoZoom();
  EXPECT_TRUE(left.Automatic);
  EXPECT_TRUE(left.AutomaticMinimum);
  EXPECT_TRUE(left.AutomaticMaximum);
}

}  // namespace
}  // namespace tarvolen
