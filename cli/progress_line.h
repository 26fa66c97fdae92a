#pragma once

// tarvolen-fit's progress line: on a terminal, a long run shows on standard error what it does
// and how far it got, on one line rewritten in place, which is erased again before the report
// or a message is written. Anywhere else (a file, a pipe) nothing is shown.

#include <functional>
#include <string>
#include <string_view>

#include "common/progress.h"

namespace tarvolen {

// Whether progress is shown on descriptor `fd`: only when it is a terminal.
bool ShowsProgressOn(int fd);

// The line for `stage` ("loading", "fitting the exponential model") at `fraction` done:
// "tarvolen-fit: fitting the exponential model 45%".
std::string ProgressLineText(std::string_view stage, double fraction);

// Writes the progress line to `fd` once the run has lasted `delay` seconds (short runs show
// nothing), then whenever the stage changes, and within a stage at most every tenth of a second
// while the percentage changes. Never stops the work (Ctrl+C ends the program).
class ProgressLine : public ProgressObserver {
 public:
  // `now` gives the seconds of a steady clock; by default the system's.
  explicit ProgressLine(int fd, double delay = 0.5, std::function<double()> now = {});
  ~ProgressLine() override;
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // What the run does from now on.
  void SetStage(std::string stage);
  // Erases the line, if one is shown: the next output starts on an empty line.
  void Erase();

  void Progressed(double fraction) override;
  bool StopRequested() const override { return false; }

 private:
  void Write(const std::string& text);

  int fd_;
  std::function<double()> now_;
  double start_;
  double delay_;
  std::string stage_;
  double last_write_ = -1;  // when the line was last written; < 0: not shown
  std::size_t shown_length_ = 0;
  int shown_percent_ = -1;
};

}  // namespace tarvolen
