// One chart frame at the main window's size through the QPainter canvas: 10^5 data markers and a
// fitted curve of 2,000,001 samples, whole and zoomed in; and the data-point plot of a big grid.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <string>
#include <vector>

#include "plot/chart.h"
#include "plot/data_plot.h"
#include "render/painter_canvas.h"

namespace tarvolen {
namespace {

void NeedGui() { static const render::GuiForPictures gui(/*quiet=*/true); }

double Curve(double x) { return 3 + 2 * std::sin(x / 7) + 0.05 * x; }

// Chart1 holding `markers` data points scattered around the curve over X 0..100 and a curve of
// `samples` points, as after a data load and a fit.
struct BigChart {
  TChart chart;
  BigChart(std::size_t markers, std::size_t samples) {
    ConfigureChart1(chart);
    TPointSeries& points = chart.CreateSeries<TPointSeries>();
    points.SetParentChart(&chart);
    points.Pointer().Style = TSeriesPointerStyle::psCircle;
    std::vector<double> xs(markers), ys(markers);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < markers; ++i) {
      state = state * 1664525u + 1013904223u;
      xs[i] = 100.0 * static_cast<double>(i) / static_cast<double>(markers);
      ys[i] = Curve(xs[i]) + (static_cast<double>(state >> 8) / (1 << 24) - 0.5);
    }
    points.AddPoints(xs.data(), ys.data(), markers);

    TLineSeries& curve = chart.CreateSeries<TLineSeries>();
    curve.SetParentChart(&chart);
    xs.resize(samples);
    ys.resize(samples);
    for (std::size_t i = 0; i < samples; ++i) {
      xs[i] = 100.0 / static_cast<double>(samples - 1) * static_cast<double>(i);
      ys[i] = Curve(xs[i]);
    }
    curve.AddPoints(xs.data(), ys.data(), samples);
  }
};

void PaintFrames(benchmark::State& state, TChart& chart) {
  const Size client = chart.ClientSize();
  QImage stored;
  QImage screen(client.width, client.height, QImage::Format_RGB32);
  for (auto _ : state) {
    chart.Invalidate();  // every paint draws a new frame
    QPainter painter(&screen);
    render::PaintChart(painter, chart, stored, client);
  }
  benchmark::DoNotOptimize(screen.constBits());
}

void BM_FrameWhole(benchmark::State& state) {
  NeedGui();
  BigChart big(100000, 2000001);
  PaintFrames(state, big.chart);
}
BENCHMARK(BM_FrameWhole)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameZoomedIn(benchmark::State& state) {
  NeedGui();
  BigChart big(100000, 2000001);
  // One percent of X in view, as after a zoom.
  big.chart.BottomAxis().SetMinMax(50, 51);
  big.chart.LeftAxis().SetMinMax(2, 6);
  PaintFrames(state, big.chart);
}
BENCHMARK(BM_FrameZoomedIn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameMarkersOnly(benchmark::State& state) {
  NeedGui();
  BigChart big(100000, 2);
  PaintFrames(state, big.chart);
}
BENCHMARK(BM_FrameMarkersOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameCurveOnly(benchmark::State& state) {
  NeedGui();
  BigChart big(0, 2000001);
  PaintFrames(state, big.chart);
}
BENCHMARK(BM_FrameCurveOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Load Data's plot of a grid of 10^5 rows in descending X.
void BM_PlotDataPoints(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  GridTable grid;
  grid.SetRowCount(rows + 1);
  for (int row = 1; row <= rows; ++row) {
    grid.SetCell(1, row, std::to_string(rows - row) + ".25");
    grid.SetCell(2, row, std::to_string(row % 97) + "e-1");
  }
  TChart chart;
  ConfigureChart1(chart);
  for (auto _ : state) PlotDataPoints(chart, grid, '.', nullptr);
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_PlotDataPoints)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvolen
