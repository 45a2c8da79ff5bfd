#pragma once

// The two samplers over a whole deal, and the pilot that picks one for a deal plan.
//
// The target: each alternative of a seat equally likely a priori, each feasible hand of an
// alternative equally likely, and the deal conditioned on all cards being distinct.
//  - The rejection sampler draws the entries one after another and abandons the deal at the
//    first collision; accepted deals follow the target exactly (weight 1).
//  - The weighted sampler never collides: each entry draws only from cards still free, and the
//    deal carries the weight prod W_i / W0_i (the entry's feasible sets now versus at the start)
//    that turns its proposal back into the target. Weighted sums estimate the target's sums
//    times the rejection sampler's acceptance rate, so ratios of weighted sums are consistent.
//
// Both read the plan only; the generator, outputs and scratch belong to the calling worker.

#include <optional>
#include <vector>

#include "cards/card.hpp"
#include "sampler/count.hpp"
#include "sampler/deal_plan.hpp"
#include "sampler/random.hpp"

namespace vantor::sampler {

// The generator seed of the pilot, fixed so that the sampler choice depends on the plan only.
inline constexpr std::uint64_t kPilotSeed = 0x5EEDCA11;

// Working lists of the weighted sampler, reused across draws.
struct WeightedScratch {
  std::vector<cards::CardMask> class_masks;
  std::vector<Count> cumulative;
};

// Draws one deal into seat_cards (one list per seat; the caller sizes it to the seat count) and
// board_cards. False when some entry's draw failed; the outputs are then unusable.
bool rejection_draw(const DealPlan& deal, Generator& generator,
                    std::vector<std::vector<cards::Card>>& seat_cards,
                    std::vector<cards::Card>& board_cards);

// Draws one deal as above and returns its weight, or nothing when an alternative without a
// shape was chosen or an entry had no feasible set left.
std::optional<double> weighted_draw(const DealPlan& deal, Generator& generator,
                                    std::vector<std::vector<cards::Card>>& seat_cards,
                                    std::vector<cards::Card>& board_cards,
                                    WeightedScratch& scratch);

// True when the weighted sampler should be used: only when every stored logarithm is finite and
// its effective sample size per draw beats the rejection sampler's acceptance rate by half again.
// Deterministic: it runs on its own generator seeded with kPilotSeed.
bool choose_weighted_sampler(const DealPlan& deal);

}  // namespace vantor::sampler
