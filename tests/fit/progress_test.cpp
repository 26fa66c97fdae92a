// A fit tells its observer how far it got and stops when asked, on one thread or spread.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "common/curve_sink.h"
#include "common/progress.h"
#include "fit/fit.h"
#include "model_fixture.h"

namespace tarvolen {
namespace {

// Records the fractions; says stop from its `stop_at`-th question on (0: never).
class Recorder : public ProgressObserver {
 public:
  explicit Recorder(int stop_at = 0) : stop_at_(stop_at) {}
  void Progressed(double fraction) override {
    std::lock_guard lock(mutex_);
    fractions_.push_back(fraction);
  }
  bool StopRequested() const override {
    const int asked = ++asked_;
    return stop_at_ != 0 && asked >= stop_at_;
  }
  int Asked() const { return asked_; }
  const std::vector<double>& Fractions() const { return fractions_; }

 private:
  int stop_at_;
  mutable std::atomic<int> asked_{0};
  std::mutex mutex_;
  std::vector<double> fractions_;
};

testing::Rows NoisyGrowth(std::size_t n) {
  std::vector<long double> xs, ys;
  for (std::size_t i = 0; i < n; ++i) {
    const long double x = 10.0L * static_cast<long double>(i + 1) / n;
    xs.push_back(x);
    ys.push_back(3 * std::exp(0.4L * x) * (1 + 0.05L * std::sin(static_cast<long double>(i))));
  }
  return testing::NumberRows(xs, ys);
}

struct Outcome {
  std::vector<std::string> lines;
  bool cancelled = false;
};

Outcome Fit(const GridTable& grid, Model model, std::size_t threads, ProgressObserver* observer) {
  RecordedCurve curve;
  FitFields fields;
  StringResultLines memo;
  memo.Add("a line of the previous fit");
  FitTarget target{grid, &curve, fields, memo, '.'};
  target.threads = threads;
  target.observer = observer;
  Outcome outcome;
  try {
    RunFit(model, target);
  } catch (const Cancelled&) {
    outcome.cancelled = true;
  }
  outcome.lines = memo.Lines();
  return outcome;
}

TEST(FitProgress, RisesToOneAndChangesNothing) {
  const testing::FitWindow window(NoisyGrowth(30000));
  for (const Model model : {Model::kLinear, Model::kExponential, Model::kHyperbola}) {
    for (const std::size_t threads : {1u, 4u}) {
      SCOPED_TRACE(std::string(ModelName(model)) + ", " + std::to_string(threads) + " threads");
      Recorder recorder;
      const Outcome observed = Fit(window.grid, model, threads, &recorder);
      const Outcome plain = Fit(window.grid, model, threads, nullptr);
      EXPECT_EQ(observed.lines, plain.lines);
      const std::vector<double>& fractions = recorder.Fractions();
      ASSERT_GE(fractions.size(), 10u);
      EXPECT_EQ(fractions.front(), 0);
      EXPECT_EQ(fractions.back(), 1);
      for (std::size_t i = 1; i < fractions.size(); ++i) {
        ASSERT_GE(fractions[i], fractions[i - 1]) << "step " << i;
      }
    }
  }
}

// Stopped at its first question, halfway or at its last, the fit ends with Cancelled (not one
// of the system's errors) and an empty results box.
TEST(FitProgress, StopsWhenAskedWhereverThatIs) {
  const testing::FitWindow window(NoisyGrowth(30000));
  for (const Model model : {Model::kQuadratic, Model::kPower}) {
    for (const std::size_t threads : {1u, 4u}) {
      SCOPED_TRACE(std::string(ModelName(model)) + ", " + std::to_string(threads) + " threads");
      Recorder counter;
      ASSERT_FALSE(Fit(window.grid, model, threads, &counter).cancelled);
      for (const int stop_at : {1, counter.Asked() / 2, counter.Asked()}) {
        Recorder stopper(stop_at);
        const Outcome outcome = Fit(window.grid, model, threads, &stopper);
        EXPECT_TRUE(outcome.cancelled) << "stop at question " << stop_at;
        EXPECT_TRUE(outcome.lines.empty());
      }
    }
  }
}

}  // namespace
}  // namespace tarvolen
