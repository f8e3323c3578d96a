// The built desktop program started without a display.

#include <QDir>
#include <QProcess>
#include <QTest>

#include <tuple>

class CommandLineTest : public QObject {
  Q_OBJECT

 private slots:
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
    QVERIFY2(out.startsWith(QStringLiteral("ferolith " FEROLITH_VERSION "\nLizenz: GPL-3.0-or-later")), qPrintable(out));

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
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
