// The full accuracy run: random arguments over every domain of every function, and the hard
// cases, against the 256-bit reference; prints the table the README shows.
//
// Usage: accuracy_run [arguments per function, default 10000000] [seed]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "accuracy/reference.h"

using namespace tarvolen::accuracy;

namespace {

void PrintRow(Function f, const char* domain, const Tally& t) {
  std::printf("| %s | %s | %ld | %.4f | %.4f %% | %ld | %ld | %s |\n", NameOf(f), domain, t.count,
              t.max_ulps, 100 * t.CorrectlyRoundedShare(), t.exact_missed, t.fault_mismatches,
              Describe(f, t.worst).c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const long per_function = argc > 1 ? std::atol(argv[1]) : 10000000;
  const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;
  const auto start = std::chrono::steady_clock::now();
  std::printf(
      "%ld random arguments per function (seed %lu) and the hard cases, against MPFR at "
      "256 bits\n\n",
      per_function, seed);
  std::printf(
      "| function | arguments | count | max error (ulp) | correctly rounded | exact "
      "values missed | fault mismatches | worst argument |\n"
      "| --- | --- | ---: | ---: | ---: | ---: | ---: | --- |\n");
  Reference reference;
  std::mt19937_64 random(seed);
  bool sound = true;
  for (const Function f : kFunctions) {
    long domains = 0;
    for (const Domain& d : Domains()) domains += d.function == f;
    for (const Domain& d : Domains()) {
      if (d.function != f) continue;
      Tally tally;
      for (long i = 0; i < per_function / domains; ++i) {
        const Args a = d.draw(random);
        tally.Add(f, a, reference.Check(f, a));
      }
      PrintRow(f, d.name, tally);
      sound = sound && tally.max_ulps < 1 && tally.CorrectlyRoundedShare() > 0.999 &&
              tally.fault_mismatches == 0 && tally.exact_missed == 0;
      for (const std::string& p : tally.problems) std::fprintf(stderr, "%s\n", p.c_str());
    }
    Tally hard;
    for (const Args& a : HardCases(f)) hard.Add(f, a, reference.Check(f, a));
    PrintRow(f, "hard cases", hard);
    sound = sound && hard.max_ulps < 1 && hard.fault_mismatches == 0 && hard.exact_missed == 0;
    for (const std::string& p : hard.problems) std::fprintf(stderr, "%s\n", p.c_str());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("\n%s in %.0f s\n", sound ? "All within the bounds" : "BOUNDS MISSED", seconds);
  return sound ? 0 : 1;
}
