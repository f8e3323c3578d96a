#include "files/HexDigits.h"

#include <algorithm>

namespace ferolith {

namespace {

// The value of a hexadecimal digit, or -1 for any other character.
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::uint32_t HexValue(std::string_view text, std::size_t digits) {
  digits = std::min({digits, std::size_t{8}, text.size()});
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const int digit = DigitValue(text[i]);
    if (digit < 0) break;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

std::uint8_t HexByte(std::string_view text) { return static_cast<std::uint8_t>(HexValue(text, 2)); }

std::string_view CutLineEnd(std::string_view line, std::size_t limit) {
  const std::size_t scan = std::min(limit, line.size());
  for (std::size_t i = 0; i < scan; ++i) {
    const char c = line[i];
    if (c == '\r' || c == '\n' || c == ' ' || c == '\0') return line.substr(0, i);
  }
  return line;
}

std::size_t LeadingHexDigits(std::string_view text) {
  std::size_t count = 0;
  while (count < text.size() && DigitValue(text[count]) >= 0) ++count;
  return count;
}

}  // namespace ferolith
