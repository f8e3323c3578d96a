#pragma once

#include <string>

namespace ferolith {

// printf-style formatting into a std::string; the program's message texts
// are printf formats.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ferolith
