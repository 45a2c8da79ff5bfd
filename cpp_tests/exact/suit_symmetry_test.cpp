// The renamings of suits that keep a request: checked against what a request's cards plainly
// allow, and the renaming of card sets against renaming card by card.

#include "exact/suit_symmetry.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "request/request_masks.hpp"
#include "sampler/deal_plan.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {
namespace {

using namespace testing;

TEST(RenameSuits, MovesEveryCardToItsNewSuitAndKeepsItsRank) {
  SuitRenaming renaming;
  renaming.to = {2, 0, 3, 1};
  for (Card c = 0; c < cards::kCardCount; ++c) {
    const Card expected = cards::card_of(cards::rank_of(c), renaming.to[cards::suit_of(c)]);
    EXPECT_EQ(rename_suits(cards::card_bit(c), renaming), cards::card_bit(expected)) << int{c};
  }
  EXPECT_EQ(rename_suits(kAll, renaming), kAll);
  EXPECT_EQ(rename_suits(0, renaming), 0u);
}

struct GroupCase {
  const char* name;
  PreparedRequest request;
  std::size_t renamings;  // the group's size less the identity
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class SymmetryTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(SymmetryTest, FindsEveryRenamingThatKeepsTheRequest) {
  const GroupCase& c = GetParam();
  const auto found = request_symmetries(c.request);
  EXPECT_EQ(found.size(), c.renamings);
  // Distinct, none the identity.
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_NE(found[i].to, SuitRenaming{}.to);
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(found[i].to, found[j].to);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SymmetryTest,
    ::testing::Values(
        // Nothing names a suit: all 24 orders of the suits.
        GroupCase{"wildcards", prepared("holdem", {{{kAll, kAll}}, {{kAll, kAll}}}, {}, 2, 5), 23},
        // AhKh v QsQd: swapping spades and diamonds keeps the pair's set; hearts and clubs
        // stay where they are.
        GroupCase{"named_hands", prepared("holdem", {{hand("AhKh")}, {hand("QsQd")}}, {}, 2, 5), 1},
        // AsAh v KsKh with a turn or a river of clubs and diamonds: swapping spades and hearts
        // keeps either, the river's single deal included.
        GroupCase{"named_turn",
                  prepared("holdem", {{hand("AsAh")}, {hand("KsKh")}}, hand("2c3d4c5d"), 2, 5), 1},
        GroupCase{"named_river",
                  prepared("holdem", {{hand("AsAh")}, {hand("KsKh")}}, hand("2c3d4c5d9c"), 2, 5),
                  1},
        // Each suit named once, in different ranks: nothing can move.
        GroupCase{"every_suit_named",
                  prepared("holdem", {{hand("AhKc")}, {hand("QsJd")}}, {}, 2, 5), 0},
        // AKs is one alternative per suit: every renaming maps the seat onto itself.
        GroupCase{"suited_range",
                  prepared("holdem", {suited(12, 11), {{rank(10), rank(10)}}}, {}, 2, 5), 23},
        // Three suits of the range left once a dead card takes the club.
        GroupCase{
            "suited_range_dead_card",
            prepared("holdem", {suited(12, 11), {{rank(10), rank(10)}}}, {}, 2, 5, card("2c")), 5},
        // A board slot of one suit fixes that suit.
        GroupCase{"board_suit_slot",
                  prepared("holdem", {{{kAll, kAll}}}, {card("2c") | card("3c")}, 2, 5), 5},
        // Short deck: ranks 2-5 are out of every suit alike.
        GroupCase{"short_deck", prepared("short_deck", {{hand("AhKh")}, {{kAll, kAll}}}, {}, 2, 5),
                  5},
        // One alternative of a range missing: the seat no longer maps onto itself.
        GroupCase{
            "partial_range",
            prepared("holdem",
                     {{suited(12, 11)[0], suited(12, 11)[1], suited(12, 11)[2]}, {{kAll, kAll}}},
                     {}, 2, 5),
            5},
        // Stud hands of ranks only, no board.
        GroupCase{
            "stud_ranks",
            prepared("stud", {{{rank(12), rank(12), rank(0)}}, {{rank(3), rank(4)}}}, {}, 7, 0),
            23}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantor::odds
