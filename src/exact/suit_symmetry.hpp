#pragma once

// Renamings of suits under which a request stays the same request. Poker rankings never prefer
// one suit to another, so a renaming that maps every seat's listed hands, the board's slots and
// the live cards onto themselves maps each deal to a deal with the same pot shares. The exact
// walk scores one deal of each class of such deals and counts it as often as the class occurs.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cards/card.hpp"
#include "request/prepared_request.hpp"

namespace vantor::odds {

// The renamings of four suits: 4! orders, the identity among them.
inline constexpr std::size_t kSuitOrders = 24;
// The renamings but the identity: the most that can keep a request.
inline constexpr std::size_t kMostRenamings = kSuitOrders - 1;

// Suit s becomes suit to[s].
struct SuitRenaming {
  std::array<std::uint8_t, 4> to{0, 1, 2, 3};
};

// The set of cards renamed: every card keeps its rank and takes the new suit.
inline cards::CardMask rename_suits(cards::CardMask mask, const SuitRenaming& renaming) {
  // Card = 4 * rank + suit: the cards of one suit are every fourth bit.
  constexpr cards::CardMask kSuitZero = 0x1111111111111;
  cards::CardMask renamed = 0;
  for (unsigned suit = 0; suit < 4; ++suit) {
    renamed |= ((mask >> suit) & kSuitZero) << renaming.to[suit];
  }
  return renamed;
}

// Every renaming but the identity that leaves the request the same: each seat's alternatives as
// a list with repeats (an alternative as the list of its slots, in any order), the board's slots
// in any order and the live cards. Such a renaming maps the hands each seat lists, with their
// repeats, and the boards each deal allows onto themselves. Empty when no suit can be renamed.
std::vector<SuitRenaming> request_symmetries(const PreparedRequest& request);

// The renamings that keep a request, as the exact walk reads them. A set of them is a bit set,
// bit j for renaming j; the renamings of such a set that map a choice of cards onto itself are
// its ties. A deal is walked only when no renaming makes it smaller (card set by card set, in
// the walk's order), and then stands for every deal its class holds: the group's size over the
// number of renamings that keep it, the identity included.
class RenamingTies {
 public:
  // No renaming but the identity: every deal stands for itself.
  RenamingTies() = default;
  explicit RenamingTies(std::vector<SuitRenaming> renamings);

  // Every renaming, as a set.
  std::uint32_t all() const { return (std::uint32_t{1} << renamings_.size()) - 1; }
  // The renamings and the identity.
  std::uint64_t group_size() const { return renamings_.size() + 1; }

  // The deals a deal stands for when `tied` (and the identity) are the renamings keeping it.
  std::uint64_t weight_of(std::uint32_t tied) const {
    return weight_by_ties_[static_cast<std::size_t>(std::popcount(tied))];
  }

  // False when a renaming of `tied` makes `mask` smaller; otherwise drops from `tied` the
  // renamings that make it larger.
  bool least_of_class(cards::CardMask mask, std::uint32_t& tied) const {
    for (std::uint32_t left = tied; left != 0; left &= left - 1) {
      const auto j = static_cast<unsigned>(std::countr_zero(left));
      const cards::CardMask renamed = rename_suits(mask, renamings_[j]);
      if (renamed < mask) return false;
      if (renamed > mask) tied &= ~(std::uint32_t{1} << j);
    }
    return true;
  }

  // least_of_class() for a set of suits (bit s for suit s), such as one rank's on a board.
  bool least_suits(unsigned suits, std::uint32_t& tied) const {
    for (std::uint32_t left = tied; left != 0; left &= left - 1) {
      const auto j = static_cast<unsigned>(std::countr_zero(left));
      const unsigned renamed = suits_to_[j][suits];
      if (renamed < suits) return false;
      if (renamed > suits) tied &= ~(std::uint32_t{1} << j);
    }
    return true;
  }

 private:
  std::vector<SuitRenaming> renamings_;
  // weight_of() by the number of renamings tied.
  std::array<std::uint64_t, kSuitOrders> weight_by_ties_{1};
  // What renamings_[j] makes of each set of suits.
  std::array<std::array<std::uint8_t, 16>, kMostRenamings> suits_to_{};
};

}  // namespace vantor::odds
