#include "cards/masks.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace vantor::cards {
namespace {

CardMask card(std::string_view name) { return card_bit(*card_index(name)); }

TEST(MaskOf, IsTheSetOfTheCards) {
  EXPECT_EQ(mask_of({}), 0u);
  const std::vector<Card> hand = {*card_index("Ah"), *card_index("2c"), *card_index("Ah")};
  EXPECT_EQ(mask_of(hand), card("Ah") | card("2c"));  // a repeated card counts once
  std::vector<Card> deck;
  for (Card c = 0; c < kCardCount; ++c) deck.push_back(c);
  EXPECT_EQ(mask_of(deck), kFullDeck);
}

TEST(NamedCards, OnlyOneCardSlotsName) {
  EXPECT_EQ(named_cards({}), 0u);
  const std::vector<CardMask> slots = {card("Ah"), rank_mask(12), 0, card("Kd"), kFullDeck};
  EXPECT_EQ(named_cards(slots), card("Ah") | card("Kd"));
}

TEST(CertainlyNamed, IsWhatEveryAlternativeNames) {
  EXPECT_EQ(certainly_named({}), 0u);
  EXPECT_EQ(certainly_named({{card("Ah"), card("Kd")}}), card("Ah") | card("Kd"));
  EXPECT_EQ(certainly_named({{card("Ah"), card("Kd")}, {card("Qs"), card("Ah")}}), card("Ah"));
  // A card allowed by a wider slot is not named, even when the other alternative names it.
  EXPECT_EQ(certainly_named({{card("Ah"), kFullDeck}, {rank_mask(12), card("Kd")}}), 0u);
}

TEST(CutToDeck, DropsEveryBitAboveCard51) {
  const CardMask high = CardMask{1} << 52 | CardMask{1} << 63;
  std::vector<SeatAlternatives> seats = {{{card("Ah") | high, high}, {kFullDeck}}};
  std::vector<CardMask> board = {~CardMask{0}, card("2c")};
  CardMask dead = high | card("3d");
  cut_to_deck(seats, board, dead);
  EXPECT_EQ(seats, (std::vector<SeatAlternatives>{{{card("Ah"), 0}, {kFullDeck}}}));
  EXPECT_EQ(board, (std::vector<CardMask>{kFullDeck, card("2c")}));
  EXPECT_EQ(dead, card("3d"));
}

}  // namespace
}  // namespace vantor::cards
