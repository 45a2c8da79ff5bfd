#include "variants/equity.hpp"

#include <bit>

#include "text/quoted.hpp"

namespace vantor::variants {
namespace {

// The catalogue's own invariants, checked where the data is written.
constexpr bool seats_fit_the_deck() {
  for (const Variant& v : kCatalogue) {
    if (std::popcount(v.deck) != v.deck_size) return false;
    // The most seats is as many hands of the largest table's dealing as the deck holds.
    const Dealing full = v.dealing(v.max_seats);
    if ((v.deck_size - full.board_cards) / full.hole_cards != v.max_seats) return false;
    // A game shares a card exactly from the table size whose whole hands no longer fit.
    if (v.shared_card_seats != 0) {
      const std::size_t below = v.shared_card_seats - 1u;
      if (below * v.hole_cards + v.board_cards > v.deck_size) return false;
      if (below * v.hole_cards + v.hole_cards + v.board_cards <= v.deck_size) return false;
    }
    if (v.least_board > v.board_cards) return false;
  }
  return true;
}
static_assert(seats_fit_the_deck());

}  // namespace

std::string UnknownGame::display() const {
  return "no game called " + text::quoted(key) + "; call variants() for the list";
}

Expected<const Variant*, UnknownGame> find_variant(std::string_view key) {
  for (const Variant& variant : kCatalogue) {
    if (variant.key == key) return &variant;
  }
  return fail(UnknownGame{std::string(key)});
}

}  // namespace vantor::variants
