#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/DesktopMarkers.h"

namespace ferolith {

// The desktop-wide marks of the Win32 desktop program. Its own windows
// carry them: the main dialog is titled "Ferolith V1.02" and the activity
// window "KalvenorDevil", so holding a mark needs no window of its own
// (the dialog or the activity window is made right after). Looking for a
// mark finds any top-level window with that title, of any program.
class WindowMarkers : public DesktopMarkers {
 public:
  bool Exists(const std::string& mark) override;
  std::unique_ptr<MarkerHold> Hold(const std::string& mark) override;
};

}  // namespace ferolith
