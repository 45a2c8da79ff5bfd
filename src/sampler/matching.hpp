#pragma once

// The seat matching: can every slot get its own card from a list, each card accepted by its
// slot's mask? It is asked when a shape checks a pattern, when a rejection draw checks the cards
// it drew, by the multiplicity correction, and when a request is checked for feasibility.

#include <cstddef>
#include <span>

#include "cards/card.hpp"

namespace vantor::sampler {

// The largest slot list and card list fits() handles: the working tables are fixed arrays on
// the stack, so the check never allocates. Every caller stays within it (a seat or board
// receives at most 52 cards, and a deck has 52).
inline constexpr std::size_t kMatchingCapacity = 64;

// True when the slots can each be given a card at a distinct position of `cards` that their
// mask accepts (card indices are bit positions, so 0..63). Positions count, not values: a card
// listed twice can serve two slots. An empty slot list always fits; fewer cards than slots
// never does. Lists longer than kMatchingCapacity are a programming error (asserted) and
// answer false in release builds. Pure and thread-safe.
bool fits(std::span<const cards::CardMask> slots, std::span<const cards::Card> cards);

}  // namespace vantor::sampler
