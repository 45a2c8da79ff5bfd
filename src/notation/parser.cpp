#include "notation/parser.hpp"

#include <bit>

#include "text/unicode.hpp"

namespace vantor::notation {

namespace {

using Kind = NotationError::Kind;

bool contains(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

// One trimmed piece of a hand field, appended to `out` as its alternatives.
Expected<void, NotationError> read_hand_piece(Piece piece, std::size_t slots, bool allow_short,
                                              Alternatives& out) {
  const std::string_view text = piece.text;
  if (text.empty()) return fail(NotationError::of_kind(Kind::NothingToRead, piece.offset, 0));
  if (slots != 2) {
    // Ranges are two-card shapes; in any other game these characters can only be a mistake, and
    // saying so beats pointing at the character as if it were a typo.
    if (contains(text, '+') || contains(text, '%') || contains(text, '-')) {
      return fail(NotationError::of_kind(Kind::RangeNeedsTwoCards, piece.offset, text.size()));
    }
  } else {
    const Expected<bool, Kind> range = read_range(text, out);
    if (!range) return fail(NotationError::of_kind(range.error(), piece.offset, text.size()));
    // A range is complete by construction: two cards per combination, no count to check.
    if (*range) return {};
  }

  Alternative masks;
  masks.reserve(slots < 8 ? slots : 8);
  if (auto read = read_card_tokens(text, piece.offset, masks); !read) return fail(read.error());
  const std::size_t written = masks.size();
  const bool fits = allow_short ? written >= 1 && written <= slots : written == slots;
  if (!fits) {
    // The commonest miscount is "A*" meant as one card, so a field with a '*' says why it is two.
    const Kind kind = contains(text, '*') ? Kind::WrongCountWithWildcard : Kind::WrongCount;
    return fail(NotationError::count(kind, slots, written, piece.offset, text.size()));
  }
  out.push_back(std::move(masks));
  return {};
}

}  // namespace

Expected<Alternatives, NotationError> parse_hand_field(std::string_view text, std::size_t slots,
                                                       bool allow_short, std::size_t most) {
  Alternatives alternatives;
  std::size_t begin = 0;
  while (true) {
    const std::size_t comma = text.find(',', begin);
    const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
    const Piece piece = trim({text.substr(begin, end - begin), begin});
    if (auto read = read_hand_piece(piece, slots, allow_short, alternatives); !read) {
      return fail(read.error());
    }
    if (alternatives.size() > most) {
      return fail(NotationError::too_many_alternatives(most, piece.offset, piece.text.size()));
    }
    if (comma == std::string_view::npos) return alternatives;
    begin = comma + 1;
  }
}

Expected<std::vector<cards::CardMask>, NotationError> read_board_field(std::string_view text,
                                                                       std::size_t most) {
  // A board is one list of cards; a comma would suggest alternatives it cannot have, so it is
  // refused before anything else, even ahead of an earlier bad character.
  if (const std::size_t comma = text.find(','); comma != std::string_view::npos) {
    return fail(NotationError::bad_character(U',', comma, 1));
  }
  const Piece board = trim({text, 0});
  std::vector<cards::CardMask> masks;
  if (board.text.empty()) return masks;
  if (auto read = read_card_tokens(board.text, board.offset, masks); !read) {
    return fail(read.error());
  }
  if (masks.size() > most) {
    return fail(NotationError::count(Kind::TooManyCards, most, masks.size(), board.offset,
                                     board.text.size()));
  }
  return masks;
}

Expected<cards::CardMask, NotationError> read_dead_field(std::string_view text) {
  cards::CardMask dead = 0;
  std::vector<cards::CardMask> masks;
  std::size_t at = 0;
  while (at < text.size()) {
    // The next white-space separated piece: [begin, at).
    text::CodePoint point = text::decode_utf8(text, at);
    if (text::is_white_space(point.value)) {
      at += point.length;
      continue;
    }
    const std::size_t begin = at;
    while (at < text.size() && !text::is_white_space(point.value)) {
      at += point.length;
      if (at < text.size()) point = text::decode_utf8(text, at);
    }
    const std::string_view piece = text.substr(begin, at - begin);
    masks.clear();
    // The whole piece is tokenized first, so "Kx" is reported at the "x", not as an inexact "K".
    if (auto read = read_card_tokens(piece, begin, masks); !read) return fail(read.error());
    for (const cards::CardMask mask : masks) {
      if (std::popcount(mask) != 1) {
        return fail(NotationError::of_kind(Kind::DeadCardNotExact, begin, piece.size()));
      }
      dead |= mask;
    }
  }
  return dead;
}

}  // namespace vantor::notation
