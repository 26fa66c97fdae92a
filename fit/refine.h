#pragma once

// The Gauss–Newton refinement of the models that start from a straight line through logarithms
// (compound, exponential, power, geometric, geometric2): least squares on Y itself, from start
// values, until a full step lowers the residual sum by at most one millionth of it. Where a full
// step fails, Levenberg–Marquardt damping takes over until full steps work again.
//
// A model's shape supplies, as templates on the number type T (`Extended` or `fp::Checked`):
//
//   Kernel(b, x, memo) -> T           the part of f = Kernel(b, x)·a that b decides, in the
//                                     model's order (e^(b·x), bˣ, x^b, ...)
//   Row(a, b, x, y, kernel, r, da, db, memo)
//                                     the rest of one linearisation row from that kernel:
//                                     r = y - f, then the derivatives of f by a and by b
//   kGrowthFactor (optional, true)    b is a factor raised to x (bˣ), moved along ln b as a is
//                                     along ln a (see Refine)
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
#include <utility>
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
// The damping a refinement starts with, relative to the diagonal of JᵀJ, the first time a full
// step raises the residual sum.
inline constexpr Extended kInitialDamping = 1e-3L;
// Damped trials of one iteration that may raise the residual sum before the refinement gives up.
inline constexpr int kMaxDampedTrials = 100;

inline std::string NoConvergenceMessage(int iterations) {
  return "The refinement did not settle within " + std::to_string(iterations) +
         " iterations: the data do not determine the model's coefficients";
}

inline std::string StalledMessage(int iterations) {
  return "The refinement stalled after " + std::to_string(iterations) +
         " iterations: no step lowers the residual sum, yet the fit is short of its optimum";
}

// What one iteration did.
struct RefinementStep {
  Extended before = 0;   // residual sum at the coefficients before the step
  Extended after = 0;    // residual sum at the coefficients taken
  Extended q = 0;        // 1 - after / before
  Extended damping = 0;  // λ of the step taken: 0 for a full Gauss–Newton step
  int rejected = 0;      // trials of this iteration that raised the residual sum
  CoefficientPair taken{0, 0};
};

// The course of one refinement, for tests and measurements.
struct RefinementLog {
  CoefficientPair start{0, 0};
  std::vector<RefinementStep> steps;
  RefinementEnd end = RefinementEnd::kConverged;
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

// Whether the shape's b is a growth factor (bˣ).
template <class Shape>
inline constexpr bool kGrowthFactor = requires { requires Shape::kGrowthFactor; };

// The coefficients moved by (da, db): added, or, `along_logarithms`, a·e^(da/a) (and b·e^(db/b)
// for a growth factor b). Nothing when forming them raised a floating-point fault.
template <class Shape>
std::optional<CoefficientPair> Moved(Extended a, Extended da, Extended b, Extended db,
                                     bool along_logarithms) {
  CoefficientPair moved{0, 0};
  if (!fp::RanClean([&] {
        const bool log_a = along_logarithms && a != 0;
        const bool log_b = along_logarithms && kGrowthFactor<Shape> && b != 0;
        moved.a = log_a ? a * fp::Exp(da / a) : a + da;
        moved.b = log_b ? b * fp::Exp(db / b) : b + db;
      })) {
    return std::nullopt;
  }
  return moved;
}

// The residual sum at `trial`, or nothing when forming it raised a floating-point fault. Leaves
// Kernel(trial.b, x) of every row in `kernels`. Round by round, the residuals are formed on the
// cores, then added in row order.
template <class Shape>
std::optional<Extended> TrialResidualSum(const DataPoints& points, CoefficientPair trial,
                                         std::vector<Extended>& kernels,
                                         std::vector<Extended>& residuals,
                                         const WorkContext& work) {
  const Extended trial_a = trial.a;
  const Extended trial_b = trial.b;
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

// JᵀJ and Jᵀr at one iteration's coefficients, and the damped steps from them.
class Normal {
 public:
  Normal(const RCOMat& jtj, const RCOMat& jtr)
      : j00_(jtj[0][0]), j01_(jtj[0][1]), j10_(jtj[1][0]), j11_(jtj[1][1]), g0_(jtr[0][0]),
        g1_(jtr[1][0]) {}

  // The step of (JᵀJ + λ·D)·d = Jᵀr, D the diagonal of JᵀJ, through the matrix routines. Solved as
  // the same system with its off-diagonal and right side divided by 1 + λ: a large λ then
  // neither overflows nor needs a bound, the step just falls to 0.
  std::pair<Extended, Extended> DampedStep(Extended lambda) const {
    std::pair<Extended, Extended> d{0, 0};
    fp::Guarded([&](auto tag) {
      using T = decltype(tag);
      const T shrink = T(Extended(1)) / (T(Extended(1)) + T(lambda));
      RCOMat normal = {{j00_, fp::Value(T(j01_) * shrink)}, {fp::Value(T(j10_) * shrink), j11_}};
      const RCOMat rhs = {{fp::Value(T(g0_) * shrink)}, {fp::Value(T(g1_) * shrink)}};
      RCOMat inverse, solution;
      if (MatInverse<T>(normal, inverse) == kMatSingular) throw EFitError(kSingularMessage);
      static_cast<void>(MatMult<T>(inverse, rhs, solution));
      d = {solution[0][0], solution[1][0]};
    });
    return d;
  }

  RefinementNormal AtCoefficients() const { return {j00_, j01_, j11_}; }

  // The drop of the residual sum the linearisation promises for the step d: 2·dᵀJᵀr - dᵀJᵀJd.
  template <class T>
  T Promised(T da, T db) const {
    const T two = Extended(2);
    return da * (two * T(g0_) - (T(j00_) * da + T(j01_) * db)) +
           db * (two * T(g1_) - (T(j10_) * da + T(j11_) * db));
  }

 private:
  Extended j00_, j01_, j10_, j11_, g0_, g1_;
};

// The λ of the next damped step after one with the given gain ratio (the drop achieved over the
// drop promised) was taken: lowered where the linearisation predicted well, raised where not.
inline Extended NextDamping(Extended lambda, Extended before, Extended after, Extended promised) {
  const Extended gain =
      promised > 0 ? std::clamp((before - after) / promised, Extended(0), Extended(1)) : 1;
  const Extended cube = (2 * gain - 1) * (2 * gain - 1) * (2 * gain - 1);
  return lambda * std::max(Extended(1) / 3, 1 - cube);
}

// Whether the drop of a full step, q, lets the refinement stop: at most kConvergenceThreshold, and
// so is what the drops to come add up to where each is a steady share of the one before (a slowly
// converging or oscillating iteration): q·share/(1 - share) more, share = q/previous_q.
inline bool DropSettled(Extended q, std::optional<Extended> previous_q) {
  if (!(q <= kConvergenceThreshold)) return false;
  if (!previous_q || q <= 0) return true;
  const Extended share = q / *previous_q;
  return share < 1 && q <= kConvergenceThreshold * (1 - share);
}

// The drop that a full step from (a, b) promises, gᵀ(JᵀJ)⁻¹g with g = Jᵀr, as a share of the
// residual sum there: small where the gradient vanishes. `kernels` hold Kernel(b, x); the rows'
// values go through `r` and `jacobian`, and JᵀJ goes to `normal`. Nothing when forming it raised a
// floating-point fault (then `normal` is left as it was) or JᵀJ is singular.
template <class Shape>
std::optional<Extended> PromisedShare(const DataPoints& points, Extended a, Extended b,
                                      const std::vector<Extended>& kernels, RCOMat& r,
                                      RCOMat& jacobian, const WorkContext& work,
                                      std::optional<RefinementNormal>& normal) {
  const bool rows_clean = fp::CleanInParallel(
      points.Count(),
      [&](std::size_t from, std::size_t to) {
        LnMemo memo;
        for (std::size_t i = from; i < to; ++i) {
          Extended residual, da, db;
          Shape::Row(a, b, points.x[i], points.y[i], kernels[i], residual, da, db, memo);
          r[i][0] = residual;
          jacobian[i][0] = da;
          jacobian[i][1] = db;
        }
      },
      work);
  Extended share = -1;
  RefinementNormal sums;
  const bool sums_clean = fp::RanClean(
      [&] {
        Extended j00 = 0, j01 = 0, j11 = 0, g0 = 0, g1 = 0, sum = 0;
        for (std::size_t i = 0; i < points.Count(); ++i) {
          const Extended residual = r[i][0];
          const Extended da = jacobian[i][0];
          const Extended db = jacobian[i][1];
          j00 = j00 + da * da;
          j01 = j01 + da * db;
          j11 = j11 + db * db;
          g0 = g0 + da * residual;
          g1 = g1 + db * residual;
          sum = sum + residual * residual;
        }
        sums = {j00, j01, j11};
        // gᵀ(JᵀJ)⁻¹g by elimination: g0²/j00 + (g1 - m·g0)²/(j11 - m·j01), m = j01/j00.
        const Extended m = j01 / j00;
        const Extended rest = j11 - m * j01;
        if (j00 > 0 && rest > 0 && sum > 0) {
          const Extended g1_rest = g1 - m * g0;
          share = (g0 * (g0 / j00) + g1_rest * (g1_rest / rest)) / sum;
        }
      },
      share);
  if (!rows_clean || !sums_clean) return std::nullopt;
  normal = sums;
  if (share < 0) return std::nullopt;
  return share;
}

}  // namespace detail

// Refines (a, b) from `start` by least squares on the data rows. Each iteration:
//   1. linearisation pass: r(i) = y - f and the Jacobian row (df/da, df/db) at the current
//      coefficients, summing the residual sum before the step;
//   2. Jᵀ, JᵀJ, Jᵀr, the inverse of JᵀJ and the Gauss–Newton step d = inverse·Jᵀr, in that
//      order, through the matrix routines;
//   3. steps are tried until one is taken:
//      - the full step a + d(0), b + d(1), taken when the residual sum there is at most the sum
//        before;
//      - the same step along the logarithms, a·e^(d(0)/a) (and b·e^(d(1)/b) for a growth
//        factor), taken when it lowers the sum. To first order the same move, but one that keeps
//        the model's scale in step with its rate: e^(b·x)·a at X near 2000 wants a to shrink
//        e-fold for every 1/2000 that b grows, which the added step overshoots;
//      - damped steps, (JᵀJ + λ·D)·d = Jᵀr with D the diagonal of JᵀJ, moved along the
//        logarithms, λ raised (by 2, 4, 8, ... times) until one lowers the sum. λ then follows the
//        gain ratio of that step and is kept for the next iteration's damping;
//   4. q = 1 - after / before.
// Only a full step ends the refinement: when its q is at most kConvergenceThreshold, so is what
// the drops still to come add up to (DropSettled), and the full step from the new coefficients
// promises no more either (the gradient vanishes there). A damped step's drop is small because
// the step is, and says nothing about the optimum. When damping no longer moves the coefficients,
// the refinement ends as converged if the full step promised at most kConvergenceThreshold of the
// sum (the optimum, up to the rounding of the residual sum), and stalls otherwise.
//
// Failures end the fit: a floating-point fault in step 1 or 2 or in q (with the error of the
// first failing operation: q is 0/0 when the coefficients already fit every point exactly); a
// singular JᵀJ (EFitError kSingularMessage); `max_iterations` iterations without converging
// (EFitError NoConvergenceMessage); a stall (EFitError StalledMessage). `context` gives the
// threads and the progress; the refinement leaves its iteration count and how it ended in
// `context.refinement` (with JᵀJ at the coefficients it returns), its course in `context.log`
// when there is one.
//
// Where every full step lowers the residual sum and the refinement converges quickly, the
// coefficients are those of the plain Gauss–Newton iteration, operation for operation.
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

  if (log) *log = RefinementLog{start, {}, RefinementEnd::kConverged};
  context.refinement = RefinementSummary{};
  auto end_with = [&](RefinementEnd end) {
    context.refinement->end = end;
    if (log) log->end = end;
  };
  Extended a = start.a;
  Extended b = start.b;
  Extended lambda = kInitialDamping;
  std::optional<Extended> previous_q;
  for (int iteration = 0;; ++iteration) {
    if (iteration == max_iterations) {
      end_with(RefinementEnd::kIterationLimit);
      throw EFitError(NoConvergenceMessage(max_iterations));
    }
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

    // 2. The Gauss–Newton step. The products' sizes always fit; only the inverse can fail. JᵀJ
    // is kept for the damped steps (the inverse overwrites it).
    std::optional<detail::Normal> normal;
    fp::Guarded([&](auto tag) {
      using T = decltype(tag);
      static_cast<void>(MatTranspose(jacobian, transposed));
      static_cast<void>(MatMult<T>(transposed, jacobian, jtj));
      static_cast<void>(MatMult<T>(transposed, r, jtr));
      normal.emplace(jtj, jtr);
      if (MatInverse<T>(jtj, inverse) == kMatSingular) throw EFitError(kSingularMessage);
      static_cast<void>(MatMult<T>(inverse, jtr, step));
    });
    const Extended da = step[0][0];
    const Extended db = step[1][0];

    // 3. The steps, in turn: 0 the full step, 1 the full step along the logarithms (where that
    // is another step), then damped ones.
    const bool logarithms_differ = a != 0 || (detail::kGrowthFactor<Shape> && b != 0);
    Extended raise = 2;
    for (int trial_number = 0;; ++trial_number) {
      if (trial_number == 1 && !logarithms_differ) continue;
      const bool full = trial_number < 2;
      const auto [step_a, step_b] = full ? std::pair{da, db} : normal->DampedStep(lambda);
      const std::optional<CoefficientPair> trial =
          detail::Moved<Shape>(a, step_a, b, step_b, trial_number > 0);
      if (!full && (trial_number > kMaxDampedTrials || (trial && trial->a == a && trial->b == b))) {
        // Damping no longer moves the coefficients: the full step's promise decides.
        const Extended promised = fp::RunChecked([&] {
          return (normal->Promised(fp::Checked(da), fp::Checked(db)) / fp::Checked(before.sum)).v;
        });
        if (promised <= kConvergenceThreshold) {
          end_with(RefinementEnd::kAtPrecisionLimit);
          context.refinement->normal = normal->AtCoefficients();
          return {a, b};
        }
        end_with(RefinementEnd::kStalled);
        throw EFitError(StalledMessage(context.refinement->iterations));
      }
      std::optional<Extended> after;
      if (trial) after = detail::TrialResidualSum<Shape>(points, *trial, kernels, residuals, work);
      kernels_current = false;
      const bool taken =
          after && (trial_number == 0 ? *after <= before.sum : *after < before.sum);
      if (!taken) {
        if (!full) {
          lambda = lambda * raise;
          raise = raise * 2;
        }
        continue;
      }
      a = trial->a;
      b = trial->b;
      kernels_current = true;  // the trial just taken evaluated them at this b

      // 4. Convergence measure.
      const Extended q = fp::RunChecked(
          [&] { return (fp::Checked(1) - fp::Checked(*after) / fp::Checked(before.sum)).v; });
      ++context.refinement->iterations;
      if (log) {
        log->steps.push_back({before.sum, *after, q, full ? 0 : lambda, trial_number, {a, b}});
      }
      if (full && detail::DropSettled(q, previous_q)) {
        // A promise that cannot be formed leaves the drop's word standing.
        context.refinement->normal.reset();
        const std::optional<Extended> promised = detail::PromisedShare<Shape>(
            points, a, b, kernels, r, jacobian, work, context.refinement->normal);
        if (!promised || *promised <= kConvergenceThreshold) return {a, b};
      }
      lambda = full ? std::max(lambda / 3, kInitialDamping)
                    : detail::NextDamping(lambda, before.sum, *after,
                                          normal->Promised(step_a, step_b));
      previous_q = q;
      break;
    }
  }
}

}  // namespace tarvolen::fit
