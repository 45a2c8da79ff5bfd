#include "notation/notation_error.hpp"

#include "text/unicode.hpp"

namespace vantor::notation {

namespace {

std::string count_message(std::size_t slots, std::size_t written) {
  return "this game deals " + std::to_string(slots) + (slots == 1 ? " card" : " cards") + ", but " +
         std::to_string(written) + (written == 1 ? " was" : " were") + " written";
}

}  // namespace

std::string NotationError::message() const {
  switch (kind) {
    case Kind::BadCharacter: {
      std::string text = "'";
      text::append_utf8(text, character);
      return text + "' is not a rank, a suit, or '*'";
    }
    case Kind::NothingToRead:
      return "nothing to read here";
    case Kind::RepeatedCard:
      return std::string(cards::card_text(card)) + " is named twice in one hand";
    case Kind::WrongCount:
      return count_message(most, written);
    case Kind::WrongCountWithWildcard:
      return count_message(most, written) +
             ": '*' is always exactly one card and never binds to the rank before it, so 'A*' is "
             "two cards, not one";
    case Kind::RangeNeedsTwoCards:
      return "ranges are only written where a hand holds two cards";
    case Kind::SuitedPair:
      return "a pair cannot be suited or offsuit";
    case Kind::UnevenRange:
      return "both ends of a range must share the same gap";
    case Kind::PercentageRange:
      return "percentage ranges need a hand-strength ordering this library does not define";
    case Kind::DeadCardNotExact:
      return "a dead card must name one card, since every reading changes the answer";
    case Kind::TooManyCards:
      // No singular forms here, on purpose: the wording is fixed as "at most 1 cards".
      return "at most " + std::to_string(most) + " cards fit here, but " + std::to_string(written) +
             " were written";
    case Kind::TooManyAlternatives:
      return "a hand field may hold at most " + std::to_string(most) +
             " alternatives, and this one holds more (a range counts one for each of its hands); "
             "write the seat with fewer, using ranks, suits and '*' for the cards it need not name";
  }
  return "unknown notation error";
}

std::string NotationError::pointer_form(std::string_view text) const {
  std::string rendered(text);
  rendered += '\n';
  rendered.append(position, ' ');
  rendered.append(span == 0 ? 1 : span, '^');
  rendered += '\n';
  rendered += message();
  return rendered;
}

std::string NotationError::inline_form() const {
  return message() + " (at byte " + std::to_string(position) + ")";
}

}  // namespace vantor::notation
