#include "app/ListEntry.h"

#include <cctype>

namespace ferolith {

namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

int EntryNamed(const std::vector<std::string>& entries, std::string_view typed) {
  const std::string_view name = Trimmed(typed);
  if (name.empty()) return -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (SameIgnoringCase(Trimmed(entries[i]), name)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace ferolith
