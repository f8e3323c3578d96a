#include "port/ParportLocator.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace ferolith {

namespace {

namespace fs = std::filesystem;

// A base-addr file holds one short line; nothing longer is worth reading.
constexpr std::size_t kMaxBaseAddrBytes = 128;

bool IsPortDirectoryName(const std::string& name) {
  constexpr std::string_view kPrefix = "parport";
  if (name.size() <= kPrefix.size() || name.compare(0, kPrefix.size(), kPrefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kPrefix.size()), name.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint32_t> ReadBaseAddress(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kMaxBaseAddrBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return ParseBaseAddress(text);
}

// True when port `a` comes before port `b`: by the number after "parport",
// so that parport2 comes before parport10 (both names are port directory
// names: the prefix and digits). Leading zeros do not count; names of the
// same number stay in a fixed order.
bool ComesBefore(const std::string& a, const std::string& b) {
  const auto number = [](const std::string& name) {
    const std::size_t first = name.find_first_not_of('0', std::string_view("parport").size());
    return std::string_view(name).substr(std::min(first, name.size()));
  };
  const std::string_view x = number(a);
  const std::string_view y = number(b);
  if (x.size() != y.size()) return x.size() < y.size();
  if (x != y) return x < y;
  return a < b;
}

// Names of the listed ports in the order of their numbers, so that the
// first match is stable and the list reads as the kernel numbers them.
std::vector<std::string> PortNames(const std::string& procRoot) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(fs::path(procRoot) / "sys/dev/parport", error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    if (IsPortDirectoryName(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), ComesBefore);
  return names;
}

}  // namespace

std::optional<std::uint32_t> ParseBaseAddress(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  std::uint64_t value = 0;
  const std::size_t first = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
    if (value > UINT32_MAX) return std::nullopt;
    ++pos;
  }
  if (pos == first) return std::nullopt;
  if (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '\n') return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::vector<ListedParport> ListParports(const std::string& procRoot, const std::string& devRoot) {
  std::vector<ListedParport> ports;
  for (std::string& name : PortNames(procRoot)) {
    const auto base = ReadBaseAddress(fs::path(procRoot) / "sys/dev/parport" / name / "base-addr");
    if (!base) continue;
    std::string device = (fs::path(devRoot) / name).string();
    ports.push_back({std::move(name), *base, std::move(device)});
  }
  return ports;
}

std::optional<std::string> FindParportDevice(std::uint32_t base, const std::string& procRoot,
                                             const std::string& devRoot) {
  for (ListedParport& port : ListParports(procRoot, devRoot)) {
    if (port.base == base) return std::move(port.device);
  }
  return std::nullopt;
}

bool IsExistingParallelPort(std::uint32_t base, const std::string& procRoot) {
  return FindParportDevice(base, procRoot).has_value();
}

}  // namespace ferolith
