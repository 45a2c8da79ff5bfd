#include "sampler/cards_from_mask.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace vantor::sampler {
namespace {

// The j-th lowest set bit found the slow way: list them all.
std::vector<unsigned> set_bits(std::uint64_t mask) {
  std::vector<unsigned> bits;
  for (unsigned bit = 0; bit < 64; ++bit) {
    if (mask >> bit & 1) bits.push_back(bit);
  }
  return bits;
}

void expect_every_rank(std::uint64_t mask) {
  const auto bits = set_bits(mask);
  for (unsigned j = 0; j < bits.size(); ++j) {
    ASSERT_EQ(nth_card(mask, j), bits[j]) << std::hex << mask << " j=" << std::dec << j;
  }
}

TEST(NthCard, AgreesWithListingOnEdgeMasks) {
  for (const std::uint64_t mask :
       {std::uint64_t{1}, std::uint64_t{1} << 51, cards::kFullDeck, ~std::uint64_t{0},
        std::uint64_t{0xFF00FF00FF00FF00}, std::uint64_t{0x8000000000000001},
        std::uint64_t{0x00000000FF000000}, std::uint64_t{0x0101010101010101}}) {
    expect_every_rank(mask);
  }
}

TEST(NthCard, AgreesWithListingOnRandomMasks) {
  Generator generator = Generator::seeded(7);
  for (int round = 0; round < 20000; ++round) {
    // Sparse and dense masks both: AND or OR two outputs, or take one.
    std::uint64_t mask = generator.next();
    if (round % 3 == 1) mask &= generator.next() & generator.next();
    if (round % 3 == 2) mask |= generator.next();
    mask &= cards::kFullDeck;
    if (mask != 0) expect_every_rank(mask);
  }
}

// The plain definition: each card the j-th lowest of what is left, j drawn below its count.
bool draw_one_by_one(Generator& generator, cards::CardMask& mask, std::size_t count,
                     std::vector<cards::Card>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    if (mask == 0) return false;
    const auto bits = set_bits(mask);
    const unsigned card = bits[uniform32(generator, static_cast<std::uint32_t>(bits.size()))];
    if (card >= cards::kCardCount) return false;
    out.push_back(static_cast<cards::Card>(card));
    mask &= ~cards::card_bit(static_cast<cards::Card>(card));
  }
  return true;
}

// The batched draw must consume the generator and produce cards exactly as the definition does,
// including when the mask runs out part-way and for counts past its batch, whichever way the
// cards are picked. The pdep path runs only where this processor has it in hardware.
class DrawCardsBothWays : public ::testing::TestWithParam<CardPicking> {};

TEST_P(DrawCardsBothWays, MatchesTheOneByOneDefinitionToTheBit) {
  if (GetParam() == CardPicking::Deposit && !deposit_is_fast()) GTEST_SKIP() << "no fast pdep";
  const auto draw = GetParam() == CardPicking::Deposit ? draw_cards<CardPicking::Deposit>
                                                       : draw_cards<CardPicking::Broadword>;
  Generator masks = Generator::seeded(11);
  for (int round = 0; round < 20000; ++round) {
    std::uint64_t mask = masks.next();
    if (round % 2 == 1) mask &= masks.next();
    // Some masks keep bits above the deck, where both draws must fail alike.
    if (round % 5 != 4) mask &= cards::kFullDeck;
    const std::size_t count = masks.next() % 21;
    Generator fast = Generator::seeded(static_cast<std::uint64_t>(round));
    Generator plain = fast;
    cards::CardMask fast_mask = mask, plain_mask = mask;
    std::vector<cards::Card> fast_out, plain_out;
    const bool fast_ok = draw(fast, fast_mask, count, fast_out);
    const bool plain_ok = draw_one_by_one(plain, plain_mask, count, plain_out);
    ASSERT_EQ(fast_ok, plain_ok) << round;
    ASSERT_EQ(fast.state(), plain.state()) << round;
    if (plain_ok) {
      ASSERT_EQ(fast_out, plain_out) << round;
      ASSERT_EQ(fast_mask, plain_mask) << round;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Picking, DrawCardsBothWays,
                         ::testing::Values(CardPicking::Broadword, CardPicking::Deposit));

TEST(DrawCards, TakesDistinctCardsFromTheMaskAndFailsWhenItRunsOut) {
  Generator generator = Generator::seeded(3);
  cards::CardMask mask = 0x00F0F0F0F0F0F;
  std::vector<cards::Card> out;
  ASSERT_TRUE(draw_cards(generator, mask, 24, out));
  EXPECT_EQ(mask, 0u);
  cards::CardMask drawn = 0;
  for (const cards::Card card : out) drawn |= cards::card_bit(card);
  EXPECT_EQ(drawn, 0x00F0F0F0F0F0Fu);
  EXPECT_FALSE(draw_cards(generator, mask, 1, out));
}

}  // namespace
}  // namespace vantor::sampler
