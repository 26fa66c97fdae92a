// The statistics of a finished fit (one more pass over the data and a small inverse), beside the
// fit itself, and the comparison of the ten models, at 10^3 to 10^6 rows of noisy exponential
// growth that every model can fit.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

#include "data/grid_table.h"
#include "fit/compare.h"
#include "fit/fit.h"
#include "fit/statistics.h"

namespace tarvolen {
namespace {

const GridTable& Growth(int rows) {
  static std::map<int, std::unique_ptr<GridTable>> grids;
  auto& grid = grids[rows];
  if (grid) return *grid;
  grid = std::make_unique<GridTable>();
  grid->WriteHeaders();
  grid->SetRowCount(rows + 1);
  std::mt19937_64 random(20261208 + rows);
  std::normal_distribution<double> noise;
  char text[32];
  for (int i = 0; i < rows; ++i) {
    const double x = 0.5 + 9.5 * i / (rows - 1);
    std::snprintf(text, sizeof text, "%.6g", x);
    grid->SetCell(1, i + 1, text);
    std::snprintf(text, sizeof text, "%.6g", 2 * std::exp(0.25 * x) * (1 + 0.03 * noise(random)));
    grid->SetCell(2, i + 1, text);
  }
  return *grid;
}

FitResult Fit(Model model, const GridTable& grid) {
  FitFields fields;
  StringResultLines lines;
  return RunFit(model, {grid, nullptr, fields, lines});
}

void BM_Fit(benchmark::State& state, Model model) {
  const GridTable& grid = Growth(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Fit(model, grid).sse);
}

void BM_Statistics(benchmark::State& state, Model model) {
  const FitResult result = Fit(model, Growth(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeStatistics(result).aicc);
}

void BM_CompareModels(benchmark::State& state) {
  const GridTable& grid = Growth(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CompareModels(grid, '.').models.data());
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_Fit, Linear, Model::kLinear)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Statistics, Linear, Model::kLinear)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Exponential, Model::kExponential)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Statistics, Exponential, Model::kExponential)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Power, Model::kPower)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Statistics, Power, Model::kPower)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Fit, Hyperbola, Model::kHyperbola)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Statistics, Hyperbola, Model::kHyperbola)->Apply(Sizes);
BENCHMARK(BM_CompareModels)
    ->RangeMultiplier(100)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvolen
