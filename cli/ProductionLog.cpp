#include "cli/ProductionLog.h"

#include "cli/CliTexts.h"
#include "core/TextFormat.h"
#include "platform/LocalTime.h"

namespace ferolith::cli {

namespace {

// A field with the separator, a quote or a line break goes in quotes, its
// quotes doubled.
std::string Field(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

std::string Crc(const std::optional<std::uint32_t>& crc) {
  return crc ? FormatText("%08X", static_cast<unsigned>(*crc)) : std::string();
}

}  // namespace

std::string IsoLocalTime(std::time_t time) {
  const LocalTime local = LocalTimeOf(time);
  char text[40] = {};
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local.fields);
  const long minutes = (local.offsetSeconds < 0 ? -local.offsetSeconds : local.offsetSeconds) / 60;
  return text + FormatText("%c%02ld:%02ld", local.offsetSeconds < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

bool ProductionLog::Open(const std::string& path) { return file_.Open(path); }

bool ProductionLog::Append(const Entry& entry) {
  const std::string line = IsoLocalTime(entry.time) + ';' + Field(entry.device) + ';' +
                           Field(entry.burnFile) + ';' + Crc(entry.codeCrc) + ';' +
                           Crc(entry.dataCrc) + ';' + std::to_string(entry.result) + ';' +
                           Field(std::string(texts::ResultTextOf(entry.result))) + ';' +
                           (entry.serial ? std::to_string(*entry.serial) : std::string()) + '\n';
  return file_.Append(line, std::string(texts::kLogHeader) + '\n');
}

}  // namespace ferolith::cli
