// Large fits run their per-row work and their curve samples on several threads; the results must
// be those of one thread, bit for bit, and a failing sample must still cut the curve exactly.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/parallel.h"
#include "model_fixture.h"

namespace tarvolen {
namespace {

using testing::FitWindow;
using testing::NumberRows;

struct FitRun {
  std::string error;
  std::vector<std::string> lines;
  std::vector<double> xs, ys;
};

FitRun FitOnce(const testing::Rows& rows, Model model, bool keep_curve_points,
               std::size_t threads = 0) {
  FitWindow window(rows);
  FitTarget target{window.grid, keep_curve_points ? &window.curve : nullptr, window.fields,
                   window.memo, '.'};
  target.threads = threads;
  FitRun run;
  try {
    RunFit(model, target);
  } catch (const Exception& e) {
    run.error = e.what();
  }
  run.lines = window.Lines();
  if (const TLineSeries* curve = window.CurveSeries()) {
    for (std::size_t i = 0; i < curve->Count(); ++i) {
      run.xs.push_back(curve->XValues()[i]);
      run.ys.push_back(curve->YValues()[i]);
    }
  }
  return run;
}

// Noisy rows of y = 3·e^(0.4·x) over (0, 10], in descending X for every other model so that
// the curve also fills from the front.
testing::Rows GrowthRows(std::size_t n, bool descending) {
  std::vector<long double> xs, ys;
  for (std::size_t i = 0; i < n; ++i) {
    const long double x = 10.0L * static_cast<long double>(descending ? n - i : i + 1) / n;
    const long double noise = 1 + 0.05L * std::sin(static_cast<long double>(i) * 12.9898L);
    xs.push_back(x);
    ys.push_back(3 * std::exp(0.4L * x) * noise);
  }
  return NumberRows(xs, ys);
}

TEST(ParallelPasses, GiveTheResultsOfOneThreadBitForBit) {
  const Model models[] = {Model::kLinear,    Model::kQuadratic, Model::kCompound,
                          Model::kExponential, Model::kPower,   Model::kGeometric,
                          Model::kGeometric2,  Model::kInverse, Model::kHyperbola};
  for (const Model model : models) {
    const testing::Rows rows = GrowthRows(20000, model != Model::kExponential);
    const FitRun one = FitOnce(rows, model, true, 1);
    const FitRun spread = FitOnce(rows, model, true, 8);
    SCOPED_TRACE(std::string(ModelName(model)));
    EXPECT_EQ(spread.error, one.error);
    EXPECT_EQ(spread.lines, one.lines);
    ASSERT_EQ(spread.xs.size(), 400001u);
    EXPECT_TRUE(spread.xs == one.xs);
    EXPECT_TRUE(spread.ys == one.ys);
  }
}

// The inverse model on x in [-39.0625, 39.0625]: the step is exactly 1/1024, so sample 40000 of
// 80001 is x = 0, in a later round of chunks. The curve keeps the 40000 samples before it; a fit
// that does not keep its samples still ends with the same error and report.
TEST(ParallelPasses, AFailingSampleInALaterChunkCutsTheCurveThere) {
  std::vector<long double> xs, ys;
  const std::size_t n = 4000;
  for (std::size_t i = 0; i < n; ++i) {
    const long double x = -39.0625L + 78.125L * static_cast<long double>(i) / (n - 1);
    xs.push_back(x);
    ys.push_back(2 + 3 / x);
  }
  const testing::Rows rows = NumberRows(xs, ys);
  for (const bool keep : {true, false}) {
    const FitRun run = FitOnce(rows, Model::kInverse, keep);
    SCOPED_TRACE(keep);
    EXPECT_EQ(run.error, "Floating point division by zero");
    EXPECT_TRUE(run.lines.empty());
    EXPECT_EQ(run.xs.size(), keep ? 40000u : 0u);
    if (keep) {
      EXPECT_EQ(run.xs.back(), -1.0 / 1024);
    }
  }
}

TEST(ParallelPasses, AFitThatKeepsNoSamplesReportsTheSame) {
  const testing::Rows rows = GrowthRows(3000, false);
  for (const Model model : {Model::kQuadratic, Model::kExponential, Model::kHyperbola}) {
    const FitRun kept = FitOnce(rows, model, true);
    const FitRun dropped = FitOnce(rows, model, false);
    EXPECT_EQ(dropped.error, kept.error);
    EXPECT_EQ(dropped.lines, kept.lines);
    EXPECT_EQ(kept.xs.size(), 60001u);
    EXPECT_TRUE(dropped.xs.empty());
  }
}

}  // namespace
}  // namespace tarvolen
