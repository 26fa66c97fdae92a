// The fit statistics against certified and independently computed values, and the comparison of
// the ten models.

#include "fit/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/fp_check.h"
#include "data/data_file.h"
#include "fit/compare.h"
#include "fit/student_t.h"
#include "model_fixture.h"
#include "nist_data.h"

namespace tarvolen {
namespace {

using testing::ExpectSignificantDigits;
using testing::FitWindow;
using testing::Rows;

FitResult FitRows(Model model, const Rows& rows) {
  FitWindow window(rows);
  FitFields fields;
  StringResultLines lines;
  return RunFit(model, {window.grid, nullptr, fields, lines});
}

TEST(StudentT, MatchesPublishedPercentagePoints) {
  // Percentage points of Student's t as published tables give them, here to 15 digits.
  struct Case {
    long double p;
    long long dof;
    long double t;
  };
  const Case cases[] = {
      {0.975L, 1, 12.7062047361747L},
      {0.975L, 2, 4.30265272974946L},
      {0.975L, 3, 3.18244630528371L},
      {0.975L, 4, 2.77644510519779L},
      {0.975L, 5, 2.57058183563631L},
      {0.975L, 10, 2.22813885198627L},
      {0.975L, 30, 2.04227245630124L},
      {0.975L, 120, 1.97993040508244L},
      {0.95L, 1, 6.31375151467504L},
      {0.95L, 7, 1.89457860509001L},
      {0.99L, 3, 4.54070285856813L},
      {0.995L, 20, 2.84533970978611L},
      {0.9995L, 1, 636.619248768720L},
      {0.9995L, 60, 3.46020046919636L},
      {0.9L, 25, 1.31634507267387L},
      {0.025L, 8, -2.30600413520417L},
      // Above 2000 degrees of freedom the expansion takes over from the exact series.
      {0.975L, 2000, 1.96115082609944L},
      {0.975L, 2001, 1.96115023262244L},
      {0.975L, 100000, 1.95998770753461L},
      {0.975L, 1000000000, 1.95996398691233L},
  };
  for (const Case& c : cases) {
    ExpectSignificantDigits(
        StudentTQuantile(c.p, c.dof), c.t, 12,
        "p " + std::to_string(static_cast<double>(c.p)) + " dof " + std::to_string(c.dof));
  }
  EXPECT_NEAR(static_cast<double>(NormalQuantile(0.975L)), 1.959963984540054, 1e-15);
}

TEST(FitStatistics, MatchTheNistCertifiedStandardDeviations) {
  struct Case {
    const char* dataset;
    Model model;
    std::vector<const char*> parameters;  // in report order
    double digits;
  };
  const Case cases[] = {
      {"Norris", Model::kLinear, {"B0", "B1"}, 12},
      {"Pontius", Model::kQuadratic, {"B0", "B1", "B2"}, 12},
      // The refinement stops when a step gains at most a millionth of the residual sum.
      {"DanWood", Model::kPower, {"b1", "b2"}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dataset);
    const FitStatistics s =
        ComputeStatistics(FitRows(c.model, testing::NistRows(std::string(c.dataset) + ".txt")));
    const auto certified = testing::NistCertified(c.dataset);
    ASSERT_EQ(s.coefficients.size(), c.parameters.size());
    for (std::size_t i = 0; i < c.parameters.size(); ++i) {
      ASSERT_TRUE(s.coefficients[i].std_error.Defined());
      ExpectSignificantDigits(*s.coefficients[i].std_error.value,
                              certified.at(std::string("sd_") + c.parameters[i]), c.digits,
                              c.parameters[i]);
    }
    ExpectSignificantDigits(*s.residual_sd.value, certified.at("resid_sd"), c.digits, "resid_sd");
    if (certified.count("r2")) {
      ExpectSignificantDigits(*s.r_squared.value, certified.at("r2"), c.digits, "r2");
    }
  }
}

// One model's rows and reference figures, by name (tests/data/statistics-references.txt).
struct Reference {
  Model model;
  Rows rows;
  std::map<std::string, long double> figures;
};

std::vector<Reference> References() {
  std::ifstream file(TARVOLEN_TEST_DATA "/statistics-references.txt");
  std::vector<Reference> references;
  for (std::string kind, first, second; file >> kind;) {
    if (kind[0] == '#') {
      std::getline(file, first);
    } else if (kind == "model") {
      file >> first;
      references.push_back({*ParseModel(first), {}, {}});
    } else {
      file >> first >> second;
      if (kind == "point") references.back().rows.emplace_back(first, second);
      if (kind == "figure") references.back().figures[first] = strtold(second.c_str(), nullptr);
    }
  }
  return references;
}

// The figures of `s` under the reference's names.
std::map<std::string, Figure> Named(const FitStatistics& s) {
  std::map<std::string, Figure> named = {
      {"r_squared", s.r_squared}, {"adjusted_r_squared", s.adjusted_r_squared}, {"aicc", s.aicc}};
  if (s.reciprocal_line_sse) named["reciprocal_line_sse"] = *s.reciprocal_line_sse;
  for (std::size_t i = 0; i < s.p; ++i) {
    const CoefficientStatistics& c = s.coefficients[i];
    named["se_" + c.name] = c.std_error;
    named["ci_low_" + c.name] = c.ci_low;
    named["ci_high_" + c.name] = c.ci_high;
    for (std::size_t j = i + 1; j < s.p; ++j) {
      named["correlation_" + c.name + "_" + s.coefficients[j].name] = s.correlation[i][j];
    }
  }
  return named;
}

void ExpectMatches(const FitStatistics& s, const Reference& reference, double digits) {
  for (const auto& [name, figure] : Named(s)) {
    ASSERT_TRUE(figure.Defined()) << name << ": " << figure.reason;
    ExpectSignificantDigits(*figure.value, reference.figures.at(name), digits, name);
  }
}

TEST(FitStatistics, MatchAnIndependentComputationForEveryModel) {
  const std::vector<Reference> references = References();
  ASSERT_EQ(references.size(), static_cast<std::size_t>(kModelCount));
  for (const Reference& reference : references) {
    SCOPED_TRACE(std::string(ModelName(reference.model)));
    const FitResult fitted = FitRows(reference.model, reference.rows);
    // At the reference's own least-squares coefficients: the statistics alone.
    FitResult at_optimum = fitted;
    long double off = 1e-30L;  // how far the fit's coefficients are from them
    for (FitCoefficient& c : at_optimum.coefficients) {
      const long double optimum = reference.figures.at(c.name);
      off = std::max(off, fabsl(c.value - optimum) / fabsl(optimum));
      c.value = optimum;
    }
    at_optimum.sse = reference.figures.at("sse");
    at_optimum.sst = reference.figures.at("sst");
    ExpectMatches(ComputeStatistics(at_optimum), reference, 12);
    // As the fit reports them: to 10 digits where its coefficients are those of the optimum.
    // Where the refinement stopped short of it (a step gaining at most a millionth of the
    // residual sum ends it), the figures differ by about as much as the coefficients do.
    const double digits = std::min(10.0, -std::log10(static_cast<double>(off)) - 1);
    if (!fitted.refinement) {
      EXPECT_EQ(digits, 10);
    }
    ExpectMatches(ComputeStatistics(fitted), reference, digits);
  }
}

TEST(FitStatistics, UndefinedFiguresGiveTheirReasonAndLeaveNoFaultRaised) {
  struct Case {
    Model model;
    std::vector<long double> xs, ys;
    std::vector<long double> coefficients;  // instead of the fitted ones, when given
    const char* std_error;                  // the reason, or "" when defined
    const char* aicc;
  };
  const Case cases[] = {
      {Model::kQuadratic,
       {1, 2, 3},
       {1, 4, 2},
       {},
       "needs more rows than coefficients (n = 3, p = 3)",
       "needs at least p + 3 rows (n = 3, p = 3)"},
      {Model::kPower,
       {1, 1, 1, 1, 1},
       {1, 2, 3, 4, 5},
       {2, 1},
       "JᵀJ is singular: the data do not determine the coefficients separately",
       ""},
      {Model::kLinear,
       {1e3000L, 2e3000L, 3e3000L, 4e3000L, 5e3000L},
       {1, 2, 3, 5, 4},
       {0, 1e-3000L},
       "Floating point overflow while forming JᵀJ",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.std_error);
    FitResult result;
    result.model = c.model;
    result.n = c.xs.size();
    result.points = {c.xs, c.ys};
    result.sse = 2;
    result.sst = 10;
    if (c.coefficients.empty()) result = FitRows(c.model, testing::NumberRows(c.xs, c.ys));
    for (std::size_t i = 0; i < c.coefficients.size(); ++i) {
      result.coefficients.push_back({i == 0 ? "a" : "b", c.coefficients[i]});
    }
    const FitStatistics s = ComputeStatistics(result);
    EXPECT_FALSE(fp::Raised());
    EXPECT_EQ(s.coefficients[0].std_error.reason, c.std_error);
    EXPECT_EQ(s.coefficients[0].ci_high.reason, c.std_error);
    EXPECT_EQ(s.aicc.reason, c.aicc);
    EXPECT_TRUE(s.r_squared.Defined());
    for (const StatisticsRow& row : StatisticsRows(s, '.')) {
      for (const char* never : {"nan", "inf"}) {
        EXPECT_EQ(row.value.find(never), std::string::npos) << row.label << ": " << row.value;
      }
    }
  }
}

TEST(FitStatistics, AreTheSameOnAnyNumberOfThreads) {
  // Enough rows for the pass over the data to spread over the threads; in the second case one
  // row in the middle takes JᵀJ beyond the extended range, found by the checked rerun.
  std::vector<long double> xs, ys;
  for (int i = 0; i < 30000; ++i) {
    xs.push_back(1 + i / 1000.0L);
    ys.push_back(2 * powl(xs.back(), 1.5L) * (1 + 0.01L * ((i * 7919) % 13 - 6)));
  }
  FitResult result = FitRows(Model::kPower, testing::NumberRows(xs, ys));
  for (const bool overflow : {false, true}) {
    SCOPED_TRACE(overflow ? "overflow" : "plain");
    if (overflow) result.points.x[20000] = 1e3000L;
    const FitStatistics one = ComputeStatistics(result, {1, {}});
    const FitStatistics four = ComputeStatistics(result, {4, {}});
    EXPECT_FALSE(fp::Raised());
    for (std::size_t i = 0; i < one.coefficients.size(); ++i) {
      EXPECT_EQ(one.coefficients[i].std_error.value, four.coefficients[i].std_error.value);
      EXPECT_EQ(one.coefficients[i].std_error.reason, four.coefficients[i].std_error.reason);
      EXPECT_EQ(one.coefficients[i].std_error.Defined(), !overflow);
    }
    EXPECT_EQ(one.coefficients[0].std_error.reason,
              overflow ? "Floating point overflow while forming JᵀJ" : "");
  }
}

TEST(FitStatistics, RowsShowTheRefinementAndANegativeRSquared) {
  // growth.txt: the hyperbola, fitted on 1/y, misses Y by more than its mean does.
  const Rows growth = {{"1", "3"}, {"2", "7"}, {"3", "20"}, {"4", "55"}, {"5", "148"}};
  auto rows = [&](Model model) {
    std::map<std::string, std::string> values;
    for (const StatisticsRow& row :
         StatisticsRows(ComputeStatistics(FitRows(model, growth)), ',')) {
      values[row.label] = row.value;
    }
    return values;
  };
  const auto hyperbola = rows(Model::kHyperbola), exponential = rows(Model::kExponential);
  EXPECT_EQ(hyperbola.at("R² = 1 - SSE/SST")[0], '-');
  EXPECT_EQ(hyperbola.at("Note").rfind("R² is negative", 0), 0u);
  EXPECT_EQ(exponential.count("Note"), 0u);
  EXPECT_EQ(exponential.at("Refinement iterations"), "3");
  EXPECT_EQ(exponential.at("Refinement ended").rfind("converged: ", 0), 0u);
  EXPECT_NE(exponential.at("AICc").find(','), std::string::npos);  // the separator given
}

TEST(CompareModels, RanksTheExampleFilesAsAStatisticianWould) {
  struct Case {
    const char* file;
    std::vector<std::string> first;  // the leading ranks, in order (a set where they tie)
    std::vector<std::string> unranked;
    std::vector<std::string> failed;
  };
  const Case cases[] = {
      // Exponential decay; quadratic next; nothing defined for x = 0 with logarithms or 1/x.
      {"cooling.txt",
       {"compound|exponential", "compound|exponential", "quadratic", "linear"},
       {},
       {"logarithmic", "power", "geometric", "geometric2", "inverse", "hyperbola"}},
      // A saturating rate: the hyperbola of Michaelis and Menten.
      {"enzyme-rate.txt", {"hyperbola", "logarithmic"}, {}, {}},
      // Five rows cannot rank a three-coefficient model.
      {"five-points.txt", {"inverse"}, {"quadratic"}, {}},
      {"growth.txt",
       {"compound|exponential", "compound|exponential", "geometric"},
       {"quadratic"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    GridTable grid;
    LoadDataFile(std::string(TARVOLEN_EXAMPLES "/") + c.file, grid);
    const ModelComparison comparison = CompareModels(grid, '.');
    ASSERT_EQ(comparison.models.size(), static_cast<std::size_t>(kModelCount));
    std::vector<std::string> unranked, failed;
    for (std::size_t i = 0; i < comparison.models.size(); ++i) {
      const ComparedModel& entry = comparison.models[i];
      const std::string name(ModelName(entry.model));
      if (i < c.first.size()) {
        EXPECT_NE(("|" + c.first[i] + "|").find("|" + name + "|"), std::string::npos) << name;
        EXPECT_EQ(entry.rank, static_cast<int>(i) + 1);
      }
      if (entry.Fitted() && entry.rank == 0) unranked.push_back(name);
      if (!entry.Fitted()) failed.push_back(name);
    }
    EXPECT_EQ(unranked, c.unranked);
    EXPECT_EQ(failed, c.failed);
    EXPECT_EQ(*comparison.models[0].delta_aicc.value, 0);
  }
}

TEST(CompareModels, AnExactFitRanksFirstAndTheOthersHaveNoDifference) {
  // On a straight line the linear fit leaves no residual at all: AICc is minus infinity.
  FitWindow window({{"1", "3"}, {"2", "5"}, {"3", "7"}, {"4", "9"}, {"5", "11"}, {"6", "13"}});
  const ModelComparison comparison = CompareModels(window.grid, '.');
  EXPECT_EQ(comparison.models[0].model, Model::kLinear);
  EXPECT_EQ(comparison.models[0].rank, 1);
  EXPECT_EQ(comparison.models[1].model, Model::kQuadratic);
  EXPECT_FALSE(comparison.models[1].delta_aicc.Defined());
  EXPECT_EQ(ComparisonRows(comparison, '.')[0].note, "the residual sum of squares is zero");
}

TEST(CompareModels, EachModelFitsAsItsButtonWould) {
  // Rows that some models cannot read (a negative X): the comparison meets the same errors and
  // gives the same reports as the buttons.
  const Rows rows = {{"-1", "2"}, {"0.5", "3"}, {"2", "5"}, {"3", "4"}, {"1", "6"}, {"4", "8"}};
  FitWindow window(rows);
  const ModelComparison comparison = CompareModels(window.grid, ',');
  for (const ComparedModel& entry : comparison.models) {
    SCOPED_TRACE(std::string(ModelName(entry.model)));
    FitWindow alone(rows);
    const std::string error = alone.Fit(entry.model, ',');
    // The message first, then its cause.
    EXPECT_EQ(entry.error.substr(0, error.size()), error);
    EXPECT_TRUE(entry.error.ends_with(alone.cause)) << entry.error;
    if (entry.Fitted()) {
      EXPECT_EQ(ReportLines(*entry.result, ','), alone.Lines());
      EXPECT_TRUE(entry.result->points.x.empty());  // the data are not kept ten times
    }
  }
}

TEST(CompareModels, ReportsProgressAndStopsWhenAsked) {
  class Observer : public ProgressObserver {
   public:
    void Progressed(double fraction) override {
      EXPECT_GE(fraction, last);
      last = fraction;
      if (fraction > stop_after) stop = true;
    }
    bool StopRequested() const override { return stop; }
    double last = 0;
    double stop_after = 2;
    std::atomic<bool> stop{false};
  };
  GridTable grid;
  LoadDataFile(TARVOLEN_EXAMPLES "/growth.txt", grid);
  Observer whole;
  CompareModels(grid, '.', 0, &whole);
  EXPECT_GT(whole.last, 0.99);
  Observer stopping;
  stopping.stop_after = 0.5;
  EXPECT_THROW(CompareModels(grid, '.', 0, &stopping), Cancelled);
  EXPECT_LT(stopping.last, 0.7);
}

}  // namespace
}  // namespace tarvolen
