// tarvolen-fit's progress line, on a pseudo-terminal of the test's own: when it shows, what it
// says, and that it leaves an empty line behind.

#include "cli/progress_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <string>

namespace tarvolen {
namespace {

class PseudoTerminal {
 public:
  PseudoTerminal() {
    EXPECT_EQ(::openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  ~PseudoTerminal() {
    ::close(master_);
    ::close(slave_);
  }
  int Slave() const { return slave_; }
  // What was written to the terminal since the last call.
  std::string Read() {
    std::string text;
    char buffer[256];
    ssize_t got;
    while ((got = ::read(master_, buffer, sizeof buffer)) > 0) text.append(buffer, got);
    return text;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
};

TEST(ProgressLine, ShowsOnlyOnATerminal) {
  PseudoTerminal terminal;
  EXPECT_TRUE(ShowsProgressOn(terminal.Slave()));
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  EXPECT_FALSE(ShowsProgressOn(pipe_fds[1]));
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
  EXPECT_FALSE(ShowsProgressOn(-1));
}

TEST(ProgressLine, AppearsAfterTheDelayRewritesItselfAndIsErased) {
  PseudoTerminal terminal;
  double now = 100;
  const std::string fitting = "tarvolen-fit: fitting the exponential model 0%";
  {
    ProgressLine line(terminal.Slave(), 0.5, [&] { return now; });
    line.SetStage("loading");
    line.Progressed(0.3);
    now += 0.4;
    line.Progressed(0.6);
    EXPECT_EQ(terminal.Read(), "");  // a short run shows nothing
    now += 0.2;
    line.Progressed(0.7);
    EXPECT_EQ(terminal.Read(), "\rtarvolen-fit: loading 70%");
    now += 0.05;
    line.Progressed(0.8);
    EXPECT_EQ(terminal.Read(), "");  // at most ten times a second within a stage
    now += 0.1;
    line.Progressed(0.8);
    line.Progressed(0.8);
    EXPECT_EQ(terminal.Read(), "\rtarvolen-fit: loading 80%");
    line.SetStage("fitting the exponential model");
    line.Progressed(0.0);
    EXPECT_EQ(terminal.Read(), "\r" + fitting);  // a new stage shows at once
    line.SetStage("x");
    line.Progressed(1.0);  // a shorter line covers what is left of the longer one
    EXPECT_EQ(terminal.Read(), "\rtarvolen-fit: x 100%" + std::string(fitting.size() - 20, ' '));
    line.Erase();
    EXPECT_EQ(terminal.Read(), "\r" + std::string(20, ' ') + "\r");
    line.Erase();
    EXPECT_EQ(terminal.Read(), "");
    line.Progressed(0.5);
  }
  // Going away erases what is shown.
  EXPECT_EQ(terminal.Read(), "\rtarvolen-fit: x 50%\r" + std::string(19, ' ') + "\r");
}

TEST(ProgressLine, TextNamesTheStageAndWholePercents) {
  EXPECT_EQ(ProgressLineText("loading", 0), "tarvolen-fit: loading 0%");
  EXPECT_EQ(ProgressLineText("loading", 0.999), "tarvolen-fit: loading 99%");
  EXPECT_EQ(ProgressLineText("fitting the linear model", 1),
            "tarvolen-fit: fitting the linear model 100%");
  EXPECT_EQ(ProgressLineText("loading", 1.5), "tarvolen-fit: loading 100%");
}

}  // namespace
}  // namespace tarvolen
