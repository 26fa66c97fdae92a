// The extended-precision exp, logarithms and powers of common/ext_math.h against the C
// library's expl, logl, log10l and powl, in nanoseconds per value ("ns/value"):
//
//   Latency/...  each call waits for the one before (x feeds back into the next argument)
//   Calls/...    one call per value over an array of 4096 independent arguments
//   Block/...    the block form over the same array (ours only)
//
// The arguments are those of the fits: exponents in [-20, 20], logarithms over the whole
// positive range, powers of bases in [1/100, 100] to exponents in [-20, 20], and e^(b·x) of the
// exponential model's rate b.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/ext_math.h"

namespace tarvolen {
namespace {

constexpr std::size_t kValues = 4096;

struct Arguments {
  std::vector<Extended> exponent, positive, base, power, x;
  Arguments() {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> unit(0, 1);
    for (std::size_t i = 0; i < kValues; ++i) {
      exponent.push_back(-20 + 40 * static_cast<Extended>(unit(random)));
      positive.push_back(expl(-690 + 1380 * static_cast<Extended>(unit(random))));
      base.push_back(expl(-4.6L + 9.2L * static_cast<Extended>(unit(random))));
      power.push_back(-20 + 40 * static_cast<Extended>(unit(random)));
      x.push_back(20 * static_cast<Extended>(unit(random)));
    }
  }
};
const Arguments& Args() {
  static const Arguments arguments;
  return arguments;
}

constexpr Extended kRate = 0.99572601641L;

// A value per iteration, the next argument depending on the last result through a cheap step
// that keeps it in range (the same step for both sides).
template <class F, class Next>
void Latency(benchmark::State& state, const std::vector<Extended>& in, F f, Next next) {
  Extended carry = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    carry = f(next(in[i], carry));
    i = (i + 1) & (kValues - 1);
  }
  benchmark::DoNotOptimize(carry);
  state.counters["ns/value"] =
      benchmark::Counter(static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <class F>
void Calls(benchmark::State& state, F f) {
  std::vector<Extended> out(kValues);
  for (auto _ : state) {
    f(out);
    benchmark::ClobberMemory();
  }
  state.counters["ns/value"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kValues),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Through pointers, so that the compiler calls the library as the fits do.
Extended (*volatile library_exp)(Extended) = expl;
Extended (*volatile library_ln)(Extended) = logl;
Extended (*volatile library_log10)(Extended) = log10l;
Extended (*volatile library_pow)(Extended, Extended) = powl;

void Register() {
  const Arguments& a = Args();
  using V = std::vector<Extended>;
  const auto latency = [&](const char* name, const V& in, auto f, auto next) {
    benchmark::RegisterBenchmark(name,
                                 [&in, f, next](benchmark::State& s) { Latency(s, in, f, next); });
  };
  // out[i] = f(i) for every i, as the one-value calls of a loop.
  const auto calls = [&](const char* name, auto f) {
    benchmark::RegisterBenchmark(name, [f](benchmark::State& s) {
      Calls(s, [&f](V& out) {
        for (std::size_t i = 0; i < kValues; ++i) out[i] = f(i);
      });
    });
  };
  const auto block = [&](const char* name, auto f) {
    benchmark::RegisterBenchmark(name, [f](benchmark::State& s) { Calls(s, f); });
  };

  // The argument moved by a tiny share of the last result stays in the range (and positive
  // for the logarithm).
  const auto shifted = [](Extended x, Extended carry) { return x + carry * 1e-30L; };
  const auto scaled = [](Extended x, Extended carry) { return x * (1 + carry * 1e-30L); };
  latency(
      "Latency/exp/ours", a.exponent, [](Extended x) { return ext::Exp(x); }, shifted);
  latency("Latency/exp/expl", a.exponent, library_exp, shifted);
  latency(
      "Latency/ln/ours", a.positive, [](Extended x) { return ext::Ln(x); }, scaled);
  latency("Latency/ln/logl", a.positive, library_ln, scaled);
  latency(
      "Latency/pow/ours", a.base, [](Extended x) { return ext::Pow(x, 2.5L); }, scaled);
  latency(
      "Latency/pow/expl(y*logl)", a.base,
      [e = library_exp, l = library_ln](Extended x) { return e(2.5L * l(x)); }, scaled);

  calls("Calls/exp/ours", [&](std::size_t i) { return ext::Exp(a.exponent[i]); });
  calls("Calls/exp/expl", [&, f = library_exp](std::size_t i) { return f(a.exponent[i]); });
  block("Block/exp/ours", [&](V& out) { ext::Exp(a.exponent, out); });

  calls("Calls/ln/ours", [&](std::size_t i) { return ext::Ln(a.positive[i]); });
  calls("Calls/ln/logl", [&, f = library_ln](std::size_t i) { return f(a.positive[i]); });
  block("Block/ln/ours", [&](V& out) { ext::Ln(a.positive, out); });

  calls("Calls/log10/ours", [&](std::size_t i) { return ext::Log10(a.positive[i]); });
  calls("Calls/log10/log10l", [&, f = library_log10](std::size_t i) { return f(a.positive[i]); });
  block("Block/log10/ours", [&](V& out) { ext::Log10(a.positive, out); });

  // The exponential model's kernel e^(b·x): ours from the exact product, the library's from
  // the rounded one.
  calls("Calls/exp(b*x)/ours", [&](std::size_t i) { return ext::ExpOfProduct(kRate, a.x[i]); });
  calls("Calls/exp(b*x)/expl", [&, f = library_exp](std::size_t i) { return f(kRate * a.x[i]); });
  block("Block/exp(b*x)/ours", [&](V& out) { ext::ExpOfProduct({kRate, 0}, a.x, out); });

  // base^y: ours, the fits' e^(y·ln base) through the library, and powl.
  calls("Calls/pow/ours", [&](std::size_t i) { return ext::Pow(a.base[i], a.power[i]); });
  calls("Calls/pow/expl(y*logl)", [&, e = library_exp, l = library_ln](std::size_t i) {
    return e(a.power[i] * l(a.base[i]));
  });
  calls("Calls/pow/powl", [&, f = library_pow](std::size_t i) { return f(a.base[i], a.power[i]); });
  block("Block/pow/ours", [&](V& out) { ext::Pow(a.base, a.power, out); });

  // The compound model's kernel bˣ for one b and many x, its logarithm taken once.
  block("Block/b^x/ours", [&](V& out) { ext::ExpOfProduct(ext::LnWide(2.7066887L), a.x, out); });
}

const bool registered = (Register(), true);

}  // namespace
}  // namespace tarvolen
