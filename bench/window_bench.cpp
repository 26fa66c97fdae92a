// The real window, offscreen, loading and fitting a large data file, beside tarvolen-fit on the
// same file: wall time and peak memory of each step, medians (and the fastest run) over several
// runs. No assertions: a table to read.
//
// Every run is a process of its own, so that its peak memory is its own; the window's runs and
// tarvolen-fit's alternate. A window run starts the window, loads the file as `tarvolen FILE`
// does and waits until the points are drawn; presses the model's button and waits until the
// report and the curve are shown (and again until the chart is drawn); then fits a second model
// (the quadratic one), for the peak memory of a fit while an earlier curve is still shown. The
// command line's runs are `tarvolen-fit --model M FILE`, which keeps no curve.
//
// Usage: window_bench [--rows N] [--models linear,exponential] [--runs R] [--fit PATH]

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "shell/Unit1.h"
#include "shell/chart_view.h"
#include "ui_Unit1.h"

namespace tarvolen {
namespace {

// The data of bench/compare: noisy points of the model over x in (0, 10].
void WriteData(const std::string& path, const std::string& model, long rows) {
  std::mt19937_64 random(42);
  std::normal_distribution<double> noise(0, 1);
  std::string text;
  text.reserve(static_cast<std::size_t>(rows) * 20);
  char line[64];
  for (long i = 0; i < rows; ++i) {
    const double x = 10.0 * static_cast<double>(i + 1) / static_cast<double>(rows);
    const double y = model == "linear" ? 2.5 + 0.75 * x + 0.5 * noise(random)
                                       : 3.0 * std::exp(0.4 * x) * (1 + 0.05 * noise(random));
    const int length = std::snprintf(line, sizeof line, "%.6g %.6g\n", x, y);
    text.append(line, static_cast<std::size_t>(length));
  }
  std::ofstream(path, std::ios::binary) << text;
}

// Megabytes of the process's resident set now ("VmRSS") or at its peak ("VmHWM").
double StatusMb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atof(line.c_str() + std::strlen(field) + 1) / 1024;
  }
  return -1;
}

// Starts a new peak: the resident set's high-water mark becomes its present size.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

class QuietDialogs : public TDialogs {
 public:
  void ShowError(QWidget*, const QString&, const QString& text) override {
    std::fprintf(stderr, "window error: %s\n", qPrintable(text));
  }
};

double Seconds(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e9; }

using Figures = std::map<std::string, double>;

// One window run: the figures by name, written to `out` as "name value" lines.
int WindowRun(const std::string& path, Model model, int out) {
  int argc = 3;
  char name[] = "window_bench";
  char platform_option[] = "-platform";
  char platform[] = "offscreen";
  char* argv[] = {name, platform_option, platform, nullptr};
  QApplication app(argc, argv);
  TForm1 form(std::make_unique<QuietDialogs>());
  form.show();
  QCoreApplication::processEvents();
  TChartView& chart = *form.Form().Chart1;
  Figures figures;
  figures["start MB"] = StatusMb("VmRSS:");

  // A command, until its outcome is applied and then until the chart is drawn.
  const auto run = [&](const std::string& what, auto&& command) {
    ResetPeak();
    QElapsedTimer timer;
    timer.start();
    command();
    QCoreApplication::processEvents();
    form.WaitUntilIdle();
    figures[what + " applied s"] = Seconds(timer);
    QCoreApplication::processEvents();
    chart.repaint();
    figures[what + " drawn s"] = Seconds(timer);
    figures[what + " peak MB"] = StatusMb("VmHWM:");
    figures[what + " end MB"] = StatusMb("VmRSS:");
  };
  run("load", [&] { form.OpenFile(QString::fromStdString(path)); });
  run("fit", [&] { form.RunModel(model); });
  run("refit", [&] { form.RunModel(Model::kQuadratic); });

  std::string text;
  for (const auto& [figure, value] : figures) text += figure + '\t' + std::to_string(value) + '\n';
  return ::write(out, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 1;
}

// Runs `child(pipe)` in a process of its own; returns what it wrote, its wall time and its peak
// resident set in megabytes.
template <class Child>
std::string InChild(Child&& child, double& seconds, double& peak_mb) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) std::exit(1);
  const auto begin = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe_fds[0]);
    ::_exit(child(pipe_fds[1]));
  }
  ::close(pipe_fds[1]);
  std::string text;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, got);
  ::close(pipe_fds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  peak_mb = static_cast<double>(usage.ru_maxrss) / 1024;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a run failed (status %d)\n", status);
    std::exit(1);
  }
  return text;
}

// "median (fastest)" of the values.
std::string Summary(std::vector<double> values, const char* format) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  char text[64];
  std::snprintf(text, sizeof text, format, median, values.front());
  return text;
}

}  // namespace
}  // namespace tarvolen

int main(int argc, char** argv) {
  using namespace tarvolen;
  long rows = 1000000;
  int runs = 5;
  std::string models = "linear,exponential";
  std::string fit_program = TARVOLEN_FIT_EXE;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const char* value = argv[i + 1];
    if (option == "--rows") {
      rows = std::atol(value);
    } else if (option == "--runs") {
      runs = std::atoi(value);
    } else if (option == "--models") {
      models = value;
    } else if (option == "--fit") {
      fit_program = value;
    }
  }
  const std::string folder = "/tmp/tarvolen-window-bench-" + std::to_string(::getpid());
  ::mkdir(folder.c_str(), 0700);

  std::printf("%ld rows; seconds and megabytes, median (fastest) of %d runs, each a process of "
              "its own\n\n",
              rows, runs);
  std::printf("| model | program | load, drawn | fit, applied | fit, drawn | peak in load | "
              "peak in fit | peak in a second fit |\n|---|---|---|---|---|---|---|---|\n");
  std::stringstream names(models);
  std::string model_name;
  while (std::getline(names, model_name, ',')) {
    const Model model = *ParseModel(model_name);
    const std::string path = folder + "/" + model_name + ".txt";
    WriteData(path, model_name, rows);

    std::map<std::string, std::vector<double>> window;
    std::vector<double> cli_time, cli_peak;
    for (int run = 0; run < runs; ++run) {
      double seconds, peak_mb;
      std::istringstream lines(
          InChild([&](int out) { return WindowRun(path, model, out); }, seconds, peak_mb));
      std::string line;
      while (std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        window[line.substr(0, tab)].push_back(std::atof(line.c_str() + tab + 1));
      }
      InChild(
          [&](int) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::setenv("LC_ALL", "C", 1);
            const std::string number = std::to_string(static_cast<int>(model));
            ::execl(fit_program.c_str(), "tarvolen-fit", "--model", number.c_str(), path.c_str(),
                    static_cast<char*>(nullptr));
            return 127;
          },
          seconds, peak_mb);
      cli_time.push_back(seconds);
      cli_peak.push_back(peak_mb);
    }
    const char* s = "%.2f (%.2f)";
    const char* mb = "%.0f (%.0f)";
    std::printf("| %s | window | %s | %s | %s | %s | %s | %s |\n", model_name.c_str(),
                Summary(window["load drawn s"], s).c_str(),
                Summary(window["fit applied s"], s).c_str(),
                Summary(window["fit drawn s"], s).c_str(),
                Summary(window["load peak MB"], mb).c_str(),
                Summary(window["fit peak MB"], mb).c_str(),
                Summary(window["refit peak MB"], mb).c_str());
    std::printf("| %s | tarvolen-fit | | %s (whole run) | | | %s (whole run) | |\n",
                model_name.c_str(), Summary(cli_time, s).c_str(), Summary(cli_peak, mb).c_str());
    std::fflush(stdout);
    std::remove(path.c_str());
  }
  ::rmdir(folder.c_str());
  return 0;
}
