#pragma once

namespace ferolith {

// Takes the working folder and the folders of PATH out of the places the
// system searches for a DLL loaded by its bare name, for the rest of the
// run: the program works in the user's project folder, where a DLL of a
// known name (from an unpacked archive, a share) would otherwise run with
// the program's rights. Called first thing by both programs. Windows only;
// other systems search no working folder.
void RestrictDllSearch();

}  // namespace ferolith
