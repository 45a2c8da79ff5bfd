#include "notation/tokens.hpp"

#include "text/unicode.hpp"

namespace vantor::notation {

Piece trim(Piece piece) {
  std::size_t begin = piece.text.size();
  std::size_t end = piece.text.size();
  for (std::size_t at = 0; at < piece.text.size();) {
    const text::CodePoint point = text::decode_utf8(piece.text, at);
    if (!text::is_white_space(point.value)) {
      if (begin == piece.text.size()) begin = at;
      end = at + point.length;
    }
    at += point.length;
  }
  return {piece.text.substr(begin, end - begin), piece.offset + begin};
}

Expected<void, NotationError> read_card_tokens(std::string_view piece, std::size_t offset,
                                               std::vector<cards::CardMask>& out) {
  cards::CardMask named = 0;  // cards named by rank-and-suit pairs so far
  for (std::size_t at = 0; at < piece.size();) {
    const text::CodePoint point = text::decode_utf8(piece, at);
    if (text::is_white_space(point.value)) {
      at += point.length;
    } else if (point.value == U'*') {
      out.push_back(cards::kFullDeck);
      at += point.length;
    } else if (const int rank = rank_of_character(point.value); rank != kNotARank) {
      // Rank and suit characters are ASCII, so the suit, if any, is the very next byte.
      const int suit = at + 1 < piece.size()
                           ? suit_of_character(static_cast<unsigned char>(piece[at + 1]))
                           : kNotASuit;
      if (suit == kNotASuit) {
        out.push_back(cards::rank_mask(static_cast<cards::Rank>(rank)));
        at += 1;
        continue;
      }
      const cards::Card card =
          cards::card_of(static_cast<cards::Rank>(rank), static_cast<cards::Suit>(suit));
      if (named & cards::card_bit(card)) {
        return fail(NotationError::repeated_card(card, offset + at, 2));
      }
      named |= cards::card_bit(card);
      out.push_back(cards::card_bit(card));
      at += 2;
    } else if (const int suit = suit_of_character(point.value); suit != kNotASuit) {
      out.push_back(cards::suit_mask(static_cast<cards::Suit>(suit)));
      at += point.length;
    } else {
      return fail(NotationError::bad_character(point.value, offset + at, point.length));
    }
  }
  return {};
}

Expected<std::vector<cards::CardMask>, NotationError> read_card_tokens(std::string_view piece,
                                                                       std::size_t offset) {
  std::vector<cards::CardMask> masks;
  if (auto read = read_card_tokens(piece, offset, masks); !read) return fail(read.error());
  return masks;
}

}  // namespace vantor::notation
