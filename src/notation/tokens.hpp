#pragma once

// The card tokenizer every notation field shares, and the character classes it is built on.

#include <cstddef>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "expected.hpp"
#include "notation/notation_error.hpp"

namespace vantor::notation {

inline constexpr int kNotARank = -1;
inline constexpr int kNotASuit = -1;

// Rank index of "2".."9", "T", "J", "Q", "K", "A", ASCII lowercase letters read as uppercase;
// kNotARank for anything else.
constexpr int rank_of_character(char32_t c) {
  if (c >= U'a' && c <= U'z') c -= U'a' - U'A';
  for (std::size_t rank = 0; rank < cards::kRankCharacters.size(); ++rank) {
    if (c == static_cast<char32_t>(cards::kRankCharacters[rank])) return static_cast<int>(rank);
  }
  return kNotARank;
}

// Suit index of "c", "d", "h", "s", ASCII uppercase letters read as lowercase; kNotASuit else.
constexpr int suit_of_character(char32_t c) {
  if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
  for (std::size_t suit = 0; suit < cards::kSuitCharacters.size(); ++suit) {
    if (c == static_cast<char32_t>(cards::kSuitCharacters[suit])) return static_cast<int>(suit);
  }
  return kNotASuit;
}

// A stretch of a field with its byte offset in the whole field.
struct Piece {
  std::string_view text;
  std::size_t offset;
};

// Removes leading and trailing Unicode white space. The offset moves forward by the bytes removed
// in front; an all-blank piece becomes the empty piece at its own end, which is where "nothing to
// read here" should point.
Piece trim(Piece piece);

// Reads a piece into card masks, one per card written, in order:
//   "*"              the full deck: any one card;
//   rank then suit   one card (no white space between them), one bit;
//   rank alone       any card of that rank, four bits ("A*" is therefore two cards);
//   suit alone       any card of that suit, thirteen bits.
// White space is skipped anywhere. Fails with BadCharacter on any other character and with
// RepeatedCard when a rank-and-suit pair names a card an earlier pair of the piece named; a
// wildcard that could also be that card is not a repeat. Positions are within the piece plus
// `offset`. The masks are appended to `out`; on failure `out` may hold part of the piece.
Expected<void, NotationError> read_card_tokens(std::string_view piece, std::size_t offset,
                                               std::vector<cards::CardMask>& out);
Expected<std::vector<cards::CardMask>, NotationError> read_card_tokens(std::string_view piece,
                                                                       std::size_t offset);

}  // namespace vantor::notation
