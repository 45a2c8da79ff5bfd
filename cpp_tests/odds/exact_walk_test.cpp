// The exact walk against a plain walk: every seat's hands and every board listed with the
// completion listing, each deal assembled and scored by the showdown and added to a tally one by
// one. The walk's own scoring (summaries, last-card loops, outcome counting) must give the same
// tally on spots of every game.

#include "odds/exact_walk.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "odds/chunk.hpp"
#include "odds/prepared_request.hpp"
#include "sampler/draw.hpp"
#include "variants/equity.hpp"
#include "variants/showdown.hpp"
#include "variants/showdown_reference.hpp"

namespace vantor::odds {
namespace {

using cards::Card;
using cards::CardMask;
using Seat = std::vector<std::vector<CardMask>>;

constexpr CardMask kAll = cards::kFullDeck;
constexpr std::uint64_t kNoCap = ~std::uint64_t{0};

CardMask card(std::string_view name) { return cards::card_bit(*cards::card_index(name)); }
CardMask rank(int r) { return CardMask{0xF} << (4 * r); }
CardMask suit(int s) {
  CardMask mask = 0;
  for (int r = 0; r < 13; ++r) mask |= cards::card_bit(static_cast<Card>(4 * r + s));
  return mask;
}

std::vector<CardMask> hand(std::string_view text) {
  std::vector<CardMask> masks;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) masks.push_back(card(text.substr(i, 2)));
  return masks;
}

struct Spot {
  const char* name;
  const char* game;
  std::vector<Seat> seats;      // completed to the hole-card count by the test
  std::vector<CardMask> board;  // completed with wildcards to board_size
  std::size_t hole;
  std::size_t board_size;
  CardMask dead = 0;
};

void PrintTo(const Spot& spot, std::ostream* os) { *os << spot.name; }

PreparedRequest prepare(const Spot& spot) {
  const auto& game = **variants::find_variant(spot.game);
  PreparedRequest r;
  r.seats = spot.seats;
  for (auto& seat : r.seats) {
    for (auto& alternative : seat) alternative.resize(spot.hole, kAll);
  }
  r.board = spot.board;
  r.board.resize(spot.board_size, kAll);
  r.deal = sampler::plan_deal(r.seats, r.board, game.deck & ~spot.dead);
  return r;
}

// The plain walk: lists, assembles, scores and adds every deal one at a time.
ChunkTally plain_walk(const variants::Variant& game, const PreparedRequest& r) {
  ChunkTally tally(r.deal.seat_count);
  tally.exact = true;
  std::vector<std::vector<std::vector<Card>>> candidates(r.deal.seat_count);
  for (std::size_t seat = 0; seat < r.deal.seat_count; ++seat) {
    for (const auto& plan : r.deal.seat_plans[seat]) {
      auto listed = sampler::list_completions(plan, r.deal.live, kNoCap);
      for (auto& h : listed.hands) candidates[seat].push_back(std::move(h));
    }
  }
  std::vector<std::vector<Card>> chosen(r.deal.seat_count);
  std::vector<double> share(r.deal.seat_count), low_share(r.deal.seat_count);
  const auto score_all = [&](CardMask available) {
    std::vector<std::vector<Card>> boards{{}};
    if (r.deal.board_size > 0)
      boards = sampler::list_completions(r.deal.board_plan, available, kNoCap).hands;
    std::vector<std::span<const Card>> seats(chosen.begin(), chosen.end());
    for (const auto& board : boards) {
      std::fill(share.begin(), share.end(), 0.0);
      std::fill(low_share.begin(), low_share.end(), 0.0);
      variants::PotShares shares{share, low_share};
      variants::with_showdown(game, [&](auto showdown) {
        ASSERT_TRUE(variants::ReferenceShowdown<decltype(showdown)>::score(
            {seats, board}, shares, rankings::fast_tables()));
      });
      tally.add(share, low_share, 1.0);
    }
  };
  const auto walk = [&](auto& self, std::size_t seat, CardMask available) -> void {
    if (seat == r.deal.seat_count) return score_all(available);
    for (const auto& candidate : candidates[seat]) {
      CardMask mask = 0;
      for (const Card c : candidate) mask |= cards::card_bit(c);
      if (std::popcount(mask) != static_cast<int>(candidate.size()) || (mask & ~available))
        continue;
      chosen[seat] = candidate;
      self(self, seat + 1, available & ~mask);
    }
  };
  walk(walk, 0, r.deal.live);
  return tally;
}

void expect_same(const std::vector<double>& walk, const std::vector<double>& plain,
                 const char* what) {
  ASSERT_EQ(walk.size(), plain.size());
  for (std::size_t i = 0; i < walk.size(); ++i) {
    EXPECT_NEAR(walk[i], plain[i], 1e-9 * std::max(1.0, std::abs(plain[i])))
        << what << " seat " << i;
  }
}

class ExactWalkTest : public ::testing::TestWithParam<Spot> {};

TEST_P(ExactWalkTest, MatchesThePlainWalk) {
  const Spot& spot = GetParam();
  const auto& game = **variants::find_variant(spot.game);
  const PreparedRequest r = prepare(spot);
  const auto walked = walk_exactly(game, r);
  ASSERT_TRUE(walked);
  ASSERT_TRUE(walked->has_value()) << "declined";
  const ChunkTally& tally = **walked;
  const ChunkTally plain = plain_walk(game, r);
  ASSERT_GT(plain.samples, 0u);
  EXPECT_EQ(tally.samples, plain.samples);
  EXPECT_TRUE(tally.exact);
  EXPECT_EQ(tally.attempts, 0u);
  EXPECT_EQ(tally.weight_sum, static_cast<double>(plain.samples));
  EXPECT_EQ(tally.weight_square_sum, static_cast<double>(plain.samples));
  for (std::size_t k = 0; k < kSeatSumCount; ++k) {
    expect_same(tally.sums[k], plain.sums[k], kSeatSumNames[k]);
  }
}

const CardMask kClubs = suit(0), kHearts = suit(2);
const CardMask kAces = rank(12), kKings = rank(11), kFives = rank(3);

INSTANTIATE_TEST_SUITE_P(
    EveryGame, ExactWalkTest,
    ::testing::Values(
        Spot{"holdem_named_flop", "holdem", {{hand("AhKh")}, {hand("QsQd")}}, hand("2c7dTs"), 2, 5},
        Spot{"holdem_wildcard_seat_turn",
             "holdem",
             {{hand("AhKh")}, {{kAll, kAll}}, {hand("7c7d")}},
             hand("Ts9s2dJh"),
             2,
             5},
        Spot{"holdem_alternatives_dead_ace",
             "holdem",
             {{{kAces, kAll}}, {hand("KcKd"), hand("QcQd")}},
             hand("Ts9s2d"),
             2,
             5,
             card("Ah")},
        Spot{"holdem_suited_wildcards_four_seats",
             "holdem",
             {{hand("AhKh")}, {{kHearts, kHearts}}, {hand("2c2d")}, {hand("3c3d")}},
             hand("Th9h4s5c"),
             2,
             5},
        Spot{"holdem_board_masks",
             "holdem",
             {{hand("AhKh")}, {hand("AdKd")}},
             {kAces, card("Ks"), kAll, card("2c")},
             2,
             5},
        Spot{"short_deck_named_flop",
             "short_deck",
             {{hand("AhKh")}, {hand("QsQd")}},
             hand("6c7dTs"),
             2,
             5},
        Spot{"short_deck_wildcard_seat_turn",
             "short_deck",
             {{hand("AhKh")}, {{kAll, kAll}}},
             hand("6c7dTsJs"),
             2,
             5},
        Spot{"omaha_named_turn",
             "omaha",
             {{hand("AhKhQsJd")}, {hand("9c8c7d6d")}},
             hand("Ts9s2dJh"),
             4,
             5},
        Spot{"omaha_wildcard_seat_river",
             "omaha",
             {{hand("AhKhQsJd")}, {{kAll, kAll, kAll, kAll}}},
             hand("Ts9s2dJh3c"),
             4,
             5},
        Spot{"omaha_hi_lo_three_seats_turn",
             "omaha_hi_lo",
             {{hand("AhKh2s3d")}, {hand("9c8c7d6d")}, {hand("Ac2c4h5h")}},
             hand("Ts9s2dJh"),
             4,
             5},
        Spot{"omaha_hi_lo_wildcard_seat_river",
             "omaha_hi_lo",
             {{hand("AhKh2s3d")}, {{kAll, kAll, kAll, kAll}}},
             hand("Ts9s2dJh7c"),
             4,
             5},
        Spot{"omaha_five_named_turn",
             "omaha_five",
             {{hand("AhKhQsJd2c")}, {hand("9c8c7d6d5h")}},
             hand("Ts9s2dJh"),
             5,
             5},
        Spot{"omaha_five_hi_lo_named_turn",
             "omaha_five_hi_lo",
             {{hand("AhKh2s3dQc")}, {hand("9c8c7d6d5h")}},
             hand("Ts4s2dJh"),
             5,
             5},
        Spot{"courchevel_named_flop",
             "courchevel",
             {{hand("AhKhQsJd2c")}, {hand("9c8c7d6d5h")}},
             hand("Ts9s2d"),
             5,
             5},
        Spot{"courchevel_hi_lo_named_flop",
             "courchevel_hi_lo",
             {{hand("AhKh2s3dQc")}, {hand("9c8c7d6d5h")}},
             hand("Ts4s2d"),
             5,
             5},
        Spot{"omaha_six_named_turn",
             "omaha_six",
             {{hand("AhKhQsJd2c3c")}, {hand("9c8c7d6d5h4h")}},
             hand("Ts9s2dJh"),
             6,
             5},
        Spot{"stud_three_seats",
             "stud",
             {{hand("AhKhQsJd2c3d")}, {hand("9c8c7d6d5h4h")}, {hand("2s2d3hTcTd")}},
             {},
             7,
             0},
        Spot{"stud_suit_masks",
             "stud",
             {{hand("AhKhQsJd2c3d")},
              {{card("9c"), card("8c"), card("7d"), card("6d"), kClubs, kClubs}}},
             {},
             7,
             0},
        // Eight seats: six cards each and one shared card.
        Spot{"stud_eight_seats_share_a_card",
             "stud",
             {{hand("AhAd2c3d4h5s")},
              {hand("KhKd2d3h4s5c")},
              {hand("QhQd2h3s4c5d")},
              {hand("JhJd2s3c4d5h")},
              {hand("ThTd6c7d8h9s")},
              {hand("9h9d6d7h8s9c")},
              {hand("8d8c6h7s6s7c")},
              {hand("AcKcQcJcTc")}},
             {},
             6,
             1},
        Spot{"stud_hi_lo_rank_mask",
             "stud_hi_lo",
             {{hand("Ah2h3s4d9cKd")},
              {hand("9d8c7d6d5hKs")},
              {{card("2c"), card("3c"), card("4c"), card("Qd"), card("Jh"), kFives}}},
             {},
             7,
             0},
        Spot{"stud_hi_lo_dead_cards",
             "stud_hi_lo",
             {{hand("AhKh3sKd9c")}, {hand("9d8c7d6dTh")}},
             {},
             7,
             0,
             card("2c") | card("3d")},
        Spot{"razz_named", "razz", {{hand("Ah2h3s4d9cKd")}, {hand("Kc8c7d6d5hQs")}}, {}, 7, 0},
        Spot{"razz_alternatives_dead_card",
             "razz",
             {{hand("Ah2h3s4d9c"), hand("KhKd3c4c9d")},
              {{card("Jc"), card("Qc"), card("Tc"), card("Td"), card("Th"), kFives}}},
             {},
             7,
             0,
             card("5d")},
        Spot{"deuce_seven_three_seats",
             "deuce_seven",
             {{hand("7h5d4c3s")}, {hand("8c6d4h2s")}, {hand("9h8d6s")}},
             {},
             5,
             0},
        Spot{"five_card_draw_suit_mask",
             "five_card_draw",
             {{hand("AhAdKcQs")},
              {hand("9c9dTh8s")},
              {{card("2s"), card("3s"), card("4d"), kHearts}}},
             {},
             5,
             0},
        Spot{"badugi_three_seats",
             "badugi",
             {{hand("Ah2d3c")}, {hand("4h5d6c")}, {hand("7s8s")}},
             {},
             4,
             0},
        // Two alternatives allowing the same card set: the set counts once for each.
        Spot{"badugi_alternatives_allow_one_set",
             "badugi",
             {{hand("Ah2d3c"), {card("Ah"), card("2d"), rank(1)}}, {hand("4h5d6c")}},
             {},
             4,
             0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExactWalk, SeatsMultiplyingPastTheLimitDecline) {
  const auto& game = **variants::find_variant("holdem");
  const Seat wild{{kAll, kAll}};
  const PreparedRequest r =
      prepare({"three_wildcard_seats", "holdem", {wild, wild, wild}, {}, 2, 5});
  const auto walked = walk_exactly(game, r);
  ASSERT_TRUE(walked);
  EXPECT_FALSE(walked->has_value());
}

TEST(ExactWalk, DealsPastTheBudgetDecline) {
  // 1326 hands against one named hand multiply to well under the limit, but each pair of hands
  // leaves C(46, 5) boards.
  const auto& game = **variants::find_variant("holdem");
  const PreparedRequest r =
      prepare({"wildcard_against_named", "holdem", {{{kAll, kAll}}, {hand("AhKh")}}, {}, 2, 5});
  const auto walked = walk_exactly(game, r);
  ASSERT_TRUE(walked);
  EXPECT_FALSE(walked->has_value());
}

TEST(ExactWalk, PreflopHeadsUpWalksEveryBoard) {
  const auto& game = **variants::find_variant("holdem");
  const PreparedRequest r =
      prepare({"named_preflop", "holdem", {{hand("AhKh")}, {hand("QsQd")}}, {}, 2, 5});
  const auto walked = walk_exactly(game, r);
  ASSERT_TRUE(walked && walked->has_value());
  EXPECT_EQ((*walked)->samples, 1'712'304u);  // C(48, 5)
  const double shares = (*walked)->sum(SeatSum::ShareSum)[0] + (*walked)->sum(SeatSum::ShareSum)[1];
  EXPECT_NEAR(shares, 1'712'304.0, 1e-6);
}

}  // namespace
}  // namespace vantor::odds
