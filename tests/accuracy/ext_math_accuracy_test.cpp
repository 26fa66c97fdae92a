#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "accuracy/reference.h"
#include "common/ext_math.h"

namespace tarvolen::accuracy {
namespace {

// The quick share of the accuracy run (scripts/accuracy runs 10^7 arguments per function).
constexpr long kArgumentsPerFunction = 100000;

long DomainsOf(Function f) {
  long n = 0;
  for (const Domain& d : Domains()) n += d.function == f;
  return n;
}

// Below 1 ulp everywhere, exact where the exact value is an extended real, the library's faults;
// and among random arguments, more than 99.9 % correctly rounded (the hard cases hold results
// next to the midway points between two extended reals on purpose).
void ExpectSound(const Tally& tally, const std::string& what, double least_share) {
  SCOPED_TRACE(what);
  EXPECT_LT(tally.max_ulps, 1.0);
  EXPECT_GT(tally.CorrectlyRoundedShare(), least_share);
  EXPECT_EQ(tally.fault_mismatches, 0);
  EXPECT_EQ(tally.exact_missed, 0);
  for (const std::string& problem : tally.problems) ADD_FAILURE() << problem;
}

TEST(ExtMathAccuracy, RandomArgumentsStayWithinOneUlpAndRoundCorrectlyAlmostAlways) {
  Reference reference;
  std::mt19937_64 random(20240615);
  for (const Domain& domain : Domains()) {
    Tally tally;
    const long count = kArgumentsPerFunction / DomainsOf(domain.function);
    for (long i = 0; i < count; ++i) {
      const Args a = domain.draw(random);
      tally.Add(domain.function, a, reference.Check(domain.function, a));
    }
    ExpectSound(tally, std::string(NameOf(domain.function)) + ", " + domain.name, 0.999);
  }
}

TEST(ExtMathAccuracy, HardCasesAreExactWhereTheyCanBeAndFaultLikeTheLibrary) {
  Reference reference;
  for (const Function f : kFunctions) {
    Tally tally;
    for (const Args& a : HardCases(f)) tally.Add(f, a, reference.Check(f, a));
    ExpectSound(tally, NameOf(f), 0);
  }
}

// The block forms are the one-value forms over arrays, to the bit.
TEST(ExtMathAccuracy, BlockFormsMatchTheOneValueForms) {
  std::mt19937_64 random(7);
  std::vector<Extended> x, y;
  for (const Domain& domain : Domains()) {
    for (int i = 0; i < 200; ++i) {
      const Args a = domain.draw(random);
      x.push_back(a.x);
      y.push_back(a.y);
    }
  }
  for (const Args& a : HardCases(Function::kPow)) {
    x.push_back(a.x);
    y.push_back(a.y);
  }
  const ext::Extended2 factor = ext::LnWide(3.5L);
  std::vector<Extended> out(x.size());
  const auto same = [](Extended a, Extended b) {
    return std::bit_cast<ext::detail::Bits>(a).significand ==
               std::bit_cast<ext::detail::Bits>(b).significand &&
           std::bit_cast<ext::detail::Bits>(a).sign_exponent ==
               std::bit_cast<ext::detail::Bits>(b).sign_exponent;
  };
  struct Form {
    const char* name;
    std::function<void()> block;
    std::function<Extended(std::size_t)> one;
  };
  const Form forms[] = {
      {"Exp", [&] { ext::Exp(x, out); }, [&](std::size_t i) { return ext::Exp(x[i]); }},
      {"Ln", [&] { ext::Ln(x, out); }, [&](std::size_t i) { return ext::Ln(x[i]); }},
      {"Log10", [&] { ext::Log10(x, out); }, [&](std::size_t i) { return ext::Log10(x[i]); }},
      {"ExpOfProduct", [&] { ext::ExpOfProduct(factor, y, out); },
       [&](std::size_t i) { return ext::ExpOfProduct(y[i], factor); }},
      {"Pow", [&] { ext::Pow(x, y, out); }, [&](std::size_t i) { return ext::Pow(x[i], y[i]); }},
  };
  for (const Form& form : forms) {
    form.block();
    for (std::size_t i = 0; i < x.size(); ++i) {
      const Extended one = form.one(i);
      ASSERT_TRUE(same(out[i], one) || (std::isnan(out[i]) && std::isnan(one)))
          << form.name << " at " << i << ": " << out[i] << " against " << one;
    }
  }
}

}  // namespace
}  // namespace tarvolen::accuracy
