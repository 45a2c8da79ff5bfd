#pragma once

// NotationError: why a hand, board or dead-card field could not be read, and where.
//
// Positions and spans are byte offsets into the UTF-8 text handed to the reader, so a caller can
// point at the offending stretch whatever characters come before it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cards/card.hpp"

namespace vantor::notation {

struct NotationError {
  enum class Kind : std::uint8_t {
    BadCharacter,            // "'{character}' is not a rank, a suit, or '*'"
    NothingToRead,           // "nothing to read here"
    RepeatedCard,            // "{card} is named twice in one hand"
    WrongCount,              // "this game deals {slots} card(s), but {written} was/were written"
    WrongCountWithWildcard,  // WrongCount's message, then why 'A*' is two cards
    RangeNeedsTwoCards,      // "ranges are only written where a hand holds two cards"
    SuitedPair,              // "a pair cannot be suited or offsuit"
    UnevenRange,             // "both ends of a range must share the same gap"
    PercentageRange,         // "percentage ranges need a hand-strength ordering ..."
    DeadCardNotExact,        // "a dead card must name one card, ..."
    TooManyCards,            // "at most {most} cards fit here, but {written} were written"
    TooManyAlternatives,     // "a hand field may hold at most {most} alternatives, ..."
  };

  Kind kind;
  std::size_t position = 0;  // byte offset of the offending stretch
  std::size_t span = 0;      // its length in bytes; 0 where the stretch is empty
  char32_t character = 0;    // BadCharacter: the character exactly as written
  cards::Card card = 0;      // RepeatedCard
  std::size_t most = 0;      // WrongCount*: the game's slots; TooManyCards: the most that fit;
                             // TooManyAlternatives: the most a field may hold
  std::size_t written = 0;   // WrongCount*, TooManyCards: how many cards the field wrote

  static NotationError bad_character(char32_t c, std::size_t position, std::size_t span) {
    return {Kind::BadCharacter, position, span, c, 0, 0, 0};
  }
  static NotationError of_kind(Kind kind, std::size_t position, std::size_t span) {
    return {kind, position, span, 0, 0, 0, 0};
  }
  static NotationError repeated_card(cards::Card card, std::size_t position, std::size_t span) {
    return {Kind::RepeatedCard, position, span, 0, card, 0, 0};
  }
  static NotationError count(Kind kind, std::size_t most, std::size_t written, std::size_t position,
                             std::size_t span) {
    return {kind, position, span, 0, 0, most, written};
  }
  // Points at the alternative that took the field past `most`.
  static NotationError too_many_alternatives(std::size_t most, std::size_t position,
                                             std::size_t span) {
    return {Kind::TooManyAlternatives, position, span, 0, 0, most, 0};
  }

  // The kind's message alone.
  std::string message() const;

  // The rendering of parse_hand_field and parse_dead_cards: the text exactly as received, a line
  // with `position` spaces and max(span, 1) carets, then the message, joined by line feeds. The
  // pointer counts bytes, so characters outside ASCII before the error push it to the right.
  std::string pointer_form(std::string_view text) const;

  // The rendering inside an equity request, where the field is one of several:
  // "{message} (at byte {position})". It is the display text of EngineError.
  std::string inline_form() const;
  std::string display() const { return inline_form(); }

  friend bool operator==(const NotationError&, const NotationError&) = default;
};

}  // namespace vantor::notation
