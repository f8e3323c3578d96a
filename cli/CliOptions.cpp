#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iterator>
#include <memory>
#include <ostream>

#include "app/LicenceNotice.h"
#include "app/SimulationFileCheck.h"
#include "cli/CliTexts.h"
#include "cli/HelpFormatter.h"
#include "core/DataFormatName.h"
#include "core/NumberText.h"
#include "core/TextFormat.h"
#include "port/PortBackends.h"

namespace ferolith::cli {

namespace {

// A usage error found after parsing: its German text.
struct UsageError {
  std::string text;
};

std::string Join(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : ", ") + word;
  return joined;
}

// CLI11's own checks speak English; these say the same in German.
CLI::Validator OneOf(std::vector<std::string> allowed) {
  return CLI::Validator(
      [allowed](std::string& value) -> std::string {
        for (const std::string& word : allowed) {
          if (value == word) return "";
        }
        return FormatText(texts::kNotAllowed, value.c_str(), Join(allowed).c_str());
      },
      "");
}

CLI::Validator WholeNumberFrom(unsigned low, unsigned high) {
  return CLI::Validator(
      [low, high](std::string& value) -> std::string {
        std::uint32_t number = 0;
        if (IsWholeUnsigned(value, &number) && number >= low && number <= high) return "";
        return FormatText(texts::kNotInRange, value.c_str(), low, high);
      },
      "");
}

// A byte in hex, with or without 0x: the value, or nothing.
std::optional<std::uint8_t> HexByte(const std::string& value) {
  const auto byte = HexDigitsValue(value, 2);
  return byte ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*byte)) : std::nullopt;
}

CLI::Validator SerialFieldCheck() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        return ParseSerialField(value) ? "" : FormatText(texts::kBadSerialField, value.c_str());
      },
      "");
}

// A port base address in hex, with or without 0x, 0x1 to 0xFFFF.
std::optional<std::int32_t> PortAddress(const std::string& value) {
  const auto address = HexDigitsValue(value, 4);
  return address && *address != 0 ? std::optional<std::int32_t>(static_cast<std::int32_t>(*address)) : std::nullopt;
}

CLI::Validator PortCheck() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        return PortAddress(value) ? "" : FormatText(texts::kBadPort, value.c_str());
      },
      "");
}

CLI::Validator SpeedCheck() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        return sim::ParseSimulationSpeed(value) ? "" : FormatText(texts::kBadSpeed, value.c_str());
      },
      "");
}

CLI::Validator HexByteCheck() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        return HexByte(value) ? "" : FormatText(texts::kBadMask, value.c_str());
      },
      "");
}

// Options and commands are registered with their lines of CliTexts.h.
template <typename T>
CLI::Option* AddOption(CLI::App& app, std::string_view names, T& target) {
  const texts::OptionText& text = texts::OptionTextOf(names);
  return app.add_option(std::string(names), target, std::string(text.help))
      ->option_text(std::string(text.value));
}

CLI::Option* AddFlag(CLI::App& app, std::string_view names, bool& target) {
  return app.add_flag(std::string(names), target, std::string(texts::OptionTextOf(names).help));
}

// A "--x,!--no-x" pair: the last one given wins; unset when neither is
// given. A bool target, so that a value such as "--x=abc" is CLI11's
// conversion error (its flag functions throw std::invalid_argument there).
class SwitchPair {
 public:
  SwitchPair(CLI::App& app, std::string_view names)
      : option_(app.add_flag(std::string(names), value_,
                             std::string(texts::OptionTextOf(names).help))) {
    option_->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  }
  SwitchPair(const SwitchPair&) = delete;
  SwitchPair& operator=(const SwitchPair&) = delete;

  std::optional<bool> Value() const {
    return option_->count() > 0 ? std::optional<bool>(value_) : std::nullopt;
  }

 private:
  bool value_ = false;
  CLI::Option* option_;
};

struct CommandSlot {
  Command command;
  std::size_t minArguments;
  std::size_t maxArguments;
  CLI::App* app;
};

CLI::App* AddCommand(CLI::App& app, std::string_view name, std::vector<std::string>& arguments) {
  const texts::CommandText& text = texts::CommandTextOf(name);
  CLI::App* command = app.add_subcommand(std::string(name), std::string(text.help));
  command->group(std::string(texts::kCommandsGroup));
  // Made again so that it joins the German group of the options.
  command->set_help_flag("-h,--help", std::string(texts::OptionTextOf("-h,--help").help));
  if (!text.arguments.empty()) {
    std::string label(text.arguments);
    if (label.front() == '[') label = label.substr(1, label.size() - 2);
    // Counted after parsing, so that a missing or extra argument gets a
    // German message naming the command.
    command->add_option(label, arguments, std::string(text.argumentHelp))
        ->expected(0, CLI::detail::expected_max_vector_size);
  }
  return command;
}

// The German text of a parse error that CLI11 found itself. Its messages
// read "NAME: detail" (or "Could not convert: NAME = VALUE"); only the name
// or the argument is taken over.
std::string TextOf(const CLI::ParseError& error) {
  const std::string what = error.what();
  // Our validators already speak German.
  if (dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) return what;
  const std::size_t colon = what.find(": ");
  if (colon == std::string::npos) return FormatText(texts::kNotUnderstood, what.c_str());
  const std::string before = what.substr(0, colon);
  const std::string after = what.substr(colon + 2);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr &&
      what.find("missing") != std::string::npos) {
    return FormatText(texts::kMissingValue, before.c_str());
  }
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
    return FormatText(texts::kNotUnderstood, after.c_str());
  }
  return FormatText(texts::kNotUnderstood, before.c_str());
}

std::optional<UsageError> CheckArguments(const CLI::App& app, const CommandSlot* chosen,
                                         const std::vector<std::string>& arguments) {
  const std::vector<std::string> extras = app.remaining(true);
  if (!extras.empty()) {
    const std::string& first = extras.front();
    if (chosen == nullptr && first.rfind('-', 0) != 0) {  // an empty word too
      return UsageError{FormatText(texts::kUnknownCommand, first.c_str())};
    }
    return UsageError{FormatText(texts::kUnexpectedArgument, first.c_str())};
  }
  if (chosen == nullptr) return UsageError{texts::kNoCommand};
  if (arguments.size() < chosen->minArguments) {
    const texts::CommandText& text = texts::CommandTextOf(chosen->app->get_name());
    return UsageError{FormatText(texts::kMissingArguments, chosen->app->get_name().c_str(),
                                 std::string(text.arguments).c_str())};
  }
  if (arguments.size() > chosen->maxArguments) {
    return UsageError{
        FormatText(texts::kUnexpectedArgument, arguments[chosen->maxArguments].c_str())};
  }
  return std::nullopt;
}

int ReportUsageError(const std::string& text, std::ostream& err) {
  err << texts::kErrorPrefix << text << '\n' << texts::kErrorHint << '\n';
  return kUsageError;
}

}  // namespace

std::string VersionText() {
  std::string text = std::string(texts::kVersionName) + ' ' + FEROLITH_VERSION + '\n' +
                     std::string(kLicenceNotice) + std::string(texts::kBackendsHeading) + '\n';
  for (const PortBackend& backend : PortBackends()) {
    text += FormatText("  %-10s %s\n", backend.id, backend.description);
  }
  text += FormatText("  %-10s %s\n", std::string(texts::kSimulatorId).c_str(),
                     std::string(texts::kSimulatorHelp).c_str());
  return text;
}

std::variant<CliOptions, int> ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err) {
  CliOptions options;
  CLI::App app(std::string(texts::kDescription), "ferolith-cli");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(std::string(texts::kFooter));
  app.option_defaults()->group(std::string(texts::kOptionsGroup));
  app.set_help_flag("-h,--help", std::string(texts::OptionTextOf("-h,--help").help));
  app.set_version_flag("--version", VersionText,
                       std::string(texts::OptionTextOf("--version").help));
  app.require_subcommand(0, 1);
  app.allow_extras();
  app.fallthrough();

  std::optional<std::string> simulate;
  AddOption(app, "--simulate", simulate)->expected(0, 1);
  std::optional<std::string> absent;
  std::vector<std::string> absentModels;
  for (const sim::AbsentStatusName& model : sim::kAbsentStatusNames) absentModels.emplace_back(model.name);
  AddOption(app, "--simulate-absent", absent)->check(OneOf(absentModels));
  AddFlag(app, "--simulate-empty-socket", options.emptySocket);
  std::optional<std::string> stuckLow;
  AddOption(app, "--simulate-stuck-low", stuckLow)->check(HexByteCheck());
  std::optional<std::string> stuckHigh;
  AddOption(app, "--simulate-stuck-high", stuckHigh)->check(HexByteCheck());
  std::optional<std::string> speed;
  AddOption(app, "--simulate-speed", speed)->check(SpeedCheck());
  AddOption(app, "--trace", options.traceFile);
  AddOption(app, "--manufacturer", options.manufacturer);
  AddOption(app, "--device", options.device);
  AddFlag(app, "-y,--yes", options.yes);
  std::string onError = "cancel";
  AddOption(app, "--on-error", onError)->check(OneOf({"retry", "cancel"}));
  const SwitchPair verify(app, "--verify,!--no-verify");
  const SwitchPair saveBlank(app, "--save-blank,!--no-save-blank");
  const SwitchPair checksum(app, "--checksum,!--no-checksum");
  std::optional<std::uint32_t> lineLength;
  AddOption(app, "--line-length", lineLength)->check(WholeNumberFrom(16, 255));
  std::optional<std::string> format;
  std::vector<std::string> formatNames;
  for (const DataFormatName& entry : kDataFormatNames) formatNames.emplace_back(entry.name);
  AddOption(app, "--format", format)->check(OneOf(formatNames));
  std::string area = "code";
  AddOption(app, "--area", area)->check(OneOf({"code", "data"}));
  AddFlag(app, "-q,--quiet", options.quiet);
  AddFlag(app, "--repeat", options.repeat);
  AddFlag(app, "--keep-going", options.keepGoing);
  AddOption(app, "--log", options.logFile);
  AddFlag(app, "-l,--long", options.longList);
  std::optional<std::string> serialField;
  AddOption(app, "--serial", serialField)->check(SerialFieldCheck());
  std::optional<std::uint32_t> serialStart;
  AddOption(app, "--serial-start", serialStart)->check(WholeNumberFrom(0, 0xFFFFFFFFu));
  std::optional<std::uint32_t> serialStep;
  AddOption(app, "--serial-step", serialStep)->check(WholeNumberFrom(1, 0xFFFFFFFFu));
  std::optional<std::string> serialFormat;
  AddOption(app, "--serial-format", serialFormat)->check(OneOf({"le", "be", "bcd", "ascii"}));
  std::optional<std::string> serialFile;
  AddOption(app, "--serial-file", serialFile);
  bool serialOverwrite = false;
  AddFlag(app, "--serial-overwrite", serialOverwrite);
  AddFlag(app, "--only-changed", options.onlyChanged);
  std::optional<std::string> port;
  AddOption(app, "--port", port)->check(PortCheck());
  AddOption(app, "--project", options.project);
  AddFlag(app, "--accept-changed-file", options.acceptChangedFile);

  std::vector<std::string> arguments;
  const CommandSlot commands[] = {
      {Command::Devices, 0, 0, AddCommand(app, "devices", arguments)},
      {Command::Detect, 0, 0, AddCommand(app, "detect", arguments)},
      {Command::Probe, 0, 0, AddCommand(app, "probe", arguments)},
      {Command::Blank, 0, 0, AddCommand(app, "blank", arguments)},
      {Command::Program, 0, 1, AddCommand(app, "program", arguments)},
      {Command::Verify, 0, 1, AddCommand(app, "verify", arguments)},
      {Command::Read, 1, 1, AddCommand(app, "read", arguments)},
      {Command::InitReg, 0, 1, AddCommand(app, "initreg", arguments)},
      {Command::Convert, 2, 2, AddCommand(app, "convert", arguments)},
      {Command::SaveProject, 1, 2, AddCommand(app, "save-project", arguments)},
  };

  // "--simulate" may take the next word as its file. A word that names an
  // existing file of another kind is left to the command instead (as in
  // "program fw.hex --simulate blink.rex"): taken, that file would be
  // replaced by the virtual chip.
  std::vector<const char*> words(argv, argv + argc);
  bool simulateWithoutFile = false;
  for (std::size_t i = 1; i + 1 < words.size(); ++i) {
    if (std::string_view(words[i]) != "--simulate") continue;
    const std::string next = words[i + 1];
    const bool commandName = std::any_of(std::begin(commands), std::end(commands),
                                         [&](const CommandSlot& slot) { return slot.app->get_name() == next; });
    if (next.empty() || next.front() == '-' || commandName || !SimulationFileRefusal(next)) continue;
    err << FormatText(texts::kSimulateWordLeft, next.c_str()) << '\n';
    words.erase(words.begin() + static_cast<std::ptrdiff_t>(i));
    simulateWithoutFile = true;
  }

  try {
    app.parse(static_cast<int>(words.size()), words.data());
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForVersion& version) {
    out << version.what();
    return 0;
  } catch (const CLI::ParseError& error) {
    return ReportUsageError(TextOf(error), err);
  }

  const CommandSlot* chosen = nullptr;
  for (const CommandSlot& slot : commands) {
    if (slot.app->parsed()) chosen = &slot;
  }
  if (const auto error = CheckArguments(app, chosen, arguments)) {
    return ReportUsageError(error->text, err);
  }
  options.command = chosen->command;
  // The burn file of program and verify may come from the project.
  if ((options.command == Command::Program || options.command == Command::Verify) && arguments.empty() &&
      !options.project) {
    return ReportUsageError(FormatText(texts::kMissingBurnFile, chosen->app->get_name().c_str()), err);
  }
  // Options that belong to one command, or to another option.
  const char* needs[2] = {nullptr, nullptr};
  const char* serialDetail = serialStart    ? "--serial-start"
                             : serialStep   ? "--serial-step"
                             : serialFormat ? "--serial-format"
                             : serialFile   ? "--serial-file"
                             : serialOverwrite ? "--serial-overwrite"
                                               : nullptr;
  const bool serialAllowed = options.command == Command::Program || options.command == Command::SaveProject;
  if ((options.command != Command::Program && (options.repeat || options.logFile || options.onlyChanged)) ||
      (serialField && !serialAllowed)) {
    needs[0] = options.repeat ? "--repeat" : options.logFile ? "--log" : options.onlyChanged ? "--only-changed" : "--serial";
    needs[1] = "program";
  } else if (options.acceptChangedFile && !options.project) {
    needs[0] = "--accept-changed-file";
    needs[1] = "--project";
  } else if (options.project && options.command == Command::InitReg && !arguments.empty()) {
    return ReportUsageError(texts::kInitRegWithProject, err);
  } else if (serialDetail != nullptr && !serialField) {
    needs[0] = serialDetail;
    needs[1] = "--serial";
  } else if (options.keepGoing && !options.repeat) {
    needs[0] = "--keep-going";
    needs[1] = "--repeat";
  } else if (options.longList && options.command != Command::Devices) {
    needs[0] = "-l";
    needs[1] = "devices";
  }
  if (needs[0] != nullptr) return ReportUsageError(FormatText(texts::kOnlyWith, needs[0], needs[1]), err);

  if (port) options.port = PortAddress(*port);
  if (serialField) {
    SerialOptions serial;
    serial.field = *ParseSerialField(*serialField);
    serial.start = serialStart.value_or(1);
    serial.step = serialStep.value_or(1);
    serial.format = SerialFormatNamed(serialFormat.value_or("le")).value();
    serial.counterFile = serialFile;
    serial.overwrite = serialOverwrite;
    options.serial = serial;
  }
  if (options.command == Command::InitReg && !arguments.empty()) {
    options.initRegisterValue = HexByte(arguments.front());
    if (!options.initRegisterValue) return ReportUsageError(texts::kBadByte, err);
  } else {
    options.files = arguments;
  }
  if (simulate || simulateWithoutFile) {
    options.simulate = true;
    options.simulationFile = simulate.value_or("");
    // Refused before anything runs: the file would be replaced.
    if (!options.simulationFile.empty()) {
      if (const auto refusal = SimulationFileRefusal(options.simulationFile)) return ReportUsageError(*refusal, err);
    }
  }
  options.verify = verify.Value();
  options.saveBlank = saveBlank.Value();
  options.checksum = checksum.Value();
  if (options.emptySocket) options.simulate = true;
  if (absent) {
    options.simulate = true;
    options.absentProgrammer = sim::AbsentStatusNamed(*absent);
  }
  if (speed) {
    options.simulate = true;
    options.speed = *sim::ParseSimulationSpeed(*speed);
  }
  if (stuckLow || stuckHigh) {
    options.simulate = true;
    options.stuckLow = stuckLow ? *HexByte(*stuckLow) : 0;
    options.stuckHigh = stuckHigh ? *HexByte(*stuckHigh) : 0;
  }
  options.retryOnError = onError == "retry";
  if (lineLength) options.lineLength = *lineLength & 0xFEu;
  if (format) options.format = DataFormatNamed(*format);
  options.area = area == "data" ? MemoryArea::DataEeprom : MemoryArea::ProgramMemory;
  return options;
}

}  // namespace ferolith::cli
