#include "gui/InitRegister1View.h"

#include <QAbstractButton>

#include "app/ControlIds.h"
#include "app/InitRegister1Panel.h"
#include "gui/ControlLookup.h"

namespace ferolith {

InitRegister1View::InitRegister1View(QWidget& dialog, UiServices& ui) : dialog_(dialog), ui_(ui) {
  for (const InitRegister1Panel::BitControl& box : InitRegister1Panel::kCheckBoxes) {
    const int id = box.controlId;
    connect(&Button(id), &QAbstractButton::clicked, this,
            [this, id](bool checked) { OnCheckBoxClicked(id, checked); });
  }
  for (const int id : InitRegister1Panel::kOscillatorRadios) {
    connect(&Button(id), &QAbstractButton::clicked, this, [this, id] { OnRadioClicked(id); });
  }
}

void InitRegister1View::Bind(std::uint8_t& value) { value_ = &value; }

void InitRegister1View::Update() {
  if (value_ != nullptr) Show(*value_);
}

void InitRegister1View::Show(std::uint8_t value) {
  for (const InitRegister1Panel::BitControl& box : InitRegister1Panel::kCheckBoxes) {
    Button(box.controlId).setChecked(InitRegister1Panel::IsChecked(value, box.controlId));
  }
  const int selected = InitRegister1Panel::SelectedOscillator(value);
  for (const int id : InitRegister1Panel::kOscillatorRadios) {
    Button(id).setChecked(id == selected);
  }
}

void InitRegister1View::OnCheckBoxClicked(int controlId, bool checked) {
  if (value_ == nullptr) return;
  if (controlId == Ctl::WeiteresProgrammieren) {
    // Asks before setting the bit; on Cancel it shows the panel again,
    // which unchecks the box.
    InitRegister1Panel::OnWeiteresProgrammieren(checked, *value_, ui_);
    return;
  }
  *value_ = InitRegister1Panel::WithCheckBox(*value_, controlId, checked);
}

void InitRegister1View::OnRadioClicked(int controlId) {
  if (value_ == nullptr) return;
  *value_ = InitRegister1Panel::WithOscillator(*value_, controlId);
  for (const int id : InitRegister1Panel::kOscillatorRadios) {
    if (id != controlId) Button(id).setChecked(false);
  }
  // A click on the checked radio button would uncheck it without a group;
  // the field still selects it.
  Button(controlId).setChecked(true);
}

QAbstractButton& InitRegister1View::Button(int controlId) const {
  return *ControlById<QAbstractButton>(dialog_, controlId);
}

}  // namespace ferolith
