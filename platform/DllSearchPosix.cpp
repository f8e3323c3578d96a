// The dynamic loader of POSIX systems never searches the working folder
// (unless told to by LD_LIBRARY_PATH, which is the user's own choice).
#include "platform/DllSearch.h"

namespace ferolith {

void RestrictDllSearch() {}

}  // namespace ferolith
