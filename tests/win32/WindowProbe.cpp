#include "tests/win32/WindowProbe.h"

#include <thread>

namespace ferolith::driver {

namespace {

constexpr auto kDeadline = std::chrono::seconds(120);
constexpr auto kPoll = std::chrono::milliseconds(10);
constexpr UINT kSendTimeoutMs = 10000;
// The file name field of the common dialogs: the combo box of the Explorer
// style, the edit field of the old style.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;
// The text of a message box.
constexpr int kMessageBoxText = 0xFFFF;

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The visible top-level windows of one process, of a class and with a title
// when those are given.
struct WindowSearch {
  DWORD pid;
  const std::wstring& windowClass;
  const std::wstring& title;
  std::vector<HWND> found;
};

// EnumWindows's callback: a function of the system's calling convention,
// which a lambda is not at 32 bits.
BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.pid || !IsWindowVisible(window)) return TRUE;
  if (!search.windowClass.empty() && ClassOf(window) != search.windowClass) return TRUE;
  if (!search.title.empty()) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    if (search.title != text) return TRUE;
  }
  search.found.push_back(window);
  return TRUE;
}

}  // namespace

void Require(bool condition, const std::string& what) {
  if (!condition) throw CheckFailed{what};
}

void WaitUntil(const std::string& what, const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) throw CheckFailed{"timeout: " + what};
    std::this_thread::sleep_for(kPoll);  // the poll interval, not a wait for the program
  }
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                      nullptr);
  return text;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                      kSendTimeoutMs, &copied);
  text.resize(copied);
  return Utf8(text);
}

void SetTextOf(HWND window, const std::string& text) {
  const std::wstring wide = Wide(text);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL,
                      kSendTimeoutMs, &ignored);
}

void Click(HWND button) {
  Require(button != nullptr, "a button to click");
  PostMessageW(button, BM_CLICK, 0, 0);
}

bool Checked(HWND button) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &state);
  return state == BST_CHECKED;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const std::wstring& windowClass, const std::wstring& title) {
  WindowSearch search{pid, windowClass, title, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

HWND OpenMessageBox(DWORD pid) {
  const std::vector<HWND> boxes = TopLevelWindows(pid, L"#32770", L"Meldung");
  return boxes.empty() ? nullptr : boxes.front();
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, kMessageBoxText);
  return text != nullptr ? TextOf(text) : std::string();
}

std::string AnswerMessageBox(DWORD pid, const std::string& expected, int button) {
  HWND box = nullptr;
  WaitUntil("message box \"" + expected + "\"", [&] { return (box = OpenMessageBox(pid)) != nullptr; });
  const std::string text = MessageBoxText(box);
  Require(text.find(expected) != std::string::npos,
          "message box \"" + expected + "\" expected, shown: \"" + text + "\"");
  HWND pressed = GetDlgItem(box, button);
  Require(pressed != nullptr, "button " + std::to_string(button) + " in the box \"" + text + "\"");
  Click(pressed);
  WaitUntil("message box \"" + expected + "\" closed", [&] { return !IsWindow(box); });
  return text;
}

void AnswerSocketBoxes(DWORD pid, const std::string& last) {
  for (;;) {
    const std::string text = AnswerMessageBox(pid, "", IDOK);
    if (text.find(last) != std::string::npos) return;
    Require(text.find("Sockel") != std::string::npos, "unexpected box: \"" + text + "\"");
  }
}

void AnswerFileDialog(DWORD pid, const std::string& path) {
  HWND dialog = nullptr;
  HWND name = nullptr;
  WaitUntil("file dialog", [&] {
    for (HWND window : TopLevelWindows(pid, L"#32770", L"")) {
      name = GetDlgItem(window, kFileNameCombo);
      if (name == nullptr) name = GetDlgItem(window, kFileNameEdit);
      if (name != nullptr) {
        dialog = window;
        return true;
      }
    }
    return false;
  });
  SetTextOf(name, path);
  Click(GetDlgItem(dialog, IDOK));
  WaitUntil("file dialog closed", [&] { return !IsWindow(dialog); });
}

RECT RectInParent(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace ferolith::driver
