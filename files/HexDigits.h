#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ferolith {

// The size of the line buffer the HEX formats were defined with.
inline constexpr std::size_t kLineBufferSize = 1024;

// The value of the first two characters of `text` read as a hexadecimal
// number (either case). Reading stops at the first character that is not a
// hexadecimal digit or at the end of the text: a pair whose first character
// is not a digit reads as 0, one whose second is not reads as the first.
std::uint8_t HexByte(std::string_view text);

// The same for the first `digits` characters, at most 8.
std::uint32_t HexValue(std::string_view text, std::size_t digits);

// The line up to its first CR, LF or blank among its first `limit`
// characters; a NUL byte ends the line as well.
std::string_view CutLineEnd(std::string_view line, std::size_t limit = kLineBufferSize);

// The number of hexadecimal digits at the start of `text`.
std::size_t LeadingHexDigits(std::string_view text);

// `text` from `position` on; empty when the position lies past its end.
inline std::string_view TextFrom(std::string_view text, std::size_t position) {
  return position < text.size() ? text.substr(position) : std::string_view();
}

}  // namespace ferolith
