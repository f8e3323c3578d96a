#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chip/AceProtocol.h"
#include "chip/ComparedCell.h"
#include "core/DataFormat.h"
#include "core/DeviceEntry.h"
#include "core/Progress.h"
#include "core/ResultCode.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"
#include "link/PowerSequencer.h"

namespace ferolith {

// One complete pass over a memory area of the chip in the socket: blank
// check, programming from the memory image, reading into it, verifying
// against it, and programming the InitRegister1 byte. The passes drive the
// status line, the progress bar and the "Abbrechen" button, report every
// problem where it happens, and leave the chip powered down in every
// outcome (a cancelled socket box returns before power-up).
//
// Program memory is [CodeStart, CodeEnd), the data EEPROM [DataStart,
// DataEnd) (none when DataEnd is 0). Every loop runs at least once, at the
// area's start address. A pass whose register writes met a handshake
// timeout has not succeeded, even when everything else went well: it
// returns Result::HandshakeTimeout (the timeout message has been shown). An area that starts at 0x10000 or above has no
// address a command word can carry; it is treated as empty and sends
// nothing.
class ChipOperations {
 public:
  ChipOperations(AceProtocol& protocol, PowerSequencer& power, UiServices& ui, Progress& progress,
                 const DeviceEntry& device, MemoryImage& image, const Settings& settings,
                 const int& cancelRequested);

  // Both areas; Ok when blank, NotBlankOrReadOut for non-blank cells
  // answered with Retry, BlankCheckStopped, HandshakeTimeout.
  ResultCode BlankCheck();
  // Powers up, programs one area from the image, powers down; Ok,
  // ProgramFailed or HandshakeTimeout. A cell that failed to program fails
  // the pass, also when the user went on past it with Retry.
  ResultCode ProgramArea(MemoryArea area);
  // Powers up once for three passes over one area: reads it and compares
  // it with the image, programs only the cells that differ, and reads
  // those back; powers down. Ok, ProgramFailed (a write failed or the pass
  // was stopped), VerifyFailed (a cell written reads back wrong, or a read
  // ending failed) or HandshakeTimeout. The socket box as ProgramArea.
  ResultCode ProgramChangedArea(MemoryArea area);
  // Powers up, compares one area with the image, powers down; Ok,
  // VerifyFailed or HandshakeTimeout. The socket box is shown only for
  // program memory and only when asked.
  ResultCode VerifyArea(MemoryArea area, bool askSocket);
  // Writes InitRegister1Value and reads it back, with its own power cycle
  // and no socket box; Ok, ProgramFailed or HandshakeTimeout.
  ResultCode ProgramInitRegister1();
  // Reads InitRegister1 into `value` with its own power cycle after the
  // safe state; with `askSocket`, the socket box comes first. Ok,
  // SocketCancelled, VerifyFailed after a failed read ending, or
  // HandshakeTimeout (the byte counts only when every step was answered,
  // power-down included).
  ResultCode ReadInitRegister1(std::uint8_t& value, bool askSocket);

  // The loops run between power-up and power-down by the passes above.
  ResultCode ProgramCodeMemory();
  ResultCode ProgramDataMemory();
  ResultCode VerifyCodeMemory();
  ResultCode VerifyDataMemory();
  // Read one area into the image; always Ok. The caller powers the chip and
  // learns of a stop from the cancel flag and of a failed read ending from
  // the protocol's ReadErrorFlag.
  ResultCode ReadCodeMemory();
  ResultCode ReadDataMemory();

  // Told of every cell the verify loops compare (optional).
  void OnCellCompared(CellObserver observer) { cellObserver_ = std::move(observer); }

 private:
  struct Bounds {
    std::uint32_t start;
    std::uint32_t end;
    bool addressable;
  };

  // What tells a programming pass from a verifying one; the frame around
  // the loop is the same.
  struct AreaPass {
    const char* banner;  // socket box before power-up; nullptr for none
    std::string status;
    ResultCode (ChipOperations::*loop)(MemoryArea);
    bool resetBeforePowerDown;
    const char* cancelled;  // the message after "Abbrechen"
    ResultCode failed;      // after "Abbrechen" or Cancel in the socket box
  };

  // Safe state, socket box, power-up, the loop, power-down, the cancel
  // message: the frame of ProgramArea and VerifyArea.
  ResultCode RunAreaPass(MemoryArea area, const AreaPass& pass);
  // A programming pass over `area` with `loop`: every cell, or only those
  // that differ.
  ResultCode ProgramPass(MemoryArea area, ResultCode (ChipOperations::*loop)(MemoryArea));
  Bounds AreaBounds(MemoryArea area) const;
  std::uint8_t ReadAreaByte(MemoryArea area, std::uint32_t address);
  template <typename Visit>
  void ReadPipelined(MemoryArea area, Visit visit);
  // The answer of the last box about a non-blank cell, given the one
  // before the area (none: no box yet).
  std::optional<Answer> BlankCheckArea(MemoryArea area, std::optional<Answer> answer);
  ResultCode ProgramLoop(MemoryArea area);
  ResultCode ProgramChangedLoop(MemoryArea area);
  // Writes the image's byte at `address`; when that fails, the answer of
  // its Retry/Cancel box, none when it was written.
  std::optional<Answer> WriteCell(MemoryArea area, std::uint32_t address);
  // Tells the observer of `value` read at `address` and compares it with
  // the image; on a mismatch the answer of its Retry/Cancel box, none when
  // the cell is as expected.
  std::optional<Answer> CompareCell(MemoryArea area, std::uint32_t address, std::uint8_t value);
  // Writes the image's bytes at `addresses`; false when a write failed
  // (reported, each with its Retry/Cancel box) or the pass was stopped.
  bool WriteCells(MemoryArea area, const std::vector<std::uint32_t>& addresses);
  // Reads `addresses` back, pipelined, and compares them with the image;
  // false on a mismatch (reported), a failed read ending or a stop.
  bool VerifyCells(MemoryArea area, const std::vector<std::uint32_t>& addresses);
  ResultCode VerifyLoop(MemoryArea area);
  ResultCode ReadLoop(MemoryArea area);
  void StartPass(const std::string& status);
  // `result`, or Result::HandshakeTimeout when it is Ok but the link has met
  // a timeout since `timeoutsBefore`.
  ResultCode AfterLink(ResultCode result, std::uint64_t timeoutsBefore) const;

  AceProtocol& protocol_;
  PowerSequencer& power_;
  UiServices& ui_;
  Progress& progress_;
  const DeviceEntry& device_;
  MemoryImage& image_;
  const Settings& settings_;
  const int& cancelRequested_;
  CellObserver cellObserver_;
};

}  // namespace ferolith
