#pragma once

// The exact walk's shortcut for the last seat of a game without a board. A seat's hand has its
// values once it is chosen, so the last seat's hands fare in one of three ways against the other
// seats' best in each half of the pot (worse, equal, better): its hands are counted by way, and
// each way is scored once, instead of every hand.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "cards/card.hpp"
#include "exact/seat_candidates.hpp"
#include "exact/walk_budget.hpp"
#include "tally/outcome_counts.hpp"
#include "variants/pot.hpp"

namespace vantor::odds {

template <bool kHasLow>
class LastSeatWays {
 public:
  // Counts the hands of `last` that can be dealt from `available` by how they fare against
  // `others`, the other seats' winners; false when the budget says stop, which it is asked once
  // per kStopCheckInterval hands after the first.
  bool count(const SeatCandidates& last, cards::CardMask available,
             const variants::DealWinners<kHasLow>& others, WalkBudget& budget) {
    const std::uint32_t high_best = others.high().best;
    const std::uint32_t low_best = others.low().best;
    for (std::size_t begin = 0; begin < last.size(); begin += kStopCheckInterval) {
      if (begin != 0 && !budget.look()) return false;
      const std::size_t end = std::min(last.size(), begin + kStopCheckInterval);
      // Without branches: how a hand fares is a coin toss, and a mispredicted branch costs
      // more than counting the hand.
      for (std::size_t i = begin; i < end; ++i) {
        const variants::SeatHand& hand = last.hands[i];
        std::size_t way = 3 * (std::size_t{hand.high < high_best} + (hand.high <= high_best));
        if constexpr (kHasLow) {
          // A low that does not qualify fares as the worst.
          const std::size_t qualifies = hand.low < variants::kEightOrBetter;
          way += qualifies * (std::size_t{hand.low < low_best} + (hand.low <= low_best));
        }
        by_way_[way] += (last.masks[i] & ~available) == 0;
      }
    }
    return true;
  }

  // The hands counted.
  std::uint64_t deals() const {
    std::uint64_t deals = 0;
    for (const std::uint64_t count : by_way_) deals += count;
    return deals;
  }

  // Adds every way's hands, each `weight` times, to `counts` with the outcome the way gives the
  // deal: the last seat, `seat`, joins or takes the others' winners where it is equal or better.
  void add_to(OutcomeCounts& counts, const variants::DealWinners<kHasLow>& others, std::size_t seat,
              std::uint64_t weight) const {
    const std::uint32_t bit = std::uint32_t{1} << seat;
    const std::uint32_t high = others.high().seats;
    const std::uint32_t low = others.low().seats;
    const std::array<std::uint32_t, 3> highs{high, high | bit, bit};
    const std::array<std::uint32_t, 3> lows{low, low | bit, bit};
    for (std::size_t way = 0; way < by_way_.size(); ++way) {
      if (by_way_[way] != 0) counts.add({highs[way / 3], lows[way % 3]}, by_way_[way] * weight);
    }
  }

 private:
  // By (high way) * 3 + low way; a way is 0 worse (or no qualifying low), 1 equal, 2 better.
  std::array<std::uint64_t, 9> by_way_{};
};

}  // namespace vantor::odds
