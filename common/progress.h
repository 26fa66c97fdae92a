#pragma once

// Progress and cooperative cancellation of long work (a fit, a data load).
//
// A front end that shows progress or offers Cancel hands the work a `ProgressObserver`. The work
// tells it how far it got and asks it, between chunks of rows, whether to stop; a stop ends the
// work by throwing `Cancelled`. Without an observer nothing is told or asked.

#include <algorithm>
#include <cstddef>
#include <exception>

namespace tarvolen {

class ProgressObserver {
 public:
  virtual ~ProgressObserver() = default;
  // The fraction of the work done, from 0 to 1, never falling. Called only on the thread that
  // runs the work, at most once per chunk.
  virtual void Progressed(double fraction) = 0;
  // Whether the work should stop now. Asked between chunks on any of the threads that run them,
  // possibly at once: it must be cheap and thread-safe (an atomic flag, say).
  virtual bool StopRequested() const = 0;
};

// The work ended because its observer asked it to stop. Not one of the system's errors: it
// names no fault, and front ends swallow it (what the work changed is theirs to discard).
class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "Cancelled"; }
};

// The stretch [from, to] of an outer observer's work, as an observer of its own: a piece of work
// that reports from 0 to 1 (a fit inside a longer job) moves the outer progress from `from` to
// `to`; stops are asked of the outer observer.
class PartObserver : public ProgressObserver {
 public:
  PartObserver(ProgressObserver& outer, double from, double to)
      : outer_(outer), from_(from), to_(to) {}
  void Progressed(double fraction) override { outer_.Progressed(from_ + (to_ - from_) * fraction); }
  bool StopRequested() const override { return outer_.StopRequested(); }

 private:
  ProgressObserver& outer_;
  double from_, to_;
};

// One stretch of the work as seen by its observer: a fit hands each of its passes a part of its
// own stretch. A small value, copied freely; the default one has no observer.
class Progress {
 public:
  Progress() = default;
  explicit Progress(ProgressObserver* observer) : observer_(observer) {}

  bool Observed() const { return observer_ != nullptr; }

  // The part [from, to] of this stretch (both fractions of it).
  Progress Part(double from, double to) const {
    Progress part = *this;
    part.from_ = from_ + (to_ - from_) * from;
    part.to_ = from_ + (to_ - from_) * to;
    return part;
  }

  // Throws `Cancelled` when the observer asks to stop. Any thread.
  void CheckStop() const {
    if (observer_ && observer_->StopRequested()) throw Cancelled();
  }

  // Asks whether to stop, then tells the observer that `done` of `total` of this stretch are
  // done. The thread that runs the work only.
  void Report(std::size_t done, std::size_t total) const {
    if (!observer_) return;
    CheckStop();
    const double share = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    observer_->Progressed(from_ + (to_ - from_) * std::clamp(share, 0.0, 1.0));
  }

  // Report for work over `rows` rows that is about to take row `row` (counted from 1), once
  // every chunk of rows; row rows + 1 ends the work.
  void ReportRow(int row, int rows) const {
    constexpr int kChunkRows = 1 << 14;
    if (observer_ && (row % kChunkRows == 1 || row == rows + 1)) {
      Report(static_cast<std::size_t>(row - 1), static_cast<std::size_t>(rows));
    }
  }

 private:
  ProgressObserver* observer_ = nullptr;
  double from_ = 0;
  double to_ = 1;
};

}  // namespace tarvolen
