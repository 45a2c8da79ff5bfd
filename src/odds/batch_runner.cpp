#include "odds/batch_runner.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "odds/sampling_loop.hpp"
#include "odds/worker_pool.hpp"

namespace vantor::odds {

namespace {

// What the runners of one batch share. Pieces are claimed in increasing order and merged in that
// order as soon as every earlier piece is in, so a batch cut into millions of one-sample pieces
// keeps only the few tallies that finished ahead of an earlier one, and the sums come out
// exactly as if all were merged at the end.
class Batch {
 public:
  Batch(const PreparedRequest& request, std::uint64_t samples, std::uint64_t seed,
        std::uint64_t pieces, std::size_t runners)
      : request_(request),
        samples_(samples),
        seed_(seed),
        pieces_(pieces),
        runners_left_(runners),
        merged_(request.deal.seat_count) {}

  // One runner: takes the next piece until none is left or some piece has failed.
  void run_pieces() {
    while (!failed_.load(std::memory_order_relaxed)) {
      const auto index = claim();
      if (!index) break;
      const Piece piece = piece_of(samples_, seed_, pieces_, *index);
      try {
        auto tally = sample_piece(request_, piece.target, piece.seed);
        const std::lock_guard lock(mutex_);
        if (!tally) {
          record(std::move(tally.error()));
          break;
        }
        finished_.emplace(*index, std::move(*tally));
        merge_ready();
      } catch (...) {
        const std::lock_guard lock(mutex_);
        record_fault(std::current_exception());
        break;
      }
    }
    runner_done(1);
  }

  // Called for runners that were never started (their job could not be queued).
  void runner_done(std::size_t count) {
    const std::lock_guard lock(mutex_);
    runners_left_ -= count;
    // Notified under the lock: once the waiting thread sees no runner left it destroys the batch.
    if (runners_left_ == 0) all_done_.notify_all();
  }

  void fail_with(std::exception_ptr fault) {
    const std::lock_guard lock(mutex_);
    record_fault(std::move(fault));
  }

  Expected<ChunkTally, EngineError> wait() {
    std::unique_lock lock(mutex_);
    all_done_.wait(lock, [this] { return runners_left_ == 0; });
    if (fault_) std::rethrow_exception(fault_);
    if (error_) return fail(std::move(*error_));
    return std::move(merged_);
  }

 private:
  std::optional<std::uint64_t> claim() {
    std::uint64_t index = next_.load(std::memory_order_relaxed);
    do {
      if (index >= pieces_) return std::nullopt;
    } while (!next_.compare_exchange_weak(index, index + 1, std::memory_order_relaxed));
    return index;
  }

  void merge_ready() {
    for (auto next = finished_.begin(); next != finished_.end() && next->first == merged_count_;
         next = finished_.begin()) {
      merged_.merge(next->second);
      finished_.erase(next);
      ++merged_count_;
    }
  }

  // The first failure in time wins; later ones are dropped.
  void record(EngineError error) {
    if (!error_ && !fault_) error_ = std::move(error);
    failed_ = true;
  }
  void record_fault(std::exception_ptr fault) {
    if (!error_ && !fault_) fault_ = std::move(fault);
    failed_ = true;
  }

  const PreparedRequest& request_;
  const std::uint64_t samples_;
  const std::uint64_t seed_;
  const std::uint64_t pieces_;
  std::atomic<std::uint64_t> next_{0};
  std::atomic<bool> failed_{false};

  std::mutex mutex_;  // guards everything below
  std::condition_variable all_done_;
  std::size_t runners_left_;
  std::optional<EngineError> error_;
  std::exception_ptr fault_;  // a C++ exception (out of memory), raised again on the caller
  std::map<std::uint64_t, ChunkTally> finished_;
  std::uint64_t merged_count_ = 0;
  ChunkTally merged_;
};

}  // namespace

std::uint64_t piece_count(std::uint64_t samples, std::uint64_t threads) {
  return std::min(std::max<std::uint64_t>(samples, 1), std::max<std::uint64_t>(threads, 1));
}

Piece piece_of(std::uint64_t samples, std::uint64_t seed, std::uint64_t pieces,
               std::uint64_t index) {
  const std::uint64_t share = samples / pieces;
  const std::uint64_t rest = samples % pieces;
  return {share + (index < rest ? 1 : 0), seed * kSeedMultiplier + index};
}

Expected<ChunkTally, EngineError> run_batch(const PreparedRequest& request, std::uint64_t samples,
                                            std::uint64_t seed, std::uint64_t threads) {
  const std::uint64_t pieces = piece_count(samples, threads);
  WorkerPool& pool = WorkerPool::shared();
  // One runner per piece that can run at once, each taking pieces until none is left. The
  // calling thread would only wait, so it is one of them: a one-piece batch never pays for
  // waking a worker, which is most of the cost of a small batch.
  const auto runners = static_cast<std::size_t>(
      std::min<std::uint64_t>(pieces, std::max<std::size_t>(pool.size(), 1)));
  Batch batch(request, samples, seed, pieces, runners);
  for (std::size_t queued = 1; queued < runners; ++queued) {
    try {
      pool.submit([&batch] { batch.run_pieces(); });
    } catch (...) {
      batch.fail_with(std::current_exception());
      batch.runner_done(runners - queued);
      break;
    }
  }
  batch.run_pieces();
  return batch.wait();
}

}  // namespace vantor::odds
