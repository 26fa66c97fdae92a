// The real window, offscreen, loading and fitting a large data file, beside tarvolen-fit on the
// same file: wall time and peak memory of each step, medians over several runs.
//
// Every run is a process of its own (so that its peak memory is its own): the window's runs
// start the window, load the file as `tarvolen FILE` does, wait until the points are drawn,
// press the model's button and wait until the report and the curve are shown and drawn. The
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
    text.append(line, static_cast<std::size_t>(std::snprintf(line, sizeof line, "%.6g %.6g\n", x, y)));
  }
  std::ofstream(path, std::ios::binary) << text;
}

// Kilobytes of the process's resident set now ("VmRSS") or at its peak ("VmHWM").
long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
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

// Lets the window handle its events until the command it runs is done.
void Settle(TForm1& form) {
  QCoreApplication::processEvents();
  form.WaitUntilIdle();
  QCoreApplication::processEvents();
}

double Seconds(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e9; }

// One window run; writes "load load_drawn fit fit_drawn start_kb load_peak_kb fit_peak_kb
// end_kb" to `out`.
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
  chart.repaint();
  const long start_kb = StatusKb("VmRSS:");

  ResetPeak();
  QElapsedTimer timer;
  timer.start();
  form.OpenFile(QString::fromStdString(path));
  Settle(form);
  const double load = Seconds(timer);
  chart.repaint();
  const double load_drawn = Seconds(timer);
  const long load_peak_kb = StatusKb("VmHWM:");

  ResetPeak();
  timer.restart();
  form.RunModel(model);
  Settle(form);
  const double fit = Seconds(timer);
  chart.repaint();
  const double fit_drawn = Seconds(timer);
  const long fit_peak_kb = StatusKb("VmHWM:");
  const long end_kb = StatusKb("VmRSS:");

  char line[256];
  const int length = std::snprintf(line, sizeof line, "%f %f %f %f %ld %ld %ld %ld\n", load,
                                   load_drawn, fit, fit_drawn, start_kb, load_peak_kb,
                                   fit_peak_kb, end_kb);
  return ::write(out, line, static_cast<std::size_t>(length)) == length ? 0 : 1;
}

// Runs `child(pipe)` in a process of its own; returns what it wrote, its wall time and its peak
// resident set in kilobytes.
template <class Child>
std::string InChild(Child&& child, double& seconds, long& peak_kb) {
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
  peak_kb = usage.ru_maxrss;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "a run failed (status %d)\n", status);
    std::exit(1);
  }
  return text;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
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
    if (option == "--rows") rows = std::atol(argv[i + 1]);
    else if (option == "--runs") runs = std::atoi(argv[i + 1]);
    else if (option == "--models") models = argv[i + 1];
    else if (option == "--fit") fit_program = argv[i + 1];
  }
  const std::string folder = "/tmp/tarvolen-window-bench-" + std::to_string(::getpid());
  ::mkdir(folder.c_str(), 0700);

  std::printf("%ld rows, medians of %d runs (each a process of its own)\n\n", rows, runs);
  std::printf("| model | program | load (s) | fit (s) | fit drawn (s) | peak load (MB) | "
              "peak fit (MB) | peak (MB) | end (MB) |\n|---|---|---|---|---|---|---|---|---|\n");
  std::stringstream names(models);
  std::string model_name;
  while (std::getline(names, model_name, ',')) {
    const Model model = *ParseModel(model_name);
    const std::string path = folder + "/" + model_name + ".txt";
    WriteData(path, model_name, rows);

    std::vector<double> load, fit, fit_drawn, load_peak, fit_peak, peak, end, cli_time, cli_peak;
    for (int run = 0; run < runs; ++run) {
      double seconds;
      long peak_kb;
      std::istringstream window(InChild(
          [&](int out) { return WindowRun(path, model, out); }, seconds, peak_kb));
      double l, ld, f, fd;
      long start_kb, load_kb, fit_kb, end_kb;
      window >> l >> ld >> f >> fd >> start_kb >> load_kb >> fit_kb >> end_kb;
      load.push_back(ld);
      fit.push_back(f);
      fit_drawn.push_back(fd);
      load_peak.push_back(load_kb / 1024.0);
      fit_peak.push_back(fit_kb / 1024.0);
      peak.push_back(peak_kb / 1024.0);
      end.push_back(end_kb / 1024.0);

      InChild(
          [&](int) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::setenv("LC_ALL", "C", 1);
            const std::string number = std::to_string(static_cast<int>(model));
            ::execl(fit_program.c_str(), "tarvolen-fit", "--model", number.c_str(),
                    path.c_str(), static_cast<char*>(nullptr));
            return 127;
          },
          seconds, peak_kb);
      cli_time.push_back(seconds);
      cli_peak.push_back(peak_kb / 1024.0);
    }
    std::printf("| %s | window | %.2f | %.2f | %.2f | %.0f | %.0f | %.0f | %.0f |\n",
                model_name.c_str(), Median(load), Median(fit), Median(fit_drawn),
                Median(load_peak), Median(fit_peak), Median(peak), Median(end));
    std::printf("| %s | tarvolen-fit | | %.2f (whole run) | | | | %.0f | |\n", model_name.c_str(),
                Median(cli_time), Median(cli_peak));
    std::fflush(stdout);
    std::remove(path.c_str());
  }
  ::rmdir(folder.c_str());
  return 0;
}
