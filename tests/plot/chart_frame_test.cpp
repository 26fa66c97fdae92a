#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plot/chart.h"
#include "plot/data_plot.h"
#include "plot/recording_canvas.h"

namespace tarvolen {
namespace {

using Kind = CanvasCall::Kind;

constexpr Rect kClient{0, 0, 303, 245};

GridTable GridOf(const std::vector<std::pair<const char*, const char*>>& rows) {
  GridTable grid;
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    grid.SetCell(1, static_cast<int>(i) + 1, rows[i].first);
    grid.SetCell(2, static_cast<int>(i) + 1, rows[i].second);
  }
  return grid;
}

struct Chart1 {
  TChart chart;
  RecordingCanvas canvas;
  Chart1() { ConfigureChart1(chart); }
  const std::vector<CanvasCall>& Frame() {
    canvas.Clear();
    chart.Draw(canvas, kClient);
    return canvas.Calls();
  }
};

int CountOf(const std::vector<CanvasCall>& calls, Kind kind) {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [kind](const CanvasCall& c) { return c.kind == kind; }));
}

TEST(ConfigureChart1, StoresTheMainWindowsChart) {
  TChart chart;
  ConfigureChart1(chart);
  EXPECT_EQ(chart.ClientSize(), (Size{303, 245}));
  EXPECT_EQ(chart.Cursor, TCursor::crCross);
  EXPECT_EQ(chart.Color(), clInactiveCaptionText);
  EXPECT_EQ(chart.BackColor(), clWhite);
  EXPECT_FALSE(chart.StoredNotDrawn().View3D);
  EXPECT_EQ(chart.BevelOuter(), TPanelBevel::bvRaised);
  EXPECT_TRUE(chart.LegendVisible());
  EXPECT_EQ(chart.Title().Text, (std::vector<std::string>{""}));
  EXPECT_EQ(chart.BottomAxis().Title.Caption, "X");
  EXPECT_EQ(chart.LeftAxis().Title.Caption, "Y");
  EXPECT_EQ(chart.LeftAxis().Title.Angle, 90);
  EXPECT_EQ(chart.LeftAxis().TitleSize, 13);
  EXPECT_EQ(chart.LeftAxis().Title.Font, (TChartFont{"Arial", 16, true, clBlack}));
  EXPECT_EQ((std::vector<int>{chart.MarginLeft, chart.MarginTop, chart.MarginRight,
                              chart.MarginBottom}),
            (std::vector<int>{3, 3, 3, 3}));
}

TEST(TChartFrame, EmptyChartShowsFourAxisLinesAndTheTitlesOnly) {
  Chart1 c;
  const auto& calls = c.Frame();
  // Margins 9 and 7 pixels, the title line 13 + 5; the bottom axis takes its title (18), a label
  // line (13) and ticks (6); the top axis a label line and ticks; the left axis its title size
  // 13 and ticks; the right axis ticks.
  EXPECT_EQ(c.chart.ChartRect(), (Rect{28, 44, 288, 201}));

  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].kind, Kind::kFillRect);
  EXPECT_EQ(calls[0].rect, kClient);
  EXPECT_EQ(calls[0].color, ResolveColor(clInactiveCaptionText));
  EXPECT_EQ(CountOf(calls, Kind::kFillRect), 5);  // background and the raised bevel's four edges
  EXPECT_EQ(c.canvas.CallsOf(Kind::kRectangle).at(0).rect, (Rect{28, 44, 289, 202}));
  EXPECT_EQ(c.canvas.CallsOf(Kind::kRectangle).at(0).brush.Color, clWhite);

  const auto lines = c.canvas.CallsOf(Kind::kLine);
  ASSERT_EQ(lines.size(), 4u);  // no ticks, grid or minor ticks without labels
  for (const CanvasCall& line : lines) EXPECT_EQ(line.pen.Width, 2);
  EXPECT_EQ(lines[0].from, (Point{28, 201}));  // bottom
  EXPECT_EQ(lines[0].to, (Point{288, 201}));
  EXPECT_EQ(lines[1].from, (Point{28, 44}));  // top
  EXPECT_EQ(lines[2].from, (Point{28, 44}));  // left
  EXPECT_EQ(lines[2].to, (Point{28, 201}));
  EXPECT_EQ(lines[3].from, (Point{288, 44}));  // right

  const auto texts = c.canvas.CallsOf(Kind::kTextOut);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "X");
  EXPECT_EQ(texts[0].from, (Point{158 - 5, 220}));  // centred, top at the title position
  EXPECT_EQ(texts[1].text, "Y");
  EXPECT_EQ(texts[1].angle, 90);
  EXPECT_EQ(texts[1].from, (Point{22 - 18, 122 + 5}));  // reading upward, left of 22
}

TEST(TChartFrame, FirstDataLoadDropsTheBevelAndTheOuterAxes) {
  Chart1 c;
  c.Frame();
  PlotDataPoints(c.chart, GridOf({{"0", "0"}, {"10", "100"}}), '.', nullptr);
  const auto& calls = c.Frame();
  EXPECT_EQ(CountOf(calls, Kind::kFillRect), 1);
  EXPECT_TRUE(c.chart.AxisShown(c.chart.BottomAxis()));
  EXPECT_TRUE(c.chart.AxisShown(c.chart.LeftAxis()));
  EXPECT_FALSE(c.chart.AxisShown(c.chart.TopAxis()));
  EXPECT_FALSE(c.chart.AxisShown(c.chart.RightAxis()));
  EXPECT_EQ(c.chart.ChartRect().top, 25);
  // The left axis takes the widest label ("100") and a space: 15 + 3.
  EXPECT_EQ(c.chart.ChartRect().left, 22 + 18 + 6);
}

TEST(TChartFrame, EmptySeriesShowsOneZeroLabelInTheMiddleOfEachAxis) {
  Chart1 c;
  PlotDataPoints(c.chart, GridOf({{"", "1"}, {"2", ""}}), '.', nullptr);
  c.Frame();
  const auto& calls = c.Frame();
  EXPECT_EQ(c.canvas.Texts(), (std::vector<std::string>{"X", "0", "Y", "0"}));
  EXPECT_EQ(CountOf(calls, Kind::kEllipse), 0);
  EXPECT_EQ(c.chart.BottomAxis().Tick(0), c.chart.BottomAxis().ICenterPos());
  EXPECT_EQ(c.chart.LeftAxis().Tick(0), c.chart.LeftAxis().ICenterPos());
}

TEST(TChartFrame, SinglePointSitsInTheCentreWithOneLabelPerAxis) {
  Chart1 c;
  PlotDataPoints(c.chart, GridOf({{"3.5", "-2"}}), '.', nullptr);
  c.Frame();
  c.Frame();
  EXPECT_EQ(c.canvas.Texts(), (std::vector<std::string>{"X", "3.5", "Y", "-2"}));
  const auto ellipses = c.canvas.CallsOf(Kind::kEllipse);
  ASSERT_EQ(ellipses.size(), 1u);
  const int x = c.chart.BottomAxis().ICenterPos();
  const int y = c.chart.LeftAxis().ICenterPos();
  EXPECT_EQ(ellipses[0].rect, (Rect{x - 4, y - 4, x + 4, y + 4}));
  EXPECT_EQ(ellipses[0].brush.Color, clRed);
}

TEST(TChartFrame, MarkersAtTheDataEndsStayInsideThePlot) {
  Chart1 c;
  PlotDataPoints(c.chart, GridOf({{"0", "0"}, {"10", "10"}}), '.', nullptr);
  c.Frame();
  const Rect plot = c.chart.ChartRect();
  for (const CanvasCall& e : c.canvas.CallsOf(Kind::kEllipse)) {
    EXPECT_GT(e.rect.left, plot.left);
    EXPECT_LE(e.rect.right, plot.right);
    EXPECT_GT(e.rect.top, plot.top);
    EXPECT_LE(e.rect.bottom, plot.bottom - 1);
  }
}

TEST(TChartFrame, DrawsBackgroundWallAxesSeriesAndZoomRectangleInThatOrder) {
  Chart1 c;
  PlotDataPoints(c.chart, GridOf({{"0", "0"}, {"5", "3"}, {"10", "10"}}), '.', nullptr);
  TLineSeries& curve = c.chart.CreateSeries<TLineSeries>();
  curve.SetParentChart(&c.chart);
  curve.AddPoint(0, 1);
  curve.AddPoint(10, 9);
  c.Frame();
  c.chart.MouseDown(TMouseButton::mbLeft, 100, 100);
  c.chart.MouseMove(150, 150);
  const auto& calls = c.Frame();

  std::vector<std::string> order;
  for (const CanvasCall& call : calls) {
    std::string what;
    switch (call.kind) {
      case Kind::kFillRect: what = "background"; break;
      case Kind::kRectangle: what = "wall"; break;
      case Kind::kTextOut:
      case Kind::kLine: what = "axes"; break;
      case Kind::kClip: what = "series"; break;
      case Kind::kEllipse: what = "markers"; break;
      case Kind::kNoClip: what = "end"; break;
      case Kind::kInvertRect: what = "zoom"; break;
    }
    if (what == "axes" && !order.empty() && order.back() != "wall" && order.back() != "axes") {
      what = "curve";  // lines after the axes belong to the curve
    }
    if (order.empty() || order.back() != what) order.push_back(what);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"background", "wall", "axes", "series", "markers",
                                             "end", "series", "curve", "end", "zoom"}));
  EXPECT_EQ(calls.back().rect, (Rect{100, 100, 150, 150}));
  EXPECT_EQ(calls.back().color, ResolveColor(clInactiveCaptionText));
  // Markers red, curve green.
  EXPECT_EQ(c.canvas.CallsOf(Kind::kEllipse).at(0).brush.Color, clRed);
  EXPECT_EQ(c.canvas.CallsOf(Kind::kLine).back().pen.Color, clGreen);
}

TEST(TChartFrame, LabelsUseTheLocaleSeparators) {
  Chart1 c;
  c.chart.SetLabelFormat({',', '.'});
  PlotDataPoints(c.chart, GridOf({{"1000", "0,25"}, {"5000", "0,75"}}), ',', nullptr);
  c.Frame();
  c.Frame();
  const auto texts = c.canvas.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "4.000"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "0,5"), texts.end());
}

TEST(TChartFrame, CopesWithTinySizesAndExtremeValues) {
  const struct {
    const char* name;
    Rect rect;
    std::vector<std::pair<const char*, const char*>> rows;
  } cases[] = {
      {"no size", {0, 0, 0, 0}, {{"1", "2"}, {"3", "4"}}},
      {"five pixels", {0, 0, 5, 5}, {{"1", "2"}, {"3", "4"}}},
      {"range beyond doubles", kClient, {{"-1e308", "-1.7e308"}, {"1e308", "1.7e308"}}},
      {"huge values", kClient, {{"0", "1e300"}, {"1e300", "1e300"}}},
      {"tiny range at a huge value", kClient, {{"1e20", "1"}, {"100000000000000016384", "2"}}},
      {"denormals", kClient, {{"0", "0"}, {"4.9e-324", "1e-320"}}},
  };
  for (const auto& c : cases) {
    Chart1 chart;
    PlotDataPoints(chart.chart, GridOf(c.rows), '.', nullptr);
    chart.canvas.Clear();
    chart.chart.Draw(chart.canvas, c.rect);
    chart.chart.Draw(chart.canvas, c.rect);
    for (const std::string& text : chart.canvas.Texts()) {
      EXPECT_TRUE(text.find("INF") == std::string::npos && text.find("NAN") == std::string::npos)
          << c.name << ": " << text;
    }
  }
}

TEST(TChartBuffering, AsksForAFrameOnlyAfterAChangeOrResize) {
  TChart chart;
  const Size size{303, 245};
  EXPECT_TRUE(chart.NeedsFrame(size));
  chart.FrameStored(size);
  EXPECT_FALSE(chart.NeedsFrame(size));
  EXPECT_TRUE(chart.NeedsFrame({300, 245}));
  TPointSeries& s = chart.CreateSeries<TPointSeries>();
  s.SetParentChart(&chart);
  EXPECT_TRUE(chart.NeedsFrame(size));
  chart.FrameStored(size);
  s.AddPoint(1, 2);
  EXPECT_TRUE(chart.NeedsFrame(size));
  chart.FrameStored(size);
  // Switching buffering off (as an export does) discards the stored frame.
  chart.SetBufferedDisplay(false);
  EXPECT_TRUE(chart.NeedsFrame(size));
  chart.SetBufferedDisplay(true);
  EXPECT_TRUE(chart.NeedsFrame(size));
}

TEST(TChartBuffering, TellsTheWindowOfEveryChange) {
  TChart chart;
  int changes = 0;
  chart.SetChangeHandler([&] { ++changes; });
  TPointSeries& s = chart.CreateSeries<TPointSeries>();
  s.SetParentChart(&chart);
  EXPECT_EQ(changes, 1);
  const double xs[] = {1, 2, 3};
  s.AddPoints(xs, xs, 3);
  EXPECT_EQ(changes, 2);
  chart.MouseWheel(1);
  EXPECT_EQ(changes, 3);
  RecordingCanvas canvas;
  chart.Draw(canvas, kClient);
  EXPECT_EQ(changes, 3);  // drawing is no change
}

}  // namespace
}  // namespace tarvolen
