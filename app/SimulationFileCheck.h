#pragma once

#include <optional>
#include <string>

namespace ferolith {

// The simulator keeps its virtual chip in a file of its own format and
// replaces that file after every command. A file that exists and is not
// one (a burn file named by mistake, a folder, a device) must never be
// replaced: this is the German refusal for it, naming the file. Nothing
// for a contents file of the chip, an empty file or a path where nothing
// is yet.
std::optional<std::string> SimulationFileRefusal(const std::string& path);

}  // namespace ferolith
