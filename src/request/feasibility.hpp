#pragma once

// Whether any deal at all satisfies a request: every seat holding one of its alternatives and the
// board filled, all cards distinct and live.
//
// Looking at each card position's union over a seat's alternatives, as the slot-by-slot check
// does, can be fooled: a seat holding AhKh or QsQd against another holding AhQd passes it
// (Qs, Kh, Ah, Qd), yet each alternative collides with the other seat. A request like that would
// reach the samplers and the exact walk with nothing for them to find. So when the slot-by-slot
// check passes and some seat has several alternatives, a search picks one alternative per seat.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"

namespace vantor::odds {

using cards::SeatAlternatives;

enum class Dealability : std::uint8_t {
  Dealable,   // a deal exists
  NoDeal,     // no deal exists
  Undecided,  // the slot-by-slot check passed but the search ran out of its budget
};

// How many matchings the search may ask for before it stops. Ordinary requests settle in a few
// dozen; this bounds the time an adversarial mask-form request can take.
inline constexpr std::size_t kDealSearchBudget = 20000;
// How many alternatives the search may look at in all (each step scans every seat's remaining
// ones) before it stops: with many alternatives, the matchings alone would let it run for
// minutes. About a third of a second; a request of up to 500 alternatives gets every matching.
inline constexpr std::size_t kDealSearchWork = 10'000'000;

// The slot-by-slot check alone: one slot per card position of every seat (the union of that
// position's masks over the seat's alternatives), one per board mask, and a distinct live card
// for each. Every seat's alternatives must have one common size, as after validation.
bool slots_can_be_filled(std::span<const SeatAlternatives> seats,
                         std::span<const cards::CardMask> board, cards::CardMask live);

// The exact answer, within `budget` matchings and `work` alternatives looked at. Exact without
// any search when every seat has one alternative. Pure.
Dealability find_deal(std::span<const SeatAlternatives> seats,
                      std::span<const cards::CardMask> board, cards::CardMask live,
                      std::size_t budget = kDealSearchBudget, std::size_t work = kDealSearchWork);

}  // namespace vantor::odds
