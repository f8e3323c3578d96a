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
#include "link/PowerSequencer.h"

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

  // The two halves of ReadOutToFile. ReadArea reads one area into the image
  // (blank elsewhere), with the socket box first for program memory when
  // `askSocket`; Result::Ok, or the code ReadOutToFile gives, and then the
  // image is not to be written. WriteArea writes the image's area to `path`.
  ResultCode ReadArea(MemoryArea area, bool askSocket);
  ResultCode WriteArea(const std::string& path, MemoryArea area);
  // Reads the area twice (the socket box only before the first pass) and
  // compares the passes: Result::Ok with the area in the image when they
  // agree; otherwise Result::NotBlankOrReadOut after a message that names
  // the first address whose bytes differ.
  ResultCode ReadAreaTwice(MemoryArea area);
  // Told of every cell ReadAreaTwice compares, the first pass's byte as the
  // one expected (optional).
  void OnCellCompared(CellObserver observer) { cellObserver_ = std::move(observer); }

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
  CellObserver cellObserver_;
};

}  // namespace ferolith
