#pragma once

#include <windows.h>

#include "config/ChoiceList.h"

namespace ferolith {

// A combo box of a dialog as the device library fills it. The dialog's
// window exists only once the dialog runs, so the box is looked up by its
// ID at every call. Selecting from code sends no CBN_SELCHANGE, so the
// window reacts to the user's choices only.
class ComboChoiceList : public ChoiceList {
 public:
  ComboChoiceList(const HWND& dialog, int controlId) : dialog_(dialog), controlId_(controlId) {}

  void Clear() override;
  void Add(const std::string& name) override;
  void Select(int index) override;
  int Selected() const override;

 private:
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;

  const HWND& dialog_;
  int controlId_;
};

}  // namespace ferolith
