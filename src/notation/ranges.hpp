#pragma once

// Two-card ranges: "AKs", "TT+", "A5s+", "KQs-76s". Only read where a hand holds two cards.

#include <cstdint>
#include <string_view>
#include <vector>

#include "cards/card.hpp"
#include "cards/masks.hpp"
#include "expected.hpp"
#include "notation/notation_error.hpp"

namespace vantor::notation {

using cards::Alternative;                      // one mask per card the seat holds
using Alternatives = cards::SeatAlternatives;  // the seat holds exactly one of them

enum class Suitedness : std::uint8_t { Either, Suited, Offsuit };

// A two-card hand shape. high >= low; a pair (high == low) is always Either.
struct HandClass {
  Suitedness suitedness;
  cards::Rank high;
  cards::Rank low;
};

// Reads a whole trimmed piece as a range, if it is one, and appends one alternative per two-card
// combination: classes in range order (pairs and dash ranges upwards from the lowest high rank,
// "+" ranges upwards from the written low rank), and within a class the high card first, its
// suit in the order c, d, h, s and the low card's suit inside that (pairs take (c,d), (c,h),
// (c,s), (d,h), (d,s), (h,s)).
//
// Returns true when the piece was a range, false when it is not one (it is then left to the card
// tokenizer, and `out` is untouched). The errors (PercentageRange, SuitedPair, UnevenRange) carry
// only their kind: the caller points them at the whole piece.
Expected<bool, NotationError::Kind> read_range(std::string_view piece, Alternatives& out);

}  // namespace vantor::notation
