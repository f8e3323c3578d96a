#pragma once

#include <string_view>

namespace ferolith {

// The licence as both programs print it after their version (--version).
inline constexpr std::string_view kLicenceNotice =
    "Lizenz: GPL-3.0-or-later (GNU General Public License, Version 3 oder neuer)\n"
    "Dies ist freie Software: Sie darf verändert und weitergegeben werden.\n"
    "Es gibt KEINE GARANTIE, soweit das Gesetz es zulässt.\n";

}  // namespace ferolith
