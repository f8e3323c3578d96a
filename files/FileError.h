#pragma once

#include <array>
#include <string>

#include "core/UiServices.h"

namespace ferolith {

// The program's own German texts for the C runtime's error numbers 0..48,
// numbered as the runtime of the family's programs numbers them.
extern const std::array<const char*, 49> FileErrorTexts;

// The entry of FileErrorTexts for this system's error number (errno), found
// by the error's meaning; -1 for an error the table has no text for.
int FileErrorTextIndex(int errorNumber);

// "Fehler beim Öffnen der Datei" with the path and the text for
// `errorNumber` (errno); an error the table does not cover is named by its
// number in the text.
std::string FileErrorMessage(const std::string& path, int errorNumber);

// Shows FileErrorMessage in an information box. Used for open, read and
// write failures alike.
void ShowFileError(UiServices& ui, const std::string& path, int errorNumber);

// The same message for a path that names a directory, a device, a pipe or a
// socket: such a thing is never read as a burn file (a device may never end,
// a pipe may never answer).
std::string NotAFileMessage(const std::string& path);
void ShowNotAFileError(UiServices& ui, const std::string& path);

// The message for a text file that holds neither Intel HEX nor Motorola
// S-records: it is refused instead of being loaded as a binary image.
std::string NotABurnFileMessage(const std::string& path);

}  // namespace ferolith
