// The InitRegister1 panel of the main window, driven by mouse clicks.

#include <QCheckBox>
#include <QRadioButton>
#include <QTest>

#include "app/ControlIds.h"
#include "core/Settings.h"
#include "gui/ControlLookup.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerDlg.h"
#include "ModalHelper.h"

using namespace ferolith;

namespace {

constexpr int kRadios[] = {Ctl::OscIntern, Ctl::OscExtClock, Ctl::OscExtQuarz, Ctl::OscExtRc};
constexpr int kBoxes[] = {Ctl::Watchdog,           Ctl::LowVccReset,           Ctl::LowVccDetect,
                          Ctl::SchreibschutzDaten, Ctl::WeiteresProgrammieren, Ctl::Leseschutz};

QList<int> CheckedOf(const QWidget& dialog) {
  QList<int> checked;
  for (const int id : kRadios) {
    if (ControlById<QAbstractButton>(dialog, id)->isChecked()) checked << id;
  }
  for (const int id : kBoxes) {
    if (ControlById<QAbstractButton>(dialog, id)->isChecked()) checked << id;
  }
  return checked;
}

void Click(const QWidget& dialog, int id) {
  QTest::mouseClick(ControlById<QAbstractButton>(dialog, id), Qt::LeftButton);
}

}  // namespace

class InitRegister1PanelViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallGermanTranslation(*QCoreApplication::instance()); }

  void init() {
    dialog_ = std::make_unique<CProgrammerDlg>();
    settings_ = Settings{};
    settings_.MessageBeap = 0;
    dialog_->BindSettings(settings_);
    dialog_->show();
  }
  void cleanup() { dialog_.reset(); }

  void showsAValueReadFromAChip() {
    dialog_->ShowInitRegister1(0xC5);
    QCOMPARE(CheckedOf(*dialog_),
             (QList<int>{Ctl::OscExtRc, Ctl::SchreibschutzDaten, Ctl::Leseschutz}));
    dialog_->ShowInitRegister1(0x3A);
    QCOMPARE(CheckedOf(*dialog_), (QList<int>{Ctl::OscIntern, Ctl::Watchdog, Ctl::LowVccReset,
                                              Ctl::LowVccDetect, Ctl::WeiteresProgrammieren}));
  }

  void oscillatorClicksReplaceOnlyTheClockField() {
    settings_.InitRegister1Value = 0x3F & ~0x02;  // all bits but WDIS, Intern
    dialog_->ShowInitRegister1(settings_.InitRegister1Value);
    Click(*dialog_, Ctl::OscExtQuarz);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0xBD});
    QCOMPARE(CheckedOf(*dialog_).first(), Ctl::OscExtQuarz);
    QCOMPARE(CheckedOf(*dialog_).size(), 6);  // one radio button and five boxes

    // Clicking the selected radio button again keeps it selected.
    Click(*dialog_, Ctl::OscExtQuarz);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0xBD});
    QVERIFY(ControlById<QRadioButton>(*dialog_, Ctl::OscExtQuarz)->isChecked());

    Click(*dialog_, Ctl::OscExtClock);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x7D});
    Click(*dialog_, Ctl::OscIntern);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x3D});
    QCOMPARE(CheckedOf(*dialog_).first(), Ctl::OscIntern);
  }

  void extQuarzOnAllBitsSetGivesBF() {
    settings_.InitRegister1Value = 0x3F;
    dialog_->ShowInitRegister1(0x3F);
    Click(*dialog_, Ctl::OscExtQuarz);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0xBF});
    for (const int id : kRadios) {
      QCOMPARE(ControlById<QRadioButton>(*dialog_, id)->isChecked(), id == Ctl::OscExtQuarz);
    }
  }

  void bitBoxesSetAndClearTheirBitOnly() {
    settings_.InitRegister1Value = 0x80;
    dialog_->ShowInitRegister1(0x80);
    Click(*dialog_, Ctl::Watchdog);
    Click(*dialog_, Ctl::Leseschutz);
    Click(*dialog_, Ctl::LowVccDetect);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x80 | 0x20 | 0x01 | 0x08});
    Click(*dialog_, Ctl::Watchdog);
    Click(*dialog_, Ctl::LowVccReset);
    Click(*dialog_, Ctl::SchreibschutzDaten);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x80 | 0x10 | 0x04 | 0x01 | 0x08});
  }

  void writeProtectionAsksFirst() {
    auto* wdis = ControlById<QCheckBox>(*dialog_, Ctl::WeiteresProgrammieren);
    guitest::SeenBox seen;
    guitest::AnswerBox(QMessageBox::Cancel, &seen);
    Click(*dialog_, Ctl::WeiteresProgrammieren);
    QCOMPARE(seen.text, QString("!!! Achtung !!!\n\nDu willst den Schreibschutz setzen !\n\n"
                                "Danach ist der Chip nicht mehr programmierbar !"));
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x00});
    QVERIFY(!wdis->isChecked());

    guitest::AnswerBox(QMessageBox::Ok);
    Click(*dialog_, Ctl::WeiteresProgrammieren);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x02});
    QVERIFY(wdis->isChecked());

    // Unchecking asks nothing: a box would block this click.
    Click(*dialog_, Ctl::WeiteresProgrammieren);
    QCOMPARE(settings_.InitRegister1Value, std::uint8_t{0x00});
    QVERIFY(!wdis->isChecked());
  }

 private:
  std::unique_ptr<CProgrammerDlg> dialog_;
  Settings settings_;
};

QTEST_MAIN(InitRegister1PanelViewTest)
#include "InitRegister1PanelViewTest.moc"
