// The nine models besides the linear one, from grid texts to report lines, on noisy data that
// follow each model, at 10^3 to 10^6 rows. The refined models also report how many iterations
// their data took ("iterations") and how many of them were damped steps ("damped").

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "data/grid_table.h"
#include "fit/fit.h"
#include "fit/procedure.h"
#include "fit/refined_models.h"
#include "plot/chart.h"
#include "plot/chart_curve.h"

namespace tarvolen {
namespace {

// How one model's benchmark data are made: X evenly over [low, high], Y = f(x) with noise,
// multiplied by (1 + relative·N(0, 1)) and then added absolute·N(0, 1).
struct DataRecipe {
  double low, high;
  std::function<double(double)> f;
  double relative, absolute;
};

const std::map<Model, DataRecipe>& Recipes() {
  static const std::map<Model, DataRecipe> recipes = {
      {Model::kQuadratic, {0, 10, [](double x) { return 1 + 2 * x - 0.3 * x * x; }, 0, 0.5}},
      {Model::kCompound, {0, 10, [](double x) { return 2 * std::pow(1.3, x); }, 0.03, 0}},
      {Model::kLogarithmic, {0.5, 50, [](double x) { return 3 + 2 * std::log(x); }, 0, 0.2}},
      {Model::kExponential, {0, 10, [](double x) { return 2 * std::exp(0.25 * x); }, 0.03, 0}},
      {Model::kPower, {0.5, 20, [](double x) { return 1.5 * std::pow(x, 1.7); }, 0.03, 0}},
      {Model::kGeometric, {0.5, 5, [](double x) { return 2 * std::pow(x, 0.3 * x); }, 0.03, 0}},
      {Model::kGeometric2, {0.5, 10, [](double x) { return 2 * std::pow(x, 1.5 / x); }, 0.03, 0}},
      {Model::kInverse, {0.5, 10, [](double x) { return 3 + 4 / x; }, 0, 0.1}},
      {Model::kHyperbola, {0.5, 20, [](double x) { return 5 * x / (2 + x); }, 0.03, 0}},
  };
  return recipes;
}

// The grid as a data load would leave it, built once per model and size.
const GridTable& BenchGrid(Model model, int rows) {
  static std::map<std::pair<Model, int>, std::unique_ptr<GridTable>> grids;
  auto& grid = grids[{model, rows}];
  if (grid) return *grid;
  grid = std::make_unique<GridTable>();
  grid->WriteHeaders();
  grid->ReserveRows(rows + 1);
  grid->SetRowCount(rows + 1);
  const DataRecipe& recipe = Recipes().at(model);
  std::mt19937_64 random(20240611 + rows);
  std::normal_distribution<double> noise;
  char text[32];
  for (int i = 0; i < rows; ++i) {
    const double x = recipe.low + (recipe.high - recipe.low) * i / (rows - 1);
    double y = recipe.f(x) * (1 + recipe.relative * noise(random));
    y += recipe.absolute * noise(random);
    std::snprintf(text, sizeof text, "%.6g", x);
    grid->SetCell(0, i + 1, std::to_string(i + 1));
    grid->SetCell(1, i + 1, text);
    std::snprintf(text, sizeof text, "%.6g", y);
    grid->SetCell(2, i + 1, text);
  }
  return *grid;
}

// The refinement's course on the benchmark data of a log-started model.
template <class M>
void CountIterations(benchmark::State& state, const GridTable& grid) {
  const fit::FirstPassResult<M> first = fit::FirstPass<M>(grid, '.');
  fit::RefinementLog log;
  fit::SolveContext context{{}, &log, std::nullopt};
  M::Solve(first.sums, first.points, first.n, context);
  int damped = 0;
  for (const fit::RefinementStep& step : log.steps) damped += step.damping > 0;
  state.counters["iterations"] = static_cast<double>(log.steps.size());
  state.counters["damped"] = damped;
}

void BM_Fit(benchmark::State& state, Model model) {
  const int rows = static_cast<int>(state.range(0));
  const GridTable& grid = BenchGrid(model, rows);
  for (auto _ : state) {
    TChart chart;
    ChartCurve curve(chart);
    FitFields fields;
    StringResultLines memo;
    RunFit(model, {grid, &curve, fields, memo, '.'});
    benchmark::DoNotOptimize(memo.Lines().data());
    if (memo.Lines().empty()) state.SkipWithError("no report");
  }
  switch (model) {
    case Model::kCompound:
      return CountIterations<fit::Compound>(state, grid);
    case Model::kExponential:
      return CountIterations<fit::Exponential>(state, grid);
    case Model::kPower:
      return CountIterations<fit::PowerModel>(state, grid);
    case Model::kGeometric:
      return CountIterations<fit::Geometric>(state, grid);
    case Model::kGeometric2:
      return CountIterations<fit::Geometric2>(state, grid);
    default:
      return;
  }
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Fit, Quadratic, Model::kQuadratic)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Compound, Model::kCompound)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Logarithmic, Model::kLogarithmic)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Exponential, Model::kExponential)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Power, Model::kPower)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Geometric, Model::kGeometric)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Geometric2, Model::kGeometric2)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Inverse, Model::kInverse)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Hyperbola, Model::kHyperbola)->Apply(Sizes);

}  // namespace
}  // namespace tarvolen
