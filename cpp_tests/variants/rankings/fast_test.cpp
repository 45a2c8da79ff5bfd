#include "variants/rankings/fast.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "variants/rankings/fast_tables.hpp"
#include "variants/rankings/reference.hpp"

namespace vantor::rankings {
namespace {

using cards::Card;
using testing::Game;
using testing::Tuple;

std::vector<Card> hand(std::string_view text) { return cards::parse_cards(text).value(); }

TEST(PerfectHash, EveryKeyHasItsOwnSlotAndDisplacementsStayBelow100) {
  const auto keys = rank_multiset_keys();
  // Rank multisets of 5, 6 and 7 cards with at most four of a rank.
  ASSERT_EQ(keys.size(), 6175u + 18395u + 49205u);
  const FastTables& tables = fast_tables();
  std::set<std::uint32_t> slots;
  for (const std::uint32_t key : keys)
    slots.insert(slot(key, tables.displacement_by_bucket.data()));
  EXPECT_EQ(slots.size(), keys.size());
  for (const std::uint16_t d : tables.displacement_by_bucket) EXPECT_LT(d, 100);
  // Rebuilding gives the very same table: the construction is deterministic.
  EXPECT_EQ(build_displacements(keys), tables.displacement_by_bucket);
}

TEST(PerfectHash, SlotMatchesThe32BitFormulation) {
  const auto& d = fast_tables().displacement_by_bucket;
  for (const std::uint32_t key : rank_multiset_keys()) {
    const std::uint64_t g = std::uint64_t{key} * 0x9E3779B97F4A7C15ULL;
    const std::uint32_t disp = d[g >> 50];
    const std::uint32_t narrow =
        static_cast<std::uint32_t>(g >> 47) + ((key * 130451u) | 1u) * disp;  // wraps modulo 2^32
    ASSERT_EQ(slot(key, d.data()), narrow & 0x1FFFF) << key;
  }
}

struct FiveCardCase {
  const char* name;
  Game game;
  std::uint16_t (*kernel)(std::span<const Card>);
  std::size_t classes;
  std::vector<std::pair<int, int>> category_ranges;  // best category first
  std::vector<std::size_t> hands_per_category;       // over all 2,598,960 hands; empty: skip
};

void PrintTo(const FiveCardCase& c, std::ostream* os) { *os << c.name; }

class FiveCardKernel : public ::testing::TestWithParam<FiveCardCase> {};

// Every five-card hand: the kernel must order hands exactly as the reference evaluator does,
// give the documented number of classes, and put each category in its documented value range.
TEST_P(FiveCardKernel, AgreesWithTheReferenceOnEveryHand) {
  const FiveCardCase& c = GetParam();
  std::vector<Card> deck(52);
  for (int i = 0; i < 52; ++i) deck[i] = static_cast<Card>(i);
  std::map<std::uint16_t, Tuple> tuple_of_value;
  std::vector<std::size_t> per_category(c.category_ranges.size());
  std::size_t hands = 0;
  bool consistent = true;
  testing::for_each_five(deck, [&](std::span<const Card> five) {
    ++hands;
    const std::uint16_t value = c.kernel(five);
    const Tuple tuple = testing::reference_strength(c.game, five);
    const auto [it, inserted] = tuple_of_value.emplace(value, tuple);
    if (!inserted && it->second != tuple) consistent = false;
    for (std::size_t k = 0; k < c.category_ranges.size(); ++k) {
      if (value >= c.category_ranges[k].first && value <= c.category_ranges[k].second) {
        ++per_category[k];
        // The reference's own category (for low, its shape) must be the same one.
        EXPECT_EQ(static_cast<std::size_t>(tuple[0]), k) << value;
      }
    }
  });
  ASSERT_EQ(hands, 2598960u);
  EXPECT_TRUE(consistent) << "two hands with one value are different hands";
  EXPECT_EQ(tuple_of_value.size(), c.classes);
  EXPECT_EQ(tuple_of_value.begin()->first, 0);
  EXPECT_EQ(tuple_of_value.rbegin()->first, c.classes - 1);
  // Values ascending must be hands descending in strength (2-7 reverses the high order).
  const bool reversed = c.game == Game::DeuceSeven;
  for (auto it = std::next(tuple_of_value.begin()); it != tuple_of_value.end(); ++it) {
    const Tuple& previous = std::prev(it)->second;
    ASSERT_TRUE(reversed ? previous > it->second : previous < it->second) << it->first;
  }
  if (!c.hands_per_category.empty()) {
    EXPECT_EQ(per_category, c.hands_per_category);
  }
}

// Hand counts per category are the textbook combinatorics. Short deck keeps the same counts:
// A-9-8-7-6 takes the place of A-5-4-3-2 among the straights.
INSTANTIATE_TEST_SUITE_P(
    AllFiveCardHands, FiveCardKernel,
    ::testing::Values(
        FiveCardCase{"high",
                     Game::High,
                     high,
                     7462,
                     {{0, 9},
                      {10, 165},
                      {166, 321},
                      {322, 1598},
                      {1599, 1608},
                      {1609, 2466},
                      {2467, 3324},
                      {3325, 6184},
                      {6185, 7461}},
                     {40, 624, 3744, 5108, 10200, 54912, 123552, 1098240, 1302540}},
        FiveCardCase{"short_deck",
                     Game::ShortDeck,
                     short_deck,
                     7460,
                     {{0, 8},
                      {9, 164},
                      {165, 1441},
                      {1442, 1597},
                      {1598, 1606},
                      {1607, 2464},
                      {2465, 3322},
                      {3323, 6182},
                      {6183, 7459}},
                     {40, 624, 5108, 3744, 10200, 54912, 123552, 1098240, 1302540}},
        FiveCardCase{
            "low_a5",
            Game::LowA5,
            low_a5,
            6175,
            {{0, 1286}, {1287, 4146}, {4147, 5004}, {5005, 5862}, {5863, 6018}, {6019, 6174}},
            {1317888, 1098240, 123552, 54912, 3744, 624}},
        FiveCardCase{"deuce_seven", Game::DeuceSeven, deuce_seven, 7462, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeuceSeven, CategoryRangesFollowTheReversedHighOrder) {
  // (hand, documented value)
  const std::pair<const char*, std::uint16_t> rows[] = {
      {"7c5d4h3s2c", 0},    {"7c6d4h3s2c", 1},    {"Ac5d4h3s2c", 784},  {"6c5d4h3s2c", 5854},
      {"AcKdQhJsTc", 5862}, {"7h5h4h3h2h", 5863}, {"AhKhQhJhTh", 7461}, {"2c2d3h4s5c", 1278},
      {"AcAdAhKsKc", 7296}, {"AcAdAhAsKc", 7452}};
  for (const auto& [text, value] : rows) EXPECT_EQ(deuce_seven(hand(text)), value) << text;
}

TEST(TableKernels, TellingRows) {
  EXPECT_EQ(high(hand("AhKhQhJhTh")), 0);
  EXPECT_EQ(high(hand("5h4h3h2hAh")), 9);
  EXPECT_EQ(high(hand("AcAdAhAsKc")), 10);
  EXPECT_EQ(high(hand("AhKhQhJh9h")), 322);
  EXPECT_EQ(high(hand("AhKdQcJsTh")), 1599);
  EXPECT_EQ(high(hand("5h4d3c2sAh")), 1608);
  EXPECT_EQ(high(hand("7h5d4c3s2h")), 7461);
  EXPECT_EQ(high(hand("AhKhQsQd2c7d9s")), 3767);
  EXPECT_EQ(short_deck(hand("Ac9d8h7s6c")), 1603);
  EXPECT_EQ(short_deck(hand("9c8d7h6s5c")), 1603);
  EXPECT_EQ(short_deck(hand("Ah9h8h7h6h")), short_deck(hand("9h8h7h6h5h")));
  EXPECT_EQ(short_deck(hand("AcAdAhKsKc")), 1442);
  EXPECT_GE(short_deck(hand("Ac5d4h3s2c")), 6183);  // no straight: ace high
  EXPECT_EQ(low_a5(hand("5h4h3h2hAh")), 0);
  EXPECT_EQ(low_a5(hand("6c4d3h2sAc")), 1);
  EXPECT_EQ(low_a5(hand("6c5d4h3s2c")), 5);
  EXPECT_EQ(low_a5(hand("8c7d6h5s4c")), 55);
  EXPECT_EQ(low_a5(hand("9c4d3h2sAc")), 56);
  EXPECT_EQ(low_a5(hand("9c5d4h3s2c")), 60);
  EXPECT_EQ(low_a5(hand("AcAd4h3s2c")), 1287);
  EXPECT_EQ(low_a5(hand("KcKdKhKsQc")), 6174);
  EXPECT_EQ(low_a5(hand("Ah2h3h4h5h7c8d")), 0);
}

TEST(TableKernels, WrongSizesAreNoHand) {
  for (auto kernel : {high, short_deck, low_a5, deuce_seven}) {
    EXPECT_EQ(kernel(hand("")), kNoHand);
    EXPECT_EQ(kernel(hand("AhKhQhJh")), kNoHand);
    EXPECT_EQ(kernel(hand("AhKhQhJhTh9h8h7h")), kNoHand);
  }
}

// Six and seven cards: the best five-card subset (for 2-7, whose tables keep the best high
// hand, the worst low), on random hands from the whole deck.
TEST(TableKernels, SixAndSevenCardsTakeTheBestFive) {
  std::mt19937_64 rng(20261207);
  const std::pair<std::uint16_t (*)(std::span<const Card>), bool> kernels[] = {
      {high, false}, {short_deck, false}, {low_a5, false}, {deuce_seven, true}};
  for (const auto& [kernel, worst] : kernels) {
    for (int trial = 0; trial < 60000; ++trial) {
      const auto cards = testing::random_hand(rng, 6 + trial % 2);
      std::uint16_t best = worst ? 0 : kNoHand;
      testing::for_each_five(cards, [&](std::span<const Card> five) {
        best = worst ? std::max(best, kernel(five)) : std::min(best, kernel(five));
      });
      ASSERT_EQ(kernel(cards), best) << trial;
    }
  }
}

TEST(TableKernels, FlushTablesHoldTheBestFiveOfManyRanks) {
  const FastTables& tables = fast_tables();
  for (unsigned mask = 0; mask < kSuitMasks; ++mask) {
    const int ranks = std::popcount(mask);
    if (ranks < 5) {
      ASSERT_EQ(tables.high.flush_value_by_suit_mask[mask], kNoHand);
      continue;
    }
    std::vector<Card> suited;
    for (int r = 0; r < 13; ++r) {
      if ((mask >> r) & 1) suited.push_back(cards::card_of(static_cast<cards::Rank>(r), 2));
    }
    std::uint16_t best = kNoHand;
    testing::for_each_five(suited,
                           [&](std::span<const Card> five) { best = std::min(best, high(five)); });
    ASSERT_EQ(tables.high.flush_value_by_suit_mask[mask], best) << mask;
  }
}

// Badugi by its definition: every subset, kept when no rank and no suit repeats.
std::uint32_t brute_badugi(std::span<const Card> cards) {
  std::uint32_t best = kNoHand32;
  for (unsigned subset = 1; subset < (1u << cards.size()); ++subset) {
    std::vector<int> ranks;
    unsigned rank_bits = 0, suit_bits = 0;
    bool ok = true;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      if (!((subset >> i) & 1)) continue;
      const int rank = cards::rank_of(cards[i]) == 12 ? 1 : cards::rank_of(cards[i]) + 2;
      const int suit = cards::suit_of(cards[i]);
      ok = ok && !((rank_bits >> rank) & 1) && !((suit_bits >> suit) & 1);
      rank_bits |= 1u << rank;
      suit_bits |= 1u << suit;
      ranks.push_back(rank);
    }
    if (!ok) continue;
    std::sort(ranks.rbegin(), ranks.rend());
    ranks.resize(4, 0);
    const std::uint32_t score = (4 - std::popcount(subset)) * 65536u + ranks[0] * 4096u +
                                ranks[1] * 256u + ranks[2] * 16u + ranks[3];
    best = std::min(best, score);
  }
  return best;
}

TEST(Badugi, TellingRows) {
  EXPECT_EQ(badugi(hand("Ac2d3h4s")), 17185u);
  EXPECT_EQ(badugi(hand("KsQhJdTc")), 56506u);
  EXPECT_EQ(badugi(hand("Ac2d3h")), 78352u);
  EXPECT_EQ(badugi(hand("Ks")), 249856u);
  EXPECT_EQ(badugi(hand("Kc9c5c2c")), badugi(hand("2c")));  // one club, the lowest
  EXPECT_EQ(badugi(hand("AcAd")), 200704u);
  EXPECT_EQ(badugi(hand("")), kNoHand32);
}

TEST(Badugi, MatchesEverySubsetOnRandomHands) {
  std::mt19937_64 rng(7);
  for (int trial = 0; trial < 30000; ++trial) {
    const auto cards = testing::random_hand(rng, 1 + trial % 9);
    ASSERT_EQ(badugi(cards), brute_badugi(cards)) << trial;
  }
}

// Four cards take their own kernel (the clashes between them name the candidate subsets), whose
// result must not depend on the order the cards come in: every hand, in each of its 24 orders.
TEST(Badugi, FourCardsMatchEverySubsetOnEveryHandInEveryOrder) {
  std::size_t hands = 0;
  for (Card a = 0; a < 52; ++a)
    for (Card b = a + 1; b < 52; ++b)
      for (Card c = b + 1; c < 52; ++c)
        for (Card d = c + 1; d < 52; ++d) {
          const std::array<Card, 4> sorted = {a, b, c, d};
          const std::uint32_t expected = brute_badugi(sorted);
          std::array<int, 4> order = {0, 1, 2, 3};
          do {
            const std::array<Card, 4> cards = {sorted[order[0]], sorted[order[1]], sorted[order[2]],
                                               sorted[order[3]]};
            ASSERT_EQ(badugi(cards), expected)
                << cards::card_text(cards[0]) << cards::card_text(cards[1])
                << cards::card_text(cards[2]) << cards::card_text(cards[3]);
          } while (std::next_permutation(order.begin(), order.end()));
          ++hands;
        }
  EXPECT_EQ(hands, 270725u);
}

// Repeated cards (which the kernel accepts through `score_hands`) count once, as in the
// general path.
TEST(Badugi, FourCardsWithRepeatsCountEachCardOnce) {
  EXPECT_EQ(badugi(hand("AcAcAcAc")), badugi(hand("Ac")));
  EXPECT_EQ(badugi(hand("2d3h2d3h")), badugi(hand("2d3h")));
  EXPECT_EQ(badugi(hand("Ac2d3h3h")), 78352u);
}

// badugi_order() ranks hands as badugi() does: on every four-card hand and on random hands of
// other sizes, a higher order is a higher value and equal orders are equal values.
TEST(Badugi, OrderRanksHandsAsTheValuesDo) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> order_and_value;
  for (Card a = 0; a < 52; ++a)
    for (Card b = a + 1; b < 52; ++b)
      for (Card c = b + 1; c < 52; ++c)
        for (Card d = c + 1; d < 52; ++d) {
          const std::array<Card, 4> cards = {d, b, a, c};
          order_and_value.emplace_back(badugi_order(cards), badugi(cards));
        }
  std::mt19937_64 rng(8);
  for (int trial = 0; trial < 30000; ++trial) {
    const auto cards = testing::random_hand(rng, trial % 13);
    order_and_value.emplace_back(badugi_order(cards), badugi(cards));
  }
  std::sort(order_and_value.begin(), order_and_value.end());
  for (std::size_t i = 1; i < order_and_value.size(); ++i) {
    const auto& [order, value] = order_and_value[i];
    const auto& [previous_order, previous_value] = order_and_value[i - 1];
    ASSERT_EQ(order == previous_order, value == previous_value) << order << " " << value;
    ASSERT_LE(previous_value, value) << order;
  }
  EXPECT_EQ(badugi_order(hand("")), kNoHand32);
}

TEST(Badugi, AWholeDeckStaysCheapAndFindsTheWheel) {
  std::vector<Card> deck(52);
  for (int i = 0; i < 52; ++i) deck[i] = static_cast<Card>(i);
  EXPECT_EQ(badugi(deck), 17185u);
  deck.insert(deck.end(), deck.begin(), deck.end());  // repeated cards add nothing
  EXPECT_EQ(badugi(deck), 17185u);
}

}  // namespace
}  // namespace vantor::rankings
