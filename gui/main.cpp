// ferolith: the desktop program of the Kalvenor device programmer.

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "gui/CommandLine.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "platform/Console.h"
#include "platform/DesktopMarkers.h"
#include "platform/Privileges.h"
#include "platform/WorkingFolder.h"

namespace {

// A message before the main window exists.
void ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Meldung"), QString::fromStdString(text),
                  QMessageBox::Ok);
  box.exec();
}

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
    ShowMessage(problem);
    return false;
  }
  options.workingDirectory = folder.path;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard stream would give its number to the first file opened.
  ferolith::PrepareStandardStreams();
  const std::unique_ptr<ferolith::Privileges> privileges = ferolith::TakePrivilegesAtStart();
  // Under sudo the process acts as the user while root stays in its real
  // and saved ids, which the toolkit would take for a set-user-id program.
  if (privileges->ActsForSudoUser()) QCoreApplication::setSetuidAllowed(true);
  QApplication application(argc, argv);
  if (!privileges->Problem().empty()) {
    ShowMessage(privileges->Problem());
    return 1;
  }
  ferolith::InstallGermanTranslation(application);

  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments()) {
    arguments.push_back(argument.toStdString());
  }
  std::optional<ferolith::DesktopStart> start =
      ferolith::ParseCommandLine(arguments, QDir::currentPath().toStdString());
  if (!start) {
    std::fprintf(stderr, "%s\n", ferolith::kUsage);
    return 2;
  }
  if (start->menu && !EnterMenuFolder(start->options)) return 1;
  start->options.privileges = privileges.get();

  std::string markerProblem;
  const auto markers = ferolith::MakeDesktopMarkers(markerProblem);
  if (!markers) {
    ShowMessage(markerProblem);
    return 1;
  }
  ferolith::CProgrammerApp(*markers, start->options).Run();
  return 0;
}
