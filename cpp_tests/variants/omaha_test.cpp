#include "variants/omaha.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "variants/rankings/reference.hpp"

namespace vantor::omaha {
namespace {

using cards::Card;

std::vector<Card> hand(std::string_view text) { return cards::parse_cards(text).value(); }

// Omaha by its definition: every two hole cards with every three board cards.
template <class Kernel>
std::uint32_t brute(std::span<const Card> hole, std::span<const Card> board, Kernel kernel) {
  std::uint32_t best = rankings::kNoHand32;
  for (std::size_t a = 0; a < hole.size(); ++a)
    for (std::size_t b = a + 1; b < hole.size(); ++b)
      for (std::size_t c = 0; c < board.size(); ++c)
        for (std::size_t d = c + 1; d < board.size(); ++d)
          for (std::size_t e = d + 1; e < board.size(); ++e) {
            const std::array<Card, 5> five{hole[a], hole[b], board[c], board[d], board[e]};
            best = std::min<std::uint32_t>(best, kernel(five));
          }
  return best;
}

TEST(OmahaKernel, OneHeartInHandWithFourOnBoardIsNoFlush) {
  EXPECT_EQ(omaha(hand("AhKd2c3cQhJhTh9h8c")), 1599u);  // the straight, not the flush
  EXPECT_EQ(omaha(hand("AhKh2c3cQhJhTh9h8c")), 0u);     // two hearts: royal flush
}

TEST(OmahaKernel, TooFewOrTooManyCardsAreNoHand) {
  EXPECT_EQ(omaha(hand("AhKd2c")), rankings::kNoHand32);
  EXPECT_EQ(omaha(hand("AhKd2c3cQhJh")), rankings::kNoHand32);          // board of two
  EXPECT_EQ(omaha(hand("AhKd2c3cQhJhTh9h8c7c")), rankings::kNoHand32);  // board of six
  // The first four cards are always the hole cards: five cards leave a board of one.
  EXPECT_EQ(omaha(hand("AhKdQhJhTh")), rankings::kNoHand32);
}

TEST(OmahaKernel, MatchesEveryPairAndTripleOnRandomHands) {
  std::mt19937_64 rng(45);
  for (int trial = 0; trial < 100000; ++trial) {
    const std::size_t board_size = 3 + trial % 3;
    const auto cards = testing::random_hand(rng, 4 + board_size);
    const std::span<const Card> all(cards);
    ASSERT_EQ(omaha(all), brute(all.first(4), all.subspan(4), rankings::high)) << trial;
  }
}

// The building blocks for five and six hole cards, high and low.
TEST(OmahaPairsAndTriples, HighAndLowMatchBruteForceForEveryHoleCount) {
  std::mt19937_64 rng(46);
  const OmahaTables& tables = omaha_tables();
  for (int trial = 0; trial < 60000; ++trial) {
    const std::size_t hole_size = 4 + trial % 3;
    const auto cards = testing::random_hand(rng, hole_size + 5);
    const std::span<const Card> hole = std::span<const Card>(cards).first(hole_size);
    const std::span<const Card> board = std::span<const Card>(cards).subspan(hole_size);
    HolePairs pairs;
    BoardTriples triples;
    prepare_hole_pairs(hole, pairs);
    prepare_board_triples(board, triples);
    ASSERT_EQ(pairs.count, hole_size * (hole_size - 1) / 2);
    ASSERT_EQ(triples.count, 10);
    ASSERT_EQ(best_high(pairs, triples, tables), brute(hole, board, rankings::high)) << trial;
    ASSERT_EQ(best_low(pairs, triples, tables), brute(hole, board, rankings::low_a5)) << trial;
  }
}

// The five-card board's unrolled reads for a game's fixed hole count, against brute force; one
// deal in two from two suits only, so that most boards have a flush suit and many hands a pair
// in it (the step those hands alone take).
template <std::size_t kHole>
void check_whole_board_reads(std::mt19937_64& rng) {
  constexpr std::size_t kPairs = kHole * (kHole - 1) / 2;
  const OmahaTables& tables = omaha_tables();
  const cards::CardMask two_suits = cards::kClubs | cards::kClubs << 1;
  for (int trial = 0; trial < 40000; ++trial) {
    const auto cards =
        testing::random_hand(rng, kHole + 5, trial % 2 ? two_suits : cards::kFullDeck);
    const std::span<const Card> hole = std::span<const Card>(cards).first(kHole);
    const std::span<const Card> board = std::span<const Card>(cards).subspan(kHole);
    HolePairs pairs;
    BoardTriples triples;
    prepare_hole_pairs(hole, pairs);
    prepare_board_triples(board, triples);
    ASSERT_EQ(best_high_of_five<kPairs>(pairs, triples, tables), brute(hole, board, rankings::high))
        << trial;
    ASSERT_EQ(best_low_of_five<kPairs>(pairs, triples, tables),
              brute(hole, board, rankings::low_a5))
        << trial;
  }
}

TEST(OmahaPairsAndTriples, FiveCardBoardsForAFixedHoleCountMatchBruteForce) {
  std::mt19937_64 rng(48);
  check_whole_board_reads<4>(rng);
  check_whole_board_reads<5>(rng);
  check_whole_board_reads<6>(rng);
}

TEST(OmahaPairsAndTriples, SuitedSuitsNameTheSuitsOfSuitedPairs) {
  HolePairs pairs;
  prepare_hole_pairs(hand("AhKh2c3d"), pairs);
  EXPECT_EQ(pairs.suited_suits, 1u << cards::suit_of(hand("2h")[0]));
  prepare_hole_pairs(hand("AhKh2c3c9s"), pairs);
  EXPECT_EQ(pairs.suited_suits, (1u << cards::suit_of(hand("2h")[0])) | 1u);
  prepare_hole_pairs(hand("AhKd2c3s"), pairs);
  EXPECT_EQ(pairs.suited_suits, 0u);
}

// Boards of three and four cards list their triples and meet every pair with every triple.
TEST(OmahaPairsAndTriples, ShortBoardsMatchBruteForce) {
  std::mt19937_64 rng(47);
  for (int trial = 0; trial < 20000; ++trial) {
    const std::size_t board_size = 3 + trial % 2;
    const auto cards = testing::random_hand(rng, 4 + board_size);
    HolePairs pairs;
    BoardTriples triples;
    prepare_hole_pairs(std::span<const Card>(cards).first(4), pairs);
    prepare_board_triples(std::span<const Card>(cards).subspan(4), triples);
    ASSERT_EQ(triples.count, board_size == 3 ? 1 : 4);
    const std::span<const Card> all(cards);
    ASSERT_EQ(best_high(pairs, triples), brute(all.first(4), all.subspan(4), rankings::high));
    ASSERT_EQ(best_low(pairs, triples), brute(all.first(4), all.subspan(4), rankings::low_a5));
  }
}

TEST(OmahaPairsAndTriples, EmptyListsAreNoHand) {
  HolePairs pairs;
  BoardTriples triples;
  prepare_hole_pairs(hand("Ah"), pairs);
  prepare_board_triples(hand("KhQhJh"), triples);
  EXPECT_EQ(pairs.count, 0);
  EXPECT_EQ(best_high(pairs, triples), rankings::kNoHand32);
  EXPECT_EQ(best_low(pairs, triples), rankings::kNoHand32);
}

}  // namespace
}  // namespace vantor::omaha
