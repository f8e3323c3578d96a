#pragma once

#include "core/DataFormat.h"
#include "core/TextLineReader.h"

namespace ferolith {

// Decides the DataFormat code of a burn file from its first lines, after a
// UTF-8 byte-order mark and leading blank lines:
// - control or non-ASCII characters make it Binary;
// - an Intel record makes it Intel HEX: type 00 Intel8, 04 Intel32, 02
//   IntelMCS (Intel32 when a 04 record follows), any other type Intel8
//   unless the next line decides;
// - an S1, S2 or S3 record (the 'S' in either case) makes it MotorolaS1..S3,
//   other S-records ('S' and a digit) MotorolaS1 unless the next line decides.
// Undecided when the first two lines are plain text of neither format: such
// a file is no burn file. Whatever else the first two lines leave undecided
// (an empty file, blank lines only, short lines with control characters) is
// Binary.
DataFormat DetectFormat(TextLineReader& lines);

}  // namespace ferolith
