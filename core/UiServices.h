#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ferolith {

// The button that closed a message box.
enum class Answer : int { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

// What a file dialog is asked to show. The filter is in the classic
// "description|pattern|description|pattern||" form; indices are 1-based.
struct FileDialogRequest {
  std::string filter;
  int filterIndex = 1;
  std::string initialDirectory;
  std::string initialFileName;
  std::string defaultExtension;  // without the dot, empty for none
};

// What the user chose in a file dialog.
struct FileChoice {
  std::string fullPath;
  std::string fileName;
  int filterIndex = 1;
};

// Everything the core tells the user or asks of the user goes through this
// interface: the desktop program, the console and the test double implement
// it. Message boxes carry the caption "Meldung" and the information icon and
// are preceded by the beep when the beep setting is on; that is the
// implementation's business.
class UiServices {
 public:
  virtual ~UiServices() = default;

  // Modal boxes. Results: Answer::Ok, Answer::Cancel or Answer::Retry.
  virtual Answer MessageInfo(const std::string& text) = 0;
  virtual Answer MessageRetryCancel(const std::string& text) = 0;
  virtual Answer MessageOkCancel(const std::string& text) = 0;
  // A question with the buttons Yes and No: Answer::Yes or Answer::No (also
  // when the box is closed otherwise).
  virtual Answer MessageYesNo(const std::string& text) = 0;
  // The platform's plain box: OK button, no beep (diagnostics).
  virtual void MessagePlain(const std::string& text) = 0;

  // A warning that stops nothing and asks nothing (a burn file that loads
  // but may be incomplete), so that it adds no box to a chain: shown in the
  // status line, where the next status text replaces it. The console
  // prints it as a line of its own.
  virtual void Warning(const std::string& text) { SetStatus("Warnung: " + text); }

  virtual void SetStatus(const std::string& text) = 0;
  // Immediate update of the main window after a status change.
  virtual void Repaint() = 0;

  virtual void SetProgressRange(std::uint32_t upper) = 0;
  virtual void SetProgressPosition(std::uint32_t position) = 0;
  // Handles every waiting event, then returns. The only place where a click
  // on "Abbrechen" reaches the program during a long operation.
  virtual void PumpMessages() = 0;

  virtual void EnableCancelButton(bool enabled) = 0;
  // The 23 input controls of the main window.
  virtual void DisableControls() = 0;
  virtual void EnableControls() = 0;

  virtual void ShowBurnFileName(const std::string& name) = 0;
  virtual void ShowInitRegister1(std::uint8_t value) = 0;
  // The busy picture window, shown while a command holds the programmer.
  virtual void ShowActivityWindow(bool shown) = 0;

  // File dialogs; an empty result means the user cancelled. The save dialog
  // does not ask about an existing file: the caller asks about the files it
  // will really write.
  virtual std::optional<FileChoice> RunOpenDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FileChoice> RunSaveDialog(const FileDialogRequest& request) = 0;
};

}  // namespace ferolith
