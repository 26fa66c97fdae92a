// The sentence after a failed fit's message: what made it fail, named in the user's terms.

#include "fit/causes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fit/fit_fixture.h"

namespace tarvolen::testing {
namespace {

class Causes : public FitFixture {};

TEST_F(Causes, FollowTheMessageOfEveryKindOfFailure) {
  struct Case {
    Model model;
    std::vector<std::pair<std::string, std::string>> rows;
    std::string shown;  // message and cause, as the error box shows them
  };
  const std::string long_x = "-" + std::string(60, '1');
  const Case cases[] = {
      // The cell of a bad text, in grid rows: rows without data still count.
      {Model::kLinear, {{"1", "2"}, {" ", ""}, {"3", ""}},
       "'' is not a valid floating point value. Row 3, column Y."},
      {Model::kLinear, {{"", ""}, {"x1", "2"}},
       "'x1' is not a valid floating point value. Row 2, column X."},
      // A value outside the model's domain: X before Y, as the fit reads them.
      {Model::kLogarithmic, {{"0", "1"}, {"1", "2"}, {"2", "3"}},
       "Floating point division by zero. The Logarithmic model takes ln x; row 1 has X = 0, and "
       "every X must be above 0."},
      {Model::kPower, {{"1", "1"}, {"", ""}, {long_x, "-2"}},
       "Invalid floating point operation. The Power model takes log10 x and log10 y; row 3 has "
       "X = -111111111111111111111111111111111111..., and every X must be above 0."},
      {Model::kExponential, {{"1", "2"}, {"2", " -2.5 "}, {"3", "4"}},
       "Invalid floating point operation. The Exponential model takes ln y; row 2 has Y = -2.5, "
       "and every Y must be above 0."},
      {Model::kCompound, {{"1", "2"}, {"2", "0"}, {"3", "4"}},
       "Floating point division by zero. The Compound model takes log10 y; row 2 has Y = 0, and "
       "every Y must be above 0."},
      {Model::kInverse, {{"1", "2"}, {"-0", "2"}, {"3", "4"}},
       "Floating point division by zero. The Inverse model takes 1/x; row 2 has X = -0, and no X "
       "may be 0."},
      {Model::kHyperbola, {{"1", "2"}, {"2", "0"}, {"3", "4"}},
       "Floating point division by zero. The Hyperbola model takes 1/x and 1/y; row 2 has Y = 0, "
       "and no Y may be 0."},
      // Beyond the numbers, with no domain to blame: the row and its values.
      {Model::kLinear, {{"1", "1"}, {"1e4000", "2"}, {"3", "4"}},
       "Floating point overflow. It arose at row 2, which has X = 1e4000 and Y = 2."},
      // Too few points, too few distinct X.
      {Model::kLinear, {{"", ""}, {"  ", ""}},
       "No data points to fit. The Linear model needs at least 3 points, each a row with an X "
       "and a Y; rows whose X and Y are both empty are left out."},
      {Model::kLinear, {{"1", "2"}},
       "Singular matrix: the data do not determine the model's coefficients. The Linear model "
       "needs at least 3 points (its standard error divides by n - 2); the data hold 1."},
      {Model::kExponential, {{"1", "2"}, {"2", "4"}},
       "Invalid floating point operation. The Exponential model needs at least 3 points (its "
       "standard error divides by n - 2); the data hold 2."},
      {Model::kQuadratic, {{"1", "3"}, {"2", "4"}, {"1", "5"}, {"2", "3"}},
       "Singular matrix: the data do not determine the model's coefficients. The Quadratic "
       "model needs at least 3 different X values; the data hold 2."},
      {Model::kPower, {{"2", "1"}, {"2", "3"}, {"2", "4"}},
       "Invalid floating point operation. The Power model needs at least 2 different X values; "
       "every row has X = 2."},
      // How far the refinement got.
      {Model::kCompound, {{"1", "1"}, {"2", "1"}, {"3", "1"}},
       "Invalid floating point operation. It arose in the refinement's first step from the "
       "start values."},
      // The curve: a pole on a sample, a value beyond the chart.
      {Model::kInverse, {{"-2", "-1"}, {"-1", "-2"}, {"1", "3"}, {"2", "2"}},
       "Floating point division by zero. The Inverse model takes 1/x, and its curve from X = -2 "
       "to X = 2 passes through X = 0."},
      {Model::kLinear, {{"0", "0"}, {"1", "1e308"}, {"2", "2e308"}},
       "Floating point overflow. The curve reaches Y = 1.8E308 at X = 1.8, beyond the largest "
       "value the chart can hold (1.79769313486232E308)."},
      // The statistics.
      {Model::kLinear, {{"1", "3"}, {"2", "3"}, {"4", "3"}},
       "Invalid floating point operation. Every row has Y = 3: the correlation coefficient "
       "divides by the spread of Y, which is 0."},
  };
  for (const Case& c : cases) {
    SetRows(c.rows);
    const std::string message = Fit(c.model);
    EXPECT_EQ(message + ". " + cause, c.shown) << ModelName(c.model);
  }
}

// A fitted hyperbola whose pole falls on a data row: a case the data can only hit by chance.
TEST_F(Causes, NameTheHyperbolasPoleAtARow) {
  SetRows({{"1", "2"}, {"", ""}, {"2", "5"}});
  const DataPoints points{{1, 2, 3}, {2, 5, 1}};
  fit::FitFailure failure;
  failure.model = Model::kHyperbola;
  failure.stage = fit::FitStage::kSecondPass;
  failure.grid = &grid;
  failure.points = &points;
  failure.coefficients = {4, -2};
  failure.point = 1;
  EXPECT_EQ(fit::GridRowOfPoint(grid, 1), 3);
  EXPECT_EQ(fit::FailureCause(failure),
            "The fitted hyperbola a*x/(b + x) has its pole at X = -b = 2, the X of row 3.");
  failure.coefficients = {4, -3};
  EXPECT_EQ(fit::FailureCause(failure), "It arose at row 3, which has X = 2 and Y = 5.");
}

}  // namespace
}  // namespace tarvolen::testing
