// The message map of the main window: start-up, which control runs which
// command of the program, moving, closing and Esc.

#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/AccessKeys.h"
#include "app/ControlIds.h"
#include "app/ProjectOpening.h"
#include "core/Settings.h"
#include "platform/WideText.h"
#include "win32/ActivityDlg.h"
#include "win32/DialogText.h"
#include "win32/InitRegister1View.h"
#include "win32/ProgrammerDlg.h"

namespace ferolith {

INT_PTR CProgrammerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;  // the system sets the first focus
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_MOVE:
      OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return FALSE;
    case WM_SIZE:
      OnSize(wParam);
      return FALSE;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(icon_);
    default:
      return FALSE;
  }
}

void CProgrammerDlg::OnInitDialog() {
  Program& program = *program_;
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowTextW(window_, L"Ferolith V1.02");
  // The captions with their access keys (Alt and the underlined letter).
  for (const MarkedCaption& caption : kMainWindowCaptions) SetControlText(window_, caption.control, caption.text);
  RECT frame;
  GetWindowRect(window_, &frame);
  windowWidth_ = frame.right - frame.left;
  windowHeight_ = frame.bottom - frame.top;

  program.LoadSettings();
  Settings& settings = program.State().settings;
  restoreX_ = settings.XKoord;
  restoreY_ = settings.YKoord;
  SetWindowPos(window_, nullptr, settings.XKoord, settings.YKoord, windowWidth_, windowHeight_,
               SWP_NOZORDER | SWP_NOACTIVATE);

  program.PrepareHardware();

  ShowSettings();
  program.FillLists();
  EnableCancelButton(false);
  program.State().CancelRequested = 0;
  DragAcceptFiles(window_, TRUE);
  if (!projectFile_.empty()) OpenProject(projectFile_);
}

void CProgrammerDlg::ShowSettings() {
  const Settings& settings = program_->State().settings;
  SetChecked(window_, Ctl::BausteinPruefen, settings.Verify != 0);
  SetChecked(window_, Ctl::LeerzellenSpeichern, settings.FFSave != 0);
  SetChecked(window_, Ctl::ChecksummenPruefen, settings.TestChecksum != 0);
  ShowBurnFileName(settings.BurnFileName);
  ShowInitRegister1(settings.InitRegister1Value);
}

void CProgrammerDlg::OpenProject(const std::string& path) {
  program_->OpenProjectFile(path);
  ShowSettings();
}

void CProgrammerDlg::OnDropFiles(HDROP drop) {
  std::string path;
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1 && program_->RunningCommand().empty()) {
    std::wstring name(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size())));
    path = Utf8FromWide(name);
  }
  DragFinish(drop);
  if (IsProjectFileName(path)) OpenProject(path);
}

void CProgrammerDlg::OnCommand(int controlId, int notification) {
  Program& program = *program_;
  if (controlId == IDCANCEL) {
    OnCancelCommand();
    return;
  }
  if (controlId == Ctl::ManufacturerList || controlId == Ctl::DeviceList) {
    // Only the user's selections count; the fills select from code.
    if (notification != CBN_SELCHANGE) return;
    if (controlId == Ctl::ManufacturerList) {
      program.OnManufacturerChanged();
    } else {
      program.OnDeviceChanged();
    }
    return;
  }
  if (notification != BN_CLICKED) return;
  if (InitRegister1View::IsPanelControl(controlId)) {
    InitRegister1View::OnClicked(window_, controlId, program.State().settings.InitRegister1Value, *this);
    return;
  }
  switch (controlId) {
    case Ctl::Leertest:
      program.OnLeertest();
      break;
    case Ctl::Auslesen:
      program.OnAuslesen();
      break;
    case Ctl::Brennen:
      program.OnBrennen();
      break;
    case Ctl::Pruefen:
      program.OnPruefen();
      break;
    case Ctl::NeueDatei:
      program.ChooseBurnFile();
      break;
    case Ctl::InitRegister:
      program.OnInitRegister();
      break;
    case Ctl::Abbrechen:
      program.OnAbbrechen();
      break;
    case Ctl::Prefs:
      program.OnPrefs();
      break;
    case Ctl::BausteinPruefen:
      program.OnBausteinPruefen(IsChecked(window_, controlId));
      break;
    case Ctl::LeerzellenSpeichern:
      program.OnLeerzellenSpeichern(IsChecked(window_, controlId));
      break;
    case Ctl::ChecksummenPruefen:
      program.OnChecksummenPruefen(IsChecked(window_, controlId));
      break;
    default:
      break;
  }
  // A close asked for while the command ran is carried out now.
  if (closeGate_.CloseIsDue()) PostMessageW(window_, WM_CLOSE, 0, 0);
}

void CProgrammerDlg::OnCancelCommand() {
  // Esc: "Abbrechen" while a command runs (nothing while that button is
  // disabled), else the close with its closing steps.
  if (closeGate_.OnEscape(program_->RunningCommand()) == CloseGate::Action::Cancel) {
    if (IsWindowEnabled(GetDlgItem(window_, Ctl::Abbrechen)) != 0) program_->OnAbbrechen();
    return;
  }
  OnClose();
}

void CProgrammerDlg::OnClose() {
  // During a command the close waits for its end, and the status line says
  // so; the nested pump must not end the window under the command.
  if (closeGate_.OnCloseRequest(program_->RunningCommand()) == CloseGate::Action::Wait) {
    ShowStatusLine();
    return;
  }
  RECT frame;
  GetWindowRect(window_, &frame);
  // Refused while another program uses the programmer.
  if (!program_->Close(frame.left, frame.top)) {
    ShowStatusLine();
    return;
  }
  EndDialog(window_, IDOK);
}

void CProgrammerDlg::OnMove(int x, int y) {
  Settings& settings = program_->State().settings;
  restoreX_ = settings.XKoord;
  restoreY_ = settings.YKoord;
  // The client area's top-left corner, as the move is reported.
  settings.XKoord = x;
  settings.YKoord = y;
}

void CProgrammerDlg::OnSize(WPARAM kind) {
  Settings& settings = program_->State().settings;
  if (kind == SIZE_MAXIMIZED) {
    // The window has no maximise box; a maximise request from elsewhere
    // puts it back where it was, with its own size.
    settings.XKoord = restoreX_;
    settings.YKoord = restoreY_;
    ShowWindow(window_, SW_RESTORE);
    SetWindowPos(window_, nullptr, restoreX_, restoreY_, windowWidth_, windowHeight_, SWP_NOZORDER);
  } else if (kind == SIZE_MINIMIZED) {
    // Drops the off-screen position the minimise reported as a move.
    settings.XKoord = restoreX_;
    settings.YKoord = restoreY_;
  }
}

}  // namespace ferolith
