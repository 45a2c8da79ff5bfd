#include "notation/reading.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notation/parser.hpp"

namespace vantor::notation {
namespace {

struct Row {
  std::string key;
  std::size_t slots;
  bool allow_short;
  std::size_t most_board_cards;
};

// The documented rules for games whose reading does not depend on the seat count.
const std::vector<Row> kFixedRows = {
    {"holdem", 2, false, 5},        {"short_deck", 2, false, 5},
    {"omaha", 4, false, 5},         {"omaha_hi_lo", 4, false, 5},
    {"omaha_five", 5, false, 5},    {"omaha_five_hi_lo", 5, false, 5},
    {"courchevel", 5, false, 5},    {"courchevel_hi_lo", 5, false, 5},
    {"omaha_six", 6, false, 5},     {"deuce_seven", 5, true, 0},
    {"five_card_draw", 5, true, 0}, {"badugi", 4, true, 0},
};

TEST(FieldReading, FixedGamesIgnoreTheSeatCount) {
  for (const Row& row : kFixedRows) {
    for (std::size_t seats : {2u, 7u, 8u, 23u}) {
      const auto reading = field_reading(row.key, seats);
      ASSERT_TRUE(reading.has_value()) << row.key;
      EXPECT_EQ(reading->slots, row.slots) << row.key;
      EXPECT_EQ(reading->allow_short, row.allow_short) << row.key;
      EXPECT_EQ(reading->most_board_cards, row.most_board_cards) << row.key;
    }
  }
}

TEST(FieldReading, StudSharesACardFromEightSeats) {
  for (const char* key : {"stud", "stud_hi_lo", "razz"}) {
    for (std::size_t seats = 0; seats <= 10; ++seats) {
      const auto reading = field_reading(key, seats);
      ASSERT_TRUE(reading.has_value()) << key;
      EXPECT_TRUE(reading->allow_short) << key;
      EXPECT_EQ(reading->slots, seats < 8 ? 7u : 6u) << key << " " << seats;
      EXPECT_EQ(reading->most_board_cards, seats < 8 ? 0u : 1u) << key << " " << seats;
    }
  }
}

TEST(FieldReading, UnknownKeysMatchNothing) {
  for (const char* key : {"", "texas", "Holdem", "holdem ", "stud_hi", "omaha_five_hi"}) {
    EXPECT_FALSE(field_reading(key, 2).has_value()) << key;
  }
}

// The table's settings drive the readers as a text request would use them.
TEST(FieldReading, DrivesTheReaders) {
  const auto stud8 = *field_reading("stud", 8);
  EXPECT_TRUE(parse_hand_field("AhKh2c", stud8.slots, stud8.allow_short).has_value());
  EXPECT_FALSE(parse_hand_field("AhKh2c3c4c5c6c", stud8.slots, stud8.allow_short).has_value());
  EXPECT_TRUE(read_board_field("7d", stud8.most_board_cards).has_value());
  const auto stud7 = *field_reading("stud", 7);
  EXPECT_TRUE(parse_hand_field("AhKh2c3c4c5c6c", stud7.slots, stud7.allow_short).has_value());
  EXPECT_FALSE(read_board_field("7d", stud7.most_board_cards).has_value());
  const auto omaha = *field_reading("omaha", 2);
  EXPECT_FALSE(parse_hand_field("AhKh2c", omaha.slots, omaha.allow_short).has_value());
}

}  // namespace
}  // namespace vantor::notation
