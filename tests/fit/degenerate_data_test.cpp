// Data at the edges of what the numbers can hold, run through every model: each fit ends with
// one of the system's messages or a complete report, and no NaN or infinity reaches the chart or
// the report.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fit/fit_fixture.h"
#include "fit/outcome_check.h"

namespace tarvolen::testing {
namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

class DegenerateData : public FitFixture {
 protected:
  // Runs every model on the grid as it stands and checks each outcome. Returns the message each
  // model ended with ("" for a report), indexed by model number - 1.
  std::vector<std::string> FitEveryModel() {
    const long long rows = grid.RowCount() - 1;
    std::vector<std::string> messages;
    for (int number = 1; number <= kModelCount; ++number) {
      const Model model = static_cast<Model>(number);
      SCOPED_TRACE(std::string(ModelName(model)));
      std::string message;
      try {
        RunFit(model, {grid, &curve, fields, memo, '.'});
        EXPECT_EQ(CheckReport(model, memo.Lines(), '.'), "");
        EXPECT_EQ(CheckCompleteCurve(CurveSeries(), fields, rows), "");
      } catch (const Exception& error) {
        message = error.Message();
        if (!IsNotAvailableYet(message)) {
          EXPECT_EQ(CheckFitError(error, '.'), "");
          EXPECT_TRUE(memo.Lines().empty());
        }
      }
      EXPECT_EQ(CheckCurvePoints(CurveSeries()), "");
      EXPECT_LE(chart.OwnedSeriesCount(), 1u);
      messages.push_back(message);
    }
    return messages;
  }
};

TEST_F(DegenerateData, ValuesNearTheExtendedRangeEndWithAMessageOrAFiniteResult) {
  struct Case {
    const char* name;
    Rows rows;
    const char* linear;  // the linear model's message, "" for a report
  };
  const Case cases[] = {
      // x·x leaves the extended range.
      {"huge X", {{"1e4000", "1"}, {"2e4000", "2"}, {"3e4000", "4"}}, "Floating point overflow"},
      // The coefficients fit in extended reals but not in the chart's doubles.
      {"huge Y", {{"1", "1e4000"}, {"2", "2e4000"}, {"3", "4e4000"}}, "Floating point overflow"},
      {"largest extended Y",
       {{"1", "1.18e4932"}, {"2", "-1.18e4932"}, {"3", "1.18e4932"}},
       "Floating point overflow"},
      // x·x underflows to zero: the normal matrix has an exact zero pivot.
      {"tiny X", {{"1e-4000", "1"}, {"2e-4000", "2"}, {"3e-4000", "4"}}, kSingularMessage},
      // The squares of the deviations underflow to zero: SSR / SST is 0 / 0.
      {"tiny Y", {{"1", "1e-4000"}, {"2", "2e-4000"}, {"3", "4e-4000"}},
       "Invalid floating point operation"},
      // Samples beyond the doubles' range below reach the chart as zero, and silently so.
      {"Y below the doubles", {{"1", "1e-400"}, {"2", "2e-400"}, {"3", "4e-400"}}, ""},
      {"subnormal X and Y", {{"1e-4950", "1e-4950"}, {"2e-4950", "3e-4950"}, {"3e-4950", "2e-4950"}},
       kSingularMessage},
      {"mixed magnitudes", {{"1e-4000", "1e4000"}, {"1", "1"}, {"1e4000", "1e-4000"}},
       "Floating point overflow"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRows(c.rows);
    const std::vector<std::string> messages = FitEveryModel();
    EXPECT_EQ(messages[0], c.linear);
  }
}

TEST_F(DegenerateData, AMillionIdenticalRowsEndWithAMessage) {
  constexpr int kRows = 1000000;
  grid.SetRowCount(kRows + 1);
  for (int r = 1; r <= kRows; ++r) {
    grid.SetCell(1, r, "2");
    grid.SetCell(2, r, "3");
  }
  const std::vector<std::string> messages = FitEveryModel();
  // One X for every row: no slope can be told.
  EXPECT_EQ(messages[0], kSingularMessage);
}

TEST_F(DegenerateData, XWithinATinyRangeStillGivesTwentySamplesPerRow) {
  struct Case {
    const char* name;
    Rows rows;
  };
  const Case cases[] = {
      // All X within 1e-300: every sample lands on what the chart shows as one column.
      {"X within 1e-300",
       {{"1e-301", "3"}, {"2e-301", "5"}, {"3e-301", "8"}, {"4e-301", "9"}, {"5e-301", "11"}}},
      {"X one extended step apart",
       {{"1", "1"}, {"1.0000000000000000001", "2"}, {"1.0000000000000000002", "4"}}},
      {"first and last X equal", {{"2", "1"}, {"3", "2"}, {"5", "4"}, {"2", "3"}}},
      {"descending X near zero", {{"3e-301", "1"}, {"2e-301", "2"}, {"1e-301", "4"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetRows(c.rows);
    FitEveryModel();
  }
  // The linear fit of the last case completes, and all samples stay between its X.
  SetRows(cases[0].rows);
  ASSERT_EQ(Fit(Model::kLinear), "");
  EXPECT_EQ(CurveCount(), 101u);
  EXPECT_EQ(CurveSeries()->XValues().First(), 1e-301);
  EXPECT_EQ(CurveSeries()->XValues().Last(), 5e-301);
}

TEST_F(DegenerateData, TheInversePoleOnASampleEndsTheCurveThere) {
  // X from -5 to 5 in 80 steps of exactly 0.125: sample 40 is x = 0, where b/x divides by zero.
  SetRows({{"-5", "0.8"}, {"-1", "0"}, {"2", "1.5"}, {"5", "1.2"}});
  FitEveryModel();
  const std::string inverse = Fit(Model::kInverse);
  if (!IsNotAvailableYet(inverse)) {
    EXPECT_EQ(inverse, "Floating point division by zero");
    EXPECT_EQ(CurveCount(), 40u);  // samples 0 to 39
  }
  // A pole between two samples gives large but finite points, or an overflow on the chart.
  SetRows({{"-3", "0.8"}, {"-1", "0"}, {"2", "1.5"}, {"7", "1.2"}});
  FitEveryModel();
}

}  // namespace
}  // namespace tarvolen::testing
