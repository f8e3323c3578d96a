#include "win32/PrefsDlg.h"

#include <utility>

#include "app/AccessKeys.h"
#include "app/ControlIds.h"
#include "platform/WideText.h"
#include "win32/DialogText.h"
#include "win32/ResourceIds.h"

namespace ferolith {

CPrefsDlg::CPrefsDlg(UiServices& ui, std::vector<std::string> portChoices, PreferencesForm form)
    : ui_(ui), portChoices_(std::move(portChoices)), form_(std::move(form)) {}

bool CPrefsDlg::Run(HWND owner) {
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(Resource::PrefsDialog), owner,
                      &CPrefsDlg::DialogProc, reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  return result == IDOK;
}

INT_PTR CALLBACK CPrefsDlg::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CPrefsDlg*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<CPrefsDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr || message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case PrefsCtl::Ok:
      self->OnOk();
      return TRUE;
    case PrefsCtl::Cancel:  // the button, Esc and the close box
      EndDialog(window, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

void CPrefsDlg::OnInitDialog() {
  for (const MarkedCaption& caption : kPreferencesCaptions) SetControlText(window_, caption.control, caption.text);
  for (const std::string& choice : portChoices_) {
    const std::wstring wide = WideFromUtf8(choice);
    SendDlgItemMessageW(window_, PrefsCtl::Port, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  const int choice = PortChoiceFor(form_.portText, portChoices_);
  SendDlgItemMessageW(window_, PrefsCtl::Port, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
  if (choice < 0) SetControlText(window_, PrefsCtl::Port, form_.portText);
  SetControlText(window_, PrefsCtl::TimeOut, form_.timeOutText);
  SetControlText(window_, PrefsCtl::Correction, form_.correctionText);
  SetControlText(window_, PrefsCtl::LineLength, form_.lineLengthText);
  SetChecked(window_, PrefsCtl::Beep, form_.beep);
  SetChecked(window_, PrefsCtl::EndMessage, form_.endMessage);
}

PreferencesForm CPrefsDlg::ReadForm() const {
  PreferencesForm form;
  form.portText = ControlText(window_, PrefsCtl::Port);
  form.timeOutText = ControlText(window_, PrefsCtl::TimeOut);
  form.correctionText = ControlText(window_, PrefsCtl::Correction);
  form.lineLengthText = ControlText(window_, PrefsCtl::LineLength);
  form.beep = IsChecked(window_, PrefsCtl::Beep);
  form.endMessage = IsChecked(window_, PrefsCtl::EndMessage);
  return form;
}

void CPrefsDlg::OnOk() {
  const PreferencesForm form = ReadForm();
  const PreferencesCheck check = CheckPreferences(form);
  if (check.failedControl != 0) {
    ui_.MessageInfo(check.notice);
    HWND field = GetDlgItem(window_, check.failedControl);
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    return;
  }
  form_ = form;
  EndDialog(window_, IDOK);
}

}  // namespace ferolith
