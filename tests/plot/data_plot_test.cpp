#include "plot/data_plot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/errors.h"
#include "plot/chart_curve.h"

namespace tarvolen {
namespace {

struct Row {
  const char* x;
  const char* y;
};

GridTable GridOf(const std::vector<Row>& rows) {
  GridTable grid;
  grid.WriteHeaders();
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    grid.SetCell(1, static_cast<int>(i) + 1, rows[i].x);
    grid.SetCell(2, static_cast<int>(i) + 1, rows[i].y);
  }
  return grid;
}

// What a fit does to the chart: frees the current curve, attaches a new line series (taking the
// first free colour), keeps it as the current curve and adds its samples.
TLineSeries& ReplaceCurveAsAFitDoes(ChartCurve& curve) {
  curve.Restart();
  const double xs[] = {1, 2};
  const double ys[] = {1, 2};
  curve.Add(xs, ys, 2);
  EXPECT_FALSE(curve.Series()->ShowInLegend());
  return *curve.Series();
}

std::vector<double> Values(const TChartValueList& list) {
  return std::vector<double>(list.begin(), list.end());
}

TEST(PlotDataPoints, PlotsRowsWithBothCellsAndSkipsTheRest) {
  TChart chart;
  ConfigureChart1(chart);
  const GridTable grid =
      GridOf({{"3", "30"}, {"", "5"}, {"1", ""}, {" 1,5 ", "15"}, {"", ""}, {"  ", " "},
              {"2", "-2e1"}});
  PlotDataPoints(chart, grid, ',', nullptr);
  ASSERT_EQ(chart.SeriesList().size(), 1u);
  const TChartSeries& points = *chart.SeriesList()[0];
  EXPECT_EQ(Values(points.XValues()), (std::vector<double>{1.5, 2, 3}));
  EXPECT_EQ(Values(points.YValues()), (std::vector<double>{15, -20, 30}));
}

TEST(PlotDataPoints, KeepsGridOrderForEqualX) {
  TChart chart;
  PlotDataPoints(chart, GridOf({{"2", "5"}, {"1", "1"}, {"2", "6"}, {"2", "7"}}), '.', nullptr);
  const TChartSeries& points = *chart.SeriesList()[0];
  EXPECT_EQ(Values(points.XValues()), (std::vector<double>{1, 2, 2, 2}));
  EXPECT_EQ(Values(points.YValues()), (std::vector<double>{1, 5, 6, 7}));
}

TEST(PlotDataPoints, SetsUpTheChartAndTheMarkers) {
  TChart chart;
  ConfigureChart1(chart);
  chart.SetColor(clRed);
  PlotDataPoints(chart, GridOf({{"1", "2"}}), '.', nullptr);
  EXPECT_EQ(chart.Color(), clInactiveCaptionText);
  EXPECT_EQ(chart.BevelOuter(), TPanelBevel::bvNone);
  EXPECT_FALSE(chart.LegendVisible());
  const auto& points = static_cast<const TPointSeries&>(*chart.SeriesList()[0]);
  EXPECT_TRUE(points.Pointer().Visible);
  EXPECT_EQ(points.Pointer().Style, TSeriesPointerStyle::psCircle);
  EXPECT_FALSE(points.ShowInLegend());
  EXPECT_EQ(points.ParentChart(), &chart);
}

TEST(PlotDataPoints, ABadCellLeavesTheChartEmpty) {
  const struct {
    const char* name;
    std::vector<Row> rows;
    const char* message;
  } cases[] = {
      {"not a number", {{"1", "2"}, {"3", "abc"}, {"5", "6"}},
       "'abc' is not a valid floating point value. Row 2, column Y."},
      {"beyond a double", {{"1", "2"}, {"1e400", "4"}}, "Floating point overflow"},
      {"beyond a double, negative", {{"1", "-1e309"}}, "Floating point overflow"},
  };
  for (const auto& c : cases) {
    TChart chart;
    ChartCurve curve(chart);
    PlotDataPoints(chart, GridOf({{"1", "1"}}), '.', curve.Series());
    ReplaceCurveAsAFitDoes(curve);
    try {
      PlotDataPoints(chart, GridOf(c.rows), '.', curve.Series());
      ADD_FAILURE() << c.name << ": no error";
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.name;
    }
    EXPECT_TRUE(chart.SeriesList().empty()) << c.name;
    // Only the current curve is left for the next fit to free.
    EXPECT_EQ(chart.OwnedSeriesCount(), 1u) << c.name;
    EXPECT_EQ(curve.Series()->Count(), 2u) << c.name;
  }
}

TEST(PlotDataPoints, ReleasesSeriesNoLongerShownExceptTheCurve) {
  TChart chart;
  ChartCurve curve(chart);
  const GridTable grid = GridOf({{"1", "1"}, {"2", "4"}});
  for (int i = 0; i < 10; ++i) {
    PlotDataPoints(chart, grid, '.', curve.Series());
    ReplaceCurveAsAFitDoes(curve);
  }
  PlotDataPoints(chart, grid, '.', curve.Series());
  EXPECT_EQ(chart.OwnedSeriesCount(), 2u);
  ASSERT_EQ(chart.SeriesList().size(), 1u);
  // The curve is off the list but still there: the next fit frees it.
  EXPECT_FALSE(chart.IsListed(curve.Series()));
  EXPECT_EQ(curve.Series()->Count(), 2u);
  ReplaceCurveAsAFitDoes(curve);
  EXPECT_EQ(chart.SeriesList().size(), 2u);
  EXPECT_EQ(chart.SeriesList()[1], curve.Series());
}

TEST(PlotDataPoints, ColoursFollowWhatIsStillListed) {
  // load: red markers; fits: green curves; load: yellow (red and green still listed); fits: red
  // curves; two loads in a row: red, then green markers.
  const struct {
    const char* step;
    TColor colour;
  } steps[] = {
      {"load", clRed},   {"fit", clGreen}, {"fit", clGreen}, {"load", clYellow},
      {"fit", clRed},    {"fit", clRed},   {"load", clGreen}, {"load", clRed},
      {"load", clGreen}, {"fit", clRed},
  };
  TChart chart;
  ConfigureChart1(chart);
  ChartCurve curve(chart);
  const GridTable grid = GridOf({{"1", "1"}, {"2", "4"}});
  int number = 0;
  for (const auto& s : steps) {
    ++number;
    TColor got;
    if (std::string(s.step) == "load") {
      PlotDataPoints(chart, grid, '.', curve.Series());
      got = chart.SeriesList().back()->SeriesColor();
    } else {
      got = ReplaceCurveAsAFitDoes(curve).SeriesColor();
    }
    EXPECT_EQ(got, s.colour) << "step " << number << " (" << s.step << ")";
  }
}

TEST(PlotDataPoints, AnEmptyGridGivesAnEmptyListedSeries) {
  TChart chart;
  GridTable grid;
  grid.SetRowCount(1);
  PlotDataPoints(chart, grid, '.', nullptr);
  ASSERT_EQ(chart.SeriesList().size(), 1u);
  EXPECT_EQ(chart.SeriesList()[0]->Count(), 0u);
}

}  // namespace
}  // namespace tarvolen
