#include "cards/card.hpp"

#include <array>

#include "text/quoted.hpp"
#include "text/unicode.hpp"

namespace vantor::cards {

namespace {

// Maps a card index to its name: characters 2i and 2i + 1.
constexpr auto kCardNames = [] {
  std::array<char, 2 * kCardCount> names{};
  for (int card = 0; card < kCardCount; ++card) {
    names[2 * card] = kRankCharacters[card / 4];
    names[2 * card + 1] = kSuitCharacters[card % 4];
  }
  return names;
}();

constexpr int kNoIndex = -1;

// Rank index of a rank character, ASCII lowercase letters read as uppercase; kNoIndex otherwise.
constexpr int rank_index(char32_t c) {
  if (c >= U'a' && c <= U'z') c -= U'a' - U'A';
  for (std::size_t rank = 0; rank < kRankCharacters.size(); ++rank) {
    if (c == static_cast<char32_t>(kRankCharacters[rank])) return static_cast<int>(rank);
  }
  return kNoIndex;
}

// Suit index of a suit letter, ASCII uppercase letters read as lowercase; kNoIndex otherwise.
constexpr int suit_index(char32_t c) {
  if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
  for (std::size_t suit = 0; suit < kSuitCharacters.size(); ++suit) {
    if (c == static_cast<char32_t>(kSuitCharacters[suit])) return static_cast<int>(suit);
  }
  return kNoIndex;
}

}  // namespace

std::string_view card_text(Card card) {
  assert(card < kCardCount);
  return {kCardNames.data() + 2 * card, 2};
}

std::string CardError::display() const {
  std::string message;
  switch (kind) {
    case Kind::UnevenLength:
      return "Uneven number of chars";
    case Kind::BadRank:
      message = "Invalid rank character: ";
      text::append_utf8(message, character);
      return message;
    case Kind::BadSuit:
      message = "Invalid suit character: ";
      text::append_utf8(message, character);
      return message;
    case Kind::TooManyCards:
      return "Too many cards in Vec: " + std::to_string(count);
    case Kind::NotACardIndex:
      return std::to_string(count) + " is not a card index";
    case Kind::NotOneCard:
      return text::quoted(text) + " names " + std::to_string(count) + " cards, not one";
  }
  return "unknown card error";
}

namespace {

// Card index of a rank byte and a suit byte read together, or kNoIndex: the fast path for text
// that is nothing but card names, which is what batches of hands almost always are.
constexpr auto kRankOfByte = [] {
  std::array<std::int8_t, 256> ranks{};
  for (int c = 0; c < 256; ++c) ranks[c] = static_cast<std::int8_t>(rank_index(char32_t(c)));
  return ranks;
}();
constexpr auto kSuitOfByte = [] {
  std::array<std::int8_t, 256> suits{};
  for (int c = 0; c < 256; ++c) suits[c] = static_cast<std::int8_t>(suit_index(char32_t(c)));
  return suits;
}();

bool append_plain_cards(std::string_view text, std::vector<Card>& out) {
  if (text.size() % 2 != 0) return false;
  const std::size_t start = out.size();
  out.resize(start + text.size() / 2);
  Card* card = out.data() + start;
  for (std::size_t at = 0; at < text.size(); at += 2) {
    const int rank = kRankOfByte[static_cast<unsigned char>(text[at])];
    const int suit = kSuitOfByte[static_cast<unsigned char>(text[at + 1])];
    if ((rank | suit) < 0) {
      out.resize(start);
      return false;
    }
    *card++ = card_of(static_cast<Rank>(rank), static_cast<Suit>(suit));
  }
  return true;
}

}  // namespace

Expected<void, CardError> append_cards(std::string_view text, std::vector<Card>& out) {
  if (append_plain_cards(text, out)) return {};

  std::size_t characters = 0;
  for (std::size_t at = 0; at < text.size();) {
    const text::CodePoint point = text::decode_utf8(text, at);
    at += point.length;
    if (!text::is_white_space(point.value)) ++characters;
  }
  if (characters % 2 != 0) return fail(CardError::uneven_length());
  out.reserve(out.size() + characters / 2);

  // Pairs are formed over the characters that remain once white space is gone, so "A h" is Ah.
  char32_t rank_character = 0;
  bool have_rank_character = false;
  for (std::size_t at = 0; at < text.size();) {
    const text::CodePoint point = text::decode_utf8(text, at);
    at += point.length;
    if (text::is_white_space(point.value)) continue;
    if (!have_rank_character) {
      rank_character = point.value;
      have_rank_character = true;
      continue;
    }
    have_rank_character = false;
    const int rank = rank_index(rank_character);
    if (rank == kNoIndex) {
      return fail(CardError::bad_rank(rank_character));
    }
    const int suit = suit_index(point.value);
    if (suit == kNoIndex) {
      return fail(CardError::bad_suit(point.value));
    }
    out.push_back(card_of(static_cast<Rank>(rank), static_cast<Suit>(suit)));
  }
  return {};
}

Expected<void, CardError> parse_cards(std::string_view text, std::vector<Card>& out) {
  out.clear();
  return append_cards(text, out);
}

Expected<std::vector<Card>, CardError> parse_cards(std::string_view text) {
  std::vector<Card> cards;
  if (auto read = parse_cards(text, cards); !read) return fail(std::move(read).error());
  return cards;
}

Expected<std::string_view, CardError> card_name(unsigned index) {
  if (index >= kCardCount) {
    return fail(CardError::not_a_card_index(index));
  }
  return card_text(static_cast<Card>(index));
}

Expected<Card, CardError> card_index(std::string_view text) {
  auto cards = parse_cards(text);
  if (!cards) return fail(std::move(cards).error());
  if (cards->size() != 1) {
    return fail(CardError::not_one_card(std::string(text), cards->size()));
  }
  return cards->front();
}

}  // namespace vantor::cards
