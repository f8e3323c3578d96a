// The desktop program's command line, and the built program started
// without a display.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>
#include <utility>

#include "gui/CommandLine.h"

using namespace ferolith;

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void simulateWithAndWithoutFile() {
    std::optional<DesktopStart> start = ParseCommandLine({"ferolith"}, "/home/anna");
    QVERIFY(start.has_value());
    QVERIFY(!start->options.simulate);
    QVERIFY(!start->menu);
    QCOMPARE(QString::fromStdString(start->options.workingDirectory), QString("/home/anna"));

    start = ParseCommandLine({"ferolith", "--simulate"}, "/w");
    QVERIFY(start && start->options.simulate && start->options.simulationFile.empty());

    start = ParseCommandLine({"ferolith", "--simulate=chip.bin"}, "/w");
    QVERIFY(start && start->options.simulate);
    QCOMPARE(QString::fromStdString(start->options.simulationFile), QString("chip.bin"));
    QVERIFY(!start->options.simulateAbsentProgrammer);

    // An absent programmer is simulated, with the port model named.
    start = ParseCommandLine({"ferolith", "--simulate-absent=busy-inverted"}, "/w");
    QVERIFY(start && start->options.simulate);
    QVERIFY(start->options.simulateAbsentProgrammer == sim::AbsentStatus::BusyInverted);
    start = ParseCommandLine({"ferolith", "--simulate=chip.bin", "--simulate-absent=low"}, "/w");
    QVERIFY(start && start->options.simulateAbsentProgrammer == sim::AbsentStatus::Low);
    QCOMPARE(QString::fromStdString(start->options.simulationFile), QString("chip.bin"));
    start = ParseCommandLine({"ferolith", "--trace=lauf.vcd"}, "/w");
    QVERIFY(start && !start->options.simulate && start->options.portReportAtStartUp);
    QCOMPARE(QString::fromStdString(start->options.traceFile), QString("lauf.vcd"));
    QVERIFY(!start->options.simulateSpeed.Paced());

    // A speed simulates at that pace.
    start = ParseCommandLine({"ferolith", "--simulate-speed=real"}, "/w");
    QVERIFY(start && start->options.simulate);
    QCOMPARE(start->options.simulateSpeed.factor, 1.0);
    start = ParseCommandLine({"ferolith", "--simulate=chip.sim", "--simulate-speed=20"}, "/w");
    QVERIFY(start && start->options.simulate);
    QCOMPARE(start->options.simulateSpeed.factor, 20.0);
    QCOMPARE(QString::fromStdString(start->options.simulationFile), QString("chip.sim"));
  }

  // The menu entry's start asks for the program's own folder; the working
  // directory given stays until main() replaces it.
  void menuStartInEitherOrder() {
    std::optional<DesktopStart> start = ParseCommandLine({"ferolith", "--menu"}, "/home/anna");
    QVERIFY(start && start->menu && !start->options.simulate);
    QCOMPARE(QString::fromStdString(start->options.workingDirectory), QString("/home/anna"));
    start = ParseCommandLine({"ferolith", "--simulate=chip.sim", "--menu"}, "/w");
    QVERIFY(start && start->menu && start->options.simulate);
    QCOMPARE(QString::fromStdString(start->options.simulationFile), QString("chip.sim"));
  }

  // --help and --version alone; beside other options they are refused.
  void helpAndVersionAreAskedAlone() {
    std::optional<DesktopStart> start = ParseCommandLine({"ferolith", "--help"}, "/w");
    QVERIFY(start && start->request == DesktopStart::Request::Help);
    start = ParseCommandLine({"ferolith", "--version"}, "/w");
    QVERIFY(start && start->request == DesktopStart::Request::Version);
    start = ParseCommandLine({"ferolith", "--simulate"}, "/w");
    QVERIFY(start && start->request == DesktopStart::Request::Run);
    QVERIFY(!ParseCommandLine({"ferolith", "--help", "--simulate"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate", "--version"}, "/w"));
  }

  // The built program without any display: help and version are printed,
  // a start says in one German line why there is no window.
  void theBuiltProgramNeedsNoDisplayForHelpAndVersion() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    const auto run = [&environment](const QStringList& arguments) {
      QProcess program;
      program.setProcessEnvironment(environment);
      program.setWorkingDirectory(QDir::tempPath());
      program.start(QStringLiteral(FEROLITH_DESKTOP_PATH), arguments);
      program.waitForFinished(-1);
      return std::tuple{program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                        QString::fromUtf8(program.readAllStandardOutput()),
                        QString::fromUtf8(program.readAllStandardError())};
    };
    auto [status, out, err] = run({"--help"});
    QCOMPARE(status, 0);
    QVERIFY2(out.startsWith("Aufruf: ferolith [--menu]"), qPrintable(out));
    for (const char* option : {"--menu", "--simulate[=DATEI]", "--simulate-absent=MODELL", "--simulate-speed=TEMPO",
                               "--trace=DATEI", "--version"}) {
      QVERIFY2(out.contains(QString::fromUtf8(option)), option);
    }
    QVERIFY(out.contains(QStringLiteral("das virtuelle Programmiergerät")));
    QCOMPARE(err, QString());

    std::tie(status, out, err) = run({"--version"});
    QCOMPARE(status, 0);
    QCOMPARE(out, QStringLiteral("ferolith " FEROLITH_VERSION "\n"));

    std::tie(status, out, err) = run({"--simulate"});
    QCOMPARE(status, 1);
    QCOMPARE(out, QString());
    QVERIFY2(err.startsWith("ferolith: keine grafische Oberfläche erreichbar"), qPrintable(err));
    QCOMPARE(err.count('\n'), 1);

    // A usage error is told once the toolkit has taken its own options.
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    std::tie(status, out, err) = run({"--brennen"});
    QCOMPARE(status, 2);
    QVERIFY2(err.contains("Aufruf: ferolith"), qPrintable(err));
    std::tie(status, out, err) = run({"-platform", "offscreen", "--brennen"});
    QCOMPARE(status, 2);
    QVERIFY2(err.contains("Aufruf: ferolith"), qPrintable(err));
  }

  void anythingElseIsRefused() {
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate="}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulated"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "chip.hex"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate", "--brennen"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--menu=xdg"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-absent=floating"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-absent"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--trace="}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-speed=0"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-speed=langsam"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-speed"}, "/w"));
  }

  // A file of --simulate that exists and is not a simulation file would be
  // replaced by the virtual chip: the start is refused with the reason.
  void anExistingFileThatIsNoSimulationFileIsRefused() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string hex = dir.filePath("fw.hex").toStdString();
    const std::string sim = dir.filePath("chip.sim").toStdString();
    for (const auto& [path, bytes] : {std::pair{hex, QByteArray(":00000001FF\n")},
                                      std::pair{sim, QByteArray("ACE-CHIP 1\nINITREG1 00\n")}}) {
      QFile file(QString::fromStdString(path));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(bytes);
    }
    std::string refusal;
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate=" + hex}, "/w", &refusal));
    QCOMPARE(QString::fromStdString(refusal),
             QString::fromStdString("'" + hex + "' ist keine Simulationsdatei (ihre erste Zeile ist nicht "
                                    "\"ACE-CHIP 1\") und wird nicht überschrieben"));
    refusal.clear();
    const std::optional<DesktopStart> start = ParseCommandLine({"ferolith", "--simulate=" + sim}, "/w", &refusal);
    QVERIFY(start && start->options.simulationFile == sim);
    QVERIFY(refusal.empty());
  }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
