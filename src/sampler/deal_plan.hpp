#pragma once

// A DealPlan is everything the two samplers, the pilot and the exact walk read to deal one
// request: per seat a draw plan for each alternative, the board's draw plan, the shapes and
// stored logarithms of the weighted sampler, the cards each entry certainly holds, the draw
// order, and the pilot's choice of sampler. plan_deal() builds it from a validated request's
// completed masks; afterwards it is read-only and shared by every worker of a batch.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"
#include "sampler/draw.hpp"
#include "sampler/shape.hpp"

namespace vantor::sampler {

// Entries 0..n-1 are the seats and entry n is the board.
struct DealPlan {
  std::size_t seat_count = 0;  // n
  // How many board cards a deal has (5, 1 or 0). Non-zero means the board is drawn in its place
  // in the draw order; 0 means the board entry is skipped.
  std::size_t board_size = 0;
  // The starting availability: the game's deck minus the dead cards.
  cards::CardMask live = 0;
  cards::CardMask reserved = 0;      // R: every entry's named cards
  std::vector<cards::CardMask> own;  // E[0..n]: the cards entry i certainly names
  // Per seat, one plan per alternative; the board's plan. Built under `live`.
  std::vector<std::vector<DrawPlan>> seat_plans;
  DrawPlan board_plan;
  // Every entry index 0..n once, the most constrained first (see plan_deal()).
  std::vector<std::size_t> draw_order;
  // The weighted sampler's tables: shapes, log_weights and set_count_factors. Empty where the
  // rejection sampler is certain (rejection_is_certain()) until complete_shape_tables() builds
  // them for a caller that forces the weighted sampler.
  // Per entry, per alternative (the board has one): the shape under the entry's admissible
  // cards live & (E[i] | ~R), absent when the alternative has no masks or hit the pattern limit.
  std::vector<std::vector<std::optional<Shape>>> shapes;
  // Per entry, per alternative: ln(total weight) (-inf for 0), NaN when masks exist but no
  // shape does, 0 when the alternative has no masks.
  std::vector<std::vector<double>> log_weights;
  // What makes each sampler count every hand a seat allows once (see deal.hpp). Per entry: the
  // number the rejection sampler divides the chosen alternative's proposal count by, or 0 where
  // the entry's alternatives propose every hand with the same chance in every deal and no factor
  // applies.
  std::vector<double> proposal_norms;
  // Per entry, per alternative: the factor W0 / (mean W0 over the entry's alternatives) the
  // weighted sampler's weight takes, W0 being the stored total; empty where every alternative
  // allows the same number of sets (and for entries without a shape for every alternative).
  std::vector<std::vector<double>> set_count_factors;
  // True when some entry has a proposal norm: rejection-sampled deals then carry weights.
  bool rejection_weights = false;
  // The pilot's choice: true for the weighted sampler, false for the rejection sampler.
  bool weighted = false;

  bool board_in_order() const { return board_size != 0; }
  bool has_shape_tables() const { return !shapes.empty(); }
  // Whether the deals a batch draws carry weights other than 1: always with the weighted
  // sampler, and with the rejection sampler where some entry's alternatives propose unevenly.
  bool deals_carry_weights() const { return weighted || rejection_weights; }
};

// The plan of seats whose alternatives are completed to the game's hand size, a board completed
// to the game's board size (empty without a board) and the live cards, with the pilot run on it.
// Expects a validated request: at least one seat, every seat with at least one alternative,
// named cards distinct and live. Never fails.
//
// The draw order sorts the entries stably by a freedom key: for a seat the smallest, over its
// alternatives, sum of live cards per mask; for the board the same sum over its masks.
DealPlan plan_deal(std::span<const cards::SeatAlternatives> seats,
                   std::span<const cards::CardMask> board, cards::CardMask live);

// plan_deal(), or nothing as soon as the draw plans and shapes built so far hold more than
// `most_bytes` (footprint()): an alternative can take megabytes (a plan lists up to kListedLimit
// card sets), so a request is refused having spent at most one alternative beyond the limit.
std::optional<DealPlan> plan_deal_within(std::span<const cards::SeatAlternatives> seats,
                                         std::span<const cards::CardMask> board,
                                         cards::CardMask live, std::size_t most_bytes);

// Builds the weighted sampler's tables of a plan that left them out (see DealPlan::shapes), from
// the seats and board it was planned from; the weighted sampler then draws as it would from a
// plan that built them at once. Does nothing where they exist.
void complete_shape_tables(DealPlan& plan, std::span<const cards::SeatAlternatives> seats,
                           std::span<const cards::CardMask> board);

}  // namespace vantor::sampler
