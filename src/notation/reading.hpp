#pragma once

// How each game reads its text fields: how many cards a seat's hand field holds, whether a
// shorter field is allowed, and how many board cards may be written. The text request builders
// call this before reading any field, so the same rules serve every text entry point.

#include <cstddef>
#include <optional>
#include <string_view>

namespace vantor::notation {

struct FieldReading {
  std::size_t slots;             // cards the game deals a seat: parse_hand_field's `slots`
  bool allow_short;              // parse_hand_field's `allow_short`: cards still to come
  std::size_t most_board_cards;  // read_board_field's `most`
};

// The seat count from which a stud game (stud, stud_hi_lo, razz) deals six cards to each seat and
// shares the seventh face up: eight seats would need 56 cards.
inline constexpr std::size_t kStudSharedCardSeats = 8;

// The reading for a game key of the catalogue ("holdem", "stud", ...) with `seat_count` seats
// (the number of hand fields). Keys match byte for byte; an unknown key gives nothing, since the
// key has already been resolved against the catalogue by then.
std::optional<FieldReading> field_reading(std::string_view game_key, std::size_t seat_count);

}  // namespace vantor::notation
