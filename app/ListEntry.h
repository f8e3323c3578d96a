#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ferolith {

// The entry of a drop-down list (manufacturers, devices) that text typed
// into its edit field names: the same name, letter case and blanks around
// it aside. -1 when the text names no entry; the list then shows its
// selected entry again, so that it never shows a name that is not the one
// selected.
int EntryNamed(const std::vector<std::string>& entries, std::string_view typed);

}  // namespace ferolith
