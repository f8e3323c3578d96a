#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ControlIds.h"
#include "app/PreferencesForm.h"

namespace ferolith {
namespace {

PreferencesForm ValidForm() {
  PreferencesForm form;
  form.portText = "0x378";
  form.timeOutText = "100000";
  form.correctionText = "85";
  form.lineLengthText = "32";
  return form;
}

TEST(PreferencesForm, AcceptsTheBoundariesAndRefusesOneBeyond) {
  struct Case {
    std::string PreferencesForm::*field;
    const char* text;
    int failed;
  };
  const Case cases[] = {
      {&PreferencesForm::timeOutText, "10000", 0},
      {&PreferencesForm::timeOutText, "10000000", 0},
      {&PreferencesForm::timeOutText, "9999", PrefsCtl::TimeOut},
      {&PreferencesForm::timeOutText, "10000001", PrefsCtl::TimeOut},
      {&PreferencesForm::correctionText, "70", 0},
      {&PreferencesForm::correctionText, "100", 0},
      {&PreferencesForm::correctionText, "69", PrefsCtl::Correction},
      {&PreferencesForm::correctionText, "101", PrefsCtl::Correction},
      {&PreferencesForm::lineLengthText, "16", 0},
      {&PreferencesForm::lineLengthText, "255", 0},
      {&PreferencesForm::lineLengthText, "15", PrefsCtl::LineLength},
      {&PreferencesForm::lineLengthText, "256", PrefsCtl::LineLength},
  };
  for (const Case& c : cases) {
    PreferencesForm form = ValidForm();
    form.*c.field = c.text;
    EXPECT_EQ(CheckPreferences(form).failedControl, c.failed) << c.text;
  }
}

TEST(PreferencesForm, NamesTheRangeOrAsksForANumberAndStopsAtTheFirstFailure) {
  PreferencesForm form = ValidForm();
  form.correctionText = "abc";
  form.lineLengthText = "3";
  PreferencesCheck check = CheckPreferences(form);
  EXPECT_EQ(check.failedControl, PrefsCtl::Correction);
  EXPECT_EQ(check.notice, "Korrektur:\nBitte eine ganze positive Zahl eingeben.");
  form.correctionText = "85";
  check = CheckPreferences(form);
  EXPECT_EQ(check.failedControl, PrefsCtl::LineLength);
  EXPECT_EQ(check.notice, "Länge HEX-Zeile:\nBitte eine ganze Zahl zwischen 16 und 255 eingeben.");
  form = ValidForm();
  form.timeOutText = "9999";
  EXPECT_EQ(CheckPreferences(form).notice,
            "Timeout-Zähler:\nBitte eine ganze Zahl zwischen 10000 und 10000000 eingeben.");
  for (const char* garbage : {"", " ", "-1", "1e5", "99999999999999999999", "12 34"}) {
    form = ValidForm();
    form.timeOutText = garbage;
    EXPECT_EQ(CheckPreferences(form).failedControl, PrefsCtl::TimeOut) << garbage;
  }
}

TEST(PreferencesForm, GarbageHugeNumbersAndEmptyTextInEveryCheckedField) {
  const std::string longText(5000, '9');
  const std::string binary("\x01\xFF\x00" "42", 5);
  const std::vector<std::string> garbage{"",      " ",   "\t",          "abc",   "0x10",  "+100",
                                         "-0",    "1.5", "4294967296", "1e9",   longText, binary,
                                         "１００", " 5 ", "99999999999999999999999999999999"};
  const struct {
    std::string PreferencesForm::*field;
    int control;
  } fields[] = {{&PreferencesForm::timeOutText, PrefsCtl::TimeOut},
                {&PreferencesForm::correctionText, PrefsCtl::Correction},
                {&PreferencesForm::lineLengthText, PrefsCtl::LineLength}};
  for (const auto& f : fields) {
    for (const std::string& text : garbage) {
      PreferencesForm form = ValidForm();
      form.*f.field = text;
      const PreferencesCheck check = CheckPreferences(form);
      EXPECT_EQ(check.failedControl, f.control) << f.control << " '" << text << "'";
      EXPECT_TRUE(check.notice.ends_with("\nBitte eine ganze positive Zahl eingeben.") ||
                  check.notice.find("\nBitte eine ganze Zahl zwischen ") != std::string::npos)
          << check.notice;
    }
  }
  // A form that passed can only carry values inside the ranges.
  PreferencesForm form = ValidForm();
  form.timeOutText = "10000000";
  form.correctionText = "070";
  form.lineLengthText = "0255";
  ASSERT_EQ(CheckPreferences(form).failedControl, 0);
  Settings settings;
  ApplyPreferences(form, settings);
  EXPECT_EQ(settings.TimeOut, 10000000u);
  EXPECT_EQ(settings.TimeBaseKorr, 70);
  EXPECT_EQ(settings.HexLineLen, 254u);
}

// A port text is an address as C writes numbers, or it is refused first,
// before the numbers, with a notice that names the field.
TEST(PreferencesForm, APortTextThatIsNoAddressIsRefused) {
  for (const char* good : {"0x378", "0X3bc", "888", "378", "0", "0377", " 0x278", "0xFFFF",
                           "0x378 (vorhanden: /dev/parport0)"}) {
    PreferencesForm form = ValidForm();
    form.portText = good;
    EXPECT_EQ(CheckPreferences(form).failedControl, 0) << good;
  }
  for (const char* bad : {"hallo", "", " ", "0x", "0x37g", "378h", "0389", "-0x378", "+888", "0x10000",
                          "99999999999", "3,78", "Port 0x378"}) {
    PreferencesForm form = ValidForm();
    form.portText = bad;
    form.timeOutText = "1";  // also wrong, but later in control order
    const PreferencesCheck check = CheckPreferences(form);
    EXPECT_EQ(check.failedControl, PrefsCtl::Port) << bad;
    EXPECT_EQ(check.notice, "Portadresse:\nBitte eine Portadresse wie 0x378 eingeben (höchstens 0xFFFF).") << bad;
  }
}

TEST(PreferencesForm, AppliesPortInAutomaticBaseAndEvenLineLength) {
  const struct {
    const char* text;
    std::int32_t port;
  } ports[] = {{"0x278", 0x278}, {"378", 378}, {"888", 0x378}, {"0x3bc", 0x3BC}};
  for (const auto& p : ports) {
    Settings settings;
    PreferencesForm form = ValidForm();
    form.portText = p.text;
    form.lineLengthText = "17";
    ApplyPreferences(form, settings);
    EXPECT_EQ(settings.PortAdress, p.port) << p.text;
    EXPECT_EQ(settings.StatusPort, static_cast<std::uint16_t>(p.port + 1));
    EXPECT_EQ(settings.ControlPort, static_cast<std::uint16_t>(p.port + 2));
    EXPECT_EQ(settings.HexLineLen, 16u);
  }
  Settings settings;
  PreferencesForm form = ValidForm();
  form.lineLengthText = "255";
  form.beep = false;
  form.endMessage = true;
  ApplyPreferences(form, settings);
  EXPECT_EQ(settings.HexLineLen, 254u);
  EXPECT_EQ(settings.MessageBeap, 0);
  EXPECT_EQ(settings.EndMessage, 1);
}

TEST(PreferencesForm, ShowsThePortInUpperCaseHexAndFindsItInTheList) {
  Settings settings;
  settings.SetPortAdress(0x3BC);
  settings.TimeOut = 5000;  // outside the dialog's range, shown as it is
  const PreferencesForm form = PreferencesFromSettings(settings);
  EXPECT_EQ(form.portText, "0x3BC");
  EXPECT_EQ(form.timeOutText, "5000");
  EXPECT_EQ(CheckPreferences(form).failedControl, PrefsCtl::TimeOut);
  const std::vector<std::string> standard = PortChoices({});
  EXPECT_EQ(standard, (std::vector<std::string>{"0x3BC", "0x378", "0x278", "0x338", "0x238"}));
  EXPECT_EQ(PortChoiceFor("0x3BC", standard), 0);
  EXPECT_EQ(PortChoiceFor("0x3bc", standard), 0);
  EXPECT_EQ(PortChoiceFor("0x278", standard), 2);
  EXPECT_EQ(PortChoiceFor("0x3010", standard), -1);
  // Only the whole address selects an entry: 0x37 is no 0x378, 0x2 no 0x278.
  for (const char* text : {"0x37", "0x2", "0x", "", "0x3B", "0x3780"}) {
    EXPECT_EQ(PortChoiceFor(text, standard), -1) << text;
  }

  // The machine's ports are marked where they are, or added after the five;
  // the marked entry is found by its address and reads as it.
  const std::vector<std::string> present =
      PortChoices({{0x378, "/dev/parport0", ""}, {0xD010, "/dev/parport1", "Permission denied"}});
  EXPECT_EQ(present, (std::vector<std::string>{"0x3BC", "0x378 (vorhanden: /dev/parport0)", "0x278", "0x338",
                                               "0x238", "0xD010 (vorhanden: /dev/parport1)"}));
  EXPECT_EQ(PortChoiceFor("0x378", present), 1);
  EXPECT_EQ(PortChoiceFor("0xd010", present), 5);
  PreferencesForm chosen = PreferencesFromSettings(settings);
  chosen.timeOutText = "100000";
  chosen.portText = present[5];
  ApplyPreferences(chosen, settings);
  EXPECT_EQ(settings.PortAdress, 0xD010);
}

}  // namespace
}  // namespace ferolith
