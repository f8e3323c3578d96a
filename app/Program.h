#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/ProgramState.h"
#include "config/ProjectFile.h"
#include "chip/ComparedCell.h"
#include "core/DataFormat.h"
#include "core/PumpPacer.h"
#include "core/ResultCode.h"
#include "core/UiServices.h"
#include "files/AreaChecksum.h"
#include "port/PortAccess.h"
#include "app/ProbeReport.h"
#include "sim/AbsentStatus.h"
#include "sim/PacedProgrammer.h"

namespace ferolith {

class ChoiceList;      // a combo box as the device library fills it (config/)
class DesktopMarkers;  // platform/DesktopMarkers.h
class Privileges;      // platform/Privileges.h
namespace sim {
class VirtualAceChip;
class VirtualProgrammer;
}  // namespace sim

// What start-up needs of the window beyond UiServices.
class StartupView {
 public:
  virtual ~StartupView() = default;
  // The modal preferences dialog, shown between failed detection attempts
  // and by "Prefs" (Program::OnPrefs).
  virtual void ShowPreferences() = 0;
};

struct ProgramOptions {
  std::string workingDirectory;     // where KALVENOR.INI and ACELIST.CSV live
  bool simulate = false;            // the virtual programmer and chip instead of a port
  std::string simulationFile;       // keeps the virtual chip between runs; empty: none
  // The virtual programmer does not answer; its port reads as the model says.
  std::optional<sim::AbsentStatus> simulateAbsentProgrammer;
  // Input lines of the virtual programmer that read 0 or 1 whatever
  // register 10 holds (bit i: input line i).
  std::uint8_t simulateStuckLow = 0;
  std::uint8_t simulateStuckHigh = 0;
  // Every port access goes into this Value Change Dump file; empty: none.
  std::string traceFile;
  // DebugNT=1 also shows the port probe's report at start-up (the desktop
  // program; the command line has its command "probe").
  bool portReportAtStartUp = false;
  // Where a real run looks for the port (tests put a fake device tree here).
  PortAccessEnvironment portAccess;
  // The virtual programmer's socket holds no chip.
  bool simulateEmptySocket = false;
  // How fast the virtual programmer runs (default: as fast as it can).
  sim::SimulationSpeed simulateSpeed;
  // The port base address for this run instead of PortAdress (which stays
  // as it is in KALVENOR.INI); nothing: PortAdress. A port other than
  // KALVENOR.INI's has a "programmer in use" mark of its own, so that
  // programs on different ports run side by side.
  std::optional<std::int32_t> portOverride;
  // Root's rights for start-up's opening of the port, given up for good
  // afterwards under sudo; nullptr: the process's rights as they are. Not
  // owned.
  Privileges* privileges = nullptr;
  // The clock of the window's time-based pumps and of a paced simulator;
  // nullptr for the machine's steady clock. Not owned; tests pass one they
  // advance.
  MonotonicClock* clock = nullptr;
};

// The toolkit-free program behind the main window, shared by the desktop
// program and the command line: it owns the program's records and every
// layer, and runs start-up, the commands and closing.
//
// It owns exactly one port at a time and the register link always drives
// that one: the virtual programmer when simulating, the real backend
// otherwise, and in demo mode (and before start-up has opened one) a port on
// which nothing answers. Whenever PortAdress is no longer the address the
// open port serves, the port is opened anew for it before the next register
// access: before each detection attempt, after "Prefs" and at the start of
// every command. A port that cannot be opened is explained once and leaves
// the program in demo mode.

class Program {
 public:
  Program(UiServices& ui, StartupView& view, ChoiceList& manufacturers, ChoiceList& devices,
          DesktopMarkers& markers, ProgramOptions options);
  ~Program();

  ProgramState& State();

  // Start-up, in the order the main window runs them.
  void LoadSettings();     // KALVENOR.INI with its validation messages
  void PrepareHardware();  // port access (or the simulator), detection loop, demo mode
  // Manufacturer and device lists, the selected device. Result::EndOfList
  // when the library gave no manufacturer (the list shows "Keine Hersteller"),
  // Result::LibraryError when it cannot be opened (told once, with its path).
  ResultCode FillLists();

  // The operation commands. Each returns the result of its chain: Ok on
  // success, the failing step's result otherwise; Result::ProgrammerNotFound
  // when refused in demo mode, Result::ProgramFailed when the programmer is
  // busy.
  ResultCode OnLeertest();
  ResultCode OnAuslesen();
  ResultCode OnPruefen();
  ResultCode OnBrennen();
  ResultCode OnInitRegister();
  ResultCode ChooseBurnFile();

  // The option check boxes and the list selections.
  void OnBausteinPruefen(bool checked);
  void OnLeerzellenSpeichern(bool checked);
  void OnChecksummenPruefen(bool checked);
  // Refills the device list: Result::EndOfList when the manufacturer has no
  // valid device (the list shows "Keine Bausteine").
  ResultCode OnManufacturerChanged();
  void OnDeviceChanged();

  // "Abbrechen": stops the running pass at its next step.
  void OnAbbrechen();
  // "Prefs": the preferences dialog; a changed port address opens the port anew.
  void OnPrefs();

  // The port probe on the port for PortAdress, opened first when it is not
  // open yet (without detection, so that the raw status is the port's own).
  ProbeReport Probe();
  // The machine's parallel ports, for the preferences' list.
  std::vector<MachinePort> MachinePorts() const;

  // For the command line: the burn file named directly, a read-out into a
  // file named directly in `dataFormat` (with `readTwice`, each area read
  // twice and saved only when both passes agree), a file converted for the
  // selected device, and an explicit save of the settings (false, after
  // telling the user the file's error, when it failed).
  void SetBurnFile(const std::string& path);
  ResultCode ReadOutTo(const std::string& path, DataFormat dataFormat, bool readTwice = false);
  ResultCode Convert(const std::string& input, const std::string& output, DataFormat dataFormat,
                     MemoryArea area);
  bool SaveSettings();
  // InitRegister1 read with the chip left in the socket by the previous
  // command: no socket box, no message on success.
  ResultCode ReadInitRegister1InPlace(std::uint8_t& value);
  // Told the checksums of each memory area a command used: the burn or
  // companion file's contents over the device's area for "Brennen" and
  // "Prüfen" (as soon as the file is loaded), what was read and saved for a
  // read-out, what was written for a conversion.
  void OnAreaUsed(std::function<void(const AreaChecksum&)> observer);
  // Called by "Brennen" for each area's file loaded into the image, before
  // it is programmed: may change the image (State().image); anything but Ok
  // fails the chain with that result.
  void OnImageLoaded(std::function<ResultCode(MemoryArea)> patch);
  // Loads `path` into the image for `area` of the selected device, with the
  // range check, as a conversion does: Ok, or the loader's result after its
  // message.
  ResultCode LoadForSelectedDevice(const std::string& path, MemoryArea area);
  // "Brennen" programs only the cells that differ from the file (see
  // OperationCommands::SetOnlyChanged).
  void SetOnlyChanged(bool onlyChanged);
  // Told of every cell a verification compares: "Prüfen", the verification
  // passes of "Brennen" and the two passes of a read-out read twice.
  void OnCellCompared(const CellObserver& observer);

  // Opens the project read from `path`: its device (by name), burn file,
  // InitRegister1 value and options replace the current ones, and the
  // lists follow. With `guardFiles`, "Brennen" and "Prüfen" then refuse the
  // project's burn file once its image (or its companion's) no longer has
  // the checksum saved, until another burn file is chosen; `refusalHint`
  // ends those refusals. Ok, or Result::LibraryError after the message,
  // with nothing changed.
  ResultCode OpenProject(const std::string& path, const Project& project, bool guardFiles,
                         const std::string& refusalHint);
  // The desktop program's opening of a project file: read, then opened
  // with its files guarded (a changed one is taken when chosen anew with
  // "Neue Datei"). Ok, or Result::LibraryError after the message.
  ResultCode OpenProjectFile(const std::string& path);
  // The project of the selected device and the current settings with
  // `burnFile` and its companion (when the device has a data EEPROM and the
  // file exists), and the checksums of their images: Ok, or the loader's
  // result after its message.
  ResultCode CaptureProject(const std::string& burnFile, Project& project);

  // The simulator, while the program's port is the virtual programmer (else
  // nullptr: a real run, demo mode, or before start-up).
  sim::VirtualProgrammer* Simulator();
  sim::VirtualAceChip* SimulatedChip();

  // True while any process holds the programmer (the "KalvenorDevil" mark).
  bool IsProgrammerBusy();
  // The caption of the command that runs ("Brennen"), empty while none does.
  const std::string& RunningCommand() const;
  // Closing: false (and nothing done) while the programmer is busy;
  // otherwise stores the window position, saves the settings (telling the
  // user when that failed) and shows the socket reminder when EndMessage is
  // on. Every save point of start-up tells a failed save the same way.
  bool Close(int windowX, int windowY);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace ferolith
