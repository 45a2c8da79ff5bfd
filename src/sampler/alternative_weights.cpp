#include "sampler/alternative_weights.hpp"

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "sampler/count.hpp"
#include "sampler/draw.hpp"

namespace vantor::sampler {

using cards::CardMask;

namespace {

// An alternative that allows no set among the entry's admissible cards at the start never gives a
// deal, so it takes no part in how the others are weighed.
bool never_drawn(const DealPlan& plan, std::size_t entry, std::size_t alternative) {
  return plan.log_weights[entry][alternative] == -std::numeric_limits<double>::infinity();
}

// The cards an entry may take besides those it certainly names, over all its alternatives.
CardMask free_reach(std::span<const DrawPlan> plans, CardMask admissible, CardMask reserved) {
  CardMask reach = 0;
  for (const DrawPlan& plan : plans) {
    reach |= plan.fixed_mask;
    for (const CardMask slot : plan.remaining_slots) reach |= slot;
  }
  return reach & admissible & ~reserved;
}

// Whether the pool of a rejection-kind plan (the admissible cards some covered slot accepts) can
// hold different numbers of cards from deal to deal. An earlier entry takes every card it holds
// besides the ones it certainly names from outside the reserved cards, always as many. So one
// whose such cards all lie in the pool (or among the plan's fixed cards, which end the deal if
// taken) always takes the same number of pool cards, and one whose cards miss the pool takes
// none; only an earlier entry reaching both into and past the pool makes its size vary.
bool pool_varies(const DrawPlan& plan, CardMask pool, std::span<const CardMask> earlier_reach) {
  return std::any_of(earlier_reach.begin(), earlier_reach.end(), [&](CardMask reach) {
    return (reach & pool) != 0 && (reach & ~(pool | plan.fixed_mask)) != 0;
  });
}

// The rejection sampler proposes alternative a of entry i with chance 1 / A_i and then each of its
// hands with chance 1 / N (proposal_count(), under the cards the entry may take at that point),
// and keeps the deal when every entry succeeded. The exact walk counts every valid deal once, so
// an accepted deal must weigh the product over entries of N, up to a constant per request. Where N
// is the same for every alternative of an entry in every deal, that entry's factor is such a
// constant and is left out: then every weight stays exactly 1. Otherwise the entry's N is divided
// by its mean over the alternatives at the start, which keeps weights near 1.
//
// N = kind_count * C(n - slots + free_cards, free_cards) for n admissible cards (the fixed ones
// among them), so alternatives with equal kind counts and free cards always agree; n itself may
// differ from deal to deal only by what earlier entries took, the same for every alternative. The
// rejection kind's count depends on its pool, which may differ from deal to deal (see
// pool_varies()): then even a single alternative needs its weight, dealt deal by deal.
void weigh_rejection_draws(DealPlan& plan) {
  const std::size_t n = plan.seat_count;
  plan.proposal_norms.assign(n + 1, 0.0);
  plan.rejection_weights = false;
  std::vector<CardMask> earlier_reach;
  for (const std::size_t entry : plan.draw_order) {
    const bool is_board = entry == n;
    if (is_board && !plan.board_in_order()) continue;
    const std::span<const DrawPlan> plans =
        is_board ? std::span<const DrawPlan>(&plan.board_plan, 1) : plan.seat_plans[entry];
    const CardMask admissible = plan.live & (plan.own[entry] | ~plan.reserved);
    bool uneven = false;
    std::optional<std::pair<double, std::size_t>> common_form;
    double total = 0.0;
    std::size_t counted = 0;
    for (std::size_t alternative = 0; alternative < plans.size(); ++alternative) {
      if (never_drawn(plan, entry, alternative)) continue;
      const DrawPlan& drawn = plans[alternative];
      const ProposalForm form = proposal_form(drawn);
      double kind_count = form.kind_count;
      if (form.by_rejection) {
        const CardMask pool = admissible & drawn.union_mask & ~drawn.fixed_mask;
        uneven |= pool_varies(drawn, pool, earlier_reach);
        kind_count = static_cast<double>(
            binomial(static_cast<std::uint64_t>(std::popcount(pool)), form.kind_cards));
      }
      const std::pair<double, std::size_t> form_key{kind_count, form.free_cards};
      if (!common_form) common_form = form_key;
      uneven |= form_key != *common_form;
      total += proposal_count(drawn, admissible);
      ++counted;
    }
    earlier_reach.push_back(free_reach(plans, admissible, plan.reserved));
    if (uneven && total > 0.0) {
      plan.proposal_norms[entry] = total / static_cast<double>(counted);
      plan.rejection_weights = true;
    }
  }
}

// The weighted sampler proposes alternative a with chance 1 / A_i and then each of its sets with
// chance 1 / W (the sets left for it when it is drawn); its weight prod W / W0_a alone would make
// every alternative equally likely. Counting every hand once instead needs each alternative in
// proportion to its sets W0_a, so the weight takes W0_a / mean W0, and no factor at all where the
// alternatives' W0 agree.
void weigh_weighted_draws(DealPlan& plan) {
  plan.set_count_factors.assign(plan.shapes.size(), {});
  for (std::size_t entry = 0; entry < plan.shapes.size(); ++entry) {
    const auto& shapes = plan.shapes[entry];
    const auto present = [](const std::optional<Shape>& shape) { return shape.has_value(); };
    // One alternative, or one without a shape: the weighted sampler is then never used.
    if (shapes.size() < 2 || !std::all_of(shapes.begin(), shapes.end(), present)) continue;
    const Count first = shapes.front()->total_weight();
    if (std::all_of(shapes.begin(), shapes.end(),
                    [first](const auto& shape) { return shape->total_weight() == first; })) {
      continue;
    }
    double total = 0.0;
    for (const auto& shape : shapes) total += static_cast<double>(shape->total_weight());
    const double mean = total / static_cast<double>(shapes.size());
    for (const auto& shape : shapes) {
      plan.set_count_factors[entry].push_back(static_cast<double>(shape->total_weight()) / mean);
    }
  }
}

}  // namespace

void weigh_alternatives(DealPlan& plan) {
  weigh_rejection_draws(plan);
  weigh_weighted_draws(plan);
}

}  // namespace vantor::sampler
