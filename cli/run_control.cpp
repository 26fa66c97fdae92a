#include "cli/run_control.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>

#include "common/pending_files.h"

namespace tarvolen {
namespace {

// Texts the signal handlers write: prepared beforehand, since a handler may not allocate.
constexpr char kInterrupted[] = "tarvolen-fit: interrupted\n";
constexpr char kTerminated[] = "tarvolen-fit: terminated\n";
constexpr char kOutOfMemory[] = "Out of memory.\n";
char time_limit_message[512];
std::size_t time_limit_length = 0;

void Say(const char* text, std::size_t length) {
  while (length > 0) {
    const ssize_t put = ::write(STDERR_FILENO, text, length);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    text += put;
    length -= static_cast<std::size_t>(put);
  }
}

extern "C" void EndBySignal(int signal_number) {
  RemovePendingFiles();
  if (signal_number == SIGINT) Say(kInterrupted, sizeof kInterrupted - 1);
  if (signal_number == SIGTERM) Say(kTerminated, sizeof kTerminated - 1);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);  // delivered as the handler returns
}

extern "C" void EndAtTimeLimit(int) {
  RemovePendingFiles();
  Say(time_limit_message, time_limit_length);
  ::_exit(1);
}

std::terminate_handler previous_terminate = nullptr;

[[noreturn]] void TerminateHandler() {
  if (const std::exception_ptr error = std::current_exception()) {
    try {
      std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
      RemovePendingFiles();
      Say(kOutOfMemory, sizeof kOutOfMemory - 1);
      ::_exit(1);
    } catch (...) {
    }
  }
  if (previous_terminate != nullptr) previous_terminate();
  std::abort();
}

}  // namespace

void HoldStandardDescriptors() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // Opened read-only for output and write-only for input: every use fails with EBADF.
    const int held = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

void EndCleanlyOnSignals() {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    if (::sigaction(signal_number, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = EndBySignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
  previous_terminate = std::set_terminate(TerminateHandler);
}

void LimitRunTime(double seconds, const std::string& message) {
  const std::size_t length = std::min(message.size(), sizeof time_limit_message - 2);
  std::memcpy(time_limit_message, message.data(), length);
  time_limit_message[length] = '\n';
  time_limit_length = length + 1;

  struct sigaction action {};
  action.sa_handler = EndAtTimeLimit;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGALRM, &action, nullptr);
  // A limit beyond a century is no limit worth a timer.
  const double limited = std::min(seconds, 3.2e9);
  itimerval timer{};
  timer.it_value.tv_sec = static_cast<time_t>(limited);
  timer.it_value.tv_usec = static_cast<suseconds_t>((limited - std::floor(limited)) * 1e6);
  if (timer.it_value.tv_sec == 0 && timer.it_value.tv_usec == 0) timer.it_value.tv_usec = 1;
  ::setitimer(ITIMER_REAL, &timer, nullptr);
}

}  // namespace tarvolen
