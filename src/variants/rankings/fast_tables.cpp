#include "variants/rankings/fast_tables.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>

namespace vantor::rankings {
namespace {

using Counts = std::array<std::uint8_t, 13>;  // cards held of each rank, deuce first
// A hand's strength as a tuple compared lexicographically, lower is better: the category first,
// then the tie-breaking ranks. Two hands tie exactly when their tuples are equal.
using Strength = std::array<int, 6>;

enum class Ranking { High, ShortDeck, DeuceSeven, LowA5 };

constexpr int kAce = 12;

std::uint32_t key_of(const Counts& counts) {
  std::uint32_t key = 0;
  for (int rank = 0; rank < 13; ++rank) key += counts[rank] * kRankWeight[rank];
  return key;
}

Counts counts_of(std::uint32_t key) {
  Counts counts{};
  for (int rank = 0; rank < 13; ++rank, key /= 5) counts[rank] = static_cast<std::uint8_t>(key % 5);
  return counts;
}

Counts counts_of_suit_mask(unsigned suit_mask) {
  Counts counts{};
  for (int rank = 0; rank < 13; ++rank) counts[rank] = (suit_mask >> rank) & 1;
  return counts;
}

// The hand's ranks ordered as poker compares them: larger groups first, then the higher rank.
// `rank_order` maps a rank to its comparison order (the ace moves to the bottom for aces-low).
template <class RankOrder>
std::array<int, 5> grouped_ranks(const Counts& counts, RankOrder rank_order) {
  std::array<std::pair<int, int>, 5> groups{};  // (count, order), at most five of them
  std::size_t group_count = 0;
  for (int rank = 0; rank < 13; ++rank) {
    if (counts[rank]) groups[group_count++] = {counts[rank], rank_order(rank)};
  }
  // All five entries are sorted: unused ones are (0, 0) and sort after every group. (Sorting
  // only the used prefix makes GCC 12 warn of a bound it cannot see, -Warray-bounds.)
  std::sort(groups.begin(), groups.end(), std::greater<>());
  std::array<int, 5> ranks{};
  std::size_t filled = 0;
  for (std::size_t g = 0; g < group_count; ++g) {
    for (int i = 0; i < groups[g].first; ++i) ranks[filled++] = groups[g].second;
  }
  assert(filled == 5);
  return ranks;
}

// The top rank of the straight these five ranks make, or -1. Which wrap-around straights exist is
// the one thing the three high rankings disagree on: A-5-4-3-2 is a five-high straight in `high`
// and no straight at all in 2-7 and short deck, where A-9-8-7-6 plays as 9-8-7-6-5 instead.
int straight_top(const Counts& counts, Ranking ranking) {
  unsigned ranks = 0;
  for (int rank = 0; rank < 13; ++rank) {
    if (counts[rank] > 1) return -1;
    if (counts[rank] == 1) ranks |= 1u << rank;
  }
  if (std::popcount(ranks) != 5) return -1;
  const int low = std::countr_zero(ranks);
  if (ranks == 0x1Fu << low) return low + 4;
  constexpr unsigned kWheel = (1u << kAce) | 0xF;        // A-5-4-3-2
  constexpr unsigned kShortWheel = (1u << kAce) | 0xF0;  // A-9-8-7-6
  if (ranking == Ranking::High && ranks == kWheel) return 3;
  if (ranking == Ranking::ShortDeck && ranks == kShortWheel) return 7;
  return -1;
}

// Strength of a five-card high hand. The category list is in ranking order; short deck swaps
// flush and full house because with 36 cards a flush is the rarer hand.
Strength high_strength(const Counts& counts, bool is_flush, Ranking ranking) {
  enum Category {
    kStraightFlush,
    kQuads,
    kFullHouse,
    kFlush,
    kStraight,
    kTrips,
    kTwoPair,
    kPair,
    kHighCard
  };
  const bool flush_beats_full_house = ranking == Ranking::ShortDeck;
  const int full_house = flush_beats_full_house ? kFlush : kFullHouse;
  const int flush = flush_beats_full_house ? kFullHouse : kFlush;

  const int top = straight_top(counts, ranking);
  if (top >= 0) return {is_flush ? kStraightFlush : kStraight, 12 - top, 0, 0, 0, 0};

  const auto ranks = grouped_ranks(counts, [](int rank) { return rank; });
  int category = kHighCard;
  if (is_flush) {
    category = flush;
  } else {
    std::array<int, 5> shape{};
    for (int rank = 0, i = 0; rank < 13; ++rank) {
      if (counts[rank]) shape[i++] = counts[rank];
    }
    std::sort(shape.begin(), shape.end(), std::greater<>());
    if (shape[0] == 4)
      category = kQuads;
    else if (shape[0] == 3)
      category = shape[1] == 2 ? full_house : kTrips;
    else if (shape[0] == 2)
      category = shape[1] == 2 ? kTwoPair : kPair;
  }
  return {category, 12 - ranks[0], 12 - ranks[1], 12 - ranks[2], 12 - ranks[3], 12 - ranks[4]};
}

// Strength of a five-card ace-to-five low: aces count lowest, suits and straights mean nothing,
// so every rank multiset is a class of its own, ordered by how paired it is and then by its ranks.
Strength low_strength(const Counts& counts) {
  const auto ranks = grouped_ranks(counts, [](int rank) { return rank == kAce ? 0 : rank + 1; });
  std::array<int, 5> shape{};
  for (int rank = 0, i = 0; rank < 13; ++rank) {
    if (counts[rank]) shape[i++] = counts[rank];
  }
  std::sort(shape.begin(), shape.end(), std::greater<>());
  int category = 0;  // five different ranks
  if (shape[0] == 4)
    category = 5;
  else if (shape[0] == 3)
    category = shape[1] == 2 ? 4 : 3;
  else if (shape[0] == 2)
    category = shape[1] == 2 ? 2 : 1;
  return {category, ranks[0], ranks[1], ranks[2], ranks[3], ranks[4]};
}

void add_multisets(int rank, int left, Counts& counts, std::vector<std::uint32_t>& keys) {
  if (rank == 13) {
    if (left == 0) keys.push_back(key_of(counts));
    return;
  }
  for (int count = 0; count <= std::min(4, left); ++count) {
    counts[rank] = static_cast<std::uint8_t>(count);
    add_multisets(rank + 1, left - count, counts, keys);
  }
  counts[rank] = 0;
}

std::vector<std::uint32_t> multisets_of_size(int size) {
  std::vector<std::uint32_t> keys;
  Counts counts{};
  add_multisets(0, size, counts, keys);
  std::sort(keys.begin(), keys.end());
  return keys;
}

// Class numbers of one ranking (0 = best), for rank multisets and for one-suit masks. Rank
// multisets are kept at their perfect-hash slot, which is a dense index for every key.
struct ClassNumbers {
  std::vector<std::uint16_t> by_slot = std::vector<std::uint16_t>(kValueSlots, kNoHand);
  std::array<std::uint16_t, kSuitMasks> by_suit_mask;
  std::size_t class_count = 0;
};

ClassNumbers number_five_card_classes(Ranking ranking, const std::vector<std::uint32_t>& fives,
                                      const Displacements& displacements) {
  const bool has_flushes = ranking != Ranking::LowA5;
  auto strength = [ranking](const Counts& counts, bool is_flush) {
    return ranking == Ranking::LowA5 ? low_strength(counts)
                                     : high_strength(counts, is_flush, ranking);
  };

  std::vector<Strength> strengths;
  for (const std::uint32_t key : fives) strengths.push_back(strength(counts_of(key), false));
  std::vector<unsigned> five_rank_masks;
  if (has_flushes) {
    for (unsigned mask = 0; mask < kSuitMasks; ++mask) {
      if (std::popcount(mask) != 5) continue;
      five_rank_masks.push_back(mask);
      strengths.push_back(strength(counts_of_suit_mask(mask), true));
    }
  }
  std::sort(strengths.begin(), strengths.end());
  strengths.erase(std::unique(strengths.begin(), strengths.end()), strengths.end());
  auto number = [&](const Strength& s) {
    return static_cast<std::uint16_t>(std::lower_bound(strengths.begin(), strengths.end(), s) -
                                      strengths.begin());
  };

  ClassNumbers numbers;
  numbers.class_count = strengths.size();
  numbers.by_suit_mask.fill(kNoHand);
  for (const std::uint32_t key : fives) {
    numbers.by_slot[slot(key, displacements.data())] = number(strength(counts_of(key), false));
  }
  for (const unsigned mask : five_rank_masks) {
    numbers.by_suit_mask[mask] = number(strength(counts_of_suit_mask(mask), true));
  }
  return numbers;
}

// Six and seven cards take their best five: the best over the hands one card smaller, which by
// induction is the best over every five-card subset.
// Keys come five-card first, so every smaller hand is numbered before it is needed.
void extend_to_seven_cards(ClassNumbers& numbers, const std::vector<std::uint32_t>& keys,
                           const Displacements& displacements) {
  const std::uint16_t* d = displacements.data();
  for (const std::uint32_t key : keys) {
    std::uint16_t& number = numbers.by_slot[slot(key, d)];
    if (number != kNoHand) continue;  // a five-card key, numbered already
    const Counts counts = counts_of(key);
    for (int rank = 0; rank < 13; ++rank) {
      if (counts[rank])
        number = std::min(number, numbers.by_slot[slot(key - kRankWeight[rank], d)]);
    }
  }
  for (unsigned mask = 0; mask < kSuitMasks; ++mask) {  // smaller masks come first
    if (std::popcount(mask) <= 5) continue;
    std::uint16_t best = kNoHand;
    for (unsigned rest = mask; rest; rest &= rest - 1) {
      best = std::min(best, numbers.by_suit_mask[mask & ~(rest & -rest)]);
    }
    numbers.by_suit_mask[mask] = best;
  }
}

void fill_tables(RankTables& tables, Ranking ranking, const std::vector<std::uint32_t>& keys,
                 const std::vector<std::uint32_t>& fives, const Displacements& displacements,
                 std::size_t expected_classes) {
  ClassNumbers numbers = number_five_card_classes(ranking, fives, displacements);
  assert(numbers.class_count == expected_classes);
  (void)expected_classes;
  extend_to_seven_cards(numbers, keys, displacements);

  // 2-7 numbers its classes best-high-first and turns the order around: the worst high hand is
  // the best low. For six and seven cards that yields the worst low among the subsets.
  const std::uint16_t last = static_cast<std::uint16_t>(numbers.class_count - 1);
  auto value_of = [&](std::uint16_t number) -> std::uint16_t {
    if (number == kNoHand || ranking != Ranking::DeuceSeven) return number;
    return static_cast<std::uint16_t>(last - number);
  };
  tables.has_flushes = ranking != Ranking::LowA5;
  tables.value_by_slot.fill(kNoHand);
  for (const std::uint32_t key : keys) {
    const std::uint32_t s = slot(key, displacements.data());
    tables.value_by_slot[s] = value_of(numbers.by_slot[s]);
  }
  for (unsigned mask = 0; mask < kSuitMasks; ++mask) {
    tables.flush_value_by_suit_mask[mask] =
        tables.has_flushes ? value_of(numbers.by_suit_mask[mask]) : kNoHand;
  }
}

}  // namespace

std::vector<std::uint32_t> rank_multiset_keys() {
  std::vector<std::uint32_t> keys;
  for (int size = 5; size <= 7; ++size) {
    const auto sized = multisets_of_size(size);
    keys.insert(keys.end(), sized.begin(), sized.end());
  }
  return keys;
}

Displacements build_displacements(const std::vector<std::uint32_t>& keys) {
  std::vector<std::vector<std::uint32_t>> buckets(kBuckets);
  for (const std::uint32_t key : keys) {
    buckets[(std::uint64_t{key} * 0x9E3779B97F4A7C15ULL) >> 50].push_back(key);
  }
  std::vector<std::uint32_t> order;
  for (std::uint32_t bucket = 0; bucket < kBuckets; ++bucket) {
    if (!buckets[bucket].empty()) order.push_back(bucket);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return buckets[a].size() > buckets[b].size();
  });

  Displacements displacements{};
  std::vector<bool> taken(kValueSlots);
  std::vector<std::uint32_t> slots;
  for (const std::uint32_t bucket : order) {
    for (std::uint16_t displacement = 0;; ++displacement) {
      displacements[bucket] = displacement;
      slots.clear();
      bool fits = true;
      for (const std::uint32_t key : buckets[bucket]) {
        const std::uint32_t s = slot(key, displacements.data());
        if (taken[s] || std::find(slots.begin(), slots.end(), s) != slots.end()) {
          fits = false;
          break;
        }
        slots.push_back(s);
      }
      if (!fits) continue;
      for (const std::uint32_t s : slots) taken[s] = true;
      break;
    }
  }
  return displacements;
}

std::unique_ptr<FastTables> build_fast_tables() {
  auto tables = std::make_unique<FastTables>();
  const auto keys = rank_multiset_keys();
  const auto fives = multisets_of_size(5);
  tables->displacement_by_bucket = build_displacements(keys);
  const auto& d = tables->displacement_by_bucket;
  fill_tables(tables->high, Ranking::High, keys, fives, d, 7462);
  fill_tables(tables->short_deck, Ranking::ShortDeck, keys, fives, d, 7460);
  fill_tables(tables->low_a5, Ranking::LowA5, keys, fives, d, 6175);
  fill_tables(tables->deuce_seven, Ranking::DeuceSeven, keys, fives, d, 7462);
  return tables;
}

namespace {

// The tables are published through an atomic pointer rather than a function-local static, for two
// reasons. They are never destroyed: a pool worker may still be scoring a batch while the process
// runs its exit handlers. And no lock is held while they are built: a fork() while another thread
// held a static's guard would leave the child waiting on it for ever. Threads that race to build
// them keep the copy published first and free their own.
constinit std::atomic<const FastTables*> published_tables{nullptr};

}  // namespace

const FastTables& fast_tables() {
  const FastTables* tables = published_tables.load(std::memory_order_acquire);
  if (tables != nullptr) return *tables;
  std::unique_ptr<const FastTables> built = build_fast_tables();
  if (published_tables.compare_exchange_strong(tables, built.get(), std::memory_order_acq_rel)) {
    return *built.release();
  }
  return *tables;
}

}  // namespace vantor::rankings
