#pragma once

// The card vocabulary every other part of the engine speaks.
//
// A card is an index 0..51 in one byte: rank index * 4 + suit index.
//
//          2     3     4     5     6     7     8     9     T     J     Q     K     A
//   c      0     4     8    12    16    20    24    28    32    36    40    44    48
//   d      1     5     9    13    17    21    25    29    33    37    41    45    49
//   h      2     6    10    14    18    22    26    30    34    38    42    46    50
//   s      3     7    11    15    19    23    27    31    35    39    43    47    51
//
// A CardMask is a 64-bit set with bit i standing for card i; only the low 52 bits ever mean
// anything. A mask is either a set of cards (dead cards, a deck, the cards a deal has taken) or
// one card slot that any of its cards may fill (a named card is one bit, "any ace" four, an
// unseen card the full deck).

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "expected.hpp"

namespace vantor::cards {

using Card = std::uint8_t;
using CardMask = std::uint64_t;
using Rank = std::uint8_t;  // 0 = deuce ... 12 = ace; a higher index is a higher rank
using Suit = std::uint8_t;  // 0 = clubs, 1 = diamonds, 2 = hearts, 3 = spades

inline constexpr int kRankCount = 13;
inline constexpr int kSuitCount = 4;
inline constexpr int kCardCount = 52;

inline constexpr CardMask kFullDeck = 0xFFFFFFFFFFFFF;  // cards 0..51
inline constexpr CardMask kClubs = 0x1111111111111;     // every fourth bit from card 0
inline constexpr std::string_view kRankCharacters = "23456789TJQKA";  // indexed by rank
inline constexpr std::string_view kSuitCharacters = "cdhs";           // indexed by suit

// The arithmetic of the index layout. A card index above 51 is a broken invariant here: every
// public path checks indices before they reach these.
constexpr Rank rank_of(Card card) {
  assert(card < kCardCount);
  return static_cast<Rank>(card >> 2);
}
constexpr Suit suit_of(Card card) { return static_cast<Suit>(card & 3); }
constexpr Card card_of(Rank rank, Suit suit) { return static_cast<Card>(rank * 4 + suit); }

constexpr CardMask card_bit(Card card) { return CardMask{1} << card; }
// The four cards of one rank: "any ace" is rank_mask(12) = 0xF000000000000.
constexpr CardMask rank_mask(Rank rank) { return CardMask{0xF} << (4 * rank); }
// The thirteen cards of one suit: spades are suit_mask(3) = 0x8888888888888.
constexpr CardMask suit_mask(Suit suit) { return kClubs << suit; }

// The two-character name of a card, uppercase rank then lowercase suit ("Ah", "Tc", "2d"). The
// view points into a static table, so it never dangles and never allocates.
std::string_view card_text(Card card);

// A failure of the card readers and of the card lookups behind card_name and card_index. It is
// data only; display() gives the whole message.
struct CardError {
  enum class Kind : std::uint8_t {
    UnevenLength,   // "Uneven number of chars"
    BadRank,        // "Invalid rank character: {character}"
    BadSuit,        // "Invalid suit character: {character}"
    TooManyCards,   // "Too many cards in Vec: {count}" (the showdown's hand assembly)
    NotACardIndex,  // "{count} is not a card index"
    NotOneCard,     // "{text, quoted} names {count} cards, not one"
  };

  Kind kind;
  char32_t character = 0;  // BadRank, BadSuit: the character exactly as written
  std::size_t count = 0;   // TooManyCards, NotACardIndex, NotOneCard
  std::string text;        // NotOneCard: the whole input as received

  static CardError uneven_length() { return {Kind::UnevenLength, 0, 0, {}}; }
  static CardError bad_rank(char32_t c) { return {Kind::BadRank, c, 0, {}}; }
  static CardError bad_suit(char32_t c) { return {Kind::BadSuit, c, 0, {}}; }
  static CardError too_many_cards(std::size_t n) { return {Kind::TooManyCards, 0, n, {}}; }
  static CardError not_a_card_index(std::size_t i) { return {Kind::NotACardIndex, 0, i, {}}; }
  static CardError not_one_card(std::string text, std::size_t n) {
    return {Kind::NotOneCard, 0, n, std::move(text)};
  }

  std::string display() const;
};

// The strict card reader: two-character card names run together ("AhKhQsQd2c7d9s"), white space
// allowed anywhere and ignored, even inside a card. Ranks and suits are read case-insensitively
// (ASCII letters only). It knows no wildcards or separators and does not look for repeated cards.
// Characters are Unicode code points, so an odd count is reported before any character is looked
// at, and a non-ASCII character counts as one. The first failure, left to right and rank before
// suit, is returned; empty or all-blank text reads as no cards.
//
// The second form fills `out` (cleared first) so that a caller reading many hands reuses one
// buffer; on failure `out` holds the cards read before the failing pair.
Expected<std::vector<Card>, CardError> parse_cards(std::string_view text);
Expected<void, CardError> parse_cards(std::string_view text, std::vector<Card>& out);
// The same reading appended to `out`, for a batch that keeps every hand in one buffer. On failure
// the cards read before the failing pair may have been appended.
Expected<void, CardError> append_cards(std::string_view text, std::vector<Card>& out);

// The cores of the Python functions card_name and card_index.
Expected<std::string_view, CardError> card_name(unsigned index);
Expected<Card, CardError> card_index(std::string_view text);

}  // namespace vantor::cards
