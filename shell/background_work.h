#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <exception>
#include <functional>
#include <memory>

#include "common/progress.h"

namespace tarvolen {

// Long work of the window (a load, a fit), run off the window's thread one at a time.
//
// The work owns copies of its inputs and keeps what it computes to itself; it runs on a thread
// of its own and must not touch the window. When it ends, its `Apply` runs on the window's
// thread and shows the outcome, with the error that ended the work, if any. Cancelled work never
// applies: the window stays exactly as it was before the command. The work learns of a cancel
// through the observer it is handed, between chunks of its rows (see common/progress.h), and then
// ends by throwing `Cancelled`.
class TBackgroundWork : public QObject {
  Q_OBJECT

 public:
  // Runs on the work's thread; an error it throws goes to its Apply.
  using Work = std::function<void(ProgressObserver& observer)>;
  // Runs on the window's thread once the work has ended, unless it was cancelled; `error` is what
  // the work threw (null when it ended normally).
  using Apply = std::function<void(std::exception_ptr error)>;

  explicit TBackgroundWork(QObject* parent = nullptr);
  // Cancels running work and waits for it to end.
  ~TBackgroundWork() override;

  bool Busy() const { return busy_; }
  // Starts `work`; `apply` follows when it ends. Not while busy.
  void Start(Work work, Apply apply);
  // Asks the running work to stop; its Apply will not run. Nothing happens when idle.
  void Cancel();
  // Blocks until the running work has ended, then ends it here as the event loop would (Ended,
  // then the Apply unless cancelled).
  void WaitUntilIdle();

 signals:
  void Started();
  // The fraction of the work done, 0 to 1.
  void Progressed(double fraction);
  // The work has ended (done, failed or cancelled); its Apply runs right after.
  void Ended();

 private:
  void Finish();

  QThreadPool pool_;
  QFuture<void> future_;
  QFutureWatcher<void> watcher_;
  Apply apply_;
  // What the running work threw; written by its thread, read here once it has ended.
  std::shared_ptr<std::exception_ptr> error_;
  bool busy_ = false;
  bool cancelled_ = false;
};

}  // namespace tarvolen
