#pragma once

// Omaha evaluation: exactly two hole cards with exactly three board cards. Each side is prepared
// once as a short list (the rank class of every two hole cards, a BoardTriple per three board
// cards, and for a five-card board its rank class). Candidates are read from the derived tables of
// omaha_tables.hpp, which hold the very entries the perfect hash would find for the summed rank
// keys, so the results are those of scoring every pair with every triple.

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "cards/card.hpp"
#include "variants/omaha_tables.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::omaha {

inline constexpr std::size_t kMaxHolePairs = 15;     // six hole cards
inline constexpr std::size_t kMaxBoardTriples = 10;  // five board cards
inline constexpr std::uint8_t kNoCommonSuit = 4;
inline constexpr std::uint8_t kNoFlushSuit = 5;  // differs from kNoCommonSuit: they never match
inline constexpr std::uint32_t kNoBoardRow = 0xFFFFFFFF;

// Three board cards, ready to combine. The rank class stands for the group's half of the rank
// key: its multiset of ranks, numbered among triples (455).
struct CardGroup {
  std::uint16_t rank_class;
  std::uint16_t rank_bits;   // ranks held, one bit each
  std::uint8_t common_suit;  // the suit all the cards share, or kNoCommonSuit
};
using BoardTriple = CardGroup;

// A hand's hole pairs: each pair's rank class (its multiset of ranks, numbered among the 91
// pairs), and for the flush step the hole cards' ranks by suit, from which the pairs of a suit
// are taken where a flush is possible at all.
struct HolePairs {
  std::array<std::uint8_t, kMaxHolePairs> rank_class;
  std::array<std::uint16_t, 4> suit_ranks;  // [suit]: the hole cards' ranks in it, one bit each
  std::uint8_t count = 0;
  std::uint8_t suited_suits = 0;  // bit s: two hole cards or more in suit s
};
// A board's triples. A five-card board is read as a whole: its rank class stands for all ten
// triples at once, and a flush can only use the one suit holding three of its cards or more, so
// that suit's ranks are all the flush step needs. Shorter boards list every triple in `items`.
struct BoardTriples {
  std::array<BoardTriple, kMaxBoardTriples> items;  // boards of three or four cards only
  std::uint8_t count = 0;                           // triples the board has
  std::uint32_t board_row = kNoBoardRow;            // five cards: board class * kPairClasses
  std::uint16_t board_class = kNoBoardClass;        // five cards: the class of its ranks
  std::uint8_t flush_suit = kNoFlushSuit;           // five cards: the suit with three or more
  std::uint16_t flush_ranks = 0;                    // five cards: that suit's ranks
};

// Every pair of the first six hole cards in index order (0-1, 0-2, ..., then 1-2, ...), and every
// three-card subset of the first five board cards in lexicographic order. Fewer than two hole
// cards or three board cards give an empty list.
void prepare_hole_pairs(std::span<const cards::Card> hole, HolePairs& out,
                        const OmahaTables& tables = omaha_tables());
void prepare_board_triples(std::span<const cards::Card> board, BoardTriples& out,
                           const OmahaTables& tables = omaha_tables());

// The best high value over every pair and triple: the `high` flush table where pair and triple
// share a suit, the `high` value table otherwise. kNoHand32 when either list is empty.
std::uint32_t best_high(const HolePairs& pairs, const BoardTriples& triples,
                        const OmahaTables& tables = omaha_tables());

// The best ace-to-five low value over every pair and triple (rank sums only, suits ignored).
// kNoHand32 when either list is empty. Whether it qualifies is the caller's rule.
std::uint32_t best_low(const HolePairs& pairs, const BoardTriples& triples,
                       const OmahaTables& tables = omaha_tables());

namespace detail {
// best_high() of a five-card board's flushes only, at least as good as `best`.
std::uint32_t with_board_flushes(const HolePairs& pairs, const BoardTriples& triples,
                                 std::uint32_t best, const OmahaTables& tables);
}  // namespace detail

// The best entry of a five-card board's row of a `*_by_board` table over a hand's kPairs pairs.
template <std::size_t kPairs>
inline std::uint16_t best_in_row(const HolePairs& pairs, const std::uint16_t* row) {
  static_assert(kPairs >= 1 && kPairs <= kMaxHolePairs);
  std::uint16_t best = row[pairs.rank_class[0]];
  for (std::size_t p = 1; p < kPairs; ++p) best = std::min(best, row[pairs.rank_class[p]]);
  return best;
}

// best_high() and best_low() where the board has five cards and the hand kPairs pairs, both known
// before the deal (a game's hole-card count is fixed): the reads unroll to straight-line code,
// and the flush step runs only for a hand with a pair suited in the board's flush suit.
template <std::size_t kPairs>
inline std::uint32_t best_high_of_five(const HolePairs& pairs, const BoardTriples& triples,
                                       const OmahaTables& tables) {
  std::uint32_t best = best_in_row<kPairs>(pairs, tables.high_by_board.data() + triples.board_row);
  // kNoFlushSuit shifts every suit out.
  if ((pairs.suited_suits >> triples.flush_suit) & 1) {
    best = detail::with_board_flushes(pairs, triples, best, tables);
  }
  return best;
}

template <std::size_t kPairs>
inline std::uint32_t best_low_of_five(const HolePairs& pairs, const BoardTriples& triples,
                                      const OmahaTables& tables) {
  return best_in_row<kPairs>(pairs, tables.low_by_board.data() + triples.board_row);
}

// The `omaha` kernel: the first four cards (all, if fewer) are the hole cards, the rest the
// board. Fewer than two hole cards, fewer than three or more than five board cards: kNoHand32.
std::uint32_t omaha(std::span<const cards::Card> cards);

}  // namespace vantor::omaha
