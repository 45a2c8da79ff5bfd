#include "odds/prepared_request.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

#include "cards/masks.hpp"
#include "sampler/deal.hpp"

namespace vantor::odds {

using cards::CardMask;

namespace {

std::size_t live_slot_cards(const std::vector<CardMask>& masks, CardMask live) {
  std::size_t total = 0;
  for (const CardMask mask : masks) total += static_cast<std::size_t>(std::popcount(mask & live));
  return total;
}

// The stored logarithm that turns a reweighted total into a weight ratio.
double log_weight_of(const std::vector<CardMask>& masks,
                     const std::optional<sampler::Shape>& shape) {
  if (masks.empty()) return 0.0;
  if (!shape) return std::numeric_limits<double>::quiet_NaN();
  if (shape->total_weight() == 0) return -std::numeric_limits<double>::infinity();
  return std::log(static_cast<double>(shape->total_weight()));
}

}  // namespace

void prepare_for_drawing(PreparedRequest& request) {
  const std::size_t n = request.seats.size();
  request.seat_count = n;

  // A seat certainly holds only the cards every one of its alternatives names.
  request.own.assign(n + 1, 0);
  for (std::size_t seat = 0; seat < n; ++seat)
    request.own[seat] = cards::certainly_named(request.seats[seat]);
  request.own[n] = cards::named_cards(request.board);
  request.reserved = std::accumulate(request.own.begin(), request.own.end(), CardMask{0},
                                     [](CardMask a, CardMask b) { return a | b; });

  request.seat_plans.assign(n, {});
  for (std::size_t seat = 0; seat < n; ++seat) {
    for (const auto& alternative : request.seats[seat]) {
      request.seat_plans[seat].push_back(sampler::build_plan(alternative, request.live));
    }
  }
  request.board_plan = sampler::build_plan(request.board, request.live);

  request.shapes.assign(n + 1, {});
  request.log_weights.assign(n + 1, {});
  const auto add_alternative = [&](std::size_t entry, const std::vector<CardMask>& masks) {
    const CardMask admissible = request.live & (request.own[entry] | ~request.reserved);
    auto shape = masks.empty() ? std::nullopt : sampler::Shape::build(masks, admissible);
    request.log_weights[entry].push_back(log_weight_of(masks, shape));
    request.shapes[entry].push_back(std::move(shape));
  };
  for (std::size_t seat = 0; seat < n; ++seat) {
    for (const auto& alternative : request.seats[seat]) add_alternative(seat, alternative);
  }
  add_alternative(n, request.board);

  // Drawing the most constrained entries first makes collisions with later, freer entries
  // cheap to avoid; the stable sort keeps equal keys in index order for reproducibility.
  std::vector<std::size_t> freedom(n + 1);
  for (std::size_t seat = 0; seat < n; ++seat) {
    std::size_t least = std::numeric_limits<std::size_t>::max();
    for (const auto& alternative : request.seats[seat]) {
      least = std::min(least, live_slot_cards(alternative, request.live));
    }
    freedom[seat] = least;
  }
  freedom[n] = live_slot_cards(request.board, request.live);
  request.draw_order.resize(n + 1);
  std::iota(request.draw_order.begin(), request.draw_order.end(), std::size_t{0});
  std::stable_sort(request.draw_order.begin(), request.draw_order.end(),
                   [&](std::size_t a, std::size_t b) { return freedom[a] < freedom[b]; });

  request.weighted = sampler::choose_weighted_sampler(request);
}

}  // namespace vantor::odds
