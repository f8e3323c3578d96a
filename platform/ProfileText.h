#pragma once

#include <string>
#include <string_view>

namespace ferolith {

// The encoding of the values in KALVENOR.INI, which the family's programs
// share. They write the Windows ANSI code page; this program used to write
// UTF-8. A value is read as UTF-8 when it is valid UTF-8, otherwise as the
// ANSI code page on Windows and as Windows-1252 (the code page of German
// Windows) elsewhere, so that what comes back is always valid UTF-8.

// A value's bytes from the file as UTF-8.
std::string Utf8FromProfileText(std::string_view bytes);

// A UTF-8 value as the file gets it: on Windows in the ANSI code page when
// every character has a place there (the family's programs read it so),
// else as UTF-8, which loses nothing; elsewhere UTF-8.
std::string ProfileTextFromUtf8(std::string_view text);

}  // namespace ferolith
