// Every model on every example file, to the last reported digit: a change in a start recipe, a
// transformation or an operation order shows here even where the coefficients stay close.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/curve_sink.h"
#include "common/errors.h"
#include "data/data_file.h"
#include "fit/fit.h"

namespace tarvolen {
namespace {

struct ExampleCase {
  std::string file;
  std::string model;
  std::vector<std::string> lines;  // the report, or the error box's text
};

std::vector<ExampleCase> ReadCases() {
  std::ifstream in(TARVOLEN_TEST_DATA "/example-reports.txt");
  std::vector<ExampleCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("== ", 0) == 0) {
      const std::size_t space = line.find(' ', 3);
      cases.push_back({line.substr(3, space - 3), line.substr(space + 1), {}});
    } else if (!cases.empty()) {
      cases.back().lines.push_back(line);
    }
  }
  return cases;
}

bool IsRefined(Model model) {
  return model == Model::kCompound || model == Model::kExponential || model == Model::kPower ||
         model == Model::kGeometric || model == Model::kGeometric2;
}

TEST(ExampleReports, EveryModelOnEveryExampleFileReportsThePinnedLines) {
  const std::vector<ExampleCase> cases = ReadCases();
  ASSERT_EQ(cases.size(), 40u);
  for (const ExampleCase& c : cases) {
    SCOPED_TRACE(c.file + " " + c.model);
    const auto model = ParseModel(c.model);
    ASSERT_TRUE(model.has_value());
    GridTable grid;
    grid.WriteHeaders();
    LoadDataFile(std::string(TARVOLEN_EXAMPLES) + "/" + c.file, grid);
    RecordedCurve curve;
    FitFields fields;
    StringResultLines memo;
    std::vector<std::string> got;
    try {
      const FitResult result = RunFit(*model, {grid, &curve, fields, memo, '.'});
      got = memo.Lines();
      // What the result carries agrees with the report and the data.
      EXPECT_EQ(ReportLines(result, '.'), got);
      EXPECT_EQ(result.n, static_cast<std::size_t>(grid.RowCount() - 1));
      EXPECT_EQ(result.points.Count(), result.n);
      EXPECT_EQ(result.refinement.has_value(), IsRefined(*model));
      if (result.refinement) {
        EXPECT_GT(result.refinement->iterations, 0);
      }
      EXPECT_EQ(curve.Xs().size(), 20 * result.n + 1);
    } catch (const Exception& error) {
      got = {ErrorBoxText(error.what())};
    }
    EXPECT_EQ(got, c.lines);
  }
}

}  // namespace
}  // namespace tarvolen
