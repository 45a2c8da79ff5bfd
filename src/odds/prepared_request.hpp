#pragma once

// A prepared request: a validated equity question together with everything the samplers and
// the exact walk read. A request builder validates the seats, board and dead cards, stores the
// completed masks and the game's counts here, and then calls prepare_for_drawing(), which
// derives the drawing fields (reserved and own masks, plans, shapes, stored logarithms, draw
// order) and runs the sampler pilot.
//
// A request belongs to one call. While a batch runs it is shared read-only by every worker.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "cards/card.hpp"
#include "sampler/draw.hpp"
#include "sampler/shape.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {

struct PreparedRequest {
  // Filled by the builder after validation.
  // The game asked about: the exact walk and the batch runner pick its showdown from it. A
  // catalogue entry, so it outlives the request.
  const variants::Variant* game = nullptr;
  // Seats in order; each an ordered list of alternatives; each alternative one mask per card,
  // already completed with wildcards to the game's hole-card count.
  std::vector<std::vector<std::vector<cards::CardMask>>> seats;
  // The board masks completed with wildcards to board_size (empty when board_size is 0).
  std::vector<cards::CardMask> board;
  // How many board cards the game deals (5, 1 or 0). Non-zero means the board is drawn in its
  // place in the draw order; 0 means the board entry is skipped.
  std::size_t board_size = 0;
  // The starting availability: the game's deck minus the dead cards.
  cards::CardMask live = 0;

  // Filled by prepare_for_drawing(). Entries 0..n-1 are the seats and entry n is the board.
  std::size_t seat_count = 0;        // n
  cards::CardMask reserved = 0;      // R: every entry's named cards
  std::vector<cards::CardMask> own;  // E[0..n]: the cards entry i certainly names
  // Per seat, one plan per alternative; the board's plan. Built under `live`.
  std::vector<std::vector<sampler::DrawPlan>> seat_plans;
  sampler::DrawPlan board_plan;
  // Every entry index 0..n once, the most constrained first (see prepare_for_drawing()).
  std::vector<std::size_t> draw_order;
  // Per entry, per alternative (the board has one): the shape under the entry's admissible
  // cards live & (E[i] | ~R), absent when the alternative has no masks or hit the pattern limit.
  std::vector<std::vector<std::optional<sampler::Shape>>> shapes;
  // Per entry, per alternative: ln(total weight) (-inf for 0), NaN when masks exist but no
  // shape does, 0 when the alternative has no masks.
  std::vector<std::vector<double>> log_weights;
  // The pilot's choice: true for the weighted sampler, false for the rejection sampler.
  bool weighted = false;

  bool board_in_order() const { return board_size != 0; }
};

// Derives the drawing fields from seats, board, board_size and live, then runs the pilot.
// Expects a validated request: at least one seat, every seat with at least one alternative,
// named cards distinct and live. Never fails.
//
// The draw order sorts the entries stably by a freedom key: for a seat the smallest, over its
// alternatives, sum of live cards per mask; for the board the same sum over its masks.
void prepare_for_drawing(PreparedRequest& request);

}  // namespace vantor::odds
