#pragma once

// Reading and driving the windows of another process, as a user would:
// controls found by their IDs, texts read with WM_GETTEXT, clicks posted
// as BM_CLICK (posted, so that a click that starts a long command never
// blocks the driver). Every wait polls for a condition with one generous
// deadline; none waits for a fixed time.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace ferolith::driver {

// Thrown when a check fails; the driver prints it and ends with status 1.
struct CheckFailed {
  std::string what;
};

void Require(bool condition, const std::string& what);

// Polls `condition` until it holds; fails with "timeout: what" after the
// deadline (120 s, for a loaded machine).
void WaitUntil(const std::string& what, const std::function<bool()>& condition);

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);

// The text of a window of any process (WM_GETTEXT).
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& text);
// Posts a click to a button.
void Click(HWND button);
bool Checked(HWND button);

// The visible top-level windows of process `pid` with window class
// `windowClass` (empty: any) and title `title` (empty: any).
std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& windowClass, const std::wstring& title);
// The direct children of `window`, in their order (the template's).
std::vector<HWND> Children(HWND window);

// A message box "Meldung" of process `pid`: waits for it, checks that its
// text contains `expected`, and presses `button` (IDOK, IDCANCEL, IDYES, ...).
// Returns the text.
std::string AnswerMessageBox(DWORD pid, const std::string& expected, int button);
// The boxes of a socket sequence of `pid` ("Sockel ..."), each answered with
// OK, up to the box that contains `last`.
void AnswerSocketBoxes(DWORD pid, const std::string& last);
// The text of a message box of `pid` that is showing now, or "" when none is.
std::string MessageBoxText(HWND box);
HWND OpenMessageBox(DWORD pid);

// A common file dialog of `pid`: waits for it, types `path` as the file
// name and presses its OK button.
void AnswerFileDialog(DWORD pid, const std::string& path);

// The rectangle of `control` in its parent's client coordinates.
RECT RectInParent(HWND control);

}  // namespace ferolith::driver
