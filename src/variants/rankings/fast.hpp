#pragma once

// The ranking kernels. A kernel turns a short list of card indices into a hand value: lower is
// better and equal values tie. Kernels are pure functions over the shared immutable tables, safe
// on any number of threads, and never allocate or fail; a hand they cannot rank gets a sentinel
// that is worse than every real value (kNoHand, or kNoHand32 for the 32-bit kernels).
//
// Kernel      ranking                                   cards     values
// high        high poker, A-5-4-3-2 the lowest straight  5 to 7    0 .. 7461
// short_deck  flush beats full house, A-9-8-7-6 a straight 5 to 7  0 .. 7459
// low_a5      ace-to-five low, straights/flushes ignored 5 to 7    0 .. 6174
// deuce_seven deuce-to-seven low                         5         0 .. 7461
// badugi      badugi, aces low                           any       17185 .. 249856
// omaha       two of four hole cards plus three board    7 to 9    0 .. 7461  (variants/omaha)

#include <array>
#include <bit>
#include <cstdint>
#include <span>

#include "cards/card.hpp"
#include "variants/rankings/fast_tables.hpp"

namespace vantor::rankings {

inline constexpr std::uint32_t kNoHand32 = 4294967295u;

// A card's contribution to a hand sum: 5^rank in the low 32 bits, so that codes add up to the
// rank key, and a 4-bit counter per suit in bits 32..47. Seven cards never overflow either part.
inline constexpr std::array<std::uint64_t, cards::kCardCount> kCardCode = [] {
  std::array<std::uint64_t, cards::kCardCount> codes{};
  for (unsigned card = 0; card < codes.size(); ++card) {
    codes[card] = kRankWeight[card >> 2] | (std::uint64_t{1} << (32 + 4 * (card & 3)));
  }
  return codes;
}();

inline std::uint64_t hand_code(const cards::Card* cards, std::size_t count) {
  std::uint64_t code = 0;
  for (std::size_t i = 0; i < count; ++i) code += kCardCode[cards[i]];
  return code;
}

// The suit holding five or more of the summed cards, or -1. Adding 3 to every counter sets a
// counter's top bit exactly when it holds at least five; up to seven cards at most one suit can.
inline int flush_suit(std::uint64_t code) {
  const std::uint64_t five_or_more =
      (code + (std::uint64_t{0x3333} << 32)) & (std::uint64_t{0x8888} << 32);
  return five_or_more ? (std::countr_zero(five_or_more) - 35) >> 2 : -1;
}

inline unsigned suit_ranks(const cards::Card* cards, std::size_t count, int suit) {
  unsigned ranks = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if ((cards[i] & 3) == suit) ranks |= 1u << (cards[i] >> 2);
  }
  return ranks;
}

// A card's bit in a hand's per-suit rank sets: 16 bits per suit, the rank's bit within them.
// OR-ing these over a hand gives every suit's ranks at once, so a flush's ranks are one shift.
inline constexpr std::array<std::uint64_t, cards::kCardCount> kSuitRankBit = [] {
  std::array<std::uint64_t, cards::kCardCount> bits{};
  for (unsigned card = 0; card < bits.size(); ++card) {
    bits[card] = std::uint64_t{1} << (16 * (card & 3) + (card >> 2));
  }
  return bits;
}();

// The value of five to seven distinct cards known only by their summed codes and their OR-ed
// suit rank bits: what the exact walk and the batch loop keep while they place cards one by one.
// Forced inline: it is the innermost step of those loops, and a call per hand there costs
// more than the lookup itself.
template <bool kFlushes>
[[gnu::always_inline]] inline std::uint16_t value_of_summary(const RankTables& tables,
                                                             const Displacements& displacements,
                                                             std::uint64_t code,
                                                             std::uint64_t suit_rank_bits) {
  if constexpr (kFlushes) {
    const int suit = flush_suit(code);
    if (suit >= 0) {
      return tables.flush_value_by_suit_mask[(suit_rank_bits >> (16 * suit)) & 0x1FFF];
    }
  }
  return tables.value_by_slot[slot(static_cast<std::uint32_t>(code), displacements.data())];
}

// The value of five to seven cards whose codes sum to `code`. With at most seven cards a flush
// rules out four of a kind and a full house, so reading the flush table first hides nothing.
template <bool kFlushes>
inline std::uint16_t table_value(const RankTables& tables, const Displacements& displacements,
                                 const cards::Card* cards, std::size_t count) {
  if (count < 5 || count > 7) return kNoHand;
  const std::uint64_t code = hand_code(cards, count);
  if constexpr (kFlushes) {
    const int suit = flush_suit(code);
    if (suit >= 0) return tables.flush_value_by_suit_mask[suit_ranks(cards, count, suit)];
  }
  return tables.value_by_slot[slot(static_cast<std::uint32_t>(code), displacements.data())];
}

// The kernels by name, each reading the process's tables.
std::uint16_t high(std::span<const cards::Card> cards);
std::uint16_t short_deck(std::span<const cards::Card> cards);
std::uint16_t low_a5(std::span<const cards::Card> cards);
std::uint16_t deuce_seven(std::span<const cards::Card> cards);

// Badugi: the largest set of cards with no rank and no suit repeated, then its ranks from the
// top, aces low (ace 1, deuce 2 ... king 13). A set of s cards with ranks r1 > r2 > ... scores
// (4 - s) * 65536 + r1 * 4096 + r2 * 256 + r3 * 16 + r4. No cards gives kNoHand32. A repeated
// card adds nothing, so the search runs over the distinct cards and its cost stays bounded.
std::uint32_t badugi(std::span<const cards::Card> cards);

// The same order as badugi() (lower is better, equal values tie) without its values: the best
// set's (4 - s) << 16 | its rank bits, before they are spelt out rank by rank. For scorers that
// only compare hands.
std::uint32_t badugi_order(std::span<const cards::Card> cards);

}  // namespace vantor::rankings
