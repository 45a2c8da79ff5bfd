#include "sampler/matching.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support.hpp"

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;
using testing::brute_force_fits;

constexpr Card kAceSpades = 51, kAceHearts = 50, kKingSpades = 47;
constexpr CardMask kAnyAce = 0xF000000000000;

struct FitsCase {
  const char* name;
  std::vector<CardMask> slots;
  std::vector<Card> cards;
  bool expected;
};

void PrintTo(const FitsCase& c, std::ostream* os) { *os << c.name; }

class FitsEdgeCases : public ::testing::TestWithParam<FitsCase> {};

TEST_P(FitsEdgeCases, Answers) {
  const auto& c = GetParam();
  EXPECT_EQ(fits(c.slots, c.cards), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Matching, FitsEdgeCases,
    ::testing::Values(
        FitsCase{"EmptySlotsEmptyCards", {}, {}, true},
        FitsCase{"EmptySlotsSomeCards", {}, {3, 7}, true},
        FitsCase{"FewerCardsThanSlots", {cards::kFullDeck, cards::kFullDeck}, {5}, false},
        // The first slot takes the ace of spades, then hands it over to the second slot.
        FitsCase{"HandOver", {kAnyAce, CardMask{1} << kAceSpades}, {kAceSpades, kAceHearts}, true},
        FitsCase{"NoHandOverPossible",
                 {kAnyAce, CardMask{1} << kAceSpades},
                 {kAceSpades, kKingSpades},
                 false},
        FitsCase{"SameCardOnce", {CardMask{1} << 9, CardMask{1} << 9}, {9, 4}, false},
        FitsCase{"SameCardAtTwoPositions", {CardMask{1} << 9, CardMask{1} << 9}, {9, 9}, true},
        FitsCase{"HighBitPositions", {CardMask{1} << 63}, {63}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Random small instances against trying every assignment: chains of hand-overs several deep
// arise often when slots draw from a handful of cards.
TEST(Matching, AgreesWithBruteForceOnRandomInstances) {
  std::mt19937_64 random(12345);
  int fitting = 0;
  for (int round = 0; round < 4000; ++round) {
    const std::size_t n = random() % 7, m = n + random() % 3;
    std::vector<CardMask> slots(n);
    for (auto& slot : slots) slot = random() & random() & 0xFFF;  // sparse masks over 12 cards
    std::vector<Card> hand(m);
    for (auto& card : hand) card = static_cast<Card>(random() % 12);
    const bool expected = brute_force_fits(slots, hand);
    fitting += expected;
    ASSERT_EQ(fits(slots, hand), expected) << "round " << round;
  }
  EXPECT_GT(fitting, 400);  // both answers well represented
  EXPECT_LT(fitting, 3600);
}

}  // namespace
}  // namespace vantor::sampler
