#include "accuracy/reference.h"

#include <mpfr.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/ext_math.h"

namespace tarvolen::accuracy {

namespace {

constexpr int kPrecision = 256;

Extended FromBits(std::uint16_t sign_exponent, std::uint64_t significand) {
  return std::bit_cast<Extended>(ext::detail::Bits{significand, sign_exponent, {0, 0, 0}});
}

int RaisedFaults() {
  const int f = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
  return (f & FE_INVALID ? kInvalid : 0) | (f & FE_DIVBYZERO ? kZeroDivide : 0) |
         (f & FE_OVERFLOW ? kOverflow : 0);
}

// Out of line, so that the evaluation stays between the clearing and the reading of the flags.
[[gnu::noinline]] Extended OursValue(Function f, Args a) {
  switch (f) {
    case Function::kExp:
      return ext::Exp(a.x);
    case Function::kLn:
      return ext::Ln(a.x);
    case Function::kLog10:
      return ext::Log10(a.x);
    case Function::kExpOfProduct:
      return ext::ExpOfProduct(a.x, a.y);
    case Function::kPow:
      return ext::Pow(a.x, a.y);
  }
  return 0;
}

// The function of common/ext_math.h, with its faults.
struct Outcome {
  Extended value = 0;
  int faults = 0;
};
Outcome Ours(Function f, Args a) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const Extended value = OursValue(f, a);
  return {value, RaisedFaults()};
}

// The C library's functions, called through pointers the compiler cannot see through.
Extended (*volatile library_exp)(Extended) = expl;
Extended (*volatile library_ln)(Extended) = logl;
Extended (*volatile library_log10)(Extended) = log10l;

[[gnu::noinline]] Extended Product(Extended a, Extended b) {
  return a * b;
}

// The library's faults for `a`; for the two-argument functions `product` is the rounded
// product of the definition and `product_faults` its own faults.
int LibraryFaults(Function f, Args a, int& product_faults, Extended& product) {
  volatile Extended sink;
  int before = 0;  // the logarithm's faults
  std::feclearexcept(FE_ALL_EXCEPT);
  switch (f) {
    case Function::kExp:
      sink = library_exp(a.x);
      break;
    case Function::kLn:
      sink = library_ln(a.x);
      break;
    case Function::kLog10:
      sink = library_log10(a.x);
      break;
    case Function::kExpOfProduct:
      product = Product(a.x, a.y);
      product_faults = RaisedFaults();
      std::feclearexcept(FE_ALL_EXCEPT);
      sink = library_exp(product);
      break;
    case Function::kPow: {
      const Extended ln = library_ln(a.x);
      before = RaisedFaults();
      std::feclearexcept(FE_ALL_EXCEPT);
      product = Product(a.y, ln);
      product_faults = RaisedFaults();
      std::feclearexcept(FE_ALL_EXCEPT);
      sink = library_exp(product);
      break;
    }
  }
  (void)sink;
  return RaisedFaults() | product_faults | before;
}

// An encoding the arithmetic rejects: pseudo-NaN, pseudo-infinity, unnormal.
bool Rejected(Extended x) {
  const auto b = std::bit_cast<ext::detail::Bits>(x);
  const unsigned e = b.sign_exponent & 0x7FFF;
  return e != 0 && !(b.significand >> 63);
}

bool PositiveFinite(Extended x) {
  return x > 0 && std::isfinite(x);
}

}  // namespace

const char* NameOf(Function f) {
  switch (f) {
    case Function::kExp:
      return "Exp";
    case Function::kLn:
      return "Ln";
    case Function::kLog10:
      return "Log10";
    case Function::kExpOfProduct:
      return "ExpOfProduct";
    case Function::kPow:
      return "Pow";
  }
  return "?";
}

std::string Describe(Function f, Args a) {
  char text[160];
  if (f == Function::kExpOfProduct || f == Function::kPow) {
    std::snprintf(text, sizeof text, "%s(%La, %La) = %s(%.21Lg, %.21Lg)", NameOf(f), a.x, a.y,
                  NameOf(f), a.x, a.y);
  } else {
    std::snprintf(text, sizeof text, "%s(%La) = %s(%.21Lg)", NameOf(f), a.x, NameOf(f), a.x);
  }
  return text;
}

std::string FaultNames(int faults) {
  std::string names;
  if (faults & kInvalid) names += " invalid";
  if (faults & kZeroDivide) names += " zero-divide";
  if (faults & kOverflow) names += " overflow";
  return names.empty() ? " none" : names;
}

struct Reference::Numbers {
  mpfr_t x, y, exact, rounded, difference;
  Numbers() {
    mpfr_inits2(kPrecision, x, y, exact, difference, static_cast<mpfr_ptr>(nullptr));
    mpfr_init2(rounded, 64);
  }
  ~Numbers() { mpfr_clears(x, y, exact, rounded, difference, static_cast<mpfr_ptr>(nullptr)); }

  // `exact` rounded to nearest extended: 64 bits, denormals on the grid 2^-16445, ∞ beyond.
  // `inexact` is cleared when the exact value is an extended real.
  Extended RoundExact(bool& inexact) {
    if (mpfr_nan_p(exact)) return std::numeric_limits<Extended>::quiet_NaN();
    if (mpfr_inf_p(exact) || mpfr_zero_p(exact)) return mpfr_get_ld(exact, MPFR_RNDN);
    inexact = true;
    const bool negative = mpfr_sgn(exact) < 0;
    const mpfr_exp_t e = mpfr_get_exp(exact);  // exact = m·2^e, 1/2 <= |m| < 1
    Extended value;
    if (e < -16444) {
      // Below the smallest denormal 2^-16445: it or zero (a tie at 2^-16446 goes to zero).
      mpfr_set(difference, exact, MPFR_RNDN);
      mpfr_abs(difference, difference, MPFR_RNDN);
      value = (e == -16445 && mpfr_cmp_si_2exp(difference, 1, -16446) > 0) ? 0x1p-16445L : 0;
    } else {
      // bits available: 64 in the normal range, fewer below it
      const long bits = e >= -16381 ? 64 : e + 16445;
      mpfr_set_prec(rounded, bits);
      inexact = inexact && mpfr_set(rounded, exact, MPFR_RNDN) != 0;
      if (mpfr_get_exp(rounded) > 16384) {
        value = std::numeric_limits<Extended>::infinity();
      } else {
        value = fabsl(mpfr_get_ld(rounded, MPFR_RNDN));
      }
    }
    return negative ? -value : value;
  }

  // |ours - exact| in units in the last place of the exact value.
  double Ulps(Extended ours, Extended rounded_value) {
    if (mpfr_nan_p(exact)) return std::isnan(ours) ? 0 : INFINITY;
    if (std::isnan(ours)) return INFINITY;
    if (mpfr_inf_p(exact) || mpfr_zero_p(exact) || std::isinf(ours)) {
      return ours == rounded_value && std::signbit(ours) == std::signbit(rounded_value) ? 0
                                                                                        : INFINITY;
    }
    const mpfr_exp_t e = mpfr_get_exp(exact);
    const long ulp_exponent = (e >= -16381 ? e : -16381) - 64;
    mpfr_set_ld(difference, ours, MPFR_RNDN);
    mpfr_sub(difference, difference, exact, MPFR_RNDN);
    mpfr_abs(difference, difference, MPFR_RNDN);
    mpfr_mul_2si(difference, difference, -ulp_exponent, MPFR_RNDN);
    return mpfr_get_d(difference, MPFR_RNDN);
  }
};

Reference::Reference() : n_(std::make_unique<Numbers>()) {}
Reference::~Reference() = default;

Finding Reference::Check(Function f, Args a) {
  const Outcome ours = Ours(f, a);
  Numbers& n = *n_;
  mpfr_set_ld(n.x, a.x, MPFR_RNDN);
  mpfr_set_ld(n.y, a.y, MPFR_RNDN);
  int inexact = 0;  // the reference's own rounding (none for an exact result)
  switch (f) {
    case Function::kExp:
      inexact = mpfr_exp(n.exact, n.x, MPFR_RNDN);
      break;
    case Function::kLn:
      inexact = mpfr_log(n.exact, n.x, MPFR_RNDN);
      break;
    case Function::kLog10:
      inexact = mpfr_log10(n.exact, n.x, MPFR_RNDN);
      break;
    case Function::kExpOfProduct:
      mpfr_mul(n.exact, n.x, n.y, MPFR_RNDN);  // exact: 128 bits suffice
      inexact = mpfr_exp(n.exact, n.exact, MPFR_RNDN);
      break;
    case Function::kPow:
      if (PositiveFinite(a.x) && std::isfinite(a.y)) {
        inexact = mpfr_pow(n.exact, n.x, n.y, MPFR_RNDN);
      } else {
        // the definition e^(y·ln x) decides the special values (a negative base has no ln)
        inexact = mpfr_log(n.exact, n.x, MPFR_RNDN);
        inexact |= mpfr_mul(n.exact, n.exact, n.y, MPFR_RNDN);
        inexact |= mpfr_exp(n.exact, n.exact, MPFR_RNDN);
      }
      break;
  }
  Finding finding;
  bool rounded_inexact = inexact != 0;
  finding.rounded = n.RoundExact(rounded_inexact);
  finding.exact = !rounded_inexact;
  finding.ulps = n.Ulps(ours.value, finding.rounded);
  finding.correctly_rounded =
      std::isnan(finding.rounded)
          ? std::isnan(ours.value)
          : std::bit_cast<ext::detail::Bits>(ours.value).significand ==
                    std::bit_cast<ext::detail::Bits>(finding.rounded).significand &&
                std::bit_cast<ext::detail::Bits>(ours.value).sign_exponent ==
                    std::bit_cast<ext::detail::Bits>(finding.rounded).sign_exponent;
  finding.faults = ours.faults;

  int product_faults = 0;
  Extended product = 0;
  int expected = LibraryFaults(f, a, product_faults, product);
  if ((f == Function::kExpOfProduct || f == Function::kPow) && std::isfinite(product) &&
      !std::isnan(finding.rounded)) {
    // The overflow of the result is decided on the exact value, not on the rounded product.
    expected &= ~kOverflow;
    expected |= product_faults & kOverflow;
    if (std::isinf(finding.rounded)) expected |= kOverflow;
  }
  // An encoding the arithmetic rejects is an invalid operation, and nothing else matters to a
  // fit (invalid ranks first); the library's expl raises overflow besides for some of them.
  if (Rejected(a.x) || ((f == Function::kExpOfProduct || f == Function::kPow) && Rejected(a.y))) {
    expected &= ~kOverflow;
  }
  finding.expected_faults = expected;
  return finding;
}

void Tally::Add(Function f, Args a, const Finding& finding) {
  ++count;
  if (finding.correctly_rounded) ++correctly_rounded;
  const bool faults_differ = finding.faults != finding.expected_faults;
  if (faults_differ) ++fault_mismatches;
  if (finding.ulps > max_ulps || count == 1) {
    max_ulps = finding.ulps;
    worst = a;
  }
  const bool missed = finding.exact && !finding.correctly_rounded;
  if (missed) ++exact_missed;
  if ((faults_differ || missed || !(finding.ulps < 1)) && problems.size() < 20) {
    char text[200];
    std::snprintf(text, sizeof text, ": %.3f ulp, faults%s, expected%s", finding.ulps,
                  FaultNames(finding.faults).c_str(), FaultNames(finding.expected_faults).c_str());
    problems.push_back(Describe(f, a) + text);
  }
}

// ---------------------------------------------------------------------------------------------
// Random arguments.

namespace {

Extended Uniform01(std::mt19937_64& random) {
  return static_cast<Extended>(random() >> 1) * 0x1p-63L;  // [0, 1), 63 random bits
}

// |x| in [2^lo, 2^hi): uniform exponent, uniform 63-bit significand; a random sign if asked.
Extended LogUniform(std::mt19937_64& random, int lo, int hi, bool both_signs) {
  const int e = lo + static_cast<int>(random() % static_cast<std::uint64_t>(hi - lo));
  const std::uint64_t significand = random() | (std::uint64_t{1} << 63);
  const bool negative = both_signs && (random() & 1);
  return FromBits(static_cast<std::uint16_t>((e + 16383) | (negative ? 0x8000 : 0)), significand);
}

// A positive extended real over the whole range, denormals included: uniform exponent field,
// uniform significand.
Extended AnyPositive(std::mt19937_64& random) {
  const auto field = static_cast<std::uint16_t>(random() % 0x7FFF);
  std::uint64_t significand = random();
  if (field == 0) {
    significand >>= 1;  // a denormal: no integer bit
    if (significand == 0) significand = 1;
  } else {
    significand |= std::uint64_t{1} << 63;
  }
  return FromBits(field, significand);
}

// 1 ± 2^-k·(1 + f), k in [1, 64]: the arguments next to 1.
Extended NearOne(std::mt19937_64& random) {
  const int k = 1 + static_cast<int>(random() % 64);
  const Extended offset = ldexpl(1 + Uniform01(random), -k);
  return (random() & 1) ? 1 + offset : 1 - offset;
}

// An exponent z in [-11400, 11357]: from results that round to zero to results that overflow.
Extended AnyExponent(std::mt19937_64& random) {
  return -11400 + 22757 * Uniform01(random);
}

Args ExpLogUniform(std::mt19937_64& random) {
  for (;;) {
    const Extended x = LogUniform(random, -80, 14, true);
    if (fabsl(x) <= 11400) return {x, 0};
  }
}
Args ExpLinear(std::mt19937_64& random) {
  return {AnyExponent(random), 0};
}
Args LogWhole(std::mt19937_64& random) {
  return {AnyPositive(random), 0};
}
Args LogNearOne(std::mt19937_64& random) {
  return {NearOne(random), 0};
}

Args ProductAny(std::mt19937_64& random) {
  const Extended a = LogUniform(random, -40, 40, true);
  return {a, AnyExponent(random) / a};
}

Args PowerWhole(std::mt19937_64& random) {
  for (;;) {
    const Extended base = AnyPositive(random);
    if (base != 1) return {base, AnyExponent(random) / logl(base)};
  }
}
Args PowerNearOne(std::mt19937_64& random) {
  for (;;) {
    const Extended base = NearOne(random);
    if (base != 1) return {base, AnyExponent(random) / logl(base)};
  }
}
// What the fits raise: moderate bases and exponents.
Args PowerModerate(std::mt19937_64& random) {
  return {LogUniform(random, -8, 8, false), -64 + 128 * Uniform01(random)};
}

}  // namespace

const std::vector<Domain>& Domains() {
  static const std::vector<Domain> domains = {
      {Function::kExp, "x in ±[2^-80, 11400], uniform exponent", ExpLogUniform},
      {Function::kExp, "x in [-11400, 11357], uniform", ExpLinear},
      {Function::kLn, "x > 0, denormals to max, uniform exponent", LogWhole},
      {Function::kLn, "x = 1 ± 2^-k(1 + f), k in [1, 64]", LogNearOne},
      {Function::kLog10, "x > 0, denormals to max, uniform exponent", LogWhole},
      {Function::kLog10, "x = 1 ± 2^-k(1 + f), k in [1, 64]", LogNearOne},
      {Function::kExpOfProduct, "a in ±[2^-40, 2^40], a·b in [-11400, 11357]", ProductAny},
      {Function::kPow, "x > 0 whole range, y·ln x in [-11400, 11357]", PowerWhole},
      {Function::kPow, "x = 1 ± 2^-k(1 + f), y·ln x in [-11400, 11357]", PowerNearOne},
      {Function::kPow, "x in [2^-8, 2^8], y in [-64, 64]", PowerModerate},
  };
  return domains;
}

// ---------------------------------------------------------------------------------------------
// Hard cases.

namespace {

constexpr Extended kMax = std::numeric_limits<Extended>::max();
constexpr Extended kMinNormal = std::numeric_limits<Extended>::min();
constexpr Extended kMinDenormal = std::numeric_limits<Extended>::denorm_min();
constexpr Extended kInf = std::numeric_limits<Extended>::infinity();

// The values that are not ordinary numbers: NaNs and the encodings the arithmetic rejects.
std::vector<Extended> Oddities() {
  return {
      std::numeric_limits<Extended>::quiet_NaN(),
      -std::numeric_limits<Extended>::quiet_NaN(),
      FromBits(0x7FFF, 0x8000000000000001),  // signalling NaN
      FromBits(0x7FFF, 0x4000000000000000),  // pseudo-NaN
      FromBits(0x7FFF, 0),                   // pseudo-infinity
      FromBits(0x4000, 0x4000000000000000),  // unnormal
      FromBits(0x0000, 0x8000000000000000),  // pseudo-denormal (2^-16382)
      FromBits(0x8000, 0x8000000000000000),  // negative pseudo-denormal
      kInf,
      -kInf,
      0.0L,
      -0.0L,
  };
}

// v and its `steps` neighbours on either side.
void AddAround(std::vector<Extended>& out, Extended v, int steps = 3) {
  out.push_back(v);
  Extended up = v, down = v;
  for (int i = 0; i < steps; ++i) {
    up = nextafterl(up, kInf);
    down = nextafterl(down, -kInf);
    out.push_back(up);
    out.push_back(down);
  }
}

std::vector<Extended> ExpArguments() {
  std::vector<Extended> x = Oddities();
  // The last x whose e^x is finite, the first x whose e^x is normal, the last x whose e^x
  // rounds to a denormal and not to zero.
  AddAround(x, FromBits(0x400C, 0xB17217F7D1CF79AB), 6);  // 11356.523406294143949
  AddAround(x, -11355.137111933024058873096613727848L, 6);
  AddAround(x, -11399.498531488860558185243463095L, 6);
  // the ranges the computation treats apart
  for (const Extended edge : {0x1p-70L, 8192.0L, 11357.0L, 11400.0L, 11500.0L}) {
    AddAround(x, edge);
    AddAround(x, -edge);
  }
  for (const Extended v : {kMax, kMinNormal, kMinDenormal, 0x1p-64L, 0x1p-65L, 0x1.8p-64L, 0.5L,
                           1.0L, 0.693147180559945309417232121458176568L, 1024.0L}) {
    AddAround(x, v, 1);
    AddAround(x, -v, 1);
  }
  for (int k = -30; k <= 30; ++k) x.push_back(k);
  return x;
}

std::vector<Extended> LogArguments(bool decimal) {
  std::vector<Extended> x = Oddities();
  for (const Extended v : {1.0L, 2.0L, 0.5L, 1.41421356237309504880168872420969808L,
                           2.71828182845904523536028747135266250L, kMax, kMinNormal, kMinDenormal,
                           0x7FFFFFFFFFFFFFFFp-16445L}) {
    AddAround(x, v, 5);
    x.push_back(-v);
  }
  // the edges of the table's buckets: m = 1 + (2i + 1)/512
  for (int i = 0; i < 256; ++i) AddAround(x, 1 + (2 * i + 1) / 512.0L, 1);
  for (int k = -16445; k <= 16383; k += 97) x.push_back(ldexpl(1, k));
  // powers of ten, exact up to 10^27
  Extended power = 1;
  for (int k = 0; k <= 40; ++k, power *= 10) AddAround(x, power, decimal ? 1 : 0);
  for (int k = 1; k <= 40; ++k) x.push_back(powl(10, -k));
  return x;
}

std::vector<Args> Pairs(const std::vector<Extended>& xs, Extended y) {
  std::vector<Args> out;
  for (const Extended x : xs) out.push_back({x, y});
  return out;
}

std::vector<Args> ProductArguments() {
  // e^x's edges as x·1 and (x/2)·2, then products whose factors lie far outside the range
  std::vector<Args> a = Pairs(ExpArguments(), 1);
  for (const Args& p : Pairs(ExpArguments(), 2)) a.push_back({p.x / 2, p.y});
  for (const Extended z : {1.5L, -700.25L, 11356.0L, -11390.0L}) {
    for (const int k : {16100, -16100, 16380, -16380, 16440, -16440}) {
      a.push_back({ldexpl(1.25L, k), ldexpl(z / 1.25L, -k)});
    }
  }
  for (const Extended v : Oddities()) {
    for (const Extended w : {0.0L, 1.0L, -1.0L, kInf, -kInf, kMax}) {
      a.push_back({v, w});
      a.push_back({w, v});
    }
  }
  a.push_back({1e4000L, 1e4000L});   // the product overflows
  a.push_back({1e4000L, -1e4000L});  // the product overflows towards -∞
  return a;
}

std::vector<Args> PowerArguments() {
  std::vector<Args> a;
  for (const Extended v : Oddities()) {
    for (const Extended w : {0.0L, 0.5L, 2.0L, -2.0L, -0.5L, kInf, -kInf, kMax}) {
      a.push_back({v, w});
      a.push_back({w, v});
    }
  }
  for (const Extended y : {0.0L, -0.0L, 1.0L, -1.0L, 3.0L, 0.5L, kInf, -kInf}) {
    a.push_back({1, y});
    a.push_back({-1, y});
    a.push_back({-2, y});
  }
  // whole powers with exact results
  for (int k = -16445; k <= 16383; k += 37) a.push_back({2, static_cast<Extended>(k)});
  for (int k = -40; k <= 40; ++k) a.push_back({10, static_cast<Extended>(k)});
  for (int k = 0; k <= 40; ++k) a.push_back({3, static_cast<Extended>(k)});
  a.push_back({0.5L, -16383});
  a.push_back({kMax, 1});
  a.push_back({kMinNormal, 1});
  a.push_back({kMinDenormal, 1});
  a.push_back({kMinDenormal, -0.5L});
  // the overflow and underflow edges of 2^y, 10^y and e^y
  std::vector<Extended> ys;
  AddAround(ys, 16384, 5);
  AddAround(ys, -16382, 3);
  AddAround(ys, -16445, 3);
  AddAround(ys, -16446, 3);
  for (const Extended y : ys) a.push_back({2, y});
  std::vector<Extended> tens;
  AddAround(tens, 4932.0754489586679023818980511660927L, 5);
  for (const Extended y : tens) a.push_back({10, y});
  for (const Extended y : ExpArguments()) a.push_back({2.71828182845904523536028747135266250L, y});
  // bases next to 1 raised to huge exponents
  for (const int k : {1, 2, 3, 5, 8}) {
    a.push_back({1 + k * 0x1p-63L, 0x1p75L});
    a.push_back({1 - k * 0x1p-64L, 0x1p76L});
    a.push_back({1 + k * 0x1p-63L, -0x1p75L});
  }
  return a;
}

}  // namespace

std::vector<Args> HardCases(Function f) {
  switch (f) {
    case Function::kExp:
      return Pairs(ExpArguments(), 0);
    case Function::kLn:
      return Pairs(LogArguments(false), 0);
    case Function::kLog10:
      return Pairs(LogArguments(true), 0);
    case Function::kExpOfProduct:
      return ProductArguments();
    case Function::kPow:
      return PowerArguments();
  }
  return {};
}

}  // namespace tarvolen::accuracy
