#pragma once

// UTF-8 text to and from the UTF-16 of the Windows wide-character calls.
// Included only by Windows sources: those of this layer and the Win32
// desktop program (win32/).
#include <windows.h>

#include <string>
#include <string_view>

#include "core/Utf8Text.h"

namespace ferolith {

// Text that is not valid UTF-8 (which the program's own text always is)
// is taken as Windows-1252, never handed on for the system to guess at.
inline std::wstring WideFromUtf8(std::string_view text) {
  if (text.empty()) return {};
  if (!IsValidUtf8(text)) return WideFromUtf8(Utf8FromWindows1252(text));
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

inline std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace ferolith
