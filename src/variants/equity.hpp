#pragma once

// The fixed catalogue of fifteen games. A catalogue row is the one description of a game: how
// many cards a seat holds, how many community cards a deal has, which cards are dealt, how many
// seats fit, how the text fields are read and the request checked, and which showdown rule
// divides the pot. Everything else about a game (the readers' numbers, the request builder's
// checks, the showdown a loop is compiled with) is read from its row. The catalogue is constant
// data; nothing changes it at run time. Adding a game starts here: see CONTRIBUTING.md.

#include <algorithm>
#include <array>
#include <cstddef>
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

// What one table size of a game deals.
struct Dealing {
  std::size_t hole_cards;   // cards in each seat's hand: masks per completed hand, and the
                            // hand reader's `slots`
  std::size_t board_cards;  // community cards of a complete deal: what a board is completed to,
                            // the most a caller may give, and the board reader's `most`
};

struct Variant {
  std::string_view key;      // what callers pass as `variant`
  std::string_view label;    // what a menu shows
  std::uint8_t hole_cards;   // cards dealt to each seat (stud and draw games: the whole hand)
  std::uint8_t board_cards;  // community cards of a complete deal, 0 without a board
  cards::CardMask deck = cards::kFullDeck;
  std::uint8_t deck_size = 52;
  ShowdownRule showdown;
  std::uint8_t max_seats;
  // Board cards a caller must give: Courchevel turns one face up before the betting.
  std::uint8_t least_board = 0;
  // Whether a shorter hand is allowed, as the cards seen so far with the rest still to come
  // (stud, razz, the draw games): it is completed with wildcards.
  bool completes_short = false;
  // Whether every seat shows the same number of cards, at least three (stud and razz).
  bool shows_every_card = false;
  // From this many seats each seat is dealt one card fewer and one card is dealt face up, shared
  // by all (0: never). Stud seats eight that way: eight seven-card hands would need 56 cards.
  std::uint8_t shared_card_seats = 0;
  // Whether a mask allowing exactly the four cards of one rank may be pinned to one free card of
  // that rank (razz, which ranks hands by rank alone).
  bool pins_ranks = false;

  // The most cards a seat's showdown hand holds: its own cards plus the board.
  constexpr unsigned hand_capacity() const { return hole_cards + board_cards; }
  // Whether the showdown can award a low half.
  constexpr bool is_hi_lo() const {
    return showdown == ShowdownRule::OmahaHiLo || showdown == ShowdownRule::StudHiLo;
  }
  // How the game deals to `seat_count` seats.
  constexpr Dealing dealing(std::size_t seat_count) const {
    if (shared_card_seats != 0 && seat_count >= shared_card_seats) {
      return {hole_cards - 1u, board_cards + 1u};
    }
    return {hole_cards, board_cards};
  }
};

// Catalogue order, which is also the order of variants().
inline constexpr std::array<Variant, 15> kCatalogue = {{
    {.key = "holdem",
     .label = "Hold'em",
     .hole_cards = 2,
     .board_cards = 5,
     .showdown = ShowdownRule::BestHigh,
     .max_seats = 23},
    {.key = "short_deck",
     .label = "Short Deck Hold'em (flush beats full house)",
     .hole_cards = 2,
     .board_cards = 5,
     .deck = kShortDeck,
     .deck_size = 36,
     .showdown = ShowdownRule::ShortDeckHigh,
     .max_seats = 15},
    {.key = "omaha",
     .label = "Omaha",
     .hole_cards = 4,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHigh,
     .max_seats = 11},
    {.key = "omaha_five",
     .label = "5-Card Omaha",
     .hole_cards = 5,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHigh,
     .max_seats = 9},
    {.key = "omaha_six",
     .label = "6-Card Omaha",
     .hole_cards = 6,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHigh,
     .max_seats = 7},
    {.key = "omaha_hi_lo",
     .label = "Omaha Hi/Lo",
     .hole_cards = 4,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHiLo,
     .max_seats = 11},
    {.key = "omaha_five_hi_lo",
     .label = "5-Card Omaha Hi/Lo",
     .hole_cards = 5,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHiLo,
     .max_seats = 9},
    {.key = "courchevel",
     .label = "Courchevel",
     .hole_cards = 5,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHigh,
     .max_seats = 9,
     .least_board = 1},
    {.key = "courchevel_hi_lo",
     .label = "Courchevel Hi/Lo",
     .hole_cards = 5,
     .board_cards = 5,
     .showdown = ShowdownRule::OmahaHiLo,
     .max_seats = 9,
     .least_board = 1},
    {.key = "stud",
     .label = "Seven-Card Stud",
     .hole_cards = 7,
     .board_cards = 0,
     .showdown = ShowdownRule::BestHigh,
     .max_seats = 8,
     .completes_short = true,
     .shows_every_card = true,
     .shared_card_seats = 8},
    {.key = "stud_hi_lo",
     .label = "Seven-Card Stud Hi/Lo",
     .hole_cards = 7,
     .board_cards = 0,
     .showdown = ShowdownRule::StudHiLo,
     .max_seats = 8,
     .completes_short = true,
     .shows_every_card = true,
     .shared_card_seats = 8},
    {.key = "razz",
     .label = "Razz",
     .hole_cards = 7,
     .board_cards = 0,
     .showdown = ShowdownRule::RazzLow,
     .max_seats = 8,
     .completes_short = true,
     .shows_every_card = true,
     .shared_card_seats = 8,
     .pins_ranks = true},
    {.key = "deuce_seven",
     .label = "2-7 Lowball (single draw)",
     .hole_cards = 5,
     .board_cards = 0,
     .showdown = ShowdownRule::DeuceSevenLow,
     .max_seats = 10,
     .completes_short = true},
    {.key = "five_card_draw",
     .label = "5-Card Draw",
     .hole_cards = 5,
     .board_cards = 0,
     .showdown = ShowdownRule::BestHigh,
     .max_seats = 10,
     .completes_short = true},
    {.key = "badugi",
     .label = "Badugi (single draw)",
     .hole_cards = 4,
     .board_cards = 0,
     .showdown = ShowdownRule::BadugiLow,
     .max_seats = 13,
     .completes_short = true},
}};

// The most seats any game deals, and the most board cards any deal has: what fixed per-seat
// and per-board arrays are sized by.
inline constexpr std::size_t kMostSeats = [] {
  std::size_t most = 0;
  for (const Variant& v : kCatalogue) most = std::max<std::size_t>(most, v.max_seats);
  return most;
}();
inline constexpr std::size_t kMostBoardCards = [] {
  std::size_t most = 0;
  for (const Variant& v : kCatalogue) most = std::max(most, v.dealing(v.max_seats).board_cards);
  return most;
}();

// The position of a catalogue row in kCatalogue, found by address (rows are only ever referred
// to in place), or kCatalogue.size() for a Variant that is not a row of it.
constexpr std::size_t catalogue_index(const Variant& variant) {
  for (std::size_t i = 0; i < kCatalogue.size(); ++i) {
    if (&kCatalogue[i] == &variant) return i;
  }
  return kCatalogue.size();
}

// A `variant` argument that names no game: "no game called {key}; call variants() for the list".
struct UnknownGame {
  std::string key;  // as the caller wrote it

  std::string display() const;
};

// Exact, case-sensitive lookup: no trimming, no folding, no aliases. The entry lives for the
// whole process.
Expected<const Variant*, UnknownGame> find_variant(std::string_view key);

}  // namespace vantor::variants
