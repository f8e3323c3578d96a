// ferolith: the desktop program of the Kalvenor device programmer.

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "gui/CommandLine.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "platform/DesktopMarkers.h"
#include "platform/DllSearch.h"
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

}  // namespace

int main(int argc, char** argv) {
  ferolith::RestrictDllSearch();
  if (ferolith::AsksForVersion({argv, argv + argc})) {
    std::fputs(ferolith::VersionText().c_str(), stdout);
    return 0;
  }
  QApplication application(argc, argv);
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

  const auto markers = ferolith::MakeDesktopMarkers();
  ferolith::CProgrammerApp(*markers, start->options).Run();
  return 0;
}
