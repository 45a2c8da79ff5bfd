#include "sampler/shape.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <span>
#include <vector>

#include "support.hpp"

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;
using namespace testing;

constexpr CardMask kAnyAce = 0xF000000000000;
constexpr CardMask kAceSpades = CardMask{1} << 51;

std::vector<std::uint8_t> counts_of(const Shape& shape, std::size_t pattern) {
  const auto counts = shape.pattern(pattern).counts;
  return {counts.begin(), counts.end()};
}

TEST(Shape, WorkedExampleAnyAceAndWildcard) {
  const std::vector<CardMask> slots{kAnyAce, cards::kFullDeck};
  const auto shape = Shape::build(slots, cards::kFullDeck);
  ASSERT_TRUE(shape);
  EXPECT_EQ(shape->total_weight(), Count{198});
  ASSERT_EQ(shape->class_masks().size(), 2u);
  EXPECT_EQ(shape->class_masks()[0], cards::kFullDeck & ~kAnyAce);
  EXPECT_EQ(shape->class_masks()[1], kAnyAce);
  ASSERT_EQ(shape->pattern_count(), 2u);
  EXPECT_EQ(counts_of(*shape, 0), (std::vector<std::uint8_t>{0, 2}));
  EXPECT_EQ(shape->pattern(0).weight, Count{6});
  EXPECT_EQ(counts_of(*shape, 1), (std::vector<std::uint8_t>{1, 1}));
  EXPECT_EQ(shape->pattern(1).weight, Count{192});

  std::vector<CardMask> masks;
  std::vector<Count> cumulative;
  EXPECT_EQ(shape->reweight(cards::kFullDeck & ~kAceSpades, masks, cumulative), Count{147});
  EXPECT_EQ(cumulative, (std::vector<Count>{3, 147}));
}

struct TotalCase {
  const char* name;
  std::vector<CardMask> slots;
  CardMask available;
  std::size_t patterns;
  Count total;
};

void PrintTo(const TotalCase& c, std::ostream* os) { *os << c.name; }

class ShapeTotals : public ::testing::TestWithParam<TotalCase> {};

TEST_P(ShapeTotals, PatternsAndTotal) {
  const auto& c = GetParam();
  const auto shape = Shape::build(c.slots, c.available);
  ASSERT_TRUE(shape);
  EXPECT_EQ(shape->pattern_count(), c.patterns);
  EXPECT_EQ(shape->total_weight(), c.total);
}

INSTANTIATE_TEST_SUITE_P(
    Shape, ShapeTotals,
    ::testing::Values(
        TotalCase{"NamedCards", {1u << 3, 1u << 9, 1u << 20}, cards::kFullDeck, 1, 1},
        TotalCase{"OneAnyAce", {kAnyAce}, cards::kFullDeck, 1, 4},
        TotalCase{"TwoAnyAces", {kAnyAce, kAnyAce}, cards::kFullDeck, 1, 6},
        TotalCase{"SlotWithNoAvailableCard", {kAnyAce, 0xF}, cards::kFullDeck & ~0xFull, 0, 0},
        TotalCase{"FiveWildcards", std::vector<CardMask>(5, cards::kFullDeck), cards::kFullDeck, 1,
                  2598960}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Shape, NoSlotsGiveNoShape) { EXPECT_FALSE(Shape::build({}, cards::kFullDeck)); }

TEST(Shape, ManyOverlapsHitThePatternLimit) {
  // Eight slots over mostly one-card classes: every card set is its own pattern, far more
  // than the limit allows.
  std::vector<CardMask> slots(8);
  for (Card card = 0; card < 52; ++card) {
    const unsigned signature = (card * 37u + 11u) % 255u + 1u;
    for (unsigned i = 0; i < 8; ++i) {
      if ((signature >> i) & 1) slots[i] |= CardMask{1} << card;
    }
  }
  EXPECT_FALSE(Shape::build(slots, cards::kFullDeck));
}

// Random slot lists over a 12-card deck: the total, the listing and every reweighting agree
// with brute-force enumeration of the card sets.
TEST(Shape, CountsListsAndReweightsLikeBruteForce) {
  std::mt19937_64 random(777);
  const CardMask deck = 0xFFF;
  for (int round = 0; round < 300; ++round) {
    std::vector<CardMask> slots(1 + random() % 5);
    for (auto& slot : slots) slot = (random() & random()) | (CardMask{1} << (random() % 12));
    if (random() % 3 == 0) slots[0] = deck;
    const CardMask available = deck & ~(random() & random() & random());
    const auto shape = Shape::build(slots, available);
    ASSERT_TRUE(shape);
    const auto expected = feasible_sets(slots, available);
    ASSERT_EQ(shape->total_weight(), Count{expected.size()}) << "round " << round;

    std::vector<CardMask> listed;
    bool sizes_right = true;
    EXPECT_TRUE(shape->for_each_set([&](std::span<const Card> set) {
      sizes_right = sizes_right && set.size() == slots.size();
      listed.push_back(cards::mask_of(set));
      return true;
    }));
    ASSERT_TRUE(sizes_right) << "round " << round;
    std::sort(listed.begin(), listed.end());
    auto sorted_expected = expected;
    std::sort(sorted_expected.begin(), sorted_expected.end());
    ASSERT_EQ(listed, sorted_expected) << "round " << round;

    const CardMask remaining = available & ~(random() & random());
    std::vector<CardMask> masks;
    std::vector<Count> cumulative;
    const auto survivors = std::count_if(expected.begin(), expected.end(),
                                         [&](CardMask set) { return (set & ~remaining) == 0; });
    ASSERT_EQ(shape->reweight(remaining, masks, cumulative), Count(survivors)) << "round " << round;
  }
}

// A visit that says stop ends the listing there: nothing after it is visited.
TEST(Shape, ListingStopsWhenTheVisitSaysSo) {
  const std::vector<CardMask> slots{0xFF, 0xFF, 0xFF};
  const auto shape = Shape::build(slots, 0xFF);
  ASSERT_TRUE(shape);
  ASSERT_EQ(shape->total_weight(), Count{56});  // C(8, 3)
  for (const std::size_t stop_at : {1u, 20u, 56u}) {
    std::size_t visited = 0;
    const bool finished =
        shape->for_each_set([&](std::span<const Card>) { return ++visited < stop_at; });
    EXPECT_FALSE(finished) << stop_at;
    EXPECT_EQ(visited, stop_at);
  }
}

TEST(Shape, PatternsComeInLexicographicOrder) {
  const std::vector<CardMask> slots{0x0F, 0x3C, 0xF0, 0xFF};
  const auto shape = Shape::build(slots, 0xFF);
  ASSERT_TRUE(shape);
  for (std::size_t p = 1; p < shape->pattern_count(); ++p) {
    EXPECT_LT(counts_of(*shape, p - 1), counts_of(*shape, p));
  }
}

// Drawing: every feasible set equally likely, with the shape's own table and with a reweighted
// one (where sets using removed cards must never appear).
void expect_uniform_draws(const std::vector<CardMask>& slots, CardMask available,
                          CardMask reweight_to, std::uint64_t seed) {
  const auto shape = Shape::build(slots, available);
  ASSERT_TRUE(shape);
  std::vector<CardMask> masks(shape->class_masks());
  std::vector<Count> cumulative(shape->cumulative_weights());
  Count total = shape->total_weight();
  if (reweight_to != available) total = shape->reweight(reweight_to, masks, cumulative);

  std::map<CardMask, double> probability;
  for (const CardMask set : feasible_sets(slots, reweight_to)) probability[set] = 0;
  ASSERT_EQ(Count{probability.size()}, total);
  for (auto& entry : probability) entry.second = 1.0 / static_cast<double>(probability.size());

  Generator generator = Generator::seeded(seed);
  std::map<CardMask, long> observed;
  const long draws = 300 * static_cast<long>(probability.size());
  std::vector<Card> out;
  for (long i = 0; i < draws; ++i) {
    out.clear();
    shape->draw(masks, cumulative, total, generator, out);
    ASSERT_EQ(out.size(), slots.size());
    ASSERT_EQ(static_cast<std::size_t>(std::popcount(mask_of(out))), slots.size());
    ++observed[mask_of(out)];
  }
  EXPECT_TRUE(only_expected_keys(probability, observed));
  EXPECT_TRUE(frequencies_match(probability, observed, draws));
}

TEST(ShapeDraw, UniformOverFeasibleSets) {
  const CardMask aces = 0xF000000000000, others = 0xFF;  // four aces and eight low cards
  // The worked example on a small deck: 6 two-ace sets and 32 one-ace sets.
  expect_uniform_draws({aces, cards::kFullDeck}, aces | others, aces | others, 1);
  // Overlapping masks with classes of different sizes.
  expect_uniform_draws({0x0F, 0x3C, 0xF0, 0xFF}, 0xFF, 0xFF, 2);
}

TEST(ShapeDraw, UniformAfterReweighting) {
  const CardMask aces = 0xF000000000000, others = 0xFF;
  expect_uniform_draws({aces, cards::kFullDeck}, aces | others,
                       (aces | others) & ~kAceSpades & ~1ull, 3);
  expect_uniform_draws({0x0F, 0x3C, 0xF0, 0xFF}, 0xFF, 0xFF & ~0x24ull, 4);
}

// The 64-bit paths of the weighted sampler against the 128-bit computations they stand for: the
// same numbers, the same outputs consumed, the same cards.

TEST(NarrowCounts, Uniform128BelowTwoToThe64MatchesTheFullProduct) {
  std::mt19937_64 random(128);
  std::vector<std::uint64_t> ranges = {1,
                                       2,
                                       3,
                                       6,
                                       198,
                                       2598960,
                                       (std::uint64_t{1} << 32) + 1,
                                       std::uint64_t{1} << 63,
                                       (std::uint64_t{1} << 63) - 1,
                                       (std::uint64_t{1} << 63) + 1,
                                       ~std::uint64_t{0},
                                       ~std::uint64_t{0} - 1,
                                       ~std::uint64_t{0} / 3 * 2 + 1};
  // Every width from 1 to 64 bits, some of them just past a power of two, where up to half of
  // all candidates are rejected.
  for (int bits = 1; bits <= 64; ++bits) {
    for (int i = 0; i < 6; ++i) {
      const std::uint64_t top = std::uint64_t{1} << (bits - 1);
      ranges.push_back(i % 2 == 0 ? top | (random() & (top - 1)) : top + 1 + (random() % 7));
    }
  }
  long rejected = 0;
  for (const std::uint64_t range : ranges) {
    for (std::uint64_t seed = 0; seed < 40; ++seed) {
      Generator narrow = Generator::seeded(seed * 1000003 + range);
      Generator full = narrow;
      for (int draw = 0; draw < 25; ++draw) {
        Generator two_outputs = narrow;
        two_outputs.next();
        two_outputs.next();
        const std::uint64_t got = uniform128_narrow(narrow, range);
        ASSERT_EQ(Count{got}, uniform128_by_full_product(full, Count{range})) << range;
        ASSERT_EQ(narrow.state(), full.state()) << range;
        ASSERT_LT(got, range);
        if (narrow.state() != two_outputs.state()) ++rejected;
      }
      // uniform128() itself takes the narrow path here.
      Generator through = full;
      ASSERT_EQ(uniform128(through, Count{range}), uniform128_by_full_product(full, Count{range}));
      ASSERT_EQ(through.state(), full.state());
    }
  }
  EXPECT_GT(rejected, 10000);  // the rejection branch was exercised, not only the first try
}

TEST(NarrowCounts, ReweightAndDrawMatchTheWideTables) {
  std::mt19937_64 random(64);
  const CardMask deck = cards::kFullDeck;
  int compared = 0, many_patterns = 0;
  for (int round = 0; round < 600; ++round) {
    std::vector<CardMask> slots(1 + random() % 7);
    for (auto& slot : slots) slot = random_slot_mask(random);
    const CardMask available = deck & ~(random() & random() & random());
    const auto shape = Shape::build(slots, available);
    if (!shape || shape->total_weight() == 0) continue;
    // No set of distinct cards of a 52-card deck is counted past C(52, 26) < 2^49.
    ASSERT_TRUE(shape->narrow());
    for (int take = 0; take < 5; ++take) {
      // What earlier seats left: sometimes most of the cards, sometimes few.
      CardMask left = available;
      for (int i = 0; i <= take; ++i) left &= ~(random() & random());
      std::vector<CardMask> wide_masks, narrow_masks;
      std::vector<Count> wide_cumulative;
      std::vector<std::uint64_t> narrow_cumulative;
      const Count wide_total = shape->reweight(left, wide_masks, wide_cumulative);
      const std::uint64_t narrow_total = shape->reweight(left, narrow_masks, narrow_cumulative);
      ASSERT_EQ(Count{narrow_total}, wide_total) << "round " << round;
      ASSERT_EQ(narrow_masks, wide_masks);
      ASSERT_EQ(narrow_cumulative.size(), wide_cumulative.size());
      for (std::size_t p = 0; p < wide_cumulative.size(); ++p)
        ASSERT_EQ(Count{narrow_cumulative[p]}, wide_cumulative[p]) << "round " << round;
      Generator wide_generator = Generator::seeded(static_cast<std::uint64_t>(round * 8 + take));
      Generator narrow_generator = wide_generator, fused_generator = wide_generator;
      std::vector<std::uint64_t> fused_cumulative;
      for (int draw = 0; draw < 8; ++draw) {
        std::vector<Card> wide_cards, narrow_cards, fused_cards;
        CardMask taken = 1;
        ASSERT_EQ(
            shape->reweight_and_draw(left, fused_generator, fused_cumulative, fused_cards, taken),
            narrow_total);
        ASSERT_EQ(fused_cumulative, narrow_cumulative);
        if (wide_total == 0) {
          // Nothing is drawn and no output consumed.
          ASSERT_TRUE(fused_cards.empty());
          ASSERT_EQ(taken, 0u);
          ASSERT_EQ(fused_generator.state(), wide_generator.state());
          break;
        }
        shape->draw(wide_masks, wide_cumulative, wide_total, wide_generator, wide_cards);
        shape->draw(narrow_masks, narrow_cumulative, narrow_total, narrow_generator, narrow_cards);
        ASSERT_EQ(narrow_cards, wide_cards) << "round " << round;
        ASSERT_EQ(fused_cards, wide_cards) << "round " << round;
        ASSERT_EQ(taken, mask_of(wide_cards));
        ASSERT_EQ(narrow_generator.state(), wide_generator.state());
        ASSERT_EQ(fused_generator.state(), wide_generator.state());
      }
      ++compared;
      if (shape->pattern_count() > 20) ++many_patterns;
    }
  }
  EXPECT_GT(compared, 1500);
  EXPECT_GT(many_patterns, 100);
}

}  // namespace
}  // namespace vantor::sampler
