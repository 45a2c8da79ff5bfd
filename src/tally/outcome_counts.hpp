#pragma once

// Deals of one weight (every deal of the exact walk, and nearly every rejection-sampled one)
// contribute to the tally only through how each seat fared: how many seats shared the high half
// with it, how many the low half, and whether a low was awarded at all. Counting those outcomes
// per seat and adding each one to the tally once at the end costs a few increments per deal
// instead of eleven floating-point sums per seat.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tally/chunk_tally.hpp"
#include "variants/pot.hpp"

namespace vantor::odds {

using variants::Outcome;

class OutcomeCounts {
 public:
  explicit OutcomeCounts(std::size_t seat_count)
      : seat_count_(seat_count), stride_(seat_count + 1), dense_(seat_count <= kDenseSeats) {
    if (dense_) {
      by_winners_.resize(std::size_t{1} << (2 * seat_count));
    } else {
      by_seat_.resize(seat_count * stride_ * stride_ * 2);
    }
  }

  [[gnu::always_inline]] void add(const Outcome& outcome) {
    if (dense_) {
      // One increment, no branch: the pair of winner sets is the index.
      ++by_winners_[(std::size_t{outcome.low} << seat_count_) | outcome.high];
      return;
    }
    ++deals_;
    count_seats(outcome, 1);
  }

  // `count` deals with the same outcome: the exact walk's deal standing for its class of alike
  // deals.
  [[gnu::always_inline]] void add(const Outcome& outcome, std::uint64_t count) {
    if (dense_) {
      by_winners_[(std::size_t{outcome.low} << seat_count_) | outcome.high] += count;
      return;
    }
    deals_ += count;
    count_seats(outcome, count);
  }

  // Adds every counted deal to `tally` with `weight` (once: the counts are folded on the way),
  // each seat's shares by the pot-split rule (variants::seat_share()).
  void add_to(ChunkTally& tally, double weight = 1.0) {
    if (dense_) {
      by_seat_.assign(seat_count_ * stride_ * stride_ * 2, 0);
      const std::uint32_t mask = (std::uint32_t{1} << seat_count_) - 1;
      for (std::size_t index = 0; index < by_winners_.size(); ++index) {
        const std::uint64_t count = by_winners_[index];
        if (count == 0) continue;
        deals_ += count;
        count_seats({static_cast<std::uint32_t>(index) & mask,
                     static_cast<std::uint32_t>(index >> seat_count_)},
                    count);
      }
      dense_ = false;
    }
    tally.add_deals(deals_, weight);
    for (std::size_t seat = 0; seat < seat_count_; ++seat) {
      for (std::size_t high = 0; high < stride_; ++high) {
        for (std::size_t low = 0; low < stride_; ++low) {
          for (std::size_t low_awarded = 0; low_awarded < 2; ++low_awarded) {
            const std::uint64_t count = by_seat_[index(seat, high, low, low_awarded)];
            if (count == 0) continue;
            const variants::SeatShare part = variants::seat_share(high, low, low_awarded != 0);
            tally.add_seat_outcome(seat, part.share, part.low_share, low_awarded, count, weight);
          }
        }
      }
    }
  }

 private:
  // Up to this many seats every pair of (high, low) winner sets has its own counter: 4096 of
  // them for six seats.
  static constexpr std::size_t kDenseSeats = 6;

  std::size_t index(std::size_t seat, std::size_t high, std::size_t low,
                    std::size_t low_awarded) const {
    return ((seat * stride_ + high) * stride_ + low) * 2 + low_awarded;
  }

  // Each winning seat's outcome: how many shared its high half, its low half, and whether a
  // low was awarded at all.
  void count_seats(const Outcome& outcome, std::uint64_t count) {
    const auto high_winners = static_cast<std::size_t>(std::popcount(outcome.high));
    const auto low_winners = static_cast<std::size_t>(std::popcount(outcome.low));
    const std::size_t low_awarded = outcome.low != 0;
    for (std::uint32_t seats = outcome.high | outcome.low; seats; seats &= seats - 1) {
      const auto seat = static_cast<unsigned>(std::countr_zero(seats));
      const std::size_t high = (outcome.high >> seat & 1) ? high_winners : 0;
      const std::size_t low = (outcome.low >> seat & 1) ? low_winners : 0;
      by_seat_[index(seat, high, low, low_awarded)] += count;
    }
  }

  std::size_t seat_count_;
  std::size_t stride_;
  bool dense_;
  std::vector<std::uint64_t> by_winners_;  // dense: by (low set << seats | high set)
  std::vector<std::uint64_t> by_seat_;     // by (seat, high winners, low winners, low awarded)
  std::uint64_t deals_ = 0;
};

// Rejection-sampled deals carry weights other than 1 only where some seat's alternatives propose
// their hands unevenly, and then take few distinct values: one per combination of such
// alternatives (and per pool size of a rejection-kind plan), the same double each time since it
// is computed the same way. Counting outcomes per distinct weight keeps those deals nearly as
// cheap as unit ones.
class OutcomeCountsByWeight {
 public:
  static constexpr std::size_t kMostWeights = 16;

  explicit OutcomeCountsByWeight(std::size_t seat_count) : seat_count_(seat_count) {}

  // False, having counted nothing, when `weight` is new and kMostWeights weights are counted
  // already: the caller then adds the deal to its tally itself.
  [[gnu::always_inline]] bool add(const Outcome& outcome, double weight) {
    if (last_ >= weights_.size() || weights_[last_] != weight) {
      last_ = static_cast<std::size_t>(std::find(weights_.begin(), weights_.end(), weight) -
                                       weights_.begin());
      if (last_ == weights_.size()) {
        if (last_ == kMostWeights) return false;
        weights_.push_back(weight);
        counts_.emplace_back(seat_count_);
      }
    }
    counts_[last_].add(outcome);
    return true;
  }

  // Adds every counted deal to `tally`, weight by weight in the order they first came up.
  void add_to(ChunkTally& tally) {
    for (std::size_t i = 0; i < weights_.size(); ++i) counts_[i].add_to(tally, weights_[i]);
  }

 private:
  std::size_t seat_count_;
  std::vector<double> weights_;
  std::vector<OutcomeCounts> counts_;  // one per entry of weights_
  std::size_t last_ = 0;               // the weight the previous deal had, usually this one's
};

}  // namespace vantor::odds
