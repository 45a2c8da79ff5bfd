#include "running/batch_runner.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "running/worker_pool.hpp"
#include "sampled/sampling_loop.hpp"

namespace vantor::odds {

namespace {

// What the runners of one batch share: the calling thread, and the pool jobs it queued, which
// hold it through a shared pointer so that a job that starts after the batch has ended finds
// nothing to do and touches nothing of the caller's. Pieces are claimed in increasing order and
// merged in that order as soon as every earlier piece is in, so a batch cut into millions of
// one-sample pieces keeps only the few tallies that finished ahead of an earlier one, and the sums
// come out exactly as if all were merged at the end.
class Batch {
 public:
  Batch(const PreparedRequest& request, std::uint64_t samples, std::uint64_t seed,
        std::uint64_t pieces)
      : request_(request),
        samples_(samples),
        seed_(seed),
        pieces_(pieces),
        merged_(request.deal.seat_count) {}

  // One runner: takes the next piece until none is left or the batch is stopped. The request is
  // read only for a claimed piece, and the caller waits for every claimed piece to end.
  void run_pieces(StopCheck& check) {
    for (auto index = claim(); index;) {
      Claim claimed(*this);
      PieceResult tally = run_piece(*index, check);
      claimed.keep();
      index = finish(*index, std::move(tally));
    }
  }

  // Stops the batch: no piece is claimed any more, and running ones end at their next check.
  void stop() {
    const std::lock_guard lock(mutex_);
    stop_locked();
  }

  // Waits until no claimed piece is running, looking at the caller (when given) every
  // kCallerPeriod; a caller that says stop stops the batch. Only for the calling thread, once
  // its own runner is done.
  void wait(CallerWatch* watch) {
    const auto idle = [this] { return running_ == 0; };
    std::unique_lock lock(mutex_);
    if (watch == nullptr) return all_done_.wait(lock, idle);
    while (!all_done_.wait_for(lock, kCallerPeriod, idle)) {
      lock.unlock();
      const bool stopping = watch->should_stop();
      lock.lock();
      if (stopping) stop_locked();
    }
  }

  // The outcome once wait() has returned: the merged tally, or the error recorded first in time.
  Expected<ChunkTally, EngineError> result() {
    const std::lock_guard lock(mutex_);
    if (fault_) std::rethrow_exception(fault_);
    if (error_) return fail(std::move(*error_));
    return std::move(merged_);
  }

  // How a pool worker's runner looks at the batch: the flag alone.
  class WorkerCheck final : public StopCheck {
   public:
    explicit WorkerCheck(const Batch& batch) : batch_(batch) {}
    bool should_stop() override { return batch_.stopping_.load(std::memory_order_relaxed); }

   private:
    const Batch& batch_;
  };

  // How the calling thread's runner looks at it: the flag, then its caller, whose stop stops the
  // whole batch.
  class CallerCheck final : public StopCheck {
   public:
    CallerCheck(Batch& batch, CallerWatch& watch) : batch_(batch), watch_(watch) {}
    bool should_stop() override {
      if (batch_.stopping_.load(std::memory_order_relaxed)) return true;
      if (!watch_.should_stop()) return false;
      batch_.stop();
      return true;
    }

   private:
    Batch& batch_;
    CallerWatch& watch_;
  };

 private:
  using PieceResult = Expected<ChunkTally, EngineError>;

  // A claimed piece that a runner is running. When the runner's thread is unwound out of the
  // piece instead, the claim is given up and the batch stopped, so that nobody waits for it.
  class Claim {
   public:
    explicit Claim(Batch& batch) : batch_(batch) {}
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;
    ~Claim() {
      if (!kept_) batch_.abandon();
    }
    void keep() { kept_ = true; }

   private:
    Batch& batch_;
    bool kept_ = false;
  };

  void abandon() {
    const std::lock_guard lock(mutex_);
    --running_;
    stop_locked();
    if (running_ == 0) all_done_.notify_all();
  }

  PieceResult run_piece(std::uint64_t index, StopCheck& check) {
    const Piece piece = piece_of(samples_, seed_, pieces_, index);
    try {
      return sample_piece(request_, piece.target, piece.seed, &check);
    } catch (const std::exception&) {
      // Out of memory, say: raised again on the caller. Nothing else is caught here, so that a
      // thread the interpreter ends at shutdown unwinds through (see the frame's lock release).
      fault(std::current_exception());
      return fail(EngineError{Stopped{}});
    }
  }

  std::optional<std::uint64_t> claim() {
    const std::lock_guard lock(mutex_);
    return claim_locked();
  }

  std::optional<std::uint64_t> claim_locked() {
    if (stopping_.load(std::memory_order_relaxed) || next_ == pieces_) return std::nullopt;
    ++running_;
    return next_++;
  }

  // Records a piece's outcome and claims the next piece in the same turn of the lock.
  std::optional<std::uint64_t> finish(std::uint64_t index, PieceResult tally) {
    const std::lock_guard lock(mutex_);
    --running_;
    if (tally) {
      try {
        finished_.emplace(index, std::move(*tally));
        merge_ready();
      } catch (const std::exception&) {
        fault_locked(std::current_exception());
      }
    } else if (!std::holds_alternative<Stopped>(tally.error())) {
      // A piece that was stopped ends without a result of its own; whatever stopped the batch
      // is recorded already.
      if (!error_ && !fault_) error_ = std::move(tally.error());
      stop_locked();
    }
    if (running_ == 0) all_done_.notify_all();
    return claim_locked();
  }

  void fault(std::exception_ptr fault) {
    const std::lock_guard lock(mutex_);
    fault_locked(std::move(fault));
  }

  void fault_locked(std::exception_ptr fault) {
    if (!error_ && !fault_) fault_ = std::move(fault);
    stop_locked();
  }

  void stop_locked() { stopping_.store(true, std::memory_order_relaxed); }

  void merge_ready() {
    for (auto next = finished_.begin(); next != finished_.end() && next->first == merged_count_;
         next = finished_.begin()) {
      merged_.merge(next->second);
      finished_.erase(next);
      ++merged_count_;
    }
  }

  const PreparedRequest& request_;
  const std::uint64_t samples_;
  const std::uint64_t seed_;
  const std::uint64_t pieces_;
  std::atomic<bool> stopping_{false};  // set under the lock, read without it by the pieces

  std::mutex mutex_;  // guards everything below
  std::condition_variable all_done_;
  std::uint64_t next_ = 0;            // the next piece to claim
  std::uint64_t running_ = 0;         // pieces claimed and not yet finished
  std::optional<EngineError> error_;  // the first failure in time; later ones are dropped
  std::exception_ptr fault_;          // a C++ exception (out of memory), raised again on the caller
  std::map<std::uint64_t, ChunkTally> finished_;
  std::uint64_t merged_count_ = 0;
  ChunkTally merged_;
};

// Stops a batch and waits for its running pieces when the calling thread leaves run_batch() by
// an unwind: an interpreter that shuts down ends a thread that asks for its lock that way, and the
// pieces still running read the request the caller's frames are about to free, so the caller
// is not asked again on the way out. After a normal end the batch has nothing running, and this
// costs one turn of the lock.
class StopOnExit {
 public:
  explicit StopOnExit(Batch& batch) : batch_(batch) {}
  StopOnExit(const StopOnExit&) = delete;
  StopOnExit& operator=(const StopOnExit&) = delete;
  ~StopOnExit() {
    batch_.stop();
    batch_.wait(nullptr);
  }

 private:
  Batch& batch_;
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
                                            std::uint64_t seed, std::uint64_t threads,
                                            Caller* caller) {
  const std::uint64_t pieces = piece_count(samples, threads);
  WorkerPool& pool = WorkerPool::shared();
  // One runner per piece that can run at once, each taking pieces until none is left. The
  // calling thread would only wait, so it is one of them: a one-piece batch never pays for
  // waking a worker, which is most of the cost of a small batch. It also takes every piece no
  // worker has claimed yet, so a batch never waits behind another batch's work in the queue.
  // A batch of at most kSmallBatch deals runs on the calling thread alone: handing a piece to a
  // worker and waking it costs about as much as drawing such a batch. The pieces are the same
  // either way, so the result is too.
  const auto runners = static_cast<std::size_t>(
      samples <= kSmallBatch
          ? 1
          : std::min<std::uint64_t>(pieces, std::max<std::size_t>(pool.size(), 1)));
  const auto batch = std::make_shared<Batch>(request, samples, seed, pieces);
  const StopOnExit stop_on_exit(*batch);
  for (std::size_t queued = 1; queued < runners; ++queued) {
    try {
      pool.submit([batch] {
        Batch::WorkerCheck check(*batch);
        batch->run_pieces(check);
      });
    } catch (const std::exception&) {
      break;  // the runners already queued and this thread share the pieces
    }
  }
  CallerWatch watch(caller);
  Batch::CallerCheck check(*batch, watch);
  batch->run_pieces(check);
  batch->wait(&watch);
  if (watch.stopped()) return fail(EngineError{Stopped{}});
  return batch->result();
}

}  // namespace vantor::odds
