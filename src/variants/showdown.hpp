#pragma once

// The showdown of each game: who wins a complete deal and how the pot divides. A game's rule and
// hole-card count are fixed at compile time, so the exact walk and the sampling loop are compiled
// once per (rule, hole cards) combination with the scoring inlined, instead of switching on the
// rule for every deal. Here is what every combination shares (pot shares, winner sets, splitting
// an amount), the compile-time description of one combination (Showdown), and with_showdown(),
// which runs a caller's loop with the showdown of a catalogue row. The scorer that applies a rule
// to deals is DealScorer (deal_scorer.hpp). Nothing here allocates.

#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "cards/card.hpp"
#include "expected.hpp"
#include "variants/equity.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::variants {

// A deal's division of the pot, in arrays the caller owns (one entry per seat) and zeroes before
// each deal. share is the seat's fraction of the pot (they sum to 1); low_share the part of it
// won with the low half, written only by the hi/lo rules.
struct PotShares {
  std::span<double> share;
  std::span<double> low_share;
};

// A low_a5 value below this is a five-card low of different ranks, none above eight.
inline constexpr std::uint32_t kEightOrBetter = 56;

namespace detail {

// The seats holding the lowest value seen so far, as a bit set.
struct Winners {
  static_assert(kMostSeats <= 32, "a winner set is one 32-bit word");

  std::uint32_t seats = 0;
  std::uint32_t best = rankings::kNoHand32;

  // Written without branches: which seat leads is a coin toss per deal, and a mispredicted
  // branch costs more than scoring a hand.
  // The choices are made as masks: written as conditionals, g++ turns the comparisons into
  // jumps.
  void offer(unsigned seat, std::uint32_t value) {
    const std::uint32_t better = 0u - static_cast<std::uint32_t>(value < best);
    const std::uint32_t tied = 0u - static_cast<std::uint32_t>(value == best);
    seats = (seats & ~better) | ((better | tied) & (1u << seat));
    best = value < best ? value : best;
  }
};

// Adds `amount` split evenly among the winners to their shares (and low shares, for a low half),
// seat by seat in increasing order.
inline void split(double amount, std::uint32_t winners, PotShares& shares, bool is_low_half) {
  const double each = amount / std::popcount(winners);
  for (; winners; winners &= winners - 1) {
    const int seat = std::countr_zero(winners);
    shares.share[seat] += each;
    if (is_low_half) shares.low_share[seat] += each;
  }
}

// The rules the scorer implements. A rule added to ShowdownRule must be added here and to
// DealScorer before a catalogue row can use it.
constexpr bool is_implemented(ShowdownRule rule) {
  switch (rule) {
    case ShowdownRule::BestHigh:
    case ShowdownRule::ShortDeckHigh:
    case ShowdownRule::RazzLow:
    case ShowdownRule::DeuceSevenLow:
    case ShowdownRule::BadugiLow:
    case ShowdownRule::OmahaHigh:
    case ShowdownRule::OmahaHiLo:
    case ShowdownRule::StudHiLo:
      return true;
  }
  return false;
}

}  // namespace detail

// One (rule, hole cards) combination, as a type.
template <ShowdownRule kRule, unsigned kHole>
struct Showdown {
  static_assert(detail::is_implemented(kRule), "a showdown rule the scorer does not implement");
  static_assert(kHole >= 1 && kHole <= 7, "a seat holds one to seven cards of its own");

  static constexpr ShowdownRule rule = kRule;
  static constexpr unsigned hole_cards = kHole;
  static constexpr bool is_omaha =
      kRule == ShowdownRule::OmahaHigh || kRule == ShowdownRule::OmahaHiLo;
  static constexpr bool has_low =
      kRule == ShowdownRule::OmahaHiLo || kRule == ShowdownRule::StudHiLo;
  static constexpr bool has_board = kRule == ShowdownRule::ShortDeckHigh || is_omaha ||
                                    (kRule == ShowdownRule::BestHigh && kHole == 2);
  // The most cards a seat's hand holds: its own cards plus a full board.
  static constexpr unsigned capacity = kHole + (has_board ? 5 : 0);

  // Whether a seat's hand of `count` cards, board included, fits. A validated request's hands
  // always do; a loop given others fails with CardError::too_many_cards(count) before it deals.
  static constexpr bool holds(std::size_t count) { return count <= capacity; }
};

// The showdown of catalogue row I.
template <std::size_t I>
using ShowdownOf = Showdown<kCatalogue[I].showdown, kCatalogue[I].hole_cards>;

namespace detail {

template <std::size_t... I>
constexpr bool every_row_has_its_showdown(std::index_sequence<I...>) {
  return ((ShowdownOf<I>::rule == kCatalogue[I].showdown &&
           ShowdownOf<I>::hole_cards == kCatalogue[I].hole_cards &&
           ShowdownOf<I>::capacity == kCatalogue[I].hand_capacity() &&
           ShowdownOf<I>::has_low == kCatalogue[I].is_hi_lo()) &&
          ...);
}

// Calls body(ShowdownOf<row>{}), trying rows I, I + 1, ... in turn; the last row is what is left.
// Direct calls rather than a table of pointers, so that each loop can be inlined where it is
// called, as a switch would allow.
template <std::size_t I = 0, class Body>
decltype(auto) call_with_showdown(std::size_t row, Body& body) {
  if constexpr (I + 1 == kCatalogue.size()) {
    return body(ShowdownOf<I>{});
  } else {
    if (row == I) return body(ShowdownOf<I>{});
    return call_with_showdown<I + 1>(row, body);
  }
}

}  // namespace detail

// A row's showdown is derived from the row, so a new row has one as soon as it is written (and a
// rule the scorer lacks fails to compile above); its hand capacity is the row's.
static_assert(detail::every_row_has_its_showdown(std::make_index_sequence<kCatalogue.size()>{}));

// Calls `body` with the showdown of a catalogue row as a tag value, so the caller's loop is
// instantiated once per combination: `with_showdown(v, [&](auto s) { run<decltype(s)>(); })`.
// `variant` must be a row of kCatalogue itself (catalogue_index() finds it), as every Variant the
// engine hands out is.
template <class Body>
decltype(auto) with_showdown(const Variant& variant, Body&& body) {
  const std::size_t row = catalogue_index(variant);
  assert(row < kCatalogue.size());
  return detail::call_with_showdown(row, body);
}

}  // namespace vantor::variants
