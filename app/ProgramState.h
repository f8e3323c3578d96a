#pragma once

#include <string>

#include "core/DeviceEntry.h"
#include "core/Settings.h"
#include "files/MemoryImage.h"

namespace ferolith {

// The program's process-wide records, created once by the program (and as
// often as tests like). Each layer is handed references to just the records
// it uses.
struct ProgramState {
  Settings settings;
  DeviceEntry device;
  MemoryImage image;
  int DemoMode = 0;         // 1 when no programmer can be used; never reset while running
  int CancelRequested = 0;  // 1 after a click on "Abbrechen"
  unsigned OsId = 0;        // operating-system id; 0 on Linux
  std::string CompanionFilePath;  // the data EEPROM file beside the burn file
};

}  // namespace ferolith
