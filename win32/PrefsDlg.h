#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/PreferencesForm.h"
#include "core/Settings.h"
#include "core/UiServices.h"

namespace ferolith {

// The preferences dialog "Einstellungen" (template 134), modal. It shows
// the form, checks it at OK in control order (a failing field keeps the
// dialog open, is explained and gets the focus) and gives the form back
// only when every field passed.
class CPrefsDlg {
 public:
  CPrefsDlg(UiServices& ui, std::vector<std::string> portChoices, PreferencesForm form);

  // Runs the dialog owned by `owner`; true when it ended with OK, and
  // Form() is then the accepted form.
  bool Run(HWND owner);
  const PreferencesForm& Form() const { return form_; }
  // The window while the dialog runs (the owner of its message boxes).
  HWND Window() const { return window_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  PreferencesForm ReadForm() const;
  void OnOk();

  UiServices& ui_;
  std::vector<std::string> portChoices_;
  PreferencesForm form_;
  HWND window_ = nullptr;
};

}  // namespace ferolith
