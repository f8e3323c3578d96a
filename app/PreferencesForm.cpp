#include "app/PreferencesForm.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

#include "app/ControlIds.h"
#include "core/NumberText.h"
#include "core/TextFormat.h"

namespace ferolith {

namespace {

struct NumberField {
  int control;
  const char* label;  // the field's label in the dialog, named in its notices
  const std::string PreferencesForm::*text;
  std::uint32_t low;
  std::uint32_t high;
};

constexpr NumberField kNumberFields[] = {
    {PrefsCtl::TimeOut, "Timeout-Zähler", &PreferencesForm::timeOutText, 10000, 10000000},
    {PrefsCtl::Correction, "Korrektur", &PreferencesForm::correctionText, 70, 100},
    {PrefsCtl::LineLength, "Länge HEX-Zeile", &PreferencesForm::lineLengthText, 16, 255},
};

constexpr std::uint32_t kHighestPortAddress = 0xFFFF;  // the I/O address space

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// True when the port text is an address as the C language writes numbers:
// hexadecimal after 0x, octal after a leading 0, decimal otherwise, every
// character a digit of its base, within the I/O address space. Leading
// blanks are skipped; what follows the address after a blank is a note of
// the list's own entries ("0x378 (vorhanden: /dev/parport0)").
bool IsPortAddress(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  std::string_view address = text.substr(first);
  address = address.substr(0, address.find(' '));
  int base = 10;
  std::size_t at = 0;
  if (address.size() > 1 && address[0] == '0' && (address[1] == 'x' || address[1] == 'X')) {
    base = 16;
    at = 2;
  } else if (address.size() > 1 && address[0] == '0') {
    base = 8;
    at = 1;
  }
  if (at >= address.size()) return false;
  std::uint32_t value = 0;
  for (; at < address.size(); ++at) {
    const int digit = DigitValue(address[at]);
    if (digit < 0 || digit >= base) return false;
    value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    if (value > kHighestPortAddress) return false;
  }
  return true;
}

// A notice that names the field it is about, on a line of its own.
std::string FieldNotice(const char* label, const std::string& notice) {
  return std::string(label) + ":\n" + notice;
}

std::uint32_t NumberOf(const std::string& text) {
  std::uint32_t value = 0;
  IsWholeUnsigned(text, &value);
  return value;
}

}  // namespace

PreferencesForm PreferencesFromSettings(const Settings& settings) {
  PreferencesForm form;
  form.portText = FormatText("0x%X", static_cast<unsigned>(settings.PortAdress));
  form.timeOutText = std::to_string(settings.TimeOut);
  form.correctionText = std::to_string(settings.TimeBaseKorr);
  form.lineLengthText = std::to_string(settings.HexLineLen);
  form.beep = settings.MessageBeap != 0;
  form.endMessage = settings.EndMessage != 0;
  return form;
}

PreferencesCheck CheckPreferences(const PreferencesForm& form) {
  if (!IsPortAddress(form.portText)) {
    return {PrefsCtl::Port, FieldNotice("Portadresse", "Bitte eine Portadresse wie 0x378 eingeben (höchstens 0xFFFF).")};
  }
  for (const NumberField& field : kNumberFields) {
    std::uint32_t value = 0;
    if (!IsWholeUnsigned(form.*field.text, &value)) {
      return {field.control, FieldNotice(field.label, "Bitte eine ganze positive Zahl eingeben.")};
    }
    if (value < field.low || value > field.high) {
      return {field.control,
              FieldNotice(field.label,
                          FormatText("Bitte eine ganze Zahl zwischen %u und %u eingeben.", field.low, field.high))};
    }
  }
  return {};
}

void ApplyPreferences(const PreferencesForm& form, Settings& settings) {
  settings.SetPortAdress(ParseSignedAutoBase(form.portText));
  settings.TimeOut = NumberOf(form.timeOutText);
  settings.TimeBaseKorr = static_cast<std::int32_t>(NumberOf(form.correctionText));
  settings.HexLineLen = NumberOf(form.lineLengthText) & 0xFEu;
  settings.MessageBeap = form.beep ? 1 : 0;
  settings.EndMessage = form.endMessage ? 1 : 0;
}

std::vector<std::string> PortChoices(const std::vector<MachinePort>& present) {
  std::vector<std::string> choices(std::begin(kPortChoices), std::end(kPortChoices));
  for (const MachinePort& port : present) {
    const std::string address = FormatText("0x%X", port.base);
    const std::string marked = address + " (vorhanden: " + port.device + ")";
    const auto standard = std::find(choices.begin(), choices.end(), address);
    if (standard != choices.end()) {
      *standard = marked;
    } else {
      choices.push_back(marked);
    }
  }
  return choices;
}

int PortChoiceFor(const std::string& portText, const std::vector<std::string>& choices) {
  for (std::size_t i = 0; i < choices.size(); ++i) {
    // The address alone: a prefix would turn an address such as 0x37 into
    // the entry 0x378.
    const std::string choice = choices[i].substr(0, choices[i].find(' '));
    if (portText.size() != choice.size()) continue;
    bool matches = true;
    for (std::size_t k = 0; k < portText.size() && matches; ++k) {
      matches = std::tolower(static_cast<unsigned char>(portText[k])) ==
                std::tolower(static_cast<unsigned char>(choice[k]));
    }
    if (matches) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace ferolith
