#pragma once

// Hold'em boards walked by their ranks. When no seat can make a flush, a deal's pot shares
// depend on the ranks of the cards alone, so every board of one multiset of ranks gives the same
// outcome: it is scored once and counted for every board of those ranks. A board that lets some
// seat make a flush is scored on its own, and its outcome replaces the one its ranks alone gave
// it. With five board cards and every seat needing three or more of a suit on the board, at
// most one suit can reach a flush on any board, so such boards are listed suit by suit: the
// cards of the suit one by one, the others again by their ranks alone.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cards/card.hpp"
#include "odds/outcome_counts.hpp"
#include "variants/deal_scorer.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::odds {

template <class Scorer>
class BoardsByRanks {
 public:
  // Whether the showdown ranks five of seven cards with flushes and nothing else: hold'em and
  // short deck (a low half or Omaha's two-plus-three rule is decided otherwise).
  static constexpr bool kApplies = Scorer::kSummaries && !Scorer::kHasLow &&
                                   (Scorer::kRule == variants::ShowdownRule::BestHigh ||
                                    Scorer::kRule == variants::ShowdownRule::ShortDeckHigh);

  // `seats` are the seats' own summaries, `fixed` the board cards already named, `pool` the
  // cards the `open` board cards are chosen from, in increasing order.
  BoardsByRanks(const Scorer& scorer, OutcomeCounts& counts,
                std::span<const variants::CardSummary> seats, const variants::CardSummary& fixed,
                std::span<const cards::Card> pool, std::size_t open)
      : scorer_(scorer), counts_(counts), seats_(seats), fixed_(fixed), pool_(pool), open_(open) {
    for (const cards::Card card : pool_) ++by_rank_[card >> 2];
    for (unsigned suit = 0; suit < 4; ++suit) {
      unsigned most = 0;
      for (const auto& seat : seats_) most = std::max(most, suit_count(seat.code, suit));
      // Board cards of the suit still to come that let some seat hold five of it.
      needed_[suit] = 5 - static_cast<int>(most + suit_count(fixed_.code, suit));
    }
  }

  // True when the walk by ranks holds: a five-card board with at least two cards to come, where
  // no seat holds a flush already and no two suits can both reach one.
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
        choose(std::span(suited_.data(), suited_count), in_suit, 0, fixed_,
               [&](const variants::CardSummary& suited) {
                 suited_part_ = suited;
                 others(0, open_ - in_suit, 0, 1);
               });
      }
    }
  }

 private:
  static unsigned suit_count(std::uint64_t code, unsigned suit) {
    return static_cast<unsigned>(code >> (32 + 4 * suit)) & 0xF;
  }

  // Every multiset of `left` more ranks from `rank` up that the pool can deal, `boards` being
  // the number of ways the ranks so far can be dealt; each scored by its ranks alone.
  void by_ranks(unsigned rank, std::size_t left, std::uint64_t rank_code, std::uint64_t boards) {
    if (left == 0) {
      counts_.add(rank_outcome(rank_code), boards * weight_);
      return;
    }
    for (unsigned r = rank; r < 13; ++r) {
      const unsigned here = by_rank_[r];
      std::uint64_t ways = 1;
      std::uint64_t code = rank_code;
      for (unsigned taken = 1; taken <= here && taken <= left; ++taken) {
        ways = ways * (here - taken + 1) / taken;  // C(here, taken), exactly
        code += rankings::kRankWeight[r];
        by_ranks(r + 1, left - taken, code, boards * ways);
      }
    }
  }

  // The outcome with the open cards known by their ranks only: their suits are left out of the
  // summaries, so no seat's hand counts a flush (none can have one from its own and the named
  // cards, holds() made sure).
  variants::Outcome rank_outcome(std::uint64_t rank_code) {
    for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
      hands_[seat] = {seats_[seat].code + fixed_.code + rank_code, 0};
    }
    return scorer_.score_summaries(hands_.data(), seats_.size());
  }

  // by_ranks() for the cards of the other suits on boards with suited_part_ (the named cards
  // and those of the suit that may flush): their suits cannot make a flush either.
  void others(unsigned rank, std::size_t left, std::uint64_t rank_code, std::uint64_t boards) {
    if (left == 0) return correct(rank_code, boards);
    for (unsigned r = rank; r < 13; ++r) {
      const unsigned here = others_by_rank_[r];
      std::uint64_t ways = 1;
      std::uint64_t code = rank_code;
      for (unsigned taken = 1; taken <= here && taken <= left; ++taken) {
        ways = ways * (here - taken + 1) / taken;
        code += rankings::kRankWeight[r];
        others(r + 1, left - taken, code, boards * ways);
      }
    }
  }

  // `boards` boards some seat may make a flush on, alike but for the suits of the cards outside
  // the flush suit: scored with the flush suit's cards, they replace the outcome their ranks
  // gave them (the counts are whole numbers modulo 2^64, so taking some away is adding their
  // negative, and the sums come out exact).
  void correct(std::uint64_t other_ranks, std::uint64_t boards) {
    const variants::CardSummary& suited = suited_part_;
    for (std::size_t seat = 0; seat < seats_.size(); ++seat) {
      hands_[seat] = {seats_[seat].code + suited.code + other_ranks,
                      seats_[seat].suit_ranks | suited.suit_ranks};
    }
    const variants::Outcome actual = scorer_.score_summaries(hands_.data(), seats_.size());
    const std::uint64_t open_ranks = ((suited.code - fixed_.code) & 0xFFFFFFFFu) + other_ranks;
    const variants::Outcome by_ranks = rank_outcome(open_ranks);
    if (actual.high == by_ranks.high && actual.low == by_ranks.low) return;
    const std::uint64_t count = boards * weight_;
    counts_.add(actual, count);
    counts_.add(by_ranks, ~count + 1);
  }

  // Every `count` cards of `from[start..]`, each added to `so_far` and passed to `visit`.
  template <class Visit>
  static void choose(std::span<const cards::Card> from, std::size_t count, std::size_t start,
                     const variants::CardSummary& so_far, Visit&& visit) {
    if (count == 0) return visit(so_far);
    for (std::size_t i = start; i + count <= from.size(); ++i) {
      choose(from, count - 1, i + 1, so_far.plus(from[i]), visit);
    }
  }

  const Scorer& scorer_;
  OutcomeCounts& counts_;
  std::span<const variants::CardSummary> seats_;
  variants::CardSummary fixed_;
  std::span<const cards::Card> pool_;
  std::size_t open_;
  std::uint64_t weight_ = 1;
  std::array<unsigned, 13> by_rank_{};
  std::array<int, 4> needed_{};
  std::array<cards::Card, cards::kCardCount> suited_{};
  std::array<unsigned, 13> others_by_rank_{};  // pool cards of each rank outside the flush suit
  variants::CardSummary suited_part_;
  std::array<variants::CardSummary, variants::kMostSeats> hands_{};
};

}  // namespace vantor::odds
