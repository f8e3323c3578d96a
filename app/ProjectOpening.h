#pragma once

#include <optional>
#include <string>

#include "config/ProjectFile.h"
#include "core/Settings.h"
#include "core/UiServices.h"

namespace ferolith {

class DeviceLibrary;

// Whether `path` names a project file by its extension (kProjectExtension,
// letter case aside): what the desktop program takes when a file is
// dropped onto its window.
bool IsProjectFileName(const std::string& path);

// Reads the project file at `path`: the project, or nothing after a
// message with the German reason (the file's error, or the value that is
// not understood).
std::optional<Project> ReadProjectOrExplain(const std::string& path, UiServices& ui);

// Finds the project's manufacturer and device by name (letter case and
// blanks around them aside) in the library and makes them ManufIndex and
// DeviceIndex: true. False after a message naming what the library lacks;
// ManufIndex and DeviceIndex are then as they were.
bool SelectProjectDevice(const std::string& path, const Project& project, DeviceLibrary& library,
                         Settings& settings, UiServices& ui);

}  // namespace ferolith
