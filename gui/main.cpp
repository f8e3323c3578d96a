// ferolith: the desktop program of the Kalvenor device programmer.

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/CommandLine.h"
#include "gui/GermanTranslation.h"
#include "gui/ProgrammerApp.h"
#include "platform/DesktopMarkers.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ferolith::InstallGermanTranslation(application);

  std::vector<std::string> arguments;
  for (const QString& argument : QCoreApplication::arguments()) {
    arguments.push_back(argument.toStdString());
  }
  const std::optional<ferolith::ProgramOptions> options =
      ferolith::ParseCommandLine(arguments, QDir::currentPath().toStdString());
  if (!options) {
    std::fprintf(stderr, "%s\n", ferolith::kUsage);
    return 2;
  }

  const auto markers = ferolith::MakeDesktopMarkers();
  ferolith::CProgrammerApp(*markers, *options).Run();
  return 0;
}
