#pragma once

#include <windows.h>

namespace ferolith {

// The busy picture window (template 137), modeless, while a command holds
// the programmer. Its title "KalvenorDevil" is the desktop-wide busy mark;
// it has no caption bar and refuses to be closed.
class CActivityDlg {
 public:
  // Shows the window owned by `owner` at screen position (x, y).
  CActivityDlg(HWND owner, int x, int y);
  ~CActivityDlg();
  CActivityDlg(const CActivityDlg&) = delete;
  CActivityDlg& operator=(const CActivityDlg&) = delete;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
};

}  // namespace ferolith
