#include "odds/worker_pool.hpp"

#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <utility>

namespace vantor::odds {

namespace {

constexpr std::size_t kDefaultThreadCap = 4;

}  // namespace

std::size_t logical_processors() { return std::thread::hardware_concurrency(); }

std::size_t default_thread_count() {
  const std::size_t processors = logical_processors();
  return processors == 0 ? 1 : std::min(processors, kDefaultThreadCap);
}

WorkerPool& WorkerPool::shared() {
  // Never destroyed: joining workers from a static destructor at interpreter exit could wait
  // on a batch another thread left running, and the process ends them anyway.
  static std::mutex creating;
  static WorkerPool* pool = nullptr;
  static pid_t owner = 0;
  const std::lock_guard lock(creating);
  if (pool == nullptr || owner != getpid()) {
    pool = new WorkerPool(std::max<std::size_t>(logical_processors(), 1));
    owner = getpid();
  }
  return *pool;
}

WorkerPool::WorkerPool(std::size_t workers) {
  workers_.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) {
    try {
      workers_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      break;  // keep the workers we have; with none, batches run on their callers' threads
    }
  }
}

void WorkerPool::submit(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void WorkerPool::work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !jobs_.empty(); });
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    job();
  }
}

}  // namespace vantor::odds
