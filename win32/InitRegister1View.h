#pragma once

#include <windows.h>

#include <cstdint>

#include "core/UiServices.h"

namespace ferolith {

// The InitRegister1 panel of the main window on Win32: the six bit check
// boxes and the four oscillator radio buttons, shown from the byte and
// edited through the toolkit-free rules of app/InitRegister1Panel.h.
namespace InitRegister1View {

// True when `controlId` is one of the panel's ten controls.
bool IsPanelControl(int controlId);
// Sets every control of the panel from `value`.
void Show(HWND dialog, std::uint8_t value);
// The control `controlId` of the panel was clicked: `value` changes as its
// rule says. Each radio button starts a group of its own, so the system
// does not uncheck the others; this does.
void OnClicked(HWND dialog, int controlId, std::uint8_t& value, UiServices& ui);

}  // namespace InitRegister1View

}  // namespace ferolith
