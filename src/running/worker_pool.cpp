#include "running/worker_pool.hpp"

#include <pthread.h>

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

namespace {

// The process's pool. Never destroyed: joining workers from a static destructor at interpreter
// exit could wait on a batch another thread left running, and the process ends them anyway.
// `creating` is held only while the pool is created, and never across a fork(): the handlers
// below take it first, so a child cannot inherit it held and wait on it for ever.
constinit std::mutex creating;
constinit WorkerPool* shared_pool = nullptr;

void before_fork() { creating.lock(); }
void after_fork_in_parent() { creating.unlock(); }
// The parent's workers do not exist in the child, so the child forgets the pool (abandoned, never
// touched) and makes its own on first use.
void after_fork_in_child() {
  shared_pool = nullptr;
  creating.unlock();
}

// Registered when the module is loaded, before any thread of ours exists.
const bool fork_handlers_registered =
    pthread_atfork(before_fork, after_fork_in_parent, after_fork_in_child) == 0;

}  // namespace

WorkerPool& WorkerPool::shared() {
  const std::lock_guard lock(creating);
  if (shared_pool == nullptr) {
    shared_pool = new WorkerPool(std::max<std::size_t>(logical_processors(), 1));
  }
  return *shared_pool;
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
