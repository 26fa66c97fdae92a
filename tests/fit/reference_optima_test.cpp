// Badly scaled data sets (X offset by 10^6 and 10^9 or in steps of 10^-8, calendar-year growth,
// exponentials far from X = 0, an a of 10^-345, Y over twenty decades, steep growth) against
// their least-squares optima, computed independently at 80 digits (tests/data/numerics:
// generate.py wrote the files and optima.txt).

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/errors.h"
#include "data/data_file.h"
#include "fit/fit.h"

namespace tarvolen {
namespace {

struct Optimum {
  std::string name, model;
  std::size_t n = 0;
  long double sse = 0;
  std::vector<long double> coefficients;
};

std::vector<Optimum> ReadOptima() {
  std::ifstream in(TARVOLEN_TEST_DATA "/numerics/optima.txt");
  std::vector<Optimum> optima;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Optimum optimum;
    std::string number;
    fields >> optimum.name >> optimum.model >> optimum.n >> number;
    optimum.sse = strtold(number.c_str(), nullptr);
    while (fields >> number) optimum.coefficients.push_back(strtold(number.c_str(), nullptr));
    optima.push_back(optimum);
  }
  return optima;
}

// The residual sum is the report's own, from ŷ in the report's form. Where that form adds terms
// much larger than ŷ, their rounding alone moves the sum by more than 10^-6 of it.
const std::map<std::string, long double> kResidualAllowance = {
    // (b·x + a) + (c·x)·x adds terms of 2·10^14 to values near 1: about 2·10^-5 of the sum.
    {"quadratic-steps-1e-8", 1e-4L},
};

TEST(ReferenceOptima, EveryFitReachesItsLeastSquaresOptimum) {
  const std::vector<Optimum> optima = ReadOptima();
  ASSERT_EQ(optima.size(), 19u);
  for (const Optimum& optimum : optima) {
    SCOPED_TRACE(optimum.name);
    const std::optional<Model> model = ParseModel(optimum.model);
    ASSERT_TRUE(model.has_value());
    GridTable grid;
    grid.WriteHeaders();
    LoadDataFile(TARVOLEN_TEST_DATA "/numerics/" + optimum.name + ".txt", grid);
    FitFields fields;
    StringResultLines memo;
    FitResult result;
    try {
      result = RunFit(*model, {grid, nullptr, fields, memo, '.'});
    } catch (const Exception& error) {
      ADD_FAILURE() << error.what();
      continue;
    }
    ASSERT_EQ(result.n, optimum.n);
    ASSERT_EQ(result.coefficients.size(), optimum.coefficients.size());

    const auto allowance = kResidualAllowance.find(optimum.name);
    const long double sse_allowed = allowance == kResidualAllowance.end() ? 1e-6L
                                                                          : allowance->second;
    EXPECT_LE(fabsl(result.sse / optimum.sse - 1), sse_allowed)
        << "residual sum " << static_cast<double>(result.sse) << ", optimum "
        << static_cast<double>(optimum.sse);
    if (!result.refinement) {  // solved by normal equations
      // Least squares on Y itself with an intercept: SSR + SSE = SST, so the correlation
      // coefficient exceeds 1 only by rounding.
      if (*model != Model::kHyperbola) {
        EXPECT_LE(result.corr_coef, 1 + 1e-12L);
      }
      for (std::size_t i = 0; i < optimum.coefficients.size(); ++i) {
        const long double value = result.coefficients[i].value;
        const long double reference = optimum.coefficients[i];
        EXPECT_LE(fabsl(value - reference), fabsl(reference) * 1e-12L)
            << result.coefficients[i].name << " = " << FloatToText(value, '.')
            << ", optimum " << FloatToText(reference, '.');
      }
    }
  }
}

}  // namespace
}  // namespace tarvolen
