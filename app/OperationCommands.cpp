#include "app/OperationCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "chip/AceProtocol.h"
#include "chip/ChipOperations.h"
#include "chip/ReadOut.h"
#include "config/DeviceLibrary.h"
#include "core/PathParts.h"
#include "core/Utf8Path.h"
#include "files/DataFileLoader.h"
#include "hardware/PowerSequencer.h"
#include "platform/DesktopMarkers.h"
#include "platform/Priority.h"

namespace ferolith {

namespace {

constexpr const char* kIdle = "Warte auf Eingaben";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string CompanionOf(const PathParts& parts) {
  return parts.drive + parts.directory + parts.name + ".rex";
}

}  // namespace

OperationCommands::OperationCommands(CommandContext context) : c_(std::move(context)) {}

OperationCommands::~OperationCommands() = default;

bool OperationCommands::IsProgrammerBusy() { return c_.markers.Exists(Marker::ProgrammerBusy); }

ResultCode OperationCommands::ShowDemoRefusal() {
  c_.ui.MessageInfo("Keine Aktionen des Brenners möglich !\n\nProgramm läuft im Demomodus.");
  return Result::ProgrammerNotFound;
}

void OperationCommands::CreateActivityWindow() {
  activity_ = c_.markers.Hold(Marker::ProgrammerBusy);
  c_.ui.ShowActivityWindow(true);
}

void OperationCommands::Closing() {
  c_.ui.EnableCancelButton(false);
  c_.state.CancelRequested = 0;
  c_.ui.SetStatus(kIdle);
  c_.ui.ShowActivityWindow(false);
  activity_.reset();
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
    PriorityGuard priority(c_.state.OsId);
    result = work();
  }
  c_.ui.EnableControls();
  return result;
}

void OperationCommands::RebuildCompanionPath() {
  c_.state.CompanionFilePath = CompanionOf(SplitPath(c_.state.settings.BurnFilePath));
}

ResultCode OperationCommands::OnLeertest() {
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  CreateActivityWindow();
  ResultCode result = ReloadDevice();
  if (result == Result::Ok) result = WorkBracket([this] { return c_.operations.BlankCheck(); });
  Closing();
  return result;
}

ResultCode OperationCommands::ReadInitRegister1Pass(std::uint8_t& value, std::uint64_t timeouts) {
  c_.ui.SetStatus("Lese InitRegister1");
  c_.ui.Repaint();
  c_.power.EnterProgrammingMode();
  c_.protocol.ClearReadErrorFlag();
  value = c_.protocol.ReadInitRegister1();
  if (c_.protocol.ReadErrorFlag() == Result::Ok) value = c_.protocol.ReadInitRegister1();
  c_.power.LeaveProgrammingMode();
  // The byte counts only when every step was answered, power-down included.
  const ResultCode read = c_.protocol.ReadErrorFlag();
  return read == Result::Ok && c_.power.LinkTimeouts() != timeouts ? Result::HandshakeTimeout : read;
}

ResultCode OperationCommands::OnInitRegister() {
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  CreateActivityWindow();
  ResultCode result = ReloadDevice();
  if (result == Result::Ok) {
    result = WorkBracket([this] {
      const std::uint64_t timeouts = c_.power.LinkTimeouts();
      c_.power.SafeState();
      if (c_.power.ShowSocketInstructions("#### InitRegister1 lesen  ####\n") == Answer::Cancel) {
        return Result::SocketCancelled;
      }
      std::uint8_t value = 0;
      const ResultCode read = ReadInitRegister1Pass(value, timeouts);
      if (read == Result::Ok) {
        c_.state.settings.InitRegister1Value = value;
        c_.ui.ShowInitRegister1(value);
        c_.ui.MessageInfo("InitRegister1 gelesen");
      }
      return read;
    });
  }
  Closing();
  return result;
}

ResultCode OperationCommands::ReadInitRegister1InPlace(std::uint8_t& value) {
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  CreateActivityWindow();
  ResultCode result = ReloadDevice();
  if (result == Result::Ok) {
    result = WorkBracket([&] {
      const std::uint64_t timeouts = c_.power.LinkTimeouts();
      c_.power.SafeState();
      return ReadInitRegister1Pass(value, timeouts);
    });
  }
  Closing();
  return result;
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
  // Asked once the device is known: it decides whether a companion file is written.
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
  Settings& settings = c_.state.settings;
  FileDialogRequest request;
  request.filter = kReadOutFilter;
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  request.defaultExtension = "hex";
  request.initialFileName = SplitPath(settings.BurnFileName).name;
  request.initialDirectory = settings.LastDirectory;
  request.filterIndex = settings.DataFormat + 1;
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  CreateActivityWindow();
  ResultCode result = Result::NotBlankOrReadOut;
  if (const auto choice = c_.ui.RunSaveDialog(request)) {
    settings.DataFormat = choice->filterIndex - 1;
    PathParts parts = SplitPath(choice->fullPath);
    const std::string extension = Lower(parts.extension);
    if (settings.DataFormat == DataFormat::Binary && extension != ".bin") {
      parts.extension = ".bin";
    } else if (settings.DataFormat > DataFormat::Binary && extension != ".hex") {
      parts.extension = ".hex";
    } else if (settings.DataFormat <= DataFormat::Undecided) {
      settings.DataFormat = DataFormat::Binary;
    }
    settings.BurnFilePath = JoinPath(parts);
    c_.state.CompanionFilePath = CompanionOf(parts);
    settings.LastDirectory = parts.drive + parts.directory;
    settings.BurnFileName = parts.name + parts.extension;
    c_.ui.ShowBurnFileName(settings.BurnFileName);
    c_.ui.Repaint();
    result = ReadOutChain(true, false);
  }
  Closing();
  return result;
}

ResultCode OperationCommands::ReadOutTo(const std::string& path, int dataFormat, bool readTwice) {
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  CreateActivityWindow();
  Settings& settings = c_.state.settings;
  settings.DataFormat = dataFormat;
  const PathParts parts = SplitPath(path);
  settings.BurnFilePath = path;
  c_.state.CompanionFilePath = CompanionOf(parts);
  settings.LastDirectory = parts.drive + parts.directory;
  settings.BurnFileName = parts.name + parts.extension;
  c_.ui.ShowBurnFileName(settings.BurnFileName);
  const ResultCode result = ReadOutChain(false, readTwice);
  Closing();
  return result;
}

void OperationCommands::SetBurnFile(const std::string& path, const std::string& fileName) {
  Settings& settings = c_.state.settings;
  const PathParts parts = SplitPath(path);
  settings.BurnFilePath = JoinPath(parts);
  c_.state.CompanionFilePath = CompanionOf(parts);
  settings.LastDirectory = parts.drive + parts.directory;
  settings.BurnFileName = fileName;
  c_.ui.ShowBurnFileName(fileName);
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

ResultCode OperationCommands::CompanionStep(const std::function<ResultCode()>& work) {
  switch (c_.loader.LoadCompanionFile(c_.state.CompanionFilePath)) {
    case DataFileLoader::Companion::Loaded:
      AreaInImage(MemoryArea::DataEeprom);
      return work();
    case DataFileLoader::Companion::Absent:
      return Result::Ok;  // no data EEPROM file: nothing to do
    default:
      return Result::FileNotLoaded;  // refused, and the reason has been shown
  }
}

ResultCode OperationCommands::VerifyChain() {
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
  if (IsProgrammerBusy()) return Result::ProgramFailed;
  // The open dialog comes first, even in demo mode, when no file is chosen yet.
  ResultCode result = c_.state.settings.BurnFileName.empty() ? ChooseBurnFile() : Result::Ok;
  if (c_.state.DemoMode > 0) return ShowDemoRefusal();
  CreateActivityWindow();
  RebuildCompanionPath();
  if (result == Result::Ok) result = ReloadDevice();
  if (result == Result::Ok) result = WorkBracket(chain);
  Closing();
  return result;
}

ResultCode OperationCommands::OnPruefen() {
  return BurnFileCommand([this] { return VerifyChain(); });
}

ResultCode OperationCommands::ProgramChain() {
  const bool verify = c_.state.settings.Verify > 0;
  ResultCode r = c_.loader.LoadDataFile(c_.state.settings.BurnFilePath, MemoryArea::ProgramMemory);
  if (r == Result::Ok) AreaInImage(MemoryArea::ProgramMemory);
  if (r == Result::Ok) r = c_.operations.ProgramArea(MemoryArea::ProgramMemory);
  if (r == Result::Ok && verify) r = c_.operations.VerifyArea(MemoryArea::ProgramMemory, false);
  if (c_.state.device.DataEnd != 0 && r == Result::Ok) {
    r = CompanionStep([this, verify] {
      ResultCode data = c_.operations.ProgramArea(MemoryArea::DataEeprom);
      if (data == Result::Ok && verify) data = c_.operations.VerifyArea(MemoryArea::DataEeprom, false);
      return data;
    });
  }
  if (r == Result::Ok) r = c_.operations.ProgramInitRegister1();
  if (r == Result::Ok) c_.ui.MessageInfo("Keine Fehler beim prüfen\n");
  return r;
}

ResultCode OperationCommands::OnBrennen() {
  return BurnFileCommand([this] { return ProgramChain(); });
}

}  // namespace ferolith
