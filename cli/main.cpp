// tarvolen-fit: fits a data file with one model and prints the report lines the window would show.

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <unistd.h>
#include <optional>
#include <string>
#include <vector>

#include "cli/fast_start.h"
#include "cli/outputs.h"
#include "cli/progress_line.h"
#include "cli/run_control.h"
#include "cli/statistics_output.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "common/installation.h"
#include "data/data_file.h"
#include "data/grid_table.h"
#include "fit/compare.h"
#include "fit/fit.h"
#include "plot/bitmap.h"
#include "plot/chart.h"
#include "plot/chart_curve.h"
#include "plot/data_plot.h"
#ifdef TARVOLEN_HAVE_RENDER
#include "render/painter_canvas.h"
#include "render/picture_files.h"
#endif

namespace tarvolen {
namespace {

constexpr const char* kUsage =
    "Usage: tarvolen-fit --model M [options] FILE\n"
    "\n"
    "Loads FILE into the data grid as the window's Load Data command does, runs the fit of\n"
    "model M and prints its report lines, one per line, as the results box would show them.\n"
    "FILE \"-\" reads the data from standard input.\n"
    "\n"
    "  --model M                the model: a number 1..10 or a name: linear, quadratic,\n"
    "                           compound, logarithmic, exponential, power, geometric,\n"
    "                           geometric2, inverse, hyperbola; or \"all\": fit all ten and\n"
    "                           print them ranked by AICc (lowest first) with their standard\n"
    "                           error and R-squared, the models whose AICc is not defined\n"
    "                           unranked after them, and the models that failed with their\n"
    "                           message last\n"
    "  --stats                  after the report lines, print how sure the fit is, one\n"
    "                           \"label= value\" per line: each coefficient's standard error\n"
    "                           and 95 % confidence interval, the residual sum of squares,\n"
    "                           R-squared, adjusted R-squared, AICc, the correlation of the\n"
    "                           coefficients and how the refinement ended; a figure the data\n"
    "                           do not define reads \"not defined: \" and the reason. With\n"
    "                           --model all, each model's report and figures follow the table\n"
    "  --json                   print the report lines, the statistics and any error as one\n"
    "                           JSON object (with --model all, an array of them, best first).\n"
    "                           Counts are integers; every other number is {\"value\": 17\n"
    "                           significant digits, \"extended\": the 21-digit text that reads\n"
    "                           back exactly}; one the data do not define, or beyond the range\n"
    "                           of a double, has \"value\": null and a \"reason\"\n"
    "  --curve OUT              write the fitted curve as the chart holds it after the fit,\n"
    "                           one \"x y\" pair per line with 17 significant digits and the\n"
    "                           report's decimal separator, so that it loads back as data. A\n"
    "                           fit that fails after replacing the curve writes the points\n"
    "                           drawn up to the error, as the window shows them; one that\n"
    "                           fails before leaves OUT as it was\n"
    "  --plot OUT               also plot the data points as Load Data does, and after the fit\n"
    "                           write the chart as the window shows it (303 x 245 pixels) to\n"
    "                           OUT: a 24-bit BMP file, PNG when OUT ends in \".png\", an SVG\n"
    "                           drawing when it ends in \".svg\". Needs no display. A data\n"
    "                           point that cannot be plotted is reported as the window's\n"
    "                           error box would, and the fit still runs. Data too far apart\n"
    "                           for the chart to draw (near +-1.797E308) are reported on\n"
    "                           standard error, with exit status 1\n"
    "  --decimal-separator C    the decimal separator of the numbers in FILE, in the report and\n"
    "                           on the chart's axes (default: the locale's, from LC_ALL /\n"
    "                           LC_NUMERIC / LANG)\n"
    "  --max-seconds N          end the run (load, fit and output) after N seconds, a number\n"
    "                           with \".\" as decimal separator, with a message and exit\n"
    "                           status 1; output files not yet written stay as they were\n"
    "  --help                   show this text\n"
    "  --version                show the version\n"
    "\n"
    "The grid starts as the window's does: 21 rows, headers \"X\" and \"Y\". Data files hold\n"
    "one point per line, X then Y, separated by blanks or tabs; a FILE whose name ends in\n"
    "\".csv\" holds comma-separated values (\";\" where the first line uses it, a first line of\n"
    "column titles skipped). Standard input is read as blank-separated text.\n"
    "\n"
    "An output that is a regular file, or a name not yet taken, is replaced only once its new\n"
    "content is complete and on disk, keeping its permissions, owner and group; a symbolic link\n"
    "is written through to its target. A device, a named pipe, /dev/stdout and /dev/fd/N are\n"
    "written where they stand: with standard output appended to a file (\">> log\") the output\n"
    "is appended after the report. An output that is the data file, or the same file as the\n"
    "other output, is refused.\n"
    "\n"
    "Exit status: 0 when the fit reported its lines (with --model all: when at least one model\n"
    "fitted) and everything was written; 1 when an error ended the load, the data plot, the fit\n"
    "(every fit with --model all), a write (standard output included) or the time\n"
    "limit (its message, as the window's error box shows it, goes to standard error, control\n"
    "characters shown as \\xHH; \"Out of memory.\" when memory ran out); 2 on a usage error or\n"
    "refused outputs. Ctrl+C ends the run with \"interrupted\", leaving no partial file, as a\n"
    "program ended by the signal (status 130 in the shell).\n"
    "\n"
    "When standard error is a terminal, a run that takes more than half a second shows there\n"
    "what it does and how far it got, on one line that is erased before the report.\n";

struct Options {
  Model model = Model::kLinear;
  bool all_models = false;  // --model all
  bool stats = false;
  bool json = false;
  std::string file;
  std::optional<std::string> curve_out;
  std::optional<std::string> plot_out;
  std::optional<char> decimal_separator;
  std::optional<double> max_seconds;
  std::string max_seconds_text;
};

[[noreturn]] void UsageError(const std::string& message, bool show_usage = true) {
  std::cerr << "tarvolen-fit: " << message << '\n';
  if (show_usage) std::cerr << '\n' << kUsage;
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
      if (WriteStandardOutput(kUsage) && CloseStandardOutput()) std::exit(0);
      std::cerr << ErrorBoxText(EWriteError().what()) << '\n';
      std::exit(1);
    } else if (arg == "--version") {
      const std::string version = std::string("tarvolen-fit (Tarvolen) ") + ProgramVersion() + "\n";
      if (WriteStandardOutput(version) && CloseStandardOutput()) std::exit(0);
      std::cerr << ErrorBoxText(EWriteError().what()) << '\n';
      std::exit(1);
    } else if (arg == "--model") {
      const std::string text = value();
      const auto model = ParseModel(text);
      std::string lower = text;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      options.all_models = !model && lower == "all";
      if (!model && !options.all_models) UsageError("unknown model '" + text + "'");
      if (model) options.model = *model;
      have_model = true;
    } else if (arg == "--stats") {
      options.stats = true;
    } else if (arg == "--json") {
      options.json = true;
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
    } else if (arg == "--max-seconds") {
      const std::string text = value();
      double seconds = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
      if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
          !(seconds > 0) || !std::isfinite(seconds)) {
        UsageError("--max-seconds needs a number of seconds greater than 0, such as 60 or 2.5");
      }
      options.max_seconds = seconds;
      options.max_seconds_text = text;
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
  if (options.all_models && (options.curve_out || options.plot_out)) {
    UsageError("--curve and --plot need one model, not --model all");
  }
  std::vector<NamedOutput> outputs;
  if (options.curve_out) outputs.push_back({"--curve", *options.curve_out});
  if (options.plot_out) outputs.push_back({"--plot", *options.plot_out});
  if (const auto clash = OutputClash(options.file, outputs)) UsageError(*clash, false);
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

// Writes the curve the fit left on the chart; without one (the fit failed before replacing it)
// the file stays as it was.
void WriteCurve(const std::string& path, const TLineSeries* curve, char separator) {
  if (!curve) return;
  std::string text;
  const std::size_t count = curve->Count();
  text.reserve(count * 40);
  char buffer[64];
  for (std::size_t i = 0; i < count; ++i) {
    char* p = std::to_chars(buffer, buffer + 32, curve->XValues()[i], std::chars_format::general,
                            17).ptr;
    *p++ = ' ';
    p = std::to_chars(p, buffer + 63, curve->YValues()[i], std::chars_format::general, 17).ptr;
    *p++ = '\n';
    // In the report's decimal separator: a file the program reads back with the same setting.
    if (separator != '.') std::replace(buffer, p, '.', separator);
    text.append(buffer, p);
  }
  WriteWholeFile(path, text);
}

#ifdef TARVOLEN_HAVE_RENDER
// Draws the frame the window would paint now: the next frame's layout depends on it.
void PaintAsWindow(TChart& chart) { render::RenderChartImage(chart); }
#endif

// --model all: the ten fits ranked; status 1 when none of them fitted.
int RunComparison(const Options& options, const GridTable& grid, char separator) {
  const ModelComparison comparison = CompareModels(grid, separator);
  WriteStandardOutput(ComparisonOutputText(comparison, options.stats, options.json, separator));
  const bool any_fitted = std::any_of(comparison.models.begin(), comparison.models.end(),
                                      [](const ComparedModel& entry) { return entry.Fitted(); });
  if (!any_fitted) std::cerr << ErrorBoxText("No model could be fitted to the data") << '\n';
  return any_fitted ? 0 : 1;
}

// The grid of the run. It holds a text for every cell and is kept, reachable, until the process
// ends, which returns its memory at once: destroying the texts one by one would add about 2 ms
// to a run of 10^5 rows and 20 ms to one of 10^6.
GridTable& RunGrid() {
  static GridTable* const grid = new GridTable;
  return *grid;
}

int RunCommand(const Options& options) {
  const FormatSettings format = LocaleFormat(options.decimal_separator);
  const char separator = format.decimal_separator;

  GridTable& grid = RunGrid();
  grid.WriteHeaders();
  TChart chart;
  ConfigureChart1(chart);
  chart.SetLabelFormat(format);
  ChartCurve curve(chart);
  FitFields fields;
  StringResultLines memo;

#ifdef TARVOLEN_HAVE_RENDER
  std::optional<render::GuiForPictures> gui;
  if (options.plot_out) {
    gui.emplace(/*quiet=*/true);
    PaintAsWindow(chart);
  }
#endif

  // On a terminal, what a long run does; erased before anything else is written there.
  std::optional<ProgressLine> progress;
  if (ShowsProgressOn(STDERR_FILENO)) progress.emplace(STDERR_FILENO);
  const auto erase_progress = [&] {
    if (progress) progress->Erase();
  };
  ProgressObserver* const observer = progress ? &*progress : nullptr;

  if (progress) progress->SetStage("loading");
  try {
    if (options.file == kStandardInputName) {
      FillGridFromText(ReadStandardInputUntil('\0'), grid, Progress(observer));
    } else {
      LoadDataFile(options.file, grid, Progress(observer));
    }
  } catch (const Exception& error) {
    erase_progress();
    ShowError(error);
    if (options.json) {
      WriteStandardOutput(options.all_models ? std::string("[]\n")
                                             : FitOutputText(options.model, {}, nullptr,
                                                             ErrorBoxText(error.what()), false,
                                                             true, separator));
    }
    return 1;
  }

  if (options.all_models) {
    erase_progress();
    return RunComparison(options, grid, separator);
  }

  int status = 0;
#ifdef TARVOLEN_HAVE_RENDER
  if (options.plot_out) {
    try {
      PlotDataPoints(chart, grid, separator, curve.Series());
    } catch (const Exception& error) {
      erase_progress();
      ShowError(error);
      status = 1;
    }
    PaintAsWindow(chart);
  }
#endif

  // Without a picture or a curve file the samples are computed and checked but not kept.
  const bool keep_curve = options.plot_out.has_value() || options.curve_out.has_value();
  FitTarget target{grid, keep_curve ? &curve : nullptr, fields, memo, separator};
  target.observer = observer;
  if (progress) {
    progress->SetStage("fitting the " + std::string(ModelName(options.model)) + " model");
  }
  std::optional<FitResult> result;
  std::string fit_error;
  try {
    result = RunFit(options.model, target);
  } catch (const Exception& error) {
    erase_progress();
    ShowError(error);
    fit_error = ErrorBoxText(error.what());
    status = 1;
  }
  erase_progress();
  // Written before the outputs, which may be standard output too; a failure is reported when
  // standard output is closed.
  WriteStandardOutput(FitOutputText(options.model, memo.Lines(), result ? &*result : nullptr,
                                    fit_error, options.stats, options.json, separator));

  if (options.curve_out) {
    try {
      WriteCurve(*options.curve_out, curve.Series(), separator);
    } catch (const Exception& error) {
      ShowError(error);
      status = 1;
    }
  }
#ifdef TARVOLEN_HAVE_RENDER
  if (options.plot_out) {
    try {
      PaintAsWindow(chart);
      if (const auto undrawable = UndrawableRange(chart)) {
        std::cerr << ErrorBoxText(*undrawable) << '\n';
        status = 1;
      }
      const auto format = render::PictureFormatOfName(*options.plot_out);
      render::SaveChartPicture(chart, *options.plot_out,
                               format.value_or(render::PictureFormat::kBmp));
    } catch (const Exception& error) {
      ShowError(error);
      status = 1;
    }
  }
#endif
  return status;
}

int Run(const Options& options) {
  EndCleanlyOnSignals();
  if (options.max_seconds) {
    LimitRunTime(*options.max_seconds, "tarvolen-fit: stopped after " + options.max_seconds_text +
                                           " seconds (--max-seconds)");
  }
  int status = 1;
  try {
    status = RunCommand(options);
  } catch (const std::bad_alloc&) {
    std::cerr << ErrorBoxText("Out of memory") << '\n';
    status = 1;
  }
  if (!CloseStandardOutput()) {
    ShowError(EWriteError());
    status = 1;
  }
  return status;
}

}  // namespace
}  // namespace tarvolen

int main(int argc, char** argv) {
  tarvolen::HoldStandardDescriptors();
  const tarvolen::Options options = tarvolen::ParseOptions(argc, argv);
  tarvolen::StartFast(argc, argv, options.file, options.plot_out.has_value());
  return tarvolen::Run(options);
}
