#pragma once

// The engine's scorer: the winners of complete deals for one (rule, hole cards) combination, as
// the exact walk and the sampling loop score them. It works from summaries kept while cards are
// placed: a seat's hand is summarised once when it is chosen (summed card codes and per-suit rank
// bits, or its final values when the game deals no board), a board is summarised card by card as
// it is enumerated, and a deal then costs one table read per seat and ranking. The winners are
// found and the pot divided as pot.hpp says. Nothing here allocates.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cards/card.hpp"
#include "variants/equity.hpp"
#include "variants/omaha.hpp"
#include "variants/omaha_tables.hpp"
#include "variants/pot.hpp"
#include "variants/rankings/fast.hpp"
#include "variants/showdown.hpp"

namespace vantor::variants {

// Summed codes and OR-ed suit rank bits of a group of distinct cards.
struct CardSummary {
  std::uint64_t code = 0;
  std::uint64_t suit_ranks = 0;

  void add(cards::Card card) {
    code += rankings::kCardCode[card];
    suit_ranks |= rankings::kSuitRankBit[card];
  }
  CardSummary plus(cards::Card card) const {
    return {code + rankings::kCardCode[card], suit_ranks | rankings::kSuitRankBit[card]};
  }
};

inline CardSummary summarize(std::span<const cards::Card> hand) {
  CardSummary summary;
  for (const cards::Card card : hand) summary.add(card);
  return summary;
}

// What the scorer keeps of one seat's hand between deals.
struct SeatHand {
  CardSummary summary;
  std::uint32_t high = rankings::kNoHand32;  // final values, when the game deals no board
  std::uint32_t low = rankings::kNoHand32;
};

// The scorer of one Showdown (showdown.hpp). Holds references to the shared read-only tables
// only, so one per worker costs nothing; it never fails (hand sizes are checked beforehand with
// Showdown::holds).
template <class Showdown>
class DealScorer {
 public:
  static constexpr ShowdownRule kRule = Showdown::rule;
  static constexpr unsigned kHole = Showdown::hole_cards;
  static constexpr bool kOmaha = Showdown::is_omaha;
  static constexpr bool kHasLow = Showdown::has_low;
  // A deal's winners under this rule.
  using Winners = DealWinners<kHasLow>;

  // Every seat holds `hand_size` cards and the board `board_size`; both are fixed per request.
  DealScorer(std::size_t hand_size, std::size_t board_size)
      : tables_(rankings::fast_tables()),
        omaha_tables_(kOmaha ? &omaha::omaha_tables() : nullptr),
        board_size_(board_size),
        rankable_(hand_size + board_size >= 5 && hand_size + board_size <= 7),
        whole_hands_(kOmaha && hand_size == kHole && board_size == 5) {}

  // The summary of a seat's cards; with no board to come its values are final and kept too.
  SeatHand prepare(std::span<const cards::Card> hand) const {
    SeatHand seat;
    // Badugi reads the cards alone: its hands are never summed.
    if constexpr (kRule != ShowdownRule::BadugiLow) seat.summary = summarize(hand);
    if (board_size_ == 0) {
      if constexpr (kRule == ShowdownRule::BadugiLow) {
        seat.high = rankings::badugi_order(hand);  // compared only, never reported
      } else if constexpr (!kOmaha) {
        seat.high = high_value(seat.summary);
        seat.low = low_value(seat.summary);
      }
    }
    return seat;
  }

  // Omaha seats also need their hole pairs, prepared once per chosen hand.
  void prepare_pairs(std::span<const cards::Card> hole, omaha::HolePairs& pairs) const {
    omaha::prepare_hole_pairs(hole, pairs, *omaha_tables_);
  }

  // Rules whose seats are scored from summaries alone (every rule but Omaha and badugi).
  static constexpr bool kSummaries = !kOmaha && kRule != ShowdownRule::BadugiLow;

  // The winners of one deal whose seat hands lack one card that every seat shares: each seat's
  // other cards, board included, as a summary, and the shared card.
  [[gnu::always_inline]] Outcome score_with_card(const CardSummary* partial, std::size_t seat_count,
                                                 cards::Card card) const {
    const std::uint64_t code = rankings::kCardCode[card];
    const std::uint64_t bit = rankings::kSuitRankBit[card];
    Winners winners;
    for (unsigned seat = 0; seat < seat_count; ++seat) {
      const CardSummary hand{partial[seat].code + code, partial[seat].suit_ranks | bit};
      winners.offer(seat, high_value(hand), low_value(hand));
    }
    return winners.outcome();
  }

  // Omaha rules, where every seat holds the game's hole cards and the board five cards.
  bool whole_hands() const { return whole_hands_; }

  // Omaha rules with whole_hands(), a seat whose hand is the same in every deal: its values on
  // each board class before flushes (the best over its pairs), the high ones and, for hi/lo,
  // the low ones after them, in `values` of kTabulatedValues entries. A deal then reads one
  // entry per seat and half, where it reads one per pair.
  static constexpr std::size_t kTabulatedValues = omaha::kBoardClasses * (kHasLow ? 2 : 1);
  void tabulate(const omaha::HolePairs& pairs, std::span<std::uint16_t> values) const {
    constexpr std::size_t kPairs = kHole * (kHole - 1) / 2;
    for (std::size_t board = 0; board < omaha::kBoardClasses; ++board) {
      const std::size_t row = board * omaha::kPairClasses;
      values[board] = omaha::best_in_row<kPairs>(pairs, omaha_tables_->high_by_board.data() + row);
      if constexpr (kHasLow) {
        values[omaha::kBoardClasses + board] =
            omaha::best_in_row<kPairs>(pairs, omaha_tables_->low_by_board.data() + row);
      }
    }
  }

  // score_triples() for seats whose values are tabulated: values[seat] as tabulate() fills it.
  [[gnu::always_inline]] Outcome score_tabulated(std::size_t seat_count,
                                                 const omaha::HolePairs* pairs,
                                                 const std::uint16_t* const* values,
                                                 const omaha::BoardTriples& triples) const {
    Winners winners;
    for (unsigned seat = 0; seat < seat_count; ++seat) {
      std::uint32_t value = values[seat][triples.board_class];
      // kNoFlushSuit shifts every suit out.
      if ((pairs[seat].suited_suits >> triples.flush_suit) & 1) {
        value = omaha::detail::with_board_flushes(pairs[seat], triples, value, *omaha_tables_);
      }
      std::uint32_t low = rankings::kNoHand32;
      if constexpr (kHasLow) low = values[seat][omaha::kBoardClasses + triples.board_class];
      winners.offer(seat, value, low);
    }
    return winners.outcome();
  }

  // Omaha rules: a board's triples, for score_triples() and score_tabulated().
  void prepare_board(std::span<const cards::Card> board, omaha::BoardTriples& triples) const {
    omaha::prepare_board_triples(board, triples, *omaha_tables_);
  }

  // Omaha rules: the winners of one deal whose board is prepared as `triples`.
  Outcome score_triples(std::size_t seat_count, const omaha::HolePairs* pairs,
                        const omaha::BoardTriples& triples) const {
    Winners winners;
    if (whole_hands_) {
      constexpr std::size_t kPairs = kHole * (kHole - 1) / 2;
      for (unsigned seat = 0; seat < seat_count; ++seat) {
        std::uint32_t low = rankings::kNoHand32;
        if constexpr (kHasLow) {
          low = omaha::best_low_of_five<kPairs>(pairs[seat], triples, *omaha_tables_);
        }
        winners.offer(seat, omaha::best_high_of_five<kPairs>(pairs[seat], triples, *omaha_tables_),
                      low);
      }
      return winners.outcome();
    }
    for (unsigned seat = 0; seat < seat_count; ++seat) {
      std::uint32_t low = rankings::kNoHand32;
      if constexpr (kHasLow) low = omaha::best_low(pairs[seat], triples, *omaha_tables_);
      winners.offer(seat, omaha::best_high(pairs[seat], triples, *omaha_tables_), low);
    }
    return winners.outcome();
  }

  // The winners of one deal given every seat's whole hand, board included, as one summary.
  Outcome score_summaries(const CardSummary* hands, std::size_t seat_count) const {
    return score_summaries(hands, seat_count, CardSummary{});
  }

  // The winners of one deal of a rule scored from summaries: each seat's cards and the board's
  // (all zero without a board) as summaries, so that nothing of a seat is prepared per deal.
  // kSeats, when not 0, is seat_count known at compile time: the seats' lookups are then laid
  // out one after the other, free to overlap, instead of in a loop.
  template <std::size_t kSeats = 0>
  [[gnu::always_inline]] Outcome score_summaries(const CardSummary* seats, std::size_t seat_count,
                                                 const CardSummary& board) const {
    static_assert(kSummaries);
    if constexpr (kSeats != 0) seat_count = kSeats;
    Winners winners;
    for (unsigned seat = 0; seat < seat_count; ++seat) {
      const CardSummary hand{seats[seat].code + board.code,
                             seats[seat].suit_ranks | board.suit_ranks};
      winners.offer(seat, high_value(hand), low_value(hand));
    }
    return winners.outcome();
  }

  // The winners of one deal: every seat's hand (seats[i]) with the board, given by its summary
  // and its cards. `pairs` is read by the Omaha rules only.
  Outcome score(std::span<const SeatHand* const> seats, const omaha::HolePairs* pairs,
                const CardSummary& board, std::span<const cards::Card> board_cards) const {
    Winners winners;
    if constexpr (kOmaha) {
      omaha::BoardTriples triples;
      omaha::prepare_board_triples(board_cards, triples, *omaha_tables_);
      return score_triples(seats.size(), pairs, triples);
    } else if (board_size_ == 0) {
      for (unsigned seat = 0; seat < seats.size(); ++seat) {
        winners.offer(seat, seats[seat]->high, seats[seat]->low);
      }
    } else {
      for (unsigned seat = 0; seat < seats.size(); ++seat) {
        const CardSummary& own = seats[seat]->summary;
        const CardSummary hand{own.code + board.code, own.suit_ranks | board.suit_ranks};
        winners.offer(seat, high_value(hand), low_value(hand));
      }
    }
    return winners.outcome();
  }

 private:
  // The rule's only ranking, or the high one of stud hi/lo.
  [[gnu::always_inline]] std::uint32_t high_value(const CardSummary& hand) const {
    using R = ShowdownRule;
    if (!rankable_) return rankings::kNoHand;
    const auto& d = tables_.displacement_by_bucket;
    if constexpr (kRule == R::BestHigh || kRule == R::StudHiLo) {
      return rankings::value_of_summary<true>(tables_.high, d, hand.code, hand.suit_ranks);
    } else if constexpr (kRule == R::ShortDeckHigh) {
      return rankings::value_of_summary<true>(tables_.short_deck, d, hand.code, hand.suit_ranks);
    } else if constexpr (kRule == R::RazzLow) {
      return rankings::value_of_summary<false>(tables_.low_a5, d, hand.code, hand.suit_ranks);
    } else if constexpr (kRule == R::DeuceSevenLow) {
      return rankings::value_of_summary<true>(tables_.deuce_seven, d, hand.code, hand.suit_ranks);
    } else {
      // Badugi and Omaha are not scored from summaries; a new rule must be scored above.
      static_assert(kRule == R::BadugiLow || kOmaha);
      return rankings::kNoHand32;
    }
  }

  // The low half's ranking, for the rules that have one; the others never compute it.
  [[gnu::always_inline]] std::uint32_t low_value([[maybe_unused]] const CardSummary& hand) const {
    if constexpr (!kHasLow) {
      return rankings::kNoHand32;
    } else {
      if (!rankable_) return rankings::kNoHand;
      return rankings::value_of_summary<false>(tables_.low_a5, tables_.displacement_by_bucket,
                                               hand.code, hand.suit_ranks);
    }
  }

  const rankings::FastTables& tables_;
  const omaha::OmahaTables* omaha_tables_;
  std::size_t board_size_;
  bool rankable_;
  bool whole_hands_;  // Omaha: every seat holds its hole cards and the board all five cards
};

}  // namespace vantor::variants
