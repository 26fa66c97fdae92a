#include "cli/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <utility>

namespace tarvolen {
namespace {

constexpr double kInterval = 0.1;  // seconds between two writes of the line

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int Percent(double fraction) {
  return static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
}

}  // namespace

bool ShowsProgressOn(int fd) { return ::isatty(fd) == 1; }

std::string ProgressLineText(std::string_view stage, double fraction) {
  return "tarvolen-fit: " + std::string(stage) + ' ' + std::to_string(Percent(fraction)) + '%';
}

ProgressLine::ProgressLine(int fd, double delay, std::function<double()> now)
    : fd_(fd), now_(now ? std::move(now) : SteadySeconds), start_(now_()), delay_(delay) {}

ProgressLine::~ProgressLine() { Erase(); }

void ProgressLine::SetStage(std::string stage) {
  stage_ = std::move(stage);
  shown_percent_ = -1;
}

void ProgressLine::Progressed(double fraction) {
  const double now = now_();
  if (now - start_ < delay_) return;
  const int percent = Percent(fraction);
  if (shown_percent_ >= 0 && (percent == shown_percent_ || now - last_write_ < kInterval)) return;
  std::string text = ProgressLineText(stage_, fraction);
  const std::size_t length = text.size();
  // A shorter line covers the rest of the longer one before it.
  if (length < shown_length_) text.append(shown_length_ - length, ' ');
  Write('\r' + text);
  shown_length_ = length;
  shown_percent_ = percent;
  last_write_ = now;
}

void ProgressLine::Erase() {
  if (last_write_ < 0) return;
  Write('\r' + std::string(shown_length_, ' ') + '\r');
  last_write_ = -1;
  shown_length_ = 0;
  shown_percent_ = -1;
}

void ProgressLine::Write(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t put = ::write(fd_, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;  // a line that cannot be shown is no error of the run
    done += static_cast<std::size_t>(put);
  }
}

}  // namespace tarvolen
