#include "app/OperationCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "chip/ChipOperations.h"
#include "chip/ReadOut.h"
#include "config/DeviceLibrary.h"
#include "core/PathParts.h"
#include "core/Utf8Path.h"
#include "files/DataFileLoader.h"
#include "platform/DesktopMarkers.h"
#include "platform/Priority.h"

namespace ferolith {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string CompanionOf(const PathParts& parts) {
  return parts.drive + parts.directory + parts.name + ".rex";
}

}  // namespace

std::string CompanionPathOf(const std::string& burnFile) { return CompanionOf(SplitPath(burnFile)); }

namespace {

std::string BusyMarkOf(const CommandContext& c) {
  return c.busyMark ? c.busyMark() : std::string(Marker::ProgrammerBusy);
}

// Whether the read-out file and its companion are one file: the same name
// (a file that ends in ".rex" itself), or two names of one existing file
// (a link). The data EEPROM would then overwrite the program memory.
bool IsItsOwnCompanion(const std::string& file, const std::string& companion) {
  if (SamePathText(file, companion)) return true;
  std::error_code error;
  return std::filesystem::equivalent(PathFromUtf8(file), PathFromUtf8(companion), error) && !error;
}

// The frame of every command that drives the programmer: it marks the
// programmer as in use and shows the activity window for as long as it
// lives, and its end runs the closing steps on every path out.
class CommandFrame {
 public:
  explicit CommandFrame(CommandContext& c) : c_(c), busy_(c.markers.Hold(BusyMarkOf(c))) {
    c_.ui.ShowActivityWindow(true);
  }
  ~CommandFrame() {
    c_.ui.EnableCancelButton(false);
    c_.state.CancelRequested = 0;
    c_.ui.SetStatus(IdleStatusText(c_.state.DemoMode));
    c_.ui.ShowActivityWindow(false);
  }  // the busy mark goes last
  CommandFrame(const CommandFrame&) = delete;
  CommandFrame& operator=(const CommandFrame&) = delete;

 private:
  CommandContext& c_;
  std::unique_ptr<MarkerHold> busy_;
};

}  // namespace

std::string IdleStatusText(int demoMode) {
  return demoMode > 0 ? "Warte auf Eingaben  –  Demomodus: ohne Brenner" : "Warte auf Eingaben";
}

OperationCommands::OperationCommands(CommandContext context) : c_(std::move(context)) {}

bool OperationCommands::IsProgrammerBusy() { return c_.markers.Exists(BusyMarkOf(c_)); }

ResultCode OperationCommands::ShowDemoRefusal() {
  c_.ui.MessageInfo("Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus.");
  return Result::ProgrammerNotFound;
}

std::optional<ResultCode> OperationCommands::Refusal() {
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  return std::nullopt;
}

ResultCode OperationCommands::ReloadDevice() {
  if (c_.library.LoadSelectedDevice() != Result::Ok) return Result::LibraryError;
  if (c_.onDeviceLoaded) c_.onDeviceLoaded();
  return Result::Ok;
}

ResultCode OperationCommands::WorkBracket(const std::function<ResultCode()>& work) {
  c_.ui.DisableControls();
  ResultCode result = Result::Ok;
  {
    // Time-based pumps only while the controls are disabled: a click that
    // arrives in one can reach nothing but "Abbrechen".
    std::optional<PumpPacer::Armed> armed;
    if (c_.pacer != nullptr) armed.emplace(*c_.pacer);
    PriorityGuard priority(c_.state.OsId);
    result = work();
  }
  c_.ui.EnableControls();
  return result;
}

ResultCode OperationCommands::DeviceWork(const std::function<ResultCode()>& work) {
  const ResultCode loaded = ReloadDevice();
  return loaded == Result::Ok ? WorkBracket(work) : loaded;
}

ResultCode OperationCommands::DeviceCommand(const std::function<ResultCode()>& work) {
  if (const auto refused = Refusal()) return *refused;
  const CommandFrame frame(c_);
  return DeviceWork(work);
}

void OperationCommands::AdoptBurnFile(const std::string& fullPath, const PathParts& parts,
                                      const std::string& fileName) {
  Settings& settings = c_.state.settings;
  settings.BurnFilePath = fullPath;
  c_.state.CompanionFilePath = CompanionOf(parts);
  settings.LastDirectory = parts.drive + parts.directory;
  settings.BurnFileName = fileName;
  c_.ui.ShowBurnFileName(fileName);
}

ResultCode OperationCommands::OnLeertest() {
  return DeviceCommand([this] { return c_.operations.BlankCheck(); });
}

ResultCode OperationCommands::OnInitRegister() {
  return DeviceCommand([this] {
    std::uint8_t value = 0;
    const ResultCode read = c_.operations.ReadInitRegister1(value, true);
    if (read == Result::Ok) {
      c_.state.settings.InitRegister1Value = value;
      c_.ui.ShowInitRegister1(value);
      c_.ui.MessageInfo("InitRegister1 gelesen");
    }
    return read;
  });
}

ResultCode OperationCommands::ReadInitRegister1InPlace(std::uint8_t& value) {
  return DeviceCommand([&] { return c_.operations.ReadInitRegister1(value, false); });
}

void OperationCommands::AreaInImage(MemoryArea area) {
  if (c_.onAreaInImage) c_.onAreaInImage(area);
}

bool OperationCommands::MayReplaceReadOutFiles() {
  std::vector<std::string> existing;
  std::error_code error;
  if (std::filesystem::exists(PathFromUtf8(c_.state.settings.BurnFilePath), error)) {
    existing.push_back(c_.state.settings.BurnFilePath);
  }
  if (c_.state.device.DataEnd != 0 && std::filesystem::exists(PathFromUtf8(c_.state.CompanionFilePath), error)) {
    existing.push_back(c_.state.CompanionFilePath);
  }
  if (existing.empty()) return true;
  const std::string question =
      existing.size() == 1
          ? "Die Datei\n\n" + existing[0] + "\n\nexistiert schon.\nSoll sie ersetzt werden ?"
          : "Die Dateien\n\n" + existing[0] + "\n" + existing[1] +
                "\n\nexistieren schon.\nSollen sie ersetzt werden ?";
  return c_.ui.MessageYesNo(question) == Answer::Yes;
}

ResultCode OperationCommands::ReadOutChain(bool askBeforeReplacing, bool readTwice) {
  ResultCode result = ReloadDevice();
  if (result != Result::Ok) return result;
  // Both tested once the device is known: it decides whether a companion
  // file is written.
  if (c_.state.device.DataEnd != 0 &&
      IsItsOwnCompanion(c_.state.settings.BurnFilePath, c_.state.CompanionFilePath)) {
    c_.ui.MessageInfo("Die Datei\n\n" + c_.state.settings.BurnFilePath +
                      "\n\nund ihre Begleitdatei für das Daten-EEPROM\n\n" + c_.state.CompanionFilePath +
                      "\n\nsind dieselbe Datei: das Daten-EEPROM würde den Programmspeicher überschreiben."
                      "\n\nBitte einen Namen mit einer anderen Endung als .rex wählen.");
    return Result::NotBlankOrReadOut;
  }
  if (askBeforeReplacing && !MayReplaceReadOutFiles()) return Result::NotBlankOrReadOut;
  return WorkBracket([this, readTwice] {
    if (readTwice) return ReadTwiceThenSave();
    ResultCode r = c_.readOut.ReadOutToFile(c_.state.settings.BurnFilePath, MemoryArea::ProgramMemory);
    if (r == Result::Ok) AreaInImage(MemoryArea::ProgramMemory);
    if (r == Result::Ok && c_.state.device.DataEnd != 0) {
      r = c_.readOut.ReadOutToFile(c_.state.CompanionFilePath, MemoryArea::DataEeprom);
      if (r == Result::Ok) AreaInImage(MemoryArea::DataEeprom);
    }
    if (r == Result::Ok) c_.ui.MessageInfo("\nProzessor-Programm gespeichert \n");
    return r;
  });
}

ResultCode OperationCommands::ReadTwiceThenSave() {
  const bool hasData = c_.state.device.DataEnd != 0;
  MemoryImage& image = c_.state.image;
  // Program memory waits here while the data EEPROM is read into the image.
  const auto code = std::make_unique<MemoryImage>();
  ResultCode r = c_.readOut.ReadAreaTwice(MemoryArea::ProgramMemory);
  if (r == Result::Ok) *code = image;
  if (r == Result::Ok && hasData) r = c_.readOut.ReadAreaTwice(MemoryArea::DataEeprom);
  if (r != Result::Ok) return r;
  const auto data = std::make_unique<MemoryImage>(image);
  image = *code;
  r = c_.readOut.WriteArea(c_.state.settings.BurnFilePath, MemoryArea::ProgramMemory);
  if (r == Result::Ok) AreaInImage(MemoryArea::ProgramMemory);
  if (r == Result::Ok && hasData) {
    image = *data;
    r = c_.readOut.WriteArea(c_.state.CompanionFilePath, MemoryArea::DataEeprom);
    if (r == Result::Ok) AreaInImage(MemoryArea::DataEeprom);
  }
  if (r == Result::Ok) c_.ui.MessageInfo("\nProzessor-Programm gespeichert \n");
  return r;
}

ResultCode OperationCommands::OnAuslesen() {
  if (const auto refused = Refusal()) return *refused;
  Settings& settings = c_.state.settings;
  FileDialogRequest request;
  request.filter = kReadOutFilter;
  request.defaultExtension = "hex";
  request.initialFileName = SplitPath(settings.BurnFileName).name;
  request.initialDirectory = settings.LastDirectory;
  request.filterIndex = FormatNumber(settings.DataFormat) + 1;
  // Unlike the open dialog of "Prüfen" and "Brennen", the save dialog runs
  // inside the frame, after both refusals: no other program can take the
  // programmer between the choice of the file and the read-out.
  const CommandFrame frame(c_);
  const auto choice = c_.ui.RunSaveDialog(request);
  if (!choice) return Result::NotBlankOrReadOut;
  settings.DataFormat = FormatOfNumber(choice->filterIndex - 1);
  PathParts parts = SplitPath(choice->fullPath);
  const std::string extension = Lower(parts.extension);
  if (settings.DataFormat == DataFormat::Binary && extension != ".bin") {
    parts.extension = ".bin";
  } else if (settings.DataFormat > DataFormat::Binary && extension != ".hex") {
    parts.extension = ".hex";
  } else if (settings.DataFormat <= DataFormat::Undecided) {
    settings.DataFormat = DataFormat::Binary;
  }
  AdoptBurnFile(JoinPath(parts), parts, parts.name + parts.extension);
  c_.ui.Repaint();
  return ReadOutChain(true, false);
}

ResultCode OperationCommands::ReadOutTo(const std::string& path, DataFormat dataFormat, bool readTwice) {
  if (const auto refused = Refusal()) return *refused;
  const CommandFrame frame(c_);
  c_.state.settings.DataFormat = dataFormat;
  const PathParts parts = SplitPath(path);
  AdoptBurnFile(path, parts, parts.name + parts.extension);
  return ReadOutChain(false, readTwice);
}

void OperationCommands::SetBurnFile(const std::string& path, const std::string& fileName) {
  const PathParts parts = SplitPath(path);
  AdoptBurnFile(JoinPath(parts), parts, fileName);
}

ResultCode OperationCommands::ChooseBurnFile() {
  FileDialogRequest request;
  request.filter = kBurnFileFilter;
  request.initialDirectory = c_.state.settings.LastDirectory;
  request.filterIndex = c_.state.settings.ReadFilter;
  const auto choice = c_.ui.RunOpenDialog(request);
  if (!choice) return Result::FileNotLoaded;
  c_.state.settings.ReadFilter = choice->filterIndex;
  SetBurnFile(choice->fullPath, choice->fileName);
  return Result::Ok;
}

ResultCode OperationCommands::CompanionStep(const std::function<ResultCode()>& work, bool patch) {
  switch (c_.loader.LoadCompanionFile(c_.state.CompanionFilePath)) {
    case DataFileLoader::Companion::Loaded: {
      const ResultCode patched = patch ? PatchImage(MemoryArea::DataEeprom) : Result::Ok;
      if (patched != Result::Ok) return patched;
      AreaInImage(MemoryArea::DataEeprom);
      return work();
    }
    case DataFileLoader::Companion::Absent:
      return Result::Ok;  // no data EEPROM file: nothing to do
    default:
      return Result::FileNotLoaded;  // refused, and the reason has been shown
  }
}

ResultCode OperationCommands::VerifyChain() {
  if (const ResultCode checked = CheckFiles(); checked != Result::Ok) return checked;
  ResultCode r = c_.loader.LoadDataFile(c_.state.settings.BurnFilePath, MemoryArea::ProgramMemory);
  if (r == Result::Ok) AreaInImage(MemoryArea::ProgramMemory);
  if (r == Result::Ok) r = c_.operations.VerifyArea(MemoryArea::ProgramMemory, true);
  if (r == Result::Ok) {
    r = CompanionStep([this] { return c_.operations.VerifyArea(MemoryArea::DataEeprom, true); });
  }
  if (r == Result::Ok) c_.ui.MessageInfo("Keine Fehler beim Prüfen");
  return r;
}

ResultCode OperationCommands::BurnFileCommand(const std::function<ResultCode()>& chain) {
  // Unlike the other commands, the busy test comes first and the demo test
  // after the open dialog: choosing the burn file needs no programmer, so a
  // first "Prüfen" or "Brennen" without a file offers the dialog even in
  // demo mode and the file stays chosen; while another program holds the
  // programmer, nothing opens at all.
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  const ResultCode chosen = c_.state.settings.BurnFileName.empty() ? ChooseBurnFile() : Result::Ok;
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  const CommandFrame frame(c_);
  c_.state.CompanionFilePath = CompanionOf(SplitPath(c_.state.settings.BurnFilePath));
  return chosen == Result::Ok ? DeviceWork(chain) : chosen;
}

ResultCode OperationCommands::OnPruefen() {
  return BurnFileCommand([this] { return VerifyChain(); });
}

ResultCode OperationCommands::ProgramStep(MemoryArea area, bool verify) {
  if (onlyChanged_) return c_.operations.ProgramChangedArea(area);
  ResultCode r = c_.operations.ProgramArea(area);
  if (r == Result::Ok && verify) r = c_.operations.VerifyArea(area, false);
  return r;
}

ResultCode OperationCommands::PatchImage(MemoryArea area) {
  return c_.patchImage ? c_.patchImage(area) : Result::Ok;
}

ResultCode OperationCommands::CheckFiles() { return c_.checkFiles ? c_.checkFiles() : ResultCode(Result::Ok); }

ResultCode OperationCommands::ProgramChain() {
  const bool verify = c_.state.settings.Verify > 0;
  if (const ResultCode checked = CheckFiles(); checked != Result::Ok) return checked;
  ResultCode r = c_.loader.LoadDataFile(c_.state.settings.BurnFilePath, MemoryArea::ProgramMemory);
  if (r == Result::Ok) r = PatchImage(MemoryArea::ProgramMemory);
  if (r == Result::Ok) AreaInImage(MemoryArea::ProgramMemory);
  if (r == Result::Ok) r = ProgramStep(MemoryArea::ProgramMemory, verify);
  if (c_.state.device.DataEnd != 0 && r == Result::Ok) {
    r = CompanionStep([this, verify] { return ProgramStep(MemoryArea::DataEeprom, verify); }, true);
  }
  if (r == Result::Ok) r = c_.operations.ProgramInitRegister1();
  if (r == Result::Ok) c_.ui.MessageInfo("Keine Fehler beim prüfen\n");
  return r;
}

ResultCode OperationCommands::OnBrennen() {
  return BurnFileCommand([this] { return ProgramChain(); });
}

}  // namespace ferolith
