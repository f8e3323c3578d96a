#pragma once

#include <windows.h>

#include <filesystem>

namespace ferolith::driver {

// Saves what the screen shows of `window` (and of `alsoShown`, a window in
// front of it, when given: the picture then covers both) as a 24-bit BMP
// file. Needs a display (wine's X11 driver under Xvfb).
void SaveWindowPicture(HWND window, const std::filesystem::path& file, HWND alsoShown = nullptr);

}  // namespace ferolith::driver
