// ferolith: the desktop program of the Kalvenor device programmer.

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/DesktopCommandLine.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "platform/Console.h"
#include "platform/DesktopMarkers.h"
#include "platform/DllSearch.h"
#include "platform/Privileges.h"

namespace {

// A message before the main window exists.
void ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Meldung"), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.exec();
}

// A start from the menu works in the program's own folder; false after
// telling the user why there is none.
bool EnterMenuFolderOrExplain(ferolith::ProgramOptions& options) {
  const std::string problem = ferolith::EnterMenuFolder(options);
  if (problem.empty()) return true;
  ShowMessage(problem);
  return false;
}

// While the application object connects to the display: a platform that
// cannot be had ends the program with one German line instead of Qt's
// text and an abort; the platform plugin's own warnings that come before
// it are left out, everything else is shown as Qt shows it.
void ReportMissingDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(
        "ferolith: keine grafische Oberfläche erreichbar (DISPLAY oder WAYLAND_DISPLAY); "
        "ohne Bildschirm arbeitet ferolith-cli.\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  const char* category = context.category != nullptr ? context.category : "";
  if (std::string_view(category).starts_with("qt.qpa")) return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv) {
  ferolith::RestrictDllSearch();
  // A closed standard stream would give its number to the first file opened.
  ferolith::PrepareStandardStreams();
  const std::unique_ptr<ferolith::Privileges> privileges = ferolith::TakePrivilegesAtStart();
  // --help and --version are answered before the display is needed. Any
  // other command line is read once the application object has taken out
  // the toolkit's own options (such as -platform).
  const std::vector<std::string> rawArguments(argv, argv + argc);
  const std::optional<ferolith::DesktopStart> asked = ferolith::ParseCommandLine(rawArguments, "");
  if (asked && asked->request == ferolith::DesktopStart::Request::Help) {
    std::printf("%s\n\n%s", ferolith::kUsage, ferolith::kHelp);
    return 0;
  }
  if (asked && asked->request == ferolith::DesktopStart::Request::Version) {
    std::fputs(ferolith::VersionText().c_str(), stdout);
    return 0;
  }

  // Under sudo the process acts as the user while root stays in its real
  // and saved ids, which the toolkit would take for a set-user-id program.
  if (privileges->ActsForSudoUser()) QCoreApplication::setSetuidAllowed(true);
  qInstallMessageHandler(ReportMissingDisplay);
  QApplication application(argc, argv);
  qInstallMessageHandler(nullptr);
  if (!privileges->Problem().empty()) {
    ShowMessage(privileges->Problem());
    return 1;
  }
  ferolith::InstallGermanTranslation(application);

  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments()) {
    arguments.push_back(argument.toStdString());
  }
  std::string refusal;
  std::optional<ferolith::DesktopStart> start =
      ferolith::ParseCommandLine(arguments, QDir::currentPath().toStdString(), &refusal);
  if (!start) {
    if (!refusal.empty()) std::fprintf(stderr, "ferolith: %s.\n", refusal.c_str());
    std::fprintf(stderr, "%s\n", ferolith::kUsage);
    return 2;
  }
  if (start->menu && !EnterMenuFolderOrExplain(start->options)) return 1;
  start->options.privileges = privileges.get();

  std::string markerProblem;
  const auto markers = ferolith::MakeDesktopMarkers(markerProblem);
  if (!markers) {
    ShowMessage(markerProblem);
    return 1;
  }
  ferolith::CProgrammerApp(*markers, start->options, start->projectFile).Run();
  return 0;
}
