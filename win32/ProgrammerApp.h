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
  CProgrammerApp(DesktopMarkers& markers, ProgramOptions options);
  // False when the program ended at once, true after the dialog ran.
  bool Run();

 private:
  DesktopMarkers& markers_;
  ProgramOptions options_;
};

}  // namespace ferolith
