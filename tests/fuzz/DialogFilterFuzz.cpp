// Splits arbitrary filter strings and turns them into Qt name filters: no
// read past the string, and every entry is a non-empty description and
// pattern without a separator in it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gui/FileDialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string filter(reinterpret_cast<const char*>(data), size);
  const std::vector<ferolith::FilterEntry> entries = ferolith::SplitDialogFilter(filter);
  for (const ferolith::FilterEntry& entry : entries) {
    if (entry.description.empty() || entry.pattern.empty()) std::abort();
    if (entry.description.find('|') != std::string::npos) std::abort();
    if (entry.pattern.find('|') != std::string::npos) std::abort();
  }
  if (ferolith::QtNameFilters(entries).size() != static_cast<qsizetype>(entries.size())) std::abort();
  return 0;
}
