#include "common/pending_files.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace tarvolen {
namespace {

constexpr int kSlots = 16;
enum : int { kFree, kFilling, kNoted };
struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free);
// Shared by the whole program: a signal handler finds the files only here.
Slot slots[kSlots];

extern "C" void RemovePendingFilesAndEnd(int signal_number) {
  RemovePendingFiles();
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);  // delivered as the handler returns: the default action ends the program
}

void InstallHandlerOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      struct sigaction old {};
      if (::sigaction(signal_number, nullptr, &old) != 0) continue;
      // A program that ignores the signal or handles it itself keeps it so.
      if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) continue;
      struct sigaction action {};
      action.sa_handler = RemovePendingFilesAndEnd;
      sigemptyset(&action.sa_mask);
      ::sigaction(signal_number, &action, nullptr);
    }
  });
}

}  // namespace

PendingFile::PendingFile(int folder, const std::string& full_path, std::string name)
    : folder_(folder), name_(std::move(name)) {
  InstallHandlerOnce();
  if (full_path.size() >= PATH_MAX) return;  // a handler could not remove it anyway
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
      std::memcpy(slots[i].path, full_path.c_str(), full_path.size() + 1);
      slots[i].state.store(kNoted);
      slot_ = i;
      return;
    }
  }
}

PendingFile::~PendingFile() {
  if (!kept_) ::unlinkat(folder_, name_.c_str(), 0);
  Forget();
}

void PendingFile::Kept() {
  kept_ = true;
  Forget();
}

void PendingFile::Forget() {
  if (slot_ >= 0) slots[slot_].state.store(kFree);
  slot_ = -1;
}

void RemovePendingFiles() noexcept {
  for (Slot& slot : slots) {
    if (slot.state.load() == kNoted) ::unlink(slot.path);
  }
}

}  // namespace tarvolen
