#pragma once

// The fixed catalogue of fifteen games. An entry decides how many cards a seat holds, how many
// community cards a deal has, which cards are dealt, how many seats fit and which showdown rule
// divides the pot. The catalogue is constant data; nothing changes it at run time.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "cards/card.hpp"
#include "expected.hpp"

namespace vantor::variants {

// How a complete deal is scored. Three rules also depend on the number of hole cards, which the
// showdown takes as a second, compile-time parameter: thirteen combinations in all.
enum class ShowdownRule : std::uint8_t {
  BestHigh,       // kernel `high` on all the seat's cards
  ShortDeckHigh,  // kernel `short_deck` on hole plus board
  RazzLow,        // kernel `low_a5` on seven cards, no qualifier
  DeuceSevenLow,  // kernel `deuce_seven` on five cards
  BadugiLow,      // kernel `badugi` on four cards
  OmahaHigh,      // exactly two hole cards with exactly three board cards
  OmahaHiLo,      // Omaha high, and an eight-or-better Omaha low for half the pot
  StudHiLo,       // `high` and an eight-or-better `low_a5` on the seven cards
};

inline constexpr cards::CardMask kShortDeck = 0xFFFFFFFFF0000;  // sixes and up

struct Variant {
  std::string_view key;      // what callers pass as `variant`
  std::string_view label;    // what a menu shows
  std::uint8_t hole_cards;   // cards dealt to each seat (stud and draw games: the whole hand)
  std::uint8_t board_cards;  // community cards of a complete deal, 0 without a board
  cards::CardMask deck;
  std::uint8_t deck_size;
  ShowdownRule showdown;
  std::uint8_t max_seats;
  bool board_required;  // Courchevel turns one board card face up before the betting

  // The most cards a seat's showdown hand holds: its own cards plus the board.
  constexpr unsigned hand_capacity() const { return hole_cards + board_cards; }
  // Whether the showdown can award a low half.
  constexpr bool is_hi_lo() const {
    return showdown == ShowdownRule::OmahaHiLo || showdown == ShowdownRule::StudHiLo;
  }
};

// Catalogue order, which is also the order of variants().
inline constexpr std::array<Variant, 15> kCatalogue = {{
    {"holdem", "Hold'em", 2, 5, cards::kFullDeck, 52, ShowdownRule::BestHigh, 23, false},
    {"short_deck", "Short Deck Hold'em (flush beats full house)", 2, 5, kShortDeck, 36,
     ShowdownRule::ShortDeckHigh, 15, false},
    {"omaha", "Omaha", 4, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHigh, 11, false},
    {"omaha_five", "5-Card Omaha", 5, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHigh, 9, false},
    {"omaha_six", "6-Card Omaha", 6, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHigh, 7, false},
    {"omaha_hi_lo", "Omaha Hi/Lo", 4, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHiLo, 11, false},
    {"omaha_five_hi_lo", "5-Card Omaha Hi/Lo", 5, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHiLo,
     9, false},
    {"courchevel", "Courchevel", 5, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHigh, 9, true},
    {"courchevel_hi_lo", "Courchevel Hi/Lo", 5, 5, cards::kFullDeck, 52, ShowdownRule::OmahaHiLo, 9,
     true},
    {"stud", "Seven-Card Stud", 7, 0, cards::kFullDeck, 52, ShowdownRule::BestHigh, 8, false},
    {"stud_hi_lo", "Seven-Card Stud Hi/Lo", 7, 0, cards::kFullDeck, 52, ShowdownRule::StudHiLo, 8,
     false},
    {"razz", "Razz", 7, 0, cards::kFullDeck, 52, ShowdownRule::RazzLow, 8, false},
    {"deuce_seven", "2-7 Lowball (single draw)", 5, 0, cards::kFullDeck, 52,
     ShowdownRule::DeuceSevenLow, 10, false},
    {"five_card_draw", "5-Card Draw", 5, 0, cards::kFullDeck, 52, ShowdownRule::BestHigh, 10,
     false},
    {"badugi", "Badugi (single draw)", 4, 0, cards::kFullDeck, 52, ShowdownRule::BadugiLow, 13,
     false},
}};

// A `variant` argument that names no game: "no game called {key}; call variants() for the list".
struct UnknownGame {
  std::string key;  // as the caller wrote it

  std::string display() const;
};

// Exact, case-sensitive lookup: no trimming, no folding, no aliases. The entry lives for the
// whole process.
Expected<const Variant*, UnknownGame> find_variant(std::string_view key);

}  // namespace vantor::variants
