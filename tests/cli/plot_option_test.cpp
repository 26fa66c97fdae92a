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

TEST_F(PlotOption, WritesTheChartAsBmpPngOrSvg) {
  const std::string data = std::string(TARVOLEN_EXAMPLES) + "/five-points.txt";
  const struct {
    const char* name;
    std::string signature;
  } cases[] = {
      {"figure.bmp", "BM"},
      {"figure", "BM"},
      {"figure.PNG", "\x89PNG"},
      {"figure.svg", "<?xml"},
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

// Values near the largest double span more than a double can hold: the picture would be empty
// or flat, and the run says so instead of reporting success.
TEST_F(PlotOption, SaysWhenTheDataCannotBeDrawn) {
  const std::pair<const char*, const char*> cases[] = {
      {"1 -1.797e308\n2 1.797e308\n3 0\n", "Y"},
      {"-1.7e308 1\n1.7e308 2\n0 3\n", "X"},
  };
  for (const auto& [data, axis] : cases) {
    { std::ofstream(Path("data.txt")) << data; }
    const Outcome run =
        Fit("--model linear --plot '" + Path("figure.bmp") + "' '" + Path("data.txt") + "'");
    EXPECT_EQ(run.status, 1) << axis;
    EXPECT_EQ(run.err, std::string("The chart cannot draw the data: the range of ") + axis +
                           " is beyond the largest number the chart can hold.\n");
    EXPECT_EQ(run.out.substr(0, 3), "a= ");
    EXPECT_TRUE(fs::exists(Path("figure.bmp")));
  }
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
