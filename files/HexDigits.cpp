#include "files/HexDigits.h"

#include <algorithm>
#include <array>

namespace ferolith {

namespace {

// The value of each character read as a hexadecimal digit, -1 for a
// character that is not one. A table, as the readers look up every
// character of every record.
constexpr std::array<std::int8_t, 256> kDigitValues = [] {
  std::array<std::int8_t, 256> values{};
  values.fill(-1);
  for (int i = 0; i < 10; ++i) values[static_cast<std::size_t>('0' + i)] = static_cast<std::int8_t>(i);
  for (int i = 0; i < 6; ++i) {
    values[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
    values[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
  }
  return values;
}();

int DigitValue(char c) { return kDigitValues[static_cast<unsigned char>(c)]; }

}  // namespace

std::uint32_t HexValue(std::string_view text, std::size_t digits) {
  digits = std::min(std::min(digits, std::size_t{8}), text.size());
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
