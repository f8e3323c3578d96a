#include "app/CloseGate.h"

#include <utility>

#include "core/TextFormat.h"

namespace ferolith {

CloseGate::Action CloseGate::OnEscape(const std::string& runningCommand) const {
  return runningCommand.empty() ? Action::Close : Action::Cancel;
}

CloseGate::Action CloseGate::OnCloseRequest(const std::string& runningCommand) {
  if (runningCommand.empty()) return Action::Close;
  waitingFor_ = runningCommand;
  return Action::Wait;
}

bool CloseGate::CloseIsDue() { return !std::exchange(waitingFor_, std::string()).empty(); }

std::string CloseGate::StatusLine(const std::string& status) const {
  if (waitingFor_.empty()) return status;
  return FormatText("Bitte warten, bis „%s“ fertig ist. Danach schließt das Fenster.",
                    waitingFor_.c_str());
}

}  // namespace ferolith
