#pragma once

// The readers of the module's text notation: a seat's hand field, the board and the dead cards.
//
// Every reader is a pure function of its text: it returns masks or the first NotationError, with
// positions in bytes within that text, and never throws on any input, valid UTF-8 or not.

#include <cstddef>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "expected.hpp"
#include "notation/notation_error.hpp"
#include "notation/ranges.hpp"
#include "notation/tokens.hpp"

namespace vantor::notation {

// The most alternatives one hand field may hold, ranges counted by their combinations: well above
// anything written by hand (every two-card hand is 1,326; every four-card Omaha hand 270,725),
// and low enough that a field of them is prepared in a few hundred megabytes at most.
inline constexpr std::size_t kMostFieldAlternatives = 300'000;

// Reads a hand field: comma-separated alternatives, each a run of card tokens (see
// read_card_tokens) or, where `slots` is 2, a two-card range. `slots` is how many cards the game
// deals a seat. With `allow_short` false (hold'em, Omaha) every plain alternative must write
// exactly `slots` cards; with it true (stud, draw games) from 1 to `slots`, the rest still to
// come. Alternatives come back in field order, a range as its combinations in expansion order.
// A field of more than `most` alternatives is refused (TooManyAlternatives, at the alternative
// that passed the limit) as soon as reading reaches it, so at most one range's combinations are
// read beyond it.
Expected<Alternatives, NotationError> parse_hand_field(std::string_view text, std::size_t slots,
                                                       bool allow_short,
                                                       std::size_t most = kMostFieldAlternatives);

// Reads a board: one run of card tokens, no alternatives, at most `most` cards. An empty or
// all-blank board is an empty list.
Expected<std::vector<cards::CardMask>, NotationError> read_board_field(std::string_view text,
                                                                       std::size_t most);

// Reads dead cards into one mask. Every card must be named exactly (rank and suit), since each
// possible reading of a wildcard would change the answer. The same card in two white-space
// separated pieces counts once; twice within one piece is a RepeatedCard. Empty text gives 0.
Expected<cards::CardMask, NotationError> read_dead_field(std::string_view text);

}  // namespace vantor::notation
