// tarvolen-fit --stats, --json and --model all.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "json_reader.h"

namespace tarvolen::testing {
namespace {

using StatisticsCli = CliTest;

std::string Example(const std::string& name) {
  return std::string("'") + TARVOLEN_EXAMPLES + "/" + name + "'";
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(StatisticsCli, StatsFollowTheUnchangedReportLines) {
  // y = a + b·x on (1, 2) ... (5, 5): s² = 2.4/3 = 0.8, Sxx = 10, so the standard errors are
  // √(0.8/10) for b and √(0.8·(1/5 + 9/10)) for a; t(97.5 %, 3) = 3.18244630528371.
  struct Case {
    const char* options;
    std::vector<std::string> expected;  // lines that must appear after the report lines
  };
  const Case cases[] = {
      {"--stats",
       {"Degrees of freedom (n - p)= 3", "a: standard error= 0.938083151964686",
        "b: standard error= 0.282842712474619",
        "b: 95 % confidence interval= -0.300131745291274 to 1.50013174529127",
        "R² = 1 - SSE/SST= 0.6", "Correlation of a and b= -0.904534033733291"}},
      {"--stats --decimal-separator ,",
       {"a: standard error= 0,938083151964686", "R² = 1 - SSE/SST= 0,6"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string separator =
        std::string(c.options).find(',') != std::string::npos ? " --decimal-separator ," : "";
    const std::string data = Write("five.txt", "1 2\n2 4\n3 5\n4 4\n5 5\n");
    const Outcome plain = Run("--model linear" + separator + " " + data);
    const Outcome stats = Run(std::string("--model linear ") + c.options + " " + data);
    EXPECT_EQ(stats.status, 0);
    EXPECT_EQ(stats.err, "");
    ASSERT_EQ(stats.out.rfind(plain.out, 0), 0u) << stats.out;
    const std::vector<std::string> added = LinesOf(stats.out.substr(plain.out.size()));
    for (const std::string& line : c.expected) {
      EXPECT_NE(std::find(added.begin(), added.end(), line), added.end()) << line;
    }
  }
}

TEST_F(StatisticsCli, JsonHoldsTheReportTheStatisticsAndExactValues) {
  const Outcome plain = Run("--model exponential " + Example("growth.txt"));
  const Outcome json = Run("--model exponential --json " + Example("growth.txt"));
  ASSERT_EQ(json.status, 0);
  const Json fit = Json::Parse(json.out);
  EXPECT_EQ(fit["model"].text, "exponential");
  EXPECT_TRUE(fit["error"].IsNull());
  std::string report;
  for (const Json& line : fit["report"].items) report += line.text + "\n";
  EXPECT_EQ(report, plain.out);
  // Every number: the double nearest the extended value, and the extended text that reads back.
  const Json& a = fit["coefficients"][0];
  EXPECT_EQ(a["name"].text, "a");
  const long double extended = std::strtold(a["value"]["extended"].text.c_str(), nullptr);
  EXPECT_EQ(a["value"]["value"].Number(), static_cast<double>(extended));
  EXPECT_NEAR(a["value"]["value"].Number(), 1.01918443672717, 1e-14);
  EXPECT_GT(a["standard_error"]["value"].Number(), 0);
  EXPECT_EQ(fit["coefficients"][1]["confidence_interval_95"].items.size(), 2u);
  const Json& statistics = fit["statistics"];
  EXPECT_EQ(statistics["n"].text, "5");
  EXPECT_EQ(statistics["refinement"]["ended"].text, "converged");
  EXPECT_EQ(statistics["refinement"]["iterations"].text, "3");
  EXPECT_EQ(statistics["correlation_matrix"][1][1]["value"].text, "1");

  // A figure the data do not define: null with its reason.
  const Json quadratic = Json::Parse(Run("--model quadratic --json " + Example("growth.txt")).out);
  EXPECT_TRUE(quadratic["statistics"]["aicc"]["value"].IsNull());
  EXPECT_EQ(quadratic["statistics"]["aicc"]["reason"].text,
            "needs at least p + 3 rows (n = 5, p = 3)");
}

TEST_F(StatisticsCli, JsonCarriesTheErrorOfAFailedFitOrLoad) {
  // A cell with a byte that is not UTF-8: the message quotes it, read as Latin-1.
  const std::string bad = Write("bad.txt", "1 2\n2 4\n3 \xff\n");
  struct Case {
    std::string arguments;
    std::string error;
  };
  const Case cases[] = {
      {"--model logarithmic --json " + Example("cooling.txt"), "Floating point division by zero."},
      {"--model linear --json " + bad, "'\xc3\xbf' is not a valid floating point value"},
      {"--model linear --json " + (folder_ / "missing.txt").string(), "Cannot open file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome outcome = Run(c.arguments);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err, "");
    const Json fit = Json::Parse(outcome.out);
    EXPECT_EQ(fit["error"].text.rfind(c.error, 0), 0u) << fit["error"].text;
    EXPECT_TRUE(fit["statistics"].IsNull());
    EXPECT_TRUE(fit["report"].items.empty());
  }
}

TEST_F(StatisticsCli, ModelAllRanksTheModelsAndListsTheFailures) {
  const Outcome table = Run("--model all " + Example("cooling.txt"));
  EXPECT_EQ(table.status, 0);
  const std::vector<std::string> lines = LinesOf(table.out);
  ASSERT_EQ(lines.size(), 11u) << table.out;
  EXPECT_EQ(lines[0].rfind("Rank  Model", 0), 0u);
  EXPECT_TRUE(lines[1].rfind("1     compound", 0) == 0 ||
              lines[1].rfind("1     exponential", 0) == 0)
      << lines[1];
  EXPECT_NE(lines[10].find("hyperbola"), std::string::npos);
  EXPECT_NE(lines[10].find("Floating point division by zero."), std::string::npos);

  const Outcome json = Run("--model all --json " + Example("enzyme-rate.txt"));
  EXPECT_EQ(json.status, 0);
  const Json ranked = Json::Parse(json.out);
  ASSERT_EQ(ranked.items.size(), 10u);
  EXPECT_EQ(ranked[0]["model"].text, "hyperbola");
  EXPECT_EQ(ranked[0]["rank"].text, "1");
  EXPECT_EQ(ranked[0]["delta_aicc"]["value"].text, "0");
  EXPECT_EQ(ranked[0]["statistics"]["standard_errors_from"].text, "reciprocal line");

  const Outcome with_stats = Run("--model all --stats " + Example("growth.txt"));
  EXPECT_NE(with_stats.out.find("\nexponential:\na= 1.01918443672717\n"), std::string::npos);

  // Nothing to fit: every model fails, and so does the run.
  const Outcome none = Run("--model all " + Write("text.txt", "x y\n"));
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.out.find("'x' is not a valid floating point value."), std::string::npos);
  EXPECT_EQ(Run("--model all --curve c.txt " + Example("growth.txt")).status, 2);
}

}  // namespace
}  // namespace tarvolen::testing
