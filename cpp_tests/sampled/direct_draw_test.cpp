#include "sampled/direct_draw.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <vector>

#include "sampler/deal.hpp"
#include "sampler/support.hpp"
#include "variants/deal_scorer.hpp"

namespace vantor::odds {
namespace {

using cards::Card;
using cards::CardMask;
using sampler::CardPicking;
using sampler::Generator;
using sampler::testing::make_plan;
using sampler::testing::PickingForTest;

constexpr CardMask kAll = cards::kFullDeck;
constexpr CardMask bit(unsigned card) { return CardMask{1} << card; }

bool same_summary(const variants::CardSummary& a, const variants::CardSummary& b) {
  return a.code == b.code && a.suit_ranks == b.suit_ranks;
}

// The direct draw compiled for the request's own plans, as the sampling loop calls it.
template <CardPicking kPicking, bool kLists>
bool draw_as_planned(const DirectDraw& direct, Generator& generator,
                     std::vector<variants::CardSummary>& seats, variants::CardSummary& board,
                     std::array<HandList, variants::kMostSeats + 1>& lists) {
  switch (direct.plans()) {
    case PlanLevel::NamedAndWild:
      return direct.draw<kPicking, PlanLevel::NamedAndWild, kLists>(generator, seats.data(), board,
                                                                    lists.data());
    case PlanLevel::Listed:
      return direct.draw<kPicking, PlanLevel::Listed, kLists>(generator, seats.data(), board,
                                                              lists.data());
    case PlanLevel::Overlapping:
      break;
  }
  return direct.draw<kPicking, PlanLevel::Overlapping, kLists>(generator, seats.data(), board,
                                                               lists.data());
}

class DirectDrawBothWays : public ::testing::TestWithParam<CardPicking> {};

// Requests the direct draw takes, drawn both ways from the same seed: the direct draw
// must fail exactly where the rejection sampler's does, leave the generator exactly where it
// does, and hold the same cards in each seat and on the board.
TEST_P(DirectDrawBothWays, DrawsTheRejectionSamplersDealsToTheBit) {
  const PickingForTest picking(GetParam());
  if (!picking.available()) GTEST_SKIP() << "no fast pdep";
  Generator shapes = Generator::seeded(33);
  const auto named = [&]() { return bit(static_cast<unsigned>(shapes.next() % 52)); };
  int compared = 0, failed = 0, simple_rounds = 0, by_ranges = 0;
  for (int round = 0; round < 300; ++round) {
    // Each seat a range of named hands, named cards then wildcards, wildcards only, or one or two
    // slots of a rank or a suit (disjoint or not) then wildcards; the board named cards then
    // wildcards, or none.
    const std::size_t seat_count = 2 + shapes.next() % 4, hole = 2 + shapes.next() % 3;
    std::vector<cards::SeatAlternatives> seats(seat_count);
    const auto rank_or_suit = [&]() -> CardMask {
      return shapes.next() % 2 ? CardMask{0xF} << (4 * (shapes.next() % 13))
                               : 0x1111111111111ull << (shapes.next() % 4);
    };
    for (auto& seat : seats) {
      const auto kind = shapes.next() % 4;
      seat.resize(kind == 0 ? 1 + shapes.next() % 4 : 1);
      const std::size_t named_count = kind == 0 ? hole : kind == 1 ? shapes.next() % hole : 0;
      const std::size_t constrained_count = kind == 3 ? 1 + shapes.next() % 2 : 0;
      for (auto& alternative : seat) {
        for (std::size_t i = 0; i < hole; ++i) {
          alternative.push_back(i < named_count         ? named()
                                : i < constrained_count ? rank_or_suit()
                                                        : kAll);
        }
      }
    }
    std::vector<CardMask> board(shapes.next() % 3 ? 5 : 0, kAll);
    const std::size_t board_named = shapes.next() % 4;
    for (std::size_t i = 0; i < board.size() && i < board_named; ++i) board[i] = named();
    // A few dead cards now and then, so that named cards can be missing from the deck.
    const CardMask live = round % 4 == 3 ? kAll & ~(shapes.next() & shapes.next()) : kAll;
    const auto spot = make_plan(seats, board, live);
    const auto direct = DirectDraw::of(spot.plan);
    if (spot.plan.deals_carry_weights()) {
      EXPECT_FALSE(direct) << round;
      continue;
    }
    // A named card that is dead, or named twice, leaves a slot nothing can fill: such plans are
    // not of the kinds the direct draw takes, and stay with the general loop.
    if (!direct) continue;
    ++simple_rounds;
    Generator fast = Generator::seeded(static_cast<std::uint64_t>(round));
    Generator plain = fast;
    std::vector<std::vector<Card>> seat_cards(seat_count);
    std::vector<Card> board_cards;
    std::vector<variants::CardSummary> summaries(seat_count);
    variants::CardSummary board_summary;
    std::array<HandList, variants::kMostSeats + 1> lists{};
    for (int deal = 0; deal < 60; ++deal) {
      // One deal in three also lists the cards, as the rules scored from cards ask; another, for
      // a request with ranges of named hands, is drawn with kRanges.
      const bool listed = deal % 3 == 1;
      const bool ranges = deal % 3 == 2 && direct->ranges();
      const bool deposit = GetParam() == CardPicking::Deposit;
      by_ranges += ranges ? 1 : 0;
      const bool fast_ok =
          ranges
              ? (deposit
                     ? direct->draw<CardPicking::Deposit, PlanLevel::NamedAndWild, false, true>(
                           fast, summaries.data(), board_summary)
                     : direct->draw<CardPicking::Broadword, PlanLevel::NamedAndWild, false, true>(
                           fast, summaries.data(), board_summary))
          : listed ? (deposit ? draw_as_planned<CardPicking::Deposit, true>(
                                    *direct, fast, summaries, board_summary, lists)
                              : draw_as_planned<CardPicking::Broadword, true>(
                                    *direct, fast, summaries, board_summary, lists))
                   : (deposit ? draw_as_planned<CardPicking::Deposit, false>(
                                    *direct, fast, summaries, board_summary, lists)
                              : draw_as_planned<CardPicking::Broadword, false>(
                                    *direct, fast, summaries, board_summary, lists));
      const bool plain_ok = sampler::rejection_draw(spot.plan, plain, seat_cards, board_cards);
      ASSERT_EQ(fast_ok, plain_ok) << round << " " << deal;
      ASSERT_EQ(fast.state(), plain.state()) << round << " " << deal;
      if (listed && plain_ok) {
        // Listed in the same order, for every entry whose cards can change between deals.
        for (std::size_t seat = 0; seat < seat_count; ++seat) {
          const auto& alternatives = seats[seat];
          const bool one_named_hand =
              alternatives.size() == 1 &&
              std::all_of(alternatives[0].begin(), alternatives[0].end(),
                          [](CardMask slot) { return std::popcount(slot) == 1; });
          if (one_named_hand) continue;
          ASSERT_EQ(std::vector<Card>(lists[seat].begin(), lists[seat].begin() + hole),
                    seat_cards[seat])
              << round << " " << deal << " seat " << seat;
        }
        ASSERT_EQ(
            std::vector<Card>(lists[seat_count].begin(), lists[seat_count].begin() + board.size()),
            board_cards)
            << round << " " << deal;
      }
      if (!plain_ok) {
        ++failed;
        continue;
      }
      for (std::size_t seat = 0; seat < seat_count; ++seat) {
        ASSERT_TRUE(same_summary(summaries[seat], variants::summarize(seat_cards[seat])))
            << round << " " << deal << " seat " << seat;
      }
      ASSERT_TRUE(same_summary(board_summary, variants::summarize(board_cards)))
          << round << " " << deal;
      ++compared;
    }
  }
  // Enough deals of both kinds for the comparison to mean something.
  EXPECT_GT(compared, 2000);
  EXPECT_GT(failed, 100);
  EXPECT_GT(simple_rounds, 150);
  EXPECT_GT(by_ranges, 500);
}

INSTANTIATE_TEST_SUITE_P(Picking, DirectDrawBothWays,
                         ::testing::Values(CardPicking::Broadword, CardPicking::Deposit));

class FixedSeatsBothWays : public ::testing::TestWithParam<CardPicking> {};

// Every seat one named hand: draw_board() against the rejection sampler from the same seed, on
// boards of named cards then wildcards (or none), with dead cards now and then. Where some named
// card is dead or named twice every deal fails, and the request must not be taken this way.
TEST_P(FixedSeatsBothWays, DrawsTheRejectionSamplersBoardsToTheBit) {
  const PickingForTest picking(GetParam());
  if (!picking.available()) GTEST_SKIP() << "no fast pdep";
  Generator shapes = Generator::seeded(71);
  int compared = 0, declined = 0;
  for (int round = 0; round < 200; ++round) {
    const std::size_t seat_count = 2 + shapes.next() % 5, hole = 2 + shapes.next() % 3;
    // Cards drawn from a shuffled prefix of the deck: distinct, unless a round repeats one.
    std::vector<unsigned> deck(52);
    for (unsigned card = 0; card < 52; ++card) deck[card] = card;
    for (unsigned i = 51; i > 0; --i) std::swap(deck[i], deck[shapes.next() % (i + 1)]);
    if (round % 10 == 9) deck[1] = deck[0];
    std::size_t next = 0;
    std::vector<cards::SeatAlternatives> seats(seat_count);
    for (auto& seat : seats) {
      seat.resize(1);
      for (std::size_t i = 0; i < hole; ++i) seat[0].push_back(bit(deck[next++]));
    }
    std::vector<CardMask> board(shapes.next() % 4 ? 5 : 0, kAll);
    const std::size_t board_named = shapes.next() % 4;
    for (std::size_t i = 0; i < board.size() && i < board_named; ++i) board[i] = bit(deck[next++]);
    const CardMask live = round % 4 == 3 ? kAll & ~(shapes.next() & shapes.next()) : kAll;
    const auto spot = make_plan(seats, board, live);
    const auto direct = DirectDraw::of(spot.plan);
    if (!direct || !direct->fixed_seats()) {
      // Declined only where no deal can be drawn.
      Generator plain = Generator::seeded(5);
      std::vector<std::vector<Card>> seat_cards(seat_count);
      std::vector<Card> board_cards;
      EXPECT_FALSE(sampler::rejection_draw(spot.plan, plain, seat_cards, board_cards)) << round;
      ++declined;
      continue;
    }
    Generator fast = Generator::seeded(static_cast<std::uint64_t>(round));
    Generator plain = fast;
    std::vector<std::vector<Card>> seat_cards(seat_count);
    std::vector<Card> board_cards;
    variants::CardSummary board_summary;
    HandList board_list{};
    for (int deal = 0; deal < 40; ++deal) {
      const bool listed = deal % 2 == 1;
      if (GetParam() == CardPicking::Deposit) {
        listed ? direct->draw_board<CardPicking::Deposit, true>(fast, board_summary, &board_list)
               : direct->draw_board<CardPicking::Deposit>(fast, board_summary);
      } else {
        listed ? direct->draw_board<CardPicking::Broadword, true>(fast, board_summary, &board_list)
               : direct->draw_board<CardPicking::Broadword>(fast, board_summary);
      }
      ASSERT_TRUE(sampler::rejection_draw(spot.plan, plain, seat_cards, board_cards))
          << round << " " << deal;
      ASSERT_EQ(fast.state(), plain.state()) << round << " " << deal;
      for (std::size_t seat = 0; seat < seat_count; ++seat) {
        ASSERT_TRUE(same_summary(direct->fixed_seat(seat), variants::summarize(seat_cards[seat])))
            << round << " " << deal << " seat " << seat;
      }
      ASSERT_TRUE(same_summary(board_summary, variants::summarize(board_cards)))
          << round << " " << deal;
      if (listed) {
        ASSERT_EQ(std::vector<Card>(board_list.begin(), board_list.begin() + board.size()),
                  board_cards)
            << round << " " << deal;
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 4000);
  EXPECT_GT(declined, 20);
}

INSTANTIATE_TEST_SUITE_P(Picking, FixedSeatsBothWays,
                         ::testing::Values(CardPicking::Broadword, CardPicking::Deposit));

TEST(DirectDraw, TakesNamedWildAndListedPlansOnly) {
  constexpr CardMask kAces = 0xF000000000000, kKings = 0x0F00000000000;
  constexpr CardMask kSpades = 0x8888888888888, kNoAce = kAll & ~kAces;
  const std::vector<CardMask> open_board(5, kAll);
  const auto plans = [&](std::vector<CardMask> hand) -> std::optional<PlanLevel> {
    const std::vector<CardMask> other(hand.size(), kAll);
    const auto direct = DirectDraw::of(make_plan({{hand}, {other}}, open_board, kAll).plan);
    if (!direct) return std::nullopt;
    return direct->plans();
  };
  EXPECT_EQ(plans({bit(51), kAll, kAll, kAll}), PlanLevel::NamedAndWild);
  EXPECT_EQ(plans({kAces, kAll, kAll, kAll}), PlanLevel::Listed);  // one constrained slot
  EXPECT_EQ(plans({kAces, kKings, kAll, kAll}), PlanLevel::Listed);
  EXPECT_EQ(plans({kAces, kAces, kAll, kAll}), PlanLevel::Overlapping);
  EXPECT_EQ(plans({kAces, kSpades, kAll, kAll}), PlanLevel::Overlapping);
  // Too many sets to list (C(48, 5)): a shaped plan, left to the general loop.
  EXPECT_EQ(plans({kNoAce, kNoAce, kNoAce, kNoAce, kNoAce}), std::nullopt);
}

}  // namespace
}  // namespace vantor::odds
