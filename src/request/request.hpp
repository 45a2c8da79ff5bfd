#pragma once

// The request builders: they turn an equity question into a PreparedRequest, or refuse it with the
// first thing wrong with it.
//
// One builder serves every game; the catalogue row decides how many cards a seat holds, whether
// a shorter hand is completed, how many seats fit, how much board may be given and what it is
// completed to, and which cards are in the deck. The checks run in this order and the first
// failure is returned:
//
//   - fewer than two seats, then more seats than the game deals;
//   - a seat with more than notation::kMostFieldAlternatives alternatives, then more than
//     kMostAlternatives in all;
//   - stud and razz: seats showing different numbers of cards, or at most two each;
//   - a seat without alternatives or with alternatives of different sizes, then a hand of the
//     wrong size (a shorter hand is completed with wildcards where the game deals over time);
//   - a seat none of whose alternatives has only non-empty masks;
//   - too many board masks, or none where Courchevel shows one before the betting;
//   - short deck: a dead card outside its deck;
//   - a card that two seats, or a seat and the board, certainly hold;
//   - a card some seat or the board certainly holds that is dead (or outside the short deck);
//   - no deal satisfying every seat, the board and the dead cards at once;
//   - alternatives that would take more than kMostPreparedBytes to prepare for dealing.
//
// Builders hold no state; every refusal is returned as a value, never thrown.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "errors/engine_error.hpp"
#include "errors/request_error.hpp"
#include "expected.hpp"
#include "notation/parser.hpp"
#include "request/prepared_request.hpp"
#include "variants/equity.hpp"

namespace vantor::odds {

// The most alternatives a request may have over all its seats (one seat may have
// notation::kMostFieldAlternatives). Bounds the memory the hands take before they are prepared.
inline constexpr std::size_t kMostAlternatives = 600'000;
// The most memory the alternatives may take once prepared for dealing (their draw plans and
// shapes): an alternative written out as cards takes about a kilobyte, one that holds cards to a
// rank or a suit without naming them can take megabytes (its plan lists the hands it allows).
inline constexpr std::size_t kMostPreparedBytes = std::size_t{256} << 20;

// The mask form. `seats`: per seat its whole alternatives, per alternative one mask per card.
// `board`: one mask per board card given. `dead`: the dead cards. Bits above card 51 are ignored
// (cut off here, for every caller).
// On success every field of the request is filled, the deal plan by sampler::plan_deal().
Expected<PreparedRequest, EngineError> build_request(const variants::Variant& game,
                                                     std::vector<cards::SeatAlternatives> seats,
                                                     std::vector<cards::CardMask> board,
                                                     cards::CardMask dead);

// The text form: reads every hand field in seat order with the sizes the game deals for this
// many seats (Variant::dealing(), and whether it completes short hands), then the board, then the
// dead cards, and hands the masks to build_request(). The first NotationError is returned as it
// is, before any check of the request; reading stops as soon as the fields read hold more than
// kMostAlternatives alternatives in all.
Expected<PreparedRequest, EngineError> build_request_from_text(const variants::Variant& game,
                                                               std::span<const std::string> hands,
                                                               std::string_view board,
                                                               std::string_view dead);

}  // namespace vantor::odds
