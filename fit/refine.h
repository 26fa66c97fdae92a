#pragma once

// The Gauss–Newton refinement of the models that start from a straight line through logarithms
// (compound, exponential, power, geometric, geometric2): least squares on Y itself, from start
// values, until a step lowers the residual sum by at most one millionth of it.
//
// A model's shape supplies, as templates on the number type T (`Extended` or `fp::Checked`):
//
//   Kernel(b, x, memo) -> T           the part of f = Kernel(b, x)·a that b decides, in the
//                                     model's order (e^(b·x), bˣ, x^b, ...)
//   Row(a, b, x, y, kernel, r, da, db, memo)
//                                     the rest of one linearisation row from that kernel:
//                                     r = y - f, then the derivatives of f by a and by b
//
// `memo` (an LnMemo) belongs to the chunk of rows at hand, on one thread: a shape may remember a
// logarithm there from one call to the next.
//
// A step's trial evaluates the kernel at every x for the new b; when the step is taken, the next
// linearisation pass reuses those kernels instead of computing them again. The per-row work is
// spread over the cores; the residual sums are added in row order on one thread.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/fp_check.h"
#include "common/parallel.h"
#include "fit/fit.h"
#include "fit/matrice2.h"
#include "fit/power.h"
#include "fit/procedure.h"

namespace tarvolen::fit {

// An 80-bit extended real from its sign-and-exponent field and its 64-bit significand.
constexpr Extended ExtendedFromBits(std::uint16_t sign_exponent, std::uint64_t significand) {
  struct Bits {
    std::uint64_t significand;
    std::uint16_t sign_exponent;
    std::uint16_t padding[3];
  };
  static_assert(sizeof(Bits) == sizeof(Extended));
  return std::bit_cast<Extended>(Bits{significand, sign_exponent, {0, 0, 0}});
}

// The convergence threshold of the refinement, also the hyperbola's pole guard: one unit in the
// last place below the extended value nearest to 1E-6.
inline constexpr Extended kConvergenceThreshold = ExtendedFromBits(0x3FEB, 0x8637BD05AF6C69B5);
static_assert(kConvergenceThreshold < 1e-6L &&
                  ExtendedFromBits(0x3FEB, 0x8637BD05AF6C69B6) == 1e-6L,
              "the threshold must be one ulp below the extended value nearest to 1E-6");

// A refinement that has not settled after this many iterations ends the fit.
inline constexpr int kMaxIterations = 1000;
// A step that raises the residual sum is halved at most this often.
inline constexpr int kMaxHalvings = 60;

inline std::string NoConvergenceMessage(int iterations) {
  return "The refinement did not settle within " + std::to_string(iterations) +
         " iterations: the data do not determine the model's coefficients";
}

// What one iteration did.
struct RefinementStep {
  Extended before = 0;  // residual sum at the coefficients before the step
  Extended after = 0;   // residual sum at the coefficients taken
  Extended q = 0;       // 1 - after / before
  int halvings = 0;     // how often the step was halved before it stopped raising the sum
  CoefficientPair taken{0, 0};
};

// The course of one refinement, for tests and measurements.
struct RefinementLog {
  CoefficientPair start{0, 0};
  std::vector<RefinementStep> steps;
  // No halving of the last step stopped raising the residual sum: the coefficients from before
  // that step stand, and that step is not in `steps`.
  bool stalled = false;
};

// f = Kernel(b, x)·a, the model value at x.
template <class Shape, class T>
T Value(T a, T b, T x, LnMemo& memo) {
  return Shape::Kernel(b, x, memo) * a;
}

namespace detail {

template <class T>
struct ResidualSum {
  T sum = Extended(0);
};

// The residual sum at (a + da, b + db), or nothing when forming it raised a floating-point fault.
// Leaves Kernel(b + db, x) of every row in `kernels`. Round by round, the residuals are formed on
// the cores, then added in row order.
template <class Shape>
std::optional<Extended> TrialResidualSum(const DataPoints& points, Extended a, Extended da,
                                         Extended b, Extended db, std::vector<Extended>& kernels,
                                         std::vector<Extended>& residuals,
                                         const WorkContext& work) {
  Extended trial_a = 0, trial_b = 0;
  if (!fp::RanClean(
          [&] {
            trial_a = a + da;
            trial_b = b + db;
          },
          trial_a, trial_b)) {
    return std::nullopt;
  }
  Extended sum = 0;
  for (std::size_t begin = 0; begin < points.Count(); begin += kRoundRows) {
    const std::size_t end = std::min(begin + kRoundRows, points.Count());
    const bool clean = fp::CleanInParallel(
        end - begin,
        [&](std::size_t from, std::size_t to) {
          LnMemo memo;
          for (std::size_t k = from; k < to; ++k) {
            const std::size_t i = begin + k;
            const Extended kernel = Shape::Kernel(trial_b, points.x[i], memo);
            kernels[i] = kernel;
            residuals[k] = points.y[i] - kernel * trial_a;
          }
        },
        work);
    if (!clean || !fp::RanClean(
                      [&] {
                        Extended running = sum;
                        for (std::size_t k = 0; k < end - begin; ++k) {
                          running = running + residuals[k] * residuals[k];
                        }
                        sum = running;
                      },
                      sum)) {
      return std::nullopt;
    }
  }
  return sum;
}

}  // namespace detail

// Refines (a, b) from `start` by Gauss–Newton on the data rows. Each iteration:
//   1. linearisation pass: r(i) = y - f and the Jacobian row (df/da, df/db) at the current
//      coefficients, summing the residual sum before the step;
//   2. Jᵀ, JᵀJ, Jᵀr, the inverse of JᵀJ and the step d = inverse·Jᵀr, in that order, through the
//      matrix routines;
//   3. the step: a + d(0), b + d(1). While the residual sum at the trial exceeds the sum before
//      (or forming it raises a floating-point fault), the step is halved, up to kMaxHalvings
//      times; when no trial stops raising it, the coefficients before the step are the result;
//   4. q = 1 - after / before.
// The iteration ends when q <= kConvergenceThreshold.
//
// Failures end the fit: a floating-point fault in step 1 or 2 or in q (with the error of the
// first failing operation: q is 0/0 when the coefficients already fit every point exactly); a
// singular JᵀJ (EFitError kSingularMessage); `max_iterations` iterations without settling
// (EFitError NoConvergenceMessage). `context` gives the threads and the progress; the refinement
// leaves its iteration count and how it ended in `context.refinement`, its course in
// `context.log` when there is one.
//
// Where every full step lowers the residual sum, the coefficients are those of the plain
// Gauss–Newton iteration, operation for operation.
template <class Shape>
CoefficientPair Refine(const DataPoints& points, CoefficientPair start, SolveContext& context,
                       int max_iterations = kMaxIterations) {
  const WorkContext& work = context.work;
  RefinementLog* const log = context.log;
  const int n = static_cast<int>(points.Count());
  RCOMat r = ZeroMatrix(n, 1);
  RCOMat jacobian = ZeroMatrix(n, 2);
  RCOMat transposed = ZeroMatrix(2, n);
  RCOMat jtj = ZeroMatrix(2, 2);
  RCOMat jtr = ZeroMatrix(2, 1);
  RCOMat inverse;
  RCOMat step = ZeroMatrix(2, 1);
  std::vector<Extended> kernels(points.Count());
  std::vector<Extended> residuals(std::min(points.Count(), kRoundRows));
  bool kernels_current = false;  // `kernels` hold Kernel(b, x) for the b of this iteration

  if (log) *log = RefinementLog{start, {}, false};
  context.refinement = RefinementSummary{0, RefinementEnd::kConverged};
  Extended a = start.a;
  Extended b = start.b;
  Extended q = 1;  // so that at least one iteration runs
  for (int iteration = 0; q > kConvergenceThreshold; ++iteration) {
    if (iteration == max_iterations) throw EFitError(NoConvergenceMessage(max_iterations));
    // Each iteration takes a share of what is left: the count is not known beforehand.
    work.progress.Report(static_cast<std::size_t>(iteration),
                         static_cast<std::size_t>(iteration) + 2);

    // 1. Linearisation pass: the rows spread over the cores, then their residual sum in row
    // order. A row that raised a fault makes the whole pass run again in row order, checked.
    const bool rows_clean = fp::CleanInParallel(
        points.Count(),
        [&](std::size_t from, std::size_t to) {
          LnMemo memo;
          for (std::size_t i = from; i < to; ++i) {
            const Extended x = points.x[i];
            const Extended kernel = kernels_current ? kernels[i] : Shape::Kernel(b, x, memo);
            Extended residual, da, db;
            Shape::Row(a, b, x, points.y[i], kernel, residual, da, db, memo);
            r[i][0] = residual;
            jacobian[i][0] = da;
            jacobian[i][1] = db;
          }
        },
        work);
    detail::ResidualSum<Extended> before{};
    if (rows_clean) {
      fp::GuardedRows<detail::ResidualSum>(
          0, points.Count(), before, [&](auto tag, auto& s, std::size_t i) {
            using T = decltype(tag);
            const T residual = T(r[i][0]);
            s.sum = s.sum + residual * residual;
          });
    } else {
      LnMemo memo;
      fp::GuardedRows<detail::ResidualSum>(
          0, points.Count(), before, [&](auto tag, auto& s, std::size_t i) {
            using T = decltype(tag);
            const T x = T(points.x[i]);
            T residual, da, db;
            Shape::Row(T(a), T(b), x, T(points.y[i]), Shape::Kernel(T(b), x, memo), residual, da,
                       db, memo);
            r[i][0] = fp::Value(residual);
            jacobian[i][0] = fp::Value(da);
            jacobian[i][1] = fp::Value(db);
            s.sum = s.sum + residual * residual;
          });
    }

    // 2. The Gauss–Newton step. The products' sizes always fit; only the inverse can fail.
    fp::Guarded([&](auto tag) {
      using T = decltype(tag);
      static_cast<void>(MatTranspose(jacobian, transposed));
      static_cast<void>(MatMult<T>(transposed, jacobian, jtj));
      static_cast<void>(MatMult<T>(transposed, r, jtr));
      if (MatInverse<T>(jtj, inverse) == kMatSingular) throw EFitError(kSingularMessage);
      static_cast<void>(MatMult<T>(inverse, jtr, step));
    });

    // 3. Take the step, halved while it raises the residual sum.
    Extended da = step[0][0];
    Extended db = step[1][0];
    int halvings = 0;
    std::optional<Extended> after;
    for (;;) {
      after = detail::TrialResidualSum<Shape>(points, a, da, b, db, kernels, residuals, work);
      kernels_current = false;
      if (after && *after <= before.sum) break;
      if (halvings == kMaxHalvings) {
        if (log) log->stalled = true;
        context.refinement->end = RefinementEnd::kStalled;
        return {a, b};
      }
      da = da / 2;
      db = db / 2;
      ++halvings;
    }
    a = a + da;
    b = b + db;
    kernels_current = true;  // the trial just taken evaluated them at this b

    // 4. Convergence measure.
    q = fp::RunChecked(
        [&] { return (fp::Checked(1) - fp::Checked(*after) / fp::Checked(before.sum)).v; });
    ++context.refinement->iterations;
    if (log) log->steps.push_back({before.sum, *after, q, halvings, {a, b}});
  }
  return {a, b};
}

}  // namespace tarvolen::fit
