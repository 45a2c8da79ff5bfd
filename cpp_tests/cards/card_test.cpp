#include "cards/card.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <string>
#include <vector>

namespace vantor::cards {
namespace {

std::vector<Card> read(std::string_view text) {
  auto cards = parse_cards(text);
  EXPECT_TRUE(cards.has_value()) << text;
  return cards ? *cards : std::vector<Card>{};
}

std::string error_of(std::string_view text) {
  auto cards = parse_cards(text);
  EXPECT_FALSE(cards.has_value()) << text;
  return cards ? "" : cards.error().display();
}

TEST(CardIndex, LayoutIsRankTimesFourPlusSuit) {
  for (int rank = 0; rank < kRankCount; ++rank) {
    for (int suit = 0; suit < kSuitCount; ++suit) {
      const Card card = card_of(static_cast<Rank>(rank), static_cast<Suit>(suit));
      EXPECT_EQ(card, rank * 4 + suit);
      EXPECT_EQ(rank_of(card), rank);
      EXPECT_EQ(suit_of(card), suit);
      EXPECT_EQ(card_bit(card), CardMask{1} << card);
    }
  }
}

TEST(CardMask, StandardMasks) {
  EXPECT_EQ(kFullDeck, 4503599627370495u);
  EXPECT_EQ(rank_mask(12), 0xF000000000000u);
  EXPECT_EQ(suit_mask(3), 0x8888888888888u);
  CardMask ranks = 0;
  CardMask suits = 0;
  for (Rank rank = 0; rank < kRankCount; ++rank) {
    EXPECT_EQ(ranks & rank_mask(rank), 0u);
    ranks |= rank_mask(rank);
  }
  for (Suit suit = 0; suit < kSuitCount; ++suit) {
    EXPECT_EQ(suits & suit_mask(suit), 0u);
    EXPECT_EQ(std::popcount(suit_mask(suit)), 13);
    suits |= suit_mask(suit);
  }
  EXPECT_EQ(ranks, kFullDeck);
  EXPECT_EQ(suits, kFullDeck);
  for (Card card = 0; card < kCardCount; ++card) {
    EXPECT_EQ(card_bit(card) & rank_mask(rank_of(card)), card_bit(card));
    EXPECT_EQ(card_bit(card) & suit_mask(suit_of(card)), card_bit(card));
  }
}

TEST(CardText, NamesReadBackInAnyCase) {
  EXPECT_EQ(card_text(0), "2c");
  EXPECT_EQ(card_text(32), "Tc");
  EXPECT_EQ(card_text(50), "Ah");
  EXPECT_EQ(card_text(51), "As");
  for (Card card = 0; card < kCardCount; ++card) {
    const std::string name(card_text(card));
    ASSERT_EQ(name.size(), 2u);
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(name[0])) ||
                std::isdigit(static_cast<unsigned char>(name[0])));
    EXPECT_TRUE(std::islower(static_cast<unsigned char>(name[1])));
    const std::string lower{static_cast<char>(std::tolower(name[0])), name[1]};
    const std::string upper{name[0], static_cast<char>(std::toupper(name[1]))};
    for (const auto& spelling : {name, lower, upper}) {
      EXPECT_EQ(read(spelling), std::vector<Card>{card}) << spelling;
    }
  }
}

TEST(ParseCards, AllCardsInOneTextInOrder) {
  std::string text;
  std::vector<Card> expected;
  for (int card = kCardCount - 1; card >= 0; --card) {
    text += card_text(static_cast<Card>(card));
    expected.push_back(static_cast<Card>(card));
  }
  EXPECT_EQ(read(text), expected);
}

TEST(ParseCards, WhiteSpaceIsDroppedBeforePairing) {
  EXPECT_EQ(read(" A h "), std::vector<Card>{50});
  EXPECT_EQ(read("A\xE3\x80\x80h"), std::vector<Card>{50});  // U+3000 inside the card
  EXPECT_EQ(read("Ah\tKh\nQs"), (std::vector<Card>{50, 46, 43}));
  EXPECT_EQ(read(""), std::vector<Card>{});
  EXPECT_EQ(read(" \xC2\xA0 "), std::vector<Card>{});  // U+00A0
}

TEST(ParseCards, RepeatedCardsAreNotTheReadersConcern) {
  EXPECT_EQ(read("AhAh"), (std::vector<Card>{50, 50}));
}

TEST(ParseCards, ErrorsInReadingOrder) {
  EXPECT_EQ(error_of("10h"), "Uneven number of chars");
  EXPECT_EQ(error_of("Xh1"), "Uneven number of chars");  // counted before anything is read
  EXPECT_EQ(error_of("1h"), "Invalid rank character: 1");
  EXPECT_EQ(error_of("xx"), "Invalid rank character: x");  // rank first, as written
  EXPECT_EQ(error_of("Ax"), "Invalid suit character: x");
  EXPECT_EQ(error_of("AhKhQsQd2c7d9"), "Uneven number of chars");
  EXPECT_EQ(error_of("Ah,,Kh"), "Invalid rank character: ,");
  EXPECT_EQ(error_of("\xC3\x89h"), "Invalid rank character: \xC3\x89");  // É is one character
  EXPECT_EQ(error_of("A\xF0\x9F\x82\xA1"), "Invalid suit character: \xF0\x9F\x82\xA1");
}

TEST(ParseCards, EveryAsciiCharacterOutsideTheAlphabetIsRefused) {
  const std::string ranks = "23456789TJQKAtjqka";
  const std::string suits = "cdhsCDHS";
  for (int c = 0x21; c < 0x7F; ++c) {
    const char character = static_cast<char>(c);
    const bool is_rank = ranks.find(character) != std::string::npos;
    const bool is_suit = suits.find(character) != std::string::npos;
    const auto as_rank = parse_cards(std::string{character, 'h'});
    EXPECT_EQ(as_rank.has_value(), is_rank) << character;
    const auto as_suit = parse_cards(std::string{'A', character});
    EXPECT_EQ(as_suit.has_value(), is_suit) << character;
  }
}

TEST(ParseCards, InvalidUtf8ReadsAsReplacementCharacters) {
  // Python never hands over such bytes, but the reader must not misread or overrun them.
  EXPECT_EQ(error_of("\xFFh"), "Invalid rank character: \xEF\xBF\xBD");
  EXPECT_EQ(error_of("\xE3\x80"), "Invalid rank character: \xEF\xBF\xBD");  // two stray bytes
  EXPECT_EQ(error_of("A\xC3"), "Invalid suit character: \xEF\xBF\xBD");
}

TEST(ParseCards, TheBufferFormReusesItsOutput) {
  std::vector<Card> out{1, 2, 3};
  ASSERT_TRUE(parse_cards("As", out).has_value());
  EXPECT_EQ(out, std::vector<Card>{51});
  ASSERT_FALSE(parse_cards("AsKx", out).has_value());
  EXPECT_EQ(out, std::vector<Card>{51});  // what was read before the failing pair
}

TEST(CardLookup, CardName) {
  EXPECT_EQ(*card_name(0), "2c");
  EXPECT_EQ(*card_name(51), "As");
  EXPECT_EQ(card_name(52).error().display(), "52 is not a card index");
  EXPECT_EQ(card_name(255).error().display(), "255 is not a card index");
}

TEST(CardLookup, CardIndex) {
  EXPECT_EQ(*card_index(" t C "), 32);
  EXPECT_EQ(card_index("AhKh").error().display(), "\"AhKh\" names 2 cards, not one");
  EXPECT_EQ(card_index("").error().display(), "\"\" names 0 cards, not one");
  EXPECT_EQ(card_index("\n").error().display(), "\"\\n\" names 0 cards, not one");
  EXPECT_EQ(card_index("Ax").error().display(), "Invalid suit character: x");
}

TEST(CardError, TooManyCards) {
  EXPECT_EQ(CardError::too_many_cards(8).display(), "Too many cards in Vec: 8");
}

}  // namespace
}  // namespace vantor::cards
