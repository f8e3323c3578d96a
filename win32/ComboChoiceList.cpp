#include "win32/ComboChoiceList.h"

#include "platform/WideText.h"

namespace ferolith {

LRESULT ComboChoiceList::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendDlgItemMessageW(dialog_, controlId_, message, wParam, lParam);
}

void ComboChoiceList::Clear() { Send(CB_RESETCONTENT, 0, 0); }

void ComboChoiceList::Add(const std::string& name) {
  const std::wstring wide = WideFromUtf8(name);
  Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void ComboChoiceList::Select(int index) {
  const LRESULT count = Send(CB_GETCOUNT, 0, 0);
  // -1 empties the selection (and the edit field).
  Send(CB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < count ? index : -1), 0);
}

int ComboChoiceList::Selected() const {
  const LRESULT selected = Send(CB_GETCURSEL, 0, 0);
  return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

}  // namespace ferolith
