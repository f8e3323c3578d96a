#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QStringList>

#include "core/UiServices.h"

class QWidget;

namespace ferolith {

// One entry of a classic "description|pattern|...||" filter string.
struct FilterEntry {
  std::string description;
  std::string pattern;
};

// Splits a filter string into its entries. It stops at the empty field that
// ends the string; a description without a pattern is dropped.
std::vector<FilterEntry> SplitDialogFilter(const std::string& filter);

// The Qt name filters for the entries: "description (pattern)", with the
// pattern's ';' separators turned into blanks and "*.*" into "*".
QStringList QtNameFilters(const std::vector<FilterEntry>& entries);

// Qt's own (non-native) file dialogs for the requests of the program. The
// open dialog accepts only existing files; the save dialog does not ask
// about an existing file (its caller does). Indices are 1-based as in the
// request.
std::optional<FileChoice> RunOpenFileDialog(const FileDialogRequest& request, QWidget* parent);
std::optional<FileChoice> RunSaveFileDialog(const FileDialogRequest& request, QWidget* parent);

}  // namespace ferolith
