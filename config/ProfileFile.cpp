#include "config/ProfileFile.h"

#include <cerrno>
#include <cstdio>

#include "core/AtomicFile.h"
#include "core/Utf8Text.h"
#include "platform/Files.h"
#include "platform/ProfileText.h"

namespace ferolith {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The section name of a header line; false for any other line.
bool SectionName(std::string_view text, std::string_view& name) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty() || trimmed.front() != '[') return false;
  const std::size_t close = trimmed.find(']');
  if (close == std::string_view::npos) return false;
  name = Trim(trimmed.substr(1, close - 1));
  return true;
}

// The key name of a key line and the offset where its value text begins
// (after the '=' and the blanks that follow it); false for any other line.
bool KeyName(std::string_view text, std::string_view& name, std::size_t& valueStart) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') return false;
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return false;
  name = Trim(text.substr(0, equals));
  valueStart = equals + 1;
  while (valueStart < text.size() && IsBlank(text[valueStart])) ++valueStart;
  return true;
}

#ifdef _WIN32
constexpr const char* kPlatformEnding = "\r\n";
#else
constexpr const char* kPlatformEnding = "\n";
#endif

}  // namespace

std::int32_t ParseProfileInteger(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

ProfileFile::LoadOutcome ProfileFile::Load(const std::string& path) {
  lines_.clear();
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return errno == ENOENT ? LoadOutcome::Missing : LoadOutcome::Unreadable;
  std::string bytes;
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  std::fclose(file);
  if (failed) {
    errno = readError != 0 ? readError : EIO;
    return LoadOutcome::Unreadable;
  }
  Parse(bytes);
  return LoadOutcome::Loaded;
}

void ProfileFile::Parse(std::string_view bytes) {
  lines_.clear();
  while (!bytes.empty()) {
    const std::size_t newline = bytes.find('\n');
    if (newline == std::string_view::npos) {
      lines_.push_back({std::string(bytes), ""});
      break;
    }
    std::string_view text = bytes.substr(0, newline);
    std::string ending = "\n";
    if (!text.empty() && text.back() == '\r') {
      text.remove_suffix(1);
      ending = "\r\n";
    }
    lines_.push_back({std::string(text), std::move(ending)});
    bytes.remove_prefix(newline + 1);
  }
}

std::size_t ProfileFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i].text, name) && EqualsNoCase(name, section)) return i;
  }
  return lines_.size();
}

bool ProfileFile::FindKey(std::string_view section, std::string_view key, KeyHit& hit) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    std::size_t valueStart = 0;
    if (SectionName(lines_[i].text, name)) {
      inSection = EqualsNoCase(name, section);
    } else if (inSection && KeyName(lines_[i].text, name, valueStart) && EqualsNoCase(name, key)) {
      hit = {i, valueStart};
      return true;
    }
  }
  return false;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultText) const {
  KeyHit hit{};
  if (!FindKey(section, key, hit)) return std::string(defaultText);
  const std::string_view bytes = Trim(std::string_view(lines_[hit.line].text).substr(hit.valueStart));
  return encoding_ == Encoding::Family ? Utf8FromProfileText(bytes) : Utf8OrWindows1252(bytes);
}

std::int32_t ProfileFile::GetInt(std::string_view section, std::string_view key,
                                 std::int32_t defaultValue) const {
  KeyHit hit{};
  if (!FindKey(section, key, hit)) return defaultValue;
  return ParseProfileInteger(std::string_view(lines_[hit.line].text).substr(hit.valueStart));
}

std::string ProfileFile::PreferredEnding() const {
  for (const Line& line : lines_) {
    if (!line.ending.empty()) return line.ending;
  }
  return kPlatformEnding;
}

void ProfileFile::InsertLine(std::size_t position, std::string text) {
  const std::string ending = PreferredEnding();
  std::string lineEnding = ending;
  if (position > 0) {
    Line& before = lines_[position - 1];
    if (before.ending.empty()) before.ending = ending;
    lineEnding = before.ending;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(position),
                Line{std::move(text), std::move(lineEnding)});
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  // A line break in the value (a file name may hold one) would start a
  // line of its own in the file; the value ends before it.
  const std::string_view line = value.substr(0, value.find_first_of("\r\n"));
  const std::string encoded = encoding_ == Encoding::Family ? ProfileTextFromUtf8(line) : std::string(line);
  value = encoded;
  KeyHit hit{};
  if (FindKey(section, key, hit)) {
    std::string& text = lines_[hit.line].text;
    text.resize(hit.valueStart);
    text += value;
    return;
  }
  std::string keyLine = std::string(key) + "=" + std::string(value);
  const std::size_t header = FindSection(section);
  if (header == lines_.size()) {
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    InsertLine(lines_.size(), std::move(keyLine));
    return;
  }
  // After the last key of the section, so that blank lines and comments
  // leading to the next section stay where they are.
  std::size_t insertAt = header + 1;
  for (std::size_t i = header + 1; i < lines_.size(); ++i) {
    std::string_view name;
    std::size_t valueStart = 0;
    if (SectionName(lines_[i].text, name)) break;
    if (KeyName(lines_[i].text, name, valueStart)) insertAt = i + 1;
  }
  InsertLine(insertAt, std::move(keyLine));
}

std::string ProfileFile::Serialize() const {
  std::string bytes;
  for (const Line& line : lines_) {
    bytes += line.text;
    bytes += line.ending;
  }
  return bytes;
}

SaveOutcome ProfileFile::Save(const std::string& path) const {
  // The atomic file writes through a symbolic link, refuses a read-only
  // file and keeps the owner, group and permissions of the file it replaces.
  AtomicFile file(SystemFileOps());
  if (file.Open(path) && file.Write(Serialize()) && file.Commit()) return {};
  return {file.Error() != 0 ? file.Error() : EIO};
}

}  // namespace ferolith
