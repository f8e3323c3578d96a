#pragma once

#include <cstdint>
#include <string>

#include "core/DataFormat.h"

namespace ferolith {

// The persistent settings record, one field per key of KALVENOR.INI plus the
// derived port addresses and paths. The config layer loads and saves it;
// every layer reads the fields it needs. Defaults are those of a missing key.
struct Settings {
  // Section "Hardware".
  std::int32_t PortAdress = 0x278;
  std::uint16_t StatusPort = 0x279;   // derived: PortAdress + 1
  std::uint16_t ControlPort = 0x27A;  // derived: PortAdress + 2
  std::int32_t DebugNT = 0;
  std::int32_t SearchHardware = 2;
  std::uint32_t TimeOut = 100000;
  std::int32_t MessageBeap = 1;
  std::int32_t TimeBaseKorr = 85;

  // Section "Ferolith INI-Section".
  std::int32_t FFSave = 0;
  std::int32_t Verify = 1;
  std::int32_t XKoord = 10;
  std::int32_t YKoord = 10;
  std::int32_t ShowDeviceData = 0;
  std::int32_t ManufIndex = 0;
  std::int32_t DeviceIndex = 0;
  std::int32_t TestChecksum = 1;
  std::int32_t EndMessage = 0;
  std::uint32_t HexLineLen = 32;
  ferolith::DataFormat DataFormat = ferolith::DataFormat::Binary;
  std::int32_t ReadFilter = 1;
  std::uint8_t InitRegister1Value = 0;

  // Paths.
  std::string IniPath;        // KALVENOR.INI in the working directory at start-up
  std::string LastDirectory;  // initial directory of the file dialogs
  std::string BurnFilePath;   // full path of the current burn file
  std::string BurnFileName;   // its name and extension, shown in the main window

  // Sets the port base address and the two addresses derived from it.
  void SetPortAdress(std::int32_t base) {
    PortAdress = base;
    StatusPort = static_cast<std::uint16_t>(static_cast<std::uint32_t>(base) + 1u);
    ControlPort = static_cast<std::uint16_t>(static_cast<std::uint32_t>(base) + 2u);
  }
};

}  // namespace ferolith
