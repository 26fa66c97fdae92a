#include "shell/dialogs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <fstream>

namespace tarvolen {
namespace {

// Sets an environment variable (unsets it for a null value) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)) {
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }
  ~ScopedEnv() { old_.isNull() ? qunsetenv(name_) : qputenv(name_, old_); }

 private:
  const char* name_;
  QByteArray old_;
};

// The desktop's answer comes from xdg-mime, which knows viewers by any of a type's names; web
// types also count the browser that xdg-open falls back to.
TEST(TDialogs, HasViewerAsksXdgMimeUnderEveryNameOfTheType) {
  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  const std::string script = bin.filePath("xdg-mime").toStdString();
  std::ofstream(script) << "#!/bin/sh\n"
                           "[ \"$1 $2\" = \"query default\" ] || exit 1\n"
                           "case \" $FAKE_DEFAULTS \" in *\" $3 \"*) echo viewer.desktop ;; esac\n";
  ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
  const struct {
    const char* defaults;  // the types xdg-mime has a default application for
    const char* browser;   // $BROWSER, or null
    bool xdg_mime;         // whether xdg-mime is on the PATH
    const char* asked;
    bool expected;
  } cases[] = {
      {"application/x-chm", nullptr, true, "application/vnd.ms-htmlhelp", true},  // an alias
      {"text/html", nullptr, true, "application/vnd.ms-htmlhelp", false},
      {"", nullptr, true, "x-scheme-handler/https", false},
      {"", "firefox", true, "x-scheme-handler/https", true},
      {"", "firefox", false, "text/html", true},
      {"application/vnd.ms-htmlhelp", nullptr, false, "application/vnd.ms-htmlhelp", false},
  };
  TDialogs dialogs;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.asked) + " with " + c.defaults);
    const ScopedEnv path("PATH", c.xdg_mime ? bin.path().toLocal8Bit() : QByteArray("/nowhere"));
    const ScopedEnv defaults("FAKE_DEFAULTS", c.defaults);
    const ScopedEnv browser("BROWSER", c.browser ? QByteArray(c.browser) : QByteArray());
    EXPECT_EQ(dialogs.HasViewer(QString::fromLatin1(c.asked)), c.expected);
  }
}

}  // namespace
}  // namespace tarvolen
