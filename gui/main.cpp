// ferolith: the desktop program of the Kalvenor device programmer.

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "gui/CommandLine.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "platform/DesktopMarkers.h"
#include "platform/WorkingFolder.h"

namespace {

// A start from the menu works in the program's own folder: made and given
// the sample library on the first start, then the working directory. False
// after telling the user why there is none.
bool EnterMenuFolder(ferolith::ProgramOptions& options) {
  const ferolith::MenuFolder folder =
      ferolith::PrepareMenuFolder(ferolith::MenuFolderRequestFromEnvironment());
  std::string problem = folder.error;
  std::error_code error;
  if (problem.empty()) std::filesystem::current_path(folder.path, error);
  if (problem.empty() && error) {
    problem = "Kann nicht in den Arbeitsordner\n'" + folder.path + "'\nwechseln !";
  }
  if (!problem.empty()) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Meldung"),
                    QString::fromStdString(problem), QMessageBox::Ok);
    box.exec();
    return false;
  }
  options.workingDirectory = folder.path;
  return true;
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
    std::printf("ferolith %s\n", FEROLITH_VERSION);
    return 0;
  }

  qInstallMessageHandler(ReportMissingDisplay);
  QApplication application(argc, argv);
  qInstallMessageHandler(nullptr);
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
  if (start->menu && !EnterMenuFolder(start->options)) return 1;

  const auto markers = ferolith::MakeDesktopMarkers();
  ferolith::CProgrammerApp(*markers, start->options).Run();
  return 0;
}
