// Stopping long work: a stop check is asked at the stated rate, a caller that never says stop
// changes no result, and one that does ends a batch or a walk with Stopped, promptly and with
// nothing of it left running.

#include "interruption/interruption.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "exact/exact_walk.hpp"
#include "exact/seat_candidates.hpp"
#include "exact/walk_budget.hpp"
#include "request/request.hpp"
#include "running/batch_runner.hpp"
#include "sampled/sampling_loop.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/equity.hpp"
#include "variants/showdown.hpp"

namespace vantor::odds {
namespace {

PreparedRequest build(const char* game, std::vector<std::string> hands, const char* board = "") {
  auto built = build_request_from_text(**variants::find_variant(game), hands, board, "");
  EXPECT_TRUE(built) << game << ": " << (built ? "" : display(built.error()));
  return std::move(*built);
}

// Says stop once it has been asked `stop_at` times (never, for 0), counting every question.
class CountingCaller final : public Caller {
 public:
  explicit CountingCaller(int stop_at = 0) : stop_at_(stop_at) {}
  bool interrupted() override { return ++asked_ == stop_at_; }
  int asked() const { return asked_.load(); }

 private:
  const int stop_at_;
  std::atomic<int> asked_{0};
};

class CountingCheck final : public StopCheck {
 public:
  explicit CountingCheck(std::uint64_t stop_at = 0) : stop_at_(stop_at) {}
  bool should_stop() override { return ++asked_ == stop_at_; }
  std::uint64_t asked() const { return asked_; }

 private:
  const std::uint64_t stop_at_;
  std::uint64_t asked_ = 0;
};

bool is_stopped(const EngineError& error) { return std::holds_alternative<Stopped>(error); }

TEST(CallerWatch, AsksItsCallerOncePerPeriodAndRemembersAStop) {
  CountingCaller caller(2);
  CallerWatch watch(&caller);
  EXPECT_FALSE(watch.should_stop());  // within the first period: not asked
  EXPECT_EQ(caller.asked(), 0);
  std::this_thread::sleep_for(kCallerPeriod);
  EXPECT_FALSE(watch.should_stop());
  EXPECT_FALSE(watch.should_stop());  // asked once, the period starts again
  EXPECT_EQ(caller.asked(), 1);
  std::this_thread::sleep_for(kCallerPeriod);
  EXPECT_TRUE(watch.should_stop());
  EXPECT_TRUE(watch.stopped());
  std::this_thread::sleep_for(kCallerPeriod);
  EXPECT_TRUE(watch.should_stop());  // remembered, not asked again
  EXPECT_EQ(caller.asked(), 2);
}

TEST(CallerWatch, WithoutACallerNeverStops) {
  CallerWatch watch(nullptr);
  std::this_thread::sleep_for(kCallerPeriod);
  EXPECT_FALSE(watch.should_stop());
  EXPECT_FALSE(watch.stopped());
}

TEST(SamplePiece, AsksItsCheckEveryIntervalWithoutChangingTheDeals) {
  const PreparedRequest request = build("holdem", {"AhKh", "QQ+, AKs"});
  CountingCheck never;
  const auto checked = sample_piece(request, 50'000, 7, &never);
  const auto plain = sample_piece(request, 50'000, 7);
  ASSERT_TRUE(checked && plain);
  EXPECT_EQ(checked->sum(SeatSum::ShareSum), plain->sum(SeatSum::ShareSum));
  EXPECT_EQ(checked->attempts, plain->attempts);
  EXPECT_EQ(never.asked(), plain->attempts / kStopCheckInterval);
}

TEST(SamplePiece, StopsAtTheCheckThatSaysSo) {
  const PreparedRequest request = build("stud", {"A******", "A******", "K******"});
  CountingCheck third(3);
  const auto piece = sample_piece(request, 1'000'000, 7, &third);
  ASSERT_FALSE(piece);
  EXPECT_TRUE(is_stopped(piece.error()));
  EXPECT_EQ(third.asked(), 3u);
}

TEST(RunBatch, ACallerThatNeverStopsChangesNothing) {
  const PreparedRequest request = build("omaha", {"AhKhQdJd", "****"});
  CountingCaller never;
  for (const std::uint64_t threads : {1, 2, 5}) {
    const auto watched = run_batch(request, 300'000, 4, threads, &never);
    const auto plain = run_batch(request, 300'000, 4, threads);
    ASSERT_TRUE(watched && plain);
    EXPECT_EQ(watched->sum(SeatSum::ShareSum), plain->sum(SeatSum::ShareSum)) << threads;
    EXPECT_EQ(watched->sum(SeatSum::ShareSquareSum), plain->sum(SeatSum::ShareSquareSum));
    EXPECT_EQ(watched->attempts, plain->attempts) << threads;
  }
}

// How soon is for the Python tests, on an optimised build; here it is that a stop ends the work
// at all, on the caller's second answer.
TEST(RunBatch, ACallerThatStopsEndsAnEndlessBatch) {
  const PreparedRequest request = build("holdem", {"AhKh", "QsQd"});
  for (const std::uint64_t threads : {1, 2, 8}) {
    CountingCaller second(2);
    const auto batch = run_batch(request, ~std::uint64_t{0}, 1, threads, &second);
    ASSERT_FALSE(batch);
    EXPECT_TRUE(is_stopped(batch.error())) << threads;
    EXPECT_EQ(second.asked(), 2) << threads;
  }
  // Nothing of the stopped batches keeps a worker: the next one is answered as usual.
  const auto after = run_batch(request, 1000, 3, 2);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->samples, 1000u);
}

TEST(WalkExactly, ACallerThatNeverStopsChangesNothing) {
  const PreparedRequest request = build("omaha_hi_lo", {"AhKhQhJh", "T***"}, "2c3c4d5h");
  CountingCaller never;
  const auto watched = walk_exactly(request, &never);
  const auto plain = walk_exactly(request);
  ASSERT_TRUE(watched && plain && *watched && *plain);
  EXPECT_EQ((*watched)->samples, (*plain)->samples);
  EXPECT_EQ((*watched)->sum(SeatSum::ShareSum), (*plain)->sum(SeatSum::ShareSum));
  EXPECT_EQ((*watched)->sum(SeatSum::LowShareSum), (*plain)->sum(SeatSum::LowShareSum));
}

TEST(WalkExactly, ACallerThatStopsEndsTheWalk) {
  // About 39 million deals, far longer than the two periods before the stop.
  const PreparedRequest request = build("omaha_hi_lo", {"AhKhQhJh", "T***"}, "2c3c4d");
  CountingCaller second(2);
  const auto walked = walk_exactly(request, &second);
  ASSERT_FALSE(walked);
  EXPECT_TRUE(is_stopped(walked.error()));
  EXPECT_EQ(second.asked(), 2);
}

// Listing the seats' hands answers a stop as the walk does: here a shaped seat's 30,000 hands
// (a rank slot and three wildcards), a listing that used to run to its end before its first look.
TEST(ListCandidates, StopsAtTheCheckThatSaysSo) {
  constexpr std::size_t kOmaha = [] {
    std::size_t row = 0;
    while (variants::kCatalogue[row].key != "omaha") ++row;
    return row;
  }();
  const PreparedRequest request = build("omaha", {"A***", "AhKhQhJh"}, "2c3c4d5s");
  const variants::DealScorer<variants::ShowdownOf<kOmaha>> scorer(4, 5);
  CountingCheck third(3);
  WalkBudget budget(third);
  std::vector<SeatCandidates> candidates;
  EXPECT_FALSE(list_candidates(request, scorer, budget, candidates));
  EXPECT_TRUE(budget.stopped());
  EXPECT_EQ(third.asked(), 3u);
  EXPECT_LT(candidates.front().listed, 3 * kStopCheckInterval);

  // Unstopped, the same listing runs to its end, past the third check.
  CountingCheck never;
  WalkBudget whole(never);
  EXPECT_TRUE(list_candidates(request, scorer, whole, candidates));
  EXPECT_GT(candidates.front().listed, 6 * kStopCheckInterval);
  EXPECT_GT(never.asked(), 3u);
}

}  // namespace
}  // namespace vantor::odds
