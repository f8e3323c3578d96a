// The main window on the program with the virtual programmer and chip: whole
// commands clicked through, start-up without a programmer, and the single
// instance per desktop.

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "app/ControlIds.h"
#include "config/ProjectFile.h"
#include "gui/ControlLookup.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "gui/ProgrammerDlg.h"
#include "platform/DesktopMarkers.h"
#include "sim/VirtualProgrammer.h"
#include "sim/chip/VirtualAceChip.h"
#include "tests/support/ManualClock.h"
#include "tests/support/FakeParportBus.h"
#include "tests/support/TempDir.h"
#include "AutoAnswer.h"

using namespace ferolith;
using guitest::AutoAnswer;

namespace {

const QString kIdle = QStringLiteral("Warte auf Eingaben");
const QString kBurnSuccess = QStringLiteral("Keine Fehler beim prüfen\n");
const QString kVerifySuccess = QStringLiteral("Keine Fehler beim Prüfen");

// A working directory with the device library and a small burn file for
// the first device of the library (1 KiB of program memory at 0).
struct Workplace {
  testing::TempDir directory;
  std::string burnFile;

  Workplace() {
    const std::filesystem::path source = std::filesystem::path(FEROLITH_SOURCE) / "resources" / "ACELIST.CSV";
    std::filesystem::copy_file(source, directory.Path() / "ACELIST.CSV");
    burnFile = (directory.Path() / "blinker.hex").string();
    std::ofstream(burnFile) << ":0400000001020304F2\n:02010000A55503\n:00000001FF\n";
  }

  ProgramOptions Options() const {
    ProgramOptions options;
    options.workingDirectory = directory.Path().string();
    options.simulate = true;
    return options;
  }
};

// The main window bound to a program, as the application object runs it.
struct Session {
  LockFileMarkers markers;
  CProgrammerDlg dialog;
  Program program;

  Session(const Workplace& workplace, ProgramOptions options)
      : Session(workplace.directory.Path() / "marks", std::move(options)) {}
  Session(const std::filesystem::path& marks, ProgramOptions options)
      : markers(marks.string()),
        program(dialog, dialog, dialog.Manufacturers(), dialog.Devices(), markers, std::move(options)) {
    dialog.Attach(program);
    dialog.OnInitDialog(program);
    dialog.show();
    program.State().settings.MessageBeap = 0;
  }

  void Click(int id) { QTest::mouseClick(ControlById<QPushButton>(dialog, id), Qt::LeftButton); }

  void ExpectIdle(const QString& idle = kIdle) {
    QCOMPARE(ControlById<QLabel>(dialog, Ctl::Status)->text(), idle);
    QVERIFY(!ControlById<QWidget>(dialog, Ctl::Abbrechen)->isEnabled());
    for (const int id : kInputControls) QVERIFY(ControlById<QWidget>(dialog, id)->isEnabled());
    QCOMPARE(program.State().CancelRequested, 0);
    QVERIFY(!program.IsProgrammerBusy());
  }
};

}  // namespace

class ProgramWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { InstallGermanTranslation(*QCoreApplication::instance()); }

  void burnThenVerifyByClickingTheButtons() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    // Without a settings file no burn file is chosen yet.
    QCOMPARE(ControlById<QLineEdit>(session.dialog, Ctl::BurnFileName)->text(), QString());
    QCOMPARE(session.program.State().DemoMode, 0);

    answers.ChooseFile(QString::fromStdString(workplace.burnFile));
    session.Click(Ctl::NeueDatei);
    QCOMPARE(ControlById<QLineEdit>(session.dialog, Ctl::BurnFileName)->text(), QString("blinker.hex"));
    // The socket box is answered with OK, then the programming run.
    session.Click(Ctl::Brennen);
    QVERIFY2(answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
    session.ExpectIdle();

    session.Click(Ctl::Pruefen);
    QVERIFY2(answers.Texts().contains(kVerifySuccess), qPrintable(answers.Texts().join(" | ")));
    session.ExpectIdle();
  }

  // A burn file cut off before its end record loads with a warning in the
  // status line, which the socket box then shows beside it; no box is added.
  void aBurnFileWithoutEndRecordIsWarnedOfInTheStatusLine() {
    Workplace workplace;
    const std::string cut = (workplace.directory.Path() / "cut.hex").string();
    std::ofstream(cut) << ":0400000001020304F2\n";
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    QStringList statuses;
    const QLabel* status = ControlById<QLabel>(session.dialog, Ctl::Status);
    answers.While([&] {
      if (statuses.isEmpty() || statuses.back() != status->text()) statuses << status->text();
      return false;
    });
    answers.ChooseFile(QString::fromStdString(cut));
    session.Click(Ctl::NeueDatei);
    session.Click(Ctl::Brennen);
    const QString warning = QString::fromStdString("Warnung: Die Datei '" + cut +
                                                   "' endet ohne Ende-Record, vielleicht ist sie unvollständig; "
                                                   "zuletzt gelesen: Zeile 1 \":0400000001020304F2\"");
    QVERIFY2(statuses.contains(warning), qPrintable(statuses.join(" | ")));
    for (const QString& text : answers.Texts()) QVERIFY2(!text.contains("Warnung"), qPrintable(text));
    QVERIFY2(answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
    session.ExpectIdle();
  }

  void abbrechenStopsARunningPass() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    answers.ChooseFile(QString::fromStdString(workplace.burnFile));
    session.Click(Ctl::NeueDatei);
    QCOMPARE(ControlById<QLineEdit>(session.dialog, Ctl::BurnFileName)->text(), QString("blinker.hex"));

    // Clicks "Abbrechen" as soon as a pass enables it: the nested message
    // pump of the progress bar delivers the click.
    auto* abbrechen = ControlById<QPushButton>(session.dialog, Ctl::Abbrechen);
    bool clicked = false;
    answers.While([abbrechen, &clicked] {
      if (!abbrechen->isEnabled()) return false;
      QTest::mouseClick(abbrechen, Qt::LeftButton);
      clicked = true;
      return true;
    });
    session.Click(Ctl::Brennen);
    QVERIFY(clicked);
    QVERIFY2(!answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
    session.ExpectIdle();
  }

  void timeBasedPumpsKeepTheRulesOfARunningCommand() {
    // The simulator at the real programmer's pace on a clock the test owns:
    // the window is pumped by elapsed time through every delay and pass.
    Workplace workplace;
    testing::ManualClock clock;
    ProgramOptions options = workplace.Options();
    options.simulateSpeed = sim::SimulationSpeed{1};
    options.clock = &clock;
    AutoAnswer answers;
    Session session(workplace, options);
    auto* abbrechen = ControlById<QPushButton>(session.dialog, Ctl::Abbrechen);

    // The first pump once "Abbrechen" is enabled comes while the voltages
    // settle, before the chip is in programming mode and before the first
    // cell, where only the clock pumps. There the user tries everything.
    bool tried = false;
    bool inPowerUp = false;
    bool rulesHeld = true;
    ResultCode second = Result::Ok;
    answers.While([&] {
      if (!abbrechen->isEnabled()) return false;
      // The command put a fresh chip of the reloaded device into the socket.
      const sim::VirtualAceChip* chip = session.program.SimulatedChip();
      inPowerUp = chip != nullptr && !chip->InProgrammingMode();
      QTest::mouseClick(ControlById<QPushButton>(session.dialog, Ctl::Brennen), Qt::LeftButton);
      QTest::mouseClick(ControlById<QPushButton>(session.dialog, Ctl::Prefs), Qt::LeftButton);
      QWidget* activity = nullptr;
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowTitle() == QStringLiteral("KalvenorDevil")) activity = window;
      }
      if (activity != nullptr) {
        QTest::keyClick(activity, Qt::Key_Escape);
        activity->close();
      }
      // Straight to the program, past the disabled buttons: refused silently.
      second = session.program.OnLeertest();
      rulesHeld = activity != nullptr && activity->isVisible() && session.dialog.isVisible();
      for (const int id : kInputControls) rulesHeld = rulesHeld && !ControlById<QWidget>(session.dialog, id)->isEnabled();
      tried = true;
      return true;
    });
    answers.AnswerBoxes({QMessageBox::Ok});  // the socket box
    session.Click(Ctl::Leertest);
    QVERIFY(tried);
    QVERIFY(inPowerUp);
    QVERIFY(rulesHeld);
    QCOMPARE(second, Result::ProgramFailed);
    QVERIFY(session.dialog.isVisible());
    QCOMPARE(answers.PreferencesShown(), 0);
    // One command ran: one socket box, then its own result.
    QCOMPARE(answers.Texts().filter(QStringLiteral("ACE-Adapter")).size(), 1);
    QCOMPARE(answers.Texts().last(), QStringLiteral("\nController ist gelöscht !\n"));
    session.ExpectIdle();
  }

  // Esc while idle closes the window as the close button does: the
  // settings are saved and the socket reminder is shown.
  void escWhileIdleClosesWithTheClosingSteps() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    QTest::mouseClick(ControlById<QCheckBox>(session.dialog, Ctl::BausteinPruefen), Qt::LeftButton);
    QCOMPARE(session.program.State().settings.Verify, 0);
    session.program.State().settings.EndMessage = 1;
    QTest::keyClick(&session.dialog, Qt::Key_Escape);
    QVERIFY(!session.dialog.isVisible());
    QCOMPARE(answers.Texts(), QStringList{"Baustein jetzt unbedingt\naus dem Sockel nehmen !!!"});
    std::ifstream ini(workplace.directory.Path() / "KALVENOR.INI");
    const std::string saved((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    QVERIFY2(saved.find("Verify=0") != std::string::npos, saved.c_str());
    QVERIFY2(saved.find("EndMessage=1") != std::string::npos, saved.c_str());
  }

  // Esc during a pass is "Abbrechen": the pass stops, the window stays.
  void escDuringARunStopsIt() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    answers.ChooseFile(QString::fromStdString(workplace.burnFile));
    session.Click(Ctl::NeueDatei);
    auto* abbrechen = ControlById<QPushButton>(session.dialog, Ctl::Abbrechen);
    bool pressed = false;
    answers.While([&] {
      if (!abbrechen->isEnabled()) return false;
      QTest::keyClick(&session.dialog, Qt::Key_Escape);
      pressed = true;
      return true;
    });
    session.Click(Ctl::Brennen);
    QVERIFY(pressed);
    QVERIFY2(!answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
    QVERIFY(session.dialog.isVisible());
    session.ExpectIdle();
  }

  // A close request during a run says why the window waits, lets the
  // command finish and then closes with the closing steps.
  void closingDuringARunWaitsForItsEnd() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    answers.ChooseFile(QString::fromStdString(workplace.burnFile));
    session.Click(Ctl::NeueDatei);
    auto* abbrechen = ControlById<QPushButton>(session.dialog, Ctl::Abbrechen);
    bool closed = true;
    bool visible = false;
    QString status;
    answers.While([&] {
      if (!abbrechen->isEnabled()) return false;
      closed = session.dialog.close();
      visible = session.dialog.isVisible();
      status = ControlById<QLabel>(session.dialog, Ctl::Status)->text();
      return true;
    });
    session.Click(Ctl::Brennen);
    QVERIFY(!closed);
    QVERIFY(visible);
    QCOMPARE(status, QStringLiteral("Bitte warten, bis „Brennen“ fertig ist. Danach schließt das Fenster."));
    // The command ran to its end, then the window closed and saved.
    QVERIFY2(answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
    QVERIFY(!session.dialog.isVisible());
    QVERIFY(std::filesystem::exists(workplace.directory.Path() / "KALVENOR.INI"));
  }

  // Text typed into a list selects the entry it names, letter case aside;
  // any other text is put back, so the list never shows another device
  // than the one the chain uses. Enter in a list starts no command.
  void typedListTextSelectsTheNamedEntryOrIsPutBack() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    answers.ChooseFile(QString::fromStdString(workplace.burnFile));
    session.Click(Ctl::NeueDatei);
    session.dialog.activateWindow();  // back from the file dialog
    QVERIFY(QTest::qWaitForWindowActive(&session.dialog));
    auto* devices = ControlById<QComboBox>(session.dialog, Ctl::DeviceList);
    auto* manufacturers = ControlById<QComboBox>(session.dialog, Ctl::ManufacturerList);
    const Settings& settings = session.program.State().settings;
    QCOMPARE(devices->currentText(), QString("QM1108-1K"));

    // Keys as the user types them: to the widget that has the focus.
    const auto type = [](QComboBox* list, const char* text) {
      list->setFocus();
      list->lineEdit()->selectAll();
      QTest::keyClicks(QApplication::focusWidget(), text);
    };
    type(devices, "XYZ");
    QCOMPARE(devices->currentText(), QString("XYZ"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!devices->hasFocus());
    QCOMPARE(devices->currentText(), QString("QM1108-1K"));
    QCOMPARE(settings.DeviceIndex, 0);

    type(devices, "XYZ");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(devices->currentText(), QString("QM1108-1K"));

    type(devices, "qm1108-2ke");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(devices->currentIndex(), 1);
    QCOMPARE(devices->currentText(), QString("QM1108-2KE"));
    QCOMPARE(settings.DeviceIndex, 1);
    QCOMPARE(session.program.State().device.Name, std::string("QM1108-2KE"));

    type(manufacturers, "brimwood MIKROSYSTEME");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(settings.ManufIndex, 1);
    QCOMPARE(manufacturers->currentText(), QString("Brimwood Mikrosysteme"));
    QCOMPARE(devices->itemText(0), QString("BW12-D8/14"));
    // No Enter reached "Brennen", the default button: no socket box.
    QCOMPARE(answers.Texts(), QStringList());
    session.ExpectIdle();
  }

  // The first start from the menu in a fresh home: the built program makes
  // its folder with the library and the sample burn files; the window there
  // names no burn file yet, "Neue Datei" opens in the folder, and its
  // sample burns.
  void aFirstStartFromTheMenuFindsTheSamples() {
    testing::TempDir home;
    std::filesystem::create_directories(home.Path() / "run");
    std::filesystem::permissions(home.Path() / "run", std::filesystem::perms::owner_all);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.Path().string()));
    environment.insert("XDG_RUNTIME_DIR", QString::fromStdString((home.Path() / "run").string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove("XDG_DATA_HOME");
    QProcess menuStart;
    menuStart.setProcessEnvironment(environment);
    menuStart.setWorkingDirectory(QString::fromStdString(home.Path().string()));
    menuStart.start(QStringLiteral(FEROLITH_DESKTOP_PATH), {"--menu", "--simulate"});
    const std::filesystem::path folder = home.Path() / ".local" / "share" / "ferolith";
    const auto seeded = [&folder] {
      for (const char* name : {"ACELIST.CSV", "blink.hex", "blink.rex"}) {
        if (!std::filesystem::exists(folder / name)) return false;
      }
      return true;
    };
    // The copies come before the window, whose program holds its desktop
    // mark while it waits for the user.
    LockFileMarkers desktop((home.Path() / "run" / "kalvenor").string());
    while (!desktop.Exists(Marker::ThisProgram) && menuStart.state() != QProcess::NotRunning) {
      menuStart.waitForFinished(20);
    }
    QVERIFY2(menuStart.state() == QProcess::Running, menuStart.readAllStandardError().constData());
    menuStart.kill();
    menuStart.waitForFinished(-1);
    QVERIFY(seeded());

    AutoAnswer answers;
    ProgramOptions options;
    options.workingDirectory = folder.string();
    options.simulate = true;
    Session session(home.Path() / "marks", options);
    QCOMPARE(ControlById<QLineEdit>(session.dialog, Ctl::BurnFileName)->text(), QString());
    QCOMPARE(session.program.State().settings.LastDirectory, folder.string() + "/");
    answers.ChooseFile(QString::fromStdString((folder / "blink.hex").string()));
    session.Click(Ctl::NeueDatei);
    QCOMPARE(ControlById<QLineEdit>(session.dialog, Ctl::BurnFileName)->text(), QString("blink.hex"));
    session.program.State().settings.DeviceIndex = 1;  // blink.hex with its data EEPROM: QM1108-2KE
    session.program.OnDeviceChanged();
    session.Click(Ctl::Brennen);
    QVERIFY2(answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
  }

  void auslesenAsksAboutTheFilesItReallyWrites() {
    Workplace workplace;
    // QM1108-2KE has a data EEPROM; blank cells are saved.
    std::ofstream(workplace.directory.Path() / "KALVENOR.INI")
        << "[Ferolith INI-Section]\nDeviceIndex=1\nFFSave=1\n";
    const std::filesystem::path bin = workplace.directory.Path() / "chip.bin";
    const std::filesystem::path rex = workplace.directory.Path() / "chip.rex";
    const std::filesystem::path hex = workplace.directory.Path() / "chip.hex";
    for (const auto& path : {bin, rex, hex}) std::ofstream(path) << "old";
    AutoAnswer answers;
    Session session(workplace, workplace.Options());

    // "chip.hex" typed under "*.BIN Binär": the dialog itself asks nothing;
    // the one question names the files that will be written, with the
    // German standard buttons, and "Nein" writes nothing.
    const QString typed = QString::fromStdString(hex.string());
    answers.ChooseFile(typed, QStringLiteral("*.BIN Binär (*.bin)"));
    answers.AnswerBoxes({QMessageBox::No});
    session.Click(Ctl::Auslesen);
    const QString question = QStringLiteral("Die Dateien\n\n%1\n%2\n\nexistieren schon.\nSollen sie ersetzt werden ?")
                                 .arg(QString::fromStdString(bin.string()), QString::fromStdString(rex.string()));
    QCOMPARE(answers.Texts(), QStringList{question});
    const QStringList buttons = answers.Buttons().constFirst();
    QVERIFY2(buttons.contains("&Ja") || buttons.contains("Ja"), qPrintable(buttons.join(" ")));
    QVERIFY2(buttons.contains("&Nein") || buttons.contains("Nein"), qPrintable(buttons.join(" ")));
    for (const auto& path : {bin, rex, hex}) {
      std::ifstream file(path);
      QCOMPARE(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()),
               std::string("old"));
    }
    session.ExpectIdle();

    // "Ja": both are replaced, and the file typed into the dialog is not.
    answers.ChooseFile(typed, QStringLiteral("*.BIN Binär (*.bin)"));
    answers.AnswerBoxes({QMessageBox::Yes, QMessageBox::Ok});
    session.Click(Ctl::Auslesen);
    QVERIFY2(answers.Texts().contains("\nProzessor-Programm gespeichert \n"),
             qPrintable(answers.Texts().join(" | ")));
    QCOMPARE(std::filesystem::file_size(bin), std::uintmax_t{0x800});
    QCOMPARE(std::filesystem::file_size(hex), std::uintmax_t{3});
    session.ExpectIdle();
  }

  void demoModeAfterTheLastFailedSearch() {
    Workplace workplace;
    AutoAnswer answers;
    ProgramOptions options = workplace.Options();
    options.simulateAbsentProgrammer = sim::AbsentStatus::High;
    Session session(workplace, options);
    // SearchHardware 2: the preferences dialog between the two attempts.
    QCOMPARE(answers.PreferencesShown(), 1);
    QVERIFY(answers.Texts().contains("Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus."));
    QCOMPARE(session.program.State().DemoMode, 1);
    QVERIFY(std::filesystem::exists(workplace.directory.Path() / "KALVENOR.INI"));
    // The window says so for as long as the demo mode lasts.
    const QString demoIdle = QStringLiteral("Warte auf Eingaben  –  Demomodus: ohne Brenner");
    QCOMPARE(ControlById<QLabel>(session.dialog, Ctl::Status)->text(), demoIdle);

    session.Click(Ctl::Leertest);
    QCOMPARE(answers.Texts().last(),
             QString("Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus."));
    session.ExpectIdle(demoIdle);
  }

  void portAddressFromPrefsIsOpenedForTheNextAccess() {
    // Parallel ports in software: nothing on 0x378, the programmer on 0x278
    // and on 0x3BC, no port at all at 0x2BC.
    Workplace workplace;
    testing::FakeParportBus bus((workplace.directory.Path() / "bus").string());
    sim::VirtualProgrammer at378(0x378), at278(0x278), at3BC(0x3BC);
    at378.SetAbsent(true);
    bus.AddPort(0x378, at378);
    bus.AddPort(0x278, at278);
    bus.AddPort(0x3BC, at3BC);
    std::ofstream(workplace.directory.Path() / "KALVENOR.INI")
        << "[Hardware]\nPortAdress=378\nTimeOut=10000\n[Ferolith INI-Section]\nManufIndex=0\nDeviceIndex=1\n";
    ProgramOptions options = workplace.Options();
    options.simulate = false;
    options.portAccess = bus.Environment();

    // Start-up: the first attempt fails, the dialog moves to 0x278, the
    // second attempt finds the programmer there.
    AutoAnswer answers;
    answers.SetPortInPreferences("0x278");
    Session session(workplace, options);
    QCOMPARE(answers.PreferencesShown(), 1);
    QCOMPARE(session.program.State().DemoMode, 0);
    QCOMPARE(bus.OpenNow(), std::vector<std::uint16_t>{0x278});
    // The list marks the machine's ports where they are.
    const QString dev = QString::fromStdString((workplace.directory.Path() / "bus/dev/parport").string());
    QCOMPARE(answers.PortChoices(), (QStringList{"0x3BC (vorhanden: " + dev + "2)", "0x378 (vorhanden: " + dev + "0)",
                                                 "0x278 (vorhanden: " + dev + "1)", "0x338", "0x238"}));
    QCOMPARE(int(at278.Register(12)), 0x80);

    // "Prefs" later: the next command runs on 0x3BC.
    answers.SetPortInPreferences("0x3BC");
    session.Click(Ctl::Prefs);
    QCOMPARE(bus.OpenNow(), std::vector<std::uint16_t>{0x3BC});
    answers.AnswerBoxes({QMessageBox::Cancel});  // the socket box
    session.Click(Ctl::Leertest);
    QVERIFY(at3BC.RegisterWrites() > 0);
    session.ExpectIdle();

    // A port that cannot be opened: one explanation, then demo mode.
    answers.SetPortInPreferences("0x2BC");
    session.Click(Ctl::Prefs);
    QCOMPARE(session.program.State().DemoMode, 1);
    QVERIFY(bus.OpenNow().empty());
    session.Click(Ctl::Leertest);
    const QStringList texts = answers.Texts();
    QCOMPARE(texts.filter("Kein Zugriff auf die parallele Schnittstelle").size(), 1);
    QCOMPARE(texts.last(), QString("Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus."));
    for (const sim::VirtualProgrammer* programmer : {&at378, &at278, &at3BC}) {
      QVERIFY(programmer->Violations().empty());
    }
  }

  void startupShowsTheSettingsAndClosingKeepsThem() {
    Workplace workplace;
    {
      std::ofstream ini(workplace.directory.Path() / "KALVENOR.INI");
      ini << "[Ferolith INI-Section]\nVerify=0\nFFSave=1\nTestChecksum=0\nInitRegister1=C5\n"
             "X-Koord=50\nY-Koord=60\n";
    }
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    QCOMPARE(session.dialog.windowTitle(), QString("Ferolith V1.02"));
    QVERIFY(!ControlById<QCheckBox>(session.dialog, Ctl::BausteinPruefen)->isChecked());
    QVERIFY(ControlById<QCheckBox>(session.dialog, Ctl::LeerzellenSpeichern)->isChecked());
    QVERIFY(!ControlById<QCheckBox>(session.dialog, Ctl::ChecksummenPruefen)->isChecked());
    QVERIFY(ControlById<QWidget>(session.dialog, Ctl::OscExtRc)->property("checked").toBool());
    QVERIFY(ControlById<QWidget>(session.dialog, Ctl::Leseschutz)->property("checked").toBool());

    QTest::mouseClick(ControlById<QCheckBox>(session.dialog, Ctl::BausteinPruefen), Qt::LeftButton);
    QCOMPARE(session.program.State().settings.Verify, 1);

    session.program.State().settings.EndMessage = 1;
    QVERIFY(session.dialog.close());
    QVERIFY(answers.Texts().contains("Baustein jetzt unbedingt\naus dem Sockel nehmen !!!"));
    std::ifstream ini(workplace.directory.Path() / "KALVENOR.INI");
    const std::string saved((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    QVERIFY2(saved.find("Verify=1") != std::string::npos, saved.c_str());
  }

  // A project named on the command line or dropped onto the window: the
  // lists, the burn file, the panel and the option boxes follow it, the
  // title stays, and its burn file is refused once it changed, until it is
  // chosen anew.
  void aProjectOpensFromTheCommandLineOrADropAndGuardsItsFile() {
    Workplace workplace;
    AutoAnswer answers;
    Session session(workplace, workplace.Options());
    const std::string path = (workplace.directory.Path() / "Serie.FPROJ").string();
    std::ofstream(path) << "[Projekt]\nHersteller=Quellmark Halbleiter\nBaustein=qm1108-2ke\n"
                           "Brenndatei=blinker.hex\nInitRegister1=0xC5\nVerify=0\n";
    QMimeData mime;
    const auto drag = [&](const std::string& file) {
      mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&session.dialog, &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&session.dialog, &drop);
      return true;
    };
    QVERIFY(!drag(workplace.burnFile));  // a burn file is no project
    QVERIFY(drag(path));
    QCOMPARE(ControlById<QComboBox>(session.dialog, Ctl::DeviceList)->currentText(), QString("QM1108-2KE"));
    QCOMPARE(session.program.State().device.Name, std::string("QM1108-2KE"));
    QCOMPARE(ControlById<QLineEdit>(session.dialog, Ctl::BurnFileName)->text(), QString("blinker.hex"));
    QVERIFY(!ControlById<QCheckBox>(session.dialog, Ctl::BausteinPruefen)->isChecked());
    QVERIFY(ControlById<QWidget>(session.dialog, Ctl::Leseschutz)->property("checked").toBool());
    QCOMPARE(session.dialog.windowTitle(), QString("Ferolith V1.02"));
    QCOMPARE(answers.Texts(), QStringList());

    // Saved with the checksum of its file, opened as from the command line.
    Project project = std::get<Project>(ReadProjectFile(path));
    QCOMPARE(session.program.CaptureProject(workplace.burnFile, project), ResultCode(Result::Ok));
    QVERIFY(WriteProjectFile(path, project).Saved());
    session.dialog.OpenProject(path);
    std::ofstream(workplace.burnFile) << ":0400000001020305F1\n:00000001FF\n";
    session.Click(Ctl::Brennen);
    QVERIFY2(answers.Texts().filter("ist nicht mehr die des Projekts").size() == 1, qPrintable(answers.Texts().join(" | ")));
    QVERIFY(answers.Texts().last().contains("„Neue Datei“"));
    QVERIFY(!answers.Texts().contains(kBurnSuccess));
    session.ExpectIdle();
    answers.ChooseFile(QString::fromStdString(workplace.burnFile));
    session.Click(Ctl::NeueDatei);
    session.Click(Ctl::Brennen);
    QVERIFY2(answers.Texts().contains(kBurnSuccess), qPrintable(answers.Texts().join(" | ")));
    session.ExpectIdle();
  }

  void aSecondInstanceEndsSilently() {
    Workplace workplace;
    LockFileMarkers markers((workplace.directory.Path() / "marks").string());
    for (const char* mark : {Marker::ThisProgram, Marker::ProgrammerBusy}) {
      const std::unique_ptr<MarkerHold> held = markers.Hold(mark);
      QVERIFY(!CProgrammerApp(markers, workplace.Options()).Run());
      for (const QWidget* window : QApplication::topLevelWidgets()) QVERIFY(!window->isVisible());
    }
  }
};

QTEST_MAIN(ProgramWindowTest)
#include "ProgramWindowTest.moc"
