#include "variants/rankings/fast.hpp"

#include <algorithm>
#include <array>

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
  // Four fixed steps, each taking the top rank left; ranks start at bit 1, so with bit 0 set an
  // empty set gives rank 0, the value of a missing card, without a branch on how many there are.
  for (int shift = 12; shift >= 0; shift -= 4) {
    const int top = static_cast<int>(std::bit_width(ranks | 1)) - 1;
    packed |= static_cast<std::uint32_t>(top) << shift;
    ranks &= ~(1u << top);
  }
  return missing * 65536 + packed;
}

constexpr unsigned badugi_rank(cards::Card card) {
  const unsigned rank = cards::rank_of(card);
  return rank == 12 ? 1 : rank + 2;  // aces low
}

// Few cards, as every game deals: every subset, its rank and suit sets built from the subset
// without its lowest card. A subset is a candidate when no rank and no suit repeats.
std::uint32_t badugi_key_by_subsets(std::span<const cards::Card> cards) {
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
  return best;
}

// Two of four cards clash when they share a rank or a suit; a pattern of clashes has one bit per
// pair, in this order.
constexpr std::array<std::array<unsigned, 2>, 6> kFourCardPairs = {
    {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}};

// For each pattern of clashes among four cards, the subsets a badugi can be made of: the largest
// ones without a clash (fewer missing cards always win), as (4 - size) << 16 and four 4-bit
// subset masks, the list padded by repeating its first entry. Four cards never have more than
// four such subsets: four singles when every pair clashes, at most four clash-free pairs (their
// complement has no triangle), at most two clash-free triples (one clash rules out two of four).
constexpr std::array<std::uint32_t, 64> kBadugiSubsetsByClashes = [] {
  std::array<std::uint32_t, 64> entries{};
  for (unsigned pattern = 0; pattern < 64; ++pattern) {
    std::array<unsigned, 16> subsets{};  // smaller sizes pass through on the way
    int count = 0, largest = 0;
    for (unsigned subset = 1; subset < 16; ++subset) {
      bool clash = false;
      for (unsigned pair = 0; pair < 6; ++pair) {
        const auto [a, b] = kFourCardPairs[pair];
        clash |= ((pattern >> pair) & (subset >> a) & (subset >> b) & 1) != 0;
      }
      if (clash) continue;
      const int size = std::popcount(subset);
      if (size > largest) {
        largest = size;
        count = 0;
      }
      if (size == largest) subsets[count++] = subset;
    }
    std::uint32_t entry = (4u - static_cast<unsigned>(largest)) << 16;
    for (int k = 0; k < 4; ++k) entry |= subsets[k < count ? k : 0] << (4 * k);
    entries[pattern] = entry;
  }
  return entries;
}();

// A card's badugi rank as a bit, aces low: read from a table rather than chosen by a branch on
// the ace, which a random hand makes a coin flip.
constexpr std::array<std::uint16_t, cards::kCardCount> kBadugiRankBit = [] {
  std::array<std::uint16_t, cards::kCardCount> bits{};
  for (unsigned card = 0; card < bits.size(); ++card) {
    bits[card] = static_cast<std::uint16_t>(1u << badugi_rank(static_cast<cards::Card>(card)));
  }
  return bits;
}();

// Card indices are rank * 4 + suit, so two cards share a rank when their XOR is below 4 and a
// suit when its two low bits are clear: bit x of this word says whether an XOR of x is a clash.
constexpr std::uint64_t kClashByXor = [] {
  std::uint64_t clashes = 0;
  for (unsigned x = 0; x < 64; ++x) {
    if (x < 4 || (x & 3) == 0) clashes |= std::uint64_t{1} << x;
  }
  return clashes;
}();

// The four cards a badugi hand holds: the pattern of clashes names the candidate subsets, and
// the best of them (at most four) is the one with the lowest rank mask. A third of the work of
// trying all fifteen subsets, and no branch.
std::uint32_t badugi_key_of_four(std::span<const cards::Card> cards) {
  unsigned pattern = 0;
  for (unsigned pair = 0; pair < 6; ++pair) {
    const auto [a, b] = kFourCardPairs[pair];
    pattern |= static_cast<unsigned>((kClashByXor >> (cards[a] ^ cards[b])) & 1) << pair;
  }
  // The rank masks of the subsets of the first two cards and of the last two, in 16-bit lanes
  // indexed by the subset's two bits: a subset's mask is one lane of each, OR-ed.
  const std::uint64_t r0 = kBadugiRankBit[cards[0]], r1 = kBadugiRankBit[cards[1]];
  const std::uint64_t r2 = kBadugiRankBit[cards[2]], r3 = kBadugiRankBit[cards[3]];
  const std::uint64_t first = r0 << 16 | r1 << 32 | (r0 | r1) << 48;
  const std::uint64_t last = r2 << 16 | r3 << 32 | (r2 | r3) << 48;
  const std::uint32_t entry = kBadugiSubsetsByClashes[pattern];
  std::uint32_t best = ~0u;
  for (int k = 0; k < 4; ++k) {
    const unsigned subset = (entry >> (4 * k)) & 15;
    const auto ranks =
        static_cast<std::uint16_t>(first >> (16 * (subset & 3)) | last >> (16 * (subset >> 2)));
    best = std::min<std::uint32_t>(best, ranks);
  }
  return (entry & ~0xFFFFu) | best;
}

// Many cards: a repeated card adds nothing, and no candidate holds more than four, so the search
// runs over the distinct cards and over sets of at most four, which bounds its cost.
std::uint32_t badugi_key_by_search(std::span<const cards::Card> cards) {
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
  return best;
}

}  // namespace

std::uint32_t badugi_order(std::span<const cards::Card> cards) {
  if (cards.empty()) return kNoHand32;
  if (cards.size() == 4) return badugi_key_of_four(cards);
  return cards.size() <= 10 ? badugi_key_by_subsets(cards) : badugi_key_by_search(cards);
}

std::uint32_t badugi(std::span<const cards::Card> cards) {
  if (cards.empty()) return kNoHand32;
  return badugi_score(badugi_order(cards));
}

}  // namespace vantor::rankings
