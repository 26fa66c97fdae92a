#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/file_io.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class PlotOption : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("tarvolen-cli-plot-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    const Outcome probe = Fit("--plot x.bmp --model 1 none.txt");
    if (probe.status == 2 && probe.err.find("cannot draw pictures") != std::string::npos) {
      GTEST_SKIP() << "built without Qt: no pictures";
    }
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  Outcome Fit(const std::string& arguments) const {
    const std::string out = Path("stdout"), err = Path("stderr");
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY '") +
                                TARVOLEN_FIT_EXE + "' " + arguments + " >'" + out + "' 2>'" +
                                err + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
  }

  fs::path folder_;
};

TEST_F(PlotOption, WritesTheChartAsBmpOrPng) {
  const std::string data = std::string(TARVOLEN_EXAMPLES) + "/five-points.txt";
  const struct {
    const char* name;
    std::string signature;
  } cases[] = {
      {"figure.bmp", "BM"},
      {"figure", "BM"},
      {"figure.PNG", "\x89PNG"},
  };
  for (const auto& c : cases) {
    const Outcome run = Fit("--model linear --plot '" + Path(c.name) + "' '" + data + "'");
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
    EXPECT_EQ(run.err, "") << c.name;
    EXPECT_EQ(run.out.substr(0, 6), "a= 2.2") << c.name;
    const std::string picture = ReadWholeFile(Path(c.name));
    EXPECT_EQ(picture.substr(0, c.signature.size()), c.signature) << c.name;
    if (c.signature == "BM") {
      EXPECT_EQ(picture.size(), 54u + 912 * 245) << c.name;
    }
  }
}

TEST_F(PlotOption, ReportsAPlotErrorAndStillFits) {
  // 1e400 is a number for the fit but beyond the chart's doubles.
  { std::ofstream(Path("data.txt")) << "1 2\n2 4\n3 1e400\n"; }
  const Outcome run = Fit("--model linear --plot '" + Path("figure.bmp") + "' '" + Path("data.txt") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.substr(0, 24), "Floating point overflow.");
  EXPECT_TRUE(fs::exists(Path("figure.bmp")));
}

TEST_F(PlotOption, ReportsAPictureThatCannotBeWritten) {
  const std::string data = std::string(TARVOLEN_EXAMPLES) + "/five-points.txt";
  const std::string target = Path("missing/figure.bmp");
  const Outcome run = Fit("--model linear --plot '" + target + "' '" + data + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot create file \"" + target + "\". No such file or directory.\n");
  EXPECT_EQ(run.out.substr(0, 6), "a= 2.2");
}

TEST_F(PlotOption, IsDescribedInTheHelp) {
  const Outcome run = Fit("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--plot OUT"), std::string::npos);
}

}  // namespace
}  // namespace tarvolen
