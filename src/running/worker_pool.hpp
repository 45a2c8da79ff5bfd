#pragma once

// The process-wide pool of worker threads that runs the pieces of every batch. It holds one
// worker per logical processor, is created by the first batch and lives as long as the process:
// a batch never starts threads of its own, so a front end calling chunk() many times a second
// pays for thread creation once.
//
// Jobs are run in the order they were submitted. A job must not throw and must not wait for
// another job of the pool.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor::odds {

// How many logical processors the system reports, or 0 when it cannot tell.
std::size_t logical_processors();

// How many pieces a batch is cut into when the caller asks for 0 threads: the logical
// processors, at most 4, and 1 when the system cannot tell.
std::size_t default_thread_count();

class WorkerPool {
 public:
  // The process's pool, created on first use and never destroyed. In a child made by fork() the
  // parent's workers do not exist, so the child gets a pool of its own (the parent's is
  // abandoned, never touched), whatever the parent's other threads were doing at the fork.
  static WorkerPool& shared();

  // How many workers are running. 0 when the system refused to start any thread; callers then
  // run their jobs themselves.
  std::size_t size() const { return workers_.size(); }

  // Queues a job for the next free worker.
  void submit(std::function<void()> job);

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

 private:
  explicit WorkerPool(std::size_t workers);
  void work();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> workers_;
};

}  // namespace vantor::odds
