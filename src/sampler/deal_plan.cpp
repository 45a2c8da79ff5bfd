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

// What the plans and shapes built so far hold, against the most they may.
struct Budget {
  std::size_t most_bytes;
  std::size_t spent = 0;
  bool take(std::size_t bytes) {
    spent += bytes;
    return spent <= most_bytes;
  }
};

// The weighted sampler's shapes and stored logarithms for every entry, then the factors of both
// samplers (weigh_alternatives()); false as soon as the budget is spent.
bool add_shape_tables(DealPlan& plan, std::span<const cards::SeatAlternatives> seats,
                      std::span<const CardMask> board, Budget& budget) {
  const std::size_t n = plan.seat_count;
  plan.shapes.assign(n + 1, {});
  plan.log_weights.assign(n + 1, {});
  for (std::size_t entry = 0; entry <= n; ++entry) {
    const std::size_t alternatives = entry < n ? seats[entry].size() : 1;
    plan.shapes[entry].reserve(alternatives);
    plan.log_weights[entry].reserve(alternatives);
  }
  const auto add_alternative = [&](std::size_t entry, std::span<const CardMask> masks) {
    const CardMask admissible = plan.live & (plan.own[entry] | ~plan.reserved);
    auto shape = masks.empty() ? std::nullopt : Shape::build(masks, admissible);
    plan.log_weights[entry].push_back(log_weight_of(masks, shape));
    const std::size_t bytes = sizeof(shape) + (shape ? shape->footprint() : 0);
    plan.shapes[entry].push_back(std::move(shape));
    return budget.take(bytes);
  };
  for (std::size_t seat = 0; seat < n; ++seat) {
    for (const auto& alternative : seats[seat]) {
      if (!add_alternative(seat, alternative)) return false;
    }
  }
  if (!add_alternative(n, board)) return false;
  weigh_alternatives(plan);
  return true;
}

}  // namespace

DealPlan plan_deal(std::span<const cards::SeatAlternatives> seats, std::span<const CardMask> board,
                   CardMask live) {
  return *plan_deal_within(seats, board, live, std::numeric_limits<std::size_t>::max());
}

std::optional<DealPlan> plan_deal_within(std::span<const cards::SeatAlternatives> seats,
                                         std::span<const CardMask> board, CardMask live,
                                         std::size_t most_bytes) {
  Budget budget{most_bytes};
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
      if (!budget.take(footprint(plan.seat_plans[seat].back()))) return std::nullopt;
    }
  }
  plan.board_plan = build_plan(board, live);

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
  // An insertion sort, stable as it moves an entry only past larger keys: entries are few, and
  // std::stable_sort takes a buffer from the heap.
  plan.draw_order.resize(n + 1);
  for (std::size_t entry = 0; entry <= n; ++entry) {
    std::size_t at = entry;
    for (; at > 0 && freedom[plan.draw_order[at - 1]] > freedom[entry]; --at) {
      plan.draw_order[at] = plan.draw_order[at - 1];
    }
    plan.draw_order[at] = entry;
  }

  // Where the rejection sampler is certain to be chosen (a request of named cards, say) the
  // pilot never draws and nothing reads the weighted sampler's tables: they would take longer
  // than the rest of a small exact call. Every entry then has one alternative proposing its
  // hands alike, so no entry needs a proposal norm either.
  if (rejection_is_certain(plan)) {
    plan.proposal_norms.assign(n + 1, 0.0);
    return plan;
  }
  if (!add_shape_tables(plan, seats, board, budget)) return std::nullopt;
  plan.weighted = choose_weighted_sampler(plan);
  return plan;
}

void complete_shape_tables(DealPlan& plan, std::span<const cards::SeatAlternatives> seats,
                           std::span<const CardMask> board) {
  if (plan.has_shape_tables()) return;
  Budget unlimited{std::numeric_limits<std::size_t>::max()};
  add_shape_tables(plan, seats, board, unlimited);
}

}  // namespace vantor::sampler
