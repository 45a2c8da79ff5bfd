#include "variants/rankings/fast.hpp"

#include <algorithm>
#include <utility>

namespace vantor::rankings {

std::uint16_t high(std::span<const cards::Card> cards) {
  const FastTables& tables = fast_tables();
  return table_value<true>(tables.high, tables.displacement_by_bucket, cards.data(), cards.size());
}

std::uint16_t short_deck(std::span<const cards::Card> cards) {
  const FastTables& tables = fast_tables();
  return table_value<true>(tables.short_deck, tables.displacement_by_bucket, cards.data(),
                           cards.size());
}

std::uint16_t low_a5(std::span<const cards::Card> cards) {
  const FastTables& tables = fast_tables();
  return table_value<false>(tables.low_a5, tables.displacement_by_bucket, cards.data(),
                            cards.size());
}

std::uint16_t deuce_seven(std::span<const cards::Card> cards) {
  const FastTables& tables = fast_tables();
  return table_value<true>(tables.deuce_seven, tables.displacement_by_bucket, cards.data(),
                           cards.size());
}

namespace {

// Among candidates of one size, comparing rank lists from the top card down is comparing their
// rank masks as numbers (the highest rank in one set and not the other decides both ways), so a
// candidate is keyed (4 - size) << 16 | rank mask and only the best key is turned into a score.
std::uint32_t badugi_score(std::uint32_t best_key) {
  const std::uint32_t missing = best_key >> 16;
  std::uint32_t ranks = best_key & 0xFFFF;
  std::uint32_t packed = 0;
  // Four fixed steps, each taking the top rank left; ranks start at bit 1, so an empty set gives
  // rank 0, the value of a missing card, without a branch on how many cards there are.
  for (int shift = 12; shift >= 0; shift -= 4) {
    const int top = std::max(static_cast<int>(std::bit_width(ranks)), 1) - 1;
    packed |= static_cast<std::uint32_t>(top) << shift;
    ranks &= ~(1u << top);
  }
  return missing * 65536 + packed;
}

inline unsigned badugi_rank(cards::Card card) {
  const unsigned rank = cards::rank_of(card);
  return rank == 12 ? 1 : rank + 2;  // aces low
}

// Few cards, as every game deals: every subset, its rank and suit sets built from the subset
// without its lowest card. A subset is a candidate when no rank and no suit repeats.
std::uint32_t badugi_by_subsets(std::span<const cards::Card> cards) {
  constexpr std::size_t kMaxCards = 10;
  // Every entry is written before it is read, so the arrays are not cleared.
  std::array<std::uint16_t, 1 << kMaxCards> ranks;
  std::array<std::uint8_t, 1 << kMaxCards> suits;
  ranks[0] = 0;
  suits[0] = 0;
  std::uint32_t best = ~0u;
  for (unsigned subset = 1; subset < (1u << cards.size()); ++subset) {
    const cards::Card card = cards[std::countr_zero(subset)];
    const unsigned rest = subset & (subset - 1);
    ranks[subset] = static_cast<std::uint16_t>(ranks[rest] | 1u << badugi_rank(card));
    suits[subset] = static_cast<std::uint8_t>(suits[rest] | 1u << cards::suit_of(card));
    const int size = std::popcount(subset);
    const unsigned distinct =
        (std::popcount(ranks[subset]) == size) & (std::popcount(suits[subset]) == size);
    const std::uint32_t key = (4u - size) << 16 | ranks[subset];
    best = std::min(best, key | (distinct - 1));
  }
  return badugi_score(best);
}

// One subset of the four cards of a badugi hand, with the subset fixed at compile time so that
// all fifteen unroll into straight-line code on registers.
template <unsigned kSubset>
inline std::uint32_t badugi_candidate(const std::array<unsigned, 4>& rank_bit,
                                      const std::array<unsigned, 4>& suit_bit) {
  unsigned ranks = 0, suits = 0;
  for (unsigned i = 0; i < 4; ++i) {
    if ((kSubset >> i) & 1) {
      ranks |= rank_bit[i];
      suits |= suit_bit[i];
    }
  }
  constexpr int kSize = std::popcount(kSubset);
  // Bitwise, not short-circuit: whether a random subset is a candidate is a coin flip.
  const unsigned distinct = (std::popcount(ranks) == kSize) & (std::popcount(suits) == kSize);
  return ((4u - kSize) << 16 | ranks) | (distinct - 1);
}

template <unsigned... kSubsets>
std::uint32_t best_badugi_key(const std::array<unsigned, 4>& rank_bit,
                              const std::array<unsigned, 4>& suit_bit,
                              std::integer_sequence<unsigned, 0, kSubsets...>) {
  return std::min({badugi_candidate<kSubsets>(rank_bit, suit_bit)...});
}

// The four cards a badugi hand holds.
std::uint32_t badugi_of_four(std::span<const cards::Card> cards) {
  std::array<unsigned, 4> rank_bit{}, suit_bit{};
  for (std::size_t i = 0; i < 4; ++i) {
    rank_bit[i] = 1u << badugi_rank(cards[i]);
    suit_bit[i] = 1u << cards::suit_of(cards[i]);
  }
  return badugi_score(
      best_badugi_key(rank_bit, suit_bit, std::make_integer_sequence<unsigned, 16>{}));
}

// Many cards: a repeated card adds nothing, and no candidate holds more than four, so the search
// runs over the distinct cards and over sets of at most four, which bounds its cost.
std::uint32_t badugi_by_search(std::span<const cards::Card> cards) {
  cards::CardMask held = 0;
  for (const cards::Card card : cards) held |= cards::card_bit(card);
  std::array<cards::Card, cards::kCardCount> distinct{};
  int count = 0;
  for (; held; held &= held - 1)
    distinct[count++] = static_cast<cards::Card>(std::countr_zero(held));
  std::uint32_t best = ~0u;
  auto extend = [&](auto& self, int from, int size, unsigned rank_set, unsigned suit_set) -> void {
    for (int i = from; i < count; ++i) {
      const unsigned rank_bit = 1u << badugi_rank(distinct[i]);
      const unsigned suit_bit = 1u << cards::suit_of(distinct[i]);
      if ((rank_set & rank_bit) || (suit_set & suit_bit)) continue;
      best = std::min(best, (3u - size) << 16 | rank_set | rank_bit);
      if (size + 1 < 4) self(self, i + 1, size + 1, rank_set | rank_bit, suit_set | suit_bit);
    }
  };
  extend(extend, 0, 0, 0, 0);
  return badugi_score(best);
}

}  // namespace

std::uint32_t badugi(std::span<const cards::Card> cards) {
  if (cards.empty()) return kNoHand32;
  if (cards.size() == 4) return badugi_of_four(cards);
  return cards.size() <= 10 ? badugi_by_subsets(cards) : badugi_by_search(cards);
}

}  // namespace vantor::rankings
