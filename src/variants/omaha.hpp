#pragma once

// Omaha evaluation: exactly two hole cards with exactly three board cards. Each side is prepared
// once as a short list (a HolePair per two hole cards, a BoardTriple per three board cards) that
// carries its rank-key sum already multiplied into the perfect hash's two factors, so a candidate
// costs two additions, two table reads and no re-hashing: multiplication distributes over the
// sum, so hashing pair.key + triple.key is the same as adding the halves' products.

#include <array>
#include <cstdint>
#include <span>

#include "cards/card.hpp"
#include "variants/rankings/fast.hpp"

namespace vantor::omaha {

inline constexpr std::size_t kMaxHolePairs = 15;    // six hole cards
inline constexpr std::size_t kMaxBoardTriples = 10;  // five board cards
inline constexpr std::uint8_t kNoCommonSuit = 4;

// Two hole cards or three board cards, ready to combine. `golden` and `spread` are the rank key
// times the two multipliers of the perfect hash, modulo 2^64.
struct CardGroup {
  std::uint32_t key;          // sum of 5^rank
  std::uint16_t rank_bits;    // ranks held, one bit each
  std::uint8_t common_suit;   // the suit all the cards share, or kNoCommonSuit
  std::uint64_t golden;
  std::uint64_t spread;
};
using HolePair = CardGroup;
using BoardTriple = CardGroup;

struct HolePairs {
  std::array<HolePair, kMaxHolePairs> items;
  std::uint8_t count = 0;
};
struct BoardTriples {
  std::array<BoardTriple, kMaxBoardTriples> items;
  std::uint8_t count = 0;
};

// Every pair of the first six hole cards in index order (0-1, 0-2, ..., then 1-2, ...), and every
// three-card subset of the first five board cards in lexicographic order. Fewer than two hole
// cards or three board cards give an empty list.
void prepare_hole_pairs(std::span<const cards::Card> hole, HolePairs& out);
void prepare_board_triples(std::span<const cards::Card> board, BoardTriples& out);

// The best high value over every pair and triple: the `high` flush table where pair and triple
// share a suit, the `high` value table otherwise. kNoHand32 when either list is empty.
std::uint32_t best_high(const HolePairs& pairs, const BoardTriples& triples,
                        const rankings::FastTables& tables);

// The best ace-to-five low value over every pair and triple (rank sums only, suits ignored).
// kNoHand32 when either list is empty. Whether it qualifies is the caller's rule.
std::uint32_t best_low(const HolePairs& pairs, const BoardTriples& triples,
                       const rankings::FastTables& tables);

// The `omaha` kernel: the first four cards (all, if fewer) are the hole cards, the rest the
// board. Fewer than two hole cards, fewer than three or more than five board cards: kNoHand32.
std::uint32_t omaha(std::span<const cards::Card> cards);

}  // namespace vantor::omaha
