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
  return *plan_deal_within(seats, board, live, std::numeric_limits<std::size_t>::max());
}

std::optional<DealPlan> plan_deal_within(std::span<const cards::SeatAlternatives> seats,
                                         std::span<const CardMask> board, CardMask live,
                                         std::size_t most_bytes) {
  std::size_t spent = 0;
  const auto within = [&](std::size_t bytes) {
    spent += bytes;
    return spent <= most_bytes;
  };
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

  // Every list is reserved at its final length: grown by doubling, a seat of many alternatives
  // would need up to three times their memory while a list moves.
  plan.seat_plans.assign(n, {});
  for (std::size_t seat = 0; seat < n; ++seat) {
    plan.seat_plans[seat].reserve(seats[seat].size());
    for (const auto& alternative : seats[seat]) {
      plan.seat_plans[seat].push_back(build_plan(alternative, live));
      if (!within(footprint(plan.seat_plans[seat].back()))) return std::nullopt;
    }
  }
  plan.board_plan = build_plan(board, live);

  plan.shapes.assign(n + 1, {});
  plan.log_weights.assign(n + 1, {});
  for (std::size_t entry = 0; entry <= n; ++entry) {
    const std::size_t alternatives = entry < n ? seats[entry].size() : 1;
    plan.shapes[entry].reserve(alternatives);
    plan.log_weights[entry].reserve(alternatives);
  }
  const auto add_alternative = [&](std::size_t entry, std::span<const CardMask> masks) {
    const CardMask admissible = live & (plan.own[entry] | ~plan.reserved);
    auto shape = masks.empty() ? std::nullopt : Shape::build(masks, admissible);
    plan.log_weights[entry].push_back(log_weight_of(masks, shape));
    const std::size_t bytes = sizeof(shape) + (shape ? shape->footprint() : 0);
    plan.shapes[entry].push_back(std::move(shape));
    return within(bytes);
  };
  for (std::size_t seat = 0; seat < n; ++seat) {
    for (const auto& alternative : seats[seat]) {
      if (!add_alternative(seat, alternative)) return std::nullopt;
    }
  }
  if (!add_alternative(n, board)) return std::nullopt;

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
