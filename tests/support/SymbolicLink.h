#pragma once

#include <string>

namespace ferolith::testing {

// Makes `link` a symbolic link to the file `target` (both absolute UTF-8
// names). Windows grants that only with developer mode or a right of its
// own; wine 8 accepts the call and makes nothing, so under wine the link is
// made by the POSIX side's ln, which wine then follows as Windows follows
// its links. True when `link` leads to `target` afterwards.
bool MakeFileLink(const std::string& target, const std::string& link);

// The absolute path of the file that `path` opens, links resolved, with the
// system's own calls (realpath; GetFinalPathNameByHandleW); empty when it
// opens nothing.
std::string WhereItLeads(const std::string& path);

}  // namespace ferolith::testing
