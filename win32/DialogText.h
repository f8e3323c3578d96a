#pragma once

// Texts of dialog controls, UTF-8 inside the program and UTF-16 at the
// Win32 boundary.
#include <windows.h>

#include <string>

#include "platform/WideText.h"

namespace ferolith {

inline std::string ControlText(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return Utf8FromWide(text);
}

inline void SetControlText(HWND dialog, int controlId, const std::string& text) {
  SetDlgItemTextW(dialog, controlId, WideFromUtf8(text).c_str());
}

inline bool IsChecked(HWND dialog, int controlId) {
  return IsDlgButtonChecked(dialog, controlId) == BST_CHECKED;
}

inline void SetChecked(HWND dialog, int controlId, bool checked) {
  CheckDlgButton(dialog, controlId, checked ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace ferolith
