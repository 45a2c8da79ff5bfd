#include "text/quoted.hpp"

#include <array>
#include <cstdio>

#include "text/unicode.hpp"

namespace vantor::text {

namespace {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

// Code points that are never shown as themselves: the format characters (general category Cf),
// the separators other than the ordinary space (Zs, Zl, Zp), the private-use areas (Co) and the
// non-characters. Control characters (Cc) are handled before this table is consulted.
constexpr std::array kHiddenRanges = {
    CodePointRange{0x00A0, 0x00A0},    CodePointRange{0x00AD, 0x00AD},
    CodePointRange{0x0600, 0x0605},    CodePointRange{0x061C, 0x061C},
    CodePointRange{0x06DD, 0x06DD},    CodePointRange{0x070F, 0x070F},
    CodePointRange{0x0890, 0x0891},    CodePointRange{0x08E2, 0x08E2},
    CodePointRange{0x1680, 0x1680},    CodePointRange{0x180E, 0x180E},
    CodePointRange{0x2000, 0x200F},    CodePointRange{0x2028, 0x202F},
    CodePointRange{0x205F, 0x2064},    CodePointRange{0x2066, 0x206F},
    CodePointRange{0x3000, 0x3000},    CodePointRange{0xD800, 0xF8FF},
    CodePointRange{0xFDD0, 0xFDEF},    CodePointRange{0xFEFF, 0xFEFF},
    CodePointRange{0xFFF9, 0xFFFB},    CodePointRange{0x110BD, 0x110BD},
    CodePointRange{0x110CD, 0x110CD},  CodePointRange{0x13430, 0x1343F},
    CodePointRange{0x1BCA0, 0x1BCA3},  CodePointRange{0x1D173, 0x1D17A},
    CodePointRange{0xE0001, 0xE0001},  CodePointRange{0xE0020, 0xE007F},
    CodePointRange{0xF0000, 0x10FFFF},
};

}  // namespace

bool is_printable(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
  if (c > 0x10FFFF || (c & 0xFFFE) == 0xFFFE) return false;  // U+xFFFE and U+xFFFF of every plane
  for (const auto& range : kHiddenRanges) {
    if (c < range.first) break;
    if (c <= range.last) return false;
  }
  return true;
}

std::string quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (std::size_t at = 0; at < text.size();) {
    const CodePoint point = decode_utf8(text, at);
    at += point.length;
    switch (point.value) {
      case U'"':
        out += "\\\"";
        continue;
      case U'\\':
        out += "\\\\";
        continue;
      case U'\t':
        out += "\\t";
        continue;
      case U'\r':
        out += "\\r";
        continue;
      case U'\n':
        out += "\\n";
        continue;
      case U'\0':
        out += "\\0";
        continue;
      default:
        break;
    }
    const bool is_invalid_byte = point.value == kReplacementCharacter && point.length == 1;
    if (is_printable(point.value) && !is_invalid_byte) {
      append_utf8(out, point.value);
    } else {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\u{%x}", static_cast<unsigned>(point.value));
      out += escape;
    }
  }
  out += '"';
  return out;
}

}  // namespace vantor::text
