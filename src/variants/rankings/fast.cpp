#include "variants/rankings/fast.hpp"

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

struct BadugiSearch {
  std::array<std::uint8_t, cards::kCardCount> rank{};  // badugi ranks, ascending
  std::array<std::uint8_t, cards::kCardCount> suit{};
  int count = 0;
  std::uint32_t best = kNoHand32;

  // Cards are visited in ascending rank, so each card added is the new top card: it enters the
  // packed ranks at the top nibble and pushes the others down. A rank equal to one already taken
  // is refused by the rank mask, so the order within a rank does not matter.
  void extend(int from, int size, unsigned ranks_taken, unsigned suits_taken,
              std::uint32_t packed) {
    for (int i = from; i < count; ++i) {
      if ((ranks_taken >> rank[i]) & 1 || (suits_taken >> suit[i]) & 1) continue;
      const std::uint32_t next = (std::uint32_t{rank[i]} << 12) | (packed >> 4);
      const std::uint32_t score = (3 - size) * 65536u + next;
      if (score < best) best = score;
      if (size + 1 < 4) {
        extend(i + 1, size + 1, ranks_taken | 1u << rank[i], suits_taken | 1u << suit[i], next);
      }
    }
  }
};

}  // namespace

std::uint32_t badugi(std::span<const cards::Card> cards) {
  cards::CardMask held = 0;
  for (const cards::Card card : cards) held |= cards::card_bit(card);
  BadugiSearch search;
  // Aces first, then deuce to king: ascending badugi rank.
  for (int rank_index : {12, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
    for (int suit = 0; suit < 4; ++suit) {
      if (!((held >> (rank_index * 4 + suit)) & 1)) continue;
      search.rank[search.count] = static_cast<std::uint8_t>(rank_index == 12 ? 1 : rank_index + 2);
      search.suit[search.count] = static_cast<std::uint8_t>(suit);
      ++search.count;
    }
  }
  search.extend(0, 0, 0, 0, 0);
  return search.best;
}

}  // namespace vantor::rankings
