#include "text/unicode.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vantor::text {
namespace {

TEST(Utf8, EveryScalarValueRoundTrips) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string encoded;
    append_utf8(encoded, c);
    const std::size_t expected_length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    ASSERT_EQ(encoded.size(), expected_length) << std::hex << static_cast<std::uint32_t>(c);
    const CodePoint decoded = decode_utf8(encoded, 0);
    ASSERT_EQ(static_cast<std::uint32_t>(decoded.value), static_cast<std::uint32_t>(c));
    ASSERT_EQ(decoded.length, expected_length);
  }
}

TEST(Utf8, KnownEncodings) {
  EXPECT_EQ(decode_utf8("\xC3\x89", 0).value, U'\u00C9');
  EXPECT_EQ(decode_utf8("\xE3\x80\x80", 0).value, U'\u3000');
  EXPECT_EQ(decode_utf8("\xF0\x9F\x82\xA1", 0).value, U'\U0001F0A1');
  EXPECT_EQ(decode_utf8("ab", 1).value, U'b');
}

TEST(Utf8, MalformedBytesReadAsOneReplacementCharacterEach) {
  const char* malformed[] = {
      "\x80",              // continuation byte alone
      "\xC3",              // truncated two-byte sequence
      "\xE3\x80",          // truncated three-byte sequence
      "\xC0\x80",          // overlong NUL
      "\xE0\x80\x80",      // overlong
      "\xED\xA0\x80",      // encoded surrogate
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\xF8\x88\x80\x80",  // five-byte lead
      "\xFF",
      "\xC3\x28",  // lead followed by a non-continuation
  };
  for (const char* bytes : malformed) {
    const CodePoint point = decode_utf8(bytes, 0);
    EXPECT_EQ(point.value, kReplacementCharacter) << bytes;
    EXPECT_EQ(point.length, 1) << bytes;
  }
}

TEST(Utf8, UnencodableValuesWriteTheReplacementCharacter) {
  std::string out;
  append_utf8(out, 0xD800);
  append_utf8(out, 0x110000);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(WhiteSpace, ExactlyTheUnicodeWhiteSpaceProperty) {
  const std::set<char32_t> white_space = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,
                                          0xA0,   0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004,
                                          0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028,
                                          0x2029, 0x202F, 0x205F, 0x3000};
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    ASSERT_EQ(is_white_space(c), white_space.count(c) == 1)
        << std::hex << static_cast<std::uint32_t>(c);
  }
}

}  // namespace
}  // namespace vantor::text
