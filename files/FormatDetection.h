#pragma once

#include "core/TextLineReader.h"

namespace ferolith {

// Decides the DataFormat code of a burn file from its first lines:
// control or non-ASCII characters make it Binary; an Intel record type of
// 00, 04 or 02 (02 followed by 04 on the next line) makes it Intel8,
// Intel32 or IntelMCS; an S1, S2 or S3 record makes it MotorolaS1..S3.
// Whatever the first two lines leave undecided is Binary.
int DetectFormat(TextLineReader& lines);

}  // namespace ferolith
