// Feeds arbitrary bytes to the private-profile reader and writer and to the
// settings read and write, checking what must hold for any input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/ProfileFile.h"
#include "config/SettingsFile.h"
#include "core/Utf8Text.h"
#include "tests/support/ScriptedUi.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool InRange(std::int32_t value, std::int32_t low, std::int32_t high) {
  return value >= low && value <= high;
}

// The code points of UTF-8 text: every byte that does not continue one.
std::size_t Characters(std::string_view text) {
  std::size_t count = 0;
  for (const char byte : text) count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80 ? 1 : 0;
  return count;
}

void RequireValid(const ferolith::Settings& s) {
  Require(InRange(s.PortAdress, 0x200, 0x400));
  Require(s.StatusPort == s.PortAdress + 1 && s.ControlPort == s.PortAdress + 2);
  Require(InRange(s.DebugNT, 0, 1) && InRange(s.SearchHardware, 2, 5));
  Require(s.TimeOut >= 10000 && InRange(s.MessageBeap, 0, 1) && InRange(s.TimeBaseKorr, 1, 100));
  Require(InRange(s.FFSave, 0, 1) && InRange(s.Verify, 0, 1) && InRange(s.XKoord, 0, 1024));
  Require(InRange(s.YKoord, 0, 768) && s.ManufIndex >= 0 && s.DeviceIndex >= 0);
  Require(s.HexLineLen >= 2 && s.HexLineLen <= 254 && s.HexLineLen % 2 == 0);
  Require(InRange(ferolith::FormatNumber(s.DataFormat), 1, 7) && InRange(s.ReadFilter, 1, 3));
  // Values are cut to 259 characters, never inside one, and are UTF-8.
  Require(Characters(s.BurnFileName) <= 259 && Characters(s.LastDirectory) <= 259);
  Require(ferolith::IsValidUtf8(s.BurnFileName) && ferolith::IsValidUtf8(s.LastDirectory));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ferolith::ProfileFile file;
  file.Parse(bytes);
  Require(file.Serialize() == bytes);

  ferolith::testing::ScriptedUi ui;
  ferolith::Settings settings;
  ferolith::ReadSettings(ui, settings, file, "/work");
  RequireValid(settings);

  // Writing the settings back keeps what was there and reads back the same.
  ferolith::WriteSettings(settings, file);
  ferolith::ProfileFile written;
  written.Parse(file.Serialize());
  ferolith::Settings reread;
  ferolith::ReadSettings(ui, reread, written, "/work");
  Require(reread.PortAdress == settings.PortAdress && reread.TimeOut == settings.TimeOut);
  Require(reread.TimeBaseKorr == settings.TimeBaseKorr && reread.XKoord == settings.XKoord);
  Require(reread.HexLineLen == settings.HexLineLen && reread.ManufIndex == settings.ManufIndex);
  Require(reread.InitRegister1Value == settings.InitRegister1Value);

  // A value taken from the input is read back as written, without its
  // surrounding blanks and cut at a line break; bytes that are not UTF-8
  // come back as the Windows-1252 text they are taken for.
  std::string_view value = bytes.substr(0, 40);
  value = value.substr(0, value.find_first_of("\r\n"));
  file.WriteString("Fuzz Section", "FuzzKey", value);
  const std::size_t first = value.find_first_not_of(" \t");
  value = first == std::string_view::npos ? std::string_view() : value.substr(first);
  value = value.substr(0, value.find_last_not_of(" \t") + 1);
  written.Parse(file.Serialize());
  Require(written.GetString("fuzz section", "fuzzkey", "missing") == ferolith::Utf8OrWindows1252(value));
  return 0;
}
