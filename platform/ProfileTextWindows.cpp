// Settings values on Windows: the ANSI code page, as the family's programs
// read and write them.
#include "core/Utf8Text.h"
#include "platform/ProfileText.h"
#include "platform/WideText.h"

namespace ferolith {

namespace {

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string Utf8FromProfileText(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return Utf8FromWindows1252(bytes);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
  return Utf8FromWide(wide);
}

std::string ProfileTextFromUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  const std::wstring wide = WideFromUtf8(text);
  const int size = static_cast<int>(wide.size());
  BOOL lost = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &lost);
  if (length <= 0 || lost) return std::string(text);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, ansi.data(), length, nullptr, &lost);
  return lost ? std::string(text) : ansi;
}

}  // namespace ferolith
