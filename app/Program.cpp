#include "app/Program.h"

#include <optional>
#include <utility>

#include "app/OperationCommands.h"
#include "app/ProjectFileGuard.h"
#include "app/ProjectOpening.h"
#include "app/SimulationFileCheck.h"
#include "chip/AceProtocol.h"
#include "chip/ChipOperations.h"
#include "chip/ReadOut.h"
#include "config/ChoiceList.h"
#include "config/DeviceLibrary.h"
#include "config/SettingsFile.h"
#include "core/PathParts.h"
#include "core/Progress.h"
#include "files/DataFileLoader.h"
#include "files/FileError.h"
#include "files/ImageFileWriter.h"
#include "port/AbsentPort.h"
#include "port/PortAccess.h"
#include "app/ProbeReport.h"
#include "link/PowerSequencer.h"
#include "link/RegisterLink.h"
#include "trace/TracingPort.h"
#include "platform/DesktopMarkers.h"
#include "platform/Privileges.h"
#include "sim/VirtualProgrammer.h"
#include "sim/chip/VirtualAceChip.h"
#include "core/TextFormat.h"

namespace ferolith {

// Every layer of the program, wired to the records of one ProgramState.
struct Program::Parts {
  Parts(UiServices& ui_, StartupView& view_, ChoiceList& manufacturers_, ChoiceList& devices_,
        DesktopMarkers& markers_, ProgramOptions options_)
      : ui(ui_),
        view(view_),
        manufacturers(manufacturers_),
        devices(devices_),
        markers(markers_),
        options(std::move(options_)),
        clock(options.clock != nullptr ? *options.clock : steadyClock),
        pacer(ui, clock),
        progress(ui),
        port(std::make_unique<AbsentPort>()),
        link(*port, ui, state.settings),
        power(link, ui, state.device),
        protocol(link, ui, state.device),
        operations(protocol, power, ui, progress, state.device, state.image, state.settings,
                   state.CancelRequested),
        readOut(operations, protocol, power, ui, state.image, state.device, state.settings,
                state.CancelRequested),
        library(ui, state.settings, state.device),
        loader(ui, state.image, state.device, state.settings),
        commands(CommandContext{ui, state, markers, library, loader, operations, readOut,
                                [this] { InsertSimulatedChip(); },
                                [this](MemoryArea area) { ReportArea(area); },
                                [this](MemoryArea area) {
                                  return patchImage ? patchImage(area) : ResultCode(Result::Ok);
                                },
                                &pacer, [this] { return BusyMarkName(); },
                                [this] {
                                  return projectFiles.Check(state.settings.BurnFilePath, state.CompanionFilePath, loader,
                                                            state.image, state.device, ui);
                                }}) {
    progress.UsePacer(pacer);
    link.UsePacer(pacer);
    if (options.simulate) LoadSimulationFile();
    if (!options.traceFile.empty()) StartTrace();
  }

  // Every port access from now on goes into the trace file, through the
  // tracing port that stands between the link and whatever port it drives.
  void StartTrace();
  // Writes the rest of the trace and closes its file, with a message when
  // a write failed; later port accesses are no longer traced.
  void FinishTrace();
  // The simulator's chip lines and voltages for the trace.
  void SampleChipLines(std::uint32_t& wires, std::uint32_t* millivolts) const;
  // What the link drives: the trace in front of the port, or the port.
  PortIo& LinkPort() { return trace ? static_cast<PortIo&>(*trace) : *port; }

  // The simulator keeps a chip of the selected device in its socket; its
  // contents survive a change of device and, with a simulation file, the
  // end of the program.
  void InsertSimulatedChip();
  sim::VirtualAceChip* SocketChip() {
    return options.simulateEmptySocket ? nullptr : simulatedChip.get();
  }
  void LoadSimulationFile();
  void SaveSimulationFile();
  void ReportArea(MemoryArea area) {
    if (areaObserver) areaObserver(ChecksumOf(state.image, state.device, area));
  }

  // Makes `next` the program's one port and points the link at it; the old
  // port goes only after the link has left it. `typed` is `next` when it is
  // the virtual programmer; `serves` the PortAdress it was opened for (none
  // for the port on which nothing answers).
  void UsePort(std::unique_ptr<PortIo> next, sim::VirtualProgrammer* typed = nullptr,
               std::optional<std::int32_t> serves = std::nullopt) {
    simulator = nullptr;
    const std::unique_ptr<PortIo> old = std::exchange(port, std::move(next));
    if (trace) trace->Follow(*port);
    link.UsePort(LinkPort());
    simulator = typed;
    servedAddress = serves;
  }
  // Opens the port for PortAdress: the virtual programmer, or the first real
  // backend that grants it. False, after the message, when none does.
  bool OpenPort();
  // Start-up's port access, once per run (the Windows driver steps), and
  // the port for PortAdress; demo mode when it cannot be had.
  void OpenPortAtStartUp();
  // Keeps how a real port was reached (or why not) for the probe.
  void NoteRoute(const OpenedAccess& opened) {
    route = {opened.backendId, opened.device, opened.refused, opened.untried};
  }
  std::string SimulatorModel() const;
  ProbeReport Probe();
  // The check before every register access: a port that no longer serves
  // PortAdress is opened anew. False when that fails; the program is then in
  // demo mode.
  bool FollowPortAddress();
  // Saves the settings; when that fails the user is told with the file's
  // error, since the changes of the session are then lost. False in that case.
  bool SaveSettings();

  // Demo mode holds no port: a real one is released for other programs.
  void EnterDemoMode() {
    UsePort(std::make_unique<AbsentPort>());
    state.DemoMode = 1;
    ui.SetStatus(IdleStatusText(state.DemoMode));
  }

  // The "programmer in use" mark: the family's own for the port of
  // KALVENOR.INI, one per port for another port given for the run.
  std::string BusyMarkName() const {
    if (!options.portOverride || *options.portOverride == iniPortAdress) return Marker::ProgrammerBusy;
    return FormatText("%s 0x%X", Marker::ProgrammerBusy, static_cast<unsigned>(*options.portOverride));
  }
  // Runs a command that drives the programmer; `caption` names it while it
  // runs.
  template <typename Command>
  ResultCode HardwareCommand(const char* caption, Command command) {
    FollowPortAddress();
    runningCommand = caption;
    const ResultCode result = command();
    runningCommand.clear();
    SaveSimulationFile();
    return result;
  }

  UiServices& ui;
  StartupView& view;
  ChoiceList& manufacturers;
  ChoiceList& devices;
  DesktopMarkers& markers;
  ProgramOptions options;
  SteadyClock steadyClock;
  MonotonicClock& clock;
  // Pumps the window by elapsed time while a command's work runs.
  PumpPacer pacer;

  ProgramState state;
  Progress progress;
  // The one port; `simulator` is the same object, typed, while it is the
  // virtual programmer (the chips are plugged into it).
  std::unique_ptr<PortIo> port;
  sim::VirtualProgrammer* simulator = nullptr;
  // The PortAdress the open port serves; empty while no port is open.
  std::optional<std::int32_t> servedAddress;
  // How that port was reached, or why none was.
  PortRoute route;
  // The trace file's writer while tracing (--trace).
  std::unique_ptr<TracingPort> trace;
  // Windows: kept open for the run once port access is prepared.
  std::shared_ptr<void> serviceManager;
  std::unique_ptr<sim::VirtualAceChip> simulatedChip;
  sim::ChipContents simulatedContents;
  // The simulation file is some other file: it is never written.
  bool simulationFileForeign = false;
  RegisterLink link;
  PowerSequencer power;
  AceProtocol protocol;
  ChipOperations operations;
  ReadOut readOut;
  DeviceLibrary library;
  DataFileLoader loader;
  OperationCommands commands;
  std::function<void(const AreaChecksum&)> areaObserver;
  std::string runningCommand;
  std::function<ResultCode(MemoryArea)> patchImage;
  ProjectFileGuard projectFiles;  // the open project's files, while they are in use
  std::int32_t iniPortAdress = 0;  // PortAdress as read, while the run uses another port
};

void Program::Parts::InsertSimulatedChip() {
  if (!options.simulate) return;
  if (simulatedChip) simulatedContents = simulatedChip->Contents();
  if (simulator != nullptr) simulator->Plug(nullptr);
  simulatedChip = std::make_unique<sim::VirtualAceChip>(state.device);
  simulatedChip->SetContents(simulatedContents);
  if (simulator != nullptr) simulator->Plug(SocketChip());
}

bool Program::Parts::OpenPort() {
  // The old port goes first: the new one may need the same I/O addresses.
  UsePort(std::make_unique<AbsentPort>());
  if (options.simulate) {
    // The virtual programmer sits at the port address of the settings.
    auto programmer =
        std::make_unique<sim::VirtualProgrammer>(static_cast<std::uint16_t>(state.settings.PortAdress));
    if (options.simulateAbsentProgrammer) {
      programmer->SetAbsentStatus(*options.simulateAbsentProgrammer);
      programmer->SetAbsent(true);
    }
    programmer->SetStuckInputLines(options.simulateStuckLow, options.simulateStuckHigh);
    programmer->Plug(SocketChip());
    sim::VirtualProgrammer* typed = programmer.get();
    if (options.simulateSpeed.Paced()) {
      UsePort(std::make_unique<sim::PacedProgrammer>(std::move(programmer), state.settings, options.simulateSpeed,
                                                     clock),
              typed, state.settings.PortAdress);
    } else {
      UsePort(std::move(programmer), typed, state.settings.PortAdress);
    }
    route = {"simulator", SimulatorModel(), {}, {}};
    return true;
  }
  OpenedAccess opened = ferolith::OpenPort(state.settings, ui, options.portAccess);
  NoteRoute(opened);
  if (!opened.port) return false;
  UsePort(std::move(opened.port), nullptr, state.settings.PortAdress);
  return true;
}

bool Program::Parts::FollowPortAddress() {
  if (state.DemoMode > 0 || servedAddress == state.settings.PortAdress) return true;
  if (OpenPort()) return true;
  EnterDemoMode();
  return false;
}

void Program::Parts::OpenPortAtStartUp() {
  state.DemoMode = 0;
  // Root's rights serve the real port's opening alone; the simulator needs
  // none of them.
  const auto asRoot = [this](const std::function<void()>& open) {
    if (options.privileges != nullptr) {
      options.privileges->OpenPortThenDropRoot(open);
    } else {
      open();
    }
  };
  if (options.simulate) {
    asRoot([] {});
    state.OsId = 0;
    OpenPort();
    return;
  }
  // Once per run; later addresses only open their port.
  PortAccess access;
  asRoot([&] { access = PreparePortAccess(state.settings, ui, options.portAccess); });
  if (options.privileges != nullptr && options.privileges->RootWithoutSudo() && access.opened.backendId == "direct") {
    ui.MessageInfo(kRootOwnsFilesWarning);
  }
  state.OsId = access.osId;
  serviceManager = std::move(access.serviceManager);
  NoteRoute(access.opened);
  if (access.DemoMode()) {
    EnterDemoMode();
  } else {
    UsePort(std::move(access.opened.port), nullptr, state.settings.PortAdress);
  }
}

bool Program::Parts::SaveSettings() {
  // KALVENOR.INI is written with its own PortAdress, never the run's.
  Settings kept = state.settings;
  if (options.portOverride) kept.SetPortAdress(iniPortAdress);
  const SaveOutcome saved = ferolith::SaveSettings(kept);
  if (saved.Saved()) return true;
  ui.MessageInfo("Die Einstellungen konnten nicht gespeichert werden !\n\n" +
                 FileErrorMessage(state.settings.IniPath, saved.error) +
                 "\n\nDie Änderungen dieser Sitzung gehen verloren.");
  return false;
}

void Program::Parts::StartTrace() {
  auto writer = std::make_unique<VcdWriter>();
  if (!writer->Open(options.traceFile)) {
    ui.MessageInfo(FormatText("Die Ablaufdatei\n'%s'\nkann nicht angelegt werden.\n\nEs wird nichts aufgezeichnet.",
                              options.traceFile.c_str()));
    return;
  }
  TraceExtras extras;
  if (options.simulate) {
    extras.wires = {"CLK", "SDI", "SDO", "LOAD", "POWER", "ENTRY"};
    extras.reals = {"VCC", "VPP"};
    extras.sample = [this](std::uint32_t& wires, std::uint32_t* millivolts) { SampleChipLines(wires, millivolts); };
  }
  trace = std::make_unique<TracingPort>(std::move(writer), state.settings, std::move(extras));
  trace->Follow(*port);
  link.UsePort(*trace);
}

void Program::Parts::FinishTrace() {
  if (!trace) return;
  link.UsePort(*port);
  if (!trace->Close()) {
    ui.MessageInfo(FormatText("Die Ablaufdatei\n'%s'\nkonnte nicht vollständig geschrieben werden.\n\n"
                              "Die Aufzeichnung ist verworfen; eine frühere Datei dieses Namens bleibt, wie sie war.",
                              options.traceFile.c_str()));
  }
  trace.reset();
}

void Program::Parts::SampleChipLines(std::uint32_t& wires, std::uint32_t* millivolts) const {
  if (simulator == nullptr) return;
  const sim::SocketLines& lines = simulator->Lines();
  const sim::SocketPin::PackagePins pins = sim::SocketPin::ForPackage(state.device.Package);
  // Sampled after every rising strobe: combined without branches, which
  // the changing lines would mispredict.
  const auto bit = [](bool on, int at) { return static_cast<std::uint32_t>(on) << at; };
  wires |= bit((lines.pins & pins.clock) != 0, 0) | bit((lines.pins & sim::SocketPin::Data) != 0, 1) |
           bit((simulator->InputLines() & pins.serialOut) != 0, 2) | bit(lines.load, 3) | bit(lines.power, 4) |
           bit(lines.entryPulse, 5);
  millivolts[0] = lines.OperatingMillivolts();
  millivolts[1] = lines.ProgrammingMillivolts();
}

std::string Program::Parts::SimulatorModel() const {
  std::string model = "virtuelles Programmiergerät";
  if (options.simulateAbsentProgrammer) {
    for (const sim::AbsentStatusName& name : sim::kAbsentStatusNames) {
      if (name.status == *options.simulateAbsentProgrammer) {
        model += ", abwesend: " + std::string(name.name);
      }
    }
  }
  if (options.simulateStuckLow != 0 || options.simulateStuckHigh != 0) {
    model += FormatText(", Eingänge fest auf 0: 0x%02X, fest auf 1: 0x%02X",
                        static_cast<unsigned>(options.simulateStuckLow),
                        static_cast<unsigned>(options.simulateStuckHigh));
  }
  return model;
}

ProbeReport Program::Parts::Probe() {
  ProbeReport report;
  report.machinePorts = MachineParallelPorts(options.portAccess);
  report.portAdress = state.settings.PortAdress;
  report.route = route;
  if (state.DemoMode == 0 && servedAddress == state.settings.PortAdress) {
    // The simulator's own pace is timed only when it keeps one.
    report.untimedSimulator = options.simulate && !options.simulateSpeed.Paced();
    report.measurement = MeasurePort(LinkPort(), state.settings, report.untimedSimulator ? nullptr : &clock);
  }
  return report;
}

void Program::Parts::LoadSimulationFile() {
  if (options.simulationFile.empty()) return;
  if (const auto refusal = SimulationFileRefusal(options.simulationFile)) {
    simulationFileForeign = true;
    ui.MessageInfo(*refusal + ".\n\nDer virtuelle Chip ist leer.");
    return;
  }
  // A simulation file that does not exist yet (or is empty) holds a blank chip.
  if (sim::InspectContentsFile(options.simulationFile) == sim::ContentsFileKind::Absent) return;
  if (!sim::LoadContentsFile(options.simulationFile, simulatedContents)) {
    ui.MessageInfo(FormatText("Die Simulationsdatei\n'%s'\nist ungültig.\n\nDer virtuelle Chip ist leer.",
                              options.simulationFile.c_str()));
  }
}

void Program::Parts::SaveSimulationFile() {
  if (!options.simulate || options.simulationFile.empty() || simulationFileForeign || !simulatedChip) return;
  simulatedContents = simulatedChip->Contents();
  if (!sim::SaveContentsFile(options.simulationFile, simulatedContents)) {
    ui.MessageInfo(FormatText("Die Simulationsdatei\n'%s'\nkann nicht geschrieben werden.",
                              options.simulationFile.c_str()));
  }
}

Program::Program(UiServices& ui, StartupView& view, ChoiceList& manufacturers, ChoiceList& devices,
                 DesktopMarkers& markers, ProgramOptions options)
    : parts_(std::make_unique<Parts>(ui, view, manufacturers, devices, markers, std::move(options))) {}

Program::~Program() { parts_->FinishTrace(); }

ProgramState& Program::State() { return parts_->state; }

void Program::LoadSettings() {
  ferolith::LoadSettings(parts_->ui, parts_->state.settings, parts_->options.workingDirectory, [this] {
    std::vector<std::uint32_t> bases;
    for (const MachinePort& port : MachinePorts()) bases.push_back(port.base);
    return bases;
  });
  Parts& p = *parts_;
  if (p.options.portOverride) {
    p.iniPortAdress = p.state.settings.PortAdress;
    p.state.settings.SetPortAdress(*p.options.portOverride);
  }
}

bool Program::SaveSettings() { return parts_->SaveSettings(); }

void Program::PrepareHardware() {
  Parts& p = *parts_;
  ProgramState& state = p.state;
  p.OpenPortAtStartUp();
  if (p.options.portReportAtStartUp && state.settings.DebugNT == 1) {
    p.ui.MessagePlain(ProbeReportText(p.Probe()));
  }

  // Up to SearchHardware attempts, with the preferences dialog between two
  // of them so that a wrong port address can be corrected.
  int attempts = 0;
  while (state.DemoMode <= 0) {
    if (!p.FollowPortAddress()) {
      // The address from the dialog has no port: demo mode, saved as at the
      // end of the attempts.
      p.SaveSettings();
      break;
    }
    const ResultCode result = p.link.DetectProgrammer();
    if (result != Result::Ok) {
      ++attempts;
      if (attempts == state.settings.SearchHardware) {
        p.ui.MessageInfo("Kann Hardware nicht finden !\n\nProgramm geht in den Demomodus.");
        p.SaveSettings();
        p.EnterDemoMode();
      } else {
        p.view.ShowPreferences();
      }
    }
    if (attempts >= state.settings.SearchHardware || result == Result::Ok || state.DemoMode != 0) {
      break;
    }
  }
}

ResultCode Program::FillLists() {
  Parts& p = *parts_;
  const ResultCode manufacturers = p.library.FillManufacturerList(p.manufacturers);
  if (manufacturers == Result::Ok) p.library.FillDeviceList(p.devices);
  // A library that cannot be opened has been reported once; loading the
  // device from it would only say the same again.
  if (manufacturers != Result::LibraryError && p.library.LoadSelectedDevice() == Result::Ok) {
    p.InsertSimulatedChip();
  }
  p.ui.EnableCancelButton(false);
  p.state.CancelRequested = 0;
  p.ui.SetStatus(IdleStatusText(p.state.DemoMode));
  return manufacturers;
}

ResultCode Program::OnLeertest() {
  return parts_->HardwareCommand("Leertest", [this] { return parts_->commands.OnLeertest(); });
}
ResultCode Program::OnAuslesen() {
  return parts_->HardwareCommand("Auslesen", [this] { return parts_->commands.OnAuslesen(); });
}
ResultCode Program::OnPruefen() {
  return parts_->HardwareCommand("Prüfen", [this] { return parts_->commands.OnPruefen(); });
}
ResultCode Program::OnBrennen() {
  return parts_->HardwareCommand("Brennen", [this] { return parts_->commands.OnBrennen(); });
}
ResultCode Program::OnInitRegister() {
  return parts_->HardwareCommand("InitRegister", [this] { return parts_->commands.OnInitRegister(); });
}
ResultCode Program::ChooseBurnFile() {
  const ResultCode chosen = parts_->commands.ChooseBurnFile();
  // A file chosen by hand is the user's decision, even the project's own.
  if (chosen == Result::Ok) parts_->projectFiles.Release();
  return chosen;
}

void Program::OnBausteinPruefen(bool checked) { parts_->state.settings.Verify = checked ? 1 : 0; }
void Program::OnLeerzellenSpeichern(bool checked) { parts_->state.settings.FFSave = checked ? 1 : 0; }
void Program::OnChecksummenPruefen(bool checked) {
  parts_->state.settings.TestChecksum = checked ? 1 : 0;
}

ResultCode Program::OnManufacturerChanged() {
  return parts_->library.OnManufacturerChanged(parts_->manufacturers, parts_->devices);
}

void Program::OnDeviceChanged() {
  parts_->library.OnDeviceChanged(parts_->devices);
  parts_->InsertSimulatedChip();
}

void Program::OnAbbrechen() { parts_->state.CancelRequested = 1; }

void Program::OnPrefs() {
  parts_->view.ShowPreferences();
  parts_->FollowPortAddress();
}

ProbeReport Program::Probe() {
  Parts& p = *parts_;
  if (!p.servedAddress && p.state.DemoMode == 0) {
    p.OpenPortAtStartUp();
  } else {
    p.FollowPortAddress();
  }
  return p.Probe();
}

std::vector<MachinePort> Program::MachinePorts() const { return MachineParallelPorts(parts_->options.portAccess); }

bool Program::IsProgrammerBusy() { return parts_->commands.IsProgrammerBusy(); }

const std::string& Program::RunningCommand() const { return parts_->runningCommand; }

bool Program::Close(int windowX, int windowY) {
  Parts& p = *parts_;
  if (IsProgrammerBusy()) return false;
  p.state.settings.XKoord = windowX;
  p.state.settings.YKoord = windowY;
  // A failed save is told, and the window closes all the same: the user
  // cannot do anything about it in this window.
  p.SaveSettings();
  if (p.state.settings.EndMessage > 0) {
    p.ui.MessageInfo("Baustein jetzt unbedingt\naus dem Sockel nehmen !!!");
  }
  p.loader.CloseLoadFile();
  p.library.CloseLibrary();
  return true;
}

void Program::SetBurnFile(const std::string& path) {
  const PathParts parts = SplitPath(path);
  parts_->commands.SetBurnFile(path, parts.name + parts.extension);
}

ResultCode Program::ReadOutTo(const std::string& path, DataFormat dataFormat, bool readTwice) {
  return parts_->HardwareCommand(
      "Auslesen", [&] { return parts_->commands.ReadOutTo(path, dataFormat, readTwice); });
}

ResultCode Program::ReadInitRegister1InPlace(std::uint8_t& value) {
  return parts_->HardwareCommand("InitRegister",
                                 [&] { return parts_->commands.ReadInitRegister1InPlace(value); });
}

void Program::OnAreaUsed(std::function<void(const AreaChecksum&)> observer) {
  parts_->areaObserver = std::move(observer);
}

void Program::OnCellCompared(const CellObserver& observer) {
  parts_->operations.OnCellCompared(observer);
  parts_->readOut.OnCellCompared(observer);
}

void Program::SetOnlyChanged(bool onlyChanged) { parts_->commands.SetOnlyChanged(onlyChanged); }

void Program::OnImageLoaded(std::function<ResultCode(MemoryArea)> patch) {
  parts_->patchImage = std::move(patch);
}

ResultCode Program::LoadForSelectedDevice(const std::string& path, MemoryArea area) {
  Parts& p = *parts_;
  if (p.library.LoadSelectedDevice() != Result::Ok) return Result::LibraryError;
  return p.loader.LoadDataFile(path, area);
}

ResultCode Program::Convert(const std::string& input, const std::string& output, DataFormat dataFormat,
                            MemoryArea area) {
  Parts& p = *parts_;
  const ResultCode loaded = LoadForSelectedDevice(input, area);
  if (loaded != Result::Ok) return loaded;
  p.state.settings.DataFormat = dataFormat;
  const ResultCode written =
      WriteImageFile(output, area, p.ui, p.state.image, p.state.device, p.state.settings);
  if (written == Result::Ok) p.ReportArea(area);
  return written;
}

ResultCode Program::OpenProject(const std::string& path, const Project& project, bool guardFiles,
                                const std::string& refusalHint) {
  Parts& p = *parts_;
  Settings& settings = p.state.settings;
  if (!SelectProjectDevice(path, project, p.library, settings, p.ui)) return Result::LibraryError;
  p.manufacturers.Clear();
  p.library.FillManufacturerList(p.manufacturers);
  p.library.FillDeviceList(p.devices);
  if (p.library.LoadSelectedDevice() == Result::Ok) p.InsertSimulatedChip();
  if (project.initRegister1) settings.InitRegister1Value = *project.initRegister1;
  if (project.verify) settings.Verify = *project.verify ? 1 : 0;
  if (project.saveBlank) settings.FFSave = *project.saveBlank ? 1 : 0;
  if (project.checksum) settings.TestChecksum = *project.checksum ? 1 : 0;
  if (project.format) settings.DataFormat = *project.format;
  if (project.lineLength) settings.HexLineLen = *project.lineLength;
  SetBurnFile(project.burnFile);
  p.ui.ShowInitRegister1(settings.InitRegister1Value);
  if (guardFiles) {
    p.projectFiles.Expect(project, refusalHint);
  } else {
    p.projectFiles.Release();
  }
  return Result::Ok;
}

ResultCode Program::OpenProjectFile(const std::string& path) {
  const std::optional<Project> project = ReadProjectOrExplain(path, parts_->ui);
  if (!project) return Result::LibraryError;
  return OpenProject(path, *project, true, "Mit „Neue Datei“ gewählt, wird sie trotzdem verwendet.");
}

ResultCode Program::CaptureProject(const std::string& burnFile, Project& project) {
  Parts& p = *parts_;
  const Settings& settings = p.state.settings;
  // Loading a file makes its own format the current one; the project keeps
  // the read-out format chosen.
  const DataFormat format = settings.DataFormat;
  const ResultCode loaded = LoadForSelectedDevice(burnFile, MemoryArea::ProgramMemory);
  if (loaded != Result::Ok) return loaded;
  project.burnFile = burnFile;
  project.burnFileCrc32 = ChecksumOf(p.state.image, p.state.device, MemoryArea::ProgramMemory).crc32;
  project.companionFile.clear();
  project.companionCrc32.reset();
  if (p.state.device.DataEnd != 0) {
    const std::string companion = CompanionPathOf(burnFile);
    switch (p.loader.LoadCompanionFile(companion)) {
      case DataFileLoader::Companion::Failed:
        return Result::FileNotLoaded;
      case DataFileLoader::Companion::Absent:
        break;
      case DataFileLoader::Companion::Loaded:
        project.companionFile = companion;
        project.companionCrc32 = ChecksumOf(p.state.image, p.state.device, MemoryArea::DataEeprom).crc32;
        break;
    }
  }
  MemoryChoiceList manufacturers;
  p.library.FillManufacturerList(manufacturers);
  const auto index = static_cast<std::size_t>(settings.ManufIndex);
  project.manufacturer = index < manufacturers.Names().size() ? manufacturers.Names()[index] : std::string();
  project.device = p.state.device.Name;
  project.initRegister1 = settings.InitRegister1Value;
  project.verify = settings.Verify > 0;
  project.saveBlank = settings.FFSave > 0;
  project.checksum = settings.TestChecksum > 0;
  p.state.settings.DataFormat = format;
  if (format != DataFormat::Undecided) project.format = format;
  project.lineLength = settings.HexLineLen;
  return Result::Ok;
}

sim::VirtualProgrammer* Program::Simulator() { return parts_->simulator; }

sim::VirtualAceChip* Program::SimulatedChip() { return parts_->simulatedChip.get(); }

}  // namespace ferolith
