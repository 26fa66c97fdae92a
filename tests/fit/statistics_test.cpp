// The fit statistics against certified and independently computed values, and the comparison of
// the ten models.

#include "fit/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
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

// One model's data and reference figures from tests/data/statistics-references.txt.
struct Reference {
  Model model;
  Rows rows;
  struct Coefficient {
    std::string name;
    long double value, std_error, ci_low, ci_high;
  };
  std::vector<Coefficient> coefficients;
  std::map<std::pair<int, int>, long double> correlation;
  std::map<std::string, long double> figures;
};

std::vector<Reference> References() {
  std::ifstream file(TARVOLEN_TEST_DATA "/statistics-references.txt");
  std::vector<Reference> references;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "model") {
      std::string name;
      fields >> name;
      references.push_back({*ParseModel(name), {}, {}, {}, {}});
    } else if (kind == "point") {
      std::string x, y;
      fields >> x >> y;
      references.back().rows.emplace_back(x, y);
    } else if (kind == "coefficient") {
      Reference::Coefficient c;
      fields >> c.name >> c.value >> c.std_error >> c.ci_low >> c.ci_high;
      references.back().coefficients.push_back(c);
    } else if (kind == "correlation") {
      int i, j;
      long double value;
      fields >> i >> j >> value;
      references.back().correlation[{i, j}] = value;
    } else if (kind == "figure") {
      std::string name;
      long double value;
      fields >> name >> value;
      references.back().figures[name] = value;
    }
  }
  return references;
}

void ExpectMatchesReference(const FitStatistics& s, const Reference& reference, double digits) {
  ASSERT_EQ(s.coefficients.size(), reference.coefficients.size());
  for (std::size_t i = 0; i < s.coefficients.size(); ++i) {
    const auto& expected = reference.coefficients[i];
    const CoefficientStatistics& c = s.coefficients[i];
    ASSERT_TRUE(c.std_error.Defined() && c.ci_low.Defined() && c.ci_high.Defined());
    ExpectSignificantDigits(*c.std_error.value, expected.std_error, digits, "SE " + c.name);
    ExpectSignificantDigits(*c.ci_low.value, expected.ci_low, digits, "CI low " + c.name);
    ExpectSignificantDigits(*c.ci_high.value, expected.ci_high, digits, "CI high " + c.name);
  }
  for (const auto& [at, value] : reference.correlation) {
    ASSERT_TRUE(s.correlation[at.first][at.second].Defined());
    ExpectSignificantDigits(*s.correlation[at.first][at.second].value, value, digits,
                            "correlation");
  }
  const auto& f = reference.figures;
  ExpectSignificantDigits(*s.r_squared.value, f.at("r_squared"), digits, "R²");
  ExpectSignificantDigits(*s.adjusted_r_squared.value, f.at("adjusted_r_squared"), digits,
                          "adjusted R²");
  ExpectSignificantDigits(*s.aicc.value, f.at("aicc"), digits, "AICc");
  EXPECT_EQ(s.reciprocal_line_sse.has_value(), f.count("reciprocal_line_sse") == 1);
  if (s.reciprocal_line_sse) {
    ExpectSignificantDigits(*s.reciprocal_line_sse->value, f.at("reciprocal_line_sse"), digits,
                            "SSE on 1/y");
  }
}

TEST(FitStatistics, MatchAnIndependentComputationForEveryModel) {
  const std::vector<Reference> references = References();
  ASSERT_EQ(references.size(), static_cast<std::size_t>(kModelCount));
  for (const Reference& reference : references) {
    SCOPED_TRACE(std::string(ModelName(reference.model)));
    // At the least-squares coefficients of the reference itself: the statistics alone.
    FitResult at_optimum = FitRows(reference.model, reference.rows);
    for (std::size_t i = 0; i < at_optimum.coefficients.size(); ++i) {
      at_optimum.coefficients[i].value = reference.coefficients[i].value;
    }
    at_optimum.sse = reference.figures.at("sse");
    at_optimum.sst = reference.figures.at("sst");
    ExpectMatchesReference(ComputeStatistics(at_optimum), reference, 12);
    // As the fit reports them: to 10 digits where its coefficients are those of the optimum.
    // Where the refinement stopped short of it (a step gaining at most a millionth of the
    // residual sum ends it), the figures differ by about as much as the coefficients do.
    const FitResult fitted = FitRows(reference.model, reference.rows);
    long double off = 1e-30L;
    for (std::size_t i = 0; i < fitted.coefficients.size(); ++i) {
      const long double optimum = reference.coefficients[i].value;
      off = std::max(off, fabsl(fitted.coefficients[i].value - optimum) / fabsl(optimum));
    }
    const double digits = std::min(10.0, -std::log10(static_cast<double>(off)) - 1);
    if (!fitted.refinement) {
      EXPECT_EQ(digits, 10);
    }
    ExpectMatchesReference(ComputeStatistics(fitted), reference, digits);
  }
}

TEST(FitStatistics, UndefinedFiguresGiveTheirReasonAndLeaveNoFaultRaised) {
  struct Case {
    const char* what;
    Model model;
    std::vector<long double> xs, ys;
    std::vector<long double> coefficients;  // replace the fitted ones when given
    const char* std_error;                  // the reason, or "" when defined
    const char* aicc;
    bool r_squared;
  };
  const Case cases[] = {
      {"as many rows as coefficients",
       Model::kQuadratic,
       {1, 2, 3},
       {1, 4, 2},
       {},
       "needs more rows than coefficients (n = 3, p = 3)",
       "needs at least p + 3 rows (n = 3, p = 3)",
       true},
      {"J with a zero column",
       Model::kPower,
       {1, 1, 1, 1, 1},
       {1, 2, 3, 4, 5},
       {2, 1},
       "JᵀJ is singular: the data do not determine the coefficients separately",
       "",
       true},
      {"JᵀJ beyond the extended range",
       Model::kLinear,
       {1e3000L, 2e3000L, 3e3000L, 4e3000L, 5e3000L},
       {1, 2, 3, 5, 4},
       {0, 1e-3000L},
       "Floating point overflow while forming JᵀJ",
       "",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FitResult result;
    result.model = c.model;
    result.n = c.xs.size();
    result.points.x = c.xs;
    result.points.y = c.ys;
    const char* names[] = {"a", "b", "c"};
    if (c.coefficients.empty()) {
      result = FitRows(c.model, testing::NumberRows(c.xs, c.ys));
    } else {
      for (std::size_t i = 0; i < c.coefficients.size(); ++i) {
        result.coefficients.push_back({names[i], c.coefficients[i]});
      }
      result.sse = 2;
      result.sst = 10;
    }
    const FitStatistics s = ComputeStatistics(result);
    EXPECT_FALSE(fp::Raised());
    EXPECT_EQ(s.coefficients[0].std_error.reason, c.std_error);
    EXPECT_EQ(s.coefficients[0].ci_high.reason, c.std_error);
    EXPECT_EQ(s.aicc.reason, c.aicc);
    EXPECT_EQ(s.r_squared.Defined(), c.r_squared);
    for (const StatisticsRow& row : StatisticsRows(s, '.')) {
      EXPECT_EQ(row.value.find("nan"), std::string::npos) << row.label;
      EXPECT_EQ(row.value.find("inf"), std::string::npos) << row.label;
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
  GridTable grid;
  LoadDataFile(TARVOLEN_EXAMPLES "/growth.txt", grid);
  FitFields fields;
  StringResultLines lines;
  const FitStatistics hyperbola =
      ComputeStatistics(RunFit(Model::kHyperbola, {grid, nullptr, fields, lines}));
  const FitStatistics exponential =
      ComputeStatistics(RunFit(Model::kExponential, {grid, nullptr, fields, lines}));
  auto value_of = [](const FitStatistics& s, const std::string& label) {
    for (const StatisticsRow& row : StatisticsRows(s, ',')) {
      if (row.label == label) return row.value;
    }
    return std::string("(no row)");
  };
  EXPECT_LT(*hyperbola.r_squared.value, 0);
  EXPECT_EQ(value_of(hyperbola, "Note").rfind("R² is negative", 0), 0u);
  EXPECT_EQ(value_of(exponential, "Note"), "(no row)");
  EXPECT_EQ(value_of(exponential, "Refinement iterations"), "3");
  EXPECT_EQ(value_of(exponential, "Refinement ended").rfind("converged: ", 0), 0u);
  EXPECT_NE(value_of(exponential, "a: 95 % confidence interval").find(" to "), std::string::npos);
  EXPECT_EQ(value_of(exponential, "Degrees of freedom (n - p)"), "3");
  EXPECT_NE(value_of(exponential, "AICc").find(','), std::string::npos);  // the separator given
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
    EXPECT_EQ(entry.error, error);
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
