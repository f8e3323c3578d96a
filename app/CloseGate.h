#pragma once

#include <string>

namespace ferolith {

// What the main window does with Esc and with a request to close it (the
// close button, the window menu). While no command runs, both close the
// window with its closing steps (position and settings saved, the socket
// reminder). While a command of the window runs, Esc acts as "Abbrechen",
// and a close request is kept: the status line says why the window waits,
// and the window closes once the command has ended.
class CloseGate {
 public:
  enum class Action {
    Close,   // run the closing steps and close
    Cancel,  // press "Abbrechen" (a disabled one does nothing)
    Wait,    // the close waits for the running command
  };

  // `runningCommand` is the caption of the command that runs ("Brennen"),
  // empty when none does.
  Action OnEscape(const std::string& runningCommand) const;
  Action OnCloseRequest(const std::string& runningCommand);

  // Asked when a command has ended: true, once, when a close waited for it.
  bool CloseIsDue();

  // What the status line shows for `status`: the status itself, or, while
  // a close waits, why the window does not close yet.
  std::string StatusLine(const std::string& status) const;

 private:
  std::string waitingFor_;  // the command a close waits for; empty: none
};

}  // namespace ferolith
