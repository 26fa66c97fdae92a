#include "common/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace tarvolen {
namespace {

// A fixed set of threads started on first use. One job runs at a time; its indices are handed
// out one by one to whichever thread asks next, the caller's thread among them.
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
    std::unique_lock lock(job_mutex_);  // one job at a time
    {
      std::lock_guard state(mutex_);
      task_ = &task;
      count_ = count;
      next_ = 0;
      done_ = 0;
      ++generation_;
    }
    wake_.notify_all();
    Help();
    std::unique_lock state(mutex_);
    finished_.wait(state, [&] { return done_ == count_; });
    task_ = nullptr;
  }

 private:
  void Work(std::stop_token stop) {
    std::uint64_t seen = 0;
    for (;;) {
      {
        std::unique_lock state(mutex_);
        if (!wake_.wait(state, stop, [&] { return generation_ != seen; })) return;
        seen = generation_;
      }
      Help();
    }
  }

  // Takes indices of the current job until none is left.
  void Help() {
    for (;;) {
      std::size_t index;
      const std::function<void(std::size_t)>* task;
      {
        std::lock_guard state(mutex_);
        if (task_ == nullptr || next_ == count_) return;
        index = next_++;
        task = task_;
      }
      (*task)(index);
      std::lock_guard state(mutex_);
      if (++done_ == count_) finished_.notify_all();
    }
  }

  std::size_t threads_;
  std::mutex job_mutex_;
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable finished_;
  const std::function<void(std::size_t)>* task_ = nullptr;
  std::size_t count_ = 0, next_ = 0, done_ = 0;
  std::uint64_t generation_ = 0;
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
