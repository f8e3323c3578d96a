#include "app/PreferencesForm.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "app/ControlIds.h"
#include "core/NumberText.h"
#include "core/TextFormat.h"

namespace ferolith {

namespace {

struct NumberField {
  int control;
  const std::string PreferencesForm::*text;
  std::uint32_t low;
  std::uint32_t high;
};

constexpr NumberField kNumberFields[] = {
    {PrefsCtl::TimeOut, &PreferencesForm::timeOutText, 10000, 10000000},
    {PrefsCtl::Correction, &PreferencesForm::correctionText, 70, 100},
    {PrefsCtl::LineLength, &PreferencesForm::lineLengthText, 16, 255},
};

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
  for (const NumberField& field : kNumberFields) {
    std::uint32_t value = 0;
    if (!IsWholeUnsigned(form.*field.text, &value)) {
      return {field.control, "Bitte eine ganze positive Zahl eingeben."};
    }
    if (value < field.low || value > field.high) {
      return {field.control,
              FormatText("Bitte eine ganze Zahl zwischen %u und %u eingeben.", field.low, field.high)};
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
