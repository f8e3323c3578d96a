#include "win32/ProgrammerDlg.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/ControlIds.h"
#include "app/PreferencesForm.h"
#include "core/Settings.h"
#include "platform/WideText.h"
#include "win32/ActivityDlg.h"
#include "win32/DialogText.h"
#include "win32/FileDialogs.h"
#include "win32/InitRegister1View.h"
#include "win32/PrefsDlg.h"
#include "win32/ResourceIds.h"

namespace ferolith {

namespace {

// Where the activity window stands, from the remembered window position.
constexpr int kActivityOffsetX = 314;
constexpr int kActivityOffsetY = 103;

Answer AnswerOf(int button) {
  switch (button) {
    case IDOK:
      return Answer::Ok;
    case IDRETRY:
      return Answer::Retry;
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return Answer::Cancel;  // Cancel, Esc and the close box
  }
}

}  // namespace

CProgrammerDlg::CProgrammerDlg()
    : manufacturers_(window_, Ctl::ManufacturerList), devices_(window_, Ctl::DeviceList) {}

CProgrammerDlg::~CProgrammerDlg() = default;

void CProgrammerDlg::Run(Program& program, const std::string& projectFile) {
  program_ = &program;
  projectFile_ = projectFile;
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Resource::AppIcon));
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Resource::MainDialog), nullptr,
                  &CProgrammerDlg::DialogProc, reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  program_ = nullptr;
}

INT_PTR CALLBACK CProgrammerDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CProgrammerDlg*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
  }
  auto* self = reinterpret_cast<CProgrammerDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  return self != nullptr ? self->OnMessage(message, wParam, lParam) : FALSE;
}

bool CProgrammerDlg::Beeps() const {
  return program_ != nullptr && program_->State().settings.MessageBeap != 0;
}

Answer CProgrammerDlg::ShowMessageBox(const std::string& text, UINT style, bool beep) {
  if (beep) MessageBeep(MB_OK);
  // The box belongs to the dialog in front: the preferences while they are
  // open, the main window otherwise.
  HWND owner = prefs_ != nullptr && prefs_->Window() != nullptr ? prefs_->Window() : window_;
  return AnswerOf(MessageBoxW(owner, WideFromUtf8(text).c_str(), L"Meldung", style));
}

Answer CProgrammerDlg::MessageInfo(const std::string& text) {
  return ShowMessageBox(text, MB_OK | MB_ICONINFORMATION, Beeps());
}

Answer CProgrammerDlg::MessageRetryCancel(const std::string& text) {
  return ShowMessageBox(text, MB_RETRYCANCEL | MB_ICONINFORMATION, Beeps());
}

Answer CProgrammerDlg::MessageOkCancel(const std::string& text) {
  return ShowMessageBox(text, MB_OKCANCEL | MB_ICONINFORMATION, Beeps());
}

Answer CProgrammerDlg::MessageYesNo(const std::string& text) {
  const Answer answer = ShowMessageBox(text, MB_YESNO | MB_ICONINFORMATION, Beeps());
  return answer == Answer::Yes ? Answer::Yes : Answer::No;
}

void CProgrammerDlg::MessagePlain(const std::string& text) { ShowMessageBox(text, MB_OK, false); }

void CProgrammerDlg::SetStatus(const std::string& text) {
  status_ = text;
  ShowStatusLine();
}

void CProgrammerDlg::ShowStatusLine() { SetControlText(window_, Ctl::Status, closeGate_.StatusLine(status_)); }

void CProgrammerDlg::Repaint() {
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CProgrammerDlg::SetProgressRange(std::uint32_t upper) {
  progressUpper_ = upper;
  SendDlgItemMessageW(window_, Ctl::Progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(upper));
}

void CProgrammerDlg::SetProgressPosition(std::uint32_t position) {
  // The last increments of a phase may run past the range; the bar then
  // stays full.
  SendDlgItemMessageW(window_, Ctl::Progress, PBM_SETPOS, std::min(position, progressUpper_), 0);
}

void CProgrammerDlg::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Not ours to take: the loop that waits for it must see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (window_ != nullptr && IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void CProgrammerDlg::EnableCancelButton(bool enabled) {
  EnableWindow(GetDlgItem(window_, Ctl::Abbrechen), enabled ? TRUE : FALSE);
}

void CProgrammerDlg::SetInputControlsEnabled(bool enabled) {
  for (const int id : kInputControls) EnableWindow(GetDlgItem(window_, id), enabled ? TRUE : FALSE);
}

void CProgrammerDlg::DisableControls() { SetInputControlsEnabled(false); }

void CProgrammerDlg::EnableControls() { SetInputControlsEnabled(true); }

void CProgrammerDlg::ShowBurnFileName(const std::string& name) {
  SetControlText(window_, Ctl::BurnFileName, name);
}

void CProgrammerDlg::ShowInitRegister1(std::uint8_t value) { InitRegister1View::Show(window_, value); }

void CProgrammerDlg::ShowActivityWindow(bool shown) {
  if (!shown) {
    activity_.reset();
    return;
  }
  const Settings& settings = program_->State().settings;
  activity_ = std::make_unique<CActivityDlg>(window_, settings.XKoord + kActivityOffsetX,
                                             settings.YKoord + kActivityOffsetY);
}

std::optional<FileChoice> CProgrammerDlg::RunOpenDialog(const FileDialogRequest& request) {
  return RunOpenFileDialog(request, window_);
}

std::optional<FileChoice> CProgrammerDlg::RunSaveDialog(const FileDialogRequest& request) {
  return RunSaveFileDialog(request, window_);
}

void CProgrammerDlg::ShowPreferences() {
  Settings& settings = program_->State().settings;
  CPrefsDlg dialog(*this, PortChoices(program_->MachinePorts()), PreferencesFromSettings(settings));
  prefs_ = &dialog;
  const bool accepted = dialog.Run(window_);
  prefs_ = nullptr;
  if (accepted) ApplyPreferences(dialog.Form(), settings);
}

}  // namespace ferolith
