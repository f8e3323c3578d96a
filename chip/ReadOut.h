#pragma once

#include <string>

#include "chip/AceProtocol.h"
#include "chip/ChipOperations.h"
#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "core/FileOps.h"
#include "platform/Files.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"
#include "hardware/PowerSequencer.h"

namespace ferolith {

// Reads one memory area of the chip and writes it into a read-out file in
// the current DataFormat. The chip is read completely before the file is
// touched, and the file replaces an existing one only when it is complete.
class ReadOut {
 public:
  ReadOut(ChipOperations& operations, AceProtocol& protocol, PowerSequencer& power, UiServices& ui,
          MemoryImage& image, const DeviceEntry& device, const Settings& settings,
          const int& cancelRequested, FileOps& fileOps = SystemFileOps());

  // Result::Ok, or Result::NotBlankOrReadOut after the reason was shown
  // (a cancelled socket box shows nothing more); Result::HandshakeTimeout,
  // and no file, when the programmer missed a handshake during the read.
  ResultCode ReadOutToFile(const std::string& path, MemoryArea area);

 private:
  ChipOperations& operations_;
  AceProtocol& protocol_;
  PowerSequencer& power_;
  UiServices& ui_;
  MemoryImage& image_;
  const DeviceEntry& device_;
  const Settings& settings_;
  const int& cancelRequested_;
  FileOps& fileOps_;
};

}  // namespace ferolith
