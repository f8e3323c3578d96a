#include "cli/CliRunner.h"

#include <algorithm>
#include <ostream>
#include <vector>

#include "app/Program.h"
#include "cli/CliTexts.h"
#include "cli/ConsoleUi.h"
#include "cli/DeviceTable.h"
#include "cli/DifferenceReport.h"
#include "cli/ProductionRun.h"
#include "cli/SerialRun.h"
#include "app/ProjectOpening.h"
#include "config/ChoiceList.h"
#include "config/ProjectFile.h"
#include "core/NumberText.h"
#include "core/TextFormat.h"
#include "files/FileError.h"
#include "platform/Files.h"

namespace ferolith::cli {

namespace {

// The console has no preferences dialog: a failed detection attempt is
// simply followed by the next one.
class NoPreferences : public StartupView {
 public:
  void ShowPreferences() override {}
};

// The index of `wanted` in `names`: a 0-based number, or a name. -1 if none.
int FindEntry(const std::vector<std::string>& names, const std::string& wanted) {
  std::uint32_t index = 0;
  if (IsWholeUnsigned(wanted, &index)) {
    return index < names.size() ? static_cast<int>(index) : -1;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == wanted) return static_cast<int>(i);
  }
  return -1;
}

// Selects `wanted` (a name or a 0-based number) in `list`; false, after the
// error line `missing`, when the list has no such entry.
bool SelectEntry(MemoryChoiceList& list, const std::string& wanted, const std::string& missing,
                 std::ostream& err) {
  const int index = FindEntry(list.Names(), wanted);
  if (index < 0) {
    err << texts::kErrorPrefix << missing << '\n';
    return false;
  }
  list.Select(index);
  return true;
}

ProgramOptions MakeProgramOptions(const CliOptions& options, const CliEnvironment& environment) {
  ProgramOptions program;
  program.workingDirectory = environment.workingDirectory;
  program.simulate = options.simulate;
  program.simulationFile = options.simulationFile;
  program.simulateAbsentProgrammer = options.absentProgrammer;
  program.simulateStuckLow = options.stuckLow;
  program.simulateStuckHigh = options.stuckHigh;
  program.traceFile = options.traceFile;
  program.simulateSpeed = options.speed;
  program.simulateEmptySocket = options.emptySocket;
  program.portOverride = options.port;
  program.privileges = environment.privileges;
  return program;
}

class Session {
 public:
  Session(const CliOptions& options, CliEnvironment& environment)
      : options_(options),
        env_(environment),
        ui_(environment.in, environment.err,
            ConsolePolicy{options.yes, options.retryOnError, environment.terminal,
                          environment.terminal && !options.quiet}),
        program_(ui_, view_, manufacturers_, devices_, environment.markers,
                 MakeProgramOptions(options, environment)),
        serial_(options.serial) {
    if (env_.stopRequested != nullptr) {
      ui_.OnPump([this] {
        if (env_.stopRequested()) program_.OnAbbrechen();
      });
    }
    program_.OnAreaUsed([this](const AreaChecksum& area) { areas_.push_back(area); });
    program_.OnCellCompared([this](const ComparedCell& cell) { differences_.Add(cell); });
  }

  int Run();

 private:
  // Reads --project; false after the message when it cannot be used. Its
  // serial settings stand in for missing --serial options.
  bool ReadProject();
  // The burn file of program and verify: FILE, else the project's.
  const std::string& BurnFile() const;
  int SaveProjectCommand();
  void ApplyOverrides();
  int SelectDevice();
  int ListDevices();
  int HardwareCommand();
  int ProgramCommand();
  // The checksum lines of the areas the command used, then forgets them. They
  // go to standard error instead when `written` (a file the command wrote)
  // is standard output itself, so that they never mix with the data.
  void PrintChecksums(const std::string& written = "");
  // The summary of the cells that differed in the command's verification,
  // after the chain's own messages on standard error; then forgets them.
  void PrintDifferences();
  // After a pass that found only 0xFF: InitRegister1 too? Then the socket
  // may be empty, which the read traffic cannot tell from an erased chip.
  void WarnIfSocketMayBeEmpty();

  const CliOptions& options_;
  CliEnvironment& env_;
  ConsoleUi ui_;
  NoPreferences view_;
  MemoryChoiceList manufacturers_;
  MemoryChoiceList devices_;
  Program program_;
  std::vector<AreaChecksum> areas_;  // of the running command
  DifferenceReport differences_;     // of the running command
  std::optional<SerialRun> serialRun_;  // program --serial
  std::optional<Project> project_;      // --project
  std::optional<SerialOptions> serial_;  // --serial, or the project's
};

bool Session::ReadProject() {
  if (!options_.project) return true;
  project_ = ReadProjectOrExplain(*options_.project, ui_);
  if (!project_) return false;
  if (serial_ || !project_->serial) return true;
  const ProjectSerial& kept = *project_->serial;
  const auto field = ParseSerialField(kept.field);
  if (!field) {
    env_.err << texts::kErrorPrefix << options_.project->c_str() << ": "
             << FormatText(texts::kBadSerialField, kept.field.c_str()) << '\n';
    return false;
  }
  SerialOptions serial;
  serial.field = *field;
  serial.start = kept.start;
  serial.step = kept.step;
  serial.format = SerialFormatNamed(kept.format).value_or(SerialFormat::LittleEndian);
  if (!kept.counterFile.empty()) serial.counterFile = kept.counterFile;
  serial.overwrite = kept.overwrite;
  serial_ = serial;
  return true;
}

const std::string& Session::BurnFile() const {
  return options_.files.empty() ? project_->burnFile : options_.files.front();
}

int Session::SaveProjectCommand() {
  const std::string& target = options_.files.at(0);
  const std::string burnFile = options_.files.size() > 1 ? options_.files[1]
                               : project_                ? project_->burnFile
                                                         : program_.State().settings.BurnFilePath;
  if (burnFile.empty()) {
    env_.err << texts::kErrorPrefix << texts::kSaveProjectWithoutFile << '\n' << texts::kErrorHint << '\n';
    return kUsageError;
  }
  Project project;
  const ResultCode captured = program_.CaptureProject(burnFile, project);
  if (captured != Result::Ok) return ResultNumber(captured);
  if (options_.format) project.format = *options_.format;
  if (serial_) {
    ProjectSerial serial;
    serial.field = SerialFieldText(serial_->field);
    serial.start = static_cast<std::uint32_t>(serial_->start);
    serial.step = static_cast<std::uint32_t>(serial_->step);
    serial.format = NameOfSerialFormat(serial_->format);
    serial.counterFile = serial_->counterFile.value_or("");
    serial.overwrite = serial_->overwrite;
    project.serial = serial;
  }
  const SaveOutcome saved = WriteProjectFile(target, project);
  if (!saved.Saved()) {
    ui_.MessageInfo("Die Projektdatei kann nicht geschrieben werden.\n\n" + FileErrorMessage(target, saved.error));
    return kSettingsError;
  }
  env_.out << FormatText(texts::kProjectSaved, target.c_str(), project.manufacturer.c_str(), project.device.c_str(),
                         burnFile.c_str(), static_cast<unsigned>(project.burnFileCrc32.value_or(0)))
           << '\n';
  if (project.companionCrc32) {
    env_.out << FormatText(texts::kProjectCompanion, project.companionFile.c_str(),
                           static_cast<unsigned>(*project.companionCrc32))
             << '\n';
  }
  return 0;
}

void Session::PrintDifferences() {
  env_.err << differences_.Text() << std::flush;
  differences_.Clear();
}

void Session::PrintChecksums(const std::string& written) {
  std::ostream& out = !written.empty() && IsStandardOutput(written) ? env_.err : env_.out;
  for (const AreaChecksum& area : areas_) {
    if (area.cells.first == area.cells.end) continue;
    const char* name = area.area == MemoryArea::ProgramMemory ? texts::kCodeArea : texts::kDataArea;
    out << FormatText(texts::kAreaChecksum, name, static_cast<unsigned>(area.cells.first),
                      static_cast<unsigned>(area.cells.end - 1), static_cast<unsigned>(area.crc32),
                      static_cast<unsigned>(area.sum))
        << '\n';
  }
  out.flush();
  areas_.clear();
}

void Session::WarnIfSocketMayBeEmpty() {
  std::uint8_t value = 0;
  if (program_.ReadInitRegister1InPlace(value) == Result::Ok && value == 0xFF) {
    env_.err << texts::kEmptySocket << '\n' << std::flush;
  }
}

int Session::ProgramCommand() {
  if (options_.files.size() == 1) program_.SetBurnFile(options_.files.front());
  program_.SetOnlyChanged(options_.onlyChanged);
  if (serial_) {
    serialRun_.emplace(*serial_, program_, ui_, env_.err);
    if (const int status = serialRun_->Check(); status != 0) return status;
    program_.OnImageLoaded([this](MemoryArea area) { return serialRun_->Patch(area); });
  }
  if (!options_.repeat && !options_.logFile && !serial_) {
    const ResultCode result = program_.OnBrennen();
    PrintChecksums();
    PrintDifferences();
    return ResultNumber(result);
  }
  const ProductionOptions production{BurnFile(), options_.repeat, options_.keepGoing, options_.logFile};
  ProductionRun run(env_, production, [this] {
    ChipOutcome chip = serialRun_ ? serialRun_->Take() : ChipOutcome{};
    if (chip.abandoned) return chip;
    chip.result = ResultNumber(program_.OnBrennen());
    chip.device = program_.State().device.Name;
    chip.areas = areas_;
    PrintChecksums();
    PrintDifferences();
    return chip;
  });
  return run.Run();
}

void Session::ApplyOverrides() {
  Settings& settings = program_.State().settings;
  if (options_.verify) settings.Verify = *options_.verify ? 1 : 0;
  if (options_.saveBlank) settings.FFSave = *options_.saveBlank ? 1 : 0;
  if (options_.checksum) settings.TestChecksum = *options_.checksum ? 1 : 0;
  if (options_.lineLength) settings.HexLineLen = *options_.lineLength;
}

int Session::SelectDevice() {
  if (const auto& wanted = options_.manufacturer) {
    if (!SelectEntry(manufacturers_, *wanted, FormatText(texts::kNoManufacturer, wanted->c_str()),
                     env_.err)) {
      return kUsageError;
    }
    program_.OnManufacturerChanged();
  }
  if (const auto& wanted = options_.device;
      wanted && !SelectEntry(devices_, *wanted, FormatText(texts::kNoDevice, wanted->c_str()), env_.err)) {
    return kUsageError;
  }
  if (options_.manufacturer || options_.device) program_.OnDeviceChanged();
  return 0;
}

int Session::ListDevices() {
  const std::vector<std::string> names = manufacturers_.Names();
  const int selectedManufacturer = manufacturers_.Selected();
  const int selectedDevice = devices_.Selected();
  for (std::size_t m = 0; m < names.size(); ++m) {
    if (!options_.longList) {
      env_.out << m << ' ' << names[m] << (static_cast<int>(m) == selectedManufacturer ? " *" : "")
               << '\n';
    }
    manufacturers_.Select(static_cast<int>(m));
    // A manufacturer without valid devices lists none ("Keine Bausteine" is
    // the list's placeholder, no device).
    if (program_.OnManufacturerChanged() != Result::Ok) continue;
    const std::vector<std::string> devices = devices_.Names();
    for (std::size_t d = 0; d < devices.size(); ++d) {
      if (options_.longList) {
        // The device list holds exactly the lines the loader counts, so
        // entry d is the device loaded.
        devices_.Select(static_cast<int>(d));
        program_.OnDeviceChanged();
        env_.out << DeviceTableLine(static_cast<int>(m), names[m], static_cast<int>(d),
                                    program_.State().device)
                 << '\n';
        continue;
      }
      const bool selected =
          static_cast<int>(m) == selectedManufacturer && static_cast<int>(d) == selectedDevice;
      env_.out << "  " << d << ' ' << devices[d] << (selected ? " *" : "") << '\n';
    }
  }
  return 0;
}

int Session::HardwareCommand() {
  const ProgramState& state = program_.State();
  switch (options_.command) {
    case Command::Detect:
      return ResultNumber(state.DemoMode > 0 ? Result::ProgrammerNotFound : Result::Ok);
    case Command::Blank: {
      const ResultCode result = program_.OnLeertest();
      // 0: every cell of both areas read 0xFF.
      if (result == Result::Ok) WarnIfSocketMayBeEmpty();
      return ResultNumber(result);
    }
    case Command::Program:
      return ProgramCommand();
    case Command::Verify: {
      if (options_.files.size() == 1) program_.SetBurnFile(options_.files.front());
      const ResultCode result = program_.OnPruefen();
      PrintChecksums();
      PrintDifferences();
      return ResultNumber(result);
    }
    case Command::Read: {
      const ResultCode result = program_.ReadOutTo(
          options_.files.at(0), options_.format.value_or(state.settings.DataFormat),
          options_.verify.value_or(false));
      // 0: every area of the device was read and saved.
      const bool blank = std::all_of(areas_.begin(), areas_.end(),
                                     [](const AreaChecksum& area) { return area.blank; });
      PrintChecksums(options_.files.at(0));
      PrintDifferences();
      if (result == Result::Ok && blank) WarnIfSocketMayBeEmpty();
      return ResultNumber(result);
    }
    case Command::InitReg: {
      const ResultCode result = program_.OnInitRegister();
      if (result == Result::Ok) {
        env_.out << FormatText("0x%02X", static_cast<unsigned>(state.settings.InitRegister1Value))
                 << '\n';
      }
      return ResultNumber(result);
    }
    default:
      return kUsageError;
  }
}

int Session::Run() {
  program_.LoadSettings();
  if (!ReadProject()) return kProjectError;
  ApplyOverrides();
  if (options_.command == Command::InitReg && options_.initRegisterValue) {
    program_.State().settings.InitRegister1Value = *options_.initRegisterValue;
    // A value that did not reach the file would let the next runs burn the old one.
    return program_.SaveSettings() ? 0 : kSettingsError;
  }
  if (options_.command == Command::Probe) {
    // The port as it is: no detection before the probe.
    const ProbeReport report = program_.Probe();
    env_.out << ProbeReportText(report);
    return ProbeExitStatus(report);
  }
  // Start-up in the desktop program's order: hardware, then the lists.
  const bool needsProgrammer = options_.command != Command::Devices && options_.command != Command::Convert &&
                               options_.command != Command::SaveProject;
  if (needsProgrammer) program_.PrepareHardware();
  const ResultCode lists = program_.FillLists();
  if (project_) {
    if (program_.OpenProject(*options_.project, *project_, !options_.acceptChangedFile, texts::kChangedFileHint) !=
        Result::Ok) {
      return kProjectError;
    }
    // The options of the command line go before the project's.
    ApplyOverrides();
  }
  if (const int status = SelectDevice(); status != 0) return status;
  if (options_.command == Command::SaveProject) return SaveProjectCommand();
  if (options_.command == Command::Devices) {
    // Without a manufacturer the list holds only its placeholder "Keine
    // Hersteller": nothing to list, and the library's message has been given.
    return lists == Result::Ok ? ListDevices() : ResultNumber(Result::LibraryError);
  }
  if (options_.command == Command::Convert) {
    const DataFormat format = options_.format.value_or(program_.State().settings.DataFormat);
    const ResultCode result =
        program_.Convert(options_.files.at(0), options_.files.at(1), format, options_.area);
    PrintChecksums(options_.files.at(1));
    return ResultNumber(result);
  }
  return HardwareCommand();
}

}  // namespace

int RunCli(const CliOptions& options, CliEnvironment& environment) {
  Session session(options, environment);
  return session.Run();
}

}  // namespace ferolith::cli
