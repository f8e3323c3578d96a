#include "win32/InitRegister1View.h"

#include <algorithm>

#include "app/InitRegister1Panel.h"
#include "win32/DialogText.h"

namespace ferolith::InitRegister1View {

namespace {

bool IsOscillatorRadio(int controlId) {
  const auto& radios = InitRegister1Panel::kOscillatorRadios;
  return std::find(radios.begin(), radios.end(), controlId) != radios.end();
}

}  // namespace

bool IsPanelControl(int controlId) {
  const auto& boxes = InitRegister1Panel::kCheckBoxes;
  return IsOscillatorRadio(controlId) ||
         std::any_of(boxes.begin(), boxes.end(),
                     [controlId](const InitRegister1Panel::BitControl& box) { return box.controlId == controlId; });
}

void Show(HWND dialog, std::uint8_t value) {
  for (const InitRegister1Panel::BitControl& box : InitRegister1Panel::kCheckBoxes) {
    SetChecked(dialog, box.controlId, InitRegister1Panel::IsChecked(value, box.controlId));
  }
  const int selected = InitRegister1Panel::SelectedOscillator(value);
  for (const int id : InitRegister1Panel::kOscillatorRadios) SetChecked(dialog, id, id == selected);
}

void OnClicked(HWND dialog, int controlId, std::uint8_t& value, UiServices& ui) {
  if (IsOscillatorRadio(controlId)) {
    value = InitRegister1Panel::WithOscillator(value, controlId);
    for (const int id : InitRegister1Panel::kOscillatorRadios) SetChecked(dialog, id, id == controlId);
    return;
  }
  const bool checked = IsChecked(dialog, controlId);
  if (controlId == Ctl::WeiteresProgrammieren) {
    // Asks before setting the bit; on Cancel the panel is shown again,
    // which unchecks the box.
    InitRegister1Panel::OnWeiteresProgrammieren(checked, value, ui);
    return;
  }
  value = InitRegister1Panel::WithCheckBox(value, controlId, checked);
}

}  // namespace ferolith::InitRegister1View
