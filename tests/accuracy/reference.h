#pragma once

// Measures the extended-precision exp, logarithms and powers of common/ext_math.h against an
// arbitrary-precision reference (MPFR, 256 bits) and their faults against the C library's.

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/extended.h"

namespace tarvolen::accuracy {

enum class Function { kExp, kLn, kLog10, kExpOfProduct, kPow };
inline constexpr Function kFunctions[] = {Function::kExp, Function::kLn, Function::kLog10,
                                          Function::kExpOfProduct, Function::kPow};
const char* NameOf(Function f);

// An argument; y only for the functions of two arguments: ExpOfProduct(x, y) = e^(x·y),
// Pow(x, y) = e^(y·ln x).
struct Args {
  Extended x = 0;
  Extended y = 0;
};
std::string Describe(Function f, Args a);

// The invalid-operation, division-by-zero and overflow flags an evaluation raised.
enum Fault : int { kInvalid = 1, kZeroDivide = 2, kOverflow = 4 };
std::string FaultNames(int faults);

// What one argument showed.
struct Finding {
  Extended rounded = 0;            // the exact value rounded once to extended (NaN where undefined)
  double ulps = 0;                 // |ours - exact| in units in the last place of the exact value
  bool correctly_rounded = false;  // ours == rounded (both NaN counts)
  bool exact = false;  // the exact value is an extended real (NaN, ∞ and zero included)
  int faults = 0;      // ours
  int expected_faults = 0;
};

// The reference: keeps its MPFR numbers between calls, so one per thread.
class Reference {
 public:
  Reference();
  ~Reference();
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  // Our value and faults for `a` against the exact value and the expected faults: those of the
  // C library (expl, logl, log10l; for the two-argument functions the definitions e^(x·y) and
  // e^(y·logl x) with the product rounded), except that an overflow of the result itself is
  // expected exactly where the exact value rounds beyond the extended range.
  Finding Check(Function f, Args a);

 private:
  struct Numbers;
  std::unique_ptr<Numbers> n_;
};

// The results over many arguments.
struct Tally {
  long count = 0;
  long correctly_rounded = 0;
  long fault_mismatches = 0;
  long exact_missed = 0;  // exact values that did not come out exactly
  double max_ulps = 0;
  Args worst;
  std::vector<std::string> problems;  // the first few arguments off by 1 ulp or more, whose
                                      // faults differ, or whose exact value came out inexactly

  void Add(Function f, Args a, const Finding& finding);
  double CorrectlyRoundedShare() const {
    return count ? static_cast<double>(correctly_rounded) / count : 1;
  }
};

// A way of drawing random arguments that spreads them over one part of a function's domain.
struct Domain {
  Function function;
  const char* name;
  Args (*draw)(std::mt19937_64& random);
};
const std::vector<Domain>& Domains();

// The arguments where faults and special values begin, where exact results are due, and the
// edges of every range the functions treat apart, each with its neighbours.
std::vector<Args> HardCases(Function f);

}  // namespace tarvolen::accuracy
