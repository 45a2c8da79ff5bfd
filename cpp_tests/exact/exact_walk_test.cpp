// The exact walk against a plain walk: every seat's hands and every board listed with the
// completion listing, each deal assembled and scored by the showdown and added to a tally one by
// one. The walk's own scoring (summaries, last-card loops, outcome counting) must give the same
// tally on spots of every game.

#include "exact/exact_walk.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "request/prepared_request.hpp"
#include "request/request.hpp"
#include "request/request_masks.hpp"
#include "sampler/draw.hpp"
#include "tally/chunk_tally.hpp"
#include "variants/equity.hpp"
#include "variants/showdown.hpp"
#include "variants/showdown_reference.hpp"

namespace vantor::odds {
namespace {

using namespace testing;

constexpr std::uint64_t kNoCap = ~std::uint64_t{0};

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
  return prepared(spot.game, spot.seats, spot.board, spot.hole, spot.board_size, spot.dead);
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
      variants::with_showdown(
          game,
          [&](auto showdown) {
            ASSERT_TRUE(variants::ReferenceShowdown<decltype(showdown)>::score(
                {seats, board}, shares, rankings::fast_tables()));
          },
          [] { FAIL() << "a game outside the catalogue"; });
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
  const auto walked = walk_exactly(r);
  ASSERT_TRUE(walked) << display(walked.error());
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

// Scoring one deal per class of alike deals and counting it for the whole class gives the tally
// of scoring every deal to the last bit: both fold the same whole-number counts.
TEST_P(ExactWalkTest, ClassesGiveEveryDealsTallyExactly) {
  const Spot& spot = GetParam();
  const PreparedRequest r = prepare(spot);
  const auto by_classes = walk_exactly(r, nullptr, WalkMode::ByClasses);
  const auto every_deal = walk_exactly(r, nullptr, WalkMode::EveryDeal);
  ASSERT_TRUE(by_classes && every_deal);
  ASSERT_TRUE(by_classes->has_value() && every_deal->has_value());
  const ChunkTally& a = **by_classes;
  const ChunkTally& b = **every_deal;
  EXPECT_EQ(a.samples, b.samples);
  EXPECT_EQ(a.attempts, b.attempts);
  EXPECT_EQ(a.exact, b.exact);
  EXPECT_EQ(a.weight_sum, b.weight_sum);
  EXPECT_EQ(a.weight_square_sum, b.weight_square_sum);
  for (std::size_t k = 0; k < kSeatSumCount; ++k) {
    EXPECT_EQ(a.sums[k], b.sums[k]) << kSeatSumNames[k];
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryGame, ExactWalkTest,
    ::testing::Values(
        Spot{"holdem_named_flop", "holdem", {{hand("AhKh")}, {hand("QsQd")}}, hand("2c7dTs"), 2, 5},
        // One deal, which swapping spades and hearts keeps: counted once, with weight 1.
        Spot{"holdem_named_river_kept_by_a_renaming",
             "holdem",
             {{hand("AsAh")}, {hand("KsKh")}},
             hand("2c3d4c5d9c"),
             2,
             5},
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
             0},
        // Requests that renamings of suits keep: the walk scores one deal of each class.
        Spot{"holdem_suited_range_against_pairs_rank_board",
             "holdem",
             {suited(12, 11), pair(10)},
             ranks({0, 5, 7, 9}),
             2,
             5},
        Spot{"holdem_named_hands_two_free_suits",
             "holdem",
             {{hand("AhKh")}, {hand("QsQd")}},
             ranks({0, 5, 7}),
             2,
             5},
        Spot{"holdem_ranges_three_seats_dead_card",
             "holdem",
             {joined(pair(12), suited(12, 11)), offsuit(10, 9), pair(3)},
             ranks({0, 5, 7, 8}),
             2,
             5,
             card("2c")},
        Spot{"holdem_same_hand_twice_wildcard_seat",
             "holdem",
             {{hand("AhKh"), hand("AhKh"), hand("AsKs")}, {{kAll, kAll}}},
             // Hearts and spades named on the board, clubs and diamonds left alike: small enough
             // for the unoptimised, sanitized build to score deal by deal.
             {rank(0), rank(5), rank(7), card("9h"), card("Js")},
             2,
             5},
        Spot{"holdem_rank_masks_suited_board_slots",
             "holdem",
             {{{kAces, kAces}}, {{kKings, kAll}}},
             {kHearts & rank(4), kHearts& rank(6), kClubs& rank(8), rank(9), rank(1)},
             2,
             5},
        Spot{"short_deck_suited_range_against_pairs",
             "short_deck",
             {suited(12, 11), pair(10)},
             ranks({4, 5, 7, 9}),
             2,
             5},
        Spot{"omaha_rank_masks_full_symmetry",
             "omaha",
             {{ranks({12, 12, 11, 11})}, {ranks({9, 9, 8, 8})}},
             ranks({0, 3, 5, 7, 4}),
             4,
             5},
        Spot{"omaha_hi_lo_named_against_rank_masks",
             "omaha_hi_lo",
             {{hand("Ah2h3s4s")}, {ranks({12, 12, 1, 1})}},
             ranks({0, 6, 3, 8, 11}),
             4,
             5},
        Spot{"omaha_five_two_free_suits",
             "omaha_five",
             {{hand("AhKhQsJs2h")}, {ranks({9, 9, 8, 8, 7})}},
             {card("Th"), card("9s"), rank(0), rank(4), rank(6)},
             5,
             5},
        Spot{"courchevel_hi_lo_ranks",
             "courchevel_hi_lo",
             {{ranks({12, 12, 0, 1, 4})}, with({hand("9s8s7s")}, ranks({6, 5}))},
             with({hand("Th3h")}, ranks({11, 2, 9})).front(),
             5,
             5},
        Spot{"omaha_six_ranks",
             "omaha_six",
             {{ranks({12, 12, 11, 11, 10, 9})}, {hand("2h3h4s5s6h7s")}},
             ranks({0, 8, 7, 4, 10}),
             6,
             5},
        Spot{"stud_two_free_suits", "stud", {{hand("AhAsKhKs2h")}, {hand("QhQsJhJs3s")}}, {}, 7, 0},
        Spot{"stud_hi_lo_ranges_of_ranks",
             "stud_hi_lo",
             {{ranks({12, 12, 12, 0, 0, 1, 2})}, {ranks({8, 8, 8, 8, 7, 7, 6})}},
             {},
             7,
             0},
        Spot{"razz_every_suit_free",
             "razz",
             {{ranks({12, 12, 0, 0, 1, 1, 2})},
              {ranks({3, 3, 3, 4, 4, 4, 5})},
              {ranks({6, 6, 6, 6, 7, 7, 7})}},
             {},
             7,
             0},
        Spot{"stud_eight_seats_of_ranks_share_a_card",
             "stud",
             {{ranks({12, 12, 12, 12, 11, 11})},
              {ranks({11, 11, 10, 10, 10, 10})},
              {ranks({9, 9, 9, 9, 8, 8})},
              {ranks({8, 8, 7, 7, 7, 7})},
              {ranks({6, 6, 6, 6, 5, 5})},
              {ranks({5, 5, 4, 4, 4, 4})},
              {ranks({3, 3, 3, 3, 2, 2})},
              {ranks({2, 2, 1, 1, 1, 1})}},
             {},
             6,
             1},
        Spot{"deuce_seven_ranks",
             "deuce_seven",
             {{ranks({5, 5, 3, 2, 1})}, {ranks({6, 6, 6, 4, 0})}, {ranks({10, 10, 10, 10, 9})}},
             {},
             5,
             0},
        Spot{"five_card_draw_pairs_range",
             "five_card_draw",
             {with(joined(pair(12), pair(11)), ranks({0, 0, 1})), {ranks({10, 10, 9, 9, 8})}},
             {},
             5,
             0,
             card("As")},
        // Open boards walked one class at a time under the renamings that keep the seats.
        Spot{"holdem_named_hands_open_turn_and_river",
             "holdem",
             {{hand("AhKh")}, {hand("QsQd")}},
             hand("2c7hTc"),
             2,
             5},
        Spot{"holdem_range_open_board_small_deck",
             "holdem",
             {suited(12, 11), pair(10)},
             {},
             2,
             5,
             rank_span(0, 7)},
        Spot{"holdem_three_seats_open_board_small_deck",
             "holdem",
             {pair(12), {hand("KhQh"), hand("KsQs")}, {{rank(9), kAll}}},
             {},
             2,
             5,
             rank_span(0, 8)},
        Spot{"short_deck_range_open_board",
             "short_deck",
             {suited(12, 11), pair(10)},
             {},
             2,
             5,
             rank_span(4, 7)},
        Spot{"omaha_hi_lo_two_free_suits_open_board",
             "omaha_hi_lo",
             {{hand("Ah2hAs3s")}, {hand("QhJhQsJs")}},
             {},
             4,
             5,
             rank_span(4, 8)},
        Spot{"courchevel_two_free_suits_open_board",
             "courchevel",
             {{hand("AhKhAsKs2h")}, {hand("QhJhQsJs3s")}},
             {card("4h")},
             5,
             5,
             rank_span(4, 8)},
        // Hold'em boards walked by their ranks, with the boards that let a seat make a flush
        // scored on their own.
        Spot{"holdem_flush_draws_turn_and_river",
             "holdem",
             {{hand("AhKh")}, {hand("QhJh")}, {hand("9s8s")}},
             hand("2h7hTs"),
             2,
             5},
        Spot{"holdem_suited_wildcard_seat_open_river_and_turn",
             "holdem",
             {{hand("AhKd")}, {{kHearts, kHearts}}},
             hand("2c7h9h"),
             2,
             5},
        Spot{"holdem_made_flush_walks_every_board",
             "holdem",
             {{hand("AhKh")}, {hand("QsQd")}},
             hand("2h7hTh"),
             2,
             5},
        Spot{"holdem_four_seats_open_board_small_deck",
             "holdem",
             {{hand("AhKh")}, {hand("AsQs")}, {hand("JdTd")}, {hand("9c9h")}},
             {},
             2,
             5,
             rank_span(0, 5)},
        Spot{"short_deck_flush_draw_three_open",
             "short_deck",
             {{hand("AhKh")}, {hand("QsQd")}},
             hand("6h7h"),
             2,
             5},
        Spot{"omaha_flush_draws_flop",
             "omaha",
             {{hand("AhKhQsJd")}, {hand("9h8h7d6d")}, {hand("AcKcQdTd")}},
             hand("Th2h3c"),
             4,
             5},
        Spot{"omaha_five_hi_lo_flop",
             "omaha_five_hi_lo",
             {{hand("Ah2hQs3dKd")}, {hand("9h8h7d6d5c")}},
             hand("Th4h3c"),
             5,
             5},
        Spot{"omaha_six_wildcard_seat_flop",
             "omaha_six",
             {{hand("AhKhQsJd2c3c")},
              {{kHearts, kHearts, card("Ac"), card("Kc"), card("Qd"), card("Td")}}},
             hand("Th4h3s"),
             6,
             5},
        Spot{"courchevel_hi_lo_named_card_small_deck",
             "courchevel_hi_lo",
             {{hand("Ah2h3sKdQd")}, {hand("9h8c7d6d5c")}},
             {card("4h")},
             5,
             5,
             rank_span(8, 9)},
        Spot{"badugi_ranks", "badugi", {{ranks({0, 1, 2, 3})}, {ranks({4, 5, 6, 7})}}, {}, 4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Spots too large for the plain walk: the walk by classes against scoring every deal.
TEST(ExactWalk, ClassesGiveEveryDealsTallyOnLargeSpots) {
  const std::vector<Spot> spots{
      {"named_preflop", "holdem", {{hand("AhKh")}, {hand("QsQd")}}, {}, 2, 5},
      {"suited_against_pairs_preflop", "holdem", {suited(12, 11), pair(10)}, {}, 2, 5},
      {"three_seats_preflop",
       "holdem",
       {{hand("AhKh")}, pair(10), offsuit(9, 8)},
       {},
       2,
       5,
       rank_span(0, 3)},
      {"omaha_preflop", "omaha", {{hand("AhKhAsKs")}, {hand("QhJhQsJs")}}, {}, 4, 5},
      {"stud_two_to_come", "stud", {{hand("AhAsKhKs2h")}, {hand("QhQsJhJs3s")}}, {}, 7, 0},
      {"razz_two_to_come", "razz", {{hand("Ah2s3h4s9h")}, {hand("5h6s7h8sTs")}}, {}, 7, 0}};
  for (const Spot& spot : spots) {
    const PreparedRequest r = prepare(spot);
    const auto by_classes = walk_exactly(r, nullptr, WalkMode::ByClasses);
    const auto every_deal = walk_exactly(r, nullptr, WalkMode::EveryDeal);
    ASSERT_TRUE(by_classes && every_deal) << spot.name;
    ASSERT_TRUE(by_classes->has_value() && every_deal->has_value()) << spot.name;
    const ChunkTally& a = **by_classes;
    const ChunkTally& b = **every_deal;
    EXPECT_EQ(a.samples, b.samples) << spot.name;
    EXPECT_EQ(a.weight_sum, b.weight_sum) << spot.name;
    for (std::size_t k = 0; k < kSeatSumCount; ++k) {
      EXPECT_EQ(a.sums[k], b.sums[k]) << spot.name << " " << kSeatSumNames[k];
    }
  }
}

// The limit counts the deals the request allows, not the ones the walk scores: AKs against QQ or
// JJ allows 4 * 12 * C(48, 5) = 82,190,592 deals, of which the walk by classes would score few.
TEST(ExactWalk, ClassesDeclineWhereEveryDealWould) {
  const PreparedRequest r =
      prepared("holdem", {suited(12, 11), joined(pair(10), pair(9))}, {}, 2, 5);
  for (const WalkMode mode : {WalkMode::ByClasses, WalkMode::EveryDeal}) {
    const auto walked = walk_exactly(r, nullptr, mode);
    ASSERT_TRUE(walked);
    EXPECT_FALSE(walked->has_value());
  }
  // One pair fewer: 41,095,296 deals, answered both ways.
  const PreparedRequest fewer = prepared("holdem", {suited(12, 11), pair(10)}, {}, 2, 5);
  const auto walked = walk_exactly(fewer, nullptr, WalkMode::ByClasses);
  ASSERT_TRUE(walked && walked->has_value());
  EXPECT_EQ((*walked)->samples, 41'095'296u);
}

TEST(ExactWalk, SeatsMultiplyingPastTheLimitDecline) {
  const Seat wild{{kAll, kAll}};
  const PreparedRequest r =
      prepare({"three_wildcard_seats", "holdem", {wild, wild, wild}, {}, 2, 5});
  const auto walked = walk_exactly(r);
  ASSERT_TRUE(walked);
  EXPECT_FALSE(walked->has_value());
}

TEST(ExactWalk, DealsPastTheBudgetDecline) {
  // 1326 hands against one named hand multiply to well under the limit, but each pair of hands
  // leaves C(46, 5) boards.
  const PreparedRequest r =
      prepare({"wildcard_against_named", "holdem", {{{kAll, kAll}}, {hand("AhKh")}}, {}, 2, 5});
  const auto walked = walk_exactly(r);
  ASSERT_TRUE(walked);
  EXPECT_FALSE(walked->has_value());
}

TEST(ExactWalk, PreflopHeadsUpWalksEveryBoard) {
  const PreparedRequest r =
      prepare({"named_preflop", "holdem", {{hand("AhKh")}, {hand("QsQd")}}, {}, 2, 5});
  const auto walked = walk_exactly(r);
  ASSERT_TRUE(walked && walked->has_value());
  EXPECT_EQ((*walked)->samples, 1'712'304u);  // C(48, 5)
  const double shares = (*walked)->sum(SeatSum::ShareSum)[0] + (*walked)->sum(SeatSum::ShareSum)[1];
  EXPECT_NEAR(shares, 1'712'304.0, 1e-6);
}

}  // namespace
}  // namespace vantor::odds

namespace vantor::odds {
namespace {

// Requests drawn at random from fields of every kind (named cards, ranges, ranks, suits,
// wildcards), boards given in part and dead cards, in every game: the walk by classes and
// scoring every deal give the same tally, to the last bit, or both decline.
TEST(ExactWalk, ClassesMatchEveryDealOnRandomRequests) {
  struct Family {
    std::vector<const char*> games;
    std::vector<std::string> fields;
    std::vector<std::string> boards;
  };
  // Fields of few hands each, so that most requests stay small enough to score deal by deal.
  const std::vector<Family> families = {
      {{"holdem", "short_deck"},
       {"AhKh", "QsQd", "AKs", "QQ", "TT+", "A*", "hh", "AK", "9c9d", "T9s", "KhQs"},
       {"", "Th 9c 6d", "Ah 7h", "6c 7d Ts Js", "Kh Qh 9h"}},
      {{"omaha", "omaha_hi_lo"},
       {"AhKhQsJd", "AAKhQh", "Ac2c3d4d", "9h8h7c6c", "KKQQ", "AhKh9h*"},
       {"2c 3c 4d", "Th 9h 2c 5s", "7h 8h 9h"}},
      {{"omaha_five", "omaha_five_hi_lo", "courchevel", "courchevel_hi_lo"},
       {"AhKhQsJd2c", "AAKhQh2c", "Ac2c3d4d5h", "9h8h7c6cTs"},
       {"4h", "Th 9h 2c", "7h 8h 9h 2c"}},
      {{"omaha_six"}, {"AhKhQsJd2c3c", "AAKhQh2c3c", "9h8h7c6cTs5s"}, {"2c 3c 4d", "Th 9h 2c 5s"}},
      {{"stud", "stud_hi_lo", "razz"},
       {"AhKh7s8d2c3c", "AhAs2h3s4h5h", "QQKh2c3d4d", "A A K K 2 3", "9c8c7c6d5d4d", "AhKh7s8d2c"},
       {""}},
      {{"deuce_seven", "five_card_draw"}, {"7h5d4c3s", "8s6h4d2c", "2 3 4 5 7", "AhAdKsQs"}, {""}},
      {{"badugi"}, {"Ah2d3c", "KcQd", "A 2 3", "Ah2d3cKs"}, {""}},
  };
  const std::vector<std::string> deads = {"", "2c", "As Ks", "5h 5d 8c"};
  std::mt19937_64 random(1616);
  int compared = 0;
  // The sanitized pass runs unoptimised with assertions on: the first fifth of the requests.
#ifdef NDEBUG
  constexpr int kRounds = 3000;
#else
  constexpr int kRounds = 600;
#endif
  for (int round = 0; round < kRounds; ++round) {
    const Family& family = families[random() % families.size()];
    const auto& game = **variants::find_variant(family.games[random() % family.games.size()]);
    std::vector<std::string> hands(2 + random() % 2);
    for (auto& hand : hands) hand = family.fields[random() % family.fields.size()];
    const std::string& board = family.boards[random() % family.boards.size()];
    const std::string& dead = deads[random() % deads.size()];
    const auto request = build_request_from_text(game, hands, board, dead);
    if (!request) continue;
    const auto by_classes = walk_exactly(*request, nullptr, WalkMode::ByClasses);
    ASSERT_TRUE(by_classes) << round;
    // Large spots are left to the other tests: scoring every deal would take long here.
    if (*by_classes && (*by_classes)->samples > 1'000'000) continue;
    const auto every_deal = walk_exactly(*request, nullptr, WalkMode::EveryDeal);
    ASSERT_TRUE(every_deal) << round;
    ASSERT_EQ(by_classes->has_value(), every_deal->has_value()) << round;
    if (!*by_classes) continue;
    const ChunkTally& a = **by_classes;
    const ChunkTally& b = **every_deal;
    ASSERT_EQ(a.samples, b.samples) << round << " " << game.key;
    for (std::size_t k = 0; k < kSeatSumCount; ++k) {
      ASSERT_EQ(a.sums[k], b.sums[k]) << round << " " << game.key << " " << kSeatSumNames[k];
    }
    ++compared;
  }
  // About a sixth of the requests are small enough to compare.
  EXPECT_GT(compared, kRounds * 2 / 15);
}

}  // namespace
}  // namespace vantor::odds
