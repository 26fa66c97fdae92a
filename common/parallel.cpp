#include "common/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tarvolen {
namespace {

// More workers than this are never started, whatever a caller asks.
constexpr std::size_t kMostWorkers = 63;

// How deep the calling thread is inside tasks of a job: a ParallelFor from there runs inline.
thread_local int task_depth = 0;

class InsideTask {
 public:
  InsideTask() { ++task_depth; }
  ~InsideTask() { --task_depth; }
  InsideTask(const InsideTask&) = delete;
  InsideTask& operator=(const InsideTask&) = delete;
};

// Threads started on demand and kept for the program's life. One job runs at a time; its indices
// are handed out one by one to whichever thread asks next, the caller's thread among them.
class WorkerPool {
 public:
  ~WorkerPool() {
    for (std::jthread& worker : workers_) worker.request_stop();
    wake_.notify_all();
  }

  std::size_t Started() {
    std::lock_guard state(mutex_);
    return workers_.size();
  }

  void Run(std::size_t count, const std::function<void(std::size_t)>& task, std::size_t threads) {
    std::lock_guard job(job_mutex_);  // one job at a time
    const std::size_t helpers = StartWorkers(std::min(threads - 1, kMostWorkers));
    std::uint64_t generation;
    {
      std::lock_guard state(mutex_);
      task_ = &task;
      count_ = count;
      next_ = 0;
      running_ = 0;
      abandoned_ = false;
      error_ = nullptr;
      helpers_wanted_ = helpers;
      helpers_joined_ = 0;
      generation = ++generation_;
      published_.store(generation, std::memory_order_release);
    }
    if (helpers > 0) wake_.notify_all();
    Help(generation);
    std::exception_ptr error;
    {
      std::unique_lock state(mutex_);
      finished_.wait(state, [&] { return running_ == 0; });
      task_ = nullptr;
      error = std::exchange(error_, nullptr);
    }
    if (error) std::rethrow_exception(error);
  }

 private:
  // Starts workers until `wanted` are there or one cannot be started; returns how many there are.
  std::size_t StartWorkers(std::size_t wanted) {
    while (workers_.size() < wanted && !cannot_start_) {
      try {
        // The calling thread keeps a core busy; a worker beyond the other cores does not watch.
        const bool watches = workers_.size() + 2 <= std::thread::hardware_concurrency();
        std::jthread worker([this, watches](std::stop_token stop) { Work(stop, watches); });
        std::lock_guard state(mutex_);
        workers_.push_back(std::move(worker));
      } catch (const std::system_error&) {
        cannot_start_ = true;  // a limit on threads: carry on with those there are
      } catch (const std::bad_alloc&) {
        cannot_start_ = true;
      }
    }
    return std::min(workers_.size(), wanted);
  }

  // A pass runs its rounds as jobs one after another. Waking a sleeping thread takes tens of
  // microseconds, as much as a round's share of work in many passes: a worker that has a core of
  // its own (`watches`) therefore watches for the next job for a while before it sleeps.
  void Work(std::stop_token stop, bool watches) {
    std::uint64_t seen = 0;
    for (;;) {
      if (watches) WatchForNextJob(seen, stop);
      std::uint64_t generation;
      {
        std::unique_lock state(mutex_);
        if (!wake_.wait(state, stop, [&] { return generation_ != seen; })) return;
        seen = generation = generation_;
        if (task_ == nullptr || helpers_joined_ == helpers_wanted_) continue;
        ++helpers_joined_;
      }
      Help(generation);
    }
  }

  void WatchForNextJob(std::uint64_t seen, const std::stop_token& stop) const {
    constexpr auto kWatch = std::chrono::microseconds(300);
    const auto until = std::chrono::steady_clock::now() + kWatch;
    while (published_.load(std::memory_order_acquire) == seen && !stop.stop_requested() &&
           std::chrono::steady_clock::now() < until) {
      for (int i = 0; i < 16; ++i) __builtin_ia32_pause();
    }
  }

  // Takes indices of the job `generation` until none is left or the job is abandoned.
  void Help(std::uint64_t generation) {
    std::unique_lock state(mutex_);
    for (;;) {
      if (generation_ != generation || abandoned_ || next_ == count_) return;
      const std::size_t index = next_++;
      const std::function<void(std::size_t)>* task = task_;
      ++running_;
      state.unlock();
      std::exception_ptr error;
      {
        const InsideTask inside;
        try {
          (*task)(index);
        } catch (...) {
          error = std::current_exception();
        }
      }
      state.lock();
      if (error) {
        if (!error_) error_ = error;
        abandoned_ = true;
      }
      if (--running_ == 0) finished_.notify_all();
    }
  }

  std::mutex job_mutex_;
  bool cannot_start_ = false;  // guarded by job_mutex_
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable finished_;
  // The current job, guarded by mutex_.
  const std::function<void(std::size_t)>* task_ = nullptr;
  std::size_t count_ = 0, next_ = 0, running_ = 0;
  std::size_t helpers_wanted_ = 0, helpers_joined_ = 0;
  bool abandoned_ = false;
  std::exception_ptr error_;
  std::uint64_t generation_ = 0;
  std::atomic<std::uint64_t> published_{0};  // generation_, for the watching workers
  std::vector<std::jthread> workers_;
};

WorkerPool& Pool() {
  static WorkerPool pool;
  return pool;
}

}  // namespace

std::size_t DefaultThreadCount() {
  static const std::size_t count =
      std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
  return count;
}

std::size_t StartedWorkerThreads() {
  return Pool().Started();
}

void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& task,
                 std::size_t threads) {
  if (count == 0) return;
  if (threads == 0) threads = DefaultThreadCount();
  if (count == 1 || threads == 1 || task_depth > 0) {
    for (std::size_t i = 0; i < count; ++i) task(i);
    return;
  }
  Pool().Run(count, task, threads);
}

}  // namespace tarvolen
