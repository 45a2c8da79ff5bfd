#pragma once

// Who wins a complete deal and how the pot divides, for every rule alike: each seat offers its
// values to the deal's winners, and the pot-split rule turns the winners into each seat's share.
// Every scoring loop (the exact walk's, the sampling loop's, the scorer's) goes through these,
// so a deal is won and divided one way everywhere. Nothing here allocates.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "variants/equity.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::variants {

// A low_a5 value below this is a five-card low of different ranks, none above eight.
inline constexpr std::uint32_t kEightOrBetter = 56;

// The seats holding the lowest value offered so far, as a bit set.
struct Winners {
  static_assert(kMostSeats <= 32, "a winner set is one 32-bit word");

  std::uint32_t seats = 0;
  std::uint32_t best = rankings::kNoHand32;

  // Written without branches: which seat leads is a coin toss per deal, and a mispredicted
  // branch costs more than scoring a hand. The choices are made as masks: written as
  // conditionals, g++ turns the comparisons into jumps.
  [[gnu::always_inline]] void offer(unsigned seat, std::uint32_t value) {
    const std::uint32_t better = 0u - static_cast<std::uint32_t>(value < best);
    const std::uint32_t tied = 0u - static_cast<std::uint32_t>(value == best);
    seats = (seats & ~better) | ((better | tied) & (1u << seat));
    best = value < best ? value : best;
  }
};

// A deal's winners as seat bit sets: the high (or only) ranking, and the qualifying low (empty
// when no seat qualifies or the game has no low half).
struct Outcome {
  std::uint32_t high = 0;
  std::uint32_t low = 0;
};

// The winners of one deal, built seat by seat. kHasLow: the rule splits the pot with a low half,
// for which a seat's low value counts only when it is eight or better.
template <bool kHasLow>
class DealWinners {
 public:
  // The seat's high (or only) value, and its low value (read only where there is a low half).
  [[gnu::always_inline]] void offer(unsigned seat, std::uint32_t high_value,
                                    [[maybe_unused]] std::uint32_t low_value) {
    high_.offer(seat, high_value);
    if constexpr (kHasLow) {
      if (low_value < kEightOrBetter) low_.offer(seat, low_value);
    }
  }

  const Winners& high() const { return high_; }
  const Winners& low() const { return low_; }
  Outcome outcome() const { return {high_.seats, low_.seats}; }

 private:
  Winners high_;
  Winners low_;
};

// One seat's part of a pot, by the pot-split rule: half to the qualifying low when a low was
// awarded, split evenly among its winners, and the rest to the high, split evenly among its
// winners. `low_share` is the part won with the low half.
struct SeatShare {
  double share = 0;
  double low_share = 0;
};

// The seat shares the high half (or the whole pot, when no low was awarded) with `high_winners`
// seats in all, itself included, and the low half with `low_winners`; 0 where it wins no part.
// The low part is added first, as every tally adds it.
inline SeatShare seat_share(std::size_t high_winners, std::size_t low_winners, bool low_awarded) {
  SeatShare part;
  if (low_winners != 0) {
    part.low_share = 0.5 / static_cast<double>(low_winners);
    part.share += part.low_share;
  }
  if (high_winners != 0)
    part.share += (low_awarded ? 0.5 : 1.0) / static_cast<double>(high_winners);
  return part;
}

// A deal's division of the pot, in arrays the caller owns (one entry per seat) and zeroes before
// each deal. share is the seat's fraction of the pot (they sum to 1); low_share the part of it
// won with the low half.
struct PotShares {
  std::span<double> share;
  std::span<double> low_share;
};

// Adds a deal's division of the pot into `shares`, seat by seat in increasing order.
inline void split_pot(const Outcome& outcome, PotShares& shares) {
  const auto high_winners = static_cast<std::size_t>(std::popcount(outcome.high));
  const auto low_winners = static_cast<std::size_t>(std::popcount(outcome.low));
  for (std::uint32_t seats = outcome.high | outcome.low; seats != 0; seats &= seats - 1) {
    const auto seat = static_cast<std::size_t>(std::countr_zero(seats));
    const SeatShare part =
        seat_share((outcome.high >> seat & 1) ? high_winners : 0,
                   (outcome.low >> seat & 1) ? low_winners : 0, outcome.low != 0);
    shares.share[seat] += part.share;
    shares.low_share[seat] += part.low_share;
  }
}

}  // namespace vantor::variants
