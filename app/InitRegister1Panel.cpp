#include "app/InitRegister1Panel.h"

namespace ferolith::InitRegister1Panel {

namespace {

std::uint8_t MaskOf(int controlId) {
  for (const BitControl& box : kCheckBoxes) {
    if (box.controlId == controlId) return box.mask;
  }
  return 0;
}

}  // namespace

bool IsChecked(std::uint8_t value, int controlId) { return (value & MaskOf(controlId)) != 0; }

int SelectedOscillator(std::uint8_t value) {
  return kOscillatorRadios[static_cast<std::size_t>(value >> 6)];
}

std::uint8_t WithCheckBox(std::uint8_t value, int controlId, bool checked) {
  const std::uint8_t mask = MaskOf(controlId);
  return static_cast<std::uint8_t>(checked ? value | mask : value & ~mask);
}

std::uint8_t WithOscillator(std::uint8_t value, int radioId) {
  for (std::size_t field = 0; field < kOscillatorRadios.size(); ++field) {
    if (kOscillatorRadios[field] == radioId) {
      const unsigned kept = value & (~static_cast<unsigned>(kOscillatorMask) & 0xFFu);
      return static_cast<std::uint8_t>(kept | (field << 6));
    }
  }
  return value;
}

void OnWeiteresProgrammieren(bool checked, std::uint8_t& value, UiServices& ui) {
  if (!checked) {
    value = static_cast<std::uint8_t>(value & ~kWdisMask);
    return;
  }
  const Answer answer = ui.MessageOkCancel(
      "!!! Achtung !!!\n\nDu willst den Schreibschutz setzen !\n\n"
      "Danach ist der Chip nicht mehr programmierbar !");
  if (answer == Answer::Ok) {
    value = static_cast<std::uint8_t>(value | kWdisMask);
  } else {
    ui.ShowInitRegister1(value);
  }
}

}  // namespace ferolith::InitRegister1Panel
