// The nine models besides the linear one, run as the window runs them: grid in, report lines,
// curve and fit fields out.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fit/fit.h"
#include "fit/line_models.h"
#include "fit/quadratic.h"
#include "fit/refined_models.h"
#include "model_fixture.h"
#include "nist_data.h"

namespace tarvolen {
namespace {

using testing::ExpectSignificantDigits;
using testing::FitWindow;
using testing::NistCertified;
using testing::NistRows;
using testing::Rows;

// The model interface is checked when a model is compiled in: every model meets it, and a type
// that lacks a part of it is refused with the part named.
static_assert(fit::FitModel<fit::Linear> && fit::FitModel<fit::Quadratic> &&
              fit::FitModel<fit::Compound> && fit::FitModel<fit::Logarithmic> &&
              fit::FitModel<fit::Exponential> && fit::FitModel<fit::PowerModel> &&
              fit::FitModel<fit::Geometric> && fit::FitModel<fit::Geometric2> &&
              fit::FitModel<fit::Inverse> && fit::FitModel<fit::Hyperbola>);
struct OnlySums {
  template <class T>
  struct Sums {
    T ybar = Extended(0);
  };
  using Coefficients = fit::CoefficientPair;
};
struct LinearWithoutCurve : OnlySums {
  template <class T>
  static void FirstRow(Sums<T>&, fit::RowReader<T>&, T) {}
  static Coefficients Solve(const Sums<Extended>&, const DataPoints&, Extended,
                            fit::SolveContext&) {
    return {0, 0};
  }
  static std::array<fit::ReportValue, 1> Report(const Coefficients& c) { return {{{"a", c.a}}}; }
};
static_assert(!fit::HasPassSums<int> && fit::HasPassSums<OnlySums>);
static_assert(!fit::HasFirstRow<OnlySums> && !fit::FitModel<OnlySums>);
static_assert(fit::HasFirstRow<LinearWithoutCurve> && fit::HasSolve<LinearWithoutCurve> &&
              fit::HasReport<LinearWithoutCurve> && !fit::HasCurve<LinearWithoutCurve> &&
              !fit::FitModel<LinearWithoutCurve>);

const Rows kFivePoints = {{"1", "2"}, {"2", "4"}, {"3", "5"}, {"4", "4"}, {"5", "5"}};
const Rows kGrowth = {{"1", "3"}, {"2", "7"}, {"3", "20"}, {"4", "55"}, {"5", "148"}};

constexpr const char* kZeroDivide = "Floating point division by zero";
constexpr const char* kInvalid = "Invalid floating point operation";
constexpr const char* kOverflow = "Floating point overflow";

TEST(ModelFits, ReportTheWorkedExamplesLineForLine) {
  struct Case {
    Model model;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {Model::kQuadratic,
       {"a= 0.2", "b= 2.31428571428571", "c= -0.285714285714286",
        "Standard Error= 0.64733887497015", "correlation coefficient= 0.889087279447969"}},
      {Model::kLogarithmic,
       {"a= 2.39494195483773", "b= 1.67630372165359", "Standard Error= 0.697730934163885",
        "correlation coefficient= 0.869819390307779"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ModelName(c.model)));
    FitWindow window(kFivePoints);
    EXPECT_EQ(window.Fit(c.model), "");
    EXPECT_EQ(window.Lines(), c.lines);
    ASSERT_NE(window.CurveSeries(), nullptr);
    EXPECT_EQ(window.CurveSeries()->Count(), 101u);
  }
}

// The refined models on (1, 3) ... (5, 148), to the digits the worked example gives.
TEST(ModelFits, RefinedModelsReachTheWorkedGrowthFigures) {
  struct Case {
    Model model;
    long double a, b, std_error, corr_coef, tolerance;
  };
  const Case cases[] = {
      {Model::kExponential, 1.019184437, 0.9957260164, 0.3708914326, 0.9993441043, 5e-10},
      {Model::kCompound, 1.019184442, 2.706688726, 0.3708914326, 0.9993441040, 5e-10},
      // The least-squares optimum at 80 digits, to what the refinement's rule leaves (its first
      // full step would report a = -2.49, b = 4.05 and a standard error of 1153).
      {Model::kPower, 0.1724265799, 4.1942257072, 3.5740679630, 1.0218212800, 5e-6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ModelName(c.model)));
    FitWindow window(kGrowth);
    ASSERT_EQ(window.Fit(c.model), "");
    EXPECT_EQ(window.Lines().size(), 4u);
    EXPECT_NEAR(window.Reported("a= "), c.a, c.tolerance);
    EXPECT_NEAR(window.Reported("b= "), c.b, c.tolerance);
    EXPECT_NEAR(window.Reported("Standard Error= "), c.std_error, c.tolerance);
    EXPECT_NEAR(window.Reported("correlation coefficient= "), c.corr_coef, c.tolerance);
  }
}

TEST(ModelFits, CompoundAndExponentialDescribeTheSameCurve) {
  FitWindow compound(kGrowth), exponential(kGrowth);
  ASSERT_EQ(compound.Fit(Model::kCompound), "");
  ASSERT_EQ(exponential.Fit(Model::kExponential), "");
  EXPECT_NEAR(compound.Reported("a= "), exponential.Reported("a= "), 1e-7);
  EXPECT_NEAR(compound.Reported("b= "), std::exp(exponential.Reported("b= ")), 1e-7);
}

// Data drawn exactly from each model come back with their coefficients, four report lines
// (no "c= ") and a curve of 20·n + 1 points starting at the first row's X.
TEST(ModelFits, RecoverTheCoefficientsOfExactData) {
  struct Case {
    Model model;
    long double (*f)(long double x);
    long double a, b;
  };
  const Case cases[] = {
      {Model::kCompound, [](long double x) { return 2.5L * powl(1.5L, x); }, 2.5, 1.5},
      {Model::kExponential, [](long double x) { return 2.5L * expl(0.3L * x); }, 2.5, 0.3},
      {Model::kPower, [](long double x) { return 2.5L * powl(x, 1.7L); }, 2.5, 1.7},
      {Model::kGeometric, [](long double x) { return 2.5L * powl(x, 0.4L * x); }, 2.5, 0.4},
      {Model::kGeometric2, [](long double x) { return 2.5L * powl(x, 3.0L / x); }, 2.5, 3},
      {Model::kLogarithmic, [](long double x) { return 2.5L + 1.5L * logl(x); }, 2.5, 1.5},
      {Model::kInverse, [](long double x) { return 2.5L - 1.5L / x; }, 2.5, -1.5},
      {Model::kHyperbola, [](long double x) { return 2.5L * x / (1.5L + x); }, 2.5, 1.5},
  };
  const std::vector<long double> xs = {0.5, 1.25, 2, 3.5, 4, 6.75, 9};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ModelName(c.model)));
    std::vector<long double> ys;
    // A little noise keeps the residual sum off zero, where q would divide 0 by 0.
    for (std::size_t i = 0; i < xs.size(); ++i) ys.push_back(c.f(xs[i]) * (1 + 1e-9L * (i % 2)));
    FitWindow window(testing::NumberRows(xs, ys));
    ASSERT_EQ(window.Fit(c.model), "");
    EXPECT_EQ(window.Lines().size(), 4u);
    EXPECT_NEAR(window.Reported("a= "), c.a, 1e-7);
    EXPECT_NEAR(window.Reported("b= "), c.b, 1e-7);
    EXPECT_NEAR(window.Reported("correlation coefficient= "), 1, 1e-7);
    ASSERT_NE(window.CurveSeries(), nullptr);
    EXPECT_EQ(window.CurveSeries()->Count(), 20 * xs.size() + 1);
    EXPECT_EQ(window.CurveSeries()->XValues()[0], 0.5);
    EXPECT_EQ(window.CurveSeries()->XValues()[20 * xs.size()], 9.0);
  }
}

TEST(ModelFits, QuadraticThroughThreePointsAndOnAStraightLine) {
  FitWindow three({{"1", "1"}, {"2", "5"}, {"4", "2"}});
  ASSERT_EQ(three.Fit(Model::kQuadratic), "");
  ASSERT_EQ(three.Lines().size(), 5u);
  EXPECT_EQ(three.Lines()[2].rfind("c= ", 0), 0u);
  EXPECT_NEAR(three.Reported("Standard Error= "), 0, 1e-15);

  const Rows on_line = {{"1", "3"}, {"2", "5"}, {"3", "7"}, {"4", "9"}, {"5", "11"}};
  FitWindow line(on_line), linear(on_line);
  ASSERT_EQ(line.Fit(Model::kQuadratic), "");
  ASSERT_EQ(linear.Fit(Model::kLinear), "");
  EXPECT_NEAR(line.Reported("c= "), 0, 1e-15);
  EXPECT_NEAR(line.Reported("a= "), linear.Reported("a= "), 1e-14);
  EXPECT_NEAR(line.Reported("b= "), linear.Reported("b= "), 1e-14);
}

TEST(ModelFits, QuadraticMatchesPontiusCertifiedValues) {
  FitWindow window(NistRows("Pontius.txt"));
  ASSERT_EQ(window.grid.RowCount(), 41);
  ASSERT_EQ(window.Fit(Model::kQuadratic), "");
  const auto certified = NistCertified("Pontius");
  ASSERT_EQ(certified.count("B0") + certified.count("B1") + certified.count("B2"), 3u);
  ASSERT_EQ(window.Lines().size(), 5u);
  EXPECT_EQ(window.Lines()[0], "a= " + FloatToText(certified.at("B0"), '.'));
  EXPECT_EQ(window.Lines()[1], "b= " + FloatToText(certified.at("B1"), '.'));
  EXPECT_EQ(window.Lines()[2], "c= " + FloatToText(certified.at("B2"), '.'));
}

TEST(ModelFits, PowerMatchesDanWoodCertifiedValues) {
  FitWindow window(NistRows("DanWood.txt"));
  ASSERT_EQ(window.grid.RowCount(), 7);
  ASSERT_EQ(window.Fit(Model::kPower), "");
  const auto certified = NistCertified("DanWood");
  ASSERT_EQ(certified.count("b1") + certified.count("b2"), 2u);
  ExpectSignificantDigits(window.Reported("a= "), certified.at("b1"), 7.5);
  ExpectSignificantDigits(window.Reported("b= "), certified.at("b2"), 7.5);
}

TEST(ModelFits, HyperbolaCurveRunsFlatAcrossThePole) {
  // y = 2x/(x - 1): a = 2, b = -1. The curve runs from 0.25 to 1.75 in 100 steps of 0.015, and
  // sample 50 falls on the pole x = 1 (within rounding).
  const std::vector<long double> xs = {0.25, 0.5, 1.5, 3, 1.75};
  std::vector<long double> ys;
  for (long double x : xs) ys.push_back(2 * x / (x - 1));
  FitWindow window(testing::NumberRows(xs, ys));
  ASSERT_EQ(window.Fit(Model::kHyperbola), "");
  EXPECT_NEAR(window.Reported("a= "), 2, 1e-15);
  EXPECT_NEAR(window.Reported("b= "), -1, 1e-15);
  const TLineSeries& curve = *window.CurveSeries();
  ASSERT_EQ(curve.Count(), 101u);
  EXPECT_EQ(curve.YValues()[50], curve.YValues()[49]);
  EXPECT_NEAR(curve.YValues()[49], 2 * 0.985 / (0.985 - 1), 1e-9);  // left of the pole
  EXPECT_NEAR(curve.YValues()[51], 2 * 1.015 / (1.015 - 1), 1e-9);  // right of it
}

// What a failed fit leaves: the results box is always empty; the chart keeps the previous curve
// when the fit failed before replacing it, otherwise the new curve holds the points added
// before the failure.
constexpr int kPreviousCurve = -1;

struct FailureCase {
  const char* what;
  Model model;
  Rows rows;
  const char* message;
  int curve_points;  // kPreviousCurve, or the points of the new curve
};

void ExpectFailure(const FailureCase& c) {
  SCOPED_TRACE(std::string(c.what) + " (" + std::string(ModelName(c.model)) + ")");
  FitWindow window(c.rows);
  window.curve.Restart();
  window.curve.Series()->AddPoint(7, 7);
  window.fields.CurveXFirst = 111;
  window.fields.CurveXLast = 222;
  window.fields.StdError = 333;
  window.fields.CorrCoef = 444;
  window.memo.Add("lines of an earlier fit");

  EXPECT_EQ(window.Fit(c.model), c.message);
  EXPECT_TRUE(window.Lines().empty());
  EXPECT_EQ(window.fields.CorrCoef, 444);
  // The chart owns exactly one curve either way: the previous one, or the new one.
  EXPECT_EQ(window.chart.OwnedSeriesCount(), 1u);
  ASSERT_NE(window.CurveSeries(), nullptr);
  const TLineSeries& curve = *window.CurveSeries();
  EXPECT_TRUE(window.chart.IsListed(&curve));
  if (c.curve_points == kPreviousCurve) {
    ASSERT_EQ(curve.Count(), 1u);
    EXPECT_EQ(curve.XValues()[0], 7);
    EXPECT_EQ(window.fields.CurveXFirst, 111);
    EXPECT_EQ(window.fields.CurveXLast, 222);
    EXPECT_EQ(window.fields.StdError, 333);
  } else {
    EXPECT_EQ(curve.Count(), static_cast<std::size_t>(c.curve_points));
    EXPECT_NE(window.fields.CurveXFirst, 111);
    EXPECT_NE(window.fields.CurveXLast, 222);
  }
}

TEST(ModelFits, FailuresEndTheFitAtTheirStep) {
  const FailureCase cases[] = {
      // First pass: logarithms and reciprocals of the data.
      {"zero Y", Model::kCompound, {{"1", "2"}, {"2", "0"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"negative Y", Model::kExponential, {{"1", "2"}, {"2", "-1"}, {"3", "4"}}, kInvalid,
       kPreviousCurve},
      {"zero X", Model::kLogarithmic, {{"1", "2"}, {"0", "3"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"negative X, transformed before its empty Y is read", Model::kLogarithmic,
       {{"1", "2"}, {"-2", ""}, {"3", "4"}}, kInvalid, kPreviousCurve},
      {"empty Y after a good X", Model::kLogarithmic, {{"1", "2"}, {"2", ""}, {"3", "4"}},
       "'' is not a valid floating point value", kPreviousCurve},
      {"zero X", Model::kPower, {{"1", "2"}, {"0", "3"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"negative Y", Model::kPower, {{"1", "2"}, {"2", "-3"}, {"3", "4"}}, kInvalid,
       kPreviousCurve},
      {"zero X, 0·log 0", Model::kGeometric, {{"1", "2"}, {"0", "3"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"zero Y", Model::kGeometric, {{"1", "2"}, {"2", "0"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"negative X", Model::kGeometric2, {{"1", "2"}, {"-2", "3"}, {"3", "4"}}, kInvalid,
       kPreviousCurve},
      {"zero X", Model::kInverse, {{"1", "2"}, {"0", "3"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"zero X", Model::kHyperbola, {{"1", "2"}, {"0", "3"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      {"zero Y", Model::kHyperbola, {{"1", "2"}, {"2", "0"}, {"3", "4"}}, kZeroDivide,
       kPreviousCurve},
      // Start values: the straight line's denominator is zero.
      {"all X equal to 2", Model::kCompound, {{"2", "1"}, {"2", "3"}, {"2", "7"}}, kInvalid,
       kPreviousCurve},
      {"all X equal to 3, numerator left by rounding", Model::kExponential,
       {{"3", "2"}, {"3", "5"}, {"3", "11"}}, kZeroDivide, kPreviousCurve},
      {"every X 1", Model::kPower, {{"1", "2"}, {"1", "3"}, {"1", "4"}}, kInvalid,
       kPreviousCurve},
      {"no rows", Model::kCompound, {}, kNoDataMessage, kPreviousCurve},
      {"one row", Model::kExponential, {{"1", "2"}}, kInvalid, kPreviousCurve},
      // The start fits every point: q divides 0 by 0.
      {"every Y 1", Model::kCompound, {{"1", "1"}, {"2", "1"}, {"3", "1"}}, kInvalid,
       kPreviousCurve},
      {"every Y 1", Model::kExponential, {{"1", "1"}, {"2", "1"}, {"3", "1"}}, kInvalid,
       kPreviousCurve},
      {"every Y 1", Model::kPower, {{"1", "1"}, {"2", "1"}, {"3", "1"}}, kInvalid,
       kPreviousCurve},
      {"every Y 1", Model::kGeometric, {{"1", "1"}, {"2", "1"}, {"3", "1"}}, kInvalid,
       kPreviousCurve},
      {"every Y 1", Model::kGeometric2, {{"1", "1"}, {"2", "1"}, {"3", "1"}}, kInvalid,
       kPreviousCurve},
      // The refinement leaves the extended range.
      {"residuals beyond the range", Model::kExponential,
       {{"1", "1e2470"}, {"2", "5e2470"}, {"3", "2e2470"}}, kOverflow, kPreviousCurve},
      {"residuals beyond the range", Model::kPower,
       {{"1", "1e2470"}, {"2", "5e2470"}, {"3", "2e2470"}}, kOverflow, kPreviousCurve},
      // Singular systems end the fit at the solve step.
      {"every X 1", Model::kQuadratic, {{"1", "1"}, {"1", "2"}, {"1", "3"}}, kSingularMessage,
       kPreviousCurve},
      {"every X 1", Model::kLogarithmic, {{"1", "1"}, {"1", "2"}, {"1", "3"}},
       kSingularMessage, kPreviousCurve},
      {"every X 1", Model::kInverse, {{"1", "1"}, {"1", "2"}, {"1", "3"}}, kSingularMessage,
       kPreviousCurve},
      {"every X 2", Model::kHyperbola, {{"2", "1"}, {"2", "2"}, {"2", "3"}}, kSingularMessage,
       kPreviousCurve},
      {"a = e^k underflows to 0, so JᵀJ has a zero column", Model::kExponential,
       {{"100", "1e-4777"}, {"101", "1e-4773"}, {"102", "1e-4769"}}, kSingularMessage,
       kPreviousCurve},
      // Fewer distinct X than coefficients is singular even where rounding leaves the
      // pivots a hair from zero: two rows for the quadratic, one repeated ln x for the
      // logarithmic model.
      {"two rows", Model::kQuadratic, {{"1", "1"}, {"2", "3"}}, kSingularMessage,
       kPreviousCurve},
      {"two distinct X", Model::kQuadratic, {{"0.1", "1"}, {"0.3", "2"}, {"0.1", "4"}},
       kSingularMessage, kPreviousCurve},
      {"every X 2", Model::kLogarithmic, {{"2", "3"}, {"2", "3"}, {"2", "5"}, {"2", "1"}},
       kSingularMessage, kPreviousCurve},
      {"every X 0.3", Model::kInverse, {{"0.3", "3"}, {"0.3", "4"}, {"0.3", "5"}},
       kSingularMessage, kPreviousCurve},
      // The hyperbola's a = 1/k with k = 0 (y proportional to x).
      {"k = 0", Model::kHyperbola, {{"1", "1"}, {"2", "2"}}, kZeroDivide, kPreviousCurve},
      // Curve: the inverse model's middle sample of -1..1 is x = 0, after 10·n points.
      {"sample at x = 0", Model::kInverse, {{"-1", "3"}, {"2", "1"}, {"1", "5"}}, kZeroDivide,
       30},
      {"sample at x = 0 with b = 0", Model::kInverse, {{"-1", "0"}, {"2", "0"}, {"1", "0"}},
       kInvalid, 30},
      // Second pass: a data row on the hyperbola's pole, b + x = 0 (b = -0.5), with the curve
      // complete (its sample on the pole repeats its neighbour).
      {"data row on the pole", Model::kHyperbola,
       {{"1", "1"}, {"1", "1"}, {"0.5", "-1"}, {"0.25", "-1"}}, kZeroDivide, 81},
  };
  for (const FailureCase& c : cases) ExpectFailure(c);
}

}  // namespace
}  // namespace tarvolen
