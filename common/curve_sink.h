#pragma once

// Where a fitted curve goes. The fit knows no chart: it hands its samples to a sink, which the
// window and the command line put on a chart (plot/chart_curve.h; the window's fit off its
// thread on a chart of its own) and tests record (`RecordedCurve`).

#include <cstddef>
#include <vector>

namespace tarvolen {

class CurveSink {
 public:
  virtual ~CurveSink() = default;
  // A new, empty curve replaces the previous one. A fit calls this once, after its solve step;
  // a fit that fails before then leaves the previous curve as it is.
  virtual void Restart() = 0;
  // `count` samples are about to arrive, in ascending X (descending when `descending`). Advice.
  virtual void Reserve(std::size_t count, bool descending) = 0;
  // Adds `count` samples, in the order they were sampled. A fit that fails while sampling has
  // added the samples before the failing one.
  virtual void Add(const double* xs, const double* ys, std::size_t count) = 0;
};

// The samples of the last curve, kept in the order they came.
class RecordedCurve : public CurveSink {
 public:
  void Restart() override {
    xs_.clear();
    ys_.clear();
  }
  void Reserve(std::size_t count, bool) override {
    xs_.reserve(xs_.size() + count);
    ys_.reserve(ys_.size() + count);
  }
  void Add(const double* xs, const double* ys, std::size_t count) override {
    xs_.insert(xs_.end(), xs, xs + count);
    ys_.insert(ys_.end(), ys, ys + count);
  }

  const std::vector<double>& Xs() const { return xs_; }
  const std::vector<double>& Ys() const { return ys_; }

 private:
  std::vector<double> xs_;
  std::vector<double> ys_;
};

}  // namespace tarvolen
