#include "win32/ProgrammerApp.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "platform/DesktopMarkers.h"
#include "win32/ProgrammerDlg.h"

namespace ferolith {

CProgrammerApp::CProgrammerApp(DesktopMarkers& markers, ProgramOptions options, std::string projectFile)
    : markers_(markers), options_(std::move(options)), projectFile_(std::move(projectFile)) {}

bool CProgrammerApp::Run() {
  if (markers_.Exists(Marker::ProgrammerBusy)) return false;
  if (markers_.Exists(Marker::ThisProgram)) return false;

  // The progress bar's window class.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  CProgrammerDlg dialog;
  Program program(dialog, dialog, dialog.Manufacturers(), dialog.Devices(), markers_, options_);
  dialog.Run(program, projectFile_);
  return true;
}

}  // namespace ferolith
