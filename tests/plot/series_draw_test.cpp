#include <gtest/gtest.h>

#include <vector>

#include "plot/axis.h"
#include "plot/chart.h"
#include "plot/recording_canvas.h"
#include "plot/series.h"

namespace tarvolen {
namespace {

using Kind = CanvasCall::Kind;

// Axes over 0..100 on a 100-pixel square plot: x = X, y = 100 - Y.
struct Layout {
  Rect plot{0, 0, 100, 100};
  TChartAxis horiz{TAxisPlace::Bottom};
  TChartAxis vert{TAxisPlace::Left};
  explicit Layout(double x_low = 0, double x_high = 100) {
    horiz.CalcMinMax(true, x_low, x_high);
    vert.CalcMinMax(true, 0, 100);
    horiz.SetPositions(plot);
    vert.SetPositions(plot);
  }
};

template <class Series>
Series& MakeSeries(TChart& chart, const std::vector<std::pair<double, double>>& points) {
  Series& series = chart.CreateSeries<Series>();
  series.SetSeriesColor(clRed);
  for (const auto& [x, y] : points) series.AddPoint(x, y);
  return series;
}

std::vector<CanvasCall> Draw(const TCustomSeries& series, const Layout& layout) {
  RecordingCanvas canvas;
  series.DrawValues(canvas, layout.horiz, layout.vert, layout.plot);
  return canvas.Calls();
}

std::vector<std::pair<Point, Point>> Lines(const std::vector<CanvasCall>& calls) {
  std::vector<std::pair<Point, Point>> lines;
  for (const CanvasCall& c : calls) {
    if (c.kind == Kind::kLine) lines.push_back({c.from, c.to});
  }
  return lines;
}

std::vector<Rect> Markers(const std::vector<CanvasCall>& calls) {
  std::vector<Rect> markers;
  for (const CanvasCall& c : calls) {
    if (c.kind == Kind::kEllipse || c.kind == Kind::kRectangle) markers.push_back(c.rect);
  }
  return markers;
}

TEST(TCustomSeries, FindsTheVisibleIndexRangeBySearching) {
  TChart chart;
  TLineSeries& series = MakeSeries<TLineSeries>(chart, {{1, 0}, {2, 0}, {2, 0}, {2, 0}, {3, 0}});
  const struct {
    double xl, xr;
    bool visible;
    std::size_t first, last;
  } cases[] = {
      {0, 10, true, 0, 4},   {1, 3, true, 0, 4},     {1.5, 2.5, true, 1, 4},
      {2, 2, true, 1, 1},    {0, 0.5, true, 0, 0},   {3.5, 10, false, 0, 0},
      {2.5, 2.7, true, 4, 4},
  };
  for (const auto& c : cases) {
    std::size_t first = 99, last = 99;
    ASSERT_EQ(series.VisibleRange(c.xl, c.xr, first, last), c.visible) << c.xl << ".." << c.xr;
    if (!c.visible) continue;
    EXPECT_EQ(first, c.first) << c.xl << ".." << c.xr;
    EXPECT_EQ(last, c.last) << c.xl << ".." << c.xr;
  }
}

TEST(TCustomSeries, ClipsToThePlotOffItsLeftTopAndBottomEdges) {
  TChart chart;
  const Layout layout;
  const auto calls = Draw(MakeSeries<TLineSeries>(chart, {{10, 10}, {20, 20}}), layout);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front().kind, Kind::kClip);
  EXPECT_EQ(calls.front().rect, (Rect{1, 1, 100, 99}));
  EXPECT_EQ(calls.back().kind, Kind::kNoClip);
}

TEST(TCustomSeries, LineComesInFromTheLeftEdgeAndRunsPastTheRight) {
  TChart chart;
  // (-10, 50) lies left of the plot; (20.2, 60.1) falls on the pixel of (20, 60); (150, 0)
  // lies beyond the right edge.
  const auto& series = MakeSeries<TLineSeries>(
      chart, {{-10, 50}, {10, 50}, {20, 60}, {20.2, 60.1}, {150, 0}, {160, 0}});
  const auto lines = Lines(Draw(series, Layout()));
  const std::vector<std::pair<Point, Point>> expected = {
      {{0, 50}, {10, 50}}, {{10, 50}, {20, 40}}, {{20, 40}, {150, 100}}};
  EXPECT_EQ(lines, expected);
}

TEST(TCustomSeries, InterpolatesTheEdgeValueWhenZoomedIn) {
  TChart chart;
  // X shown from 5 to 105: the segment from (0, 0) to (10, 100) enters at X 5, Y 50.
  const auto& series = MakeSeries<TLineSeries>(chart, {{0, 0}, {10, 100}, {20, 100}});
  const auto lines = Lines(Draw(series, Layout(5, 105)));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), (std::pair<Point, Point>{{0, 50}, {5, 0}}));
}

TEST(TCustomSeries, DrawsEachMarkerAfterTheSegmentLeavingIt) {
  TChart chart;
  auto& series = MakeSeries<TLineSeries>(chart, {{10, 10}, {20, 20}, {30, 30}});
  series.Pointer().Visible = true;
  series.Pointer().Style = TSeriesPointerStyle::psCircle;
  std::vector<std::string> order;
  for (const CanvasCall& c : Draw(series, Layout())) {
    if (c.kind == Kind::kLine) order.push_back("line to " + std::to_string(c.to.x));
    if (c.kind == Kind::kEllipse) order.push_back("marker " + std::to_string(c.rect.left + 4));
  }
  EXPECT_EQ(order, (std::vector<std::string>{"line to 20", "marker 10", "line to 30", "marker 20",
                                             "marker 30"}));
}

TEST(TCustomSeries, DrawsCircleMarkersInTheirBoxWithTheSeriesColour) {
  TChart chart;
  auto& series = MakeSeries<TPointSeries>(chart, {{10, 10}, {30, 30}, {30, 40}});
  series.Pointer().Style = TSeriesPointerStyle::psCircle;
  const auto calls = Draw(series, Layout());
  EXPECT_TRUE(Lines(calls).empty());
  std::vector<CanvasCall> ellipses;
  for (const CanvasCall& c : calls) {
    if (c.kind == Kind::kEllipse) ellipses.push_back(c);
  }
  ASSERT_EQ(ellipses.size(), 3u);
  // In X order; the later of two equal X on top.
  EXPECT_EQ(ellipses[0].rect, (Rect{6, 86, 14, 94}));
  EXPECT_EQ(ellipses[1].rect, (Rect{26, 66, 34, 74}));
  EXPECT_EQ(ellipses[2].rect, (Rect{26, 56, 34, 64}));
  EXPECT_EQ(ellipses[0].brush.Color, clRed);
  EXPECT_EQ(ellipses[0].pen.Color, clBlack);
  EXPECT_EQ(ellipses[0].pen.Width, 1);
}

TEST(TCustomSeries, RectangleMarkersCoverNinePixels) {
  TChart chart;
  auto& series = MakeSeries<TPointSeries>(chart, {{10, 10}});
  EXPECT_EQ(Markers(Draw(series, Layout())), (std::vector<Rect>{{6, 86, 15, 95}}));
}

TEST(TCustomSeries, SkipsPointsBeyondTheDrawablePixels) {
  TChart chart;
  // Y -40000 would be pixel 40100.
  const auto& line =
      MakeSeries<TLineSeries>(chart, {{10, 10}, {20, -40000}, {30, 30}, {40, 40}});
  EXPECT_EQ(Lines(Draw(line, Layout())),
            (std::vector<std::pair<Point, Point>>{{{10, 90}, {30, 70}}, {{30, 70}, {40, 60}}}));

  // A first visible point too far out leaves the next one without a segment into it.
  const auto& from_far =
      MakeSeries<TLineSeries>(chart, {{-10, 50}, {10, 1e6}, {20, 50}, {30, 50}});
  EXPECT_EQ(Lines(Draw(from_far, Layout())),
            (std::vector<std::pair<Point, Point>>{{{20, 50}, {30, 50}}}));
}

TEST(TCustomSeries, KeepsTheLastMarkerWhenThePointBeyondTheEdgeIsTooFarOut) {
  TChart chart;
  auto& series = MakeSeries<TPointSeries>(chart, {{10, 10}, {20, 20}, {1e6, 20}});
  EXPECT_EQ(Markers(Draw(series, Layout())).size(), 2u);
}

TEST(TCustomSeries, DrawsNothingForOnePointOfALineOrPointsLeftOfThePlot) {
  TChart chart;
  EXPECT_TRUE(Lines(Draw(MakeSeries<TLineSeries>(chart, {{50, 50}}), Layout())).empty());
  EXPECT_TRUE(Draw(MakeSeries<TPointSeries>(chart, {{-5, 50}, {-1, 3}}), Layout()).empty());
  EXPECT_TRUE(Draw(MakeSeries<TPointSeries>(chart, {}), Layout()).empty());
}

TEST(TCustomSeries, VisitsOnlyTheVisiblePartOfALongSeries) {
  TChart chart;
  TLineSeries& series = chart.CreateSeries<TLineSeries>();
  std::vector<double> xs(100000), ys(100000);
  for (std::size_t i = 0; i < xs.size(); ++i) {
    xs[i] = static_cast<double>(i);
    ys[i] = static_cast<double>(i % 2) * 100;
  }
  series.AddPoints(xs.data(), ys.data(), xs.size());
  // X 50000..50100: the 101 points inside, and the one at the right edge, alternate up and down.
  const auto lines = Lines(Draw(series, Layout(50000, 50100)));
  EXPECT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.front().first.x, 0);
  EXPECT_EQ(lines.back().second.x, 100);
}

}  // namespace
}  // namespace tarvolen
