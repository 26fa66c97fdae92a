#include "plot/axis.h"

#include <gtest/gtest.h>

#include <vector>

#include "plot/recording_canvas.h"

namespace tarvolen {
namespace {

// A bottom axis from pixel 50 to 300 (250 long) over 0..10.
TChartAxis BottomAxisOverZeroToTen() {
  TChartAxis axis(TAxisPlace::Bottom);
  axis.CalcMinMax(true, 0, 10);
  axis.SetPositions({50, 0, 300, 100});
  return axis;
}

TEST(TChartAxis, ConvertsBetweenValuesAndPixelsBothWays) {
  TChartAxis bottom(TAxisPlace::Bottom);
  bottom.CalcMinMax(true, 0, 250);
  bottom.SetPositions({50, 0, 300, 100});
  TChartAxis left(TAxisPlace::Left);
  left.CalcMinMax(true, 0, 100);
  left.SetPositions({0, 20, 100, 220});

  const struct {
    const TChartAxis* axis;
    double value;
    int pixel;
  } cases[] = {
      {&bottom, 0, 50},   {&bottom, 250, 300}, {&bottom, 125, 175},
      {&bottom, 2.5, 52},  // halves go to the even neighbour
      {&bottom, 3.5, 54},  {&bottom, -10, 40},  {&left, 0, 220},
      {&left, 100, 20},    {&left, 25, 170},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.axis->CalcPosValue(c.value), c.pixel) << "value " << c.value;
  }
  EXPECT_DOUBLE_EQ(bottom.CalcPosPoint(175), 125);
  EXPECT_DOUBLE_EQ(bottom.CalcPosPoint(50), 0);
  EXPECT_DOUBLE_EQ(left.CalcPosPoint(20), 100);
  EXPECT_DOUBLE_EQ(left.CalcPosPoint(170), 25);
}

TEST(TChartAxis, MapsAZeroRangeOrAFarValueToTheCentre) {
  TChartAxis axis(TAxisPlace::Bottom);
  axis.CalcMinMax(true, 3, 3);
  axis.SetPositions({50, 0, 301, 100});
  EXPECT_EQ(axis.ICenterPos(), 175);  // halves toward zero
  EXPECT_EQ(axis.CalcPosValue(3), 175);
  EXPECT_EQ(axis.CalcPosValue(-1e300), 175);

  TChartAxis wide = BottomAxisOverZeroToTen();
  EXPECT_EQ(wide.CalcPosValue(1e300), wide.ICenterPos());
}

TEST(TChartAxis, GivesZeroForPixelsOfAnAxisWithoutLength) {
  TChartAxis axis(TAxisPlace::Bottom);
  axis.CalcMinMax(true, 5, 10);
  axis.SetPositions({40, 0, 40, 100});
  EXPECT_EQ(axis.CalcPosPoint(40), 0);
}

TEST(TChartAxis, SeriesMarginsWidenOnlyAutomaticEnds) {
  const struct {
    const char* name;
    TAxisPlace place;
    bool auto_min, auto_max;
    double minimum, maximum;
  } cases[] = {
      // 10 x 250 / 240 wide, the data 5 pixels inside each end.
      {"both ends", TAxisPlace::Bottom, true, true, -5 * 10 / 240.0, 10 + 5 * 10 / 240.0},
      {"manual minimum", TAxisPlace::Bottom, false, true, 0, 250 * 10 / 245.0},
      {"manual maximum", TAxisPlace::Bottom, true, false, -5 * 10 / 245.0, 10},
      // On a vertical axis the top end holds the maximum.
      {"vertical, manual maximum", TAxisPlace::Left, true, false, -5 * 10 / 245.0, 10},
      {"vertical, manual minimum", TAxisPlace::Left, false, true, 0, 250 * 10 / 245.0},
  };
  for (const auto& c : cases) {
    TChartAxis axis(c.place);
    axis.AutomaticMinimum = c.auto_min;
    axis.AutomaticMaximum = c.auto_max;
    axis.Automatic = false;
    axis.Minimum = 0;
    axis.Maximum = 10;
    axis.CalcMinMax(true, 0, 10);
    axis.SetPositions({50, 50, 300, 300});
    axis.ApplySeriesMargins(5, 5);
    EXPECT_NEAR(axis.IMinimum(), c.minimum, 1e-12) << c.name;
    EXPECT_NEAR(axis.IMaximum(), c.maximum, 1e-12) << c.name;
    EXPECT_EQ(axis.IAxisSize(), 250) << c.name;
  }
}

TEST(TChartAxis, KeepsAZeroRangeUnderMargins) {
  TChartAxis axis(TAxisPlace::Left);
  axis.CalcMinMax(true, 7, 7);
  axis.SetPositions({0, 20, 100, 220});
  axis.ApplySeriesMargins(5, 5);
  EXPECT_EQ(axis.IMinimum(), 7);
  EXPECT_EQ(axis.IRange(), 0);
}

TEST(TChartAxis, SetMinMaxOrdersTheBoundsAndKeepsARange) {
  TChartAxis axis(TAxisPlace::Bottom);
  axis.SetMinMax(5, 1);
  EXPECT_EQ(axis.Minimum, 1);
  EXPECT_EQ(axis.Maximum, 5);
  EXPECT_FALSE(axis.Automatic || axis.AutomaticMinimum || axis.AutomaticMaximum);
  axis.SetMinMax(3, 3);
  EXPECT_DOUBLE_EQ(axis.Maximum, 3 + 1e-10);
  // A manual axis keeps its range when the data change.
  axis.CalcMinMax(true, -100, 100);
  EXPECT_EQ(axis.IMinimum(), 3);
}

TEST(TChartAxis, LabelsTheWorkedExampleEveryTwoUnits) {
  // X from 0 to 10 with point margins on a 250-pixel axis: labels -0.208 and 10.208 measure 26
  // and 28 pixels, 8 labels of 31 fit, and step 1 would make 10.
  TChartAxis axis = BottomAxisOverZeroToTen();
  axis.ApplySeriesMargins(5, 5);
  RecordingCanvas canvas;
  EXPECT_EQ(axis.LabelStep(canvas, {}), 2);

  Rect plot{50, 0, 300, 100};
  axis.ReserveRoom(plot, canvas, {}, true);
  axis.SetPositions(plot);
  axis.ApplySeriesMargins(5, 5);
  axis.Draw(canvas, plot, {}, true);
  EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"10", "8", "6", "4", "2", "0"}));
  ASSERT_EQ(axis.TickCount(), 6);
  EXPECT_EQ(axis.Tick(0), axis.CalcPosValue(10));
  EXPECT_EQ(axis.Tick(5), axis.CalcPosValue(0));
}

TEST(TChartAxis, DrawsTitleLabelsLineTicksGridAndMinorTicksInThatOrder) {
  TChartAxis axis = BottomAxisOverZeroToTen();
  axis.Title.Caption = std::string("X");
  RecordingCanvas canvas;
  Rect plot{50, 0, 300, 100};
  axis.ReserveRoom(plot, canvas, {}, true);
  axis.SetPositions(plot);
  axis.ApplySeriesMargins(5, 5);
  axis.Draw(canvas, plot, {}, true);

  std::vector<std::string> order;
  for (const CanvasCall& call : canvas.Calls()) {
    std::string what;
    if (call.kind == CanvasCall::Kind::kTextOut) {
      what = call.text == "X" ? "title" : "label";
    } else if (call.kind == CanvasCall::Kind::kLine) {
      if (call.pen.Width == 2) {
        what = "axis";
      } else if (call.pen.Style == TPenStyle::psDot) {
        what = "grid";
      } else {
        what = call.to.y - call.from.y == 4 ? "tick" : "minor";
      }
    }
    if (order.empty() || order.back() != what) order.push_back(what);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"title", "label", "axis", "tick", "grid", "minor"}));
}

TEST(TChartAxis, PlacesTicksOutwardAndGridInsideThePlot) {
  TChartAxis axis = BottomAxisOverZeroToTen();
  RecordingCanvas canvas;
  Rect plot{50, 0, 300, 100};
  axis.ReserveRoom(plot, canvas, {}, true);
  axis.SetPositions(plot);
  axis.Draw(canvas, plot, {}, true);
  ASSERT_GT(axis.TickCount(), 1);
  const int pixel = axis.Tick(0);
  bool tick = false, grid = false;
  for (const CanvasCall& call : canvas.CallsOf(CanvasCall::Kind::kLine)) {
    if (call.from.x != pixel || call.to.x != pixel) continue;
    if (call.pen.Style == TPenStyle::psDot) {
      grid = true;
      EXPECT_EQ(call.from.y, plot.top + 1);
      EXPECT_EQ(call.to.y, plot.bottom);
    } else if (call.to.y - call.from.y == 4) {
      tick = true;
      EXPECT_EQ(call.from.y, axis.PosAxis() + 1);
    }
  }
  EXPECT_TRUE(tick);
  EXPECT_TRUE(grid);
  // Minor ticks: three between each pair of labels, all strictly inside the axis.
  int minor = 0;
  for (const CanvasCall& call : canvas.CallsOf(CanvasCall::Kind::kLine)) {
    if (call.pen.Style == TPenStyle::psSolid && call.pen.Width == 1 &&
        call.to.y - call.from.y == 2) {
      ++minor;
      EXPECT_GT(call.from.x, axis.IStartPos());
      EXPECT_LT(call.from.x, axis.IEndPos());
    }
  }
  EXPECT_GE(minor, 3 * (axis.TickCount() - 1));
}

}  // namespace
}  // namespace tarvolen
