#pragma once

#include "app/Program.h"

namespace ferolith {

class DesktopMarkers;

// The application object of the Win32 desktop program: it ends at once
// while the programmer is in use ("KalvenorDevil") or another instance
// runs ("Ferolith V1.02"), and otherwise runs the main dialog modally over
// the program.
class CProgrammerApp {
 public:
  // `projectFile`, when not empty, is opened once the window is up.
  CProgrammerApp(DesktopMarkers& markers, ProgramOptions options, std::string projectFile = {});
  // False when the program ended at once, true after the dialog ran.
  bool Run();

 private:
  DesktopMarkers& markers_;
  ProgramOptions options_;
  std::string projectFile_;
};

}  // namespace ferolith
