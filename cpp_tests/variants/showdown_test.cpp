// The engine's scorer (DealScorer, deal_scorer.hpp) on deals of every game: spots whose division
// is known, a plain reading of each rule with the public kernels, and the catalogue's mapping of
// rows to showdowns.

#include "variants/showdown.hpp"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <type_traits>
#include <utility>

#include "variants/deal_scorer.hpp"
#include "variants/rankings/reference.hpp"
#include "variants/showdown_reference.hpp"

namespace vantor::variants {
namespace {

using cards::Card;

struct Division {
  std::vector<double> share;
  std::vector<double> low_share;
  std::string error;
};

// Every Variant these tests score is a catalogue row.
Expected<void, cards::CardError> not_a_row() {
  ADD_FAILURE() << "a game outside the catalogue";
  return {};
}

// One deal scored as the exact walk and the sampling loop score it: every hand's size checked
// first, then each seat prepared, the board summarised and the winners given their shares.
template <class Showdown>
Expected<void, cards::CardError> score_deal(const std::vector<std::vector<Card>>& seats,
                                            const std::vector<Card>& board, PotShares& shares) {
  for (const auto& seat : seats) {
    const std::size_t count = seat.size() + board.size();
    if (!Showdown::holds(count)) return fail(cards::CardError::too_many_cards(count));
  }
  const DealScorer<Showdown> scorer(seats.front().size(), board.size());
  std::vector<SeatHand> hands;
  std::vector<omaha::HolePairs> pairs(seats.size());
  for (std::size_t seat = 0; seat < seats.size(); ++seat) {
    EXPECT_EQ(seats[seat].size(), seats.front().size()) << "every seat holds as many cards";
    hands.push_back(scorer.prepare(seats[seat]));
    if constexpr (DealScorer<Showdown>::kOmaha) scorer.prepare_pairs(seats[seat], pairs[seat]);
  }
  std::vector<const SeatHand*> chosen;
  for (const SeatHand& hand : hands) chosen.push_back(&hand);
  split_pot(scorer.score(chosen, pairs.data(), summarize(board), board), shares);
  return {};
}

Division play(std::string_view game, const std::vector<std::vector<Card>>& seats,
              const std::vector<Card>& board) {
  const Variant& variant = *find_variant(game).value();
  Division division{std::vector<double>(seats.size()), std::vector<double>(seats.size()), ""};
  PotShares shares{division.share, division.low_share};
  const auto scored = with_showdown(
      variant, [&](auto showdown) { return score_deal<decltype(showdown)>(seats, board, shares); },
      not_a_row);
  if (!scored) division.error = scored.error().display();
  return division;
}

// The same deal scored by the test reference, which assembles each hand from its cards.
Division play_reference(const Variant& variant, const std::vector<std::vector<Card>>& seats,
                        const std::vector<Card>& board) {
  std::vector<std::span<const Card>> views(seats.begin(), seats.end());
  Division division{std::vector<double>(seats.size()), std::vector<double>(seats.size()), ""};
  PotShares shares{division.share, division.low_share};
  const ReferenceDeal deal{views, board};
  const auto scored = with_showdown(
      variant,
      [&](auto showdown) {
        return ReferenceShowdown<decltype(showdown)>::score(deal, shares, rankings::fast_tables());
      },
      not_a_row);
  if (!scored) division.error = scored.error().display();
  return division;
}

std::vector<Card> cards_of(std::string_view text) { return cards::parse_cards(text).value(); }

Division play(std::string_view game, std::initializer_list<std::string_view> seats,
              std::string_view board = "") {
  std::vector<std::vector<Card>> dealt;
  for (const auto seat : seats) dealt.push_back(cards_of(seat));
  return play(game, dealt, cards_of(board));
}

using Shares = std::vector<double>;

TEST(Showdown, BoardPlaysSplitsInTwo) {
  const auto o = play("holdem", {"2c3d", "2h3s"}, "AhKhQsJdTc");
  EXPECT_EQ(o.share, (Shares{0.5, 0.5}));
  EXPECT_EQ(o.low_share, (Shares{0, 0}));
}

TEST(Showdown, ThreeWayTieTakesAThirdEach) {
  const auto o = play("holdem", {"2c3d", "2h3s", "4c2d"}, "AhKhQsJdTc");
  for (const double share : o.share) EXPECT_DOUBLE_EQ(share, 1.0 / 3);
}

TEST(Showdown, OmahaNeedsTwoHeartsForTheFlush) {
  // Four hearts on board: one heart in hand makes nothing, two make the flush.
  EXPECT_EQ(play("omaha", {"Ah2c3d4s", "KcKdQcQd"}, "5h6h9hJh8c").share, (Shares{0, 1}));
  EXPECT_EQ(play("omaha", {"Ah2h3d4s", "KcKdQcQd"}, "5h6h9hJh8c").share, (Shares{1, 0}));
}

TEST(Showdown, OmahaHiLoSplitsBetweenLowAndHigh) {
  // Seat 0: the only eight-or-better low (A-2 with 3-5-8), no high. Seat 1: trips.
  const auto o = play("omaha_hi_lo", {"Ac2d9s9c", "KcKdJcJd"}, "3h5h8sKsQd");
  EXPECT_EQ(o.share, (Shares{0.5, 0.5}));
  EXPECT_EQ(o.low_share, (Shares{0.5, 0}));
}

TEST(Showdown, OmahaHiLoScoop) {
  // Seat 0 makes the wheel: the best high (a straight) and the best low.
  const auto o = play("omaha_hi_lo", {"Ac2d9s9c", "KcKdQcJd"}, "3h4h5s7dTs");
  EXPECT_EQ(o.share, (Shares{1, 0}));
  EXPECT_EQ(o.low_share, (Shares{0.5, 0}));
}

TEST(Showdown, OmahaHiLoQuarteredLow) {
  // Seats 0 and 1 both hold A-2 for the same low; seat 2 holds the high.
  const auto o = play("omaha_hi_lo", {"Ac2dKsQh", "Ad2cJsJh", "TcTdTh9c"}, "3h6h8sTs4c");
  EXPECT_EQ(o.share, (Shares{0.25, 0.25, 0.5}));
  EXPECT_EQ(o.low_share, (Shares{0.25, 0.25, 0}));
}

TEST(Showdown, NoQualifyingLowGivesTheHighTheWholePot) {
  // The board holds one card below nine, so no seat can make a qualifying low.
  const auto o = play("omaha_hi_lo", {"Ac2d4sKh", "KcKdJsJh"}, "3h9h9sTsQc");
  EXPECT_EQ(o.share, (Shares{0, 1}));
  EXPECT_EQ(o.low_share, (Shares{0, 0}));
  // Stud: the best low is 9-4-3-2-A, value 56, which does not qualify.
  const auto stud = play("stud_hi_lo", {"Ac2d3s4h9cKdKs", "QcQdQhJsJdTc8h"});
  EXPECT_EQ(stud.share, (Shares{0, 1}));
}

TEST(Showdown, StudHiLoTakesLowAndHighFromDifferentFives) {
  // Seat 0: 5-4-3-2-A for low and a flush of clubs for high from the same seven cards.
  const auto o = play("stud_hi_lo", {"Ac2c3d4h5cKcQc", "AsAdKhKsQdJs9h"});
  EXPECT_EQ(o.share, (Shares{1, 0}));
  EXPECT_EQ(o.low_share, (Shares{0.5, 0}));
}

TEST(Showdown, RazzPairsAreBadAndTheSuitedWheelIsBest) {
  EXPECT_EQ(play("razz", {"AcAd2c2d3c3dKh", "KcQdJcTd9c8d7h"}).share, (Shares{0, 1}));
  EXPECT_EQ(play("razz", {"Ac2c3c4c5cKhKd", "Ad2d3d4d6cQhQs"}).share, (Shares{1, 0}));
}

TEST(Showdown, DeuceSevenStraightsAndFlushesCount) {
  EXPECT_EQ(play("deuce_seven", {"7c5d4h3s2c", "8c5h4d3c2d"}).share, (Shares{1, 0}));
  EXPECT_EQ(play("deuce_seven", {"6c5d4h3s2c", "2h2s3d4c5h"}).share, (Shares{0, 1}));
  EXPECT_EQ(play("deuce_seven", {"7h5h4h3h2h", "2c2s3d4c5d"}).share, (Shares{0, 1}));
}

TEST(Showdown, BadugiFourCardsBeatThree) {
  EXPECT_EQ(play("badugi", {"KcQdJhTs", "Ac2d3hAs"}).share, (Shares{1, 0}));
  // Three-card hands: the lower top card wins.
  EXPECT_EQ(play("badugi", {"Ac2d7h7s", "As3d6h6c"}).share, (Shares{0, 1}));
}

TEST(Showdown, CourchevelPlaysAsFiveCardOmaha) {
  std::mt19937_64 rng(9);
  for (int trial = 0; trial < 2000; ++trial) {
    const auto cards = testing::random_hand(rng, 20);
    const std::vector<std::vector<Card>> seats = {{cards.begin(), cards.begin() + 5},
                                                  {cards.begin() + 5, cards.begin() + 10},
                                                  {cards.begin() + 10, cards.begin() + 15}};
    const std::vector<Card> board(cards.begin() + 15, cards.end());
    const auto a = play("courchevel", seats, board), b = play("omaha_five", seats, board);
    ASSERT_EQ(a.share, b.share);
    const auto c = play("courchevel_hi_lo", seats, board),
               d = play("omaha_five_hi_lo", seats, board);
    ASSERT_EQ(c.share, d.share);
    ASSERT_EQ(c.low_share, d.low_share);
  }
}

TEST(Showdown, AHandOverItsCapacityFailsAndAddsNothing) {
  const auto o = play("holdem", {"AhKh", "2c3d4h"}, "QsJdTc9s8s");
  EXPECT_EQ(o.error, "Too many cards in Vec: 8");
  EXPECT_EQ(o.share, (Shares{0, 0}));
  EXPECT_EQ(play("badugi", {"AhKhQh2c3c", "2d"}).error, "Too many cards in Vec: 5");
}

// A plain reading of the rules, for random deals of every game: each seat's cards with the board
// scored by the public kernels (Omaha by brute force), winners split evenly, the low half first.
Division reference(const Variant& v, const std::vector<std::vector<Card>>& seats,
                   const std::vector<Card>& board) {
  const std::size_t n = seats.size();
  Division o{Shares(n), Shares(n), ""};
  auto omaha_value = [&](const std::vector<Card>& hole, auto kernel) {
    std::uint32_t best = rankings::kNoHand32;
    std::vector<Card> five(5);
    for (std::size_t a = 0; a < hole.size(); ++a)
      for (std::size_t b = a + 1; b < hole.size(); ++b)
        for (std::size_t c = 0; c < board.size(); ++c)
          for (std::size_t d = c + 1; d < board.size(); ++d)
            for (std::size_t e = d + 1; e < board.size(); ++e) {
              five = {hole[a], hole[b], board[c], board[d], board[e]};
              best = std::min<std::uint32_t>(best, kernel(five));
            }
    return best;
  };
  std::vector<std::uint32_t> high(n), low(n, rankings::kNoHand32);
  for (std::size_t s = 0; s < n; ++s) {
    std::vector<Card> all = seats[s];
    all.insert(all.end(), board.begin(), board.end());
    switch (v.showdown) {
      case ShowdownRule::BestHigh:
        high[s] = rankings::high(all);
        break;
      case ShowdownRule::ShortDeckHigh:
        high[s] = rankings::short_deck(all);
        break;
      case ShowdownRule::RazzLow:
        high[s] = rankings::low_a5(all);
        break;
      case ShowdownRule::DeuceSevenLow:
        high[s] = rankings::deuce_seven(all);
        break;
      case ShowdownRule::BadugiLow:
        high[s] = rankings::badugi(all);
        break;
      case ShowdownRule::OmahaHigh:
        high[s] = omaha_value(seats[s], rankings::high);
        break;
      case ShowdownRule::OmahaHiLo:
        high[s] = omaha_value(seats[s], rankings::high);
        low[s] = omaha_value(seats[s], rankings::low_a5);
        break;
      case ShowdownRule::StudHiLo:
        high[s] = rankings::high(all);
        low[s] = rankings::low_a5(all);
        break;
    }
  }
  auto award = [&](const std::vector<std::uint32_t>& values, double amount, bool is_low) {
    const std::uint32_t best = *std::min_element(values.begin(), values.end());
    if (is_low && best >= kEightOrBetter) return false;
    const auto winners = std::count(values.begin(), values.end(), best);
    for (std::size_t s = 0; s < n; ++s) {
      if (values[s] != best) continue;
      o.share[s] += amount / winners;
      if (is_low) o.low_share[s] += amount / winners;
    }
    return true;
  };
  double high_amount = 1;
  if (v.is_hi_lo() && award(low, 0.5, true)) high_amount = 0.5;
  award(high, high_amount, false);
  return o;
}

TEST(Showdown, EveryGameAgreesWithAPlainReadingOfItsRules) {
  std::mt19937_64 rng(3);
  for (const Variant& v : kCatalogue) {
    for (int trial = 0; trial < 3000; ++trial) {
      const std::size_t seats_count = 2 + trial % 3;
      const auto cards =
          testing::random_hand(rng, seats_count * v.hole_cards + v.board_cards, v.deck);
      std::vector<std::vector<Card>> seats;
      for (std::size_t s = 0; s < seats_count; ++s) {
        seats.emplace_back(cards.begin() + s * v.hole_cards,
                           cards.begin() + (s + 1) * v.hole_cards);
      }
      const std::vector<Card> board(cards.end() - v.board_cards, cards.end());
      const auto got = play(v.key, seats, board);
      const auto want = reference(v, seats, board);
      ASSERT_EQ(got.share, want.share) << v.key << " " << trial;
      ASSERT_EQ(got.low_share, want.low_share) << v.key << " " << trial;
      // The test reference the walk and loop tests score with reads the rules the same way.
      const auto kept = play_reference(v, seats, board);
      ASSERT_EQ(kept.share, want.share) << v.key << " " << trial;
      ASSERT_EQ(kept.low_share, want.low_share) << v.key << " " << trial;
    }
  }
}

TEST(Showdown, EightSeatStudSharesOneBoardCard) {
  std::mt19937_64 rng(8);
  const Variant& stud = *find_variant("stud").value();
  for (int trial = 0; trial < 500; ++trial) {
    const auto cards = testing::random_hand(rng, 49);
    std::vector<std::vector<Card>> seats;
    for (int s = 0; s < 8; ++s)
      seats.emplace_back(cards.begin() + 6 * s, cards.begin() + 6 * s + 6);
    const std::vector<Card> board{cards[48]};
    const auto got = play("stud", seats, board);
    ASSERT_TRUE(got.error.empty());
    ASSERT_EQ(got.share, reference(stud, seats, board).share);
  }
}

// Each row runs its loop with the showdown of its own rule and hole cards, whose hand capacity
// is the row's.
TEST(WithShowdown, EveryRowGetsItsOwnShowdown) {
  std::set<std::pair<ShowdownRule, unsigned>> combinations;
  for (const Variant& v : kCatalogue) {
    with_showdown(
        v,
        [&](auto showdown) {
          using S = decltype(showdown);
          EXPECT_EQ(S::rule, v.showdown) << v.key;
          EXPECT_EQ(S::hole_cards, v.hole_cards) << v.key;
          EXPECT_EQ(S::capacity, v.hand_capacity()) << v.key;
          EXPECT_EQ(S::has_low, v.is_hi_lo()) << v.key;
          combinations.insert({S::rule, S::hole_cards});
        },
        [&] { ADD_FAILURE() << v.key << " is refused"; });
  }
  // Courchevel plays as five-card Omaha, hi/lo too: thirteen loops serve fifteen games.
  EXPECT_EQ(combinations.size(), 13u);
  static_assert(std::is_same_v<ShowdownOf<7>, ShowdownOf<3>>);  // courchevel, omaha_five
  static_assert(std::is_same_v<ShowdownOf<8>, ShowdownOf<6>>);  // and their hi/lo forms
}

// A Variant that is not a row of the catalogue (a copy of one, here) runs no loop, in every build:
// the caller's refusal answers instead of some row's showdown.
TEST(WithShowdown, RefusesAVariantOutsideTheCatalogue) {
  const Variant copy = kCatalogue.back();
  bool ran = false;
  const int answer = with_showdown(
      copy,
      [&](auto) {
        ran = true;
        return 1;
      },
      [] { return -1; });
  EXPECT_FALSE(ran);
  EXPECT_EQ(answer, -1);
}

}  // namespace
}  // namespace vantor::variants
