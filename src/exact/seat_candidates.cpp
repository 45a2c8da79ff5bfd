#include "exact/seat_candidates.hpp"

#include <bit>
#include <optional>

namespace vantor::odds {

namespace {

// The exact number of hands a plan lists under `admissible`, when it is cheap to know: plans of
// wildcard slots only (and fixed cards).
std::optional<sampler::Count> quick_count(const sampler::DrawPlan& plan,
                                          cards::CardMask admissible) {
  if (plan.kind != sampler::PlanKind::AllFree && plan.remaining_count() != 0) return std::nullopt;
  admissible &= plan.available & cards::kFullDeck;
  const cards::CardMask fixed = plan.fixed_mask;
  if ((fixed & ~admissible) != 0) return sampler::Count{0};
  const auto free_cards = static_cast<std::uint64_t>(std::popcount(admissible & ~fixed));
  return sampler::binomial(free_cards, plan.remaining_count());
}

}  // namespace

bool certainly_too_many_hands(const PreparedRequest& request) {
  sampler::Count product = 1;
  for (const auto& plans : request.deal.seat_plans) {
    sampler::Count seat_total = 0;
    for (const auto& plan : plans) {
      const auto count = quick_count(plan, request.deal.live);
      if (!count) {
        seat_total = 0;
        break;
      }
      seat_total = sampler::saturating_add(seat_total, *count);
    }
    if (seat_total == 0) continue;  // unknown, or none: the listing decides
    product = sampler::saturating_mul(product, seat_total);
  }
  return product > kDealLimit;
}

}  // namespace vantor::odds
