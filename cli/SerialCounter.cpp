#include "cli/SerialCounter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliTexts.h"
#include "core/AtomicFile.h"
#include "core/TextFormat.h"
#include "core/Utf8Path.h"
#include "platform/FileLock.h"
#include "platform/Files.h"

namespace ferolith::cli {

namespace {

// A line of at most 19 decimal digits.
std::optional<std::uint64_t> DecimalNumber(const std::string& text) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoull(text);
}

}  // namespace

std::optional<std::uint64_t> SerialCounter::ReadFile() {
  std::error_code error;
  const auto path = PathFromUtf8(*file_);
  if (!std::filesystem::exists(path, error)) return next_;
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string line = text.str();
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
  const auto value = DecimalNumber(line);
  if (in.bad() || !value) error_ = FormatText(texts::kCounterUnreadable, file_->c_str());
  return in.bad() ? std::nullopt : value;
}

std::optional<std::uint64_t> SerialCounter::Peek() {
  if (!file_) return next_;
  const auto lock = LockFileExclusively(*file_ + ".lock");
  if (!lock) {
    error_ = FormatText(texts::kCounterNotLocked, file_->c_str(), std::strerror(errno));
    return std::nullopt;
  }
  return ReadFile();
}

std::optional<std::uint64_t> SerialCounter::Take(std::uint64_t largest) {
  if (!file_) {
    if (next_ > largest) {
      error_ = FormatText(texts::kSerialTooLarge, static_cast<unsigned long long>(next_));
      exhausted_ = true;
      return std::nullopt;
    }
    const std::uint64_t number = next_;
    next_ += step_;
    return number;
  }
  const auto lock = LockFileExclusively(*file_ + ".lock");
  if (!lock) {
    error_ = FormatText(texts::kCounterNotLocked, file_->c_str(), std::strerror(errno));
    return std::nullopt;
  }
  const auto number = ReadFile();
  if (!number) return std::nullopt;
  if (*number > largest) {
    error_ = FormatText(texts::kSerialTooLarge, static_cast<unsigned long long>(*number));
    exhausted_ = true;
    return std::nullopt;
  }
  AtomicFile counter(SystemFileOps());
  if (!counter.Open(*file_) || !counter.Write(std::to_string(*number + step_) + "\n") || !counter.Commit()) {
    error_ = FormatText(texts::kCounterNotWritten, file_->c_str(), std::strerror(counter.Error()));
    return std::nullopt;
  }
  return number;
}

}  // namespace ferolith::cli
