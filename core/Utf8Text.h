#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ferolith {

// Text travels through the program as UTF-8. Text from outside (a settings
// file shared with programs that write the Windows ANSI code page) may be
// something else; these make sure it is UTF-8 before it goes on.

// True when `text` is well-formed UTF-8: shortest forms only, no
// surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Windows-1252 bytes as UTF-8 (the five bytes that code page leaves
// undefined become the C1 controls of the same number, as Windows maps them).
std::string Utf8FromWindows1252(std::string_view bytes);

// `bytes` itself when it is valid UTF-8, else the bytes read as Windows-1252:
// always valid UTF-8.
std::string Utf8OrWindows1252(std::string_view bytes);

// The first `count` characters (code points) of the valid UTF-8 `text`,
// never part of one.
std::string_view FirstCharacters(std::string_view text, std::size_t count);

}  // namespace ferolith
