// The preferences dialog "Einstellungen": its controls, the checks at OK in
// control order, and that only OK applies.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/ControlIds.h"
#include "core/Settings.h"
#include "gui/ControlLookup.h"
#include "gui/GermanTranslation.h"
#include "gui/PrefsDlg.h"
#include "ModalHelper.h"
#include "tests/support/ScriptedUi.h"

using namespace ferolith;

namespace {

// Runs the dialog on `settings`, lets `edit` change the fields, then presses
// OK (and Cancel when OK was refused). Returns the notices of the refusals.
QStringList RunAndPressOk(Settings& settings, std::function<void(CPrefsDlg&)> edit,
                          int* focusedControl = nullptr) {
  testing::ScriptedUi ui;
  guitest::WhenShown<CPrefsDlg>([&](CPrefsDlg& dialog) {
    edit(dialog);
    ControlById<QPushButton>(dialog, PrefsCtl::Ok)->click();
    if (dialog.isVisible()) {
      if (focusedControl != nullptr) {
        // The dialog's own focus child: the application's focus widget
        // depends on whether the platform has activated the window yet.
        // The port list's edit field is a child of the list.
        const QWidget* focused = dialog.focusWidget();
        while (focused != nullptr && !focused->objectName().startsWith("control")) focused = focused->parentWidget();
        *focusedControl = focused == nullptr ? 0 : focused->objectName().mid(7).toInt();
      }
      ControlById<QPushButton>(dialog, PrefsCtl::Cancel)->click();
    }
  });
  RunPreferencesDialog(settings, ui, nullptr);
  QStringList notices;
  for (const std::string& text : ui.Messages()) notices << QString::fromStdString(text);
  return notices;
}

std::function<void(CPrefsDlg&)> SetField(int id, const QString& text) {
  return [id, text](CPrefsDlg& dialog) { ControlById<QLineEdit>(dialog, id)->setText(text); };
}

}  // namespace

class PrefsDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallGermanTranslation(*QCoreApplication::instance()); }

  void showsTheSettingsInItsControls() {
    testing::ScriptedUi ui;
    CPrefsDlg dialog(ui, nullptr);
    QCOMPARE(dialog.windowTitle(), QString("Einstellungen"));
    auto* port = ControlById<QComboBox>(dialog, PrefsCtl::Port);
    QStringList choices;
    for (int i = 0; i < port->count(); ++i) choices << port->itemText(i);
    QCOMPARE(choices, (QStringList{"0x3BC", "0x378", "0x278", "0x338", "0x238"}));
    QVERIFY(ControlById<QPushButton>(dialog, PrefsCtl::Ok)->isDefault());
    // The template's captions, with access keys of their own.
    QCOMPARE(ControlById<QCheckBox>(dialog, PrefsCtl::Beep)->text(), QString("&Signalton"));
    QCOMPARE(ControlById<QCheckBox>(dialog, PrefsCtl::EndMessage)->text(), QString("Schluß&meldung"));
    QCOMPARE(ControlById<QPushButton>(dialog, PrefsCtl::Ok)->text(), QString("&OK"));
    QCOMPARE(ControlById<QPushButton>(dialog, PrefsCtl::Cancel)->text(), QString("&Abbrechen"));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    Settings settings;
    settings.SetPortAdress(0x3BC);
    settings.TimeOut = 250000;
    settings.TimeBaseKorr = 90;
    settings.HexLineLen = 16;
    settings.MessageBeap = 0;
    settings.EndMessage = 1;
    dialog.SetForm(PreferencesFromSettings(settings));
    QCOMPARE(port->currentIndex(), 0);
    QCOMPARE(port->currentText(), QString("0x3BC"));
    QCOMPARE(ControlById<QLineEdit>(dialog, PrefsCtl::TimeOut)->text(), QString("250000"));
    QCOMPARE(ControlById<QLineEdit>(dialog, PrefsCtl::Correction)->text(), QString("90"));
    QCOMPARE(ControlById<QLineEdit>(dialog, PrefsCtl::LineLength)->text(), QString("16"));
    QVERIFY(!ControlById<QCheckBox>(dialog, PrefsCtl::Beep)->isChecked());
    QVERIFY(ControlById<QCheckBox>(dialog, PrefsCtl::EndMessage)->isChecked());

    // An address outside the list stands in the edit field, nothing selected.
    settings.SetPortAdress(0x2BC);
    dialog.SetForm(PreferencesFromSettings(settings));
    QCOMPARE(port->currentIndex(), -1);
    QCOMPARE(port->currentText(), QString("0x2BC"));
  }

  void portTextIsReadInTheCLanguagesBase() {
    const std::pair<QString, int> cases[] = {{"378", 378}, {"888", 0x378}, {"0x3bc", 0x3BC}};
    for (const auto& [text, address] : cases) {
      Settings settings;
      const QStringList notices = RunAndPressOk(settings, [text](CPrefsDlg& dialog) {
        ControlById<QComboBox>(dialog, PrefsCtl::Port)->setEditText(text);
      });
      QVERIFY(notices.isEmpty());
      QCOMPARE(settings.PortAdress, address);
      QCOMPARE(int(settings.StatusPort), address + 1);
      QCOMPARE(int(settings.ControlPort), address + 2);
    }
    Settings settings;
    RunAndPressOk(settings, [](CPrefsDlg& dialog) {
      ControlById<QComboBox>(dialog, PrefsCtl::Port)->setCurrentIndex(2);
    });
    QCOMPARE(settings.PortAdress, 0x278);
  }

  void aPortAddressIsTakenAsItStandsNeverCompleted() {
    // An address that only begins like a list entry selects nothing, and OK
    // keeps it.
    Settings settings;
    settings.SetPortAdress(0x37);
    QString shown;
    int selected = 0;
    QVERIFY(RunAndPressOk(settings, [&](CPrefsDlg& dialog) {
              auto* port = ControlById<QComboBox>(dialog, PrefsCtl::Port);
              shown = port->currentText();
              selected = port->currentIndex();
            }).isEmpty());
    QCOMPARE(shown, QString("0x37"));
    QCOMPARE(selected, -1);
    QCOMPARE(settings.PortAdress, 0x37);

    // Typed key by key, the text is not completed from the list.
    RunAndPressOk(settings, [&](CPrefsDlg& dialog) {
      auto* port = ControlById<QComboBox>(dialog, PrefsCtl::Port);
      port->lineEdit()->clear();
      QTest::keyClicks(port->lineEdit(), "0x2");
      shown = port->currentText();
    });
    QCOMPARE(shown, QString("0x2"));
    QCOMPARE(settings.PortAdress, 0x2);
  }

  void numbersAreCheckedAgainstTheirRanges() {
    struct Case {
      int field;
      QString text;
      bool accepted;
    };
    const Case cases[] = {
        {PrefsCtl::TimeOut, "10000", true},       {PrefsCtl::TimeOut, "10000000", true},
        {PrefsCtl::TimeOut, "9999", false},       {PrefsCtl::TimeOut, "10000001", false},
        {PrefsCtl::Correction, "70", true},       {PrefsCtl::Correction, "100", true},
        {PrefsCtl::Correction, "69", false},      {PrefsCtl::Correction, "101", false},
        {PrefsCtl::LineLength, "16", true},       {PrefsCtl::LineLength, "255", true},
        {PrefsCtl::LineLength, "15", false},      {PrefsCtl::LineLength, "256", false},
        {PrefsCtl::TimeOut, "zehn", false},       {PrefsCtl::Correction, "-80", false},
    };
    for (const Case& each : cases) {
      Settings settings;
      int focused = 0;
      const QStringList notices = RunAndPressOk(settings, SetField(each.field, each.text), &focused);
      QVERIFY2(notices.isEmpty() == each.accepted, qPrintable(each.text));
      if (!each.accepted) {
        QCOMPARE(focused, each.field);
        QCOMPARE(settings.TimeOut, Settings{}.TimeOut);  // nothing applied
      }
    }
    Settings settings;
    // Every notice names its field.
    QStringList notices = RunAndPressOk(settings, SetField(PrefsCtl::Correction, "101"));
    QCOMPARE(notices, QStringList{"Korrektur:\nBitte eine ganze Zahl zwischen 70 und 100 eingeben."});
    notices = RunAndPressOk(settings, SetField(PrefsCtl::TimeOut, "zehn"));
    QCOMPARE(notices, QStringList{"Timeout-Zähler:\nBitte eine ganze positive Zahl eingeben."});
  }

  // A port text that is no address is refused like a number out of range:
  // the notice names the field, the focus goes into it with the text
  // marked, and nothing is applied.
  void aPortTextThatIsNoAddressIsRefused() {
    Settings settings;
    const Settings before = settings;
    int focused = 0;
    QString marked;
    const QStringList notices = RunAndPressOk(
        settings,
        [&marked](CPrefsDlg& dialog) {
          auto* port = ControlById<QComboBox>(dialog, PrefsCtl::Port);
          port->setEditText("hallo");
          ControlById<QLineEdit>(dialog, PrefsCtl::TimeOut)->setText("20000");
          QObject::connect(port->lineEdit(), &QLineEdit::selectionChanged, port->lineEdit(),
                           [&marked, port] { marked = port->lineEdit()->selectedText(); });
        },
        &focused);
    QCOMPARE(notices, QStringList{"Portadresse:\nBitte eine Portadresse wie 0x378 eingeben (höchstens 0xFFFF)."});
    QCOMPARE(focused, int(PrefsCtl::Port));
    QCOMPARE(marked, QString("hallo"));
    QCOMPARE(settings.PortAdress, before.PortAdress);
    QCOMPARE(settings.TimeOut, before.TimeOut);
  }

  void lineLengthIsRoundedDownToEven() {
    const std::pair<QString, std::uint32_t> cases[] = {{"16", 16}, {"17", 16}, {"255", 254}};
    for (const auto& [text, length] : cases) {
      Settings settings;
      RunAndPressOk(settings, SetField(PrefsCtl::LineLength, text));
      QCOMPARE(settings.HexLineLen, length);
    }
  }

  void aValueFromTheFileOutsideTheRangeIsShownAndRefused() {
    Settings settings;
    settings.TimeBaseKorr = 5;
    QString shown;
    const QStringList notices = RunAndPressOk(settings, [&shown](CPrefsDlg& dialog) {
      shown = ControlById<QLineEdit>(dialog, PrefsCtl::Correction)->text();
    });
    QCOMPARE(shown, QString("5"));
    QCOMPARE(notices.size(), 1);
    QCOMPARE(settings.TimeBaseKorr, 5);
  }

  void cancelChangesNothing() {
    Settings settings;
    const Settings before = settings;
    testing::ScriptedUi ui;
    guitest::WhenShown<CPrefsDlg>([](CPrefsDlg& dialog) {
      ControlById<QComboBox>(dialog, PrefsCtl::Port)->setEditText("0x3BC");
      ControlById<QLineEdit>(dialog, PrefsCtl::TimeOut)->setText("20000");
      ControlById<QLineEdit>(dialog, PrefsCtl::Correction)->setText("99");
      ControlById<QLineEdit>(dialog, PrefsCtl::LineLength)->setText("64");
      ControlById<QCheckBox>(dialog, PrefsCtl::Beep)->toggle();
      ControlById<QCheckBox>(dialog, PrefsCtl::EndMessage)->toggle();
      ControlById<QPushButton>(dialog, PrefsCtl::Cancel)->click();
    });
    RunPreferencesDialog(settings, ui, nullptr);
    QCOMPARE(settings.PortAdress, before.PortAdress);
    QCOMPARE(settings.TimeOut, before.TimeOut);
    QCOMPARE(settings.TimeBaseKorr, before.TimeBaseKorr);
    QCOMPARE(settings.HexLineLen, before.HexLineLen);
    QCOMPARE(settings.MessageBeap, before.MessageBeap);
    QCOMPARE(settings.EndMessage, before.EndMessage);
  }
};

QTEST_MAIN(PrefsDlgTest)
#include "PrefsDlgTest.moc"
