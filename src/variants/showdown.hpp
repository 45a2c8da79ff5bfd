#pragma once

// The showdown: one complete deal in, each seat's share of the pot out. The rule is a template
// parameter, so the exact walk and the sampling loop are compiled once per (rule, hole cards)
// combination with the scoring inlined, instead of switching on the rule for every deal. Nothing
// here allocates; everything per deal lives in fixed arrays on the stack.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <utility>

#include "cards/card.hpp"
#include "expected.hpp"
#include "variants/equity.hpp"
#include "variants/omaha.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::variants {

// A deal's division of the pot, in arrays the caller owns (one entry per seat) and zeroes before
// each deal. share is the seat's fraction of the pot (they sum to 1); low_share the part of it
// won with the low half, written only by the hi/lo rules.
struct PotShares {
  std::span<double> share;
  std::span<double> low_share;
};

// One complete deal: every seat's own cards, in seat order, and the board all of them see.
struct Deal {
  std::span<const std::span<const cards::Card>> seats;
  std::span<const cards::Card> board;
};

// A low_a5 value below this is a five-card low of different ranks, none above eight.
inline constexpr std::uint32_t kEightOrBetter = 56;

namespace detail {

// The seats holding the lowest value seen so far, as a bit set (at most 23 seats).
struct Winners {
  std::uint32_t seats = 0;
  std::uint32_t best = rankings::kNoHand32;

  // Written without branches: which seat leads is a coin toss per deal, and a mispredicted
  // branch costs more than scoring a hand.
  void offer(unsigned seat, std::uint32_t value) {
    const std::uint32_t kept = value == best ? seats : 0;
    seats = value <= best ? (kept | (1u << seat)) : seats;
    best = value < best ? value : best;
  }
};

inline void split(double amount, std::uint32_t winners, PotShares& shares, bool is_low_half) {
  const double each = amount / std::popcount(winners);
  for (; winners; winners &= winners - 1) {
    const int seat = std::countr_zero(winners);
    shares.share[seat] += each;
    if (is_low_half) shares.low_share[seat] += each;
  }
}

// A table kernel's value for seat cards plus a board whose code sum is already known.
template <bool kFlushes>
inline std::uint32_t table_value(const rankings::RankTables& tables,
                                 const rankings::Displacements& displacements,
                                 std::span<const cards::Card> own,
                                 std::span<const cards::Card> board, std::uint64_t board_code) {
  const std::size_t count = own.size() + board.size();
  if (count < 5 || count > 7) return rankings::kNoHand;
  const std::uint64_t code = board_code + rankings::hand_code(own.data(), own.size());
  if constexpr (kFlushes) {
    const int suit = rankings::flush_suit(code);
    if (suit >= 0) {
      return tables
          .flush_value_by_suit_mask[rankings::suit_ranks(own.data(), own.size(), suit) |
                                    rankings::suit_ranks(board.data(), board.size(), suit)];
    }
  }
  return tables
      .value_by_slot[rankings::slot(static_cast<std::uint32_t>(code), displacements.data())];
}

// Omaha pair and triple lists of one seat. The board's triples are built once per deal; a seat
// dealt other than exactly `hole` cards has its hand split as written (the first `hole` cards of
// own cards then board are its hole cards) and gets triples of its own.
template <unsigned kHole>
struct OmahaSeat {
  omaha::HolePairs pairs;
  omaha::BoardTriples own_triples;
  const omaha::BoardTriples* triples;

  OmahaSeat(std::span<const cards::Card> own, std::span<const cards::Card> board,
            const omaha::BoardTriples& shared, const omaha::OmahaTables& tables) {
    if (own.size() == kHole) {
      omaha::prepare_hole_pairs(own, pairs, tables);
      triples = &shared;
      return;
    }
    std::array<cards::Card, kHole + 5> hand{};
    const std::size_t count = std::min(own.size() + board.size(), hand.size());
    std::copy(own.begin(), own.end(), hand.begin());
    std::copy_n(board.begin(), count - own.size(), hand.begin() + own.size());
    const std::size_t hole = std::min<std::size_t>(kHole, count);
    omaha::prepare_hole_pairs(std::span(hand.data(), hole), pairs, tables);
    omaha::prepare_board_triples(std::span(hand.data() + hole, count - hole), own_triples, tables);
    triples = &own_triples;
  }
};

}  // namespace detail

// The showdown of one (rule, hole cards) combination.
template <ShowdownRule kRule, unsigned kHole>
struct Showdown {
  static constexpr ShowdownRule rule = kRule;
  static constexpr unsigned hole_cards = kHole;
  static constexpr bool has_board =
      kRule == ShowdownRule::ShortDeckHigh || kRule == ShowdownRule::OmahaHigh ||
      kRule == ShowdownRule::OmahaHiLo || (kRule == ShowdownRule::BestHigh && kHole == 2);
  // The most cards a seat's hand holds: its own cards plus a full board.
  static constexpr unsigned capacity = kHole + (has_board ? 5 : 0);

  // Adds this deal's division of the pot into `shares`. Fails only when a seat's cards with the
  // board exceed the capacity, before anything is added.
  static Expected<void, cards::CardError> score(const Deal& deal, PotShares& shares,
                                                const rankings::FastTables& tables) {
    for (const auto& own : deal.seats) {
      const std::size_t count = own.size() + deal.board.size();
      if (count > capacity) return fail(cards::CardError::too_many_cards(count));
    }
    if constexpr (kRule == ShowdownRule::OmahaHigh || kRule == ShowdownRule::OmahaHiLo) {
      score_omaha(deal, shares);
    } else if constexpr (kRule == ShowdownRule::StudHiLo) {
      score_stud_hi_lo(deal, shares, tables);
    } else {
      detail::Winners winners;
      const std::uint64_t board_code = rankings::hand_code(deal.board.data(), deal.board.size());
      for (unsigned seat = 0; seat < deal.seats.size(); ++seat) {
        winners.offer(seat, single_value(deal.seats[seat], deal.board, board_code, tables));
      }
      detail::split(1.0, winners.seats, shares, false);
    }
    return {};
  }

 private:
  static std::uint32_t single_value(std::span<const cards::Card> own,
                                    std::span<const cards::Card> board, std::uint64_t board_code,
                                    const rankings::FastTables& tables) {
    const auto& d = tables.displacement_by_bucket;
    if constexpr (kRule == ShowdownRule::BestHigh) {
      return detail::table_value<true>(tables.high, d, own, board, board_code);
    } else if constexpr (kRule == ShowdownRule::ShortDeckHigh) {
      return detail::table_value<true>(tables.short_deck, d, own, board, board_code);
    } else if constexpr (kRule == ShowdownRule::RazzLow) {
      return detail::table_value<false>(tables.low_a5, d, own, board, board_code);
    } else if constexpr (kRule == ShowdownRule::DeuceSevenLow) {
      return detail::table_value<true>(tables.deuce_seven, d, own, board, board_code);
    } else {
      static_assert(kRule == ShowdownRule::BadugiLow);
      std::array<cards::Card, capacity> hand{};
      std::copy(own.begin(), own.end(), hand.begin());
      std::copy(board.begin(), board.end(), hand.begin() + own.size());
      return rankings::badugi(std::span(hand.data(), own.size() + board.size()));
    }
  }

  static void score_omaha(const Deal& deal, PotShares& shares) {
    const omaha::OmahaTables& tables = omaha::omaha_tables();
    omaha::BoardTriples triples;
    omaha::prepare_board_triples(deal.board, triples, tables);
    detail::Winners high;
    detail::Winners low;
    for (unsigned seat = 0; seat < deal.seats.size(); ++seat) {
      const detail::OmahaSeat<kHole> hand(deal.seats[seat], deal.board, triples, tables);
      high.offer(seat, omaha::best_high(hand.pairs, *hand.triples, tables));
      if constexpr (kRule == ShowdownRule::OmahaHiLo) {
        const std::uint32_t value = omaha::best_low(hand.pairs, *hand.triples, tables);
        if (value < kEightOrBetter) low.offer(seat, value);
      }
    }
    split_hi_lo(high, low, shares);
  }

  static void score_stud_hi_lo(const Deal& deal, PotShares& shares,
                               const rankings::FastTables& tables) {
    const auto& d = tables.displacement_by_bucket;
    const std::uint64_t board_code = rankings::hand_code(deal.board.data(), deal.board.size());
    detail::Winners high;
    detail::Winners low;
    for (unsigned seat = 0; seat < deal.seats.size(); ++seat) {
      const auto own = deal.seats[seat];
      const std::uint32_t value =
          detail::table_value<false>(tables.low_a5, d, own, deal.board, board_code);
      if (value < kEightOrBetter) low.offer(seat, value);
      high.offer(seat, detail::table_value<true>(tables.high, d, own, deal.board, board_code));
    }
    split_hi_lo(high, low, shares);
  }

  // Half the pot to the best qualifying low, if any, added first; the rest to the best high.
  static void split_hi_lo(const detail::Winners& high, const detail::Winners& low,
                          PotShares& shares) {
    double high_amount = 1.0;
    if (low.seats) {
      detail::split(0.5, low.seats, shares, true);
      high_amount = 0.5;
    }
    detail::split(high_amount, high.seats, shares, false);
  }
};

// Calls `body` with the showdown of a catalogue entry as a tag value, so the caller's loop is
// instantiated once per combination: `with_showdown(v, [&](auto s) { run<decltype(s)>(); })`.
template <class Body>
decltype(auto) with_showdown(const Variant& variant, Body&& body) {
  using R = ShowdownRule;
  switch (variant.showdown) {
    case R::BestHigh:
      if (variant.hole_cards == 2) return body(Showdown<R::BestHigh, 2>{});
      if (variant.hole_cards == 5) return body(Showdown<R::BestHigh, 5>{});
      return body(Showdown<R::BestHigh, 7>{});
    case R::ShortDeckHigh:
      return body(Showdown<R::ShortDeckHigh, 2>{});
    case R::RazzLow:
      return body(Showdown<R::RazzLow, 7>{});
    case R::DeuceSevenLow:
      return body(Showdown<R::DeuceSevenLow, 5>{});
    case R::BadugiLow:
      return body(Showdown<R::BadugiLow, 4>{});
    case R::OmahaHigh:
      if (variant.hole_cards == 4) return body(Showdown<R::OmahaHigh, 4>{});
      if (variant.hole_cards == 5) return body(Showdown<R::OmahaHigh, 5>{});
      return body(Showdown<R::OmahaHigh, 6>{});
    case R::OmahaHiLo:
      if (variant.hole_cards == 4) return body(Showdown<R::OmahaHiLo, 4>{});
      return body(Showdown<R::OmahaHiLo, 5>{});
    case R::StudHiLo:
      break;
  }
  return body(Showdown<R::StudHiLo, 7>{});
}

}  // namespace vantor::variants
