// The desktop program's command line.

#include <QTest>

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

  // --version alone is answered before the window's toolkit starts, with the
  // licence; beside other options it is refused like any unknown word.
  void versionAloneNamesTheLicence() {
    QVERIFY(AsksForVersion({"ferolith", "--version"}));
    QVERIFY(!AsksForVersion({"ferolith"}));
    QVERIFY(!AsksForVersion({"ferolith", "--simulate", "--version"}));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate", "--version"}, "/w"));
    const QString text = QString::fromStdString(VersionText());
    QVERIFY(text.startsWith(QStringLiteral("ferolith %1\nLizenz: GPL-3.0-or-later").arg(FEROLITH_VERSION)));
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
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
