#include "notation/ranges.hpp"

#include <algorithm>
#include <array>

#include "notation/tokens.hpp"
#include "text/unicode.hpp"

namespace vantor::notation {

namespace {

using Kind = NotationError::Kind;

// What reading a text as a hand class gives: a class, "not a class" (the text is then no range),
// or a suited or offsuit pair, which is an error.
struct ClassReading {
  enum class Outcome : std::uint8_t { NotAClass, Class, SuitedPair } outcome;
  HandClass hand;
};

constexpr ClassReading kNotAClass{ClassReading::Outcome::NotAClass, {}};

ClassReading read_hand_class(std::string_view text) {
  std::array<char32_t, 3> characters{};
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); ++count) {
    if (count == characters.size()) return kNotAClass;
    const text::CodePoint point = text::decode_utf8(text, at);
    characters[count] = point.value;
    at += point.length;
  }
  if (count < 2) return kNotAClass;
  const int first = rank_of_character(characters[0]);
  const int second = rank_of_character(characters[1]);
  if (first == kNotARank || second == kNotARank) return kNotAClass;
  // Written order does not matter: "KA" is AK.
  HandClass hand{Suitedness::Either, static_cast<cards::Rank>(std::max(first, second)),
                 static_cast<cards::Rank>(std::min(first, second))};
  if (count == 3) {
    char32_t marker = characters[2];
    if (marker >= U'A' && marker <= U'Z') marker += U'a' - U'A';
    if (marker == U's') {
      hand.suitedness = Suitedness::Suited;
    } else if (marker == U'o') {
      hand.suitedness = Suitedness::Offsuit;
    } else {
      return kNotAClass;
    }
    if (hand.high == hand.low) return {ClassReading::Outcome::SuitedPair, hand};
  }
  return {ClassReading::Outcome::Class, hand};
}

bool is_class(const ClassReading& reading) {
  return reading.outcome == ClassReading::Outcome::Class;
}
bool is_suited_pair(const ClassReading& reading) {
  return reading.outcome == ClassReading::Outcome::SuitedPair;
}

void expand(const HandClass& hand, Alternatives& out) {
  using cards::card_bit;
  using cards::card_of;
  using cards::Suit;
  for (Suit high_suit = 0; high_suit < cards::kSuitCount; ++high_suit) {
    // A pair's second card takes only the suits after the first, so each pair comes once.
    const Suit first_low_suit = hand.high == hand.low ? high_suit + 1 : 0;
    for (Suit low_suit = first_low_suit; low_suit < cards::kSuitCount; ++low_suit) {
      const bool suited = high_suit == low_suit;
      if (hand.suitedness == Suitedness::Suited && !suited) continue;
      if (hand.suitedness == Suitedness::Offsuit && suited) continue;
      out.push_back(
          {card_bit(card_of(hand.high, high_suit)), card_bit(card_of(hand.low, low_suit))});
    }
  }
}

}  // namespace

Expected<bool, Kind> read_range(std::string_view piece, Alternatives& out) {
  if (piece.find('%') != std::string_view::npos) return fail(Kind::PercentageRange);

  if (const std::size_t dash = piece.find('-'); dash != std::string_view::npos) {
    // Both ends are read, left first, so a SuitedPair on either side is reported even when the
    // other side turns out not to be a class.
    const ClassReading left = read_hand_class(piece.substr(0, dash));
    if (is_suited_pair(left)) return fail(Kind::SuitedPair);
    const ClassReading right = read_hand_class(piece.substr(dash + 1));
    if (is_suited_pair(right)) return fail(Kind::SuitedPair);
    if (!is_class(left) || !is_class(right)) return false;
    const HandClass& a = left.hand;
    const HandClass& b = right.hand;
    const int gap = a.high - a.low;
    if (a.suitedness != b.suitedness || gap != b.high - b.low) return fail(Kind::UnevenRange);
    for (int high = std::min(a.high, b.high); high <= std::max(a.high, b.high); ++high) {
      expand({a.suitedness, static_cast<cards::Rank>(high), static_cast<cards::Rank>(high - gap)},
             out);
    }
    return true;
  }

  if (piece.ends_with('+')) {
    const ClassReading base = read_hand_class(piece.substr(0, piece.size() - 1));
    if (is_suited_pair(base)) return fail(Kind::SuitedPair);
    if (!is_class(base)) return false;
    const HandClass& hand = base.hand;
    if (hand.high == hand.low) {
      for (int rank = hand.high; rank < cards::kRankCount; ++rank) {
        expand({Suitedness::Either, static_cast<cards::Rank>(rank), static_cast<cards::Rank>(rank)},
               out);
      }
    } else {
      for (int low = hand.low; low < hand.high; ++low) {
        expand({hand.suitedness, hand.high, static_cast<cards::Rank>(low)}, out);
      }
    }
    return true;
  }

  const ClassReading single = read_hand_class(piece);
  if (is_suited_pair(single)) return fail(Kind::SuitedPair);
  if (!is_class(single)) return false;
  expand(single.hand, out);
  return true;
}

}  // namespace vantor::notation
