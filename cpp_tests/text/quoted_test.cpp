#include "text/quoted.hpp"

#include <gtest/gtest.h>

namespace vantor::text {
namespace {

TEST(Quoted, PlainTextIsOnlyEnclosed) {
  EXPECT_EQ(quoted("texas"), "\"texas\"");
  EXPECT_EQ(quoted(""), "\"\"");
  EXPECT_EQ(quoted("hold'em "), "\"hold'em \"");
  EXPECT_EQ(quoted("\xC3\x89t\xC3\xA9"), "\"\xC3\x89t\xC3\xA9\"");  // accented letters stay
}

TEST(Quoted, QuotesAndBackslashesAreEscaped) {
  EXPECT_EQ(quoted("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(quoted("a\\b"), "\"a\\\\b\"");
}

TEST(Quoted, ControlCharacters) {
  EXPECT_EQ(quoted("\t\r\n"), "\"\\t\\r\\n\"");
  EXPECT_EQ(quoted(std::string_view("a\0b", 3)), "\"a\\0b\"");
  EXPECT_EQ(quoted("\x01\x1F\x7F"), "\"\\u{1}\\u{1f}\\u{7f}\"");
  EXPECT_EQ(quoted("\xC2\x85"), "\"\\u{85}\"");
}

TEST(Quoted, InvisibleCharactersAreShownByNumber) {
  EXPECT_EQ(quoted("\xC2\xA0"), "\"\\u{a0}\"");             // no-break space
  EXPECT_EQ(quoted("\xE2\x80\x8B"), "\"\\u{200b}\"");       // zero-width space
  EXPECT_EQ(quoted("\xE2\x80\xA8"), "\"\\u{2028}\"");       // line separator
  EXPECT_EQ(quoted("\xEF\xBB\xBF"), "\"\\u{feff}\"");       // byte-order mark
  EXPECT_EQ(quoted("\xEE\x80\x80"), "\"\\u{e000}\"");       // private use
  EXPECT_EQ(quoted("\xEF\xBF\xBF"), "\"\\u{ffff}\"");       // non-character
  EXPECT_EQ(quoted("\xF3\xA0\x80\x81"), "\"\\u{e0001}\"");  // language tag
}

TEST(Quoted, PrintableCharactersAroundTheHiddenRangesStay) {
  EXPECT_EQ(quoted("\xC2\xA1"), "\"\xC2\xA1\"");          // U+00A1
  EXPECT_EQ(quoted("\xE2\x80\x90"), "\"\xE2\x80\x90\"");  // U+2010 hyphen
  EXPECT_EQ(quoted("\xEF\xBF\xBD"), "\"\xEF\xBF\xBD\"");  // a real U+FFFD is printable
  EXPECT_EQ(quoted("\xF0\x9F\x82\xA1"), "\"\xF0\x9F\x82\xA1\"");
}

TEST(Quoted, MalformedBytesShowAsReplacementEscapes) {
  EXPECT_EQ(quoted("a\xFF"), "\"a\\u{fffd}\"");
}

TEST(Printable, Boundaries) {
  EXPECT_FALSE(is_printable(0x1F));
  EXPECT_TRUE(is_printable(0x20));
  EXPECT_TRUE(is_printable(0x7E));
  EXPECT_FALSE(is_printable(0x9F));
  EXPECT_TRUE(is_printable(0xA1));
  EXPECT_FALSE(is_printable(0x10FFFF));
  EXPECT_FALSE(is_printable(0x110000));
}

}  // namespace
}  // namespace vantor::text
