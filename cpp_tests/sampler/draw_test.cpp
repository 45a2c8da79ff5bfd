#include "sampler/draw.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <vector>

#include "support.hpp"

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;
using namespace testing;

constexpr CardMask kAces = 0xF000000000000, kKings = 0x0F00000000000;
constexpr CardMask kAll = cards::kFullDeck;
constexpr Card kAceHearts = 50, kKingDiamonds = 45;
constexpr CardMask bit(Card card) { return CardMask{1} << card; }

// Eight slots over 52 cards with mostly one-card signature classes: too many patterns for a shape.
std::vector<CardMask> scattered_slots(std::size_t count, CardMask deck) {
  std::vector<CardMask> slots(count);
  for (CardMask left = deck; left != 0; left &= left - 1) {
    const auto card = static_cast<unsigned>(std::countr_zero(left));
    const unsigned signature = (card * 37u + 11u) % ((1u << count) - 1) + 1u;
    for (unsigned i = 0; i < count; ++i) {
      if ((signature >> i) & 1) slots[i] |= bit(static_cast<Card>(card));
    }
  }
  return slots;
}

struct PlanCase {
  const char* name;
  std::vector<CardMask> slots;
  CardMask available;
  PlanKind kind;
  std::vector<Card> fixed;
  std::size_t remaining, free_count, constrained;
  bool disjoint;
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

class PlanBuild : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanBuild, ChoosesKindAndSplit) {
  const auto& c = GetParam();
  const DrawPlan plan = build_plan(c.slots, c.available);
  EXPECT_EQ(plan.kind, c.kind);
  EXPECT_EQ(plan.fixed_cards, c.fixed);
  EXPECT_EQ(plan.slot_count, c.slots.size());
  EXPECT_EQ(plan.remaining_count(), c.remaining);
  EXPECT_EQ(plan.free_count, c.free_count);
  EXPECT_EQ(plan.constrained_masks.size(), c.constrained);
  if (c.constrained > 0) {
    EXPECT_EQ(plan.disjoint, c.disjoint);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Plan, PlanBuild,
    ::testing::Values(
        PlanCase{"NamedCardsOnly",
                 {bit(kAceHearts), bit(kKingDiamonds)},
                 kAll,
                 PlanKind::AllFree,
                 {kAceHearts, kKingDiamonds},
                 0,
                 0,
                 0,
                 false},
        // Fixing the ace of hearts leaves the second slot one card: forced in turn.
        PlanCase{"ForcedChain",
                 {bit(kAceHearts) | bit(kKingDiamonds), bit(kAceHearts)},
                 kAll,
                 PlanKind::AllFree,
                 {kAceHearts, kKingDiamonds},
                 0,
                 0,
                 0,
                 false},
        PlanCase{"DeadNamedCardStaysAsEmptySlot",
                 {bit(kAceHearts), kAll},
                 kAll & ~bit(kAceHearts),
                 PlanKind::Listed,
                 {},
                 2,
                 1,
                 1,
                 true},
        PlanCase{"WildcardBoard",
                 std::vector<CardMask>(5, kAll),
                 kAll,
                 PlanKind::AllFree,
                 {},
                 5,
                 0,
                 0,
                 false},
        PlanCase{"AnyAcePlusWildcard", {kAces, kAll}, kAll, PlanKind::Listed, {}, 2, 1, 1, true},
        PlanCase{"OverlappingConstrained",
                 {kAces, kAces | kKings, kAll},
                 kAll,
                 PlanKind::Listed,
                 {},
                 3,
                 1,
                 2,
                 false},
        PlanCase{"ShapedWhenTooManyToList",
                 {0x3FFFF, 0x3FFFF, 0x3FFFF, 0xFFFFC00, 0xFFFFC00, 0xFFFFC00},
                 0xFFFFFFF,
                 PlanKind::Shaped,
                 {},
                 6,
                 0,
                 6,
                 false},
        PlanCase{"RejectionAtThePatternLimit",
                 scattered_slots(8, kAll),
                 kAll,
                 PlanKind::Rejection,
                 {},
                 8,
                 0,
                 8,
                 false},
        // Nine slots: no split, the kind covers every remaining slot.
        PlanCase{"NoSplitFromNineSlots",
                 {0x3, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF},
                 0x7FF,
                 PlanKind::Listed,
                 {},
                 9,
                 0,
                 0,
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlanDraw, NamedCardsFailExactlyWhenOneIsTaken) {
  const DrawPlan plan =
      build_plan(std::vector<CardMask>{bit(kAceHearts), bit(kKingDiamonds)}, kAll);
  Generator generator = Generator::seeded(0);
  std::vector<Card> out{1, 2, 3};
  ASSERT_TRUE(draw_with_plan(plan, kAll, generator, out));
  EXPECT_EQ(out, (std::vector<Card>{kAceHearts, kKingDiamonds}));
  EXPECT_FALSE(draw_with_plan(plan, kAll & ~bit(kKingDiamonds), generator, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(draw_with_plan(plan, kAll & ~bit(kAceHearts), generator, out));
  EXPECT_EQ(proposal_count(plan, kAll), 1.0);
}

TEST(PlanDraw, EmptyListNeverDraws) {
  const DrawPlan plan =
      build_plan(std::vector<CardMask>{bit(kAceHearts), kAll}, kAll & ~bit(kAceHearts));
  Generator generator = Generator::seeded(1);
  std::vector<Card> out;
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(draw_with_plan(plan, kAll, generator, out));
}

// The exact law of a plan draw is uniform over the hands that fit the slots with admissible,
// available cards, each proposed with chance 1 / proposal_count(). Drawing `draws` times, the
// projection of the hands must match that law, and the share of attempts that succeed must be
// the number of such hands over the proposal count.
void expect_plan_uniform(
    const std::vector<CardMask>& slots, CardMask available, CardMask admissible, PlanKind kind,
    long draws, std::uint64_t seed,
    const std::function<CardMask(CardMask)>& project = [](CardMask hand) { return hand; }) {
  const DrawPlan plan = build_plan(slots, available);
  ASSERT_EQ(plan.kind, kind);
  const auto sets = feasible_sets(slots, available & admissible);
  ASSERT_FALSE(sets.empty());
  std::map<CardMask, double> probability;
  for (const CardMask set : sets)
    probability[project(set)] += 1.0 / static_cast<double>(sets.size());

  Generator generator = Generator::seeded(seed);
  std::map<CardMask, long> observed;
  long accepted = 0, attempts = 0;
  std::vector<Card> out;
  for (long attempt = 0; accepted < draws; ++attempt) {
    ASSERT_LT(attempt, 50 * draws) << "the plan almost never succeeds";
    if (!draw_with_plan(plan, admissible, generator, out)) continue;
    ASSERT_EQ(out.size(), slots.size());
    const CardMask hand = mask_of(out);
    ASSERT_EQ(static_cast<std::size_t>(std::popcount(hand)), slots.size()) << "repeated card";
    ASSERT_EQ(hand & ~(available & admissible), 0u) << "card outside the admissible mask";
    ++observed[project(hand)];
    ++accepted;
    attempts = attempt + 1;
  }
  EXPECT_TRUE(only_expected_keys(probability, observed));
  EXPECT_TRUE(frequencies_match(probability, observed, draws));
  // Accepted draws stop at `draws`, so the attempts are a negative binomial count; with p the
  // success chance its relative spread is sqrt((1 - p) / draws).
  const double p = static_cast<double>(sets.size()) / proposal_count(plan, admissible);
  ASSERT_LE(p, 1.0);
  const double expected_attempts = static_cast<double>(draws) / p;
  EXPECT_NEAR(static_cast<double>(attempts), expected_attempts,
              5 * expected_attempts * std::sqrt((1 - p) / static_cast<double>(draws)) + 0.5)
      << "proposal count " << proposal_count(plan, admissible) << ", hands " << sets.size();
}

constexpr CardMask kLow = 0xFF;  // eight low cards: small decks keep the cell counts small

TEST(PlanDistribution, ListedSplitAnyAcePlusWildcard) {
  // Two-ace hands are proposed twice (either ace can be the constrained one): the correction
  // must halve them back.
  expect_plan_uniform({kAces, kAll}, kAces | kLow, kAll, PlanKind::Listed, 38 * 300, 11);
}

TEST(PlanDistribution, ListedSplitUnderARestrictedAdmissibleMask) {
  expect_plan_uniform({kAces, kAll}, kAces | kLow, kAll & ~bit(kAceHearts) & ~bit(3),
                      PlanKind::Listed, 20 * 300, 12);
}

TEST(PlanDistribution, DisjointConstrainedSlotsWithTwoWildcards) {
  expect_plan_uniform({kAces, kKings, kAll, kAll}, kAces | kKings | 0xF, kAll, PlanKind::Listed,
                      80000, 13);
}

TEST(PlanDistribution, OverlappingConstrainedSlotsWithAWildcard) {
  expect_plan_uniform({kAces, kAces | kKings, kAll}, kAces | kKings | 0xF, kAll, PlanKind::Listed,
                      60000, 14);
}

TEST(PlanDistribution, ForcedCardThenSplit) {
  expect_plan_uniform({bit(2), kAces, kAll}, kAces | kLow, kAll, PlanKind::Listed, 40 * 300, 15);
}

TEST(PlanDistribution, AllFreeBoard) {
  expect_plan_uniform(std::vector<CardMask>(5, kAll), kLow, kAll, PlanKind::AllFree, 56 * 300, 16);
  expect_plan_uniform(std::vector<CardMask>(3, kAll), kLow, kAll & ~0x5ull, PlanKind::AllFree,
                      20 * 300, 17);
}

TEST(PlanDistribution, ListedWithoutSplitFromNineSlots) {
  expect_plan_uniform({0x3, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF, 0x7FF}, 0x7FF, kAll,
                      PlanKind::Listed, 54 * 300, 18);
}

// For the kinds that exist only for large hand counts, project each hand onto (its lowest card,
// how many cards it takes from the low cards 0..9); the brute-force law of that projection is
// still exact, and pooled small cells keep the test fast.
CardMask lowest_and_low_count(CardMask hand) {
  return static_cast<CardMask>(std::countr_zero(hand)) * 64 +
         static_cast<CardMask>(std::popcount(hand & 0x3FF));
}

TEST(PlanDistribution, ShapedOverlappingMasks) {
  expect_plan_uniform({0x3FFFF, 0x3FFFF, 0x3FFFF, 0xFFFFC00, 0xFFFFC00, 0xFFFFC00}, 0xFFFFFFF, kAll,
                      PlanKind::Shaped, 100000, 19, lowest_and_low_count);
}

TEST(PlanDistribution, RejectionAtThePatternLimit) {
  const CardMask deck = 0xFFFFFFFF;
  expect_plan_uniform(scattered_slots(5, deck), deck, kAll, PlanKind::Rejection, 100000, 20,
                      lowest_and_low_count);
}

TEST(PlanDistribution, RejectionUnderARestrictedAdmissibleMask) {
  // Cards taken elsewhere shrink the pool the covered slots draw from, and so the proposal count.
  const CardMask deck = 0xFFFFFFFF;
  expect_plan_uniform(scattered_slots(5, deck), deck, deck & ~0x10F0F0ull, PlanKind::Rejection,
                      100000, 23, lowest_and_low_count);
}

TEST(PlanDistribution, ShapedSplitWithAWildcard) {
  expect_plan_uniform({0x3FFFF, 0x3FFFF, 0x3FFFF, 0xFFFFC00, 0xFFFFC00, 0xFFFFC00, kAll}, 0xFFFFFFF,
                      kAll & ~0x801ull, PlanKind::Shaped, 100000, 22, lowest_and_low_count);
}

TEST(PlanDistribution, RejectionWithAFreeSlotAndMultiplicity) {
  const CardMask deck = 0xFFFFF;
  auto slots = scattered_slots(4, deck);
  std::vector<CardMask> with_free(slots);
  with_free.push_back(kAll);
  const DrawPlan plan = build_plan(with_free, deck);
  ASSERT_EQ(plan.free_count, 1u);
  ASSERT_FALSE(plan.disjoint);
  expect_plan_uniform(with_free, deck, kAll, plan.kind, 60000, 21, lowest_and_low_count);
}

// The multiplicity by groups against the count over subsets it replaces, and that count against
// plain backtracking, on the plans of many random alternatives and hands drawn for them.
TEST(SplitMultiplicity, GroupsAgreeWithEverySubset) {
  std::mt19937_64 random(515);
  int grouped = 0, grouped_with_pairs = 0, checked = 0;
  for (int round = 0; round < 4000; ++round) {
    std::vector<CardMask> slots(2 + random() % 6);
    for (auto& slot : slots) slot = random_slot_mask(random);
    // A pair of equal masks now and then, as in "QQ**" and "hh**".
    if (random() % 2 == 0) slots[1] = slots[0];
    const CardMask available = kAll & ~(random() & random() & random());
    const DrawPlan plan = build_plan(slots, available);
    if (plan.constrained_masks.empty() || plan.free_count == 0) continue;
    std::uint32_t grouped_slots = 0;
    for (std::size_t g = 0; g < plan.group_count; ++g) {
      grouped_slots += plan.groups[g].size;
      for (std::size_t h = 0; h < g; ++h) ASSERT_EQ(plan.groups[g].mask & plan.groups[h].mask, 0u);
      if (plan.groups[g].size > 1) ++grouped_with_pairs;
    }
    if (plan.group_count > 0) {
      ++grouped;
      ASSERT_EQ(grouped_slots, plan.constrained_masks.size());
    }
    // Hands the plan draws, and distinct cards picked anyhow (mostly not fitting).
    Generator generator = Generator::seeded(static_cast<std::uint64_t>(round));
    std::vector<Card> hand;
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<Card> drawn;
      if (trial % 2 == 0) {
        CardMask taken = 0;
        if (!draw_with_plan(plan, kAll, generator, hand, taken)) continue;
        ASSERT_EQ(taken, mask_of(hand));
        drawn.assign(hand.begin() + static_cast<std::ptrdiff_t>(plan.fixed_cards.size()),
                     hand.end());
      } else {
        auto pool = cards_in(available & ~plan.fixed_mask);
        if (pool.size() < plan.remaining_count()) continue;
        std::shuffle(pool.begin(), pool.end(), random);
        drawn.assign(pool.begin(),
                     pool.begin() + static_cast<std::ptrdiff_t>(plan.remaining_count()));
      }
      std::uint32_t by_backtracking = 0;
      for (std::uint32_t bits = 0; bits < (1u << drawn.size()); ++bits) {
        if (static_cast<std::size_t>(std::popcount(bits)) != plan.constrained_masks.size())
          continue;
        std::vector<Card> subset;
        for (std::size_t j = 0; j < drawn.size(); ++j)
          if ((bits >> j) & 1) subset.push_back(drawn[j]);
        if (brute_force_fits(plan.constrained_masks, subset)) ++by_backtracking;
      }
      ASSERT_EQ(split_multiplicity_by_subsets(plan.constrained_masks, drawn), by_backtracking);
      ASSERT_EQ(split_multiplicity(plan, drawn), by_backtracking) << "round " << round;
      ++checked;
    }
  }
  // The comparison must have covered groups of several slots, not only single ones.
  EXPECT_GT(grouped, 500);
  EXPECT_GT(grouped_with_pairs, 100);
  EXPECT_GT(checked, 20000);
}

// Completions against brute force, on random slot lists over a 14-card deck.
TEST(PlanCompletions, AgreeWithBruteForce) {
  std::mt19937_64 random(99);
  const CardMask deck = 0x3FFF;
  for (int round = 0; round < 300; ++round) {
    std::vector<CardMask> slots(1 + random() % 5);
    for (auto& slot : slots) {
      const auto roll = random() % 4;
      slot = roll == 0   ? kAll
             : roll == 1 ? bit(static_cast<Card>(random() % 14))
                         : (random() & random() & deck);
    }
    const CardMask available = deck & ~(random() & random() & random());
    const CardMask admissible = kAll & ~(random() & random() & random());
    const DrawPlan plan = build_plan(slots, available);
    const auto listed = list_completions(plan, admissible, ~std::uint64_t{0});
    ASSERT_FALSE(listed.too_many);
    std::vector<CardMask> got;
    for (const auto& hand : listed.hands) {
      ASSERT_EQ(hand.size(), slots.size());
      ASSERT_TRUE(std::equal(plan.fixed_cards.begin(), plan.fixed_cards.end(), hand.begin()));
      got.push_back(mask_of(hand));
    }
    std::sort(got.begin(), got.end());
    auto expected = feasible_sets(slots, available & admissible);
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(got, expected) << "round " << round;
  }
}

TEST(PlanCompletions, CapGivesTheTooManyMarker) {
  const DrawPlan board = build_plan(std::vector<CardMask>(5, kAll), kAll);
  EXPECT_TRUE(list_completions(board, kAll, 2598959).too_many);
  const auto all = list_completions(board, 0x7F, 21);
  ASSERT_FALSE(all.too_many);
  ASSERT_EQ(all.hands.size(), 21u);  // C(7, 5)
  EXPECT_TRUE(std::is_sorted(all.hands.begin(), all.hands.end()));
  EXPECT_TRUE(list_completions(board, 0x7F, 20).too_many);

  const DrawPlan shaped = build_plan(std::vector<CardMask>{kAces, kAll}, kAll);
  EXPECT_TRUE(list_completions(shaped, kAll, 197).too_many);
  EXPECT_EQ(list_completions(shaped, kAll, 198).hands.size(), 198u);
}

TEST(PlanCompletions, PatternLimitFallsBackToCombinations) {
  const CardMask deck = 0xFFFFFF;
  const auto slots = scattered_slots(5, deck);
  const DrawPlan plan = build_plan(slots, deck);
  ASSERT_EQ(plan.kind, PlanKind::Rejection);
  const auto listed = list_completions(plan, kAll, ~std::uint64_t{0});
  EXPECT_EQ(listed.hands.size(), feasible_sets(slots, deck).size());
  EXPECT_TRUE(list_completions(plan, kAll, 1000).too_many);
}

TEST(PlanCompletions, FixedCardsOnly) {
  const DrawPlan plan =
      build_plan(std::vector<CardMask>{bit(kAceHearts), bit(kKingDiamonds)}, kAll);
  const auto listed = list_completions(plan, kAll, 5);
  ASSERT_EQ(listed.hands.size(), 1u);
  EXPECT_EQ(listed.hands[0], (std::vector<Card>{kAceHearts, kKingDiamonds}));
  EXPECT_TRUE(list_completions(plan, kAll & ~bit(kAceHearts), 5).hands.empty());
}

}  // namespace
}  // namespace vantor::sampler
