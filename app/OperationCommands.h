#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/ProgramState.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"

namespace ferolith {

class AceProtocol;
class ChipOperations;
class DataFileLoader;
class DesktopMarkers;
class DeviceLibrary;
class MarkerHold;
class PowerSequencer;
class ReadOut;

// The filter lists of the two file dialogs.
inline constexpr const char* kBurnFileFilter =
    "*.* Alle Dateien|*.*|*.BIN Binär-Dateien|*.bin|*.HEX Hex-Dateien|*.hex||";
inline constexpr const char* kReadOutFilter =
    "*.* Alle Dateien|*.*|*.BIN Binär|*.bin|*.HEX Intel8|*.hex|*.HEX Intel32|*.hex|"
    "*.HEX IntelMCS|*.hex|*.HEX Motorola S1 Exorciser|*.hex|*.HEX Motorola S2 Exormax|*.hex|"
    "*.HEX Motorola S3 32Bit|*.hex||";

// What the commands work with.
struct CommandContext {
  UiServices& ui;
  ProgramState& state;
  DesktopMarkers& markers;
  DeviceLibrary& library;
  DataFileLoader& loader;
  ChipOperations& operations;
  AceProtocol& protocol;
  PowerSequencer& power;
  ReadOut& readOut;
  // Called after every successful device load inside a command (the
  // simulator puts a chip of the loaded device into its socket).
  std::function<void()> onDeviceLoaded;
};

// The operation commands behind the main window's buttons, free of any
// toolkit: each refuses in demo mode, refuses silently while the programmer
// is busy, marks the programmer as in use, reloads the selected device,
// locks the input controls and raises the priority around the chip work,
// chains file loading, chip passes and file writing, and restores
// everything on every path.
//
// Results: 0 on success, the failing step's code otherwise;
// Result::ProgrammerNotFound when refused in demo mode and
// Result::ProgramFailed when the programmer is busy.
class OperationCommands {
 public:
  explicit OperationCommands(CommandContext context);
  ~OperationCommands();
  OperationCommands(const OperationCommands&) = delete;
  OperationCommands& operator=(const OperationCommands&) = delete;

  ResultCode OnLeertest();
  ResultCode OnInitRegister();
  ResultCode OnAuslesen();
  ResultCode OnPruefen();
  ResultCode OnBrennen();
  // The "Neue Datei" open dialog: 0, or Result::FileNotLoaded on Cancel.
  ResultCode ChooseBurnFile();

  // Makes `path` the burn file, as an OK in the open dialog does.
  void SetBurnFile(const std::string& path, const std::string& fileName);
  // "Auslesen" into a file named directly, in format `dataFormat`, without
  // the dialog's extension rules and without asking before an existing file
  // is replaced: the same frame and chain otherwise.
  ResultCode ReadOutTo(const std::string& path, int dataFormat);

  bool IsProgrammerBusy();

 private:
  ResultCode ShowDemoRefusal();
  void CreateActivityWindow();
  void Closing();
  // Loads the selected device; Result::LibraryError on failure.
  ResultCode ReloadDevice();
  // DisableControls, raised priority, the work, normal priority, EnableControls.
  ResultCode WorkBracket(const std::function<ResultCode()>& work);
  // The frame of "Prüfen" and "Brennen" around their chain.
  ResultCode BurnFileCommand(const std::function<ResultCode()>& chain);
  // The read-out of both areas; with `askBeforeReplacing`, existing files
  // it would write are named in one question first ("Nein" writes nothing).
  ResultCode ReadOutChain(bool askBeforeReplacing);
  bool MayReplaceReadOutFiles();
  // Loads the companion file and runs `work` on it. A missing companion file
  // is nothing to do (0); one that was refused fails the chain with
  // Result::FileNotLoaded, since its reason has been shown.
  ResultCode CompanionStep(const std::function<ResultCode()>& work);
  ResultCode VerifyChain();
  ResultCode ProgramChain();
  void RebuildCompanionPath();

  CommandContext c_;
  std::unique_ptr<MarkerHold> activity_;
};

}  // namespace ferolith
