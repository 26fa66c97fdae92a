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
  // Latency: the argument moved by a tiny share of the last result stays in the range (and
  // positive for the logarithm).
  const auto shifted = [](Extended x, Extended carry) { return x + carry * 1e-30L; };
  const auto scaled = [](Extended x, Extended carry) { return x * (1 + carry * 1e-30L); };
  benchmark::RegisterBenchmark("Latency/exp/ours", [&](benchmark::State& s) {
    Latency(
        s, a.exponent, [](Extended x) { return ext::Exp(x); }, shifted);
  });
  benchmark::RegisterBenchmark("Latency/exp/expl", [&](benchmark::State& s) {
    Latency(s, a.exponent, library_exp, shifted);
  });
  benchmark::RegisterBenchmark("Latency/ln/ours", [&](benchmark::State& s) {
    Latency(
        s, a.positive, [](Extended x) { return ext::Ln(x); }, scaled);
  });
  benchmark::RegisterBenchmark(
      "Latency/ln/logl", [&](benchmark::State& s) { Latency(s, a.positive, library_ln, scaled); });
  benchmark::RegisterBenchmark("Latency/pow/ours", [&](benchmark::State& s) {
    Latency(
        s, a.base, [&](Extended x) { return ext::Pow(x, 2.5L); }, scaled);
  });
  benchmark::RegisterBenchmark("Latency/pow/expl(y*logl)", [&](benchmark::State& s) {
    const auto e = library_exp;
    const auto l = library_ln;
    Latency(
        s, a.base, [&](Extended x) { return e(2.5L * l(x)); }, scaled);
  });

  const auto calls = [&](const char* name, auto f) {
    benchmark::RegisterBenchmark(name, [f](benchmark::State& s) { Calls(s, f); });
  };
  calls("Calls/exp/ours", [&](V& out) {
    for (std::size_t i = 0; i < kValues; ++i) out[i] = ext::Exp(a.exponent[i]);
  });
  calls("Calls/exp/expl", [&](V& out) {
    const auto f = library_exp;
    for (std::size_t i = 0; i < kValues; ++i) out[i] = f(a.exponent[i]);
  });
  calls("Block/exp/ours", [&](V& out) { ext::Exp(a.exponent, out); });

  calls("Calls/ln/ours", [&](V& out) {
    for (std::size_t i = 0; i < kValues; ++i) out[i] = ext::Ln(a.positive[i]);
  });
  calls("Calls/ln/logl", [&](V& out) {
    const auto f = library_ln;
    for (std::size_t i = 0; i < kValues; ++i) out[i] = f(a.positive[i]);
  });
  calls("Block/ln/ours", [&](V& out) { ext::Ln(a.positive, out); });

  calls("Calls/log10/ours", [&](V& out) {
    for (std::size_t i = 0; i < kValues; ++i) out[i] = ext::Log10(a.positive[i]);
  });
  calls("Calls/log10/log10l", [&](V& out) {
    const auto f = library_log10;
    for (std::size_t i = 0; i < kValues; ++i) out[i] = f(a.positive[i]);
  });
  calls("Block/log10/ours", [&](V& out) { ext::Log10(a.positive, out); });

  // The exponential model's kernel e^(b·x): ours from the exact product, the library's from
  // the rounded one.
  calls("Calls/exp(b*x)/ours", [&](V& out) {
    for (std::size_t i = 0; i < kValues; ++i) out[i] = ext::ExpOfProduct(kRate, a.x[i]);
  });
  calls("Calls/exp(b*x)/expl", [&](V& out) {
    const auto f = library_exp;
    for (std::size_t i = 0; i < kValues; ++i) out[i] = f(kRate * a.x[i]);
  });
  calls("Block/exp(b*x)/ours", [&](V& out) { ext::ExpOfProduct({kRate, 0}, a.x, out); });

  // base^y: ours, the fits' e^(y·ln base) through the library, and powl.
  calls("Calls/pow/ours", [&](V& out) {
    for (std::size_t i = 0; i < kValues; ++i) out[i] = ext::Pow(a.base[i], a.power[i]);
  });
  calls("Calls/pow/expl(y*logl)", [&](V& out) {
    const auto e = library_exp;
    const auto l = library_ln;
    for (std::size_t i = 0; i < kValues; ++i) out[i] = e(a.power[i] * l(a.base[i]));
  });
  calls("Calls/pow/powl", [&](V& out) {
    const auto f = library_pow;
    for (std::size_t i = 0; i < kValues; ++i) out[i] = f(a.base[i], a.power[i]);
  });
  calls("Block/pow/ours", [&](V& out) { ext::Pow(a.base, a.power, out); });

  // The compound model's kernel bˣ for one b and many x, its logarithm taken once.
  calls("Block/b^x/ours", [&](V& out) { ext::ExpOfProduct(ext::LnWide(2.7066887L), a.x, out); });
}

const bool registered = (Register(), true);

}  // namespace
}  // namespace tarvolen
