#include "gui/ProgrammerApp.h"

#include <utility>

#include "gui/ProgrammerDlg.h"
#include "platform/DesktopMarkers.h"

namespace ferolith {

CProgrammerApp::CProgrammerApp(DesktopMarkers& markers, ProgramOptions options, std::string projectFile)
    : markers_(markers), options_(std::move(options)), projectFile_(std::move(projectFile)) {}

bool CProgrammerApp::Run() {
  if (markers_.Exists(Marker::ProgrammerBusy)) return false;
  if (markers_.Exists(Marker::ThisProgram)) return false;
  const std::unique_ptr<MarkerHold> thisProgram = markers_.Hold(Marker::ThisProgram);

  CProgrammerDlg dialog;
  Program program(dialog, dialog, dialog.Manufacturers(), dialog.Devices(), markers_, options_);
  dialog.Attach(program);
  dialog.OnInitDialog(program);
  if (!projectFile_.empty()) dialog.OpenProject(projectFile_);
  dialog.exec();
  return true;
}

}  // namespace ferolith
