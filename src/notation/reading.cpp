#include "notation/reading.hpp"

#include <array>

namespace vantor::notation {

namespace {

struct GameReading {
  std::string_view key;
  FieldReading reading;
  bool is_stud;  // reads as `reading` below kStudSharedCardSeats seats, else one card fewer
                 // in hand and one on the board
};

// One entry per game key of the catalogue.
constexpr std::array<GameReading, 15> kReadings{{
    {"holdem", {2, false, 5}, false},
    {"short_deck", {2, false, 5}, false},
    {"omaha", {4, false, 5}, false},
    {"omaha_hi_lo", {4, false, 5}, false},
    {"omaha_five", {5, false, 5}, false},
    {"omaha_five_hi_lo", {5, false, 5}, false},
    {"courchevel", {5, false, 5}, false},
    {"courchevel_hi_lo", {5, false, 5}, false},
    {"omaha_six", {6, false, 5}, false},
    {"stud", {7, true, 0}, true},
    {"stud_hi_lo", {7, true, 0}, true},
    {"razz", {7, true, 0}, true},
    {"deuce_seven", {5, true, 0}, false},
    {"five_card_draw", {5, true, 0}, false},
    {"badugi", {4, true, 0}, false},
}};

}  // namespace

std::optional<FieldReading> field_reading(std::string_view game_key, std::size_t seat_count) {
  for (const GameReading& game : kReadings) {
    if (game.key != game_key) continue;
    FieldReading reading = game.reading;
    if (game.is_stud && seat_count >= kStudSharedCardSeats) {
      reading.slots -= 1;
      reading.most_board_cards += 1;
    }
    return reading;
  }
  return std::nullopt;
}

}  // namespace vantor::notation
