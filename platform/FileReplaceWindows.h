#pragma once

// How a file takes the place of another on Windows, and where a name
// finally leads. Included only by the Windows file services.
#include <windows.h>

#include <string>

namespace ferolith {

// Puts the file `from` in the place of `to`. An existing `to` is replaced
// with ReplaceFileW, so that the file keeps its access list, its alternate
// streams, attributes and creation time; a missing one, or one that
// ReplaceFileW cannot replace (see the source), is replaced or created
// with MoveFileExW. Both names are made absolute first. True on success,
// else false with GetLastError's code.
bool ReplaceWithFile(const std::wstring& from, const std::wstring& to);

// The absolute path of the file that `handle` is open on, every symbolic
// link and junction resolved, in the DOS form ("C:\...", "\\server\share\...").
// False where the system cannot tell (GetFinalPathNameByHandleW came with
// Vista; a volume without a drive letter).
bool FinalPathOf(HANDLE handle, std::wstring& path);

// GetFullPathNameW: `name` made absolute, without resolving links; the
// name itself when that fails.
std::wstring FullPathOf(const std::wstring& name);

}  // namespace ferolith
