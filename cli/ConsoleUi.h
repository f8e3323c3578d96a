#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "core/UiServices.h"

namespace ferolith::cli {

// How the console answers the program's questions.
struct ConsolePolicy {
  bool yes = false;           // OK and Yes to socket instructions and confirmations
  bool retryOnError = false;  // Retry to per-address reports
  bool interactive = false;   // ask on the terminal (without --yes)
  bool progress = false;      // draw a progress bar
};

// UiServices on a terminal: every message box text goes to standard error
// as "Meldung: " and the text (continuation lines indented), questions are
// answered by policy or asked on the terminal, and the two file dialogs are
// answered from the command line.
class ConsoleUi : public UiServices {
 public:
  ConsoleUi(std::istream& in, std::ostream& err, ConsolePolicy policy);

  // The file the open dialog answers with (the burn file named on the
  // command line). Read-out files are named directly, so the save dialog is
  // always answered with Cancel.
  void SetOpenAnswer(std::string path) { openPath_ = std::move(path); }
  // Called at every PumpMessages (the CLI's "Abbrechen" is Ctrl-C); the
  // pumps come at least every 20 ms while a command works, so Ctrl-C is
  // seen as soon as in the window.
  void OnPump(std::function<void()> hook) { onPump_ = std::move(hook); }

  Answer MessageInfo(const std::string& text) override;
  Answer MessageRetryCancel(const std::string& text) override;
  Answer MessageOkCancel(const std::string& text) override;
  Answer MessageYesNo(const std::string& text) override;
  void MessagePlain(const std::string& text) override;
  // "Warnung: " and the text, continuation lines indented.
  void Warning(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void Repaint() override {}
  void SetProgressRange(std::uint32_t upper) override;
  void SetProgressPosition(std::uint32_t position) override;
  void PumpMessages() override;
  void EnableCancelButton(bool) override {}
  void DisableControls() override {}
  void EnableControls() override {}
  void ShowBurnFileName(const std::string&) override {}
  void ShowInitRegister1(std::uint8_t) override {}
  void ShowActivityWindow(bool) override {}
  std::optional<FileChoice> RunOpenDialog(const FileDialogRequest& request) override;
  std::optional<FileChoice> RunSaveDialog(const FileDialogRequest& request) override;

 private:
  void Print(const std::string& text);
  bool Ask(const std::string& question);
  void ClearBar();
  void DrawBar();

  std::istream& in_;
  std::ostream& err_;
  ConsolePolicy policy_;
  std::function<void()> onPump_;
  std::optional<std::string> openPath_;
  std::string status_;
  std::uint32_t range_ = 0;
  std::uint32_t position_ = 0;
  bool barShown_ = false;
  std::uint32_t pumps_ = 0;
};

// "Meldung: " and the text, one output line per text line, blank lines and
// the surrounding line breaks dropped, continuation lines indented.
std::string MessageLines(const std::string& text);
// The same after any `prefix`, the indent as wide as the prefix.
std::string PrefixedLines(std::string_view prefix, const std::string& text);

}  // namespace ferolith::cli
