#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace ferolith::cli {

// CLI11's help page in German: the usage line, the group headings, option
// names without CLI11's value markers ("--verify, --no-verify"), the value
// placeholder of each option, each command with its arguments, and
// descriptions wrapped to fit 80 columns. The texts come from CliTexts.h.
class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter();

  std::string make_usage(const CLI::App* app, std::string name) const override;
  std::string make_option_name(const CLI::Option* option, bool positional) const override;
  std::string make_option_opts(const CLI::Option* option) const override;
  std::string make_option_desc(const CLI::Option* option) const override;
  std::string make_subcommand(const CLI::App* command) const override;
};

// A command's arguments as the help page shows them, such as "DATEI" or
// "[WERT]".
std::string ArgumentsOf(const CLI::App& command);

}  // namespace ferolith::cli
