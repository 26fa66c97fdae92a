#include "fit/refine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "fit/refined_models.h"
#include "model_fixture.h"

namespace tarvolen::fit {
namespace {

using testing::FitWindow;
using testing::Rows;

const Rows kGrowth = {{"1", "3"}, {"2", "7"}, {"3", "20"}, {"4", "55"}, {"5", "148"}};

// Runs the first pass and the refinement of model M on `rows`, keeping its course.
template <class M>
CoefficientPair RefineRows(const Rows& rows, RefinementLog& log,
                           int max_iterations = kMaxIterations) {
  const FitWindow window(rows);
  const FirstPassResult<M> first = FirstPass<M>(window.grid, '.');
  SolveContext context{{}, &log, std::nullopt};
  return Refine<typename M::Shape>(first.points, M::Start(first.sums, first.n), context,
                                   max_iterations);
}

TEST(ConvergenceThreshold, HasTheGivenBitPattern) {
  unsigned char bytes[sizeof(Extended)] = {};
  std::memcpy(bytes, &kConvergenceThreshold, 10);
  const unsigned char expected[10] = {0xB5, 0x69, 0x6C, 0xAF, 0x05, 0xBD, 0x37, 0x86, 0xEB, 0x3F};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
  EXPECT_EQ(nextafterl(kConvergenceThreshold, 1.0L), 1e-6L);
}

// The course of the refinement on (1, 3), (2, 7), (3, 20), (4, 55), (5, 148), to the digits
// the worked example gives: start values, q after each of the three iterations, final a and b.
struct WorkedCourse {
  const char* name;
  CoefficientPair (*refine)(const Rows&, RefinementLog&, int);
  Extended start_a, start_b, start_tolerance;
  std::vector<std::pair<Extended, Extended>> q;  // value, tolerance
  Extended final_a, final_b, final_tolerance;
};

TEST(Refine, ReproducesTheWorkedGrowthExamples) {
  const WorkedCourse courses[] = {
      {"exponential", &RefineRows<Exponential>, 1.052716, 0.985862, 5e-7,
       {{0.938, 5e-4}, {0.0112, 5e-5}, {2.0e-8, 5e-10}}, 1.019184437, 0.9957260164, 5e-10},
      {"compound", &RefineRows<Compound>, 1.052716, 2.680122, 5e-7,
       {{0.937, 5e-4}, {0.0266, 5e-5}, {1.1e-8, 5e-10}}, 1.019184442, 2.706688726, 5e-10},
  };
  for (const WorkedCourse& course : courses) {
    SCOPED_TRACE(course.name);
    RefinementLog log;
    const CoefficientPair result = course.refine(kGrowth, log, kMaxIterations);
    EXPECT_NEAR(log.start.a, course.start_a, course.start_tolerance);
    EXPECT_NEAR(log.start.b, course.start_b, course.start_tolerance);
    ASSERT_EQ(log.steps.size(), course.q.size());
    for (std::size_t i = 0; i < log.steps.size(); ++i) {
      EXPECT_NEAR(log.steps[i].q, course.q[i].first, course.q[i].second) << "iteration " << i;
      EXPECT_EQ(log.steps[i].damping, 0) << "iteration " << i;
    }
    EXPECT_EQ(log.end, RefinementEnd::kConverged);
    EXPECT_NEAR(result.a, course.final_a, course.final_tolerance);
    EXPECT_NEAR(result.b, course.final_b, course.final_tolerance);
  }
}

// The power model's first full step on the growth data raises the residual sum (to a = -2.49,
// b = 4.05); the same step along ln a lowers it, and full steps take the fit to its optimum
// (a = 0.1724265799, b = 4.1942257072 at 80 digits).
TEST(Refine, TakesAFullStepThatRaisesTheResidualSumAlongTheLogarithm) {
  RefinementLog log;
  const CoefficientPair result = RefineRows<PowerModel>(kGrowth, log);
  ASSERT_FALSE(log.steps.empty());
  EXPECT_EQ(log.steps[0].rejected, 1);
  EXPECT_EQ(log.steps[0].damping, 0);
  for (const RefinementStep& step : log.steps) EXPECT_LE(step.after, step.before);
  EXPECT_EQ(log.end, RefinementEnd::kConverged);
  EXPECT_NEAR(result.a, 0.1724265799L, 2e-6);
  EXPECT_NEAR(result.b, 4.1942257072L, 1e-5);
}

// Steep growth whose first full step lands where e^(b·x)·a is about 0 at every point (b < 0):
// no full step leads off that plateau, damped ones do, and the refinement ends on a full step at
// the optimum (a = 1610.13, b = 0.199574 at 80 digits), not on the plateau.
TEST(Refine, DampsItsWayOffAPlateauAndEndsOnAFullStep) {
  const Rows plateau = {{"11", "8.312"},      {"15", "150"},        {"19", "6897"},
                        {"22", "2.176e+04"}, {"26", "5.358e+05"}, {"28", "3.107e+05"}};
  RefinementLog log;
  const CoefficientPair result = RefineRows<Exponential>(plateau, log);
  ASSERT_GE(log.steps.size(), 2u);
  EXPECT_LT(log.steps[0].taken.b, 0);
  EXPECT_GT(log.steps[1].damping, 0);
  for (const RefinementStep& step : log.steps) EXPECT_LT(step.after, step.before);
  EXPECT_EQ(log.steps.back().damping, 0);
  EXPECT_EQ(log.end, RefinementEnd::kConverged);
  EXPECT_NEAR(result.b, 0.1995744989L, 5e-4);
  EXPECT_LE(log.steps.back().after, 92465142314.136L * (1 + 1e-6L));
}

// The fit's result carries JᵀJ at the coefficients it reports, for their covariance.
TEST(Refine, LeavesJtJAtTheReportedCoefficients) {
  FitWindow window(kGrowth);
  const FitResult result =
      RunFit(Model::kExponential, {window.grid, &window.curve, window.fields, window.memo, '.'});
  ASSERT_TRUE(result.refinement && result.refinement->normal);
  const long double a = result.coefficients[0].value, b = result.coefficients[1].value;
  long double aa = 0, ab = 0, bb = 0;
  for (int x = 1; x <= 5; ++x) {
    const long double e = expl(b * x);  // df/da; df/db = a·x·e
    aa += e * e;
    ab += e * (a * x * e);
    bb += (a * x * e) * (a * x * e);
  }
  EXPECT_NEAR(result.refinement->normal->aa, aa, aa * 1e-15L);
  EXPECT_NEAR(result.refinement->normal->ab, ab, ab * 1e-15L);
  EXPECT_NEAR(result.refinement->normal->bb, bb, bb * 1e-15L);
}

TEST(Refine, StopsWithAnErrorWhenItDoesNotSettle) {
  RefinementLog log;
  try {
    RefineRows<Exponential>(kGrowth, log, 2);
    FAIL() << "no error";
  } catch (const EFitError& error) {
    EXPECT_STREQ(error.what(),
                 "The refinement did not settle within 2 iterations: the data do not determine "
                 "the model's coefficients");
  }
  EXPECT_EQ(log.steps.size(), 2u);
  EXPECT_EQ(NoConvergenceMessage(kMaxIterations),
            "The refinement did not settle within 1000 iterations: the data do not determine "
            "the model's coefficients");
}

// A shape whose every step points uphill: f = a·x, but its Jacobian claims the opposite sign
// for a (and a b that f ignores), so no step, full or damped, lowers the residual sum.
struct UphillShape {
  template <class T>
  static T Kernel(T, T x, LnMemo&) {
    return x;
  }
  template <class T>
  static void Row(T a, T, T x, T y, T kernel, T& r, T& da, T& db, LnMemo&) {
    r = y - kernel * a;
    da = -x;
    db = x * x;
  }
};

// Where no step lowers the residual sum, the full step's promise tells an optimum within the
// rounding of the sum (the residuals all but orthogonal to the Jacobian) from a refinement stuck
// short of it, which is an error that says so.
TEST(Refine, WhereNoStepLowersTheSumEndsAtThePrecisionLimitOrSaysItStalled) {
  // Residuals (6, -6, 2) are orthogonal to (x, x²); `off` of x itself is what a can still gain.
  struct Case {
    const char* name;
    Extended off;
    RefinementEnd end;
  };
  const Case cases[] = {
      {"at the optimum but for 1e-5·x", 1e-5L, RefinementEnd::kAtPrecisionLimit},
      {"short of it by 0.1·x", 0.1L, RefinementEnd::kStalled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataPoints points{{1, 2, 3}, {1 + 6 + c.off, 2 - 6 + 2 * c.off, 3 + 2 + 3 * c.off}};
    RefinementLog log;
    SolveContext context{{}, &log, std::nullopt};
    try {
      const CoefficientPair result = Refine<UphillShape>(points, {1, 0}, context);
      EXPECT_EQ(c.end, RefinementEnd::kAtPrecisionLimit);
      EXPECT_EQ(result.a, 1);
    } catch (const EFitError& error) {
      EXPECT_EQ(c.end, RefinementEnd::kStalled);
      EXPECT_EQ(error.what(), StalledMessage(0));
    }
    EXPECT_EQ(log.end, c.end);
    EXPECT_TRUE(log.steps.empty());
    ASSERT_TRUE(context.refinement.has_value());
    EXPECT_EQ(context.refinement->end, c.end);
    EXPECT_EQ(context.refinement->iterations, 0);
  }
}

}  // namespace
}  // namespace tarvolen::fit
