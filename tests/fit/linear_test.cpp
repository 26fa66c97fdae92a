#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "fit/fit.h"
#include "fit_fixture.h"

namespace tarvolen {
namespace {

using Report = std::vector<std::string>;
using LinearFit = testing::FitFixture;

const std::vector<std::pair<std::string, std::string>> kFivePoints = {
    {"1", "2"}, {"2", "4"}, {"3", "5"}, {"4", "4"}, {"5", "5"}};

TEST_F(LinearFit, ReportsTheWorkedExampleToTheLastDigit) {
  SetRows(kFivePoints);
  EXPECT_EQ(Fit(Model::kLinear), "");
  EXPECT_EQ(Lines(), (Report{"a= 2.2", "b= 0.6", "Standard Error= 0.894427190999916",
                            "correlation coefficient= 0.774596669241483"}));
  EXPECT_EQ(fields.CurveXFirst, 1);
  EXPECT_EQ(fields.CurveXLast, 5);
}

TEST_F(LinearFit, SamplesTwentyPointsPerRowFromTheFirstToTheLastRowsX) {
  SetRows(kFivePoints);
  ASSERT_EQ(Fit(Model::kLinear), "");
  const TLineSeries& curve = *CurveSeries();
  ASSERT_EQ(curve.Count(), 101u);
  for (std::size_t i = 0; i <= 100; ++i) {
    const Extended x = (4.0L / 100) * i + 1;
    EXPECT_EQ(curve.XValues()[i], static_cast<double>(x));
    EXPECT_DOUBLE_EQ(curve.YValues()[i], static_cast<double>(0.6L * x + 2.2L));
  }
  EXPECT_TRUE(chart.IsListed(&curve));
  EXPECT_FALSE(curve.ShowInLegend());
}

TEST_F(LinearFit, MatchesTheNistNorrisCertifiedValues) {
  LoadDataFile(TARVOLEN_TEST_DATA "/nist/Norris.txt", grid);
  ASSERT_EQ(Fit(Model::kLinear), "");
  // Certified: B0 = -0.262323073774029, B1 = 1.00211681802045 (15 digits).
  EXPECT_EQ(Lines()[0], "a= -0.262323073774029");
  EXPECT_EQ(Lines()[1], "b= 1.00211681802045");
}

TEST_F(LinearFit, RowsInAnyOrderSampleBetweenTheFirstAndTheLastRow) {
  SetRows({{"5", "5"}, {"1", "2"}, {"4", "4"}, {"3", "5"}, {"2", "4"}});
  ASSERT_EQ(Fit(Model::kLinear), "");
  const TLineSeries& curve = *CurveSeries();
  ASSERT_EQ(curve.Count(), 101u);
  EXPECT_EQ(curve.XValues().First(), 2);
  EXPECT_EQ(curve.XValues().Last(), 5);  // stored in ascending X although sampled downwards

  SetRows({{"3", "1"}, {"1", "2"}, {"2", "4"}, {"3", "3"}});
  ASSERT_EQ(Fit(Model::kLinear), "");
  EXPECT_EQ(CurveSeries()->Count(), 81u);
  EXPECT_EQ(CurveSeries()->XValues().First(), 3);
  EXPECT_EQ(CurveSeries()->XValues().Last(), 3);
}

TEST_F(LinearFit, PressingTwiceGivesTheSameReportAndOneCurve) {
  SetRows(kFivePoints);
  ASSERT_EQ(Fit(Model::kLinear), "");
  const Report first = Lines();
  ASSERT_EQ(Fit(Model::kLinear), "");
  EXPECT_EQ(Lines(), first);
  EXPECT_EQ(chart.SeriesList().size(), 1u);
  EXPECT_EQ(chart.OwnedSeriesCount(), 1u);
}

TEST_F(LinearFit, ReadsAndWritesTheLocaleDecimalSeparator) {
  SetRows({{"0,5", "2,75"}, {"1", "3"}, {"1,5", "3,25"}});
  ASSERT_EQ(Fit(Model::kLinear, ','), "");
  EXPECT_EQ(Lines()[0], "a= 2,5");
  EXPECT_EQ(Lines()[1], "b= 0,5");
  SetRows({{"0.5", "2.5"}, {"1.5", "2.5"}, {"2.5", "3"}});
  EXPECT_EQ(Fit(Model::kLinear, ','), "'0.5' is not a valid floating point value");
}

TEST_F(LinearFit, AnExactLineHasNoResidual) {
  SetRows({{"1", "3"}, {"2", "5"}, {"3", "7"}, {"4", "9"}});
  ASSERT_EQ(Fit(Model::kLinear), "");
  EXPECT_EQ(Lines()[0], "a= 1");
  EXPECT_EQ(Lines()[1], "b= 2");
  EXPECT_LT(fields.StdError, 1e-15L);  // zero within rounding
  EXPECT_NEAR(static_cast<double>(fields.CorrCoef), 1, 1e-15);
}

// What a failed fit leaves behind depends on the step that failed.
struct FailureCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> rows;
  int row_count;  // 0: rows + 1
  std::vector<std::string> messages;  // any of these
  enum { kChartUnchanged, kCurvePartial, kCurveComplete } chart;
  std::size_t curve_points;
};

class LinearFailure : public testing::FitFixture,
                      public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LinearFailure, LeavesWhatItsStepLeaves) {
  const FailureCase& c = GetParam();
  // An earlier successful fit on other data.
  SetRows({{"100", "1"}, {"110", "2"}, {"120", "4"}});
  ASSERT_EQ(Fit(Model::kLinear), "");
  const TLineSeries* old_curve = CurveSeries();
  const FitFields old_fields = fields;

  SetRows(c.rows);
  if (c.row_count) grid.SetRowCount(c.row_count);
  const std::string message = Fit(Model::kLinear);
  EXPECT_TRUE(std::find(c.messages.begin(), c.messages.end(), message) != c.messages.end())
      << message;
  EXPECT_TRUE(Lines().empty());
  switch (c.chart) {
    case FailureCase::kChartUnchanged:
      EXPECT_EQ(CurveSeries(), old_curve);
      EXPECT_TRUE(chart.IsListed(old_curve));
      EXPECT_EQ(old_curve->Count(), 61u);
      EXPECT_EQ(fields.CurveXFirst, old_fields.CurveXFirst);
      EXPECT_EQ(fields.CurveXLast, old_fields.CurveXLast);
      EXPECT_EQ(fields.StdError, old_fields.StdError);
      break;
    case FailureCase::kCurvePartial:
    case FailureCase::kCurveComplete:
      EXPECT_EQ(fields.CurveXFirst, TextToFloat(c.rows.front().first, '.'));
      EXPECT_EQ(chart.SeriesList().size(), 1u);
      EXPECT_EQ(chart.OwnedSeriesCount(), 1u);
      EXPECT_EQ(CurveCount(), c.curve_points);
      break;
  }
  EXPECT_EQ(fields.CorrCoef, old_fields.CorrCoef);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LinearFailure,
    ::testing::Values(
        FailureCase{"EmptyGridAtStart",
                    std::vector<std::pair<std::string, std::string>>(20, {"", " "}), 0,
                    {kNoDataMessage}, FailureCase::kChartUnchanged, 0},
        FailureCase{"EmptyY", {{"1", "1"}, {"2", ""}, {"x", "3"}}, 0,
                    {"'' is not a valid floating point value"}, FailureCase::kChartUnchanged, 0},
        FailureCase{"BadTextXBeforeY", {{"1", "1"}, {"2,5", "oops"}}, 0,
                    {"'2,5' is not a valid floating point value"},
                    FailureCase::kChartUnchanged, 0},
        FailureCase{"AllXEqualIsSingular", {{"1", "1"}, {"1", "2"}, {"1", "4"}}, 0,
                    {kSingularMessage}, FailureCase::kChartUnchanged, 0},
        FailureCase{"NoDataRows", {}, 1, {kNoDataMessage},
                    FailureCase::kChartUnchanged, 0},
        FailureCase{"CurveBeyondTheDoubleRange",
                    {{"0", "0"}, {"1", "1e308"}, {"2", "2e308"}}, 0, {"Floating point overflow"},
                    FailureCase::kCurvePartial, 54},
        FailureCase{"TwoRows", {{"1", "2"}, {"2", "5"}}, 0,
                    {"Invalid floating point operation", "Floating point division by zero"},
                    FailureCase::kCurveComplete, 41},
        FailureCase{"OneRowIsSingular", {{"1", "2"}}, 0, {kSingularMessage},
                    FailureCase::kChartUnchanged, 0},
        FailureCase{"AllYEqual", {{"1", "3"}, {"2", "3"}, {"3", "3"}, {"4", "3"}}, 0,
                    {"Invalid floating point operation", "Floating point division by zero"},
                    FailureCase::kCurveComplete, 81}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(LinearFit, StatisticsFailureLeavesTheResidualSumInStdError) {
  SetRows({{"1", "2"}, {"2", "5"}});
  ASSERT_EQ(Fit(Model::kLinear), "Invalid floating point operation");  // 0 / 0
  EXPECT_EQ(fields.StdError, 0);
  SetRows({{"1", "2"}, {"2", "5"}, {"3", "4"}, {"4", "6"}});
  ASSERT_EQ(Fit(Model::kLinear), "");
  const Extended corr = fields.CorrCoef;
  SetRows({{"1", "3"}, {"2", "3"}, {"3", "3"}});
  Fit(Model::kLinear);
  EXPECT_EQ(fields.CorrCoef, corr);
}

}  // namespace
}  // namespace tarvolen
