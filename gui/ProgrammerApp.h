#pragma once

#include "app/Program.h"

namespace ferolith {

class DesktopMarkers;

// The application object: runs the program once per desktop. It ends
// without a word while any program of the family holds the programmer
// ("KalvenorDevil") or while this program already runs ("Ferolith V1.02");
// otherwise it holds the mark of this program and runs the main dialog
// modally until it ends.
class CProgrammerApp {
 public:
  // `projectFile`, when not empty, is opened once the window is up.
  CProgrammerApp(DesktopMarkers& markers, ProgramOptions options, std::string projectFile = {});

  // True when the main dialog ran; false when the program ended silently.
  bool Run();

 private:
  DesktopMarkers& markers_;
  ProgramOptions options_;
  std::string projectFile_;
};

}  // namespace ferolith
