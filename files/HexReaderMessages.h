#pragma once

#include <cstdint>

#include "core/UiServices.h"

namespace ferolith {

// The three messages with which the HEX readers reject a line. Line numbers
// count from 1 and include every line read.

// The line does not start a record the reader knows, or is not made of
// hexadecimal digits after its record mark.
void ShowLineStartError(UiServices& ui, std::uint32_t lineNumber);
// The line's length does not fit its length or count field.
void ShowLineLengthError(UiServices& ui, std::uint32_t lineNumber, std::uint32_t actual,
                         std::uint32_t expected);
// The record's checksum does not match its contents.
void ShowChecksumError(UiServices& ui, std::uint32_t lineNumber, std::uint32_t read,
                       std::uint32_t computed);

}  // namespace ferolith
