#include "notation/parser.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "errors/engine_error.hpp"

namespace vantor::notation {
namespace {

using cards::CardMask;
using Kind = NotationError::Kind;

constexpr CardMask bit(int card) { return CardMask{1} << card; }
constexpr CardMask kAh = bit(50), kKh = bit(46), kQh = bit(42), kJh = bit(38);
constexpr CardMask kAnyAce = 0xF000000000000, kAnyHeart = 0x4444444444444;

struct ErrorCase {
  std::string text;
  std::string message;
  std::size_t position;
  std::size_t span;
};

void expect_error(const NotationError& error, const ErrorCase& expected) {
  EXPECT_EQ(error.message(), expected.message) << expected.text;
  EXPECT_EQ(error.position, expected.position) << expected.text;
  EXPECT_EQ(error.span, expected.span) << expected.text;
}

TEST(NotationError, CountMessagesTakeSingularAndPluralForms) {
  const auto count = [](Kind kind, std::size_t most, std::size_t written) {
    return NotationError::count(kind, most, written, 0, 0).message();
  };
  EXPECT_EQ(count(Kind::WrongCount, 2, 1), "this game deals 2 cards, but 1 was written");
  EXPECT_EQ(count(Kind::WrongCount, 1, 2), "this game deals 1 card, but 2 were written");
  EXPECT_EQ(count(Kind::WrongCount, 0, 0), "this game deals 0 cards, but 0 were written");
  EXPECT_EQ(count(Kind::WrongCountWithWildcard, 1, 2),
            "this game deals 1 card, but 2 were written: '*' is always exactly one card and never "
            "binds to the rank before it, so 'A*' is two cards, not one");
  // No singular forms here.
  EXPECT_EQ(count(Kind::TooManyCards, 1, 2), "at most 1 cards fit here, but 2 were written");
  EXPECT_EQ(count(Kind::TooManyCards, 0, 1), "at most 0 cards fit here, but 1 were written");
}

TEST(NotationError, InlineFormIsTheEngineErrorDisplay) {
  const NotationError nothing = NotationError::of_kind(Kind::NothingToRead, 5, 0);
  EXPECT_EQ(nothing.inline_form(), "nothing to read here (at byte 5)");
  const EngineError engine = NotationError::bad_character(U'x', 3, 1);
  EXPECT_EQ(display(engine), "'x' is not a rank, a suit, or '*' (at byte 3)");
  EXPECT_FALSE(is_internal_fault(engine));
}

TEST(CardTokens, ReadsEveryTokenKind) {
  const auto masks = read_card_tokens("Ah * A h\t2C", 0);
  ASSERT_TRUE(masks.has_value());
  EXPECT_EQ(*masks, (std::vector<CardMask>{kAh, cards::kFullDeck, kAnyAce, kAnyHeart, bit(0)}));
  // A '*' never binds to the rank before it.
  EXPECT_EQ(*read_card_tokens("A*", 0), (std::vector<CardMask>{kAnyAce, cards::kFullDeck}));
  EXPECT_EQ(*read_card_tokens("hA", 0), (std::vector<CardMask>{kAnyHeart, kAnyAce}));
  // An exact card with a wildcard that could also be it is not a repeat.
  EXPECT_EQ(*read_card_tokens("Ah A", 0), (std::vector<CardMask>{kAh, kAnyAce}));
}

TEST(CardTokens, PositionsAreShiftedByTheOffset) {
  const std::vector<ErrorCase> cases = {
      {"AhXh", "'X' is not a rank, a suit, or '*'", 12, 1},
      {"ahAH", "Ah is named twice in one hand", 12, 2},
      {"Ah \xE2\x82\xAC", "'\xE2\x82\xAC' is not a rank, a suit, or '*'", 13, 3},
  };
  for (const ErrorCase& c : cases) {
    const auto masks = read_card_tokens(c.text, 10);
    ASSERT_FALSE(masks.has_value()) << c.text;
    expect_error(masks.error(), c);
  }
}

TEST(BoardField, ReadsCardsInOrder) {
  const std::vector<CardMask> flop = {kKh, kQh, kJh};
  EXPECT_EQ(*read_board_field("Kh Qh Jh", 5), flop);
  EXPECT_EQ(*read_board_field("KhQhJh", 5), flop);
  EXPECT_EQ(*read_board_field("Kh Qh * ", 5), (std::vector<CardMask>{kKh, kQh, cards::kFullDeck}));
  EXPECT_TRUE(read_board_field("", 5)->empty());
  EXPECT_TRUE(read_board_field("   ", 5)->empty());
  EXPECT_TRUE(read_board_field(" \xE3\x80\x80", 0)->empty());  // U+3000 is white space
}

TEST(BoardField, Errors) {
  struct BoardCase {
    ErrorCase error;
    std::size_t most;
  };
  const std::vector<BoardCase> cases = {
      {{"Kh,Qh", "',' is not a rank, a suit, or '*'", 2, 1}, 5},
      // The comma check runs first, ahead of the bad suit before it.
      {{"Kx, Qh", "',' is not a rank, a suit, or '*'", 2, 1}, 5},
      {{"AhKhQhJhTh9h", "at most 5 cards fit here, but 6 were written", 0, 12}, 5},
      {{" Ah", "at most 0 cards fit here, but 1 were written", 1, 2}, 0},
      {{"  Kh Qh  ", "at most 1 cards fit here, but 2 were written", 2, 5}, 1},
      {{"AhAh", "Ah is named twice in one hand", 2, 2}, 5},
      {{"Kh Qx", "'x' is not a rank, a suit, or '*'", 4, 1}, 5},
  };
  for (const BoardCase& c : cases) {
    const auto board = read_board_field(c.error.text, c.most);
    ASSERT_FALSE(board.has_value()) << c.error.text;
    expect_error(board.error(), c.error);
  }
}

TEST(DeadField, PiecesKeepTheirOffsets) {
  EXPECT_EQ(*read_dead_field("\xC2\xA0"
                             "Ah\tKh"),
            kAh | kKh);  // U+00A0 separates too
  const auto inexact = read_dead_field("\xC3\xA9 2c A");
  ASSERT_FALSE(inexact.has_value());
  // "é" is a bad character long before "A" is reached.
  expect_error(inexact.error(), {"", "'\xC3\xA9' is not a rank, a suit, or '*'", 0, 2});
  const auto wildcard = read_dead_field("2c  Ah*");
  ASSERT_FALSE(wildcard.has_value());
  expect_error(
      wildcard.error(),
      {"", "a dead card must name one card, since every reading changes the answer", 4, 3});
}

// A field may hold `most` alternatives, ranges counted by their combinations; the one that goes
// past it is pointed at, and reading stops there.
TEST(HandField, HoldsAtMostTheLimitOfAlternatives) {
  const std::string three_named = "AhKh, 2c2d, 7s6s";
  EXPECT_EQ(parse_hand_field(three_named, 2, false, 3).value().size(), 3u);
  expect_error(parse_hand_field(three_named, 2, false, 2).error(),
               {three_named,
                "a hand field may hold at most 2 alternatives, and this one holds more (a range "
                "counts one for each of its hands); write the seat with fewer, using ranks, "
                "suits and '*' for the cards it need not name",
                12, 4});
  // AKs is four combinations: with 7 allowed, "QQ, AKs" (10) fails at the range.
  EXPECT_EQ(parse_hand_field("QQ, AKs", 2, false, 10).value().size(), 10u);
  const auto over = parse_hand_field("QQ, AKs, bad", 2, false, 7);
  ASSERT_FALSE(over);
  EXPECT_EQ(over.error().kind, Kind::TooManyAlternatives);
  EXPECT_EQ(over.error().position, 4u);  // ahead of the unreadable piece after it
  EXPECT_EQ(over.error().most, 7u);
  EXPECT_EQ(kMostFieldAlternatives, 300'000u);
}

TEST(HandField, InvalidUtf8IsReadOneByteAtATime) {
  // Text from Python is always valid UTF-8, but the reader must still point inside the text.
  const auto hand = parse_hand_field("Ah\xE2\x82", 2, false);
  ASSERT_FALSE(hand.has_value());
  EXPECT_EQ(hand.error().kind, Kind::BadCharacter);
  EXPECT_EQ(hand.error().position, 2u);
  EXPECT_EQ(hand.error().span, 1u);
}

}  // namespace
}  // namespace vantor::notation
