#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notation/parser.hpp"
#include "variants/equity.hpp"

namespace vantor::variants {
namespace {

struct Row {
  std::string key;
  std::size_t slots;
  bool allow_short;
  std::size_t most_board_cards;
};

const Variant& game(std::string_view key) { return **find_variant(key); }

// The documented rules for games whose dealing does not depend on the seat count.
const std::vector<Row> kFixedRows = {
    {"holdem", 2, false, 5},        {"short_deck", 2, false, 5},
    {"omaha", 4, false, 5},         {"omaha_hi_lo", 4, false, 5},
    {"omaha_five", 5, false, 5},    {"omaha_five_hi_lo", 5, false, 5},
    {"courchevel", 5, false, 5},    {"courchevel_hi_lo", 5, false, 5},
    {"omaha_six", 6, false, 5},     {"deuce_seven", 5, true, 0},
    {"five_card_draw", 5, true, 0}, {"badugi", 4, true, 0},
};

TEST(Dealing, FixedGamesIgnoreTheSeatCount) {
  for (const Row& row : kFixedRows) {
    for (std::size_t seats : {2u, 7u, 8u, 23u}) {
      const Variant& v = game(row.key);
      EXPECT_EQ(v.dealing(seats).hole_cards, row.slots) << row.key;
      EXPECT_EQ(v.completes_short, row.allow_short) << row.key;
      EXPECT_EQ(v.dealing(seats).board_cards, row.most_board_cards) << row.key;
    }
  }
}

TEST(Dealing, StudSharesACardFromEightSeats) {
  for (const char* key : {"stud", "stud_hi_lo", "razz"}) {
    for (std::size_t seats = 0; seats <= 10; ++seats) {
      const Variant& v = game(key);
      EXPECT_TRUE(v.completes_short) << key;
      EXPECT_EQ(v.dealing(seats).hole_cards, seats < 8 ? 7u : 6u) << key << " " << seats;
      EXPECT_EQ(v.dealing(seats).board_cards, seats < 8 ? 0u : 1u) << key << " " << seats;
    }
  }
}

TEST(FindVariant, UnknownKeysMatchNothing) {
  for (const char* key : {"", "texas", "Holdem", "holdem ", "stud_hi", "omaha_five_hi"}) {
    EXPECT_FALSE(find_variant(key).has_value()) << key;
  }
}

// A row's dealing drives the readers as a text request uses it.
TEST(Dealing, DrivesTheReaders) {
  const Variant& stud = game("stud");
  const Dealing stud8 = stud.dealing(8);
  EXPECT_TRUE(
      notation::parse_hand_field("AhKh2c", stud8.hole_cards, stud.completes_short).has_value());
  EXPECT_FALSE(notation::parse_hand_field("AhKh2c3c4c5c6c", stud8.hole_cards, stud.completes_short)
                   .has_value());
  EXPECT_TRUE(notation::read_board_field("7d", stud8.board_cards).has_value());
  const Dealing stud7 = stud.dealing(7);
  EXPECT_TRUE(notation::parse_hand_field("AhKh2c3c4c5c6c", stud7.hole_cards, stud.completes_short)
                  .has_value());
  EXPECT_FALSE(notation::read_board_field("7d", stud7.board_cards).has_value());
  const Variant& omaha = game("omaha");
  EXPECT_FALSE(
      notation::parse_hand_field("AhKh2c", omaha.dealing(2).hole_cards, omaha.completes_short)
          .has_value());
}

TEST(Catalogue, FixedArraysFitEveryGame) {
  // Hold'em seats the most (23), and no deal has more than a full five-card board.
  EXPECT_EQ(kMostSeats, 23u);
  EXPECT_EQ(kMostBoardCards, 5u);
  for (const Variant& v : kCatalogue) {
    EXPECT_LE(v.max_seats, kMostSeats);
    EXPECT_LE(v.dealing(v.max_seats).board_cards, kMostBoardCards);
  }
}

TEST(Catalogue, RowsAreFoundByAddress) {
  for (std::size_t i = 0; i < kCatalogue.size(); ++i) EXPECT_EQ(catalogue_index(kCatalogue[i]), i);
  EXPECT_EQ(catalogue_index(game("razz")), 11u);
  const Variant copy = kCatalogue[0];
  EXPECT_EQ(catalogue_index(copy), kCatalogue.size());  // not a row of the catalogue
}

}  // namespace
}  // namespace vantor::variants
