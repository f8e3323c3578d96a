#pragma once

#include "core/ResultCode.h"
#include "core/TextLineReader.h"
#include "core/UiServices.h"
#include "files/MemoryImage.h"
#include "files/RecordNotes.h"

namespace ferolith {

// Reads Intel HEX records (types 00, 01, 02 and 04; other types are checked
// and skipped) from `lines` into `image`, counting every data byte. A
// byte-order mark and blank lines before the first record are skipped (see
// RecordLines). Returns
// Result::Ok at the end of the input or at the end record, and
// Result::FileNotLoaded after showing the message for the first bad line.
// Wrong checksums are errors only when `testChecksum` is set. `notes` tells
// whether the end record was met, the last line read and the bytes that a
// later record overwrote.
ResultCode ReadIntelHexFile(TextLineReader& lines, MemoryImage& image, UiServices& ui,
                            bool testChecksum, RecordNotes& notes);

}  // namespace ferolith
