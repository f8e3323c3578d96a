#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/ProgramState.h"
#include "core/DataFormat.h"
#include "core/PumpPacer.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"

namespace ferolith {

class ChipOperations;
class DataFileLoader;
class DesktopMarkers;
class DeviceLibrary;
class ReadOut;
struct PathParts;

// The filter lists of the two file dialogs.
inline constexpr const char* kBurnFileFilter =
    "*.* Alle Dateien|*.*|*.BIN Binär-Dateien|*.bin|*.HEX Hex-Dateien|*.hex||";
inline constexpr const char* kReadOutFilter =
    "*.* Alle Dateien|*.*|*.BIN Binär|*.bin|*.HEX Intel8|*.hex|*.HEX Intel32|*.hex|"
    "*.HEX IntelMCS|*.hex|*.HEX Motorola S1 Exorciser|*.hex|*.HEX Motorola S2 Exormax|*.hex|"
    "*.HEX Motorola S3 32Bit|*.hex||";

// The status line while no command runs; in demo mode it says so, for as
// long as the demo mode lasts.
std::string IdleStatusText(int demoMode);

// The data-EEPROM companion of a burn file: the same name with ".rex".
std::string CompanionPathOf(const std::string& burnFile);

// What the commands work with.
struct CommandContext {
  UiServices& ui;
  ProgramState& state;
  DesktopMarkers& markers;
  DeviceLibrary& library;
  DataFileLoader& loader;
  ChipOperations& operations;
  ReadOut& readOut;
  // Called after every successful device load inside a command (the
  // simulator puts a chip of the loaded device into its socket).
  std::function<void()> onDeviceLoaded;
  // Called whenever the image holds one area's contents for the command: a
  // burn or companion file loaded for programming or verifying, an area
  // read out and saved. Optional (the command line prints checksums).
  std::function<void(MemoryArea)> onAreaInImage;
  // Called when "Brennen" has loaded one area's file into the image, before
  // it is programmed: may change the image (a serial number); anything but
  // Ok fails the chain with that result, after its message. Optional.
  std::function<ResultCode(MemoryArea)> patchImage;
  // Pumps the window by elapsed time while the work of a command runs with
  // the input controls disabled; optional.
  PumpPacer* pacer = nullptr;
  // The name of the "programmer in use" mark of the port the commands
  // drive; Marker::ProgrammerBusy when not given.
  std::function<std::string()> busyMark;
  // Called first by the chains of "Brennen" and "Prüfen", with the device
  // loaded: anything but Ok (after its message) refuses the burn file
  // before the chip is touched. Optional.
  std::function<ResultCode()> checkFiles;
};

// The operation commands behind the main window's buttons, free of any
// toolkit: each refuses in demo mode, refuses silently while the programmer
// is busy, marks the programmer as in use, reloads the selected device,
// locks the input controls and raises the priority around the chip work,
// chains file loading, chip passes and file writing, and restores
// everything on every path.
//
// Results: Ok on success, the failing step's result otherwise;
// Result::ProgrammerNotFound when refused in demo mode and
// Result::ProgramFailed when the programmer is busy.
class OperationCommands {
 public:
  explicit OperationCommands(CommandContext context);
  OperationCommands(const OperationCommands&) = delete;
  OperationCommands& operator=(const OperationCommands&) = delete;

  ResultCode OnLeertest();
  ResultCode OnInitRegister();
  ResultCode OnAuslesen();
  ResultCode OnPruefen();
  ResultCode OnBrennen();
  // The "Neue Datei" open dialog: Ok, or Result::FileNotLoaded on Cancel.
  ResultCode ChooseBurnFile();

  // Makes `path` the burn file, as an OK in the open dialog does.
  void SetBurnFile(const std::string& path, const std::string& fileName);
  // "Auslesen" into a file named directly, in format `dataFormat`, without
  // the dialog's extension rules and without asking before an existing file
  // is replaced: the same frame and chain otherwise. With `readTwice`, every
  // area is read twice and the files are written only when both passes of
  // every area agree.
  ResultCode ReadOutTo(const std::string& path, DataFormat dataFormat, bool readTwice = false);
  // Reads InitRegister1 with the chip in place (after a pass that needed
  // the socket box: none here, and no message on success) in the frame of a
  // command; Ok with `value`, or the failing step's result.
  ResultCode ReadInitRegister1InPlace(std::uint8_t& value);

  bool IsProgrammerBusy();

  // "Brennen" reads each area first and programs only the cells that
  // differ from the file, then reads those back (whatever Verify says).
  void SetOnlyChanged(bool onlyChanged) { onlyChanged_ = onlyChanged; }

 private:
  ResultCode ShowDemoRefusal();
  // The refusals before a command, in the order most commands test them:
  // demo mode (with its message), then a busy programmer (silently).
  std::optional<ResultCode> Refusal();
  // Loads the selected device; Result::LibraryError on failure.
  ResultCode ReloadDevice();
  // DisableControls, raised priority, the work, normal priority, EnableControls.
  ResultCode WorkBracket(const std::function<ResultCode()>& work);
  // The device reloaded, then the work in its bracket.
  ResultCode DeviceWork(const std::function<ResultCode()>& work);
  // The whole frame of a command without files: refusals, busy mark,
  // device, work bracket, closing.
  ResultCode DeviceCommand(const std::function<ResultCode()>& work);
  // Makes `fullPath` (taken apart in `parts`) the burn file shown as
  // `fileName`, with its companion file and last directory.
  void AdoptBurnFile(const std::string& fullPath, const PathParts& parts, const std::string& fileName);
  // The frame of "Prüfen" and "Brennen" around their chain.
  ResultCode BurnFileCommand(const std::function<ResultCode()>& chain);
  // The read-out of both areas; with `askBeforeReplacing`, existing files
  // it would write are named in one question first ("Nein" writes nothing).
  ResultCode ReadOutChain(bool askBeforeReplacing, bool readTwice);
  // Both areas read twice and compared, then both files written.
  ResultCode ReadTwiceThenSave();
  void AreaInImage(MemoryArea area);
  bool MayReplaceReadOutFiles();
  // Loads the companion file and runs `work` on it. A missing companion file
  // is nothing to do (0); one that was refused fails the chain with
  // Result::FileNotLoaded, since its reason has been shown. With `patch`,
  // the image patch of "Brennen" comes first.
  ResultCode CompanionStep(const std::function<ResultCode()>& work, bool patch = false);
  ResultCode VerifyChain();
  ResultCode ProgramChain();
  // The check of the files before "Brennen" and "Prüfen" use them.
  ResultCode CheckFiles();
  // The image patch of "Brennen" for an area just loaded.
  ResultCode PatchImage(MemoryArea area);

  // One area of "Brennen": programmed and, as asked, verified.
  ResultCode ProgramStep(MemoryArea area, bool verify);

  CommandContext c_;
  bool onlyChanged_ = false;
};

}  // namespace ferolith
