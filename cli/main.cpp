// tarvolen-fit: fits a data file with one model and prints the report lines the window would show.

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/installation.h"
#include "data/data_file.h"
#include "data/grid_table.h"
#include "fit/fit.h"
#include "plot/bitmap.h"
#include "plot/chart.h"
#include "plot/data_plot.h"
#ifdef TARVOLEN_HAVE_RENDER
#include "render/painter_canvas.h"
#endif

namespace tarvolen {
namespace {

constexpr const char* kUsage =
    "Usage: tarvolen-fit --model M [options] FILE\n"
    "\n"
    "Loads FILE into the data grid as the window's Load Data command does, runs the fit of\n"
    "model M and prints its report lines, one per line, as the results box would show them.\n"
    "\n"
    "  --model M                the model: a number 1..10 or a name: linear, quadratic,\n"
    "                           compound, logarithmic, exponential, power, geometric,\n"
    "                           geometric2, inverse, hyperbola\n"
    "  --curve OUT              write the fitted curve as the chart holds it after the fit,\n"
    "                           one \"x y\" pair per line with 17 significant digits (also when\n"
    "                           the fit ended with an error after replacing the curve)\n"
    "  --plot OUT               also plot the data points as Load Data does, and after the fit\n"
    "                           write the chart as the window shows it (303 x 245 pixels) to\n"
    "                           OUT: a 24-bit BMP file, or PNG when OUT ends in \".png\". Needs\n"
    "                           no display. A data point that cannot be plotted is reported as\n"
    "                           the window's error box would, and the fit still runs\n"
    "  --decimal-separator C    the decimal separator of the numbers in FILE, in the report and\n"
    "                           on the chart's axes (default: the locale's, from LC_ALL /\n"
    "                           LC_NUMERIC / LANG)\n"
    "  --help                   show this text\n"
    "  --version                show the version\n"
    "\n"
    "The grid starts as the window's does: 21 rows, headers \"X\" and \"Y\". Data files hold\n"
    "one point per line, X then Y, separated by blanks or tabs.\n"
    "\n"
    "Exit status: 0 when the fit reported its lines; 1 when an error ended the load, the data\n"
    "plot, the fit or a write (its message, as the window's error box shows it, goes to\n"
    "standard error); 2 on a usage error.\n";

struct Options {
  Model model = Model::kLinear;
  std::string file;
  std::optional<std::string> curve_out;
  std::optional<std::string> plot_out;
  std::optional<char> decimal_separator;
};

[[noreturn]] void UsageError(const std::string& message) {
  std::cerr << "tarvolen-fit: " << message << "\n\n" << kUsage;
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  bool have_model = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) UsageError(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      std::exit(0);
    } else if (arg == "--version") {
      std::cout << "tarvolen-fit (Tarvolen) " << ProgramVersion() << '\n';
      std::exit(0);
    } else if (arg == "--model") {
      const std::string text = value();
      const auto model = ParseModel(text);
      if (!model) UsageError("unknown model '" + text + "'");
      options.model = *model;
      have_model = true;
    } else if (arg == "--curve") {
      options.curve_out = value();
    } else if (arg == "--plot") {
#if !defined(TARVOLEN_HAVE_RENDER) && !defined(TARVOLEN_PICTURES_PROGRAM)
      UsageError("this build of tarvolen-fit cannot draw pictures (built without Qt)");
#endif
      options.plot_out = value();
    } else if (arg == "--decimal-separator") {
      const std::string text = value();
      // A digit, a sign, an exponent letter or a blank as separator would read and write
      // numbers that mean something else ("2e5" for 2.5).
      if (text.size() != 1 || static_cast<unsigned char>(text[0]) <= ' ' ||
          std::strchr("0123456789+-eE", text[0]) != nullptr) {
        UsageError("the decimal separator must be one character other than a digit, a sign, "
                   "'E', 'e' or a blank");
      }
      options.decimal_separator = text[0];
    } else if (arg.size() > 1 && arg[0] == '-') {
      UsageError("unknown option " + arg);
    } else if (options.file.empty()) {
      options.file = arg;
    } else {
      UsageError("more than one data file given");
    }
  }
  if (!have_model) UsageError("no model given (--model)");
  if (options.file.empty()) UsageError("no data file given");
  return options;
}

// The number punctuation of the user's locale: "." in the C locale; a thousands separator the
// locale leaves empty is "," (or "." beside a decimal comma), one of several bytes a space.
FormatSettings LocaleFormat(std::optional<char> decimal_separator) {
  std::setlocale(LC_ALL, "");
  const char* point = std::localeconv()->decimal_point;
  const char* thousands = std::localeconv()->thousands_sep;
  FormatSettings format;
  format.decimal_separator = (point && std::strlen(point) == 1) ? point[0] : '.';
  const std::size_t thousands_length = thousands ? std::strlen(thousands) : 0;
  std::setlocale(LC_ALL, "C");
  if (decimal_separator) format.decimal_separator = *decimal_separator;
  if (thousands_length == 1 && thousands[0] != format.decimal_separator) {
    format.thousand_separator = thousands[0];
  } else if (thousands_length > 1) {
    format.thousand_separator = ' ';
  } else {
    format.thousand_separator = format.decimal_separator == ',' ? '.' : ',';
  }
  return format;
}

void ShowError(const Exception& error) { std::cerr << ErrorBoxText(error.what()) << '\n'; }

void WriteCurve(const std::string& path, const TLineSeries* curve) {
  std::string text;
  if (curve) {
    const std::size_t count = curve->Count();
    text.reserve(count * 40);
    char buffer[64];
    for (std::size_t i = 0; i < count; ++i) {
      char* p = std::to_chars(buffer, buffer + 32, curve->XValues()[i],
                              std::chars_format::general, 17).ptr;
      *p++ = ' ';
      p = std::to_chars(p, buffer + 63, curve->YValues()[i], std::chars_format::general, 17).ptr;
      *p++ = '\n';
      text.append(buffer, p);
    }
  }
  WriteWholeFile(path, text);
}

#ifdef TARVOLEN_HAVE_RENDER
bool EndsWithPng(const std::string& name) {
  if (name.size() < 4) return false;
  std::string tail = name.substr(name.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".png";
}

// Draws the frame the window would paint now: the next frame's layout depends on it.
void PaintAsWindow(TChart& chart) { render::RenderChartImage(chart); }
#endif

// A fit of a large file allocates many small blocks (the text cells, the rows of the
// refinement's matrices), and on a 4 kB page each first touch costs a page fault. The C
// library's allocator backs its heap with 2 MB pages when GLIBC_TUNABLES asks for it, but reads
// that setting only when a program starts: for a file of 1 MB or more the program therefore
// starts itself once more with the setting added. Where that fails the run goes on as it is.
void UseHugePagesForLargeFiles(int argc, char** argv, const Options& options) {
  constexpr const char* kSetting = "glibc.malloc.hugetlb=1";
  constexpr off_t kLargeFile = 1 << 20;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (std::getenv("TARVOLEN_FIT_RESTARTED") != nullptr ||
      (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr)) {
    return;
  }
  struct stat file {};
  if (stat(options.file.c_str(), &file) != 0 || !S_ISREG(file.st_mode) ||
      file.st_size < kLargeFile) {
    return;
  }
  const std::string value =
      tunables != nullptr && *tunables != '\0' ? std::string(tunables) + ":" + kSetting : kSetting;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0 ||
      setenv("TARVOLEN_FIT_RESTARTED", "1", 1) != 0) {
    return;
  }
  std::vector<char*> arguments(argv, argv + argc);
  arguments.push_back(nullptr);
  execv("/proc/self/exe", arguments.data());
  // Not restarted: carry on with the heap as it is.
  if (tunables != nullptr) {
    setenv("GLIBC_TUNABLES", tunables, 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
}

#ifdef TARVOLEN_PICTURES_PROGRAM
// Runs the same command line in the picture-drawing build beside this executable, which loads
// Qt; returns only when that program cannot be started.
[[noreturn]] void RunPicturesProgram(int argc, char** argv) {
  std::string program = ProgramBeside(TARVOLEN_PICTURES_PROGRAM);
  std::vector<char*> arguments(argv, argv + argc);
  arguments[0] = program.data();
  arguments.push_back(nullptr);
  execv(program.c_str(), arguments.data());
  std::cerr << "tarvolen-fit: cannot draw pictures: " << program << ": " << std::strerror(errno)
            << '\n';
  std::exit(1);
}
#endif

int Run(const Options& options) {
  const FormatSettings format = LocaleFormat(options.decimal_separator);
  const char separator = format.decimal_separator;

  GridTable grid;
  grid.WriteHeaders();
  TChart chart;
  ConfigureChart1(chart);
  chart.SetLabelFormat(format);
  FitFields fields;
  StringResultLines memo;

#ifdef TARVOLEN_HAVE_RENDER
  std::optional<render::GuiForPictures> gui;
  if (options.plot_out) {
    gui.emplace(/*quiet=*/true);
    PaintAsWindow(chart);
  }
#endif

  try {
    LoadDataFile(options.file, grid);
  } catch (const Exception& error) {
    ShowError(error);
    return 1;
  }

  int status = 0;
#ifdef TARVOLEN_HAVE_RENDER
  if (options.plot_out) {
    try {
      PlotDataPoints(chart, grid, separator, fields.CurveSeries);
    } catch (const Exception& error) {
      ShowError(error);
      status = 1;
    }
    PaintAsWindow(chart);
  }
#endif

  FitTarget target{grid, chart, fields, memo, separator};
  target.keep_curve_points = options.plot_out.has_value() || options.curve_out.has_value();
  try {
    RunFit(options.model, target);
  } catch (const Exception& error) {
    ShowError(error);
    status = 1;
  }
  std::string report;
  for (const std::string& line : memo.Lines()) {
    report += line;
    report += '\n';
  }
  std::fwrite(report.data(), 1, report.size(), stdout);

  if (options.curve_out) {
    try {
      WriteCurve(*options.curve_out, fields.CurveSeries);
    } catch (const Exception& error) {
      ShowError(error);
      status = 1;
    }
  }
#ifdef TARVOLEN_HAVE_RENDER
  if (options.plot_out) {
    try {
      PaintAsWindow(chart);
      if (EndsWithPng(*options.plot_out)) {
        render::SaveChartPng(chart, *options.plot_out);
      } else {
        SaveChartBitmap(chart, *options.plot_out, render::MakeImageBitmap);
      }
    } catch (const Exception& error) {
      ShowError(error);
      status = 1;
    }
  }
#endif
  return status;
}

}  // namespace
}  // namespace tarvolen

int main(int argc, char** argv) {
  const tarvolen::Options options = tarvolen::ParseOptions(argc, argv);
  tarvolen::UseHugePagesForLargeFiles(argc, argv, options);
#ifdef TARVOLEN_PICTURES_PROGRAM
  if (options.plot_out) tarvolen::RunPicturesProgram(argc, argv);
#endif
  return tarvolen::Run(options);
}
