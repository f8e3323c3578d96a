// ferolith: the desktop program of the Kalvenor device programmer.

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <string>
#include <vector>

#include "app/DesktopCommandLine.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "platform/DesktopMarkers.h"

namespace {

// A start from the menu works in the program's own folder; false after
// telling the user why there is none.
bool EnterMenuFolderOrExplain(ferolith::ProgramOptions& options) {
  const std::string problem = ferolith::EnterMenuFolder(options);
  if (problem.empty()) return true;
  QMessageBox box(QMessageBox::Information, QStringLiteral("Meldung"),
                  QString::fromStdString(problem), QMessageBox::Ok);
  box.exec();
  return false;
}

}  // namespace

int main(int argc, char** argv) {
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
  if (start->menu && !EnterMenuFolderOrExplain(start->options)) return 1;

  const auto markers = ferolith::MakeDesktopMarkers();
  ferolith::CProgrammerApp(*markers, start->options).Run();
  return 0;
}
