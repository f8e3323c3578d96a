// Settings values on POSIX systems: UTF-8, and Windows-1252 for what
// another program of the family wrote in a Windows folder.
#include "core/Utf8Text.h"
#include "platform/ProfileText.h"

namespace ferolith {

std::string Utf8FromProfileText(std::string_view bytes) { return Utf8OrWindows1252(bytes); }

std::string ProfileTextFromUtf8(std::string_view text) { return std::string(text); }

}  // namespace ferolith
