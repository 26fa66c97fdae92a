#pragma once

// The fit procedure shared by the ten models. A model type supplies what differs (checked by the
// concept `FitModel` below):
//
//   template <class T> struct Sums          first-pass accumulators (Ȳ among them) over the
//                                           number type T, trivially copyable (see fp::Rebind);
//                                           `ybar` is the running sum of y/n
//   FirstRow(Sums<T>&, RowReader<T>&, T n)  one row of the first pass; reads X and Y itself, in
//                                           the model's order, transforming X before Y is read
//   Coefficients                            the solved coefficients
//   Solve(const Sums<Extended>&, const DataPoints&, Extended n, SolveContext&) -> Coefficients
//                                           step 4, including any refinement; throws on failure
//   Fitted(const Coefficients&, T x, LnMemo&) -> T
//                                           ŷ(x), evaluated in the model's order
//   Sample(const Coefficients&, T x, T previous_y, LnMemo&) -> T
//                                           ŷ at a curve sample (the hyperbola guards its pole)
//   kSampleReadsPrevious, SamplesReadNoPrevious(const Coefficients&, Extended first, Extended last)
//                                           only for a Sample that may read previous_y: whether
//                                           none between first and last does
//   kCheapSample                            optional: a sample is a few arithmetic operations
//   Report(const Coefficients&)             the coefficients' names and values, in order
//
// The LnMemo handed to Fitted and Sample belongs to the chunk of rows or samples at hand, on one
// thread: a model may remember a logarithm there from one row to the next (fit/power.h).
//
// Floating-point faults end the fit at the first failing operation: each pass runs plainly in
// blocks and reruns a block checked only when its flags show a fault (see common/fp_check.h).

#include <algorithm>
#include <atomic>
#include <concepts>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/errors.h"
#include "common/fp_check.h"
#include "common/huge_pages.h"
#include "common/number_text.h"
#include "common/parallel.h"
#include "fit/causes.h"
#include "fit/fit.h"
#include "fit/power.h"

namespace tarvolen::fit {

// Reads the cells of one data row during the first pass, keeping the numbers as data point
// `index`. A cell that is not a number ends the fit with the conversion error, followed by the
// cell's row and column.
template <class T>
class RowReader {
 public:
  // `converted`: the points below it hold their numbers already.
  RowReader(const GridTable& grid, DataPoints& points, std::size_t index, int row, char separator,
            std::size_t converted = 0)
      : grid_(grid),
        points_(points),
        index_(index),
        row_(row),
        separator_(separator),
        converted_(converted) {}
  T X() { return T(Read(1, points_.x)); }
  T Y() { return T(Read(2, points_.y)); }

 private:
  Extended Read(int column, std::vector<Extended>& values) {
    if (index_ < converted_) return values[index_];
    const Extended value = CellToFloat(grid_.Cell(column, row_), separator_, column, row_);
    if (values.size() <= index_) values.resize(index_ + 1);
    values[index_] = value;
    return value;
  }

  const GridTable& grid_;
  DataPoints& points_;
  std::size_t index_;
  int row_;
  char separator_;
  std::size_t converted_;
};

// The running sums of the second pass; `sse` is what StdError holds meanwhile.
template <class T>
struct SecondPassSums {
  T ssr = Extended(0), sst = Extended(0), sse = Extended(0);
};

// One name and value of the report.
using ReportValue = FitCoefficient;

struct RefinementLog;

// What the solve step works with besides the sums and the data, and what it tells about itself.
struct SolveContext {
  WorkContext work;
  RefinementLog* log = nullptr;  // the refinement's course, step by step, when wanted
  std::optional<RefinementSummary> refinement;  // set by the refined models
};

// The interface of a model, as the procedure uses it; see the top of this file.
template <class M>
concept HasPassSums = requires {
  typename M::template Sums<Extended>;
  typename M::template Sums<fp::Checked>;
  typename M::Coefficients;
  requires std::is_trivially_copyable_v<typename M::template Sums<Extended>>;
};

template <class M>
concept HasFirstRow = requires(typename M::template Sums<Extended>& sums,
                               typename M::template Sums<fp::Checked>& checked_sums,
                               RowReader<Extended>& row, RowReader<fp::Checked>& checked_row,
                               Extended n, fp::Checked checked_n) {
  M::FirstRow(sums, row, n);
  M::FirstRow(checked_sums, checked_row, checked_n);
};

template <class M>
concept HasSolve = requires(const typename M::template Sums<Extended>& sums,
                            const DataPoints& points, Extended n, SolveContext& context) {
  { M::Solve(sums, points, n, context) } -> std::same_as<typename M::Coefficients>;
};

template <class M>
concept HasCurve = requires(const typename M::Coefficients& c, Extended x, fp::Checked cx,
                            LnMemo& memo) {
  { M::Fitted(c, x, memo) } -> std::same_as<Extended>;
  { M::Fitted(c, cx, memo) } -> std::same_as<fp::Checked>;
  { M::Sample(c, x, x, memo) } -> std::same_as<Extended>;
  { M::Sample(c, cx, cx, memo) } -> std::same_as<fp::Checked>;
};

template <class M>
concept HasReport = requires(const typename M::Coefficients& c) {
  { *std::begin(M::Report(c)) } -> std::convertible_to<ReportValue>;
};

template <class M>
concept FitModel = HasPassSums<M> && HasFirstRow<M> && HasSolve<M> && HasCurve<M> && HasReport<M>;

// Step 7: adds the 20·n + 1 samples x_i = ((last - first) / m)·i + first, i = 0..m, with
// y = sample(x_i, y_{i-1}, memo), to `curve`. Points are added in order of i; a failing sample ends
// the fit with the points before it on the curve. Without a curve the samples are computed and
// checked the same way but not kept.
//
// Samples are computed plainly in chunks and committed in order when a chunk ends clean; a chunk
// that was not clean is computed again one sample at a time, checked, adding each point, so the
// curve ends just before the failing operation. When no sample reads the previous one, the
// chunks of a round are spread over the work's threads. When a sample fails, its X is left in
// `failing_x` (when given).
template <class SampleFn>
void SampleCurve(CurveSink* curve, Extended first, Extended last, long long m, SampleFn&& sample,
                 bool samples_independent, bool cheap_samples, const WorkContext& work,
                 Extended* failing_x = nullptr) {
  const Extended step = fp::RunChecked([&] {
    return ((fp::Checked(last) - fp::Checked(first)) / fp::Checked(static_cast<Extended>(m))).v;
  });
  if (curve) curve->Reserve(static_cast<std::size_t>(m) + 1, last < first);

  constexpr long long kChunk = 4096;
  const long long count = m + 1;
  // Samples are spread over the threads when there are enough of them to repay waking the
  // threads (four times as many when each is a few operations): in rounds of 4 chunks per thread,
  // growing up to 32 chunks while the curve still has 8 rounds or more (fewer rounds, fewer waits
  // for the slowest chunk of a round).
  const long long per_round =
      samples_independent && count >= (cheap_samples ? 64 : 16) * kChunk
          ? std::max(4 * static_cast<long long>(work.Threads()),
                     std::min(32LL, count / (8 * kChunk)))
          : 1;
  // Room for a round's samples, and no more than there are (not zeroed: every sample is written
  // before it is read).
  const auto room = static_cast<std::size_t>(std::min(per_round * kChunk, count));
  const std::unique_ptr<double[]> xs(new double[room]), ys(new double[room]);
  std::vector<Extended> last_y(static_cast<std::size_t>(per_round));
  std::vector<char> clean(static_cast<std::size_t>(per_round));
  Extended previous_y = 0;

  for (long long round = 0; round < count; round += per_round * kChunk) {
    work.progress.Report(static_cast<std::size_t>(round), static_cast<std::size_t>(count));
    const long long chunks = std::min(per_round, (count - round + kChunk - 1) / kChunk);
    auto chunk_range = [&](std::size_t c) {
      const long long begin = round + static_cast<long long>(c) * kChunk;
      return std::pair{begin, std::min(begin + kChunk, count)};
    };
    auto compute = [&](std::size_t c) {
      work.progress.CheckStop();
      const auto [begin, end] = chunk_range(c);
      double* chunk_xs = xs.get() + c * kChunk;
      double* chunk_ys = ys.get() + c * kChunk;
      Extended chunk_last_y = 0;
      LnMemo memo;
      clean[c] = fp::RanClean(
          [&, begin = begin, end = end] {
            // Locals of the loop's own, so that they stay in registers across the calls it makes.
            double* const out_x = chunk_xs;
            double* const out_y = chunk_ys;
            const Extended from = first;
            const Extended by = step;
            Extended prev = previous_y;
            for (long long i = begin; i < end; ++i) {
              const Extended x = by * static_cast<Extended>(i) + from;
              const Extended y = sample(x, prev, memo);
              prev = y;
              out_x[i - begin] = static_cast<double>(x);
              out_y[i - begin] = static_cast<double>(y);
            }
            chunk_last_y = prev;
          },
          chunk_last_y);
      last_y[c] = chunk_last_y;
    };
    if (chunks > 1) {
      ParallelFor(static_cast<std::size_t>(chunks), compute, work.Threads());
    } else {
      compute(0);
    }

    for (std::size_t c = 0; c < static_cast<std::size_t>(chunks); ++c) {
      const auto [begin, end] = chunk_range(c);
      if (clean[c]) {
        if (curve) {
          curve->Add(xs.get() + c * kChunk, ys.get() + c * kChunk,
                     static_cast<std::size_t>(end - begin));
        }
        previous_y = last_y[c];
        continue;
      }
      // A sample of this chunk failed: add the samples one by one up to the failing operation.
      previous_y = fp::RunChecked([&, begin = begin, end = end] {
        fp::Checked prev_checked = previous_y;
        LnMemo memo;
        for (long long i = begin; i < end; ++i) {
          const fp::Checked x =
              fp::Checked(step) * fp::Checked(static_cast<Extended>(i)) + fp::Checked(first);
          if (failing_x) *failing_x = x.v;
          const fp::Checked y = sample(x, prev_checked, memo);
          const double xd = fp::ToDouble(x);
          const double yd = fp::ToDouble(y);
          if (curve) curve->Add(&xd, &yd, 1);
          prev_checked = y;
        }
        return prev_checked.v;
      });
    }
  }
}

// Rows per round of a pass whose per-row values are computed on the cores and then summed in row
// order: the values of a round fit in a small buffer that stays in the cache.
inline constexpr std::size_t kRoundRows = 1 << 16;

// Whether a model's curve sample may read the previous sample's y (the hyperbola across its pole).
template <class M>
inline constexpr bool kSampleReadsPrevious = requires { requires M::kSampleReadsPrevious; };

// Whether a model's curve sample is a few arithmetic operations, no logarithm or power.
template <class M>
inline constexpr bool kCheapSample = requires { requires M::kCheapSample; };

// Whether the samples between first and last are independent of each other, so that they may be
// computed on several threads: always, unless the model's samples may read the previous one and
// it cannot rule that out over this range (a pole within reach); those are computed in order on
// one thread.
template <class M>
bool SamplesIndependent(const typename M::Coefficients& c, Extended first, Extended last) {
  if constexpr (kSampleReadsPrevious<M>) {
    return M::SamplesReadNoPrevious(c, first, last);
  } else {
    return true;
  }
}

// The two coefficients a and b of every model but the quadratic one.
struct CoefficientPair {
  Extended a, b;
};

// What the first pass leaves for the solve step: the model's sums, the converted data rows and
// n, their count as an extended real.
template <class M>
struct FirstPassResult {
  typename M::template Sums<Extended> sums{};
  DataPoints points;
  Extended n = 0;
  int first_row = 0;  // the grid rows of the first and the last data point; 0 without any
  int last_row = 0;
};

// The state of the first pass: the model's sums and the data points read so far.
template <class M>
struct FirstPassState {
  template <class T>
  struct Of {
    typename M::template Sums<T> sums;
    std::size_t points;
  };
};

// Converts the X and Y texts of the `count` data rows into `points`, spread over the work's
// threads, round by round; with `skips_rows`, rows whose X and Y are both blank hold no point
// (else point k is on row k + 1). Returns how many points hold their numbers: all of them, or
// those before the round where a text is not a number. The first pass converts the texts from
// there on itself, in row order, so that the first bad one is reported.
inline std::size_t ConvertDataRows(const GridTable& grid, char separator, std::size_t count,
                                   bool skips_rows, DataPoints& points, const WorkContext& work) {
  constexpr std::size_t kRound = 1 << 16;
  std::vector<int> rows;  // with skips_rows: the grid row of each point of the round
  int next_row = 1;
  for (std::size_t begin = 0; begin < count; begin += kRound) {
    work.progress.Report(begin, count);
    const std::size_t end = std::min(begin + kRound, count);
    if (skips_rows) {
      rows.clear();
      for (; rows.size() < end - begin; ++next_row) {
        if (!IsEmptyDataRow(grid, next_row)) rows.push_back(next_row);
      }
    }
    points.x.resize(end);
    points.y.resize(end);
    std::atomic<bool> numbers{true};
    // Whether a chunk was clean does not matter here: a conversion raises no fault that counts.
    static_cast<void>(fp::CleanInParallel(
        end - begin,
        [&](std::size_t from, std::size_t to) {
          for (std::size_t k = from; k < to; ++k) {
            const int row = skips_rows ? rows[k] : static_cast<int>(begin + k) + 1;
            if (!TryTextToFloat(grid.Cell(1, row), separator, points.x[begin + k]) ||
                !TryTextToFloat(grid.Cell(2, row), separator, points.y[begin + k])) {
              numbers.store(false, std::memory_order_relaxed);
              return;
            }
          }
        },
        work));
    if (!numbers.load(std::memory_order_relaxed)) return begin;
  }
  return count;
}

// Steps 2-3: the first pass over the data rows 1..RowCount - 1 that are not empty (n of them),
// each converted and added to the sums in the model's order. Throws the conversion error of the
// first bad text, or the error of the first failing operation, naming the first row in row order;
// `failing_row`, when given, then holds the grid row of a failing operation.
template <class M>
FirstPassResult<M> FirstPass(const GridTable& grid, char separator, const WorkContext& work = {},
                             int* failing_row = nullptr) {
  FirstPassResult<M> result;
  const int rows = std::max(grid.RowCount() - 1, 0);
  std::size_t count = 0;
  for (int row = 1; row <= rows; ++row) {
    if (IsEmptyDataRow(grid, row)) continue;
    if (count++ == 0) result.first_row = row;
    result.last_row = row;
  }
  const bool skips_rows = count != static_cast<std::size_t>(rows);
  result.n = static_cast<Extended>(count);
  // Room for every point, filled a round of rows at a time: a long grid whose first round holds
  // a bad text costs no memory for the rest.
  ReserveOnHugePages(result.points.x, count);
  ReserveOnHugePages(result.points.y, count);
  const std::size_t converted =
      ConvertDataRows(grid, separator, count, skips_rows, result.points, work.Part(0, 0.6));
  const WorkContext sums_work = work.Part(0.6, 1);
  typename FirstPassState<M>::template Of<Extended> state{};
  const auto row_count = static_cast<std::size_t>(rows);
  fp::GuardedRows<FirstPassState<M>::template Of>(
      0, row_count, state,
      [&](auto tag, auto& s, std::size_t i) {
        using T = decltype(tag);
        const int row = static_cast<int>(i) + 1;
        if (skips_rows && IsEmptyDataRow(grid, row)) return;
        if constexpr (std::is_same_v<T, fp::Checked>) {
          if (failing_row) *failing_row = row;
        }
        RowReader<T> reader(grid, result.points, s.points, row, separator, converted);
        M::FirstRow(s.sums, reader, T(result.n));
        ++s.points;
      },
      [&](std::size_t first) { sums_work.progress.Report(first, row_count); });
  result.sums = state.sums;
  return result;
}

// Steps 1-11 of the procedure for one model. `first` receives the first pass's result and
// `failure` what the steps knew as they went, both the caller's, so that the cause of an error
// can be told after it left the steps.
template <FitModel M>
FitResult RunSteps(Model model, const FitTarget& target, FirstPassResult<M>& first,
                   FitFailure& failure) {
  const GridTable& grid = target.grid;
  const char separator = target.decimal_separator;
  FitFields& fields = target.fields;
  const WorkContext work{target.threads, Progress(target.observer)};

  // 1. Empty the results box.
  target.memo.Clear();

  // 2-3. First pass over the data rows, those that are not empty: convert X, then Y, and add to
  // the sums.
  first = FirstPass<M>(grid, separator, work.Part(0, 0.25), &failure.row);
  const auto& sums = first.sums;
  const DataPoints& points = first.points;
  const std::size_t n = points.Count();
  failure.points = &points;
  failure.stage = FitStage::kSolve;
  if (n == 0) throw EFitError(kNoDataMessage);

  // 4. Solve (and refine).
  SolveContext solve{work.Part(0.25, 0.5), nullptr, std::nullopt};
  const typename M::Coefficients c = [&] {
    try {
      return M::Solve(sums, points, first.n, solve);
    } catch (const Exception&) {
      failure.refinement = solve.refinement;
      throw;
    }
  }();
  failure.stage = FitStage::kSampling;

  // 5. Replace the curve.
  if (target.curve) target.curve->Restart();

  // 6. Sampling range: the X of the first and the last data row, in grid order.
  fields.CurveXFirst = TextToFloat(grid.Cell(1, first.first_row), separator);
  fields.CurveXLast = TextToFloat(grid.Cell(1, first.last_row), separator);
  failure.curve_first = fields.CurveXFirst;
  failure.curve_last = fields.CurveXLast;

  // 7. Sample the curve: 20 points per data row, m + 1 in all.
  const long long m = 20LL * static_cast<long long>(n);
  const bool independent = SamplesIndependent<M>(c, fields.CurveXFirst, fields.CurveXLast);
  const auto run_samples = [&](const auto& sample) {
    try {
      SampleCurve(target.curve, fields.CurveXFirst, fields.CurveXLast, m, sample, independent,
                  kCheapSample<M>, work.Part(0.5, 0.8), &failure.sample_x);
    } catch (const EOverflow&) {
      // The value there, when it is only too large for the chart's doubles.
      LnMemo memo;
      Extended y = 0;
      if (fp::RanClean([&] { y = sample(failure.sample_x, Extended(0), memo); }, y)) {
        failure.sample_y = y;
      }
      throw;
    }
  };
  const auto sample = [&](auto x, auto previous_y, LnMemo& memo) {
    return M::Sample(c, x, previous_y, memo);
  };
  if constexpr (kSampleReadsPrevious<M>) {
    // Where no sample can read the previous one, each is the fitted value there: computed as
    // such, a sample does not wait for the one before it.
    if (independent) {
      run_samples([&](auto x, auto, LnMemo& memo) { return M::Fitted(c, x, memo); });
    } else {
      run_samples(sample);
    }
  } else {
    run_samples(sample);
  }
  failure.stage = FitStage::kSecondPass;
  for (const ReportValue& value : M::Report(c)) failure.coefficients.push_back(value.value);

  // 8-9. Second pass: the statistics on the untransformed Y.
  fields.StdError = 0;
  const Extended ybar = sums.ybar;
  const WorkContext second = work.Part(0.8, 1);
  // Round by round, the fitted values spread over the cores, then the sums in row order. A fault
  // among the fitted values leaves them to the checked rerun of the row that raised it.
  SecondPassSums<Extended> stats{};
  std::vector<Extended> fitted(std::min(points.Count(), kRoundRows));
  for (std::size_t begin = 0; begin < points.Count(); begin += kRoundRows) {
    second.progress.Report(begin, points.Count());
    const std::size_t end = std::min(begin + kRoundRows, points.Count());
    const bool fitted_clean = fp::CleanInParallel(
        end - begin,
        [&](std::size_t from, std::size_t to) {
          LnMemo memo;
          for (std::size_t k = from; k < to; ++k) {
            fitted[k] = M::Fitted(c, points.x[begin + k], memo);
          }
        },
        second);
    LnMemo memo;
    fp::GuardedRows<SecondPassSums>(begin, end, stats, [&](auto tag, auto& s, std::size_t i) {
      using T = decltype(tag);
      if constexpr (std::is_same_v<T, fp::Checked>) failure.point = i;
      const T x = points.x[i];
      const T y = points.y[i];
      const T yhat = fitted_clean ? T(fitted[i - begin]) : M::Fitted(c, x, memo);
      const T explained = yhat - T(ybar);
      s.ssr = s.ssr + explained * explained;
      const T total = y - T(ybar);
      s.sst = s.sst + total * total;
      const T residual = y - yhat;
      s.sse = s.sse + residual * residual;
      fields.StdError = fp::Value(s.sse);
    });
  }
  second.progress.Report(points.Count(), points.Count());
  failure.stage = FitStage::kStatistics;

  // 10. Statistics: the divisor is n - 2 for every model.
  fields.StdError = stats.sse;
  fp::RunChecked([&] {
    fields.StdError =
        fp::Sqrt(fp::Checked(fields.StdError) / fp::Checked(static_cast<Extended>(n) - 2)).v;
    fields.CorrCoef = fp::Sqrt(fp::Checked(stats.ssr) / fp::Checked(stats.sst)).v;
  });

  // 11. Report.
  FitResult result;
  result.model = model;
  const auto report = M::Report(c);
  result.coefficients.assign(report.begin(), report.end());
  result.n = points.Count();
  result.sst = stats.sst;
  result.sse = stats.sse;
  result.std_error = fields.StdError;
  result.corr_coef = fields.CorrCoef;
  result.refinement = solve.refinement;
  result.points = std::move(first.points);
  for (const std::string& line : ReportLines(result, separator)) target.memo.Add(line);
  return result;
}

// The whole procedure for one model: its steps, and the cause of an error that ends them, told
// from what they knew (see fit/causes.h).
template <FitModel M>
FitResult RunProcedure(Model model, const FitTarget& target) {
  FitFailure failure;
  failure.model = model;
  failure.separator = target.decimal_separator;
  failure.grid = &target.grid;
  FirstPassResult<M> first;
  try {
    return RunSteps<M>(model, target, first, failure);
  } catch (Exception& error) {
    if (error.Cause().empty()) {
      failure.floating_point = dynamic_cast<const EMathError*>(&error) != nullptr;
      error.SetCause(FailureCause(failure));
    }
    throw;
  }
}

}  // namespace tarvolen::fit
