#include "sampler/deal_plan.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

#include "sampler/alternative_weights.hpp"
#include "sampler/deal.hpp"

namespace vantor::sampler {

using cards::CardMask;

namespace {

std::size_t live_slot_cards(std::span<const CardMask> masks, CardMask live) {
  std::size_t total = 0;
  for (const CardMask mask : masks) total += static_cast<std::size_t>(std::popcount(mask & live));
  return total;
}

// The stored logarithm that turns a reweighted total into a weight ratio.
double log_weight_of(std::span<const CardMask> masks, const std::optional<Shape>& shape) {
  if (masks.empty()) return 0.0;
  if (!shape) return std::numeric_limits<double>::quiet_NaN();
  if (shape->total_weight() == 0) return -std::numeric_limits<double>::infinity();
  return std::log(static_cast<double>(shape->total_weight()));
}

}  // namespace

DealPlan plan_deal(std::span<const cards::SeatAlternatives> seats, std::span<const CardMask> board,
                   CardMask live) {
  DealPlan plan;
  const std::size_t n = seats.size();
  plan.seat_count = n;
  plan.board_size = board.size();
  plan.live = live;

  // A seat certainly holds only the cards every one of its alternatives names.
  plan.own.assign(n + 1, 0);
  for (std::size_t seat = 0; seat < n; ++seat) plan.own[seat] = cards::certainly_named(seats[seat]);
  plan.own[n] = cards::named_cards(board);
  plan.reserved = std::accumulate(plan.own.begin(), plan.own.end(), CardMask{0},
                                  [](CardMask a, CardMask b) { return a | b; });

  plan.seat_plans.assign(n, {});
  for (std::size_t seat = 0; seat < n; ++seat) {
    for (const auto& alternative : seats[seat]) {
      plan.seat_plans[seat].push_back(build_plan(alternative, live));
    }
  }
  plan.board_plan = build_plan(board, live);

  plan.shapes.assign(n + 1, {});
  plan.log_weights.assign(n + 1, {});
  const auto add_alternative = [&](std::size_t entry, std::span<const CardMask> masks) {
    const CardMask admissible = live & (plan.own[entry] | ~plan.reserved);
    auto shape = masks.empty() ? std::nullopt : Shape::build(masks, admissible);
    plan.log_weights[entry].push_back(log_weight_of(masks, shape));
    plan.shapes[entry].push_back(std::move(shape));
  };
  for (std::size_t seat = 0; seat < n; ++seat) {
    for (const auto& alternative : seats[seat]) add_alternative(seat, alternative);
  }
  add_alternative(n, board);

  // Drawing the most constrained entries first makes collisions with later, freer entries
  // cheap to avoid; the stable sort keeps equal keys in index order for reproducibility.
  std::vector<std::size_t> freedom(n + 1);
  for (std::size_t seat = 0; seat < n; ++seat) {
    std::size_t least = std::numeric_limits<std::size_t>::max();
    for (const auto& alternative : seats[seat]) {
      least = std::min(least, live_slot_cards(alternative, live));
    }
    freedom[seat] = least;
  }
  freedom[n] = live_slot_cards(board, live);
  plan.draw_order.resize(n + 1);
  std::iota(plan.draw_order.begin(), plan.draw_order.end(), std::size_t{0});
  std::stable_sort(plan.draw_order.begin(), plan.draw_order.end(),
                   [&](std::size_t a, std::size_t b) { return freedom[a] < freedom[b]; });

  weigh_alternatives(plan);
  plan.weighted = choose_weighted_sampler(plan);
  return plan;
}

}  // namespace vantor::sampler
