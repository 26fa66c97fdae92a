#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "cli/cli_fixture.h"

namespace tarvolen::testing {
namespace {

TEST_F(CliTest, PrintsTheReportLines) {
  const std::string file = Write("five.txt", "1 2\n2 4\n3 5\n4 4\n5 5\n");
  for (const char* model : {"1", "linear", "LINEAR"}) {
    const Outcome o = Run(std::string("--model ") + model + " " + file);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out,
              "a= 2.2\nb= 0.6\nStandard Error= 0.894427190999916\n"
              "correlation coefficient= 0.774596669241483\n");
    EXPECT_EQ(o.err, "");
  }
}

TEST_F(CliTest, ErrorsGoToStandardErrorAsTheErrorBoxShowsThem) {
  const std::string two = Write("two.txt", "1 2\n2 5\n");
  const std::string bad = Write("bad.txt", "1 2\n2 x\n");
  const std::pair<std::string, std::string> cases[] = {
      {"--model 1 " + two, "Invalid floating point operation.\n"},  // SSE = 0: 0 / 0
      {"--model 1 " + bad, "'x' is not a valid floating point value.\n"},
      {"--model 1 " + (folder_ / "none.txt").string(),
       "Cannot open file \"" + (folder_ / "none.txt").string() + "\". No such file or directory.\n"},
      {"--model 1 " + folder_.string(),
       "Cannot open file \"" + folder_.string() + "\". Is a directory.\n"},
      // A file name is shown with its control characters escaped, as a cell is.
      {"--model 1 '" + folder_.string() + "/\x1b[2Jgone'",
       "Cannot open file \"" + folder_.string() + "/\\x1b[2Jgone\". No such file or directory.\n"},
  };
  for (const auto& [arguments, message] : cases) {
    const Outcome o = Run(arguments);
    EXPECT_EQ(o.status, 1) << arguments;
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, message);
  }
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  const std::string file = Write("f.txt", "1 2\n");
  const std::string cases[] = {"",
                               file,
                               "--model 11 " + file,
                               "--model cubic " + file,
                               "--model 1",
                               "--model 1 --frobnicate " + file,
                               "--model 1 " + file + " " + file,
                               "--model 1 --decimal-separator ab " + file,
                               "--model 1 --decimal-separator e " + file,
                               "--model 1 --decimal-separator 1 " + file,
                               "--model 1 --decimal-separator - " + file,
                               "--model 1 --decimal-separator ' ' " + file,
                               "--model 1 --max-seconds 0 " + file,
                               "--model 1 --max-seconds -5 " + file,
                               "--model 1 --max-seconds 1,5 " + file,
                               "--model 1 --max-seconds nan " + file,
                               "--model 1 --max-seconds inf " + file};
  for (const std::string& arguments : cases) {
    const Outcome o = Run(arguments);
    EXPECT_EQ(o.status, 2) << arguments;
    EXPECT_NE(o.err.find("Usage: tarvolen-fit"), std::string::npos);
  }
  const Outcome help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--curve OUT"), std::string::npos);
}

TEST_F(CliTest, WritesTheCurveAlsoWhenTheStatisticsFail) {
  const std::string file = Write("two.txt", "1 2\n2 5\n");
  const std::string curve = (folder_ / "curve.txt").string();
  const Outcome o = Run("--model 1 --curve " + curve + " " + file);
  EXPECT_EQ(o.status, 1);
  std::istringstream lines(Read(curve));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) ++count;
  EXPECT_EQ(count, 41);
  EXPECT_EQ(Read(curve).substr(0, 4), "1 2\n");
}

TEST_F(CliTest, TheDecimalSeparatorFollowsTheOptionOrTheLocale) {
  const std::string comma = Write("comma.txt", "0,5 2,75\n1 3\n1,5 3,25\n");
  const Outcome o = Run("--model 1 --decimal-separator , " + comma);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.substr(0, 16), "a= 2,5\nb= 0,5\nSt");
  // In the C locale the comma is no separator.
  EXPECT_EQ(Run("--model 1 " + comma).err, "'0,5' is not a valid floating point value.\n");
  // A locale with a decimal comma, when the machine has one.
  if (std::system("locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'") == 0) {
    EXPECT_EQ(Run("--model 1 " + comma, "LC_ALL=de_DE.UTF-8").status, 0);
  }
}

TEST_F(CliTest, ReadsStandardInputAndCsvFilesAsTheWindowLoadsThem) {
  const std::string report =
      "a= 2.2\nb= 0.6\nStandard Error= 0.894427190999916\n"
      "correlation coefficient= 0.774596669241483\n";
  const std::string text = Write("five.txt", "1 2\n2 4\n3 5\n4 4\n5 5\n");
  const std::string csv =
      Write("five.CSV", "\xEF\xBB\xBFx,\"y, m\"\r\n1,2\r\n2,4\r\n3,5\r\n4,4\r\n5,5\r\n");
  const std::string semicolons = Write("five.csv", "x;y\n1;2\n2;4\n3;5\n4;4\n5,0;5\n");
  const std::string piped = (folder_ / "piped").string();
  const std::string command =
      std::string("cat ") + text + " | " + TARVOLEN_FIT_EXE + " --model 1 - >" + piped + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Read(piped), report);
  const std::string cases[] = {"--model 1 - < " + text, "--model 1 " + csv,
                               "--model 1 --decimal-separator , " + semicolons};
  for (const std::string& arguments : cases) {
    const Outcome o = Run(arguments);
    EXPECT_EQ(o.status, 0) << arguments << ": " << o.err;
    const bool comma = arguments.find("separator") != std::string::npos;
    EXPECT_EQ(o.out.substr(0, 14), comma ? "a= 2,2\nb= 0,6\n" : report.substr(0, 14)) << arguments;
  }
  // An output that is the file standard input comes from is refused; another one is not.
  const Outcome refused = Run("--model 1 --curve " + text + " - < " + text);
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "tarvolen-fit: --curve \"" + text +
                             "\" is the data file (standard input): writing it would destroy the "
                             "data\n");
  EXPECT_EQ(Read(text).substr(0, 4), "1 2\n");
  const std::string curve = (folder_ / "curve.txt").string();
  EXPECT_EQ(Run("--model 1 --curve " + curve + " - < " + text).status, 0);
  const std::string from_input = Read(curve);
  EXPECT_EQ(Run("--model 1 --curve " + curve + " " + text).status, 0);
  EXPECT_EQ(from_input, Read(curve));
  const Outcome directory = Run("--model 1 - < " + folder_.string());
  EXPECT_EQ(directory.err, "Cannot open file \"standard input\". Is a directory.\n");
}

// A file of 1 MB or more makes the program start itself again with the allocator's huge pages;
// the report, the curve and the exit status are those of a run that does not.
TEST_F(CliTest, ALargeFileReportsTheSameWhetherOrNotTheProgramRestarts) {
  std::string text;
  for (int i = 1; text.size() < (1u << 20) + 1000; ++i) {
    text += std::to_string(i) + ".25 " + std::to_string(3 * i + i % 7) + ".5\n";
  }
  const std::string file = Write("large.txt", text);
  const std::string curve = (folder_ / "curve.txt").string();
  const Outcome restarted = Run("--model 2 --curve " + curve + " " + file);
  const std::string restarted_curve = Read(curve);
  const Outcome plain = Run("--model 2 --curve " + curve + " " + file,
                            "LC_ALL=C TARVOLEN_FIT_RESTARTED=1");
  EXPECT_EQ(restarted.status, 0);
  EXPECT_EQ(restarted.err, "");
  EXPECT_EQ(restarted.out, plain.out);
  EXPECT_EQ(restarted.out.substr(0, 3), "a= ");
  EXPECT_EQ(restarted_curve, Read(curve));
}

}  // namespace
}  // namespace tarvolen::testing
