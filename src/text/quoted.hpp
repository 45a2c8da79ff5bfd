#pragma once

// The one rendering of a caller's identifier (a game key, a kernel name, a card text) inside a
// message: between double quotes, with backslash escapes, so that an invisible or odd character
// in what the caller passed is shown rather than swallowed.

#include <string>
#include <string_view>

namespace vantor::text {

// Encloses `text` in double quotes. A double quote or backslash gets a backslash before it; tab,
// carriage return, line feed and NUL become \t, \r, \n and \0; other control, format, separator,
// private-use and non-character code points become \u{hex} (lowercase hex, no leading zeros);
// everything else, ordinary spaces included, stands as written. Bytes that are not valid UTF-8
// show as \u{fffd}.
std::string quoted(std::string_view text);

// Whether `c` stands as itself inside quoted(): false for the escaped classes above.
bool is_printable(char32_t c);

}  // namespace vantor::text
