#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/Utf8Text.h"

namespace ferolith {

// Paths travel through the program as UTF-8 text. A std::filesystem::path
// made from plain char text takes it in the system's narrow code page,
// which on Windows is not UTF-8; these two convert explicitly, so that a
// name such as "Prüfung.hex" means the same file everywhere.

// Text that is not valid UTF-8 is taken as Windows-1252.
inline std::filesystem::path PathFromUtf8(std::string_view text) {
  if (!IsValidUtf8(text)) return PathFromUtf8(Utf8FromWindows1252(text));
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace ferolith
