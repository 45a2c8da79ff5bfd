#include "variants/omaha_tables.hpp"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <memory>

namespace vantor::omaha {
namespace {

using rankings::kNoHand;
using rankings::kRankWeight;

// Numbers every multiset of kSize ranks in increasing order of rank key, and records the class
// of every ordered rank tuple so that a lookup needs no sorting. Returns the keys by class.
template <std::size_t kSize, class Index>
std::vector<std::uint32_t> number_rank_tuples(Index& class_by_ranks) {
  auto key_of_code = [](std::size_t code) {
    std::uint32_t key = 0;
    for (std::size_t i = 0; i < kSize; ++i, code /= 13) key += kRankWeight[code % 13];
    return key;
  };
  std::vector<std::uint32_t> keys;
  for (std::size_t code = 0; code < class_by_ranks.size(); ++code)
    keys.push_back(key_of_code(code));
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  for (std::size_t code = 0; code < class_by_ranks.size(); ++code) {
    class_by_ranks[code] = static_cast<typename Index::value_type>(
        std::lower_bound(keys.begin(), keys.end(), key_of_code(code)) - keys.begin());
  }
  return keys;
}

std::array<int, 13> counts_of(std::uint32_t key) {
  std::array<int, 13> counts{};
  for (int rank = 0; rank < 13; ++rank, key /= 5) counts[rank] = static_cast<int>(key % 5);
  return counts;
}

std::unique_ptr<OmahaTables> build() {
  auto tables = std::make_unique<OmahaTables>();
  const rankings::FastTables& fast = rankings::fast_tables();
  tables->ranks = &fast;
  const auto pairs = number_rank_tuples<2>(tables->pair_class_by_ranks);
  const auto triples = number_rank_tuples<3>(tables->triple_class_by_ranks);
  assert(pairs.size() == kPairClasses && triples.size() == kTripleClasses);

  tables->high_by_classes.resize(kPairClasses * kTripleClasses);
  tables->low_by_classes.resize(kPairClasses * kTripleClasses);
  for (std::size_t p = 0; p < kPairClasses; ++p) {
    const auto pair = counts_of(pairs[p]);
    for (std::size_t t = 0; t < kTripleClasses; ++t) {
      // Pair and triple digits never carry, so their counts add rank by rank; more than four of
      // a rank is no hand the value tables know.
      const auto triple = counts_of(triples[t]);
      bool in_domain = true;
      for (int rank = 0; rank < 13; ++rank) in_domain = in_domain && pair[rank] + triple[rank] <= 4;
      const std::uint32_t slot =
          rankings::slot(pairs[p] + triples[t], fast.displacement_by_bucket.data());
      const std::size_t at = p * kTripleClasses + t;
      tables->high_by_classes[at] = in_domain ? fast.high.value_by_slot[slot] : kNoHand;
      tables->low_by_classes[at] = in_domain ? fast.low_a5.value_by_slot[slot] : kNoHand;
    }
  }

  // Five-card keys come first among the multiset keys, in increasing order: the board classes.
  const auto keys = rankings::rank_multiset_keys();
  tables->board_class_by_slot.assign(rankings::kValueSlots, kNoBoardClass);
  tables->high_by_board.resize(kBoardClasses * kPairClasses);
  tables->low_by_board.resize(kBoardClasses * kPairClasses);
  for (std::size_t board = 0; board < kBoardClasses; ++board) {
    tables->board_class_by_slot[rankings::slot(keys[board], fast.displacement_by_bucket.data())] =
        static_cast<std::uint16_t>(board);
    std::array<int, 5> ranks{};
    const auto counts = counts_of(keys[board]);
    for (int rank = 0, i = 0; rank < 13; ++rank) {
      for (int c = 0; c < counts[rank]; ++c) ranks[i++] = rank;
    }
    std::array<std::uint16_t, 10> board_triples{};
    for (int a = 0, i = 0; a < 5; ++a)
      for (int b = a + 1; b < 5; ++b)
        for (int c = b + 1; c < 5; ++c) {
          board_triples[i++] =
              tables->triple_class_by_ranks[(ranks[a] * 13 + ranks[b]) * 13 + ranks[c]];
        }
    for (std::size_t p = 0; p < kPairClasses; ++p) {
      std::uint16_t high = kNoHand, low = kNoHand;
      for (const std::uint16_t t : board_triples) {
        high = std::min(high, tables->high_by_classes[p * kTripleClasses + t]);
        low = std::min(low, tables->low_by_classes[p * kTripleClasses + t]);
      }
      tables->high_by_board[board * kPairClasses + p] = high;
      tables->low_by_board[board * kPairClasses + p] = low;
    }
  }
  return tables;
}

}  // namespace

namespace {

// Published like the ranking tables (fast_tables.cpp): never destroyed, built under no lock.
constinit std::atomic<const OmahaTables*> published_tables{nullptr};

}  // namespace

const OmahaTables& omaha_tables() {
  const OmahaTables* tables = published_tables.load(std::memory_order_acquire);
  if (tables != nullptr) return *tables;
  std::unique_ptr<const OmahaTables> built = build();
  if (published_tables.compare_exchange_strong(tables, built.get(), std::memory_order_acq_rel)) {
    return *built.release();
  }
  return *tables;
}

}  // namespace vantor::omaha
