#include "sampler/draw.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <functional>

#include "cards/masks.hpp"
#include "sampler/cards_from_mask.hpp"
#include "sampler/combinations.hpp"
#include "sampler/count.hpp"
#include "sampler/footprint.hpp"
#include "sampler/matching.hpp"

namespace vantor::sampler {

using cards::Card;
using cards::CardMask;
using cards::mask_of;

namespace {

CardMask union_of(std::span<const CardMask> masks) {
  CardMask mask = 0;
  for (const CardMask slot : masks) mask |= slot;
  return mask;
}

// The kind's cards; `taken` gets them as a set when the draw succeeds.
bool draw_phase_one(const DrawPlan& plan, CardMask admissible, Generator& generator,
                    std::vector<Card>& out, CardMask& taken) {
  switch (plan.kind) {
    case PlanKind::AllFree: {
      CardMask left = admissible;
      if (!draw_cards_as_chosen(generator, left, plan.remaining_count(), out)) return false;
      taken = admissible & ~left;
      return true;
    }
    case PlanKind::Listed: {
      if (plan.listed_count() == 0) return false;
      const auto index = static_cast<std::size_t>(uniform64(generator, plan.listed_count()));
      taken = plan.listed_masks[index];
      if ((taken & ~admissible) != 0) return false;
      const std::size_t size = plan.covered_slots.size();
      const Card* set = plan.listed_cards.data() + index * size;
      out.insert(out.end(), set, set + size);
      return true;
    }
    case PlanKind::Shaped: {
      const std::size_t first = out.size();
      plan.shape->draw(generator, out);
      taken = mask_of({out.data() + first, out.size() - first});
      return (taken & ~admissible) == 0;
    }
    case PlanKind::Rejection: {
      const std::size_t first = out.size();
      const CardMask pool = admissible & plan.union_mask;
      CardMask left = pool;
      if (!draw_cards_as_chosen(generator, left, plan.covered_slots.size(), out)) return false;
      taken = pool & ~left;
      return fits(plan.covered_slots, {out.data() + first, out.size() - first});
    }
  }
  return false;
}

}  // namespace

std::uint32_t split_multiplicity_by_subsets(std::span<const CardMask> constrained,
                                            std::span<const Card> drawn) {
  const std::size_t k = constrained.size(), d = drawn.size();
  assert(d <= kSplitSlotLimit);
  std::uint32_t ways = 0;
  std::array<Card, kSplitSlotLimit> subset;
  for (std::uint32_t bits = 0; bits < (1u << d); ++bits) {
    if (static_cast<std::size_t>(std::popcount(bits)) != k) continue;
    std::size_t size = 0;
    for (std::uint32_t rest = bits; rest != 0; rest &= rest - 1)
      subset[size++] = drawn[std::countr_zero(rest)];
    if (fits(constrained, {subset.data(), size})) ++ways;
  }
  return ways;
}

std::uint32_t split_multiplicity(const DrawPlan& plan, std::span<const Card> drawn) {
  if (plan.group_count == 0) return split_multiplicity_by_subsets(plan.constrained_masks, drawn);
  return grouped_multiplicity(plan, mask_of(drawn));
}

namespace {

// Gathers equal constrained masks into groups, and keeps the groups only when they are
// pairwise disjoint.
void group_constrained(DrawPlan& plan) {
  std::array<DrawPlan::SlotGroup, kSplitSlotLimit> groups{};
  std::size_t count = 0;
  for (const CardMask slot : plan.constrained_masks) {
    std::size_t g = 0;
    while (g < count && groups[g].mask != slot) ++g;
    if (g == count) groups[count++] = {slot, 0};
    ++groups[g].size;
  }
  CardMask seen = 0;
  for (std::size_t g = 0; g < count; ++g) {
    if ((seen & groups[g].mask) != 0) return;
    seen |= groups[g].mask;
  }
  plan.groups = groups;
  plan.group_count = count;
}

}  // namespace

DrawPlan build_plan(std::span<const CardMask> slots, CardMask available) {
  DrawPlan plan;
  plan.slot_count = slots.size();
  plan.available = available;
  plan.remaining_slots.reserve(slots.size());
  for (const CardMask slot : slots) plan.remaining_slots.push_back(slot & available);

  auto& remaining = plan.remaining_slots;
  for (;;) {
    const auto forced = std::find_if(remaining.begin(), remaining.end(),
                                     [](CardMask slot) { return std::popcount(slot) == 1; });
    if (forced == remaining.end()) break;
    const auto card = static_cast<Card>(std::countr_zero(*forced));
    if (card >= cards::kCardCount) break;
    plan.fixed_cards.push_back(card);
    remaining.erase(forced);
    for (CardMask& slot : remaining) slot &= ~cards::card_bit(card);
  }
  plan.fixed_mask = mask_of(plan.fixed_cards);
  available &= ~plan.fixed_mask;

  const auto is_constrained = [available](CardMask slot) { return (available & ~slot) != 0; };
  const std::size_t constrained_count =
      static_cast<std::size_t>(std::count_if(remaining.begin(), remaining.end(), is_constrained));
  if (constrained_count == 0) {
    plan.kind = PlanKind::AllFree;
    return plan;
  }
  if (remaining.size() <= kSplitSlotLimit) {
    std::copy_if(remaining.begin(), remaining.end(), std::back_inserter(plan.constrained_masks),
                 is_constrained);
    plan.free_count = remaining.size() - constrained_count;
    CardMask seen = 0;
    plan.disjoint = true;
    for (const CardMask slot : plan.constrained_masks) {
      if ((seen & slot) != 0) plan.disjoint = false;
      seen |= slot;
    }
    group_constrained(plan);
    plan.covered_slots = plan.constrained_masks;
  } else {
    plan.covered_slots = remaining;
  }
  plan.union_mask = available & union_of(plan.covered_slots);

  auto shape = Shape::build(plan.covered_slots, available);
  if (!shape) {
    plan.kind = PlanKind::Rejection;
  } else if (shape->total_weight() <= kListedLimit) {
    plan.kind = PlanKind::Listed;
    shape->for_each_set([&](std::span<const Card> set) {
      plan.listed_cards.insert(plan.listed_cards.end(), set.begin(), set.end());
      plan.listed_masks.push_back(mask_of(set));
      return true;
    });
  } else {
    plan.kind = PlanKind::Shaped;
    plan.shape = std::move(shape);
  }
  return plan;
}

std::size_t footprint(const DrawPlan& plan) {
  return sizeof(plan) + allocated(plan.fixed_cards) + allocated(plan.remaining_slots) +
         allocated(plan.covered_slots) + allocated(plan.constrained_masks) +
         allocated(plan.listed_cards) + allocated(plan.listed_masks) +
         (plan.shape ? plan.shape->footprint() : 0);
}

bool draw_with_plan(const DrawPlan& plan, CardMask admissible, Generator& generator,
                    std::vector<Card>& out, CardMask& taken) {
  // The fixed cards are distinct, so one set test decides them all.
  admissible &= plan.available;
  if ((plan.fixed_mask & ~admissible) != 0) {
    out.clear();
    return false;
  }
  // Copied card by card: a library copy call costs more than the two or three cards it moves.
  const std::size_t fixed = plan.fixed_cards.size();
  out.resize(fixed);
  for (std::size_t i = 0; i < fixed; ++i) out[i] = plan.fixed_cards[i];
  taken = plan.fixed_mask;
  admissible &= ~plan.fixed_mask;
  if (plan.remaining_count() == 0) return true;

  const std::size_t first = out.size();
  CardMask drawn_cards = 0;
  bool drawn = draw_phase_one(plan, admissible, generator, out, drawn_cards);
  if (drawn && plan.free_count > 0 && !plan.constrained_masks.empty()) {
    CardMask left = admissible & ~drawn_cards;
    const CardMask before = left;
    drawn = draw_cards_as_chosen(generator, left, plan.free_count, out);
    if (drawn) {
      drawn_cards |= before & ~left;
      const std::uint32_t ways =
          plan.group_count != 0
              ? grouped_multiplicity(plan, drawn_cards)
              : split_multiplicity_by_subsets(plan.constrained_masks,
                                              {out.data() + first, out.size() - first});
      drawn = ways < 2 || uniform32(generator, ways) == 0;
    }
  }
  if (!drawn) {
    out.clear();
    return false;
  }
  taken |= drawn_cards;
  return true;
}

bool draw_with_plan(const DrawPlan& plan, CardMask admissible, Generator& generator,
                    std::vector<Card>& out) {
  CardMask taken;
  return draw_with_plan(plan, admissible, generator, out, taken);
}

ProposalForm proposal_form(const DrawPlan& plan) {
  ProposalForm form;
  if (plan.remaining_count() == 0) return form;
  if (plan.kind == PlanKind::AllFree) {
    form.free_cards = plan.remaining_count();
    return form;
  }
  form.kind_cards = plan.covered_slots.size();
  if (!plan.constrained_masks.empty()) form.free_cards = plan.free_count;
  switch (plan.kind) {
    case PlanKind::Listed:
      form.kind_count = static_cast<double>(plan.listed_count());
      break;
    case PlanKind::Shaped:
      form.kind_count = static_cast<double>(plan.shape->total_weight());
      break;
    default:
      form.by_rejection = true;
      break;
  }
  return form;
}

double proposal_count(const DrawPlan& plan, CardMask admissible) {
  const ProposalForm form = proposal_form(plan);
  admissible &= plan.available & cards::kFullDeck & ~plan.fixed_mask;
  const auto n = static_cast<unsigned>(std::popcount(admissible));
  const auto pool = static_cast<unsigned>(std::popcount(admissible & plan.union_mask));
  const auto cards = static_cast<unsigned>(form.kind_cards);
  if (n < cards) return 0.0;
  const double kind_count =
      form.by_rejection ? static_cast<double>(class_binomial(pool, cards)) : form.kind_count;
  return kind_count *
         static_cast<double>(class_binomial(n - cards, static_cast<unsigned>(form.free_cards)));
}

bool for_each_completion(const DrawPlan& plan, CardMask admissible, std::uint64_t cap,
                         const std::function<void(std::span<const Card>)>& visit,
                         const std::function<bool()>& keep_going) {
  // Asked once every kListingStride hands tried, so that the question costs next to nothing.
  std::size_t tried = 0;
  const auto going = [&] {
    return (++tried & (kListingStride - 1)) != 0 || !keep_going || keep_going();
  };
  admissible &= plan.available & cards::kFullDeck;  // above 51 are no cards
  if ((plan.fixed_mask & ~admissible) != 0) return true;
  admissible &= ~plan.fixed_mask;
  if (plan.remaining_count() == 0) {
    if (!going()) return false;
    visit(plan.fixed_cards);
    return true;
  }
  const bool all_free = plan.kind == PlanKind::AllFree;
  if (!all_free) admissible &= union_of(plan.remaining_slots);
  const auto g = static_cast<std::size_t>(std::popcount(admissible));
  const std::size_t k = plan.remaining_count();
  if (g < k) return true;

  // Each hand is the fixed cards followed by the rest, assembled in one reused buffer.
  std::array<Card, cards::kCardCount> hand;
  std::copy(plan.fixed_cards.begin(), plan.fixed_cards.end(), hand.begin());
  const std::size_t f = plan.fixed_cards.size();
  const auto add_hand = [&](std::span<const Card> rest) {
    std::copy(rest.begin(), rest.end(), hand.begin() + f);
    visit(std::span<const Card>(hand.data(), f + rest.size()));
  };

  if (!all_free) {
    if (auto shape = Shape::build(plan.remaining_slots, admissible)) {
      if (shape->total_weight() > cap) return false;
      return shape->for_each_set([&](std::span<const Card> set) {
        if (!going()) return false;
        add_hand(set);
        return true;
      });
    }
  }

  // C(g, k) step by step: after step i the value is C(g, i), which only grows up to the middle,
  // so the first step past the cap already settles it. 128 bits cannot overflow for g <= 52.
  Count combinations = 1;
  for (std::size_t i = 1; i <= std::min(k, g - k); ++i) {
    combinations = combinations * (g - i + 1) / i;
    if (combinations > cap) return false;
  }

  return for_each_combination(admissible, k, [&](std::span<const Card> rest) {
    if (!going()) return false;
    if (all_free || fits(plan.remaining_slots, rest)) add_hand(rest);
    return true;
  });
}

CompletionList list_completions(const DrawPlan& plan, CardMask admissible, std::uint64_t cap) {
  CompletionList result;
  result.too_many = !for_each_completion(plan, admissible, cap, [&](std::span<const Card> hand) {
    result.hands.emplace_back(hand.begin(), hand.end());
  });
  if (result.too_many) result.hands.clear();
  return result;
}

}  // namespace vantor::sampler
