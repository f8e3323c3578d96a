#include <gtest/gtest.h>

#include "app/InitRegister1Panel.h"
#include "tests/support/ScriptedUi.h"

namespace ferolith {
namespace {

using namespace InitRegister1Panel;
using testing::ScriptedUi;

TEST(InitRegister1Panel, ShowsEveryBitOnItsControl) {
  // 0xC5: oscillator "Ext. RC", write protection of the upper data EEPROM, read protection.
  EXPECT_EQ(SelectedOscillator(0xC5), Ctl::OscExtRc);
  for (const BitControl& box : kCheckBoxes) {
    const bool expected = box.controlId == Ctl::SchreibschutzDaten || box.controlId == Ctl::Leseschutz;
    EXPECT_EQ(IsChecked(0xC5, box.controlId), expected) << box.controlId;
  }
  EXPECT_EQ(SelectedOscillator(0x00), Ctl::OscIntern);
  EXPECT_EQ(SelectedOscillator(0x40), Ctl::OscExtClock);
  EXPECT_EQ(SelectedOscillator(0x80), Ctl::OscExtQuarz);
}

TEST(InitRegister1Panel, HandlersChangeExactlyTheirBits) {
  EXPECT_EQ(WithOscillator(0x3F, Ctl::OscExtQuarz), 0xBF);
  EXPECT_EQ(WithOscillator(0xFF, Ctl::OscIntern), 0x3F);
  EXPECT_EQ(WithOscillator(0x00, Ctl::OscExtRc), 0xC0);
  EXPECT_EQ(WithCheckBox(0x00, Ctl::Watchdog, true), 0x20);
  EXPECT_EQ(WithCheckBox(0xFF, Ctl::Watchdog, false), 0xDF);
  EXPECT_EQ(WithCheckBox(0xFF, Ctl::Leseschutz, false), 0xFE);
  EXPECT_EQ(WithCheckBox(0x00, Ctl::LowVccDetect, true), 0x08);
  // Every check box and bit value round-trips through the view.
  for (const BitControl& box : kCheckBoxes) {
    for (int value = 0; value < 256; value += 37) {
      const auto v = static_cast<std::uint8_t>(value);
      EXPECT_EQ(WithCheckBox(v, box.controlId, IsChecked(v, box.controlId)), v);
    }
  }
}

TEST(InitRegister1Panel, SettingWdisAsksAndCancelRestoresThePanel) {
  ScriptedUi ui;
  ui.AnswerBoxes({Answer::Cancel, Answer::Ok});
  std::uint8_t value = 0x3F & ~0x02;
  OnWeiteresProgrammieren(true, value, ui);
  EXPECT_EQ(value, 0x3D);
  ASSERT_EQ(ui.Count(ScriptedUi::Kind::InitRegister1), 1);  // the box is unchecked again
  OnWeiteresProgrammieren(true, value, ui);
  EXPECT_EQ(value, 0x3F);
  EXPECT_EQ(ui.Texts(ScriptedUi::Kind::OkCancel).front(),
            "!!! Achtung !!!\n\nDu willst den Schreibschutz setzen !\n\n"
            "Danach ist der Chip nicht mehr programmierbar !");
  OnWeiteresProgrammieren(false, value, ui);  // clearing asks nothing
  EXPECT_EQ(value, 0x3D);
  EXPECT_EQ(ui.Count(ScriptedUi::Kind::OkCancel), 2);
  EXPECT_EQ(ui.UnscriptedBoxes(), 0);
}

}  // namespace
}  // namespace ferolith
