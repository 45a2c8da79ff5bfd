#pragma once

// The two samplers over a whole deal, and the pilot that picks one for a deal plan.
//
// The target is what the exact walk counts: every valid deal (an alternative and a hand for every
// seat, a board, all cards distinct and live) once. A hand two alternatives of a seat allow is
// two deals, as an alternative written twice is.
//  - The rejection sampler draws the entries one after another, each picking an alternative
//    uniformly and then a hand with its draw plan, and abandons the deal at the first collision.
//    Where an entry's alternatives propose their hands with different chances, the deal carries
//    the weight that undoes the difference (see proposal_count() and the deal plan's proposal
//    norms); elsewhere every accepted deal weighs exactly 1.
//  - The weighted sampler never collides: each entry draws only from cards still free, and the
//    deal carries the weight prod W_i / W0_i (the entry's feasible sets now versus at the start),
//    times W0_i / mean W0 where an entry's alternatives allow different numbers of sets, which
//    turns its proposal back into the target. Weighted sums estimate the target's sums up to a
//    constant, so ratios of weighted sums are consistent.
//
// Both read the plan only; the generator, outputs and scratch belong to the calling worker.

#include <cstdint>
#include <optional>
#include <utility>
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
  std::vector<std::uint64_t> narrow_cumulative;  // for narrow shapes (Shape::narrow())
  // Per entry drawn: its reweighted total and its stored logarithm, turned into the weight only
  // once every entry has drawn (most attempts of a crowded deal fail before that).
  std::vector<std::pair<double, double>> totals;
};

// Draws one deal into seat_cards (one list per seat; the caller sizes it to the seat count) and
// board_cards. False when some entry's draw failed; the outputs are then unusable. The deal
// weighs 1 unless deal.rejection_weights, where weighed_rejection_draw() gives its weight.
bool rejection_draw(const DealPlan& deal, Generator& generator,
                    std::vector<std::vector<cards::Card>>& seat_cards,
                    std::vector<cards::Card>& board_cards);

// The same draw, consuming the generator alike, with the deal's weight: exactly 1 unless
// deal.rejection_weights. Nothing when some entry's draw failed.
std::optional<double> weighed_rejection_draw(const DealPlan& deal, Generator& generator,
                                             std::vector<std::vector<cards::Card>>& seat_cards,
                                             std::vector<cards::Card>& board_cards);

// Draws one deal as above and returns its weight, or nothing when the plan left out the weighted
// sampler's tables (complete_shape_tables()), an alternative without a shape was chosen or an
// entry had no feasible set left.
std::optional<double> weighted_draw(const DealPlan& deal, Generator& generator,
                                    std::vector<std::vector<cards::Card>>& seat_cards,
                                    std::vector<cards::Card>& board_cards,
                                    WeightedScratch& scratch);

// True when the weighted sampler should be used: only when every stored logarithm is finite and
// its effective sample size per draw beats the rejection sampler's (its acceptance rate, where
// its deals weigh 1) by half again.
// Deterministic: it runs on its own generator seeded with kPilotSeed.
bool choose_weighted_sampler(const DealPlan& deal);

// True when the rejection sampler is certain to be chosen without drawing: every seat holds one
// alternative of named cards only and the board is named cards and wildcards, with cards enough
// left for it. Every trial draw of such a deal succeeds with weight 1, so the trial would pick
// the rejection sampler at its 40th draw.
bool rejection_is_certain(const DealPlan& deal);

}  // namespace vantor::sampler
