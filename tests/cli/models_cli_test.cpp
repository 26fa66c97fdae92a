// tarvolen-fit with the nine models besides the linear one.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
  int status;
  std::string out, err;
};

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs tarvolen-fit with `arguments` under the C locale.
Outcome RunFitProgram(const std::string& arguments) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto out = dir / ("models_cli_out_" + std::to_string(getpid()));
  const auto err = dir / ("models_cli_err_" + std::to_string(getpid()));
  const std::string command = std::string("LC_ALL=C '") + TARVOLEN_FIT_EXE + "' " + arguments +
                              " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(out), ReadAll(err)};
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return outcome;
}

TEST(ModelsCli, EveryModelRunsByNameAndByNumber) {
  const std::string growth = std::string(TARVOLEN_EXAMPLES) + "/growth.txt";
  const char* names[] = {"quadratic", "compound",   "logarithmic", "exponential", "power",
                         "geometric", "geometric2", "inverse",     "hyperbola"};
  for (int number = 2; number <= 10; ++number) {
    const std::string name = names[number - 2];
    SCOPED_TRACE(name);
    const Outcome by_name = RunFitProgram("--model " + name + " '" + growth + "'");
    const Outcome by_number =
        RunFitProgram("--model " + std::to_string(number) + " '" + growth + "'");
    EXPECT_EQ(by_name.status, 0);
    EXPECT_EQ(by_name.err, "");
    EXPECT_EQ(by_name.out, by_number.out);
    EXPECT_EQ(by_name.out.rfind("a= ", 0), 0u);
    const long lines = std::count(by_name.out.begin(), by_name.out.end(), '\n');
    EXPECT_EQ(lines, name == "quadratic" ? 5 : 4);
  }
}

TEST(ModelsCli, ReportsTheExponentialWorkedExample) {
  const Outcome outcome =
      RunFitProgram("--model Exponential '" + std::string(TARVOLEN_EXAMPLES) + "/growth.txt'");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out,
            "a= 1.01918443672717\n"
            "b= 0.995726016387293\n"
            "Standard Error= 0.370891432576955\n"
            "correlation coefficient= 0.999344104330114\n");
}

TEST(ModelsCli, AFailedFitPrintsItsMessageAndExitsWithOne) {
  const auto data = std::filesystem::temp_directory_path() /
                    ("models_cli_zero_y_" + std::to_string(getpid()) + ".txt");
  std::ofstream(data) << "1 2\n2 0\n3 4\n";
  const Outcome outcome = RunFitProgram("--model compound '" + data.string() + "'");
  std::filesystem::remove(data);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err,
            "Floating point division by zero. The Compound model takes log10 y; row 2 has Y = 0, "
            "and every Y must be above 0.\n");
}

}  // namespace
