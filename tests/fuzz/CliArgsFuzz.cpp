// Feeds arbitrary argument vectors to the command line parser: the input is
// split into arguments at NUL bytes. The parser must answer every vector with
// options or an exit status, never with an exception of its own, and what it
// returns must lie in the ranges the runner relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "cli/CliOptions.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

// Keeps the vector short: CLI11 is not the subject, only the handling of its
// results.
constexpr std::size_t kMaxArguments = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments{"ferolith-cli"};
  std::string current;
  for (std::size_t i = 0; i < size && arguments.size() < kMaxArguments; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (!current.empty() && arguments.size() < kMaxArguments) arguments.push_back(current);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);

  std::ostringstream out;
  std::ostringstream err;
  // No try block: any exception other than the parser's own usage errors is
  // a finding, and libFuzzer reports it as a crash.
  const auto parsed =
      ferolith::cli::ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), out, err);
  if (const int* status = std::get_if<int>(&parsed)) {
    Require(*status == 0 || *status == ferolith::cli::kUsageError);
    Require(*status == 0 || !err.str().empty());
    return 0;
  }
  const ferolith::cli::CliOptions& options = std::get<ferolith::cli::CliOptions>(parsed);
  using ferolith::cli::Command;
  switch (options.command) {
    case Command::Program:
    case Command::Verify:
    case Command::Read:
      Require(options.files.size() == 1);
      break;
    case Command::Convert:
      Require(options.files.size() == 2);
      break;
    default:
      break;
  }
  if (options.lineLength) {
    Require(*options.lineLength >= 16 && *options.lineLength <= 254 && *options.lineLength % 2 == 0);
  }
  if (options.format) {
    Require(*options.format >= ferolith::DataFormat::Binary && *options.format <= ferolith::DataFormat::MotorolaS3);
  }
  // The production run's options reach the runner only with "program".
  Require((!options.repeat && !options.logFile) || options.command == Command::Program);
  Require(!options.keepGoing || options.repeat);
  return 0;
}
