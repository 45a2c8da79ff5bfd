#pragma once

// The showdown of each game as a type. A game's rule and hole-card count are fixed at compile
// time, so the exact walk and the sampling loop are compiled once per (rule, hole cards)
// combination with the scoring inlined, instead of switching on the rule for every deal. Here is
// the compile-time description of one combination (Showdown) and with_showdown(), which runs a
// caller's loop with the showdown of a catalogue row. Who wins a deal and how the pot divides is
// pot.hpp; the scorer that applies a rule to deals is DealScorer (deal_scorer.hpp).

#include <cstddef>
#include <cstdint>
#include <utility>

#include "variants/equity.hpp"

namespace vantor::variants {

namespace detail {

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

// Calls body(ShowdownOf<row>{}) for the row among I, I + 1, ... that is `row`, which is below the
// catalogue's size. Direct calls rather than a table of pointers, so that each loop can be
// inlined where it is called, as a switch would allow.
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
// instantiated once per combination: `with_showdown(v, [&](auto s) { return run<decltype(s)>(); },
// refuse)`. `variant` must be a row of kCatalogue itself (catalogue_index() finds it), as every
// Variant the engine hands out is; for any other, in every build, the result is refuse(), which
// returns what `body` returns.
template <class Body, class Refuse>
decltype(auto) with_showdown(const Variant& variant, Body&& body, Refuse&& refuse) {
  const std::size_t row = catalogue_index(variant);
  if (row >= kCatalogue.size()) return refuse();
  return detail::call_with_showdown(row, body);
}

}  // namespace vantor::variants
