#include "app/DesktopCommandLine.h"

#include <filesystem>
#include <system_error>

#include "app/LicenceNotice.h"
#include "app/ProjectOpening.h"
#include "app/SimulationFileCheck.h"
#include "core/Utf8Path.h"
#include "platform/WorkingFolder.h"

namespace ferolith {

std::string VersionText() { return std::string("ferolith ") + FEROLITH_VERSION + '\n' + std::string(kLicenceNotice); }

std::optional<DesktopStart> ParseCommandLine(const std::vector<std::string>& arguments,
                                             const std::string& workingDirectory, std::string* refusal) {
  static constexpr std::string_view kSimulate = "--simulate";
  static constexpr std::string_view kSimulateAbsent = "--simulate-absent=";
  static constexpr std::string_view kTrace = "--trace=";
  static constexpr std::string_view kSimulateSpeed = "--simulate-speed=";
  DesktopStart start;
  start.options.workingDirectory = workingDirectory;
  // DebugNT=1 shows the port probe's report at start-up in a box.
  start.options.portReportAtStartUp = true;
  if (arguments.size() == 2 && arguments[1] == "--help") {
    start.request = DesktopStart::Request::Help;
    return start;
  }
  if (arguments.size() == 2 && arguments[1] == "--version") {
    start.request = DesktopStart::Request::Version;
    return start;
  }
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--menu") {
      start.menu = true;
    } else if (argument == kSimulate) {
      start.options.simulate = true;
    } else if (argument.starts_with(kSimulateAbsent)) {
      start.options.simulateAbsentProgrammer =
          sim::AbsentStatusNamed(argument.substr(kSimulateAbsent.size()));
      if (!start.options.simulateAbsentProgrammer) return std::nullopt;
      start.options.simulate = true;
    } else if (argument.starts_with(kSimulateSpeed)) {
      const auto speed = sim::ParseSimulationSpeed(argument.substr(kSimulateSpeed.size()));
      if (!speed) return std::nullopt;
      start.options.simulateSpeed = *speed;
      start.options.simulate = true;
    } else if (argument.starts_with(kTrace) && argument.size() > kTrace.size()) {
      start.options.traceFile = std::string(argument.substr(kTrace.size()));
    } else if (argument.starts_with(kSimulate) && argument.size() > kSimulate.size() + 1 &&
               argument[kSimulate.size()] == '=') {
      start.options.simulate = true;
      start.options.simulationFile = std::string(argument.substr(kSimulate.size() + 1));
      if (const auto reason = SimulationFileRefusal(start.options.simulationFile)) {
        if (refusal != nullptr) *refusal = *reason;
        return std::nullopt;
      }
    } else if (!argument.empty() && argument.front() != '-' && IsProjectFileName(std::string(argument)) && start.projectFile.empty()) {
      std::filesystem::path project = PathFromUtf8(argument);
      if (project.is_relative()) project = PathFromUtf8(workingDirectory) / project;
      start.projectFile = Utf8FromPath(project.lexically_normal());
    } else {
      return std::nullopt;
    }
  }
  return start;
}

std::string EnterMenuFolder(ProgramOptions& options) {
  const MenuFolder folder = PrepareMenuFolder(MenuFolderRequestFromEnvironment());
  if (!folder.error.empty()) return folder.error;
  std::error_code error;
  std::filesystem::current_path(PathFromUtf8(folder.path), error);
  if (error) return "Kann nicht in den Arbeitsordner\n'" + folder.path + "'\nwechseln !";
  options.workingDirectory = folder.path;
  return {};
}

}  // namespace ferolith
