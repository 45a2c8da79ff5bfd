// The tally's sums and statistics against their definitions computed directly over the deals.

#include "tally/chunk_tally.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace vantor::odds {
namespace {

struct Deal {
  std::vector<double> share;
  std::vector<double> low_share;
  double weight;
};

TEST(ChunkTally, EmptyTallyHasZeroFiguresAndDenominatorOne) {
  const ChunkTally tally(3);
  for (std::size_t seat = 0; seat < 3; ++seat) {
    const SeatStatistics s = tally.seat_statistics(seat);
    EXPECT_EQ(s.equity, 0.0);
    EXPECT_EQ(s.std_error, 0.0);
  }
}

TEST(ChunkTally, WholePotWithoutLow) {
  ChunkTally tally(2);
  tally.add(std::vector{1.0, 0.0}, std::vector{0.0, 0.0}, 1.0);
  const SeatStatistics winner = tally.seat_statistics(0);
  EXPECT_EQ(winner.equity, 1.0);
  EXPECT_EQ(winner.win, 1.0);
  EXPECT_EQ(winner.scoop, 1.0);
  EXPECT_EQ(winner.high_win, 1.0);
  EXPECT_EQ(winner.tie, 0.0);
  EXPECT_EQ(winner.std_error, 0.0);  // a single sample
  EXPECT_EQ(tally.seat_statistics(1).equity, 0.0);
}

TEST(ChunkTally, SplitPotCountsAsTieAndHighTie) {
  ChunkTally tally(2);
  tally.add(std::vector{0.5, 0.5}, std::vector{0.0, 0.0}, 1.0);
  for (std::size_t seat = 0; seat < 2; ++seat) {
    EXPECT_EQ(tally.sum(SeatSum::TieCount)[seat], 1.0);
    EXPECT_EQ(tally.sum(SeatSum::HighTieCount)[seat], 1.0);
    EXPECT_EQ(tally.sum(SeatSum::WinCount)[seat], 0.0);
    EXPECT_EQ(tally.sum(SeatSum::HighWinCount)[seat], 0.0);
  }
}

TEST(ChunkTally, HighAndLowHalvesWonSeparately) {
  ChunkTally tally(2);
  tally.add(std::vector{0.5, 0.5}, std::vector{0.0, 0.5}, 1.0);
  EXPECT_EQ(tally.sum(SeatSum::HighWinCount)[0], 1.0);  // the high bound drops to a half
  EXPECT_EQ(tally.sum(SeatSum::TieCount)[0], 1.0);
  EXPECT_EQ(tally.sum(SeatSum::LowWinCount)[0], 0.0);
  EXPECT_EQ(tally.sum(SeatSum::LowWinCount)[1], 1.0);
  EXPECT_EQ(tally.sum(SeatSum::TieCount)[1], 1.0);
  EXPECT_EQ(tally.sum(SeatSum::HighWinCount)[1], 0.0);
  EXPECT_EQ(tally.sum(SeatSum::HighTieCount)[1], 0.0);
}

TEST(ChunkTally, ThreeWaySplitStillAWholePotForNoOne) {
  ChunkTally tally(3);
  const double third = 1.0 / 3;
  tally.add(std::vector{third, third, third}, std::vector{0.0, 0.0, 0.0}, 1.0);
  for (std::size_t seat = 0; seat < 3; ++seat) EXPECT_EQ(tally.sum(SeatSum::TieCount)[seat], 1.0);
}

TEST(ChunkTally, MergeKeepsTheExactFlagOfTheSideWithSamples) {
  ChunkTally with_samples(2);
  with_samples.exact = true;
  with_samples.add(std::vector{1.0, 0.0}, std::vector{0.0, 0.0}, 1.0);
  ChunkTally empty(2);
  ChunkTally merged = with_samples;
  merged.merge(empty);
  EXPECT_TRUE(merged.exact);
  empty.merge(with_samples);
  EXPECT_TRUE(empty.exact);
  ChunkTally sampled(2);
  sampled.add(std::vector{0.0, 1.0}, std::vector{0.0, 0.0}, 1.0);
  merged.merge(sampled);
  EXPECT_FALSE(merged.exact);
  EXPECT_EQ(merged.samples, 2u);
  EXPECT_EQ(merged.sum(SeatSum::ShareSum)[1], 1.0);
}

// Random weighted hi/lo deals: every sum against its definition, the statistics against the
// weighted ratio estimate and its standard error computed over the deals directly, and merging
// two halves against adding everything to one tally.
TEST(ChunkTally, SumsAndStatisticsFollowTheirDefinitions) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr std::size_t kSeats = 3;
  std::vector<Deal> deals;
  for (int i = 0; i < 500; ++i) {
    Deal deal{std::vector<double>(kSeats), std::vector<double>(kSeats), 0.25 + unit(random)};
    const std::size_t high = random() % kSeats;
    const bool low = random() % 2;
    const std::size_t low_seat = random() % kSeats;
    deal.share[high] += low ? 0.5 : 1.0;
    if (low) {
      deal.share[low_seat] += 0.5;
      deal.low_share[low_seat] += 0.5;
    }
    deals.push_back(deal);
  }
  ChunkTally all(kSeats), first(kSeats), second(kSeats);
  for (std::size_t i = 0; i < deals.size(); ++i) {
    all.add(deals[i].share, deals[i].low_share, deals[i].weight);
    (i < 200 ? first : second).add(deals[i].share, deals[i].low_share, deals[i].weight);
  }
  first.merge(second);
  double weight_sum = 0;
  for (const Deal& deal : deals) weight_sum += deal.weight;
  for (std::size_t seat = 0; seat < kSeats; ++seat) {
    double share = 0, low = 0, wins = 0, low_wins = 0;
    for (const Deal& deal : deals) {
      share += deal.weight * deal.share[seat];
      low += deal.weight * deal.low_share[seat];
      wins += deal.share[seat] == 1.0 ? deal.weight : 0.0;
      low_wins += deal.low_share[seat] == 0.5 ? deal.weight : 0.0;
    }
    const double equity = share / weight_sum;
    double deviation = 0;
    for (const Deal& deal : deals) {
      deviation += deal.weight * deal.weight * std::pow(deal.share[seat] - equity, 2);
    }
    const SeatStatistics s = all.seat_statistics(seat);
    EXPECT_NEAR(s.equity, equity, 1e-12);
    EXPECT_NEAR(s.low_equity, low / weight_sum, 1e-12);
    EXPECT_NEAR(s.win, wins / weight_sum, 1e-12);
    EXPECT_NEAR(s.low_win, low_wins / weight_sum, 1e-12);
    EXPECT_NEAR(s.std_error, std::sqrt(deviation) / weight_sum, 1e-12);
    const SeatStatistics m = first.seat_statistics(seat);
    EXPECT_NEAR(m.equity, s.equity, 1e-12);
    EXPECT_NEAR(m.std_error, s.std_error, 1e-12);
    EXPECT_NEAR(m.scoop, s.scoop, 1e-12);
  }
  EXPECT_EQ(first.samples, all.samples);
  EXPECT_NEAR(first.weight_square_sum, all.weight_square_sum, 1e-9);
}

// Adding an outcome n times at once equals adding n deals of that weight one by one.
TEST(ChunkTally, RepeatedOutcomesEqualSingleDeals) {
  for (const double weight : {1.0, 0.37, 2.5}) {
    SCOPED_TRACE(weight);
    ChunkTally one_by_one(2), at_once(2);
    const std::vector<double> share{0.75, 0.25}, low_share{0.25, 0.25};
    for (int i = 0; i < 37; ++i) one_by_one.add(share, low_share, weight);
    if (weight == 1.0) {
      at_once.add_deals(37);
      for (std::size_t seat = 0; seat < 2; ++seat) {
        at_once.add_seat_outcome(seat, share[seat], low_share[seat], true, 37);
      }
    } else {
      at_once.add_deals(37, weight);
      for (std::size_t seat = 0; seat < 2; ++seat) {
        at_once.add_seat_outcome(seat, share[seat], low_share[seat], true, 37, weight);
      }
    }
    for (std::size_t k = 0; k < kSeatSumCount; ++k) {
      for (std::size_t seat = 0; seat < 2; ++seat) {
        EXPECT_NEAR(at_once.sums[k][seat], one_by_one.sums[k][seat], 1e-12) << kSeatSumNames[k];
      }
    }
    EXPECT_EQ(at_once.samples, one_by_one.samples);
    EXPECT_NEAR(at_once.weight_sum, one_by_one.weight_sum, 1e-12);
    EXPECT_NEAR(at_once.weight_square_sum, one_by_one.weight_square_sum, 1e-12);
  }
}

}  // namespace
}  // namespace vantor::odds
