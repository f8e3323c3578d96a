#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "app/CloseGate.h"
#include "app/Program.h"
#include "core/UiServices.h"
#include "win32/ComboChoiceList.h"

namespace ferolith {

class CActivityDlg;
class CPrefsDlg;
struct Settings;

// The main window "Ferolith V1.02" (template 102) and its user-interface
// services on Win32: message boxes, status line, progress bar, the nested
// message pump, the input controls around an operation, the burn-file
// name, the InitRegister1 panel, the file dialogs and the activity window.
// The program drives it through UiServices and StartupView; the dialog
// procedure's message map hands the controls' notifications to the
// program.
class CProgrammerDlg : public UiServices, public StartupView {
 public:
  CProgrammerDlg();
  ~CProgrammerDlg() override;
  CProgrammerDlg(const CProgrammerDlg&) = delete;
  CProgrammerDlg& operator=(const CProgrammerDlg&) = delete;

  ComboChoiceList& Manufacturers() { return manufacturers_; }
  ComboChoiceList& Devices() { return devices_; }

  // Runs the dialog modally over `program`: start-up in WM_INITDIALOG (and
  // then `projectFile`, when not empty, opened), then the message map until
  // the window is closed (with Esc too, while idle).
  void Run(Program& program, const std::string& projectFile = {});

  // UiServices.
  Answer MessageInfo(const std::string& text) override;
  Answer MessageRetryCancel(const std::string& text) override;
  Answer MessageOkCancel(const std::string& text) override;
  Answer MessageYesNo(const std::string& text) override;
  void MessagePlain(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void Repaint() override;
  void SetProgressRange(std::uint32_t upper) override;
  void SetProgressPosition(std::uint32_t position) override;
  void PumpMessages() override;
  void EnableCancelButton(bool enabled) override;
  void DisableControls() override;
  void EnableControls() override;
  void ShowBurnFileName(const std::string& name) override;
  void ShowInitRegister1(std::uint8_t value) override;
  void ShowActivityWindow(bool shown) override;
  std::optional<FileChoice> RunOpenDialog(const FileDialogRequest& request) override;
  std::optional<FileChoice> RunSaveDialog(const FileDialogRequest& request) override;

  // StartupView.
  void ShowPreferences() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The message map (ProgrammerDlgCommands.cpp).
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnCommand(int controlId, int notification);
  void OnPanelClicked(int controlId);
  void OnClose();
  void OnCancelCommand();
  void OnMove(int x, int y);
  void OnSize(WPARAM kind);
  // A file dropped onto the window: one project file, while no command
  // runs, is opened; anything else is let go.
  void OnDropFiles(HDROP drop);
  // Opens a project: the lists, the burn file, the panel and the option
  // boxes follow it; the window title stays.
  void OpenProject(const std::string& path);
  // The option boxes, the burn file's name and the panel from the settings.
  void ShowSettings();
  // The status line as the close rules show it: the status, or why a close
  // waits for the running command.
  void ShowStatusLine();

  Answer ShowMessageBox(const std::string& text, UINT style, bool beep);
  bool Beeps() const;
  void SetInputControlsEnabled(bool enabled);

  HWND window_ = nullptr;
  Program* program_ = nullptr;
  std::string projectFile_;  // opened after start-up
  CloseGate closeGate_;
  std::string status_;  // the program's last status text
  ComboChoiceList manufacturers_;
  ComboChoiceList devices_;
  std::unique_ptr<CActivityDlg> activity_;
  CPrefsDlg* prefs_ = nullptr;  // while the preferences dialog runs
  HICON icon_ = nullptr;
  std::uint32_t progressUpper_ = 0;
  int windowWidth_ = 0;  // the size taken once at start-up, kept on a maximise request
  int windowHeight_ = 0;
  int restoreX_ = 0;
  int restoreY_ = 0;
};

}  // namespace ferolith
