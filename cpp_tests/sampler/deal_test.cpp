#include "sampler/deal.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

#include "sampler/draw.hpp"
#include "support.hpp"

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;
using namespace testing;

constexpr CardMask kAces = 0xF000000000000, kKings = 0x0F00000000000, kQueens = 0x00F0000000000;
constexpr CardMask kAll = cards::kFullDeck;
constexpr CardMask bit(Card card) { return CardMask{1} << card; }
constexpr Card kAceSpades = 51, kAceHearts = 50, kAceDiamonds = 49;

// Every deal of single-alternative seats (plus the board as the last entry), by brute force:
// the tuple of hand masks and the product of 1 / W0 over the entries, where W0 counts the
// entry's feasible sets among the cards it may take at the start.
struct ExactDeal {
  std::vector<CardMask> hands;
  double weight_product;
};

std::vector<ExactDeal> enumerate_deals(const PlannedDeal& spot) {
  std::vector<std::vector<CardMask>> entry_slots;
  for (const auto& seat : spot.seats) entry_slots.push_back(seat.at(0));
  if (spot.plan.board_size != 0) entry_slots.push_back(spot.board);
  std::vector<std::vector<CardMask>> options;
  for (std::size_t entry = 0; entry < entry_slots.size(); ++entry) {
    const CardMask admissible = spot.live & (spot.plan.own[entry] | ~spot.plan.reserved);
    options.push_back(feasible_sets(entry_slots[entry], admissible));
  }
  std::vector<ExactDeal> deals;
  std::vector<CardMask> hands;
  std::function<void(std::size_t, CardMask, double)> walk = [&](std::size_t entry, CardMask used,
                                                                double product) {
    if (entry == options.size()) {
      deals.push_back({hands, product});
      return;
    }
    for (const CardMask hand : options[entry]) {
      if ((hand & used) != 0) continue;
      hands.push_back(hand);
      walk(entry + 1, used | hand, product / static_cast<double>(options[entry].size()));
      hands.pop_back();
    }
  };
  walk(0, 0, 1.0);
  return deals;
}

std::vector<CardMask> hands_of(const std::vector<std::vector<Card>>& seats,
                               const std::vector<Card>& board, bool with_board) {
  std::vector<CardMask> hands;
  for (const auto& seat : seats) hands.push_back(mask_of(seat));
  if (with_board) hands.push_back(mask_of(board));
  return hands;
}

// Twelve live cards; a forced ace of spades with a wildcard, a split "any ace" plus "ace or
// king", overlapping masks, and a one-card wildcard board.
PlannedDeal small_spot() {
  return make_plan({{{bit(kAceSpades), kAll}}, {{kAces, kAces | kKings}}}, {kAll},
                   kAces | kKings | 0xF);
}

TEST(RejectionDraw, EveryValidDealEquallyLikely) {
  const auto spot = small_spot();
  const auto deals = enumerate_deals(spot);
  std::map<std::vector<CardMask>, double> probability;
  for (const auto& deal : deals) probability[deal.hands] = 1.0 / static_cast<double>(deals.size());

  Generator generator = Generator::seeded(2024);
  std::vector<std::vector<Card>> seats(spot.plan.seat_count);
  std::vector<Card> board;
  std::map<std::vector<CardMask>, long> observed;
  const long wanted = 80 * static_cast<long>(deals.size());
  long accepted = 0;
  for (long attempt = 0; accepted < wanted; ++attempt) {
    ASSERT_LT(attempt, 20 * wanted);
    if (!rejection_draw(spot.plan, generator, seats, board)) continue;
    const auto hands = hands_of(seats, board, true);
    ASSERT_EQ(board.size(), 1u);
    ++observed[hands];
    ++accepted;
  }
  EXPECT_TRUE(only_expected_keys(probability, observed));
  EXPECT_TRUE(frequencies_match(probability, observed, wanted));
}

// The weighted sampler's sums are unbiased: the mean of w * f over all draws (failures count as
// 0) estimates the sum over valid deals of f * prod 1 / W0, for f = 1 and for an event.
TEST(WeightedDraw, WeightedSumsAreUnbiased) {
  const auto spot = small_spot();
  double exact_total = 0.0, exact_event = 0.0;
  const auto event = [](const std::vector<CardMask>& hands) {
    return std::popcount(hands[1] & kAces) == 2;
  };
  for (const auto& deal : enumerate_deals(spot)) {
    exact_total += deal.weight_product;
    if (event(deal.hands)) exact_event += deal.weight_product;
  }
  ASSERT_GT(exact_event, 0.0);

  Generator generator = Generator::seeded(77);
  std::vector<std::vector<Card>> seats(spot.plan.seat_count);
  std::vector<Card> board;
  WeightedScratch scratch;
  const long draws = 200000;
  double sum = 0, sum_sq = 0, event_sum = 0, event_sq = 0;
  for (long i = 0; i < draws; ++i) {
    const auto weight = weighted_draw(spot.plan, generator, seats, board, scratch);
    if (!weight) continue;
    const auto hands = hands_of(seats, board, true);
    ASSERT_EQ(std::popcount(hands[0] | hands[1] | hands[2]), 5) << "cards must be distinct";
    sum += *weight;
    sum_sq += *weight * *weight;
    if (event(hands)) {
      event_sum += *weight;
      event_sq += *weight * *weight;
    }
  }
  // A deal is proposed with probability prod 1 / W_i and weighs prod W_i / W0_i, so each valid
  // deal contributes prod 1 / W0_i to the expected weight.
  const auto within = [&](double s, double sq, double exact) {
    const double mean = s / draws, se = std::sqrt(std::max(0.0, sq / draws - mean * mean) / draws);
    return std::abs(mean - exact) < 5 * se + 1e-9 * exact;  // se is 0 when every weight is equal
  };
  EXPECT_TRUE(within(sum, sum_sq, exact_total)) << sum / draws << " vs " << exact_total;
  EXPECT_TRUE(within(event_sum, event_sq, exact_event))
      << event_sum / draws << " vs " << exact_event;
}

TEST(DealDraw, CollisionFailsRejectionButReweightsWeighted) {
  // The first seat takes one of two aces; the second then has two of its three left.
  const auto spot = make_plan({{{bit(kAceHearts) | bit(kAceSpades)}},
                               {{bit(kAceHearts) | bit(kAceSpades) | bit(kAceDiamonds)}}},
                              {}, kAll);
  // The absent board (freedom 0) sorts first and is skipped.
  ASSERT_EQ(spot.plan.draw_order, (std::vector<std::size_t>{2, 0, 1}));
  Generator generator = Generator::seeded(5);
  std::vector<std::vector<Card>> seats(2);
  std::vector<Card> board;
  WeightedScratch scratch;
  int failures = 0;
  for (int i = 0; i < 3000; ++i) failures += !rejection_draw(spot.plan, generator, seats, board);
  EXPECT_NEAR(failures / 3000.0, 1.0 / 3.0, 0.04);
  for (int i = 0; i < 100; ++i) {
    const auto weight = weighted_draw(spot.plan, generator, seats, board, scratch);
    ASSERT_TRUE(weight);
    EXPECT_NEAR(*weight, 2.0 / 3.0, 1e-12);
    EXPECT_NE(seats[0][0], seats[1][0]);
  }
}

// The rejection draw as written out: every entry in the draw order, a seat's alternative by a
// 64-bit uniform, its hand by draw_with_plan(). The sampler draws the common plans its own way,
// so it must consume the generator and produce the cards exactly as this does.
bool rejection_draw_as_written(const DealPlan& r, Generator& generator,
                               std::vector<std::vector<Card>>& seats, std::vector<Card>& board) {
  CardMask available = r.live;
  board.clear();
  for (const std::size_t entry : r.draw_order) {
    const bool is_board = entry == r.seat_count;
    if (is_board && !r.board_in_order()) continue;
    const DrawPlan& plan =
        is_board ? r.board_plan
                 : r.seat_plans[entry][uniform64(generator, r.seat_plans[entry].size())];
    auto& out = is_board ? board : seats[entry];
    if (!draw_with_plan(plan, available & (r.own[entry] | ~r.reserved), generator, out))
      return false;
    available &= ~mask_of(out);
  }
  return true;
}

// Both ways of picking cards are run on this machine when it has a fast pdep.
class RejectionDrawBothWays : public ::testing::TestWithParam<CardPicking> {};

TEST_P(RejectionDrawBothWays, FollowsTheWrittenOutDrawToTheBit) {
  const PickingForTest picking(GetParam());
  if (!picking.available()) GTEST_SKIP() << "no fast pdep";
  ASSERT_EQ(card_picking(), GetParam());
  // Random requests over every kind of plan: named cards, wildcards, ranks, suits, named cards
  // with wildcards, several alternatives, boards open, named or partly named.
  Generator shapes = Generator::seeded(21);
  const auto random_slot = [&]() -> CardMask {
    switch (shapes.next() % 5) {
      case 0:
        return bit(static_cast<Card>(shapes.next() % 52));
      case 1:
        return CardMask{0xF} << (4 * (shapes.next() % 13));
      case 2:
        return 0x1111111111111ull << (shapes.next() % 4);
      case 3:
        return shapes.next() & kAll;
      default:
        return kAll;
    }
  };
  int compared = 0;
  for (int round = 0; round < 300; ++round) {
    const std::size_t seat_count = 2 + shapes.next() % 3, hole = 2 + shapes.next() % 3;
    std::vector<std::vector<std::vector<CardMask>>> seats(seat_count);
    for (auto& seat : seats) {
      seat.resize(1 + shapes.next() % 3);
      for (auto& alternative : seat) {
        for (std::size_t i = 0; i < hole; ++i) alternative.push_back(random_slot());
      }
    }
    std::vector<CardMask> board(shapes.next() % 2 ? 5 : 0, kAll);
    if (!board.empty() && shapes.next() % 2) board[0] = random_slot();
    const auto spot = make_plan(seats, board, kAll);
    Generator fast = Generator::seeded(static_cast<std::uint64_t>(round));
    Generator plain = fast, weighed = fast;
    std::vector<std::vector<Card>> fast_seats(seat_count), plain_seats(seat_count);
    std::vector<Card> fast_board, plain_board;
    for (int deal = 0; deal < 50; ++deal) {
      const bool fast_ok = rejection_draw(spot.plan, fast, fast_seats, fast_board);
      const bool plain_ok = rejection_draw_as_written(spot.plan, plain, plain_seats, plain_board);
      ASSERT_EQ(fast_ok, plain_ok) << round << " " << deal;
      ASSERT_EQ(fast.state(), plain.state()) << round << " " << deal;
      // Working out the weight consumes nothing more.
      const bool weighed_ok =
          weighed_rejection_draw(spot.plan, weighed, plain_seats, plain_board).has_value();
      ASSERT_EQ(weighed_ok, plain_ok) << round << " " << deal;
      ASSERT_EQ(weighed.state(), plain.state()) << round << " " << deal;
      if (plain_ok) {
        ASSERT_EQ(fast_seats, plain_seats) << round << " " << deal;
        ASSERT_EQ(fast_board, plain_board) << round << " " << deal;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 1000);  // enough deals got through to compare their cards
}

INSTANTIATE_TEST_SUITE_P(Picking, RejectionDrawBothWays,
                         ::testing::Values(CardPicking::Broadword, CardPicking::Deposit));

TEST(DealDraw, SameSeedSameDeals) {
  const auto spot =
      make_plan({{{kAces, kAll}}, {{kAll, kAll}}}, std::vector<CardMask>(5, kAll), kAll);
  Generator first = Generator::seeded(0), second = Generator::seeded(0);
  std::vector<std::vector<Card>> seats_a(2), seats_b(2);
  std::vector<Card> board_a, board_b;
  for (int i = 0; i < 50; ++i) {
    const bool a = rejection_draw(spot.plan, first, seats_a, board_a);
    ASSERT_EQ(a, rejection_draw(spot.plan, second, seats_b, board_b));
    if (a) {
      EXPECT_EQ(seats_a, seats_b);
      EXPECT_EQ(board_a, board_b);
    }
  }
}

TEST(DealPlan, DrawOrderOwnMasksAndLogarithms) {
  const CardMask live = kAll & ~bit(0);
  const auto spot = make_plan(
      {{{kAll, kAll}}, {{bit(kAceSpades), kKings}, {bit(kAceSpades), kQueens}}, {{kAces, kAces}}},
      std::vector<CardMask>(5, kAll), live);
  // Freedom: 102, 1 + 4, 8, and the board 255; the stable sort keeps ties in index order.
  EXPECT_EQ(spot.plan.draw_order, (std::vector<std::size_t>{1, 2, 0, 3}));
  EXPECT_EQ(spot.plan.own[1], bit(kAceSpades));
  EXPECT_EQ(spot.plan.reserved, bit(kAceSpades));
  // The third seat may not take the ace of spades: C(3, 2) hands remain.
  EXPECT_DOUBLE_EQ(spot.plan.log_weights[2][0], std::log(3.0));
  EXPECT_DOUBLE_EQ(spot.plan.log_weights[3][0], std::log(static_cast<double>(binomial(50, 5))));
  EXPECT_EQ(spot.plan.seat_plans[1].size(), 2u);
}

// The budget counts what the plans and shapes hold as they are built: a plan within it is the
// plan built without one, and a budget one byte short of what an alternative needs refuses it.
TEST(DealPlan, WithinABudgetOrNothing) {
  const std::vector<cards::SeatAlternatives> seats = {{{kAces, kAll}, {kKings, kQueens}},
                                                      {{bit(kAceSpades), bit(kAceHearts)}}};
  const std::vector<CardMask> board(5, kAll);
  const DealPlan plain = plan_deal(seats, board, kAll);
  std::size_t needed = 0;
  for (const auto& plans : plain.seat_plans) {
    for (const DrawPlan& plan : plans) needed += footprint(plan);
  }
  for (const auto& shapes : plain.shapes) {
    for (const auto& shape : shapes) needed += sizeof(shape) + (shape ? shape->footprint() : 0);
  }
  const auto within = plan_deal_within(seats, board, kAll, needed + footprint(plain.board_plan));
  ASSERT_TRUE(within);
  EXPECT_EQ(within->draw_order, plain.draw_order);
  EXPECT_EQ(within->weighted, plain.weighted);
  EXPECT_EQ(within->seat_plans[0][1].listed_masks, plain.seat_plans[0][1].listed_masks);
  EXPECT_FALSE(plan_deal_within(seats, board, kAll, footprint(plain.seat_plans[0][0]) - 1));
  EXPECT_FALSE(plan_deal_within(seats, board, kAll, needed / 2));
}

// A plan that lists its card sets holds them: one card from each suit is 13^4 sets of four
// cards, well over a hundred kilobytes, where a named hand takes a few hundred bytes.
TEST(DealPlan, AListedPlanHoldsItsSets) {
  CardMask suits[4] = {};
  for (Card card = 0; card < 52; ++card) suits[card % 4] |= bit(card);
  const std::vector<CardMask> one_of_each(suits, suits + 4);
  const DrawPlan listed = build_plan(one_of_each, kAll);
  ASSERT_EQ(listed.kind, PlanKind::Listed);
  EXPECT_GE(footprint(listed), 28'561u * (4 + sizeof(CardMask)));
  const std::vector<CardMask> named = {bit(0), bit(5), bit(10), bit(15)};
  EXPECT_LT(footprint(build_plan(named, kAll)), 1000u);
}

TEST(Pilot, NamedCardsChooseRejection) {
  const auto spot = make_plan({{{bit(kAceSpades), bit(kAceHearts)}}, {{bit(0), bit(5)}}},
                              std::vector<CardMask>(5, kAll), kAll);
  EXPECT_FALSE(spot.plan.weighted);
}

TEST(Pilot, CrowdedSeatsChooseWeighted) {
  // Five seats want two of the twelve aces, kings and queens each: almost every independent
  // draw collides, while the weighted sampler never does.
  const CardMask crowd = kAces | kKings | kQueens;
  const std::vector<std::vector<CardMask>> seat{{crowd, crowd}};
  const auto spot = make_plan({seat, seat, seat, seat, seat}, {}, kAll);
  EXPECT_TRUE(spot.plan.weighted);
}

TEST(Pilot, AlternativeWithoutShapeForcesRejection) {
  // Eight slots with scattered signatures exceed the pattern limit: not weightable.
  std::vector<CardMask> slots(8);
  for (Card card = 0; card < 52; ++card) {
    const unsigned signature = (card * 37u + 11u) % 255u + 1u;
    for (unsigned i = 0; i < 8; ++i) {
      if ((signature >> i) & 1) slots[i] |= bit(card);
    }
  }
  const CardMask crowd = kAces | kKings | kQueens;
  const std::vector<std::vector<CardMask>> seat{{crowd, crowd}};
  const auto spot = make_plan({seat, seat, seat, seat, seat, {slots}}, {}, kAll);
  EXPECT_TRUE(std::isnan(spot.plan.log_weights[5][0]));
  EXPECT_FALSE(spot.plan.weighted);
}

}  // namespace
}  // namespace vantor::sampler

namespace vantor::sampler {
namespace {

// Where the pilot's choice is known without drawing, every draw of its trial must succeed (with
// weight 1), which is what makes it pick the rejection sampler.
TEST(Pilot, CertainRejectionNeverFailsADraw) {
  const std::vector<CardMask> free_board(5, kAll);
  const std::vector<PlannedDeal> spots = {
      make_plan({{{bit(kAceSpades), bit(kAceHearts)}}, {{bit(0), bit(5)}}}, free_board, kAll),
      make_plan({{{bit(kAceSpades), bit(kAceHearts)}}, {{bit(0), bit(5)}}},
                {bit(9), bit(13), kAll, kAll, kAll}, kAll & ~bit(20)),
      make_plan({{{bit(1), bit(2), bit(3)}}, {{bit(4), bit(8), bit(12)}}, {{bit(16), bit(30)}}}, {},
                kAll),
      // Only the named cards and three more are live: the board's wildcards just fit.
      make_plan({{{bit(0), bit(1)}}, {{bit(2), bit(3)}}}, {bit(4), bit(5), kAll, kAll, kAll},
                0x1FF)};
  for (const PlannedDeal& spot : spots) {
    ASSERT_TRUE(rejection_is_certain(spot.plan));
    EXPECT_FALSE(spot.plan.weighted);
    Generator generator = Generator::seeded(kPilotSeed);
    std::vector<std::vector<Card>> seats(spot.plan.seat_count);
    std::vector<Card> board;
    for (int trial = 0; trial < 800; ++trial) {
      const auto weight = weighed_rejection_draw(spot.plan, generator, seats, board);
      ASSERT_TRUE(weight.has_value()) << trial;
      EXPECT_EQ(*weight, 1.0);
    }
  }
}

// A plan the rejection sampler is certain for leaves the weighted sampler's tables out; built
// afterwards they are what the samplers read from a plan that built them at once: no entry needs
// a proposal norm (as the plan assumed without them), each stored logarithm counts the entry's
// feasible sets, and the weighted sampler deals every valid deal alike, with weight 1.
TEST(DealPlan, ShapeTablesBuiltWhenForced) {
  const std::vector<PlannedDeal> spots = {
      // Seven cards besides the named ones are live: an open board has 21 deals.
      make_plan({{{bit(kAceSpades), bit(kAceHearts)}}, {{bit(0), bit(5)}}},
                std::vector<CardMask>(5, kAll), bit(kAceSpades) | bit(kAceHearts) | 0x1FE1),
      make_plan({{{bit(1), bit(2), bit(3)}}, {{bit(4), bit(8), bit(12)}}, {{bit(16), bit(30)}}}, {},
                kAll),
      // Six cards nobody names are live: the board's two wildcards make fifteen deals.
      make_plan({{{bit(0), bit(1)}}, {{bit(2), bit(3)}}}, {bit(4), bit(5), bit(6), kAll, kAll},
                0x1FFF)};
  for (PlannedDeal spot : spots) {
    ASSERT_TRUE(rejection_is_certain(spot.plan));
    ASSERT_FALSE(spot.plan.has_shape_tables());
    Generator generator = Generator::seeded(3);
    std::vector<std::vector<Card>> seats(spot.plan.seat_count);
    std::vector<Card> board;
    WeightedScratch scratch;
    EXPECT_FALSE(weighted_draw(spot.plan, generator, seats, board, scratch));

    complete_shape_tables(spot.plan, spot.seats, spot.board);
    ASSERT_TRUE(spot.plan.has_shape_tables());
    EXPECT_FALSE(spot.plan.rejection_weights);
    EXPECT_EQ(spot.plan.proposal_norms, std::vector<double>(spot.plan.seat_count + 1, 0.0));
    for (std::size_t entry = 0; entry <= spot.plan.seat_count; ++entry) {
      const auto& masks = entry < spot.plan.seat_count ? spot.seats[entry][0] : spot.board;
      const CardMask admissible = spot.live & (spot.plan.own[entry] | ~spot.plan.reserved);
      const double sets = masks.empty() ? 1.0 : feasible_sets(masks, admissible).size();
      EXPECT_DOUBLE_EQ(spot.plan.log_weights[entry].at(0), std::log(sets)) << entry;
    }

    const auto deals = enumerate_deals(spot);
    std::map<std::vector<CardMask>, double> probability;
    for (const auto& deal : deals)
      probability[deal.hands] = 1.0 / static_cast<double>(deals.size());
    const bool with_board = spot.plan.board_size != 0;
    const long draws = 4000;
    std::map<std::vector<CardMask>, long> observed;
    for (long i = 0; i < draws; ++i) {
      const auto weight = weighted_draw(spot.plan, generator, seats, board, scratch);
      ASSERT_TRUE(weight);
      EXPECT_NEAR(*weight, 1.0, 1e-12);
      ++observed[hands_of(seats, board, with_board)];
    }
    EXPECT_TRUE(only_expected_keys(probability, observed));
    if (deals.size() > 1) {
      EXPECT_TRUE(frequencies_match(probability, observed, draws));
    }
  }
}

TEST(Pilot, NotCertainWithWildcardsAlternativesOrBoardMasks) {
  const std::vector<CardMask> free_board(5, kAll);
  const std::vector<CardMask> named{bit(0), bit(5)};
  EXPECT_FALSE(
      rejection_is_certain(make_plan({{{bit(kAceSpades), kAll}}, {named}}, free_board, kAll).plan));
  EXPECT_FALSE(rejection_is_certain(
      make_plan({{{bit(kAceSpades), bit(kAceHearts)}, {bit(7), bit(11)}}, {named}}, free_board,
                kAll)
          .plan));
  EXPECT_FALSE(
      rejection_is_certain(make_plan({{named}}, {kAces, kAll, kAll, kAll, kAll}, kAll).plan));
  // Too few live cards for the board's wildcards.
  EXPECT_FALSE(rejection_is_certain(
      make_plan({{{bit(0), bit(1)}}, {{bit(2), bit(3)}}}, {bit(4), bit(5), kAll, kAll, kAll}, 0xFF)
          .plan));
}

}  // namespace
}  // namespace vantor::sampler
