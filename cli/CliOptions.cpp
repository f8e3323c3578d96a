#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "core/NumberText.h"

namespace ferolith::cli {

namespace {

struct FormatName {
  const char* name;
  int code;
};

constexpr FormatName kFormats[] = {
    {"bin", DataFormat::Binary},       {"intel8", DataFormat::Intel8},
    {"intel32", DataFormat::Intel32},  {"intelmcs", DataFormat::IntelMCS},
    {"s1", DataFormat::MotorolaS1},    {"s2", DataFormat::MotorolaS2},
    {"s3", DataFormat::MotorolaS3},
};

constexpr const char* kDescription =
    "ferolith-cli - programs ACE11/ACE12 microcontrollers with the Kalvenor programmer.\n"
    "Uses KALVENOR.INI and ACELIST.CSV of the working directory, like the desktop program.\n"
    "Every message of the program goes to standard error as a line \"Meldung: ...\".\n"
    "Exit status: 0 success; 2 cancelled at the socket box; 3 file not loaded;\n"
    "4 non-blank cells or read-out failed; 5 blank check stopped; 6 verification failed;\n"
    "7 programming failed or programmer busy; 8 programmer not found (demo mode);\n"
    "10 handshake timeout; 13 device library error; 64 usage error.";

constexpr const char* kExamples =
    "\nExamples:\n"
    "  ferolith-cli --simulate=chip.sim devices\n"
    "  ferolith-cli --simulate=chip.sim --manufacturer 0 --device 1 -y program firmware.hex\n"
    "  ferolith-cli --simulate=chip.sim -y verify firmware.hex\n"
    "  ferolith-cli --simulate=chip.sim -y --format s1 read backup.s19\n"
    "  ferolith-cli --format intel32 convert firmware.bin firmware.hex\n"
    "  ferolith-cli --simulate-absent=busy-inverted detect\n";

// "--x"/"--no-x" pairs: the last one given wins.
void AddSwitchPair(CLI::App& app, const std::string& name, const std::string& help,
                   std::optional<bool>& target) {
  app.add_flag_callback("--" + name, [&target] { target = true; }, help);
  app.add_flag_callback("--no-" + name, [&target] { target = false; }, "");
}

}  // namespace

int FormatCode(const std::string& name) {
  for (const FormatName& format : kFormats) {
    if (name == format.name) return format.code;
  }
  return 0;
}

std::variant<CliOptions, int> ParseCommandLine(int argc, const char* const* argv, std::ostream& out,
                                               std::ostream& err) {
  CliOptions options;
  CLI::App app(kDescription, "ferolith-cli");
  app.footer(kExamples);
  app.set_version_flag("--version", "ferolith-cli 1.02");
  app.require_subcommand(1);
  app.fallthrough();

  std::optional<std::string> simulate;
  app.add_option("--simulate", simulate,
                 "use the virtual programmer and chip; FILE keeps the chip between runs")
      ->expected(0, 1)
      ->type_name("[=FILE]");
  std::optional<std::string> absent;
  std::vector<std::string> absentModels;
  for (const sim::AbsentStatusName& model : sim::kAbsentStatusNames) absentModels.emplace_back(model.name);
  app.add_option("--simulate-absent", absent,
                 "simulate with the programmer absent; its port reads as MODEL shows: high (0xFF), "
                 "busy-inverted (0x7F, pulled-up inputs) or low (0x80, inputs pulled low)")
      ->check(CLI::IsMember(absentModels))
      ->type_name("MODEL");
  app.add_option("--manufacturer", options.manufacturer,
                 "select the manufacturer by name or 0-based index (default: ManufIndex)");
  app.add_option("--device", options.device,
                 "select the device by name or 0-based index (default: DeviceIndex)");
  app.add_flag("-y,--yes", options.yes,
               "answer OK to socket instructions and confirmations, WDIS included");
  std::string onError = "cancel";
  app.add_option("--on-error", onError, "answer to per-address Retry/Cancel reports")
      ->check(CLI::IsMember({"retry", "cancel"}))
      ->default_str("cancel");
  AddSwitchPair(app, "verify", "verify after programming (overrides Verify)", options.verify);
  AddSwitchPair(app, "save-blank", "write blank cells into read-out files (overrides FFSave)",
                options.saveBlank);
  AddSwitchPair(app, "checksum", "check HEX record checksums (overrides TestChecksum)",
                options.checksum);
  std::optional<std::uint32_t> lineLength;
  app.add_option("--line-length", lineLength, "data bytes per HEX record, 16..255, rounded down to even")
      ->check(CLI::Range(16u, 255u));
  std::optional<std::string> format;
  app.add_option("--format", format, "format for read and convert (default: DataFormat)")
      ->check(CLI::IsMember({"bin", "intel8", "intel32", "intelmcs", "s1", "s2", "s3"}));
  std::string area = "code";
  app.add_option("--area", area, "memory area for convert")
      ->check(CLI::IsMember({"code", "data"}))
      ->default_str("code");
  app.add_flag("-q,--quiet", options.quiet, "no progress bar");

  std::vector<std::string> files;
  std::string initValue;
  auto* devices = app.add_subcommand("devices", "list manufacturers and their devices");
  auto* detect = app.add_subcommand("detect", "look for the programmer");
  auto* blank = app.add_subcommand("blank", "blank check of program memory and data EEPROM");
  auto* program = app.add_subcommand("program",
                                     "program FILE and its companion .rex file, then InitRegister1");
  program->add_option("FILE", files, "burn file (binary, Intel HEX or Motorola S-records)")
      ->required()
      ->expected(1);
  auto* verify = app.add_subcommand("verify", "verify the chip against FILE and its companion");
  verify->add_option("FILE", files, "burn file")->required()->expected(1);
  auto* read = app.add_subcommand(
      "read", "read the chip into FILE (and the data EEPROM into the companion .rex file)");
  read->add_option("FILE", files, "file to write, under exactly this name")->required()->expected(1);
  auto* initreg = app.add_subcommand(
      "initreg", "read InitRegister1 from the chip; with VALUE (hex) set it in KALVENOR.INI");
  initreg->add_option("VALUE", initValue, "new InitRegister1 value, hexadecimal");
  auto* convert = app.add_subcommand(
      "convert", "load IN for the selected device (with the range check) and write OUT in --format");
  convert->add_option("IN OUT", files, "input and output file")->required()->expected(2);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error, out, err);
    return status == 0 ? 0 : kUsageError;
  }

  const std::pair<CLI::App*, Command> commands[] = {
      {devices, Command::Devices}, {detect, Command::Detect},   {blank, Command::Blank},
      {program, Command::Program}, {verify, Command::Verify},   {read, Command::Read},
      {initreg, Command::InitReg}, {convert, Command::Convert},
  };
  for (const auto& [sub, command] : commands) {
    if (sub->parsed()) options.command = command;
  }
  options.files = files;
  if (simulate) {
    options.simulate = true;
    options.simulationFile = *simulate;
  }
  if (absent) {
    options.simulate = true;
    options.absentProgrammer = sim::AbsentStatusNamed(*absent);
  }
  options.retryOnError = onError == "retry";
  if (lineLength) options.lineLength = *lineLength & 0xFEu;
  if (format) options.format = FormatCode(*format);
  options.area = area == "data" ? MemoryArea::DataEeprom : MemoryArea::ProgramMemory;
  if (!initValue.empty()) {
    const std::string digits = initValue.rfind("0x", 0) == 0 || initValue.rfind("0X", 0) == 0
                                   ? initValue.substr(2)
                                   : initValue;
    std::uint32_t value = 0;
    const bool hex = !digits.empty() && digits.size() <= 2 &&
                     digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    if (hex) value = ParseHex(digits);
    if (!hex) {
      err << "initreg: VALUE must be a hexadecimal byte such as c5 or 0x3F\n";
      return kUsageError;
    }
    options.initRegisterValue = static_cast<std::uint8_t>(value);
  }
  return options;
}

}  // namespace ferolith::cli
