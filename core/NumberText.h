#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ferolith {

// Number conversions with the exact semantics of the C library functions the
// program's file formats were defined with, on a platform whose long is
// 32 bits wide. None of them reads past the end of the text.

// strtoul(text, nullptr, 0): leading white space, optional sign, then
// decimal, hexadecimal after 0x/0X or octal after a leading 0; stops at the
// first character that does not fit; no digits give 0; overflow saturates
// at 0xFFFFFFFF; a minus sign negates the value modulo 2^32.
std::uint32_t ParseUnsignedAutoBase(std::string_view text);

// strtol(text, nullptr, 0) with a 32-bit long: as above, but signed, and
// overflow saturates at INT32_MAX or INT32_MIN.
std::int32_t ParseSignedAutoBase(std::string_view text);

// strtoul(text, nullptr, 16): hexadecimal with or without 0x; no digits
// give 0; overflow saturates at 0xFFFFFFFF.
std::uint32_t ParseHex(std::string_view text);

// A whole text of 1 to `maxDigits` hexadecimal digits, with or without a
// leading 0x: its value; nothing for any other text (blanks, a sign, more
// digits). `maxDigits` is at most 8.
std::optional<std::uint32_t> HexDigitsValue(std::string_view text, std::size_t maxDigits);

// strtoul(text, nullptr, 10).
std::uint32_t ParseUnsignedDecimal(std::string_view text);

// True when the whole text (after optional leading and trailing blanks) is
// a non-empty run of decimal digits that fits in 32 bits unsigned.
bool IsWholeUnsigned(std::string_view text, std::uint32_t* value);

}  // namespace ferolith
