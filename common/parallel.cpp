#include "common/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace tarvolen {
namespace {

// A fixed set of threads started on first use. One job runs at a time; its indices are handed
// out one by one to whichever thread asks next, the caller's thread among them. A worker that
// finished a job watches for the next one for a short while before it sleeps: the passes of a
// fit follow each other within microseconds, and waking a sleeping thread takes longer.
class WorkerPool {
 public:
  explicit WorkerPool(std::size_t threads) : threads_(threads) {
    for (std::size_t t = 1; t < threads; ++t) {
      workers_.emplace_back([this](std::stop_token stop) { Work(stop); });
    }
  }
  ~WorkerPool() {
    for (std::jthread& worker : workers_) worker.request_stop();
    wake_.notify_all();
  }

  std::size_t Threads() const { return threads_; }

  void Run(std::size_t count, const std::function<void(std::size_t)>& task) {
    std::lock_guard job(job_mutex_);  // one job at a time
    {
      std::lock_guard state(mutex_);
      task_ = &task;
      count_ = count;
      next_ = 0;
      done_ = 0;
      generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
    Help();
    // The last indices may still run on other threads.
    if (!SpinUntil([&] { return done_.load(std::memory_order_acquire) == count_; })) {
      std::unique_lock state(mutex_);
      finished_.wait(state, [&] { return done_.load(std::memory_order_acquire) == count_; });
    }
    {
      std::lock_guard state(mutex_);
      task_ = nullptr;
    }
    // A thread that took the job late only finds no index left; it must be gone before the next
    // job resets the counters.
    while (helpers_.load(std::memory_order_acquire) != 0) __builtin_ia32_pause();
  }

 private:
  // Polls `ready` for up to about 200 microseconds; true as soon as it holds.
  template <class Ready>
  static bool SpinUntil(Ready&& ready) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
    for (int i = 0;; ++i) {
      if (ready()) return true;
      if ((i & 63) == 63 && std::chrono::steady_clock::now() > until) return ready();
      __builtin_ia32_pause();
    }
  }

  void Work(std::stop_token stop) {
    std::uint64_t seen = 0;
    for (;;) {
      const auto fresh = [&] { return generation_.load(std::memory_order_acquire) != seen; };
      if (!SpinUntil(fresh)) {
        std::unique_lock state(mutex_);
        if (!wake_.wait(state, stop, fresh)) return;
      }
      seen = generation_.load(std::memory_order_acquire);
      Help();
    }
  }

  // Takes indices of the current job until none is left.
  void Help() {
    const std::function<void(std::size_t)>* task;
    std::size_t count;
    {
      std::lock_guard state(mutex_);
      task = task_;
      count = count_;
      if (task == nullptr) return;
      helpers_.fetch_add(1, std::memory_order_relaxed);
    }
    for (;;) {
      const std::size_t index = next_.fetch_add(1, std::memory_order_relaxed);
      if (index >= count) {
        helpers_.fetch_sub(1, std::memory_order_release);
        return;
      }
      (*task)(index);
      if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == count) {
        std::lock_guard state(mutex_);
        finished_.notify_all();
      }
    }
  }

  std::size_t threads_;
  std::mutex job_mutex_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable finished_;
  const std::function<void(std::size_t)>* task_ = nullptr;
  std::size_t count_ = 0;
  std::atomic<std::size_t> next_{0};
  std::atomic<std::size_t> done_{0};
  std::atomic<std::uint64_t> generation_{0};
  std::atomic<int> helpers_{0};  // threads inside Help
  std::vector<std::jthread> workers_;
};

WorkerPool& Pool() {
  static WorkerPool pool(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8));
  return pool;
}

std::atomic<std::size_t> worker_limit{8};

}  // namespace

std::size_t WorkerCount() { return std::min(Pool().Threads(), worker_limit.load()); }

void SetWorkerLimit(std::size_t limit) { worker_limit = std::max<std::size_t>(limit, 1); }

void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& task) {
  if (count == 0) return;
  WorkerPool& pool = Pool();
  if (count == 1 || WorkerCount() == 1) {
    for (std::size_t i = 0; i < count; ++i) task(i);
    return;
  }
  pool.Run(count, task);
}

}  // namespace tarvolen
