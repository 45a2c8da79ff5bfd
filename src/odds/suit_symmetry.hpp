#pragma once

// Renamings of suits under which a request stays the same request. Poker rankings never prefer
// one suit to another, so a renaming that maps every seat's listed hands, the board's slots and
// the live cards onto themselves maps each deal to a deal with the same pot shares. The exact
// walk scores one deal of each class of such deals and counts it as often as the class occurs.

#include <array>
#include <cstdint>
#include <vector>

#include "cards/card.hpp"
#include "odds/prepared_request.hpp"

namespace vantor::odds {

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

}  // namespace vantor::odds
