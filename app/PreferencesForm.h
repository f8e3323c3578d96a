#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "port/PortAccess.h"

namespace ferolith {

// The values of the preferences dialog "Einstellungen" as the user edits
// them, and their exchange with the settings: filled from Settings, checked
// in control order when OK is pressed, applied only when every field passes.
struct PreferencesForm {
  std::string portText;
  std::string timeOutText;
  std::string correctionText;
  std::string lineLengthText;
  bool beep = false;
  bool endMessage = false;
};

// The standard port addresses the dialog's list offers, in this order.
inline constexpr const char* kPortChoices[] = {"0x3BC", "0x378", "0x278", "0x338", "0x238"};

// The dialog's list: the standard addresses, then the machine's ports at
// other addresses. A port of the machine is marked as present with its
// node, such as "0x378 (vorhanden: /dev/parport0)"; the port text such an
// entry gives reads as its address (the conversion stops at the blank).
std::vector<std::string> PortChoices(const std::vector<MachinePort>& present);

// The outcome of the check at OK: the first field that failed (a control id
// of the dialog, 0 when all passed) and the notice for the user.
struct PreferencesCheck {
  int failedControl = 0;
  std::string notice;
};

PreferencesForm PreferencesFromSettings(const Settings& settings);

// Checks the port text (an address in the C language's notation, at most
// 0xFFFF), timeout (10000..10000000), correction (70..100) and line length
// (16..255) in control order; stops at the first field that fails. The
// notice names the field.
PreferencesCheck CheckPreferences(const PreferencesForm& form);

// Applies a form that passed the check: the port text in the C language's
// automatic base, the line length rounded down to even.
void ApplyPreferences(const PreferencesForm& form, Settings& settings);

// The index of the entry of `choices` whose address is `portText`, compared
// without regard to case; -1 when none is.
int PortChoiceFor(const std::string& portText, const std::vector<std::string>& choices);

}  // namespace ferolith
