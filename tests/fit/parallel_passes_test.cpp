// Large fits run their per-row work and their curve samples on several threads; the results must
// be those of one thread, bit for bit, and a failing sample must still cut the curve exactly.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/parallel.h"
#include "model_fixture.h"
#include "plot/chart_curve.h"

namespace tarvolen {
namespace {

using testing::NumberRows;

struct FitRun {
  std::string error;
  std::vector<std::string> lines;
  std::vector<double> xs, ys;
};

// A window's grid, chart, fields and results box of its own (no test fixture: this runs on
// threads of the test's own too).
FitRun FitOnce(const testing::Rows& rows, Model model, bool keep_curve_points,
               std::size_t threads = 0) {
  GridTable grid;
  grid.WriteHeaders();
  testing::SetGridRows(grid, rows);
  TChart chart;
  ChartCurve chart_curve(chart);
  FitFields fields;
  StringResultLines memo;
  FitTarget target{grid, keep_curve_points ? &chart_curve : nullptr, fields, memo, '.'};
  target.threads = threads;
  FitRun run;
  try {
    RunFit(model, target);
  } catch (const Exception& e) {
    run.error = e.what();
  }
  run.lines = memo.Lines();
  if (const TLineSeries* curve = chart_curve.Series()) {
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
  const Model models[] = {Model::kLinear,     Model::kQuadratic,   Model::kCompound,
                          Model::kLogarithmic, Model::kExponential, Model::kPower,
                          Model::kGeometric,   Model::kGeometric2,  Model::kInverse,
                          Model::kHyperbola};
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

// The inverse model on x in [-39.0625, 39.0625]: the step is exactly 1/4096, so sample 160000 of
// 320001 is x = 0, in a later round of chunks. The curve keeps the 160000 samples before it; a
// fit that does not keep its samples still ends with the same error and report.
TEST(ParallelPasses, AFailingSampleInALaterChunkCutsTheCurveThere) {
  std::vector<long double> xs, ys;
  const std::size_t n = 16000;
  for (std::size_t i = 0; i < n; ++i) {
    const long double x = -39.0625L + 78.125L * static_cast<long double>(i) / (n - 1);
    xs.push_back(x);
    ys.push_back(2 + 3 / x);
  }
  const testing::Rows rows = NumberRows(xs, ys);
  for (const bool keep : {true, false}) {
    const FitRun run = FitOnce(rows, Model::kInverse, keep);
    SCOPED_TRACE(keep);
    EXPECT_EQ(run.error,
              "Floating point division by zero. The Inverse model takes 1/x, and its curve from "
              "X = -39.0625 to X = 39.0625 passes through X = 0.");
    EXPECT_TRUE(run.lines.empty());
    EXPECT_EQ(run.xs.size(), keep ? 160000u : 0u);
    if (keep) {
      EXPECT_EQ(run.xs.back(), -1.0 / 4096);
    }
  }
}

// y = 2x/(x - 1), whose pole is at x = 1, over ranges that hold it, end just short of its
// threshold or just beyond it: the samples near the pole read the previous one, so only a range
// clear of it may spread the samples over threads, and the curve must be that of one thread. In
// the first range the pole is sample 4096 exactly (steps of 2^-13), where a later chunk of
// samples starts.
TEST(ParallelPasses, TheHyperbolaCurveIsThatOfOneThreadNearItsPole) {
  const std::pair<long double, long double> ranges[] = {
      {0.5L, 39.5625L}, {1 + 1e-7L, 3}, {1 + 1e-5L, 3}, {-3, 1 - 1e-7L}, {3, 1 - 1e-5L}};
  for (const auto& [from, to] : ranges) {
    std::vector<long double> xs, ys;
    const std::size_t n = 16000;
    for (std::size_t i = 0; i < n; ++i) {
      xs.push_back(from + (to - from) * static_cast<long double>(i) / (n - 1));
      ys.push_back(2 * xs.back() / (xs.back() - 1));
    }
    const testing::Rows rows = NumberRows(xs, ys);
    const FitRun one = FitOnce(rows, Model::kHyperbola, true, 1);
    const FitRun spread = FitOnce(rows, Model::kHyperbola, true, 8);
    SCOPED_TRACE(std::to_string(static_cast<double>(from)) + " to " +
                 std::to_string(static_cast<double>(to)));
    EXPECT_EQ(spread.error, one.error);
    EXPECT_EQ(spread.lines, one.lines);
    ASSERT_EQ(spread.xs.size(), 20 * n + 1);
    EXPECT_TRUE(spread.ys == one.ys);
    // A sample on the pole repeats the one before it (0 for the first sample).
    for (std::size_t i = 0; i < spread.xs.size(); ++i) {
      if (std::abs(spread.xs[i] - 1) < 1e-6) {
        EXPECT_EQ(spread.ys[i], i == 0 ? 0 : spread.ys[i - 1]) << i;
      }
    }
  }
}

// The data texts are converted on several threads before the pass sums them in row order. Empty
// rows between the data, and rounds of rows beyond the first, must give each point its own row;
// a bad text, wherever it is, must still end the fit at the first one in row order.
TEST(ParallelPasses, ReadEveryRowAsItsOwnAndStopAtTheFirstBadText) {
  struct Case {
    std::size_t blank_every;                       // 0: no empty rows
    std::vector<std::pair<std::size_t, int>> bad;  // row index, column (1 X, 2 Y)
    std::string error;                             // none without bad texts
  };
  const Case cases[] = {
      {0, {}, ""},
      {7, {}, ""},
      {7,
       {{140000, 2}, {90001, 1}},
       "'x' is not a valid floating point value. Row 90002, column X."},
      {0, {{3, 2}, {150000, 1}}, "'x' is not a valid floating point value. Row 4, column Y."},
  };
  for (const Case& c : cases) {
    testing::Rows rows, compact;  // compact: without the empty rows
    for (std::size_t i = 0; i < 160000; ++i) {
      if (c.blank_every != 0 && i % c.blank_every == 3) {
        rows.emplace_back("", "");
        continue;
      }
      const long long x = static_cast<long long>(i % 1000);
      const long long noise = static_cast<long long>(i * 7919 % 13) - 6;
      rows.emplace_back(std::to_string(x), std::to_string(2 + 3 * x + noise));
      compact.push_back(rows.back());
    }
    for (const auto& [row, column] : c.bad) {
      (column == 1 ? rows[row].first : rows[row].second) = "x";
    }
    SCOPED_TRACE("empty rows every " + std::to_string(c.blank_every));
    const FitRun run = FitOnce(rows, Model::kLinear, false, 8);
    EXPECT_EQ(run.error, c.error);
    if (c.error.empty()) {
      EXPECT_EQ(run.lines, FitOnce(compact, Model::kLinear, false, 1).lines);
    }
  }
}

// Fits share nothing: two at once, each spread over several threads and each on a grid of its
// own, give what they give one after the other (and the thread sanitizer sees no race).
TEST(ParallelPasses, TwoFitsAtOnceGiveWhatTheyGiveOneAfterTheOther) {
  const testing::Rows rows = GrowthRows(20000, false);
  const std::pair<Model, Model> pairs[] = {{Model::kPower, Model::kCompound},
                                           {Model::kGeometric2, Model::kGeometric2}};
  for (const auto& [first, second] : pairs) {
    SCOPED_TRACE(std::string(ModelName(first)) + " beside " + std::string(ModelName(second)));
    const FitRun first_alone = FitOnce(rows, first, true, 4);
    const FitRun second_alone = FitOnce(rows, second, true, 4);
    FitRun first_beside, second_beside;
    std::thread other([&] { second_beside = FitOnce(rows, second, true, 4); });
    first_beside = FitOnce(rows, first, true, 4);
    other.join();
    EXPECT_EQ(first_beside.lines, first_alone.lines);
    EXPECT_EQ(second_beside.lines, second_alone.lines);
    EXPECT_TRUE(first_beside.ys == first_alone.ys);
    EXPECT_TRUE(second_beside.ys == second_alone.ys);
  }
}

// Under a limit of one process per user no worker thread can start: a fit asked to spread runs
// on its own thread and gives the same results. Runs in a child process of this program, as an
// ordinary user (the limit does not bind root).
TEST(ParallelPasses, WhenNoThreadCanStartTheFitRunsOnItsOwnThread) {
  if (std::getenv("TARVOLEN_THREAD_LIMIT_CHILD")) {
    const testing::Rows rows = GrowthRows(20000, false);
    for (const Model model : {Model::kLinear, Model::kPower}) {
      const FitRun one = FitOnce(rows, model, true, 1);
      const FitRun spread = FitOnce(rows, model, true, 8);
      EXPECT_EQ(spread.lines, one.lines);
      EXPECT_TRUE(spread.ys == one.ys);
    }
    EXPECT_EQ(StartedWorkerThreads(), 0u);
    return;
  }
#if defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the thread sanitizer's runtime needs threads of its own";
#endif
  // A copy of this program in a folder of its own, which the ordinary user can reach wherever
  // the build lies.
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("tarvolen-thread-limit-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  const fs::path program = folder / "fit-tests";
  fs::copy_file(fs::read_symlink("/proc/self/exe"), program);
  const fs::path output = folder / "output";
  std::string command =
      "TARVOLEN_THREAD_LIMIT_CHILD=1 ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" ";
  if (::geteuid() == 0) command += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  command += "prlimit --nproc=1 " + program.string() +
             " --gtest_filter=ParallelPasses.WhenNoThreadCanStartTheFitRunsOnItsOwnThread >" +
             output.string() + " 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(output);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  fs::remove_all(folder);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
  EXPECT_NE(text.find("[  PASSED  ] 1 test"), std::string::npos) << text;
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
