#pragma once

// A second scorer to check the engine's against: it assembles each seat's hand from its cards and
// the board and scores it card by card with the table kernels (Omaha through the pair and triple
// lists), where the engine's DealScorer works from summaries kept while cards are placed. The
// walk and loop tests score every deal with it and compare tallies.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "cards/card.hpp"
#include "expected.hpp"
#include "variants/omaha.hpp"
#include "variants/pot.hpp"
#include "variants/rankings/fast.hpp"
#include "variants/showdown.hpp"

namespace vantor::variants {

// One complete deal: every seat's own cards, in seat order, and the board all of them see.
struct ReferenceDeal {
  std::span<const std::span<const cards::Card>> seats;
  std::span<const cards::Card> board;
};

namespace reference_detail {

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

// The values the seats offer to one half of the pot, as (seat, value); lower is better.
using Values = std::vector<std::pair<unsigned, std::uint32_t>>;

// The seats holding the lowest value, in seat order; none when nothing was offered.
inline std::vector<unsigned> lowest(const Values& values) {
  std::vector<unsigned> seats;
  for (const auto& [seat, value] : values) {
    const bool best = std::none_of(values.begin(), values.end(),
                                   [&](const auto& other) { return other.second < value; });
    if (best) seats.push_back(seat);
  }
  return seats;
}

// `amount` in equal parts to `seats`, added to their shares (and their low shares for the low
// half).
inline void split_evenly(double amount, const std::vector<unsigned>& seats, PotShares& shares,
                         bool is_low_half) {
  for (const unsigned seat : seats) {
    shares.share[seat] += amount / static_cast<double>(seats.size());
    if (is_low_half) shares.low_share[seat] += amount / static_cast<double>(seats.size());
  }
}

}  // namespace reference_detail

// The reference scoring of one Showdown combination.
template <class Showdown>
struct ReferenceShowdown {
  static constexpr ShowdownRule kRule = Showdown::rule;
  static constexpr unsigned kHole = Showdown::hole_cards;
  static constexpr unsigned capacity = Showdown::capacity;

  // Adds this deal's division of the pot into `shares`. Fails only when a seat's cards with the
  // board exceed the capacity, before anything is added.
  static Expected<void, cards::CardError> score(const ReferenceDeal& deal, PotShares& shares,
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
      reference_detail::Values values;
      const std::uint64_t board_code = rankings::hand_code(deal.board.data(), deal.board.size());
      for (unsigned seat = 0; seat < deal.seats.size(); ++seat) {
        values.emplace_back(seat, single_value(deal.seats[seat], deal.board, board_code, tables));
      }
      reference_detail::split_evenly(1.0, reference_detail::lowest(values), shares, false);
    }
    return {};
  }

 private:
  static std::uint32_t single_value(std::span<const cards::Card> own,
                                    std::span<const cards::Card> board, std::uint64_t board_code,
                                    const rankings::FastTables& tables) {
    const auto& d = tables.displacement_by_bucket;
    if constexpr (kRule == ShowdownRule::BestHigh) {
      return reference_detail::table_value<true>(tables.high, d, own, board, board_code);
    } else if constexpr (kRule == ShowdownRule::ShortDeckHigh) {
      return reference_detail::table_value<true>(tables.short_deck, d, own, board, board_code);
    } else if constexpr (kRule == ShowdownRule::RazzLow) {
      return reference_detail::table_value<false>(tables.low_a5, d, own, board, board_code);
    } else if constexpr (kRule == ShowdownRule::DeuceSevenLow) {
      return reference_detail::table_value<true>(tables.deuce_seven, d, own, board, board_code);
    } else {
      static_assert(kRule == ShowdownRule::BadugiLow);
      std::array<cards::Card, capacity> hand{};
      std::copy(own.begin(), own.end(), hand.begin());
      std::copy(board.begin(), board.end(), hand.begin() + own.size());
      return rankings::badugi(std::span(hand.data(), own.size() + board.size()));
    }
  }

  static void score_omaha(const ReferenceDeal& deal, PotShares& shares) {
    const omaha::OmahaTables& tables = omaha::omaha_tables();
    omaha::BoardTriples triples;
    omaha::prepare_board_triples(deal.board, triples, tables);
    reference_detail::Values high;
    reference_detail::Values low;
    for (unsigned seat = 0; seat < deal.seats.size(); ++seat) {
      const reference_detail::OmahaSeat<kHole> hand(deal.seats[seat], deal.board, triples, tables);
      high.emplace_back(seat, omaha::best_high(hand.pairs, *hand.triples, tables));
      if constexpr (kRule == ShowdownRule::OmahaHiLo) {
        const std::uint32_t value = omaha::best_low(hand.pairs, *hand.triples, tables);
        if (value < kEightOrBetter) low.emplace_back(seat, value);
      }
    }
    split_hi_lo(high, low, shares);
  }

  static void score_stud_hi_lo(const ReferenceDeal& deal, PotShares& shares,
                               const rankings::FastTables& tables) {
    const auto& d = tables.displacement_by_bucket;
    const std::uint64_t board_code = rankings::hand_code(deal.board.data(), deal.board.size());
    reference_detail::Values high;
    reference_detail::Values low;
    for (unsigned seat = 0; seat < deal.seats.size(); ++seat) {
      const auto own = deal.seats[seat];
      const std::uint32_t value =
          reference_detail::table_value<false>(tables.low_a5, d, own, deal.board, board_code);
      if (value < kEightOrBetter) low.emplace_back(seat, value);
      high.emplace_back(
          seat, reference_detail::table_value<true>(tables.high, d, own, deal.board, board_code));
    }
    split_hi_lo(high, low, shares);
  }

  // Half the pot to the best qualifying low, if any, added first; the rest to the best high.
  static void split_hi_lo(const reference_detail::Values& high, const reference_detail::Values& low,
                          PotShares& shares) {
    double high_amount = 1.0;
    if (!low.empty()) {
      reference_detail::split_evenly(0.5, reference_detail::lowest(low), shares, true);
      high_amount = 0.5;
    }
    reference_detail::split_evenly(high_amount, reference_detail::lowest(high), shares, false);
  }
};

}  // namespace vantor::variants
