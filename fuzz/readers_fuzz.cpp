// libFuzzer target for the four notation readers: read_card_tokens, parse_hand_field (both
// readings), read_board_field and read_dead_field.
//
// The first input byte picks the settings; the rest is the text. Half the inputs are read as raw
// bytes (the readers must survive text that is not UTF-8 at all), the other half are turned into
// valid UTF-8 drawn mostly from the notation's own characters and the white-space set, which is
// where the interesting paths are, with arbitrary code points mixed in.
//
// Every reader must return without crashing, and every error must point inside the text:
// position + span <= size. Successful reads are checked against the shapes they promise.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "notation/parser.hpp"
#include "text/unicode.hpp"

namespace {

using vantor::cards::CardMask;
using vantor::cards::kFullDeck;
using vantor::notation::NotationError;

// Characters the readers treat specially, plus a few multi-byte ones.
constexpr char32_t kAlphabet[] = {
    U'2',   U'3',   U'4',   U'5',   U'6',   U'7',   U'8', U'9',   U'T',    U'J',   U'Q',
    U'K',   U'A',   U't',   U'j',   U'q',   U'k',   U'a', U'c',   U'd',    U'h',   U's',
    U'C',   U'D',   U'H',   U'S',   U'o',   U'O',   U'x', U'*',   U',',    U'+',   U'-',
    U'%',   U' ',   U'\t',  U'\n',  U'1',   U'0',   0x00, 0x85,   0xA0,    0x1680, 0x2000,
    0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000, 0xE9, 0x20AC, 0x1F0A1, 0xFFFD,
};
constexpr std::size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]);

std::string as_utf8(const std::uint8_t* data, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] < 0xF0 || i + 2 >= size) {
      vantor::text::append_utf8(text, kAlphabet[data[i] % kAlphabetSize]);
    } else {
      // Any code point up to U+10FFFF; surrogates come out as U+FFFD.
      const char32_t value = ((data[i] & 0x0Fu) << 16 | data[i + 1] << 8 | data[i + 2]) % 0x110000;
      vantor::text::append_utf8(text, value);
      i += 2;
    }
  }
  return text;
}

void check(bool holds) {
  if (!holds) std::abort();
}

void check_error(const NotationError& error, std::string_view text) {
  check(error.position <= text.size() && error.span <= text.size() - error.position);
  check(!error.message().empty());
  check(error.pointer_form(text).size() > text.size());
  check(!error.inline_form().empty());
}

bool is_card_slot(CardMask mask) {
  const int bits = std::popcount(mask);
  return (mask & ~kFullDeck) == 0 && (bits == 1 || bits == 4 || bits == 13 || bits == 52);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t settings = data[0];
  const std::string text = (settings & 1)
                               ? std::string(reinterpret_cast<const char*>(data + 1), size - 1)
                               : as_utf8(data + 1, size - 1);
  const std::size_t slots = (settings >> 1) & 7;  // 0 to 7, so 2 (ranges) comes up often
  const bool allow_short = (settings >> 4) & 1;
  const std::size_t most = (settings >> 5) & 7;

  if (const auto tokens = vantor::notation::read_card_tokens(text, 0); tokens) {
    for (const CardMask mask : *tokens) check(is_card_slot(mask));
  } else {
    check_error(tokens.error(), text);
  }

  if (const auto hand = vantor::notation::parse_hand_field(text, slots, allow_short); hand) {
    check(!hand->empty());
    for (const auto& alternative : *hand) {
      const std::size_t written = alternative.size();
      check(allow_short ? written >= 1 && written <= slots : written == slots);
      for (const CardMask mask : alternative) check(is_card_slot(mask));
    }
  } else {
    check_error(hand.error(), text);
  }

  if (const auto board = vantor::notation::read_board_field(text, most); board) {
    check(board->size() <= most);
    for (const CardMask mask : *board) check(is_card_slot(mask));
  } else {
    check_error(board.error(), text);
  }

  if (const auto dead = vantor::notation::read_dead_field(text); dead) {
    check((*dead & ~kFullDeck) == 0);
  } else {
    check_error(dead.error(), text);
  }
  return 0;
}
