#include "sampler/deal.hpp"

#include <bit>
#include <cassert>
#include <cmath>
#include <type_traits>

#include "cards/masks.hpp"
#include "sampler/cards_from_mask.hpp"
#include "sampler/draw.hpp"
#include "sampler/processor_paths.hpp"

namespace vantor::sampler {

using cards::Card;
using cards::CardMask;
using cards::mask_of;

namespace {

// Entry i may take its own named cards and any card nobody names; this keeps one seat from
// drawing a card another seat holds for certain.
CardMask admissible_for(const DealPlan& deal, std::size_t entry, CardMask available) {
  return available & (deal.own[entry] | ~deal.reserved);
}

// One entry's hand under `admissible`, as draw_with_plan() draws it. Plans of named cards only
// and plans of wildcards only (the common cases: named hands, ranges of named hands, `*` seats,
// open boards) are drawn here with the generator in registers; the rest go to draw_with_plan().
// Returns the cards taken as a set, or nothing when the draw failed.
template <CardPicking kPicking>
[[gnu::always_inline]] inline std::optional<CardMask> draw_entry(const DrawPlan& plan,
                                                                 CardMask admissible,
                                                                 Generator& generator,
                                                                 std::vector<Card>& out) {
  const bool simple =
      plan.remaining_count() == 0 || (plan.kind == PlanKind::AllFree && plan.free_count == 0);
  if (!simple) {
    // Through a copy, so that the caller's generator never has its address taken and can stay
    // in registers across the deal.
    Generator shared = generator;
    CardMask taken;
    const bool drawn = draw_with_plan(plan, admissible, shared, out, taken);
    generator = shared;
    if (!drawn) return std::nullopt;
    return taken;
  }
  admissible &= plan.available;
  if ((plan.fixed_mask & ~admissible) != 0) {
    out.clear();
    return std::nullopt;
  }
  const std::size_t fixed = plan.fixed_cards.size();
  out.resize(fixed);
  for (std::size_t i = 0; i < fixed; ++i) out[i] = plan.fixed_cards[i];
  if (plan.remaining_count() == 0) return plan.fixed_mask;
  CardMask left = admissible & ~plan.fixed_mask;
  const CardMask before = left;
  if (!draw_cards<kPicking>(generator, left, plan.remaining_count(), out)) {
    out.clear();
    return std::nullopt;
  }
  return plan.fixed_mask | (before & ~left);
}

// The rejection draw, with the deal's weight worked out where some entry needs a factor
// (kWeighs): the draw of deals that weigh 1 keeps the loop it had before weights existed.
template <bool kWeighs, CardPicking kPicking>
std::conditional_t<kWeighs, std::optional<double>, bool> draw_by_rejection(
    const DealPlan& deal, Generator& generator, std::vector<std::vector<Card>>& seat_cards,
    std::vector<Card>& board_cards) {
  assert(seat_cards.size() == deal.seat_count);
  // The generator is worked on as a local and written back once, so its state stays in
  // registers instead of being stored and reloaded around every card.
  Generator local = generator;
  CardMask available = deal.live;
  board_cards.clear();
  bool complete = true;
  [[maybe_unused]] double weight = 1.0;
  for (const std::size_t entry : deal.draw_order) {
    const bool is_board = entry == deal.seat_count;
    if (is_board && !deal.board_in_order()) continue;
    const DrawPlan* plan = &deal.board_plan;
    std::vector<Card>* out = &board_cards;
    if (!is_board) {
      const auto& plans = deal.seat_plans[entry];
      // One output is consumed even for a single alternative, so the stream does not depend on
      // how many alternatives a seat has.
      plan = &plans[static_cast<std::size_t>(uniform64(local, plans.size()))];
      out = &seat_cards[entry];
    }
    const CardMask admissible = admissible_for(deal, entry, available);
    const auto taken = draw_entry<kPicking>(*plan, admissible, local, *out);
    if (!taken) {
      complete = false;
      break;
    }
    available &= ~*taken;
    if constexpr (kWeighs) {
      // This entry's alternative and hand came up with chance 1 / (alternatives * N), N its
      // proposal count here. The exact walk counts every valid deal once, so an accepted deal
      // must weigh the product of the N, up to a constant per request; entries whose N is the
      // same for every alternative in every deal are left out, the others divided by a norm
      // that keeps weights near 1 (see alternative_weights.cpp).
      const double norm = deal.proposal_norms[entry];
      if (norm != 0.0) weight *= proposal_count(*plan, admissible) / norm;
    }
  }
  generator = local;
  if constexpr (kWeighs) {
    if (!complete) return std::nullopt;
    return weight;
  } else {
    return complete;
  }
}

}  // namespace

bool rejection_draw(const DealPlan& deal, Generator& generator,
                    std::vector<std::vector<Card>>& seat_cards, std::vector<Card>& board_cards) {
  if (card_picking() == CardPicking::Deposit) {
    return draw_by_rejection<false, CardPicking::Deposit>(deal, generator, seat_cards, board_cards);
  }
  return draw_by_rejection<false, CardPicking::Broadword>(deal, generator, seat_cards, board_cards);
}

std::optional<double> weighed_rejection_draw(const DealPlan& deal, Generator& generator,
                                             std::vector<std::vector<Card>>& seat_cards,
                                             std::vector<Card>& board_cards) {
  if (deal.rejection_weights) {
    if (card_picking() == CardPicking::Deposit) {
      return draw_by_rejection<true, CardPicking::Deposit>(deal, generator, seat_cards,
                                                           board_cards);
    }
    return draw_by_rejection<true, CardPicking::Broadword>(deal, generator, seat_cards,
                                                           board_cards);
  }
  if (!rejection_draw(deal, generator, seat_cards, board_cards)) return std::nullopt;
  return 1.0;
}

std::optional<double> weighted_draw(const DealPlan& deal, Generator& generator,
                                    std::vector<std::vector<Card>>& seat_cards,
                                    std::vector<Card>& board_cards, WeightedScratch& scratch) {
  assert(seat_cards.size() == deal.seat_count);
  if (!deal.has_shape_tables()) return std::nullopt;
  CardMask available = deal.live;
  double set_count_factor = 1.0;  // stays exactly 1 unless some entry's alternatives differ
  scratch.totals.clear();
  board_cards.clear();
  for (const std::size_t entry : deal.draw_order) {
    const bool is_board = entry == deal.seat_count;
    if (is_board && !deal.board_in_order()) continue;
    const auto& shapes = deal.shapes[entry];
    const std::size_t alternative =
        shapes.size() <= 1 ? 0 : static_cast<std::size_t>(uniform64(generator, shapes.size()));
    if (alternative >= shapes.size() || !shapes[alternative]) return std::nullopt;
    const Shape& shape = *shapes[alternative];
    const CardMask admissible = admissible_for(deal, entry, available);
    std::vector<Card>& out = is_board ? board_cards : seat_cards[entry];
    out.clear();
    // A narrow shape gives the same numbers in 64-bit words (see Shape::narrow()).
    double total_now;
    CardMask taken;
    if (shape.narrow()) {
      const std::uint64_t total =
          shape.reweight_and_draw(admissible, generator, scratch.narrow_cumulative, out, taken);
      if (total == 0) return std::nullopt;
      total_now = static_cast<double>(total);
    } else {
      const Count total = shape.reweight(admissible, scratch.class_masks, scratch.cumulative);
      if (total == 0) return std::nullopt;
      total_now = static_cast<double>(total);
      shape.draw(scratch.class_masks, scratch.cumulative, total, generator, out);
      taken = mask_of(out);
    }
    scratch.totals.emplace_back(total_now, deal.log_weights[entry][alternative]);
    // W / W0 alone gives each alternative the same total weight; the walk gives alternative a
    // its W0 sets, so where an entry's W0 differ the deal also weighs W0_a / mean W0.
    const auto& factors = deal.set_count_factors[entry];
    if (!factors.empty()) set_count_factor *= factors[alternative];
    available &= ~taken;
  }
  // The logarithms summed in the draw order, as W / W0 per entry.
  double log_weight = 0.0;
  for (const auto& [total, stored_log] : scratch.totals) log_weight += std::log(total) - stored_log;
  return std::exp(log_weight) * set_count_factor;
}

bool rejection_is_certain(const DealPlan& deal) {
  if (deal.rejection_weights) return false;
  for (const auto& plans : deal.seat_plans) {
    if (plans.size() != 1 || plans.front().remaining_count() != 0) return false;
  }
  if (!deal.board_in_order()) return true;
  const DrawPlan& board = deal.board_plan;
  if (board.remaining_count() == 0) return true;
  // The board's wildcards draw from the live cards no entry names, which no seat can take.
  const CardMask pool = deal.live & board.available & ~deal.reserved;
  return board.kind == PlanKind::AllFree &&
         static_cast<std::size_t>(std::popcount(pool)) >= board.remaining_count();
}

bool choose_weighted_sampler(const DealPlan& deal) {
  if (rejection_is_certain(deal)) return false;
  for (const auto& entry_logs : deal.log_weights) {
    for (const double log_weight : entry_logs) {
      if (!std::isfinite(log_weight)) return false;
    }
  }
  constexpr int kRejectionTrials = 800, kEnoughSuccesses = 40, kWeightedTrials = 400;
  Generator generator = Generator::seeded(kPilotSeed);
  std::vector<std::vector<Card>> seat_cards(deal.seat_count);
  std::vector<Card> board_cards;
  // Both samplers are measured in effective deals per attempt, (sum w)^2 / sum w^2 over the
  // accepted ones: with every weight 1 that is the accepted deals themselves, counted exactly.
  double accepted_sum = 0.0, accepted_sum_of_squares = 0.0;
  for (int trial = 0; trial < kRejectionTrials; ++trial) {
    const auto weight = weighed_rejection_draw(deal, generator, seat_cards, board_cards);
    if (!weight) continue;
    accepted_sum += *weight;
    accepted_sum_of_squares += *weight * *weight;
    if (accepted_sum * accepted_sum >= kEnoughSuccesses * accepted_sum_of_squares) return false;
  }
  const double acceptance =
      accepted_sum_of_squares > 0.0
          ? accepted_sum * accepted_sum / accepted_sum_of_squares / kRejectionTrials
          : 0.0;

  WeightedScratch scratch;
  double sum = 0.0, sum_of_squares = 0.0;
  for (int trial = 0; trial < kWeightedTrials; ++trial) {
    if (const auto weight = weighted_draw(deal, generator, seat_cards, board_cards, scratch)) {
      sum += *weight;
      sum_of_squares += *weight * *weight;
    }
  }
  if (!(sum_of_squares > 0.0)) return false;
  const double effective_per_draw = sum * sum / sum_of_squares / kWeightedTrials;
  return effective_per_draw > 1.5 * acceptance;
}

}  // namespace vantor::sampler
