#pragma once

#include "core/ResultCode.h"
#include "core/TextLineReader.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"
#include "files/RecordNotes.h"

namespace ferolith {

// Reads Motorola S-records from `lines` into `image`: S1, S2 and S3 data
// records in any mix, S0 headers skipped unchecked, S7/S8/S9 end records
// ending the read; the 's' of a record may be lower case. A byte-order mark
// and blank lines before the first record are skipped (see RecordLines).
// Every data byte is counted. Returns Result::Ok at the end
// of the input or at an end record, and Result::FileNotLoaded after showing
// the message for the first bad line. Wrong checksums are errors only when
// `testChecksum` is set. `notes` tells whether the end record was met, the
// last line read and the bytes that a later record overwrote.
ResultCode ReadMotorolaFile(TextLineReader& lines, MemoryImage& image, UiServices& ui,
                            bool testChecksum, RecordNotes& notes);

}  // namespace ferolith
