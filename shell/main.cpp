// Tarvolen: the curve-fitting window.

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <string_view>

#include "common/installation.h"
#include "shell/Unit1.h"

namespace {

constexpr const char* kUsage =
    "Usage: tarvolen [FILE]\n"
    "\n"
    "Starts the Tarvolen curve-fitting window. With FILE, loads it at start-up as File, Load\n"
    "Data does: one point per line, X then Y, separated by blanks or tabs, or comma-separated\n"
    "values when the name ends in \".csv\". An error in the file shows in the window's error\n"
    "box.\n"
    "\n"
    "  --help                   show this text\n"
    "  --version                show the version\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted too. tarvolen-fit fits a data file\n"
    "without the window.\n";

int UsageError(const QString& message) {
  std::fprintf(stderr, "tarvolen: %s\n\n%s", qPrintable(message), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // These answer without a window, so they work where there is no display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("tarvolen (Tarvolen) %s\n", tarvolen::ProgramVersion());
      return 0;
    }
  }

  QApplication app(argc, argv);
  // The application object has taken out Qt's own options; what is left is the data file.
  QString file;
  bool options_ended = false;
  for (const QString& arg : QApplication::arguments().mid(1)) {
    if (!options_ended && arg == u"--") {
      options_ended = true;
    } else if (!options_ended && arg.startsWith(u'-')) {
      return UsageError(u"unknown option "_qs + arg);
    } else if (!file.isNull()) {
      return UsageError(u"more than one data file given"_qs);
    } else {
      file = arg;
    }
  }

  QGuiApplication::setDesktopFileName(u"org.tarvolen.Tarvolen"_qs);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  tarvolen::TForm1 form;
  form.show();
  if (!file.isNull()) {
    QTimer::singleShot(0, &form, [&form, file] { form.OpenFile(file); });
  }
  return app.exec();
}
