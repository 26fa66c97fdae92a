// The linear fit from grid texts to report, and loading a data file into the grid.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "data/data_file.h"
#include "data/grid_table.h"
#include "fit/fit.h"
#include "plot/chart.h"
#include "plot/chart_curve.h"

namespace tarvolen {
namespace {

// n noisy points on a line, as a data file's text; X ascending or descending.
std::string LinearData(int n, bool descending) {
  std::mt19937_64 random(42);
  std::normal_distribution<double> noise(0, 0.5);
  std::string text;
  text.reserve(static_cast<std::size_t>(n) * 24);
  char line[64];
  for (int i = 0; i < n; ++i) {
    const double x = descending ? n - i : i + 1;
    std::snprintf(line, sizeof line, "%.6g %.6g\n", x * 0.01, 2.5 + 0.75 * x * 0.01 + noise(random));
    text += line;
  }
  return text;
}

// Fits the grid loaded from `text` with the linear model, from grid texts to report.
void FitLinearText(benchmark::State& state, const std::string& text) {
  const int n = static_cast<int>(state.range(0));
  GridTable grid;
  FillGridFromText(text, grid);
  for (auto _ : state) {
    TChart chart;
    ChartCurve curve(chart);
    FitFields fields;
    StringResultLines memo;
    RunFit(Model::kLinear, {grid, &curve, fields, memo, '.'});
    benchmark::DoNotOptimize(memo.Lines().data());
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["curve_points"] = 20.0 * n + 1;
}

void LinearFit(benchmark::State& state, bool descending) {
  FitLinearText(state, LinearData(static_cast<int>(state.range(0)), descending));
}

void BM_LinearFit(benchmark::State& state) { LinearFit(state, false); }
void BM_LinearFitDescendingX(benchmark::State& state) { LinearFit(state, true); }
BENCHMARK(BM_LinearFit)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LinearFitDescendingX)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);

// X near 1e9 spanning 0.1, in descending order: neighbouring curve samples round to the same
// double, so the curve's blocks arrive descending with ties.
void BM_LinearFitDescendingTiedX(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::string text;
  char line[64];
  for (int i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "%.17g %d\n", 1e9 + 0.1 * (n - i) / n, i % 7);
    text += line;
  }
  FitLinearText(state, text);
}
BENCHMARK(BM_LinearFitDescendingTiedX)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A data file of n rows loaded into a grid that holds another load already, as the window loads
// one file after another: text (range 1 = 0) or the same points as CSV with a title line (1).
void BM_LoadFile(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool csv = state.range(1) != 0;
  const std::string path = csv ? "/tmp/tarvolen-bench-load.csv" : "/tmp/tarvolen-bench-load.txt";
  {
    std::string text = LinearData(n, false);
    if (csv) {
      std::replace(text.begin(), text.end(), ' ', ',');
      text.insert(0, "x,y\n");
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  GridTable grid;
  grid.WriteHeaders();
  LoadDataFile(path, grid);
  for (auto _ : state) {
    LoadDataFile(path, grid);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LoadFile)->Args({1000000, 0})->Args({1000000, 1})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvolen
