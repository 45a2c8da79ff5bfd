#pragma once

// The ranking tables and the one pure builder that fills them.
//
// Every table kernel reads a hand's value in one of two ways: a flush table indexed by the
// 13-bit mask of the ranks held in one suit, or a value table indexed through a perfect hash of
// the hand's rank key (the sum of 5^rank over its cards, whose base-5 digits count each rank).
// The perfect hash covers exactly the rank multisets of five, six and seven cards with at most
// four cards of a rank (73,775 keys), and all four kernels share its displacement table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vantor::rankings {

// A table entry for a hand the table does not rank: a flush mask of fewer than five ranks, a slot
// no key hashes to, or a hand of the wrong size. Worse than every real value.
inline constexpr std::uint16_t kNoHand = 65535;

inline constexpr std::size_t kValueSlots = std::size_t{1} << 17;
inline constexpr std::size_t kSuitMasks = std::size_t{1} << 13;
inline constexpr std::size_t kBuckets = std::size_t{1} << 14;

// 5^rank for deuce (0) to ace (12): a rank key's base-5 digits are the rank counts.
inline constexpr std::array<std::uint32_t, 13> kRankWeight = {
    1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125, 244140625};

// Maps a hash bucket (the top 14 bits of key * golden ratio) to the displacement that moves its
// keys onto free slots. Every entry is below 100; empty buckets hold 0.
using Displacements = std::array<std::uint16_t, kBuckets>;

// The slot of a rank key in every value table: one multiplication chain and one read of the
// displacement table. The arithmetic is fixed, so any implementation finds the same slot.
inline std::uint32_t slot(std::uint32_t rank_key, const std::uint16_t* displacement_by_bucket) {
  const std::uint64_t key = rank_key;
  const std::uint64_t golden = key * 0x9E3779B97F4A7C15ULL;
  const std::uint64_t displacement = displacement_by_bucket[golden >> 50];
  return static_cast<std::uint32_t>(((golden >> 47) + ((key * 130451) | 1) * displacement) &
                                    (kValueSlots - 1));
}

// One kernel's pair of tables. value_by_slot holds, at slot(k), the value of the rank multiset k
// with suits ignored (kNoHand elsewhere). flush_value_by_suit_mask holds the value of the best
// five cards of one suit with those ranks (kNoHand below five ranks); kernels that ignore suits
// have has_flushes false and an all-kNoHand flush table.
struct RankTables {
  std::array<std::uint16_t, kValueSlots> value_by_slot;
  std::array<std::uint16_t, kSuitMasks> flush_value_by_suit_mask;
  bool has_flushes;
};

struct FastTables {
  Displacements displacement_by_bucket;
  RankTables high;
  RankTables short_deck;
  RankTables low_a5;
  RankTables deuce_seven;
};

// Every rank key of the perfect hash's domain: the multisets of five, six and seven cards with
// at most four of a rank, five-card keys first, each size in increasing order of key.
std::vector<std::uint32_t> rank_multiset_keys();

// The displacement table for the given keys: buckets visited from the largest down (ties by
// bucket number), each taking the smallest displacement that puts its keys on distinct free slots.
Displacements build_displacements(const std::vector<std::uint32_t>& keys);

// Runs the whole builder. Pure and deterministic; about a megabyte, built in milliseconds.
std::unique_ptr<FastTables> build_fast_tables();

// The process's tables: built on first use (thread-safe, under no lock), immutable afterwards,
// shared by every thread and never destroyed. Callers in a loop fetch the reference once, not once
// per hand.
const FastTables& fast_tables();

}  // namespace vantor::rankings
