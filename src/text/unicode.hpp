#pragma once

// The few pieces of Unicode the engine needs: walking UTF-8 text one code point at a time (with
// byte offsets, which every message position counts in), writing a code point back, and the
// white-space set that every text reader skips.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct CodePoint {
  char32_t value;
  std::uint8_t length;  // bytes taken from the text, 1 to 4
};

// Decodes the code point that starts at byte `at` (which must be below text.size()). Text from
// Python is always valid UTF-8; anything else (a stray continuation byte, a truncated or overlong
// sequence, an encoded surrogate) reads as U+FFFD taking one byte, so every byte is visited and a
// reader over arbitrary bytes always advances.
CodePoint decode_utf8(std::string_view text, std::size_t at);

// Appends the UTF-8 encoding of `value`; values that are not scalar values append U+FFFD.
void append_utf8(std::string& out, char32_t value);

// The Unicode White_Space property: tab, line feed, vertical tab, form feed, carriage return,
// space, U+0085, U+00A0, U+1680, U+2000 to U+200A, U+2028, U+2029, U+202F, U+205F and U+3000.
// (Python's str.isspace() differs: it also counts U+001C to U+001F.)
constexpr bool is_white_space(char32_t c) {
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  if (c < 0x85) return false;
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

}  // namespace vantor::text
