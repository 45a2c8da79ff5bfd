#pragma once

// A prepared request: a validated equity question together with everything the samplers and
// the exact walk read. A request builder validates the seats, board and dead cards, stores the
// completed masks here, and has the sampler plan the deal from them (reserved and own masks,
// plans, shapes, stored logarithms, draw order, the pilot's choice of sampler).
//
// A request belongs to one call. While a batch runs it is shared read-only by every worker.

#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"
#include "sampler/deal_plan.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {

struct PreparedRequest {
  // The game asked about: the exact walk and the batch runner pick its showdown from it. A
  // catalogue entry, so it outlives the request.
  const variants::Variant* game = nullptr;
  // Seats in order; each an ordered list of alternatives; each alternative one mask per card,
  // already completed with wildcards to the game's hole-card count.
  std::vector<cards::SeatAlternatives> seats;
  // The board masks completed with wildcards to the game's board size (empty without a board).
  std::vector<cards::CardMask> board;
  // How a deal is drawn, built from `seats`, `board` and the live cards.
  sampler::DealPlan deal;
  // Whether a deal satisfying the request was found when it was built. False when the search
  // ran out of its budget undecided; the request is then let through on the slot-by-slot check,
  // and a sampler that gives up must not claim the request satisfiable.
  bool known_dealable = true;
};

}  // namespace vantor::odds
