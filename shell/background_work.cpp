#include "shell/background_work.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <utility>

namespace tarvolen {
namespace {

// Progress in thousandths: finer steps would not show on a bar.
constexpr int kProgressSteps = 1000;

// The work's observer: progress and cancel through the promise of its future.
class PromiseObserver : public ProgressObserver {
 public:
  explicit PromiseObserver(QPromise<void>& promise) : promise_(promise) {}
  void Progressed(double fraction) override {
    promise_.setProgressValue(static_cast<int>(std::lround(fraction * kProgressSteps)));
  }
  // The promise's state is read atomically: any thread may ask.
  bool StopRequested() const override { return promise_.isCanceled(); }

 private:
  QPromise<void>& promise_;
};

}  // namespace

TBackgroundWork::TBackgroundWork(QObject* parent) : QObject(parent) {
  pool_.setMaxThreadCount(1);
  connect(&watcher_, &QFutureWatcherBase::progressValueChanged, this,
          [this](int value) { emit Progressed(static_cast<double>(value) / kProgressSteps); });
  connect(&watcher_, &QFutureWatcherBase::finished, this, &TBackgroundWork::Finish);
}

TBackgroundWork::~TBackgroundWork() {
  watcher_.disconnect(this);
  if (busy_) {
    future_.cancel();
    future_.waitForFinished();
  }
}

void TBackgroundWork::Start(Work work, Apply apply) {
  if (busy_) return;
  // Busy only once the work runs: running out of memory on the way leaves the window idle.
  auto error_slot = std::make_shared<std::exception_ptr>();
  QFuture<void> future = QtConcurrent::run(
      &pool_, [work = std::move(work), error = error_slot](QPromise<void>& promise) {
        promise.setProgressRange(0, kProgressSteps);
        PromiseObserver observer(promise);
        try {
          work(observer);
        } catch (const Cancelled&) {
          // Nothing to show: the window discards cancelled work.
        } catch (...) {
          *error = std::current_exception();
        }
      });
  busy_ = true;
  cancelled_ = false;
  apply_ = std::move(apply);
  error_ = std::move(error_slot);
  future_ = std::move(future);
  watcher_.setFuture(future_);
  emit Started();
}

void TBackgroundWork::Cancel() {
  if (!busy_ || cancelled_) return;
  cancelled_ = true;
  future_.cancel();
}

void TBackgroundWork::WaitUntilIdle() {
  if (!busy_) return;
  future_.waitForFinished();
  Finish();
}

void TBackgroundWork::Finish() {
  // The watcher reports the end once more after WaitUntilIdle has ended the work.
  if (!busy_ || !future_.isFinished()) return;
  busy_ = false;
  const Apply apply = std::exchange(apply_, nullptr);
  const std::exception_ptr error = *std::exchange(error_, nullptr);
  const bool cancelled = cancelled_;
  emit Ended();
  if (!cancelled && apply) apply(error);
}

}  // namespace tarvolen
