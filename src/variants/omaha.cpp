#include "variants/omaha.hpp"

#include <algorithm>

namespace vantor::omaha {
namespace {

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kSpread = 130451;

CardGroup group_of(std::initializer_list<cards::Card> group) {
  CardGroup out{0, 0, kNoCommonSuit, 0, 0};
  const cards::Suit suit = cards::suit_of(*group.begin());
  bool same_suit = true;
  for (const cards::Card card : group) {
    out.key += rankings::kRankWeight[cards::rank_of(card)];
    out.rank_bits = static_cast<std::uint16_t>(out.rank_bits | 1u << cards::rank_of(card));
    same_suit = same_suit && cards::suit_of(card) == suit;
  }
  if (same_suit) out.common_suit = suit;
  out.golden = out.key * kGolden;
  out.spread = out.key * kSpread;
  return out;
}

// The value table entry for pair plus triple: slot() of the summed key, computed from the halves.
inline std::uint16_t combined_value(const CardGroup& pair, const CardGroup& triple,
                                    const std::uint16_t* values,
                                    const std::uint16_t* displacement_by_bucket) {
  const std::uint64_t golden = pair.golden + triple.golden;
  const std::uint64_t displacement = displacement_by_bucket[golden >> 50];
  const std::uint64_t slot =
      ((golden >> 47) + ((pair.spread + triple.spread) | 1) * displacement) &
      (rankings::kValueSlots - 1);
  return values[slot];
}

template <bool kFlushes>
std::uint32_t best_of(const HolePairs& pairs, const BoardTriples& triples,
                      const rankings::RankTables& ranking,
                      const rankings::Displacements& displacements) {
  if (pairs.count == 0 || triples.count == 0) return rankings::kNoHand32;
  const std::uint16_t* values = ranking.value_by_slot.data();
  const std::uint16_t* displacement = displacements.data();
  std::uint32_t best = rankings::kNoHand32;
  // A flush's five ranks are all different, so its flush-table entry beats the value-table entry
  // of the same ranks; taking the minimum over both is the same as using the flush entry alone.
  for (std::size_t p = 0; p < pairs.count; ++p) {
    for (std::size_t t = 0; t < triples.count; ++t) {
      best = std::min<std::uint32_t>(best, combined_value(pairs.items[p], triples.items[t], values,
                                                          displacement));
    }
  }
  if constexpr (kFlushes) {
    for (std::size_t p = 0; p < pairs.count; ++p) {
      const CardGroup& pair = pairs.items[p];
      if (pair.common_suit == kNoCommonSuit) continue;
      for (std::size_t t = 0; t < triples.count; ++t) {
        const CardGroup& triple = triples.items[t];
        if (triple.common_suit != pair.common_suit) continue;
        best = std::min<std::uint32_t>(
            best, ranking.flush_value_by_suit_mask[pair.rank_bits | triple.rank_bits]);
      }
    }
  }
  return best;
}

}  // namespace

void prepare_hole_pairs(std::span<const cards::Card> hole, HolePairs& out) {
  out.count = 0;
  const std::size_t n = std::min<std::size_t>(hole.size(), 6);
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = a + 1; b < n; ++b) out.items[out.count++] = group_of({hole[a], hole[b]});
  }
}

void prepare_board_triples(std::span<const cards::Card> board, BoardTriples& out) {
  out.count = 0;
  const std::size_t n = std::min<std::size_t>(board.size(), 5);
  for (std::size_t a = 0; a < n; ++a) {
    for (std::size_t b = a + 1; b < n; ++b) {
      for (std::size_t c = b + 1; c < n; ++c) {
        out.items[out.count++] = group_of({board[a], board[b], board[c]});
      }
    }
  }
}

std::uint32_t best_high(const HolePairs& pairs, const BoardTriples& triples,
                        const rankings::FastTables& tables) {
  return best_of<true>(pairs, triples, tables.high, tables.displacement_by_bucket);
}

std::uint32_t best_low(const HolePairs& pairs, const BoardTriples& triples,
                       const rankings::FastTables& tables) {
  return best_of<false>(pairs, triples, tables.low_a5, tables.displacement_by_bucket);
}

std::uint32_t omaha(std::span<const cards::Card> cards) {
  const std::size_t hole_count = std::min<std::size_t>(cards.size(), 4);
  const auto hole = cards.first(hole_count);
  const auto board = cards.subspan(hole_count);
  // More than five board cards is no Omaha deal; it is refused rather than silently cut.
  if (hole.size() < 2 || board.size() < 3 || board.size() > 5) return rankings::kNoHand32;
  HolePairs pairs;
  BoardTriples triples;
  prepare_hole_pairs(hole, pairs);
  prepare_board_triples(board, triples);
  return best_high(pairs, triples, rankings::fast_tables());
}

}  // namespace vantor::omaha
