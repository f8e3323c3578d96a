#include "win32/ActivityDlg.h"

#include "win32/ResourceIds.h"

namespace ferolith {

CActivityDlg::CActivityDlg(HWND owner, int x, int y)
    : window_(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Resource::ActivityDialog),
                                 owner, &CActivityDlg::DialogProc, 0)) {
  if (window_ == nullptr) return;
  SetWindowTextW(window_, L"KalvenorDevil");
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CActivityDlg::~CActivityDlg() {
  if (window_ != nullptr) DestroyWindow(window_);
}

INT_PTR CALLBACK CActivityDlg::DialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;  // keeps the focus where it is
    case WM_CLOSE:
      return TRUE;  // the window lives as long as the command
    case WM_COMMAND:
      return LOWORD(wParam) == IDCANCEL;  // nor does Esc end it
    default:
      return FALSE;
  }
}

}  // namespace ferolith
