#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "plot/chart.h"
#include "plot/series.h"

namespace tarvolen {
namespace {

std::vector<double> Values(const TChartValueList& list) { return {list.begin(), list.end()}; }

TEST(AddPoint, KeepsXAscendingWithYAlongAndEqualXInArrivalOrder) {
  TChart chart;
  TPointSeries& s = chart.CreateSeries<TPointSeries>();
  EXPECT_EQ(s.AddPoint(3, 30), 0u);
  EXPECT_EQ(s.AddPoint(1, 10), 0u);
  EXPECT_EQ(s.AddPoint(2, 20), 1u);
  EXPECT_EQ(s.AddPoint(2, 21), 2u);
  EXPECT_EQ(s.AddPoint(1, 11), 1u);
  EXPECT_EQ(Values(s.XValues()), (std::vector<double>{1, 1, 2, 2, 3}));
  EXPECT_EQ(Values(s.YValues()), (std::vector<double>{10, 11, 20, 21, 30}));
}

// Adding in bulk stores exactly what adding one by one stores, whatever the order.
TEST(AddPoints, EqualsAddingOneByOne) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> small(0, 20);
  std::vector<std::vector<double>> batches = {
      {1, 2, 3, 4},        {4, 3, 2, 1},     {5, 5, 5},         {3, 3, 2, 2, 1},
      {0, 10, -5, 10, 0},  {},               {-1, -2, -3, -3},  {7},
  };
  for (int i = 0; i < 20; ++i) {
    std::vector<double> batch(30);
    for (double& x : batch) x = small(random);
    batches.push_back(batch);
  }
  for (const auto& start : std::vector<std::vector<double>>{{}, {2, 2, 9}, {-10, 100}}) {
    for (const auto& batch : batches) {
      TChart chart;
      TLineSeries& one = chart.CreateSeries<TLineSeries>();
      TLineSeries& bulk = chart.CreateSeries<TLineSeries>();
      for (double x : start) {
        one.AddPoint(x, x);
        bulk.AddPoint(x, x);
      }
      std::vector<double> ys;
      for (std::size_t i = 0; i < batch.size(); ++i) ys.push_back(100 + static_cast<double>(i));
      for (std::size_t i = 0; i < batch.size(); ++i) one.AddPoint(batch[i], ys[i]);
      bulk.AddPoints(batch.data(), ys.data(), batch.size());
      EXPECT_EQ(Values(bulk.XValues()), Values(one.XValues()));
      EXPECT_EQ(Values(bulk.YValues()), Values(one.YValues()));
    }
  }
}

TEST(AddPoint, DescendingSamplesGrowAtTheFront) {
  TChart chart;
  TLineSeries& s = chart.CreateSeries<TLineSeries>();
  s.ReservePoints(1000, true);
  for (int i = 0; i < 1000; ++i) s.AddPoint(1000 - i, i);
  ASSERT_EQ(s.Count(), 1000u);
  EXPECT_EQ(s.XValues().First(), 1);
  EXPECT_EQ(s.YValues().First(), 999);
  EXPECT_EQ(s.XValues().Last(), 1000);
}

TEST(ParentChart, AttachingPicksTheFirstFreePaletteColour) {
  TChart chart;
  std::vector<TColor> colours;
  for (int i = 0; i < 17; ++i) {
    TPointSeries& s = chart.CreateSeries<TPointSeries>();
    s.SetParentChart(&chart);
    colours.push_back(s.SeriesColor());
  }
  // Red, green, yellow, blue, then past white (the back colour) ... and red when none is free.
  EXPECT_EQ(colours[0], clRed);
  EXPECT_EQ(colours[1], clGreen);
  EXPECT_EQ(colours[2], clYellow);
  EXPECT_EQ(colours[3], clBlue);
  EXPECT_EQ(colours[4], RGB(128, 128, 128));
  EXPECT_EQ(colours[14], RGB(0, 0, 0));
  EXPECT_EQ(colours[15], clRed);  // the fifteen colours other than white are all held
  EXPECT_EQ(chart.SeriesList().size(), 17u);
}

TEST(ParentChart, AttachingTwiceChangesNothing) {
  TChart chart;
  TLineSeries& s = chart.CreateSeries<TLineSeries>();
  s.SetParentChart(&chart);
  chart.CreateSeries<TLineSeries>().SetParentChart(&chart);
  s.SetParentChart(&chart);
  EXPECT_EQ(s.SeriesColor(), clRed);
  EXPECT_EQ(chart.SeriesList().size(), 2u);
}

TEST(ParentChart, ClearingTheListKeepsParentAndColour) {
  TChart chart;
  TPointSeries& s = chart.CreateSeries<TPointSeries>();
  s.SetParentChart(&chart);
  chart.ClearSeriesList();
  EXPECT_EQ(s.ParentChart(), &chart);
  EXPECT_EQ(s.SeriesColor(), clRed);
  // Attaching again to the same parent does not put it back: the parent is already set.
  s.SetParentChart(&chart);
  EXPECT_TRUE(chart.SeriesList().empty());
  chart.AppendSeries(&s);
  EXPECT_EQ(chart.SeriesList().size(), 1u);
}

TEST(FreeSeries, DetachesAListedSeriesAndLeavesTheListOtherwise) {
  TChart chart;
  TPointSeries& points = chart.CreateSeries<TPointSeries>();
  points.SetParentChart(&chart);
  TLineSeries& curve = chart.CreateSeries<TLineSeries>();
  curve.SetParentChart(&chart);
  chart.FreeSeries(&curve);
  EXPECT_EQ(chart.SeriesList(), std::vector<TChartSeries*>{&points});
  TLineSeries& unlisted = chart.CreateSeries<TLineSeries>();
  chart.FreeSeries(&unlisted);
  EXPECT_EQ(chart.SeriesList(), std::vector<TChartSeries*>{&points});
  EXPECT_EQ(chart.OwnedSeriesCount(), 1u);
}

TEST(ReleaseUnlisted, KeepsListedSeriesAndTheOnesAskedFor) {
  TChart chart;
  TPointSeries& old_points = chart.CreateSeries<TPointSeries>();
  old_points.SetParentChart(&chart);
  TLineSeries& curve = chart.CreateSeries<TLineSeries>();
  curve.SetParentChart(&chart);
  TPointSeries& new_points = chart.CreateSeries<TPointSeries>();
  new_points.SetParentChart(&chart);
  chart.ClearSeriesList();
  chart.AppendSeries(&new_points);
  chart.ReleaseUnlisted({&curve});
  EXPECT_EQ(chart.OwnedSeriesCount(), 2u);  // new points and the curve
  EXPECT_EQ(new_points.SeriesColor(), clYellow);
}

TEST(Chart, ChangesMarkItForRepainting) {
  TChart chart;
  TPointSeries& s = chart.CreateSeries<TPointSeries>();
  const auto before = chart.Version();
  s.SetParentChart(&chart);
  const auto attached = chart.Version();
  EXPECT_NE(attached, before);
  s.AddPoint(1, 1);
  EXPECT_NE(chart.Version(), attached);
}

}  // namespace
}  // namespace tarvolen
