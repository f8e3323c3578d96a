#include "win32/FileDialogs.h"

#include <commdlg.h>

#include <vector>

#include "platform/WideText.h"

namespace ferolith {

std::wstring CommonDialogFilter(const std::string& filter) {
  std::wstring wide = WideFromUtf8(filter);
  for (wchar_t& c : wide) {
    if (c == L'|') c = L'\0';
  }
  // The list ends with two NULs, whether or not the text ended with "||".
  wide.push_back(L'\0');
  return wide;
}

namespace {

std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request, HWND owner, bool save) {
  const std::wstring filter = CommonDialogFilter(request.filter);
  const std::wstring directory = WideFromUtf8(request.initialDirectory);
  const std::wstring extension = WideFromUtf8(request.defaultExtension);
  std::vector<wchar_t> path(32768, L'\0');
  const std::wstring initialName = WideFromUtf8(request.initialFileName);
  initialName.copy(path.data(), path.size() - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex >= 1 ? request.filterIndex : 1);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = directory.empty() ? nullptr : directory.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (!save) dialog.Flags |= OFN_FILEMUSTEXIST;

  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  FileChoice choice;
  choice.fullPath = Utf8FromWide(path.data());
  choice.fileName = Utf8FromWide(path.data() + dialog.nFileOffset);
  choice.filterIndex = static_cast<int>(dialog.nFilterIndex);
  return choice;
}

}  // namespace

std::optional<FileChoice> RunOpenFileDialog(const FileDialogRequest& request, HWND owner) {
  return RunFileDialog(request, owner, false);
}

std::optional<FileChoice> RunSaveFileDialog(const FileDialogRequest& request, HWND owner) {
  return RunFileDialog(request, owner, true);
}

}  // namespace ferolith
