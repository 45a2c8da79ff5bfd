#include "variants/equity.hpp"

#include <bit>

#include "text/quoted.hpp"

namespace vantor::variants {
namespace {

// The catalogue's own invariants, checked where the data is written.
constexpr bool seats_fit_the_deck() {
  for (const Variant& v : kCatalogue) {
    if (std::popcount(v.deck) != v.deck_size) return false;
    // Stud seats eight by sharing one face-up card once seven-card hands no longer fit.
    const bool stud_like = v.hole_cards == 7;
    const unsigned fit =
        stud_like ? (v.deck_size - 1) / 6 : (v.deck_size - v.board_cards) / v.hole_cards;
    if (fit != v.max_seats) return false;
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
