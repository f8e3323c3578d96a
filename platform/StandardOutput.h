#pragma once

#include <string>

namespace ferolith {

// True when `path` names the file that this process's standard output
// writes to: the same file, pipe or terminal, also through links such as
// /dev/stdout. False when either cannot be examined.
bool IsStandardOutput(const std::string& path);

}  // namespace ferolith
