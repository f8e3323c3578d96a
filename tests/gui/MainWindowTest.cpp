// The main window: its 30 controls as the window table lists them, a layout
// in which no German text is cut off and nothing overlaps, and the window's
// user-interface services.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <algorithm>

#include "app/AccessKeys.h"
#include "app/ControlIds.h"
#include "core/Settings.h"
#include "gui/ControlLookup.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerDlg.h"
#include "ModalHelper.h"

using namespace ferolith;
using guitest::AnswerBox;
using guitest::SeenBox;

namespace {

struct ControlRow {
  int id;
  const char* kind;
  const char* caption;
};

const ControlRow kControls[] = {
    {1016, "QLabel", "Warte auf Eingaben"},
    {1019, "QProgressBar", ""},
    {1000, "QPushButton", "Leertest"},
    {1001, "QPushButton", "Auslesen"},
    {1002, "QPushButton", "Brennen"},
    {1003, "QPushButton", "Prüfen"},
    {1005, "QLineEdit", ""},
    {1006, "QPushButton", "Neue Datei"},
    {1007, "QPushButton", "Prefs"},
    {1017, "QPushButton", "Abbrechen"},
    {1018, "QPushButton", "InitRegister"},
    {1004, "QComboBox", ""},
    {1011, "QComboBox", ""},
    {1012, "QCheckBox", "Baustein prüfen"},
    {1013, "QCheckBox", "Leerzellen speichern"},
    {1022, "QCheckBox", "Checksummen prüfen"},
    {1026, "QGroupBox", "Oscillator"},
    {1008, "QRadioButton", "Intern"},
    {1009, "QRadioButton", "Ext. Clock"},
    {1010, "QRadioButton", "Ext. Quarz"},
    {1014, "QRadioButton", "Ext. RC"},
    {1015, "QCheckBox", "Watchdog"},
    {1020, "QCheckBox", "Low Vcc Reset"},
    {1021, "QCheckBox", "Low Vcc Detect Bit"},
    {1025, "QCheckBox", "Leseschutz"},
    {1023, "QCheckBox", "Schreibschutz oberes Daten EEPROM"},
    {1024, "QCheckBox", "Weiteres Programmieren unmöglich"},
};

// The caption as the template has it: without the access key's mark.
QString CaptionOf(const QWidget& widget) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return QString(button->text()).remove('&');
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) return group->title();
  return {};
}

QList<QWidget*> Controls(const QWidget& dialog) {
  return dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QVERIFY(InstallGermanTranslation(*QCoreApplication::instance())); }

  void everyControlHasItsKindCaptionAndState() {
    CProgrammerDlg dialog;
    QCOMPARE(Controls(dialog).size(), 30);
    for (const ControlRow& row : kControls) {
      const QWidget* control = ControlById<QWidget>(dialog, row.id);
      QVERIFY2(control != nullptr, qPrintable(ControlName(row.id)));
      QCOMPARE(control->metaObject()->className(), row.kind);
      QCOMPARE(CaptionOf(*control), QString::fromUtf8(row.caption));
      QCOMPARE(control->isEnabled(), row.id != Ctl::Abbrechen);
    }
    QCOMPARE(dialog.findChild<QGroupBox*>("groupOptionen")->title(), QString("Optionen"));
    QCOMPARE(dialog.findChild<QGroupBox*>("groupInitRegister1")->title(), QString("InitRegister1"));
    const QLabel* picture = dialog.findChild<QLabel*>("pictureMain");
    QCOMPARE(picture->pixmap().size(), QSize(75, 75));
    QVERIFY(!dialog.windowIcon().isNull());

    QVERIFY(ControlById<QPushButton>(dialog, Ctl::Brennen)->isDefault());
    QVERIFY(ControlById<QLineEdit>(dialog, Ctl::BurnFileName)->isReadOnly());
    QVERIFY(ControlById<QComboBox>(dialog, Ctl::ManufacturerList)->isEditable());
    QVERIFY(ControlById<QComboBox>(dialog, Ctl::DeviceList)->isEditable());
    for (const int radio : {Ctl::OscIntern, Ctl::OscExtClock, Ctl::OscExtQuarz, Ctl::OscExtRc}) {
      QVERIFY(!ControlById<QRadioButton>(dialog, radio)->autoExclusive());
    }
    // Every input control is reached with Tab, except "Abbrechen" and "InitRegister".
    for (const int id : kInputControls) {
      const bool tabStop = (ControlById<QWidget>(dialog, id)->focusPolicy() & Qt::TabFocus) != 0;
      QVERIFY2(tabStop == (id != Ctl::InitRegister), qPrintable(ControlName(id)));
    }
    QVERIFY((ControlById<QWidget>(dialog, Ctl::Abbrechen)->focusPolicy() & Qt::TabFocus) == 0);
    QVERIFY((dialog.windowFlags() & Qt::WindowMinMaxButtonsHint) == 0);
    for (const MarkedCaption& caption : kMainWindowCaptions) {
      QCOMPARE(ControlById<QAbstractButton>(dialog, caption.control)->text(), QString::fromUtf8(caption.text));
    }
  }

  // Alt and the marked letter press each button and check box, the
  // disabled "Abbrechen" included once it is enabled.
  void accessKeysPressTheirControls() {
    CProgrammerDlg dialog;
    dialog.EnableCancelButton(true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    for (const MarkedCaption& caption : kMainWindowCaptions) {
      auto* control = ControlById<QAbstractButton>(dialog, caption.control);
      int clicks = 0;
      const QMetaObject::Connection counting =
          connect(control, &QAbstractButton::clicked, [&clicks] { ++clicks; });
      const QString text = QString::fromUtf8(caption.text);
      const QChar key = text.at(text.indexOf('&') + 1).toUpper();
      QTest::keyClick(&dialog, key.toLatin1(), Qt::AltModifier);
      // The click is animated: wait for it, not for a time.
      QTRY_COMPARE(clicks, 1);
      disconnect(counting);
    }
  }

  // The window keeps the size of its template, as a dialog of its kind
  // does, also when the window system resizes it past the size hints (as X
  // does for any client's request when no window manager enforces them).
  void theWindowKeepsItsTemplateSize() {
    CProgrammerDlg dialog;
    const QSize size = dialog.size();
    QCOMPARE(dialog.minimumSize(), size);
    QCOMPARE(dialog.maximumSize(), size);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.windowHandle()->resize(size.width() + 200, size.height() + 100);
    QTRY_COMPARE(dialog.windowHandle()->size(), size);
    QCOMPARE(dialog.size(), size);
  }

  void noTextIsCutOffAndNothingOverlaps() {
    CProgrammerDlg dialog;
    dialog.show();
    const QRect client = dialog.rect();
    QList<QWidget*> groups;
    QList<QWidget*> others;
    for (QWidget* control : Controls(dialog)) {
      (qobject_cast<QGroupBox*>(control) != nullptr ? groups : others) << control;
      QVERIFY2(client.contains(control->geometry()), qPrintable(control->objectName()));
      if (!CaptionOf(*control).isEmpty() && qobject_cast<QGroupBox*>(control) == nullptr) {
        QVERIFY2(control->width() >= control->sizeHint().width(),
                 qPrintable(control->objectName()));
      }
    }
    for (qsizetype i = 0; i < others.size(); ++i) {
      for (qsizetype k = i + 1; k < others.size(); ++k) {
        QVERIFY2(!others[i]->geometry().intersects(others[k]->geometry()),
                 qPrintable(others[i]->objectName() + " / " + others[k]->objectName()));
      }
      // A control lies wholly inside a group box or wholly outside it.
      for (const QWidget* group : groups) {
        const QRect frame = group->geometry();
        const QRect rect = others[i]->geometry();
        QVERIFY2(frame.contains(rect) || !frame.intersects(rect),
                 qPrintable(others[i]->objectName() + " / " + group->objectName()));
      }
    }
  }

  void inputControlsAreSwitchedTogetherAndTheRestIsLeftAlone() {
    CProgrammerDlg dialog;
    dialog.EnableCancelButton(true);
    dialog.DisableControls();
    for (const int id : kInputControls) QVERIFY(!ControlById<QWidget>(dialog, id)->isEnabled());
    QVERIFY(ControlById<QWidget>(dialog, Ctl::Abbrechen)->isEnabled());
    QVERIFY(ControlById<QWidget>(dialog, Ctl::Status)->isEnabled());
    QVERIFY(ControlById<QWidget>(dialog, Ctl::Progress)->isEnabled());
    dialog.EnableControls();
    for (const int id : kInputControls) QVERIFY(ControlById<QWidget>(dialog, id)->isEnabled());
    QVERIFY(ControlById<QWidget>(dialog, Ctl::Abbrechen)->isEnabled());
    dialog.EnableCancelButton(false);
    QVERIFY(!ControlById<QWidget>(dialog, Ctl::Abbrechen)->isEnabled());
  }

  void statusBurnFileNameAndProgressBarShowWhatTheyAreGiven() {
    CProgrammerDlg dialog;
    dialog.SetStatus("Lese InitRegister1");
    QCOMPARE(ControlById<QLabel>(dialog, Ctl::Status)->text(), QString("Lese InitRegister1"));
    dialog.ShowBurnFileName("blinker.hex");
    QCOMPARE(ControlById<QLineEdit>(dialog, Ctl::BurnFileName)->text(), QString("blinker.hex"));

    auto* bar = ControlById<QProgressBar>(dialog, Ctl::Progress);
    dialog.SetProgressRange(50);
    QCOMPARE(bar->maximum(), 50);
    dialog.SetProgressPosition(20);
    QCOMPARE(bar->value(), 20);
    // A phase whose step count is no multiple of 50 runs past the end: full.
    dialog.SetProgressPosition(51);
    QCOMPARE(bar->value(), 50);
    dialog.SetProgressPosition(0);
    QCOMPARE(bar->value(), 0);
  }

  void messageBoxesAreGermanInformationBoxesCalledMeldung() {
    CProgrammerDlg dialog;
    Settings settings;
    settings.MessageBeap = 0;
    dialog.BindSettings(settings);

    SeenBox seen;
    AnswerBox(QMessageBox::Ok, &seen);
    QCOMPARE(dialog.MessageInfo("InitRegister1 gelesen"), Answer::Ok);
    QCOMPARE(seen.title, QString("Meldung"));
    QCOMPARE(seen.text, QString("InitRegister1 gelesen"));
    QCOMPARE(seen.icon, QMessageBox::Information);

    seen = {};
    AnswerBox(QMessageBox::Retry, &seen);
    QCOMPARE(dialog.MessageRetryCancel("Fehler"), Answer::Retry);
    QVERIFY(seen.buttonTexts.contains("&Wiederholen") || seen.buttonTexts.contains("Wiederholen"));
    QVERIFY(seen.buttonTexts.contains("&Abbrechen") || seen.buttonTexts.contains("Abbrechen"));
    AnswerBox(QMessageBox::Cancel);
    QCOMPARE(dialog.MessageRetryCancel("Fehler"), Answer::Cancel);

    AnswerBox(QMessageBox::Ok);
    QCOMPARE(dialog.MessageOkCancel("Weiter ?"), Answer::Ok);
    AnswerBox(QMessageBox::Cancel);
    QCOMPARE(dialog.MessageOkCancel("Weiter ?"), Answer::Cancel);
  }

  void activityWindowIsAKalvenorDevilOverTheDecorativePicture() {
    CProgrammerDlg dialog;
    Settings settings;
    settings.XKoord = 40;
    settings.YKoord = 30;
    dialog.BindSettings(settings);
    dialog.ShowActivityWindow(true);

    const QWidget* activity = nullptr;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && window->windowTitle() == "KalvenorDevil") activity = window;
    }
    QVERIFY(activity != nullptr);
    // A thin frame without caption bar: no frameless window, no title.
    const Qt::WindowFlags flags = activity->windowFlags();
    QVERIFY(!(flags & Qt::FramelessWindowHint));
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(!(flags & (Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)));
    const QLabel* picture = activity->findChild<QLabel*>("pictureActivity");
    QCOMPARE(picture->pixmap().size(), QSize(64, 64));

    // In the main window's client coordinates (XKoord, YKoord is its
    // corner), frame included, the window covers the decorative picture's
    // place and no other control.
    const QRect covered = activity->frameGeometry().translated(-40, -30);
    const QRect decorative = dialog.findChild<QLabel*>("pictureMain")->geometry();
    QVERIFY(qAbs(covered.center().x() - decorative.center().x()) <= 1);
    QVERIFY(qAbs(covered.center().y() - decorative.center().y()) <= 1);
    for (const QWidget* control : Controls(dialog)) {
      if (control->isWindow() || control->objectName() == "pictureMain") continue;
      QVERIFY2(!control->geometry().intersects(covered),
               qPrintable(control->objectName() + " lies under the activity window"));
    }

    dialog.ShowActivityWindow(false);
    for (const QWidget* window : QApplication::topLevelWidgets()) {
      QVERIFY(!(window->isVisible() && window->windowTitle() == "KalvenorDevil"));
    }
  }

  void deviceListsAreFilledAndSelectedFromCode() {
    CProgrammerDlg dialog;
    ChoiceList& devices = dialog.Devices();
    auto* box = ControlById<QComboBox>(dialog, Ctl::DeviceList);
    int userSelections = 0;
    connect(&dialog.Devices(), &ComboChoiceList::Chosen, [&userSelections] { ++userSelections; });
    devices.Add("ACE1101 DIP8");
    devices.Add("ACE1202 DIP14");
    devices.Select(1);
    QCOMPARE(devices.Selected(), 1);
    QCOMPARE(box->currentText(), QString("ACE1202 DIP14"));
    devices.Select(2);
    QCOMPARE(devices.Selected(), -1);
    devices.Clear();
    QCOMPARE(box->count(), 0);
    QCOMPARE(userSelections, 0);  // only the user's choice runs the handler
  }

  void movingTheWindowKeepsItsPositionInTheSettings() {
    // The move events are delivered here, not by the platform, so nothing
    // waits for a window manager.
    CProgrammerDlg dialog;
    Settings settings;
    dialog.BindSettings(settings);
    for (const QPoint& position : {QPoint(120, 90), QPoint(300, 200)}) {
      const QPoint old = dialog.geometry().topLeft();
      dialog.move(position);
      QMoveEvent moved(dialog.geometry().topLeft(), old);
      QCoreApplication::sendEvent(&dialog, &moved);
      QCOMPARE(QPoint(settings.XKoord, settings.YKoord), position);
    }
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
