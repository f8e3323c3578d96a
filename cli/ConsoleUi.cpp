#include "cli/ConsoleUi.h"

#include <algorithm>
#include <istream>
#include <ostream>

#include "cli/CliTexts.h"
#include "core/PathParts.h"

namespace ferolith::cli {

namespace {
constexpr std::string_view kMessagePrefix = "Meldung: ";
constexpr std::string_view kWarningPrefix = "Warnung: ";
constexpr std::uint32_t kBarWidth = 40;
// The mark after the bar turns once every so many pumps: the window's
// pumps come at least every 20 ms while a command works, so it turns about
// six times a second at any speed and shows that the pass goes on between
// the bar's increments.
constexpr std::uint32_t kPumpsPerTurn = 8;
constexpr char kTurningMark[] = "|/-\\";
}  // namespace

std::string MessageLines(const std::string& text) { return PrefixedLines(kMessagePrefix, text); }

std::string PrefixedLines(std::string_view prefix, const std::string& text) {
  const std::string indent(prefix.size(), ' ');
  std::string result;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (!line.empty()) {
      result += result.empty() ? std::string(prefix) : indent;
      result += line;
      result += '\n';
    }
    start = end + 1;
  }
  if (result.empty()) result = std::string(prefix) + "\n";
  return result;
}

ConsoleUi::ConsoleUi(std::istream& in, std::ostream& err, ConsolePolicy policy)
    : in_(in), err_(err), policy_(policy) {}

void ConsoleUi::Print(const std::string& text) {
  ClearBar();
  err_ << MessageLines(text);
  err_.flush();
}

bool ConsoleUi::Ask(const std::string& question) {
  err_ << question;
  err_.flush();
  std::string answer;
  if (!std::getline(in_, answer)) {
    err_ << '\n';  // the next line starts after the question
    return false;
  }
  return !answer.empty() && (answer[0] == 'j' || answer[0] == 'J' || answer[0] == 'y' ||
                             answer[0] == 'Y' || answer[0] == 'w' || answer[0] == 'W');
}

Answer ConsoleUi::MessageInfo(const std::string& text) {
  Print(text);
  return Answer::Ok;
}

Answer ConsoleUi::MessageRetryCancel(const std::string& text) {
  Print(text);
  if (policy_.retryOnError) return Answer::Retry;
  if (policy_.interactive && !policy_.yes) {
    return Ask(texts::kAskRetryCancel)
               ? Answer::Retry
               : Answer::Cancel;
  }
  return Answer::Cancel;
}

Answer ConsoleUi::MessageOkCancel(const std::string& text) {
  Print(text);
  if (policy_.yes) return Answer::Ok;
  if (policy_.interactive) return Ask(texts::kAskOkCancel) ? Answer::Ok : Answer::Cancel;
  return Answer::Cancel;
}

Answer ConsoleUi::MessageYesNo(const std::string& text) {
  Print(text);
  if (policy_.yes) return Answer::Yes;
  if (policy_.interactive) return Ask(texts::kAskYesNo) ? Answer::Yes : Answer::No;
  return Answer::No;
}

void ConsoleUi::MessagePlain(const std::string& text) { Print(text); }

void ConsoleUi::Warning(const std::string& text) {
  ClearBar();
  err_ << PrefixedLines(kWarningPrefix, text);
  err_.flush();
}

void ConsoleUi::SetStatus(const std::string& text) {
  status_ = text;
  if (barShown_) DrawBar();
}

void ConsoleUi::SetProgressRange(std::uint32_t upper) {
  range_ = upper;
  position_ = 0;
}

void ConsoleUi::SetProgressPosition(std::uint32_t position) {
  position_ = position;
  if (!policy_.progress) return;
  if (position == 0) {
    ClearBar();
    return;
  }
  DrawBar();
}

void ConsoleUi::PumpMessages() {
  if (onPump_) onPump_();
  ++pumps_;
  if (barShown_ && pumps_ % kPumpsPerTurn == 0) DrawBar();
}

void ConsoleUi::DrawBar() {
  const std::uint32_t shown = std::min(position_, range_);
  const std::uint32_t filled = range_ == 0 ? kBarWidth : shown * kBarWidth / range_;
  const std::uint32_t percent = range_ == 0 ? 100 : shown * 100 / range_;
  err_ << '\r' << status_ << " [" << std::string(filled, '#')
       << std::string(kBarWidth - filled, ' ') << "] " << percent << "% "
       << kTurningMark[(pumps_ / kPumpsPerTurn) % 4] << std::flush;
  barShown_ = true;
}

void ConsoleUi::ClearBar() {
  if (!barShown_) return;
  err_ << '\n';
  barShown_ = false;
}

std::optional<FileChoice> ConsoleUi::RunOpenDialog(const FileDialogRequest& /*request*/) {
  if (!openPath_) return std::nullopt;
  const PathParts parts = SplitPath(*openPath_);
  return FileChoice{*openPath_, parts.name + parts.extension, 1};
}

std::optional<FileChoice> ConsoleUi::RunSaveDialog(const FileDialogRequest& /*request*/) {
  return std::nullopt;
}

}  // namespace ferolith::cli
