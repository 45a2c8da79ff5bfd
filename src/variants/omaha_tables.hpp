#pragma once

// Tables for Omaha's two-plus-three rule, derived from the `high` and `low_a5` value tables.
//
// A hole pair's ranks form one of 91 multisets and a board triple's one of 455, so every Omaha
// candidate is a (pair class, triple class) combination; `*_by_classes` holds the value-table
// entry of each, exactly what the perfect hash finds for the summed rank key. A five-card board
// is one of 6175 rank multisets, and `*_by_board` holds, for each board and pair class, the best
// of the board's ten triples: a seat's non-flush value becomes one read per hole pair. Suits are
// left to the flush table. Built on first use, immutable, shared by every thread, never destroyed.

#include <array>
#include <cstdint>
#include <vector>

#include "variants/rankings/fast_tables.hpp"

namespace vantor::omaha {

inline constexpr std::size_t kPairClasses = 91;
inline constexpr std::size_t kTripleClasses = 455;
inline constexpr std::size_t kBoardClasses = 6175;
inline constexpr std::uint16_t kNoBoardClass = 0xFFFF;

struct OmahaTables {
  const rankings::FastTables* ranks;                              // the tables these derive from
  std::array<std::uint8_t, 13 * 13> pair_class_by_ranks;          // [r1 * 13 + r2], either order
  std::array<std::uint16_t, 13 * 13 * 13> triple_class_by_ranks;  // [(r1 * 13 + r2) * 13 + r3]
  std::vector<std::uint16_t> board_class_by_slot;  // five-card rank key's slot -> board class
  std::vector<std::uint16_t> high_by_classes;      // [pair * kTripleClasses + triple]
  std::vector<std::uint16_t> low_by_classes;
  std::vector<std::uint16_t> high_by_board;  // [board * kPairClasses + pair]
  std::vector<std::uint16_t> low_by_board;
};

const OmahaTables& omaha_tables();

}  // namespace vantor::omaha
