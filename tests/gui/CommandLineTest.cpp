// The desktop program's command line.

#include <QTest>

#include "gui/CommandLine.h"

using namespace ferolith;

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
  void simulateWithAndWithoutFile() {
    std::optional<ProgramOptions> options = ParseCommandLine({"ferolith"}, "/home/anna");
    QVERIFY(options.has_value());
    QVERIFY(!options->simulate);
    QCOMPARE(QString::fromStdString(options->workingDirectory), QString("/home/anna"));

    options = ParseCommandLine({"ferolith", "--simulate"}, "/w");
    QVERIFY(options && options->simulate && options->simulationFile.empty());

    options = ParseCommandLine({"ferolith", "--simulate=chip.bin"}, "/w");
    QVERIFY(options && options->simulate);
    QCOMPARE(QString::fromStdString(options->simulationFile), QString("chip.bin"));
    QVERIFY(!options->simulateAbsentProgrammer);

    // An absent programmer is simulated, with the port model named.
    options = ParseCommandLine({"ferolith", "--simulate-absent=busy-inverted"}, "/w");
    QVERIFY(options && options->simulate);
    QVERIFY(options->simulateAbsentProgrammer == sim::AbsentStatus::BusyInverted);
    options = ParseCommandLine({"ferolith", "--simulate=chip.bin", "--simulate-absent=low"}, "/w");
    QVERIFY(options && options->simulateAbsentProgrammer == sim::AbsentStatus::Low);
    QCOMPARE(QString::fromStdString(options->simulationFile), QString("chip.bin"));
  }

  void anythingElseIsRefused() {
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate="}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulated"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "chip.hex"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate", "--brennen"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-absent=floating"}, "/w"));
    QVERIFY(!ParseCommandLine({"ferolith", "--simulate-absent"}, "/w"));
  }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
