#include "sampler/combinations.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support.hpp"

namespace vantor::sampler {
namespace {

using cards::Card;
using cards::CardMask;
using namespace testing;

// The walker's subsets, as masks in visiting order, each checked to come in ascending cards.
std::vector<CardMask> walked(CardMask pool, std::size_t k) {
  std::vector<CardMask> subsets;
  for_each_combination(pool, k, [&](std::span<const Card> chosen) {
    EXPECT_EQ(chosen.size(), k);
    EXPECT_TRUE(std::is_sorted(chosen.begin(), chosen.end()));
    subsets.push_back(mask_of({chosen.begin(), chosen.end()}));
  });
  return subsets;
}

// The reference takes the lowest card first, then leaves it out: lexicographic order of positions.
std::vector<CardMask> reference(CardMask pool, std::size_t k) {
  std::vector<CardMask> subsets;
  for_each_subset(pool & cards::kFullDeck, k, [&](CardMask set) { subsets.push_back(set); });
  return subsets;
}

TEST(Combinations, EverySubsetOnceInLexicographicOrder) {
  const CardMask scattered = CardMask{1} << 0 | CardMask{1} << 5 | CardMask{1} << 17 |
                             CardMask{1} << 18 | CardMask{1} << 33 | CardMask{1} << 50 |
                             CardMask{1} << 51;
  for (std::size_t k = 0; k <= 8; ++k) {
    EXPECT_EQ(walked(scattered, k), reference(scattered, k)) << k;
  }
  EXPECT_EQ(walked(cards::kFullDeck, 2), reference(cards::kFullDeck, 2));
  EXPECT_EQ(walked(cards::kFullDeck, 2).size(), 1326u);
}

TEST(Combinations, EdgeCases) {
  EXPECT_EQ(walked(0, 0), std::vector<CardMask>{0});  // one empty subset
  EXPECT_TRUE(walked(0xF, 5).empty());                // too few cards
  // Bits above card 51 are no cards.
  EXPECT_EQ(walked(~CardMask{0} << 50, 2), std::vector<CardMask>{CardMask{3} << 50});
}

}  // namespace
}  // namespace vantor::sampler
