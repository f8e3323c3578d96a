#include "gui/CommandLine.h"

namespace ferolith {

std::optional<ProgramOptions> ParseCommandLine(const std::vector<std::string>& arguments,
                                               const std::string& workingDirectory) {
  static constexpr std::string_view kSimulate = "--simulate";
  static constexpr std::string_view kSimulateAbsent = "--simulate-absent=";
  ProgramOptions options;
  options.workingDirectory = workingDirectory;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == kSimulate) {
      options.simulate = true;
    } else if (argument.starts_with(kSimulateAbsent)) {
      options.simulateAbsentProgrammer = sim::AbsentStatusNamed(argument.substr(kSimulateAbsent.size()));
      if (!options.simulateAbsentProgrammer) return std::nullopt;
      options.simulate = true;
    } else if (argument.starts_with(kSimulate) && argument.size() > kSimulate.size() + 1 &&
               argument[kSimulate.size()] == '=') {
      options.simulate = true;
      options.simulationFile = std::string(argument.substr(kSimulate.size() + 1));
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace ferolith
