// Both samplers against what the exact walk counts: every valid deal once (an alternative and a
// hand for every seat, a board, all cards distinct), whatever the seats' alternatives are. The
// law is enumerated by brute force over a twelve-card deck, and each sampler's weighted share of
// every deal is held to it; seats whose alternatives already propose alike must keep weight 1.

#include "sampler/alternative_weights.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sampler/deal.hpp"
#include "sampler/draw.hpp"
#include "support.hpp"

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;
using namespace testing;

constexpr CardMask kAces = 0xF000000000000, kKings = 0x0F00000000000, kTwos = 0xF;
constexpr CardMask kHearts = 0x4444444444444, kSpades = 0x8888888888888;
constexpr CardMask kAll = cards::kFullDeck;
constexpr CardMask kDeck = kAces | kKings | kTwos;
constexpr CardMask bit(Card card) { return CardMask{1} << card; }
constexpr Card kAceSpades = 51, kAceHearts = 50, kKingSpades = 47, kTwoClubs = 0, kTwoDiamonds = 1;

// The seats' hands of a deal, one mask per seat. The board is left out: given the seats it is
// uniform in both the walk and the samplers, and the seats alone keep the cells few and full.
using Hands = std::vector<CardMask>;

// The walk's law by brute force: per entry every alternative's feasible sets among the live
// cards; each choice of an alternative and a set per entry with distinct cards is one deal, and
// deals with the same hands (a hand two alternatives allow, or another board) add up.
std::map<Hands, double> walk_law(const PlannedDeal& spot) {
  std::vector<std::vector<CardMask>> options;  // per entry, per (alternative, set): the set
  for (const auto& seat : spot.seats) {
    options.emplace_back();
    for (const auto& alternative : seat) {
      for (const CardMask set : feasible_sets(alternative, spot.live))
        options.back().push_back(set);
    }
  }
  if (!spot.board.empty()) options.push_back(feasible_sets(spot.board, spot.live));
  std::map<Hands, double> law;
  double deals = 0;
  Hands hands;
  std::function<void(std::size_t, CardMask)> walk = [&](std::size_t entry, CardMask used) {
    if (entry == options.size()) {
      law[Hands(hands.begin(), hands.begin() + static_cast<std::ptrdiff_t>(spot.seats.size()))] +=
          1;
      deals += 1;
      return;
    }
    for (const CardMask hand : options[entry]) {
      if ((hand & used) != 0) continue;
      hands.push_back(hand);
      walk(entry + 1, used | hand);
      hands.pop_back();
    }
  };
  walk(0, 0);
  for (auto& [key, count] : law) count /= deals;
  return law;
}

// Per deal, the sum of its weights and of their squares; over all, the same.
struct WeightedDeals {
  std::map<Hands, std::pair<double, double>> by_hands;
  double sum = 0, sum_of_squares = 0;
};

using Draw = std::function<std::optional<double>(Generator&, std::vector<std::vector<Card>>&,
                                                 std::vector<Card>&)>;

WeightedDeals draw_deals(const PlannedDeal& spot, const Draw& draw, long accepted,
                         std::uint64_t seed, bool ignore_weights = false) {
  Generator generator = Generator::seeded(seed);
  std::vector<std::vector<Card>> seats(spot.plan.seat_count);
  std::vector<Card> board;
  WeightedDeals out;
  for (long attempt = 0, kept = 0; kept < accepted; ++attempt) {
    EXPECT_LT(attempt, 100 * accepted);
    if (attempt >= 100 * accepted) break;
    const auto weight = draw(generator, seats, board);
    if (!weight) continue;
    ++kept;
    const double w = ignore_weights ? 1.0 : *weight;
    Hands hands;
    for (const auto& seat : seats) hands.push_back(mask_of(seat));
    auto& [sum, squares] = out.by_hands[hands];
    sum += w;
    squares += w * w;
    out.sum += w;
    out.sum_of_squares += w * w;
  }
  return out;
}

// The largest deviation of a deal's weighted share from its chance under the law, in standard
// errors of the ratio estimate, sqrt(sum w^2 (1[deal] - share)^2) / sum w; infinite when a deal
// the walk never counts came up. Within 5 a false alarm comes about once in two million per deal;
// a sampler that weighs alternatives wrongly misses by far more.
double largest_deviation(const std::map<Hands, double>& law, const WeightedDeals& deals) {
  for (const auto& [hands, weights] : deals.by_hands) {
    if (law.count(hands) == 0) return std::numeric_limits<double>::infinity();
  }
  // Cells expected to hold a few deals only would make the estimated errors themselves too noisy.
  const double effective_deals = deals.sum * deals.sum / deals.sum_of_squares;
  double least_chance = 1.0, largest = 0.0;
  for (const auto& [hands, chance] : law) {
    least_chance = std::min(least_chance, chance);
    const auto found = deals.by_hands.find(hands);
    const auto [sum, squares] = found == deals.by_hands.end() ? std::pair{0.0, 0.0} : found->second;
    const double share = sum / deals.sum;
    const double spread =
        squares * (1 - share) * (1 - share) + (deals.sum_of_squares - squares) * share * share;
    const double error = std::sqrt(spread) / deals.sum;
    largest = std::max(largest, std::abs(share - chance) / (error + 1e-15));
  }
  EXPECT_GE(least_chance * effective_deals, 40) << law.size() << " cells";
  return largest;
}

Draw rejection(const DealPlan& plan) {
  return [&plan](Generator& g, auto& seats, auto& board) {
    return weighed_rejection_draw(plan, g, seats, board);
  };
}

Draw weighted(const DealPlan& plan) {
  return [&plan, scratch = std::make_shared<WeightedScratch>()](Generator& g, auto& seats,
                                                                auto& board) {
    return weighted_draw(plan, g, seats, board, *scratch);
  };
}

struct UnevenSpot {
  std::string name;
  PlannedDeal spot;
};

void PrintTo(const UnevenSpot& c, std::ostream* os) { *os << c.name; }

// The first seat's alternatives differ in how many hands they allow, or in the chance with which
// the rejection sampler proposes each.
std::vector<UnevenSpot> uneven_spots() {
  const cards::Alternative any_ace{kAces, kAll}, two_kings{kKings, kKings}, any_king{kKings, kAll},
      two_aces{kAces, kAces};
  return {
      // "A*, KK" against a named hand, with a one-card board.
      {"AnyAceOrTwoKings",
       make_plan({{any_ace, two_kings}, {{bit(kAceHearts), bit(kTwoClubs)}}}, {kAll}, kDeck)},
      // Suits alone against a named hand: three hearts in the deck, so three hands against one.
      {"TwoHeartsOrNamed",
       make_plan({{{kHearts, kHearts}, {bit(kAceSpades), bit(kKingSpades)}}, {any_king}}, {kAll},
                 kDeck)},
      // Two seats with alternatives, each wanting the other's cards.
      {"TwoSeatsCompete", make_plan({{any_ace, two_kings}, {any_king, two_aces}}, {kAll}, kDeck)},
      // A named card and a wildcard, or two wildcards: 1 + 1 free card against 2.
      {"NamedPlusCardOrAnyTwo",
       make_plan({{{bit(kAceSpades), kAll}, {kAll, kAll}}, {two_kings}}, {}, kDeck)},
  };
}

class UnevenAlternatives : public ::testing::TestWithParam<UnevenSpot> {};

TEST_P(UnevenAlternatives, RejectionSamplerCountsAsTheWalk) {
  const PlannedDeal& spot = GetParam().spot;
  ASSERT_FALSE(spot.plan.weighted);
  EXPECT_TRUE(spot.plan.rejection_weights);
  EXPECT_TRUE(spot.plan.deals_carry_weights());
  const auto law = walk_law(spot);
  EXPECT_LE(largest_deviation(law, draw_deals(spot, rejection(spot.plan), 200000, 1)), 5.0);
  // Every accepted deal weighing 1, as before weights, is far off: the spot has power.
  EXPECT_GT(largest_deviation(law, draw_deals(spot, rejection(spot.plan), 200000, 1, true)), 10.0);
}

TEST_P(UnevenAlternatives, WeightedSamplerCountsAsTheWalk) {
  PlannedDeal spot = GetParam().spot;
  spot.plan.weighted = true;
  const auto law = walk_law(spot);
  EXPECT_LE(largest_deviation(law, draw_deals(spot, weighted(spot.plan), 200000, 2)), 5.0);
  // Without the set-count factors each alternative would weigh alike, as before they existed.
  ASSERT_FALSE(spot.plan.set_count_factors[0].empty());
  spot.plan.set_count_factors.assign(spot.plan.set_count_factors.size(), {});
  EXPECT_GT(largest_deviation(law, draw_deals(spot, weighted(spot.plan), 200000, 2)), 10.0);
}

INSTANTIATE_TEST_SUITE_P(Spots, UnevenAlternatives, ::testing::ValuesIn(uneven_spots()),
                         [](const auto& info) { return info.param.name; });

// A seat drawn by rejection (as an alternative past the pattern limit is) proposes each hand with
// chance 1 / C(pool, slots), and its pool shrinks by the cards earlier entries took from it. The
// second seat is drawn first and takes one of its cards from the first seat's pool.
PlannedDeal rejection_kind_spot(CardMask second_seat_slot) {
  PlannedDeal spot = make_plan(
      {{{kAces | kKings, kAces | kKings}}, {{bit(kTwoClubs), second_seat_slot}}}, {}, kDeck);
  const auto& order = spot.plan.draw_order;
  EXPECT_LT(std::find(order.begin(), order.end(), 1) - order.begin(),
            std::find(order.begin(), order.end(), 0) - order.begin());
  DrawPlan& plan = spot.plan.seat_plans[0][0];
  EXPECT_EQ(plan.kind, PlanKind::Listed);
  plan.kind = PlanKind::Rejection;  // the covered slots and the union mask are already there
  weigh_alternatives(spot.plan);
  return spot;
}

TEST(RejectionKind, PoolThatVariesIsWeighedDealByDeal) {
  // The second seat takes an ace, or the two of diamonds outside the pool.
  const PlannedDeal spot = rejection_kind_spot(kAces | bit(kTwoDiamonds));
  EXPECT_TRUE(spot.plan.rejection_weights);
  const auto law = walk_law(spot);
  EXPECT_LE(largest_deviation(law, draw_deals(spot, rejection(spot.plan), 200000, 3)), 5.0);
  EXPECT_GT(largest_deviation(law, draw_deals(spot, rejection(spot.plan), 200000, 3, true)), 10.0);
}

TEST(RejectionKind, PoolThatAlwaysLosesAsManyCardsNeedsNoWeight) {
  // The second seat always takes exactly one ace from the pool.
  const PlannedDeal spot = rejection_kind_spot(kAces);
  EXPECT_FALSE(spot.plan.rejection_weights);
  EXPECT_LE(largest_deviation(walk_law(spot), draw_deals(spot, rejection(spot.plan), 100000, 4)),
            5.0);
}

// Seats whose alternatives propose every hand with the same chance: no factor, and every
// rejection-sampled deal weighs exactly 1, as before weights existed.
TEST(EvenAlternatives, KeepWeightOne) {
  const cards::Alternative ace_king{kAces, kKings}, king_ace{kKings, kAces};
  const std::vector<std::pair<std::string, PlannedDeal>> spots = {
      {"one alternative", make_plan({{{kAces, kAll}}, {{kKings, kAll}}}, {kAll}, kDeck)},
      {"named hands", make_plan({{{bit(kAceSpades), bit(kKingSpades)}, {bit(2), bit(3)}},
                                 {{bit(kAceHearts), bit(kTwoClubs)}}},
                                {kAll}, kDeck)},
      {"wildcards twice", make_plan({{{kAll, kAll}, {kAll, kAll}}, {{kAll, kAll}}}, {}, kDeck)},
      {"one rank pattern each way", make_plan({{ace_king, king_ace}, {{kAll, kAll}}}, {}, kDeck)},
  };
  for (const auto& [name, spot] : spots) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(spot.plan.rejection_weights);
    EXPECT_FALSE(spot.plan.deals_carry_weights());
    for (const auto& factors : spot.plan.set_count_factors) EXPECT_TRUE(factors.empty());
    Generator generator = Generator::seeded(5);
    std::vector<std::vector<Card>> seats(spot.plan.seat_count);
    std::vector<Card> board;
    for (int i = 0; i < 2000; ++i) {
      if (const auto weight = weighed_rejection_draw(spot.plan, generator, seats, board)) {
        ASSERT_EQ(*weight, 1.0);
      }
    }
  }
}

TEST(EvenAlternatives, EqualProposalsButUnequalSetCounts) {
  // Two aces or two kings while another seat holds the ace of hearts: the rejection sampler
  // proposes six hands of each (the walk's three and six follow from the collisions), the weighted
  // sampler three against six, which its factors must make up for.
  const PlannedDeal spot = make_plan(
      {{{kAces, kAces}, {kKings, kKings}}, {{bit(kAceHearts), bit(kTwoClubs)}}}, {kAll}, kDeck);
  EXPECT_FALSE(spot.plan.rejection_weights);
  ASSERT_EQ(spot.plan.set_count_factors[0].size(), 2u);
  EXPECT_DOUBLE_EQ(spot.plan.set_count_factors[0][0] * 2, spot.plan.set_count_factors[0][1]);
  const auto law = walk_law(spot);
  EXPECT_LE(largest_deviation(law, draw_deals(spot, rejection(spot.plan), 100000, 6)), 5.0);
  PlannedDeal forced = spot;
  forced.plan.weighted = true;
  EXPECT_LE(largest_deviation(law, draw_deals(forced, weighted(forced.plan), 100000, 7)), 5.0);
}

// The pilot weighs both samplers by effective deals per attempt. Four hold'em seats crowded onto
// eleven live cards, three of them with alternatives of different sizes: the rejection sampler
// accepts more than the 40 deals in 800 that would settle the choice if every deal weighed 1,
// but its weights are so uneven that the weighted sampler is worth more.
TEST(Pilot, ComparesEffectiveDealsPerAttempt) {
  const auto named = [](std::initializer_list<Card> hand) {
    std::vector<CardMask> masks;
    for (const Card card : hand) masks.push_back(bit(card));
    return masks;
  };
  // Board 2c 7d 9h Ts Jc; live besides it: every ace and king, 8s 6s 4s.
  const std::vector<CardMask> board = named({0, 21, 30, 35, 36});
  const CardMask live = kAces | kKings | bit(27) | bit(19) | bit(11) |
                        cards::mask_of(std::vector<Card>{0, 21, 30, 35, 36});
  const PlannedDeal spot = make_plan({{{kAces, kAll}, {kKings, kKings}},
                                      {{kAces, kSpades}, {kKings, kAll}},
                                      {{kKings, kAll}, {kAces, kAces}},
                                      {{kAll, kSpades}}},
                                     board, live);
  EXPECT_TRUE(spot.plan.rejection_weights);
  EXPECT_TRUE(spot.plan.weighted);
  Generator generator = Generator::seeded(kPilotSeed);
  std::vector<std::vector<Card>> seats(4);
  std::vector<Card> board_cards;
  int accepted = 0;
  for (int i = 0; i < 800; ++i)
    accepted += rejection_draw(spot.plan, generator, seats, board_cards);
  EXPECT_GE(accepted, 40);
}

}  // namespace
}  // namespace vantor::sampler
