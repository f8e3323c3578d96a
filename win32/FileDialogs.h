#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/UiServices.h"

namespace ferolith {

// The filter of the common file dialogs from the classic
// "description|pattern|...||" form: every '|' becomes the NUL separator.
std::wstring CommonDialogFilter(const std::string& filter);

// The common open and save dialogs for the program's requests, owned by
// `owner`. The open dialog accepts only existing files; the save dialog
// does not ask about an existing file (its caller asks about the files it
// will really write). Neither changes the working directory, where
// KALVENOR.INI lives.
std::optional<FileChoice> RunOpenFileDialog(const FileDialogRequest& request, HWND owner);
std::optional<FileChoice> RunSaveFileDialog(const FileDialogRequest& request, HWND owner);

}  // namespace ferolith
