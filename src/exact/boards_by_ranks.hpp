#pragma once

// Boards walked by their ranks. When no seat can make a flush, a deal's pot shares depend on the
// ranks of the cards alone, so every board of one multiset of ranks gives the same outcome: it is
// scored once and counted for every board of those ranks. A board that lets some seat make a
// flush is scored with its suits, and that outcome replaces the one its ranks alone gave it.
// When no two suits can both reach a flush on one board, such boards are listed suit by suit:
// the cards of the flush suit one by one, the others again by their ranks alone.
//
// Hold'em and short deck: a seat makes a flush with five of a suit among its cards and the
// board. The Omaha rules: with two of a suit in its hand and three of it on the board.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cards/card.hpp"
#include "tally/outcome_counts.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/omaha.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::odds {

template <class Scorer>
class BoardsByRanks {
 public:
  static constexpr bool kOmaha = Scorer::kOmaha;
  // The rules whose hands are ranked as five of the seat's and the board's cards, with flushes
  // and (for a low half) ranks alone.
  static constexpr bool kApplies =
      kOmaha || (Scorer::kSummaries && (Scorer::kRule == variants::ShowdownRule::BestHigh ||
                                        Scorer::kRule == variants::ShowdownRule::ShortDeckHigh));

  // `seats` are the seats' own summaries (and `pairs` their hole pairs, for the Omaha rules),
  // `fixed` and `fixed_cards` the board cards already named, `pool` the cards the `open` board
  // cards are chosen from, in increasing order.
  BoardsByRanks(const Scorer& scorer, OutcomeCounts& counts,
                std::span<const variants::CardSummary> seats, const omaha::HolePairs* pairs,
                const variants::CardSummary& fixed, std::span<const cards::Card> fixed_cards,
                std::span<const cards::Card> pool, std::size_t open)
      : scorer_(scorer),
        counts_(counts),
        seats_(seats),
        pairs_(pairs),
        fixed_(fixed),
        pool_(pool),
        open_(open),
        placed_(fixed_cards.size()) {
    std::copy(fixed_cards.begin(), fixed_cards.end(), board_.begin());
    for (const cards::Card card : pool_) ++by_rank_[card >> 2];
    for (unsigned suit = 0; suit < 4; ++suit) {
      unsigned most = 0;
      for (const auto& seat : seats_) most = std::max(most, suit_count(seat.code, suit));
      const auto named = static_cast<int>(suit_count(fixed_.code, suit));
      // Cards of the suit still to come on the board that let some seat make a flush of it.
      if constexpr (kOmaha) {
        needed_[suit] = most >= 2 ? 3 - named : kNever;
      } else {
        needed_[suit] = 5 - static_cast<int>(most) - named;
      }
    }
  }

  // True when the walk by ranks holds: a five-card board with at least two cards to come, where
  // no seat has made a flush already and no two suits can both reach one.
  bool holds(std::size_t board_size) const {
    if (board_size != 5 || open_ < 2 || seats_.size() > variants::kMostSeats) return false;
    for (unsigned a = 0; a < 4; ++a) {
      if (needed_[a] < 1) return false;
      for (unsigned b = a + 1; b < 4; ++b) {
        if (needed_[a] + needed_[b] <= static_cast<int>(open_)) return false;
      }
    }
    return true;
  }

  // Counts every board `weight` times.
  void walk(std::uint64_t weight) {
    weight_ = weight;
    by_ranks(0, open_, 0, 1);
    for (unsigned suit = 0; suit < 4; ++suit) {
      if (needed_[suit] > static_cast<int>(open_)) continue;
      flush_suit_ = suit;
      std::size_t suited_count = 0;
      others_by_rank_ = by_rank_;
      for (const cards::Card card : pool_) {
        if ((card & 3u) == suit) {
          suited_[suited_count++] = card;
          --others_by_rank_[card >> 2];
        }
      }
      const std::size_t most = std::min(open_, suited_count);
      for (std::size_t in_suit = static_cast<std::size_t>(needed_[suit]); in_suit <= most;
           ++in_suit) {
        choose(std::span(suited_.data(), suited_count), in_suit, 0, fixed_);
      }
    }
  }

 private:
  static constexpr int kNever = 6;  // more cards than a board has

  static unsigned suit_count(std::uint64_t code, unsigned suit) {
    return static_cast<unsigned>(code >> (32 + 4 * suit)) & 0xF;
  }

  // Every multiset of `left` more ranks from `rank` up that `available` (cards per rank) can
  // deal, `boards` being the number of ways the ranks so far can be dealt. Ranks are placed on
  // board_ as cards of made-up suits: the n-th card of a rank takes the n-th suit of `suits`.
  template <class Leaf>
  void multisets(const std::array<unsigned, 13>& available, std::span<const unsigned> suits,
                 unsigned rank, std::size_t left, std::uint64_t rank_code, std::uint64_t boards,
                 Leaf&& leaf) {
    if (left == 0) return leaf(rank_code, boards);
    for (unsigned r = rank; r < 13; ++r) {
      const unsigned here = available[r];
      std::uint64_t ways = 1;
      std::uint64_t code = rank_code;
      for (unsigned taken = 1; taken <= here && taken <= left; ++taken) {
        ways = ways * (here - taken + 1) / taken;  // C(here, taken), exactly
        code += rankings::kRankWeight[r];
        board_[placed_++] = static_cast<cards::Card>(4 * r + suits[taken - 1]);
        multisets(available, suits, r + 1, left - taken, code, boards * ways, leaf);
      }
      placed_ -= std::min(here, static_cast<unsigned>(left));
    }
  }

  // The boards of every multiset of ranks, each scored by its ranks alone.
  void by_ranks(unsigned rank, std::size_t left, std::uint64_t rank_code, std::uint64_t boards) {
    static constexpr std::array<unsigned, 4> kAnySuits{0, 1, 2, 3};
    multisets(by_rank_, kAnySuits, rank, left, rank_code, boards,
              [&](std::uint64_t code, std::uint64_t count) {
                counts_.add(rank_outcome(code), count * weight_);
              });
  }

  // The outcome with the open cards known by their ranks only (for the Omaha rules, by the
  // cards on board_ with the flush left out).
  variants::Outcome rank_outcome(std::uint64_t rank_code) {
    if constexpr (kOmaha) {
      omaha::BoardTriples triples;
      omaha::prepare_board_triples(std::span(board_.data(), 5), triples);
      triples.flush_suit = omaha::kNoFlushSuit;
      return scorer_.score_triples(seats_.size(), pairs_, triples);
    } else {
      // Their suits are left out of the summaries, so no seat's hand counts a flush (none can
      // from its own and the named cards, holds() made sure).
      for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
        hands_[seat] = {seats_[seat].code + fixed_.code + rank_code, 0};
      }
      return scorer_.score_summaries(hands_.data(), seats_.size());
    }
  }

  // Every `count` cards of `suited_[start..]` with `so_far`, and then the other open cards by
  // their ranks (in suits other than the flush suit).
  void choose(std::span<const cards::Card> from, std::size_t count, std::size_t start,
              const variants::CardSummary& so_far) {
    if (count == 0) {
      std::array<unsigned, 3> suits{};
      for (unsigned suit = 0, n = 0; suit < 4; ++suit) {
        if (suit != flush_suit_) suits[n++] = suit;
      }
      const std::size_t suited_open = placed_ - (5 - open_);
      return multisets(
          others_by_rank_, suits, 0, open_ - suited_open, 0, 1,
          [&](std::uint64_t code, std::uint64_t boards) { correct(so_far, code, boards); });
    }
    for (std::size_t i = start; i + count <= from.size(); ++i) {
      board_[placed_++] = from[i];
      choose(from, count - 1, i + 1, so_far.plus(from[i]));
      --placed_;
    }
  }

  // `boards` boards some seat may make a flush on, alike but for the suits of the cards outside
  // the flush suit: scored with the flush suit's cards (`suited`, the named cards included),
  // they replace the outcome their ranks gave them. The counts are whole numbers modulo 2^64,
  // so taking some away is adding their negative, and the sums come out exact.
  void correct(const variants::CardSummary& suited, std::uint64_t other_ranks,
               std::uint64_t boards) {
    variants::Outcome actual;
    variants::Outcome by_ranks;
    if constexpr (kOmaha) {
      omaha::BoardTriples triples;
      omaha::prepare_board_triples(std::span(board_.data(), 5), triples);
      actual = scorer_.score_triples(seats_.size(), pairs_, triples);
      triples.flush_suit = omaha::kNoFlushSuit;
      by_ranks = scorer_.score_triples(seats_.size(), pairs_, triples);
    } else {
      for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
        hands_[seat] = {seats_[seat].code + suited.code + other_ranks,
                        seats_[seat].suit_ranks | suited.suit_ranks};
      }
      actual = scorer_.score_summaries(hands_.data(), seats_.size());
      by_ranks = rank_outcome(((suited.code - fixed_.code) & 0xFFFFFFFFu) + other_ranks);
    }
    if (actual.high == by_ranks.high && actual.low == by_ranks.low) return;
    const std::uint64_t count = boards * weight_;
    counts_.add(actual, count);
    counts_.add(by_ranks, ~count + 1);
  }

  const Scorer& scorer_;
  OutcomeCounts& counts_;
  std::span<const variants::CardSummary> seats_;
  const omaha::HolePairs* pairs_;
  variants::CardSummary fixed_;
  std::span<const cards::Card> pool_;
  std::size_t open_;
  std::uint64_t weight_ = 1;
  std::array<unsigned, 13> by_rank_{};
  std::array<unsigned, 13> others_by_rank_{};  // pool cards of each rank outside the flush suit
  std::array<int, 4> needed_{};
  unsigned flush_suit_ = 0;
  std::array<cards::Card, cards::kCardCount> suited_{};
  std::array<cards::Card, 5> board_{};  // the named cards, then the open ones placed so far
  std::size_t placed_;
  std::array<variants::CardSummary, variants::kMostSeats> hands_{};
};

}  // namespace vantor::odds
