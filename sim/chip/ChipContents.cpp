#include "sim/chip/ChipContents.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Utf8Path.h"
#include "platform/Files.h"

namespace ferolith::sim {

namespace {

constexpr std::string_view kHeader = kContentsHeader;
constexpr std::string_view kInitRegisterTag = "INITREG1 ";
constexpr std::uint32_t kRowBytes = 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& text, std::uint8_t value) {
  text += kHexDigits[value >> 4];
  text += kHexDigits[value & 0x0F];
}

void AppendRows(std::string& text, char tag, const std::array<std::uint8_t, ChipContents::kSize>& memory) {
  for (std::uint32_t row = 0; row < ChipContents::kSize; row += kRowBytes) {
    bool blank = true;
    for (std::uint32_t i = 0; i < kRowBytes; ++i) blank = blank && memory[row + i] == ChipContents::kBlank;
    if (blank) continue;
    text += tag;
    text += ' ';
    AppendHexByte(text, static_cast<std::uint8_t>(row >> 8));
    AppendHexByte(text, static_cast<std::uint8_t>(row & 0xFF));
    text += ' ';
    for (std::uint32_t i = 0; i < kRowBytes; ++i) AppendHexByte(text, memory[row + i]);
    text += '\n';
  }
}

std::optional<std::uint8_t> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  return std::nullopt;
}

// Exactly 2 * `bytes` hex digits, most significant first.
std::optional<std::uint32_t> ParseHexField(std::string_view field, std::size_t bytes) {
  if (field.size() != 2 * bytes) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : field) {
    const auto digit = HexDigit(c);
    if (!digit) return std::nullopt;
    value = (value << 4) | *digit;
  }
  return value;
}

// "T AAAA <32 hex digits>" into the memory of tag T.
bool ParseRow(std::string_view line, std::array<std::uint8_t, ChipContents::kSize>& memory) {
  if (line.size() != 2 + 4 + 1 + 2 * kRowBytes || line[1] != ' ' || line[6] != ' ') return false;
  const auto address = ParseHexField(line.substr(2, 4), 2);
  if (!address || *address + kRowBytes > ChipContents::kSize) return false;
  for (std::uint32_t i = 0; i < kRowBytes; ++i) {
    const auto value = ParseHexField(line.substr(7 + 2 * i, 2), 1);
    if (!value) return false;
    memory[*address + i] = static_cast<std::uint8_t>(*value);
  }
  return true;
}

bool ParseLine(std::string_view line, ChipContents& contents) {
  if (line.empty()) return true;
  if (line.substr(0, kInitRegisterTag.size()) == kInitRegisterTag) {
    const auto value = ParseHexField(line.substr(kInitRegisterTag.size()), 1);
    if (!value) return false;
    contents.initRegister1 = static_cast<std::uint8_t>(*value);
    return true;
  }
  if (line[0] == 'C') return ParseRow(line, contents.code);
  if (line[0] == 'D') return ParseRow(line, contents.data);
  return false;
}

}  // namespace

std::string FormatContents(const ChipContents& contents) {
  std::string text(kHeader);
  text += '\n';
  text += kInitRegisterTag;
  AppendHexByte(text, contents.initRegister1);
  text += '\n';
  AppendRows(text, 'C', contents.code);
  AppendRows(text, 'D', contents.data);
  return text;
}

bool ParseContents(std::string_view text, ChipContents& contents) {
  ChipContents parsed;
  bool headerSeen = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!headerSeen) {
      if (line != kHeader) return false;
      headerSeen = true;
      continue;
    }
    if (!ParseLine(line, parsed)) return false;
  }
  if (!headerSeen) return false;
  contents = parsed;
  return true;
}

bool SaveContentsFile(const std::string& path, const ChipContents& contents) {
  AtomicFile file(SystemFileOps());
  return file.Open(path) && file.Write(FormatContents(contents)) && file.Commit();
}

bool LoadContentsFile(const std::string& path, ChipContents& contents) {
  std::ifstream file(PathFromUtf8(path), std::ios::binary);
  if (!file) return false;
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return false;
  return ParseContents(text, contents);
}

ContentsFileKind InspectContentsFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path name = PathFromUtf8(path);
  // Followed through links: a link to nothing is written like a new file.
  const std::filesystem::file_status status = std::filesystem::status(name, error);
  if (status.type() == std::filesystem::file_type::not_found) return ContentsFileKind::Absent;
  // Neither opened nor read: a pipe or a device might never answer.
  if (error || status.type() != std::filesystem::file_type::regular) return ContentsFileKind::Foreign;
  std::ifstream file(name, std::ios::binary);
  if (!file) return ContentsFileKind::Foreign;
  std::string first(kHeader.size() + 2, '\0');
  file.read(first.data(), static_cast<std::streamsize>(first.size()));
  first.resize(static_cast<std::size_t>(file.gcount()));
  if (first.empty()) return ContentsFileKind::Absent;
  const std::string_view line = std::string_view(first).substr(0, first.find('\n'));
  const bool header = line == kHeader || line == std::string(kHeader) + "\r";
  return header ? ContentsFileKind::Contents : ContentsFileKind::Foreign;
}

}  // namespace ferolith::sim
