#include "cli/HelpFormatter.h"

#include <sstream>

#include "cli/CliTexts.h"

namespace ferolith::cli {

namespace {

constexpr std::size_t kNameColumn = 33;
constexpr std::size_t kLineWidth = 79;

// Characters, not bytes: the texts are UTF-8.
std::size_t Width(const std::string& text) {
  std::size_t width = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u) ++width;
  }
  return width;
}

// Breaks a description into lines that fit beside the name column.
std::string Wrap(const std::string& text) {
  constexpr std::size_t kWidth = kLineWidth - kNameColumn;
  std::string wrapped;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && Width(line) + 1 + Width(word) > kWidth) {
      wrapped += line + '\n';
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  return wrapped + line;
}

}  // namespace

HelpFormatter::HelpFormatter() {
  label("Positionals", std::string(texts::kArgumentsGroup));
  label("REQUIRED", std::string(texts::kRequired));
  column_width(kNameColumn);
}

std::string ArgumentsOf(const CLI::App& command) {
  return std::string(texts::CommandTextOf(command.get_name()).arguments);
}

std::string HelpFormatter::make_usage(const CLI::App* app, std::string name) const {
  std::string line = '\n' + std::string(texts::kUsageLine) + ' ';
  const CLI::App* parent = app->get_parent();
  if (parent == nullptr) {
    line += name + ' ' + std::string(texts::kOptionsWord) + ' ' + std::string(texts::kCommandWord);
  } else {
    line += parent->get_name() + ' ' + std::string(texts::kOptionsWord) + ' ' + app->get_name();
    const std::string arguments = ArgumentsOf(*app);
    if (!arguments.empty()) line += ' ' + arguments;
  }
  return line + '\n';
}

std::string HelpFormatter::make_option_name(const CLI::Option* option, bool positional) const {
  if (positional) return option->get_name(true, false);
  std::string names;
  for (const std::string& name : option->get_snames()) names += (names.empty() ? "-" : ", -") + name;
  for (const std::string& name : option->get_lnames()) names += (names.empty() ? "--" : ", --") + name;
  return names;
}

std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
  const std::string& value = option->get_option_text();
  if (value.empty()) return "";
  // "--simulate[=DATEI]" sits on the name; other values follow after a space.
  return value.front() == '[' ? value : ' ' + value;
}

std::string HelpFormatter::make_option_desc(const CLI::Option* option) const {
  return Wrap(option->get_description());
}

std::string HelpFormatter::make_subcommand(const CLI::App* command) const {
  std::string name = command->get_name();
  const std::string arguments = ArgumentsOf(*command);
  if (!arguments.empty()) name += ' ' + arguments;
  std::ostringstream out;
  CLI::detail::format_help(out, name, Wrap(command->get_description()), column_width_);
  return out.str();
}

}  // namespace ferolith::cli
